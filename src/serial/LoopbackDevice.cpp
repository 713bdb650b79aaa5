#include "serial/LoopbackDevice.h"

#include <cstring>

bool TLoopbackDevice::Open()
{
    FOpen = true;
    FRts = false;
    FDtr = false;
    FBuffer.clear();
    FReadPos = 0;
    return true;
}

void TLoopbackDevice::Close()
{
    FOpen = false;
    FRts = false;
    FDtr = false;
    FBuffer.clear();
    FReadPos = 0;
}

bool TLoopbackDevice::ApplySettings(const TDeviceLineSettings& aSettings)
{
    if (!FOpen)
        return false;
    FSettings = aSettings;
    return true;
}

qint64 TLoopbackDevice::BytesWaiting()
{
    return FOpen ? FBuffer.size() - FReadPos : 0;
}

qint64 TLoopbackDevice::Read(char* aBuffer, qint64 aMaxSize)
{
    if (!FOpen || aMaxSize <= 0)
        return FOpen ? 0 : -1;
    const qint64 n = qMin(aMaxSize, BytesWaiting());
    std::memcpy(aBuffer, FBuffer.constData() + FReadPos, size_t(n));
    FReadPos += n;
    if (FReadPos == FBuffer.size()) {
        FBuffer.clear();
        FReadPos = 0;
    }
    return n;
}

qint64 TLoopbackDevice::Write(const char* aData, qint64 aSize)
{
    if (!FOpen)
        return -1;
    FBuffer.append(aData, aSize);
    return aSize;
}

void TLoopbackDevice::Purge()
{
    FBuffer.clear();
    FReadPos = 0;
}

bool TLoopbackDevice::SetRts(bool aOn)
{
    if (!FOpen)
        return false;
    FRts = aOn;
    return true;
}

bool TLoopbackDevice::SetDtr(bool aOn)
{
    if (!FOpen)
        return false;
    FDtr = aOn;
    return true;
}

bool TLoopbackDevice::ModemStatus(TModemStatus& aStatus)
{
    if (!FOpen)
        return false;
    aStatus.Cts = FRts;
    aStatus.Dsr = FDtr;
    aStatus.Ring = false;
    return true;
}
