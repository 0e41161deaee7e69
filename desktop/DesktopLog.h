#pragma once

#include <QLoggingCategory>

// The desktop's own services (the PC's Wi-Fi network). QT_LOGGING_RULES="ravelo.desktop.debug=false" silences it.
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
