#pragma once

#include "serial/ISerialDevice.h"
#include "serial/PortRegistry.h"

#include <QByteArray>
#include <QList>

#include <memory>

// What a fake device did and what it is told to do, shared between the test and the
// device (the port owns the device; the test keeps the state).
struct TFakeDeviceState
{
    // Behaviour set by the test
    bool OpenFails = false;
    ISerialDevice::TOpenError OpenError = ISerialDevice::TOpenError::NotFound;
    QString OpenErrorText;
    bool SettingsRefused = false;
    bool ModemStatusFails = false;
    bool Failed = false;    // the device broke down (unplugged)
    qint64 WriteLimit = -1; // accept at most this many bytes per write (-1: all)
    QByteArray Incoming;    // bytes waiting to be read
    qint64 OutputQueue = 0; // written bytes the device says still wait for the line
    TModemStatus Modem;

    // What happened
    int Opens = 0;
    int Closes = 0;
    int Reads = 0;
    int Purges = 0;
    int OutputDiscards = 0;
    QList<TDeviceLineSettings> Applied;
    QByteArray Written;
    QList<bool> RtsCalls;
    QList<bool> DtrCalls;
    bool IsOpen = false;
};

class TFakeSerialDevice final : public ISerialDevice
{
public:
    explicit TFakeSerialDevice(std::shared_ptr<TFakeDeviceState> aState)
        : FState(std::move(aState))
    {
    }

    QString Name() const override { return QStringLiteral("Fake"); }
    bool Open() override
    {
        if (FState->OpenFails)
            return false;
        ++FState->Opens;
        FState->IsOpen = true;
        return true;
    }
    void Close() override
    {
        if (FState->IsOpen)
            ++FState->Closes;
        FState->IsOpen = false;
    }
    bool IsOpen() const override { return FState->IsOpen; }
    bool ApplySettings(const TDeviceLineSettings& aSettings) override
    {
        FState->Applied << aSettings;
        return !FState->SettingsRefused;
    }
    qint64 BytesWaiting() override { return FState->Incoming.size(); }
    qint64 Read(char* aBuffer, qint64 aMaxSize) override
    {
        ++FState->Reads;
        const qint64 n = qMin<qint64>(aMaxSize, FState->Incoming.size());
        std::copy_n(FState->Incoming.constData(), n, aBuffer);
        FState->Incoming.remove(0, n);
        return n;
    }
    qint64 Write(const char* aData, qint64 aSize) override
    {
        const qint64 n = FState->WriteLimit >= 0 ? qMin(aSize, FState->WriteLimit) : aSize;
        FState->Written.append(aData, n);
        return n;
    }
    void Purge() override { ++FState->Purges; }
    qint64 BytesToWrite() override { return FState->OutputQueue; }
    void DiscardOutput() override
    {
        ++FState->OutputDiscards;
        FState->OutputQueue = 0;
    }
    bool SetRts(bool aOn) override
    {
        FState->RtsCalls << aOn;
        return true;
    }
    bool SetDtr(bool aOn) override
    {
        FState->DtrCalls << aOn;
        return true;
    }
    bool ModemStatus(TModemStatus& aStatus) override
    {
        if (FState->ModemStatusFails)
            return false;
        aStatus = FState->Modem;
        return true;
    }
    bool Failed() const override { return FState->Failed; }
    TOpenError LastOpenError() const override
    {
        return FState->OpenFails ? FState->OpenError : TOpenError::None;
    }
    QString LastOpenErrorText() const override { return FState->OpenFails ? FState->OpenErrorText : QString(); }

private:
    std::shared_ptr<TFakeDeviceState> FState;
};

// Puts a fake device behind every port number; returns the state the test controls.
inline std::shared_ptr<TFakeDeviceState> InstallFakePorts()
{
    auto state = std::make_shared<TFakeDeviceState>();
    TPortRegistry::Instance().SetDeviceFactory(
        [state](int) { return std::make_unique<TFakeSerialDevice>(state); });
    return state;
}
