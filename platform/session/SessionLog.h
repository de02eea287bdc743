#pragma once
// Diagnostics of the session transport, off by default;
// QT_LOGGING_RULES="zanta.session*=true" shows them.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSession)
