#include "CloudLog.h"

Q_LOGGING_CATEGORY(lcCloud, "ravelo.cloud")
