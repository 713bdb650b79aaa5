#pragma once

#include "serial/SerialTypes.h"

#include <QString>
#include <QtGlobal>

#include <functional>

// The line parameters handed to a device when it is opened, shaped like the driver's
// device control block.
struct TDeviceLineSettings
{
    qint32 Baud = 9600;
    qint32 DataBits = 8;
    TParity Parity = paNone;
    TStopBit StopBits = sb1_0;
    quint32 Flag = 0;
};

struct TModemStatus
{
    bool Cts = false;
    bool Dsr = false;
    bool Ring = false;
};

// One serial device. Answers with booleans; never throws. A device that breaks down
// (unplugged, gone) reports it through Failed() until it is closed.
class ISerialDevice
{
public:
    virtual ~ISerialDevice() = default;

    virtual QString Name() const = 0;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Applies the line parameters to an open device; false when the device refuses them.
    virtual bool ApplySettings(const TDeviceLineSettings& aSettings) = 0;

    virtual qint64 BytesWaiting() = 0;
    virtual qint64 Read(char* aBuffer, qint64 aMaxSize) = 0;
    virtual qint64 Write(const char* aData, qint64 aSize) = 0;
    virtual void Purge() = 0;
    // Bytes handed to Write that still wait to leave for the line (0 when the device keeps
    // none back), and throwing them away.
    virtual qint64 BytesToWrite() { return 0; }
    virtual void DiscardOutput() {}
    // Called whenever queued bytes left for the line, so a writer can top the queue up at once.
    virtual void SetOnBytesWritten(std::function<void()> aCallback) { Q_UNUSED(aCallback); }
    // Called (on the owner's thread) when a burst of input piles up faster than the owner's
    // regular look at it would take it (devices that read on their own only).
    virtual void SetOnBacklog(std::function<void()> aCallback) { Q_UNUSED(aCallback); }

    virtual bool SetRts(bool aOn) = 0;
    virtual bool SetDtr(bool aOn) = 0;
    // False when the device cannot tell (then the inputs read as off).
    virtual bool ModemStatus(TModemStatus& aStatus) = 0;

    virtual bool Failed() const = 0;

    // Why the last Open() failed, for the port probe.
    enum class TOpenError { None, NotFound, Busy, Other };
    virtual TOpenError LastOpenError() const { return TOpenError::None; }
    // The system's own words for the last failed Open(), when it has any.
    virtual QString LastOpenErrorText() const { return {}; }
};
