#pragma once

#include <QLoggingCategory>

// USB link: requests to and replies from the camera. QT_LOGGING_RULES="ravelo.usb.debug=false" silences it.
Q_DECLARE_LOGGING_CATEGORY(lcUsb)
