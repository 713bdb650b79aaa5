#include "serial/QtSerialDevice.h"

#include "serial/FlowControl.h"

#include "log/Log.h"

#include <QEvent>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include "serial/ReadPump.h"
#endif

namespace {

// How long closing waits for bytes still queued for the line.
constexpr int kCloseDrainMs = 500;
constexpr qint64 kReadBufferBytes = 4 << 20;
// Input piling up beyond this is a burst worth starting on before the next poll; a steady
// stream of a few MB/s stays below it between two polls.
constexpr qint64 kBacklogBytes = 256 << 10;

QSerialPort::Parity ToQt(TParity aParity)
{
    switch (aParity) {
    case paNone: return QSerialPort::NoParity;
    case paOdd: return QSerialPort::OddParity;
    case paEven: return QSerialPort::EvenParity;
    case paMark: return QSerialPort::MarkParity;
    case paSpace: return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(TStopBit aStopBits)
{
    switch (aStopBits) {
    case sb1_0: return QSerialPort::OneStop;
    case sb1_5: return QSerialPort::OneAndHalfStop;
    case sb2_0: return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

#ifdef Q_OS_LINUX
// Keeps QSerialPort's own read notifier quiet while our reader thread owns the input: the port
// switches it back on after some of its calls, and two readers would split the data between
// them. The first activation after such a call switches it off again and is dropped.
class TNotifierGuard final : public QObject
{
public:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() != QEvent::SockAct)
            return false;
        static_cast<QSocketNotifier*>(aWatched)->setEnabled(false);
        return true;
    }
};
#endif

} // namespace

TQtSerialDevice::TQtSerialDevice(const QString& aPath)
{
    FPort.setPortName(aPath);
    // Bounded, so a flood waits in the driver rather than in our memory; the window reads
    // far faster than any line delivers, so the reserve is never used up.
    FPort.setReadBufferSize(kReadBufferBytes);
    QObject::connect(
        &FPort, &QSerialPort::errorOccurred, &FPort, [this](QSerialPort::SerialPortError aError) {
            if (!FPort.isOpen())
                return;
            if (FProbing) {
                if (aError == QSerialPort::ResourceError) {
                    qCWarning(lcSerialDevice) << FPort.portName() << FPort.errorString();
                    FFailed = true;
                }
                return;
            }
            // A vanished device (USB unplug) shows up as a resource error, but so does a full output
            // queue (EAGAIN), and a tty whose other end went away (a pty whose master closed) reads
            // as end of file and refuses writes, which come as plain read or write errors. Asking for
            // the modem lines tells them apart: only a device that is gone fails that with a resource
            // error too.
            if (aError == QSerialPort::ResourceError || aError == QSerialPort::ReadError
                || aError == QSerialPort::WriteError) {
                FProbing = true;
                FPort.pinoutSignals();
                FProbing = false;
                if (!FFailed)
                    FPort.clearError();
            }
        });
    QObject::connect(&FPort, &QSerialPort::bytesWritten, &FPort, [this] {
        if (FOnBytesWritten)
            FOnBytesWritten();
    });
}

void TQtSerialDevice::SetOnBytesWritten(std::function<void()> aCallback)
{
    FOnBytesWritten = std::move(aCallback);
}

TQtSerialDevice::~TQtSerialDevice()
{
    Close();
}

bool TQtSerialDevice::Open()
{
    FFailed = false;
    FModemStatusUnsupported = false;
    FOpenError = TOpenError::None;
    FOpenErrorText.clear();
    if (FPort.open(QIODevice::ReadWrite)) {
        StartPump();
        return true;
    }
    FOpenErrorText = FPort.errorString();
    switch (FPort.error()) {
    case QSerialPort::DeviceNotFoundError: FOpenError = TOpenError::NotFound; break;
    case QSerialPort::PermissionError: FOpenError = TOpenError::Busy; break;
    default: FOpenError = TOpenError::Other; break;
    }
    qCInfo(lcSerialDevice) << "open" << FPort.portName() << "failed:" << FPort.errorString();
    FPort.clearError();
    return false;
}

void TQtSerialDevice::StartPump()
{
#ifdef Q_OS_LINUX
    QSocketNotifier* readNotifier = nullptr;
    for (QSocketNotifier* notifier : FPort.findChildren<QSocketNotifier*>())
        if (notifier->type() == QSocketNotifier::Read && notifier->socket() == FPort.handle())
            readNotifier = notifier;
    // Without the port's notifier in hand the port reads on its own, as everywhere else.
    if (!readNotifier)
        return;
    FNotifierGuard = std::make_unique<TNotifierGuard>();
    readNotifier->installEventFilter(FNotifierGuard.get());
    readNotifier->setEnabled(false);
    // From the reading thread to ours; a call still queued when the port goes is dropped.
    auto onBacklog = [this] {
        QMetaObject::invokeMethod(
            &FPort,
            [this] {
                if (FOnBacklog)
                    FOnBacklog();
            },
            Qt::QueuedConnection);
    };
    FPump = std::make_unique<TReadPump>(FPort.handle(), kReadBufferBytes, onBacklog, kBacklogBytes);
    if (!FPump->Running()) {
        FPump.reset();
        readNotifier->removeEventFilter(FNotifierGuard.get());
        FNotifierGuard.reset();
        readNotifier->setEnabled(true);
    }
#endif
}

void TQtSerialDevice::StopPump()
{
#ifdef Q_OS_LINUX
    // The thread must be gone before the descriptor closes.
    FPump.reset();
    FNotifierGuard.reset(); // a destroyed filter object removes itself
#endif
}

bool TQtSerialDevice::Failed() const
{
#ifdef Q_OS_LINUX
    if (FPump && FPump->Broken())
        return true;
#endif
    return FFailed;
}

void TQtSerialDevice::Close()
{
    StopPump();
    if (!FPort.isOpen())
        return;
    if (!Failed() && FPort.bytesToWrite() > 0)
        FPort.waitForBytesWritten(kCloseDrainMs);
    FPort.close();
    FPort.clearError();
    FFailed = false;
}

bool TQtSerialDevice::ApplySettings(const TDeviceLineSettings& aSettings)
{
    if (!FPort.isOpen())
        return false;
    TFlowControl flow = FlowFromFlag(aSettings.Flag);
    const QSerialPort::FlowControl qtFlow = flow == TFlowControl::Hardware ? QSerialPort::HardwareControl
        : flow == TFlowControl::XonXoff                                    ? QSerialPort::SoftwareControl
                                                                           : QSerialPort::NoFlowControl;
    bool ok = FPort.setBaudRate(aSettings.Baud) && aSettings.DataBits >= 5 && aSettings.DataBits <= 8
        && FPort.setDataBits(QSerialPort::DataBits(aSettings.DataBits))
        && FPort.setParity(ToQt(aSettings.Parity)) && FPort.setStopBits(ToQt(aSettings.StopBits))
        && FPort.setFlowControl(qtFlow);
    if (!ok)
        qCInfo(lcSerialDevice) << "settings refused:" << FPort.errorString();
    FPort.clearError();
    return ok;
}

qint64 TQtSerialDevice::BytesWaiting()
{
    if (!FPort.isOpen())
        return 0;
#ifdef Q_OS_LINUX
    if (FPump)
        return FPump->Available();
#endif
    qint64 n = FPort.bytesAvailable();
    if (n == 0 && !FFailed) {
        // Pick up what the driver holds even when no event loop ran since it arrived.
        FPort.waitForReadyRead(0);
        if (FPort.error() == QSerialPort::TimeoutError)
            FPort.clearError();
        n = FPort.bytesAvailable();
    }
    return n;
}

qint64 TQtSerialDevice::Read(char* aBuffer, qint64 aMaxSize)
{
    if (!FPort.isOpen())
        return -1;
#ifdef Q_OS_LINUX
    if (FPump)
        return FPump->Read(aBuffer, aMaxSize);
#endif
    return FPort.read(aBuffer, aMaxSize);
}

qint64 TQtSerialDevice::Write(const char* aData, qint64 aSize)
{
    if (!FPort.isOpen() || Failed())
        return -1;
    const qint64 written = FPort.write(aData, aSize);
    // Push at once what the driver takes; the rest leaves as the line drains.
    FPort.flush();
    return written;
}

qint64 TQtSerialDevice::BytesToWrite()
{
    return FPort.isOpen() ? FPort.bytesToWrite() : 0;
}

void TQtSerialDevice::DiscardOutput()
{
    if (FPort.isOpen())
        FPort.clear(QSerialPort::Output);
}

void TQtSerialDevice::Purge()
{
    if (!FPort.isOpen())
        return;
    FPort.clear(QSerialPort::AllDirections);
#ifdef Q_OS_LINUX
    if (FPump)
        FPump->Clear();
#endif
}

bool TQtSerialDevice::SetRts(bool aOn)
{
    if (!FPort.isOpen() || FPort.flowControl() == QSerialPort::HardwareControl)
        return false;
    const bool ok = FPort.setRequestToSend(aOn);
    FPort.clearError();
    return ok;
}

bool TQtSerialDevice::SetDtr(bool aOn)
{
    if (!FPort.isOpen())
        return false;
    const bool ok = FPort.setDataTerminalReady(aOn);
    FPort.clearError();
    return ok;
}

bool TQtSerialDevice::ModemStatus(TModemStatus& aStatus)
{
    aStatus = {};
    // A pty has no modem lines; ask once, then keep the inputs off without error.
    if (!FPort.isOpen() || FModemStatusUnsupported || Failed())
        return false;
    const QSerialPort::PinoutSignals pins = FPort.pinoutSignals();
    if (FPort.error() != QSerialPort::NoError) {
        FPort.clearError();
        FModemStatusUnsupported = true;
        return false;
    }
    aStatus.Cts = pins.testFlag(QSerialPort::ClearToSendSignal);
    aStatus.Dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
    aStatus.Ring = pins.testFlag(QSerialPort::RingIndicatorSignal);
    return true;
}
