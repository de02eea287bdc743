#pragma once
// Diagnostics of platform/, off by default; QT_LOGGING_RULES="zanta.platform*=true"
// shows them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
