#include "MethodCatalogue.h"

MethodEntry::MethodEntry(const char* methodName)
    : name(QString::fromLatin1(methodName))
{
}

MethodEntry::MethodEntry(const char* methodName, int kindCount, int kind)
    : name(QString::fromLatin1(methodName))
    , parameterKinds(kindCount, kind)
{
}

namespace MethodCatalogue {

const MethodEntry methods[MethodCount] = {
    MethodEntry("getFWVersion"),
    MethodEntry("getProfile"),
    MethodEntry("rebootSystem"),
    MethodEntry("powerOff"),
    MethodEntry("updateFirmware", 1, KindText),
    MethodEntry("getStatus"),
    MethodEntry("setNetworkSetting", 1, KindFlag),
    MethodEntry("getNetworkSettings"),
    MethodEntry("getActualIpAddress"),
    MethodEntry("getWifiQuality"),
    MethodEntry("getProductionNumber"),
    MethodEntry("setProductionNumber", 1, KindText),
    MethodEntry("getModelName"),
    MethodEntry("setModelName", 1, KindText),
    MethodEntry("getUpdateStatus"),
    MethodEntry("execAPList"),
    MethodEntry("getAPList", 1, KindNumber),
    MethodEntry("factoryReset"),
    MethodEntry("getFormatMove"),
    MethodEntry("setFormatMove", 1, KindText),
    MethodEntry("getAudioVolume"),
    MethodEntry("setAudioVolume", 1, KindNumber),
    MethodEntry("getSystemState"),
    MethodEntry("getSystemInfo"),
    MethodEntry("getMicVolume"),
    MethodEntry("setMicVolume", 1, KindNumber),
    MethodEntry("setMicUnmute", 1, KindFlag),
    MethodEntry("setMicMute", 1, KindFlag),
    MethodEntry("getImageInfo"),
    MethodEntry("getSystemIrLed"),
    MethodEntry("setSystemIrLed", 1, KindFlag),
    MethodEntry("getLedStatus"),
    MethodEntry("setLedStatus", 1, KindNumber),
    MethodEntry("getToken"),
    MethodEntry("setToken", 1, KindText),
    MethodEntry("setAdjustFin"),
    MethodEntry("setReadjustment"),
    MethodEntry("execAudioTest", 1, KindNumber),
    MethodEntry("setSystemIrCut", 1, KindNumber),
    MethodEntry("getFlip"),
    MethodEntry("setFlip", 1, KindText),
    MethodEntry("corrDefectivePixel", 1, KindFlag),
    MethodEntry("execWhiteBalanceCalibration", 1, KindFlag),
    MethodEntry("getADCAverage"),
    MethodEntry("getDeviceID"),
    MethodEntry("setDeviceID", 1, KindFlag),
    MethodEntry("getBleRssi"),
    MethodEntry("rftest", 1, KindFlag),
    MethodEntry("execRfTestStart"),
    MethodEntry("execRfTestEnd"),
    MethodEntry("getSystemIrMode"),
    MethodEntry("setSystemIrMode", 1, KindNumber),
    MethodEntry("setDigZoom", 1, KindNumber),
    MethodEntry("execSelfCheck"),
    MethodEntry("CmdCheck", 1, KindFlag),
    MethodEntry("LoopCmd", 1, KindFlag),
    MethodEntry("execAdjustMonitor"),
    MethodEntry("execImageSave"),
    MethodEntry(""),
};

const MethodEntry commandWords[CommandWordCount] = {
    MethodEntry("hello"),     MethodEntry("wifilist"), MethodEntry("auth"),           MethodEntry("setWifi"),
    MethodEntry("readjust"),  MethodEntry("FwVer"),    MethodEntry("GetWifi"),        MethodEntry("WifiQuality"),
    MethodEntry("voluntary"), MethodEntry("Byebye"),   MethodEntry("FactorySetting"), MethodEntry(""),
};

}
