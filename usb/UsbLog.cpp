#include "UsbLog.h"

// Debug lines only when asked for (--verbose or QT_LOGGING_RULES).
Q_LOGGING_CATEGORY(lcUsb, "ravelo.usb", QtInfoMsg)
