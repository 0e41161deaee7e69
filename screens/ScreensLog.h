#pragma once

#include <QLoggingCategory>

// Screens: what the wizard screens do. QT_LOGGING_RULES="ravelo.screens.debug=false" silences it.
Q_DECLARE_LOGGING_CATEGORY(lcScreens)
