#include "TableLog.h"

// Only critical messages pass unless the rules ask for more.
Q_LOGGING_CATEGORY(lcTable, "zanta.table", QtCriticalMsg)
