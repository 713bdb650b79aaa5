#pragma once

#include "serial/ISerialDevice.h"

#include <QList>
#include <QString>

class TComMv;

// One port in the port-selection dialog.
struct TPortEntry
{
    QString Text;         // "Com3 (ttyS2)"; the number parses from the fourth character on
    bool Enabled = true;  // false for a port that cannot be opened right now
    bool Current = false; // the port in use
    QString Reason;       // why it cannot be opened, for a disabled entry
};

// The port's dialogs, installed by the user interface. The port classes ask through it and
// stay free of widgets; without an installed implementation they show nothing.
class IPortDialogs
{
public:
    virtual ~IPortDialogs() = default;
    // Lets the user change the line settings of port aPortName; false when cancelled.
    virtual bool EditLineSettings(const QString& aPortName, TDeviceLineSettings& aSettings) = 0;
    // The port-selection dialog. Choices act on aPort at once; there is nothing to cancel.
    virtual void SelectPort(TComMv& aPort, const QList<TPortEntry>& aEntries) = 0;
};

// The installed dialogs, or nullptr.
IPortDialogs* PortDialogs();
void SetPortDialogs(IPortDialogs* aDialogs);
