#include "WidgetsLog.h"

// Only critical messages pass unless the rules ask for more.
Q_LOGGING_CATEGORY(lcWidgets, "zanta.widgets", QtCriticalMsg)
