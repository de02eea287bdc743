#include "NetDebug.h"

Q_LOGGING_CATEGORY(lcNet, "zanta.net", QtCriticalMsg)
