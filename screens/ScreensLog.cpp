#include "ScreensLog.h"

// Debug lines only when asked for (--verbose or QT_LOGGING_RULES).
Q_LOGGING_CATEGORY(lcScreens, "ravelo.screens", QtInfoMsg)
