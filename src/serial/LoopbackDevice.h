#pragma once

#include "serial/ISerialDevice.h"

#include <QByteArray>

// A device wired like a loopback plug: TX to RX, RTS to CTS, DTR to DSR, RI off.
// Lets the program be tried and tested without hardware.
class TLoopbackDevice final : public ISerialDevice
{
public:
    QString Name() const override { return QStringLiteral("Loopback"); }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return FOpen; }
    bool ApplySettings(const TDeviceLineSettings& aSettings) override;
    qint64 BytesWaiting() override;
    qint64 Read(char* aBuffer, qint64 aMaxSize) override;
    qint64 Write(const char* aData, qint64 aSize) override;
    void Purge() override;
    bool SetRts(bool aOn) override;
    bool SetDtr(bool aOn) override;
    bool ModemStatus(TModemStatus& aStatus) override;
    bool Failed() const override { return false; }

    const TDeviceLineSettings& Settings() const { return FSettings; }

private:
    bool FOpen = false;
    bool FRts = false;
    bool FDtr = false;
    TDeviceLineSettings FSettings;
    QByteArray FBuffer;
    qsizetype FReadPos = 0;
};
