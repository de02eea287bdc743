#include "SessionLog.h"

// Only critical messages pass unless the rules ask for more.
Q_LOGGING_CATEGORY(lcSession, "zanta.session", QtCriticalMsg)
