#pragma once

#include <QLoggingCategory>

// Diagnostic trace categories (enable with QT_LOGGING_RULES="varnex.*=true").
// Nothing in the program depends on what they print.
Q_DECLARE_LOGGING_CATEGORY(lcSerialDevice)
Q_DECLARE_LOGGING_CATEGORY(lcPoll)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcScript)
Q_DECLARE_LOGGING_CATEGORY(lcCommands)
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
