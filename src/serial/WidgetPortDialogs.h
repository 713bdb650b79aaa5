#pragma once

#include "serial/PortDialogs.h"

// The port's dialogs as windows: TLineSettingsDialog and TEinstellungen.
class TWidgetPortDialogs final : public IPortDialogs
{
public:
    bool EditLineSettings(const QString& aPortName, TDeviceLineSettings& aSettings) override;
    void SelectPort(TComMv& aPort, const QList<TPortEntry>& aEntries) override;
};
