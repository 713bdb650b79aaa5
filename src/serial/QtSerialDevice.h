#pragma once

#include "serial/ISerialDevice.h"

#include <QSerialPort>

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
    bool SetRts(bool aOn) override;
    bool SetDtr(bool aOn) override;
    bool ModemStatus(TModemStatus& aStatus) override;
    bool Failed() const override { return FFailed; }

    TOpenError LastOpenError() const override { return FOpenError; }
    QString LastOpenErrorText() const override { return FOpenErrorText; }

private:
    QSerialPort FPort;
    bool FFailed = false;
    bool FProbing = false;
    std::function<void()> FOnBytesWritten;
    bool FModemStatusUnsupported = false;
    TOpenError FOpenError = TOpenError::None;
    QString FOpenErrorText;
};
