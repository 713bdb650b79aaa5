#pragma once

#include "serial/ISerialDevice.h"

#include <QSerialPort>

#include <memory>

class QObject;
class TReadPump;

// A real port (or pty, or any tty path) through QSerialPort.
class TQtSerialDevice final : public ISerialDevice
{
public:
    explicit TQtSerialDevice(const QString& aPath);
    ~TQtSerialDevice() override;

    QString Name() const override { return FPort.portName(); }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return FPort.isOpen(); }
    bool ApplySettings(const TDeviceLineSettings& aSettings) override;
    qint64 BytesWaiting() override;
    qint64 Read(char* aBuffer, qint64 aMaxSize) override;
    qint64 Write(const char* aData, qint64 aSize) override;
    void Purge() override;
    qint64 BytesToWrite() override;
    void DiscardOutput() override;
    void SetOnBytesWritten(std::function<void()> aCallback) override;
    void SetOnBacklog(std::function<void()> aCallback) override { FOnBacklog = std::move(aCallback); }
    bool SetRts(bool aOn) override;
    bool SetDtr(bool aOn) override;
    bool ModemStatus(TModemStatus& aStatus) override;
    bool Failed() const override;

    TOpenError LastOpenError() const override { return FOpenError; }
    QString LastOpenErrorText() const override { return FOpenErrorText; }

private:
    // Where the system allows, a thread of our own reads the port instead of the event loop.
    void StartPump();
    void StopPump();

    QSerialPort FPort;
#ifdef Q_OS_LINUX
    std::unique_ptr<TReadPump> FPump;
    std::unique_ptr<QObject> FNotifierGuard;
#endif
    bool FFailed = false;
    bool FProbing = false;
    std::function<void()> FOnBytesWritten;
    std::function<void()> FOnBacklog;
    bool FModemStatusUnsupported = false;
    TOpenError FOpenError = TOpenError::None;
    QString FOpenErrorText;
};
