#pragma once
// Diagnostics of the network records and the session wrapper, off by default;
// QT_LOGGING_RULES="zanta.net*=true" shows them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcNet)
