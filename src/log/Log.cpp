#include "log/Log.h"

Q_LOGGING_CATEGORY(lcSerialDevice, "varnex.serial.device", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPoll, "varnex.terminal.poll", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "varnex.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcScript, "varnex.script", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCommands, "varnex.commands", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUpdate, "varnex.update", QtWarningMsg)
