#pragma once
// Diagnostics of the table engine, off by default; QT_LOGGING_RULES="zanta.table*=true"
// shows them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcTable)
