#include "ScreensLog.h"

Q_LOGGING_CATEGORY(lcScreens, "ravelo.screens")
