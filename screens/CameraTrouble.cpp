#include "CameraTrouble.h"

#include "command/UsbUtil.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace CameraTrouble {

QString openFailure(int code)
{
    if (code == EACCES || code == EPERM)
        return QCoreApplication::translate(
            "PreparationWindow", "カメラを開く権限がありません。udevルールを入れて、カメラを挿し直してください");
    if (code == EBUSY)
        return QCoreApplication::translate("PreparationWindow",
                                           "カメラは他のプログラムかドライバーが使用中です。それを終了してください");
    if (code != 0)
        return QCoreApplication::translate("PreparationWindow", "カメラを開けません：%1")
            .arg(QString::fromLocal8Bit(std::strerror(code)));
    return QString();
}

QString exchangeFailure()
{
    const QString refused = openFailure(UsbUtil::instance()->cameraOpenFailure());
    if (!refused.isEmpty())
        return refused;
    return QCoreApplication::translate("CameraTrouble", "カメラが正しく応答しません。カメラを挿し直してください");
}

}
