#pragma once

#include <QLoggingCategory>

// Cloud service: exchanges, their outcome and TLS errors. QT_LOGGING_RULES="ravelo.cloud.debug=false" silences it.
Q_DECLARE_LOGGING_CATEGORY(lcCloud)
