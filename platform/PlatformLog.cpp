#include "PlatformLog.h"

// Only critical messages pass unless the rules ask for more.
Q_LOGGING_CATEGORY(lcPlatform, "zanta.platform", QtCriticalMsg)
