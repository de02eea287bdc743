#pragma once
// Diagnostics of the table widgets, off by default; QT_LOGGING_RULES="zanta.widgets*=true"
// shows them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWidgets)
