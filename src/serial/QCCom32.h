#pragma once

#include "serial/ISerialDevice.h"
#include "serial/SerialTypes.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTimer;

// Owns one serial device: opening and closing by port number, the line parameters with the
// flag word, reading what has arrived, writing, RTS/DTR, the terminator read with its
// response timer, and the two ways of listing the machine's ports.
// Answers with booleans and silent no-ops on a closed port; never throws.
class T_QCCom32 : public QObject
{
public:
    using TNotifyEvent = std::function<void(QObject* aSender)>;

    explicit T_QCCom32(QObject* aOwner = nullptr);
    ~T_QCCom32() override;

    bool Open();
    void Close();
    virtual QString Read();
    // The same as bytes, one per received byte.
    QByteArray ReadBytes();
    void Flush();
    virtual bool properties();
    void SetWriteTimeOut(int aToChar, int aToMax);
    qint64 InCount();
    // Bytes written that still wait to leave for the line, and throwing them away.
    qint64 OutCount();
    void DiscardOutput();
    bool Opened() const { return hPort != nullptr; }
    // Why the last Open() failed, naming the device; empty after one that succeeded.
    QString OpenFailure() const { return FOpenFailure; }

    void GetRegistryPortList(QStringList& aList);
    void GetProbedPortList(QStringList& aList);
    // The sorting rule of the registry list: "COMn" values first by number as "Comn",
    // then the other names alphabetically.
    static QStringList SortPortNames(const QStringList& aValueNames);
    // The port number of a list entry ("Com3", "Com 3", "Com33 (ttyUSB0)"); -1 if none.
    static int PortNumberFromEntry(const QString& aEntry);

    quint32 Flag() const { return FFlag; }
    void SetFlag(quint32 aFlag) { FFlag = aFlag; }
    quint32 Handshake() const { return FFlag; }
    void SetHandshake(quint32 aFlag) { FFlag = aFlag; }
    ISerialDevice* handle() const { return hPort.get(); }

    int Port() const { return nPort; }
    void SetPort(int aPort);
    int Baud() const { return lBaud; }
    void SetBaud(int aBaud);
    int DataBits() const { return lDataBits; }
    void SetDataBits(int aDataBits);
    TStopBit StopBits() const { return lStopBits; }
    void SetStopBits(TStopBit aStopBits);
    TParity Parity() const { return lParity; }
    void SetParity(TParity aParity);

    QString EndOfResponse() const { return sInTerminator; }
    void SetEndOfResponse(const QString& aTerminator) { sInTerminator = aTerminator; }
    bool TimedOut() const { return boolExpired; }
    int ResponseTime() const;
    void SetResponseTime(int aMs);
    bool ShowErrors() const { return boolShowErrors; }
    void SetShowErrors(bool aShow) { boolShowErrors = aShow; }
    bool InUse() const { return boolInUse; }
    bool BreakOff() const { return FBreakOff; }
    void SetBreakOff(bool aBreakOff) { FBreakOff = aBreakOff; }

    bool RTS() const { return FRTS; }
    void SetRTS(bool aOn);
    bool DTR() const { return FDTR; }
    void SetDTR(bool aOn);

    TNotifyEvent OnTimeout;
    TNotifyEvent OnParamChange;
    // Queued output left for the line (devices that queue output only).
    std::function<void()> OnBytesWritten;
    // A burst of input waits: worth reading before the next regular poll.
    std::function<void()> OnBacklog;

    // At most this many bytes per Read (0: everything waiting), so a flood of data is taken
    // in pieces of bounded size.
    qint64 MaxReadSize() const { return FMaxReadSize; }
    void SetMaxReadSize(qint64 aBytes) { FMaxReadSize = aBytes; }

    // The device reports that it broke down (unplugged, gone) since it was opened.
    bool DeviceFailed() const { return hPort && hPort->Failed(); }

protected:
    // The line parameters as they go to the device, with the bits the port always sets.
    TDeviceLineSettings DeviceSettings() const;
    // What waits, up to MaxReadSize bytes.
    QByteArray ReadWaiting();
    void RaiseParamChange();
    void Reopen();
    template <class T>
    void ChangeParameter(T& aField, T aValue);

private:
    void TimerExpired();

    quint32 FFlag = 0;
    std::unique_ptr<ISerialDevice> hPort;
    int nPort = 1;
    int lBaud = 9600;
    int lDataBits = 8;
    TStopBit lStopBits = sb1_0;
    TParity lParity = paNone;
    QString sInTerminator;
    QString FOpenFailure;
    bool boolExpired = false;
    QTimer* Timer = nullptr;
    bool boolShowErrors = false;
    bool boolInUse = false;
    bool FBreakOff = false;
    bool FRTS = false;
    bool FDTR = false;
    qint64 FMaxReadSize = 0;
};
