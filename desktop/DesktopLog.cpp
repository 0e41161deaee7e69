#include "DesktopLog.h"

Q_LOGGING_CATEGORY(lcDesktop, "ravelo.desktop")
