#include "serial/QCCom32.h"

#include "base/Prompts.h"
#include "serial/PortDialogs.h"
#include "serial/PortNames.h"
#include "serial/PortRegistry.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {
constexpr int kDefaultResponseMs = 1000;
// Upper end of the probe, so that a machine full of odd device nodes cannot keep it going.
constexpr int kMaxProbedPort = 255;
} // namespace

T_QCCom32::T_QCCom32(QObject* aOwner)
    : QObject(aOwner)
{
    Timer = new QTimer(this);
    Timer->setInterval(kDefaultResponseMs);
    Timer->setSingleShot(false);
    connect(Timer, &QTimer::timeout, this, [this] { TimerExpired(); });
}

T_QCCom32::~T_QCCom32()
{
    SetRTS(false);
    delete Timer;
    Timer = nullptr;
    Close();
}

TDeviceLineSettings T_QCCom32::DeviceSettings() const
{
    TDeviceLineSettings settings;
    settings.Baud = lBaud;
    settings.DataBits = lDataBits & 0xFF;
    settings.Parity = lParity;
    settings.StopBits = lStopBits;
    // Binary mode and parity checking always on; XON/XOFF needs DTR enabled.
    settings.Flag = FFlag | DcbFlag::Binary | DcbFlag::Parity;
    if (FFlag & (DcbFlag::OutX | DcbFlag::InX))
        settings.Flag |= DcbFlag::DtrControlEnable;
    return settings;
}

bool T_QCCom32::Open()
{
    if (Opened())
        Close();
    for (;;) {
        std::unique_ptr<ISerialDevice> device = TPortRegistry::Instance().CreateDevice(nPort);
        if (device && device->Open()) {
            FOpenFailure.clear();
            hPort = std::move(device);
            hPort->SetOnBytesWritten([this] {
                if (OnBytesWritten)
                    OnBytesWritten();
            });
            hPort->SetOnBacklog([this] {
                if (OnBacklog)
                    OnBacklog();
            });
            break;
        }
        FOpenFailure = TPortRegistry::Instance().OpenFailure(nPort, device.get());
        if (!boolShowErrors)
            return false;
        const auto answer =
            Prompts().Ask(IPrompts::TKind::Warning,
                          QStringLiteral("Error opening COM%1: ").arg(nPort) + FOpenFailure,
                          {IPrompts::TButton::Abort, IPrompts::TButton::Retry});
        if (answer != IPrompts::TButton::Retry)
            return false;
    }
    if (!hPort->ApplySettings(DeviceSettings()))
        Prompts().ShowMessage(QStringLiteral("Error setting DCB"));
    // Lines requested off are left as the driver has them.
    if (FRTS)
        hPort->SetRts(true);
    if (FDTR)
        hPort->SetDtr(true);
    RaiseParamChange();
    return Opened();
}

void T_QCCom32::Close()
{
    FOpenFailure.clear(); // a port switched off has nothing left to explain
    if (hPort) {
        hPort->Close();
        hPort.reset();
    }
}

QByteArray T_QCCom32::ReadWaiting()
{
    const qint64 waiting = InCount();
    if (waiting <= 0)
        return {};
    const qint64 n = FMaxReadSize > 0 ? qMin(waiting, FMaxReadSize) : waiting;
    QByteArray buffer(n, Qt::Uninitialized);
    const qint64 got = hPort->Read(buffer.data(), n);
    if (got <= 0)
        return {};
    buffer.truncate(got);
    return buffer;
}

QString T_QCCom32::Read()
{
    return QString::fromLatin1(ReadBytes());
}

QByteArray T_QCCom32::ReadBytes()
{
    FBreakOff = false;
    QByteArray result;
    if (boolInUse) {
        if (boolShowErrors)
            Prompts().ShowMessage(QStringLiteral("Port is in use -- operation aborted"));
        return result;
    }
    boolInUse = true;
    if (sInTerminator.isEmpty()) {
        if (Opened())
            result = ReadWaiting();
    } else {
        // Received bytes are Latin-1 characters: a terminator beyond that never matches.
        const QByteArray terminator = sInTerminator.toLatin1();
        const bool matchable = QString::fromLatin1(terminator) == sInTerminator;
        boolExpired = false;
        Timer->start();
        for (;;) {
            result += ReadWaiting();
            const qsizetype at = matchable ? result.indexOf(terminator) : -1;
            if (at >= 0) {
                result.truncate(at);
                break;
            }
            if (boolExpired || FBreakOff)
                break;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
        if (boolExpired && boolShowErrors)
            Prompts().Ask(IPrompts::TKind::Warning, QStringLiteral("Wrtite Timeout"),
                          {IPrompts::TButton::Abort, IPrompts::TButton::Retry});
    }
    Timer->stop();
    boolInUse = false;
    return result;
}

void T_QCCom32::TimerExpired()
{
    boolExpired = true;
    Timer->stop();
    if (OnTimeout)
        OnTimeout(this);
}

void T_QCCom32::Flush()
{
    if (Opened())
        hPort->Purge();
}

bool T_QCCom32::properties()
{
    IPortDialogs* dialogs = PortDialogs();
    if (!Opened() || !dialogs)
        return false;
    TDeviceLineSettings settings = DeviceSettings();
    settings.Flag = FFlag;
    if (lParity != paNone)
        settings.Flag |= DcbFlag::Parity;
    if (!dialogs->EditLineSettings(QStringLiteral("Com%1").arg(nPort), settings))
        return false;
    SetBaud(settings.Baud);
    SetStopBits(settings.StopBits);
    SetParity(settings.Parity);
    SetDataBits(settings.DataBits);
    if (settings.Flag != FFlag) {
        FFlag = settings.Flag;
        RaiseParamChange();
        if (Opened())
            Reopen();
    }
    return true;
}

void T_QCCom32::SetWriteTimeOut(int aToChar, int aToMax)
{
    // The devices write asynchronously and drain on close; nothing to configure.
    Q_UNUSED(aToChar);
    Q_UNUSED(aToMax);
}

qint64 T_QCCom32::InCount()
{
    if (!Opened())
        return 0;
    return std::max<qint64>(0, hPort->BytesWaiting());
}

qint64 T_QCCom32::OutCount()
{
    return Opened() ? std::max<qint64>(0, hPort->BytesToWrite()) : 0;
}

void T_QCCom32::DiscardOutput()
{
    if (Opened())
        hPort->DiscardOutput();
}

void T_QCCom32::RaiseParamChange()
{
    if (OnParamChange)
        OnParamChange(this);
}

void T_QCCom32::Reopen()
{
    Close();
    Open();
}

// A changed line parameter is announced and, on an open port, takes effect at once.
template <class T>
void T_QCCom32::ChangeParameter(T& aField, T aValue)
{
    if (aValue == aField)
        return;
    aField = aValue;
    RaiseParamChange();
    if (Opened())
        Reopen();
}

void T_QCCom32::SetPort(int aPort)
{
    ChangeParameter(nPort, aPort);
}

void T_QCCom32::SetBaud(int aBaud)
{
    ChangeParameter(lBaud, aBaud);
}

void T_QCCom32::SetDataBits(int aDataBits)
{
    if (aDataBits == lDataBits)
        return;
    if (aDataBits >= 3 && aDataBits <= 8) {
        lDataBits = aDataBits;
        RaiseParamChange();
    }
    if (Opened())
        Reopen();
}

void T_QCCom32::SetStopBits(TStopBit aStopBits)
{
    ChangeParameter(lStopBits, aStopBits);
}

void T_QCCom32::SetParity(TParity aParity)
{
    ChangeParameter(lParity, aParity);
}

int T_QCCom32::ResponseTime() const
{
    return Timer ? Timer->interval() : 0;
}

void T_QCCom32::SetResponseTime(int aMs)
{
    if (Timer)
        Timer->setInterval(aMs);
}

void T_QCCom32::SetRTS(bool aOn)
{
    FRTS = aOn;
    if (Opened())
        hPort->SetRts(aOn);
}

void T_QCCom32::SetDTR(bool aOn)
{
    FDTR = aOn;
    if (Opened())
        hPort->SetDtr(aOn);
}

QStringList T_QCCom32::SortPortNames(const QStringList& aValueNames)
{
    QList<int> numbers;
    QStringList names;
    for (const QString& value : aValueNames) {
        QString rest = value;
        rest.remove(QStringLiteral("com"), Qt::CaseInsensitive);
        bool ok = false;
        const int number = rest.toInt(&ok);
        if (ok)
            numbers << number;
        else
            names << value;
    }
    names.sort();
    std::sort(numbers.begin(), numbers.end());
    QStringList result;
    for (int number : std::as_const(numbers))
        result << QStringLiteral("Com%1").arg(number);
    return result + names;
}

void T_QCCom32::GetRegistryPortList(QStringList& aList)
{
    TPortRegistry& registry = TPortRegistry::Instance();
    QStringList values;
    auto add = [&values](const QString& aValue) {
        if (!values.contains(aValue))
            values << aValue;
    };
    for (const QString& name : registry.MachinePorts()) {
        const int number = registry.PortNumberOf(name);
        add(number >= 0 ? QStringLiteral("COM%1").arg(number) : name);
    }
    const QMap<int, QString> bound = registry.Bindings();
    for (auto it = bound.cbegin(); it != bound.cend(); ++it)
        add(QStringLiteral("COM%1").arg(it.key()));
    add(QStringLiteral("COM%1").arg(TPortRegistry::kLoopbackPort));
    aList = SortPortNames(values);
    for (QString& entry : aList) {
        const int number = PortNumberFromEntry(entry);
        if (number == TPortRegistry::kLoopbackPort) {
            entry += QStringLiteral(" (Loopback)");
            continue;
        }
        // The device name follows the number, so the number still parses from the fourth
        // character on.
        const QString detail = number < 0
            ? QString()
            : PortNames::EntryDetail(registry.DevicePath(number), number >= TPortRegistry::kFirstBoundPort);
        if (!detail.isEmpty())
            entry += QStringLiteral(" (%1)").arg(detail);
    }
}

int T_QCCom32::PortNumberFromEntry(const QString& aEntry)
{
    qsizetype end = 3;
    while (end < aEntry.size() && (aEntry.at(end).isDigit() || (end == 3 && aEntry.at(end) == u' ')))
        ++end;
    bool ok = false;
    const int number = aEntry.mid(3, end - 3).trimmed().toInt(&ok);
    return ok ? number : -1;
}

void T_QCCom32::GetProbedPortList(QStringList& aList)
{
    // Asked without opening: an open would toggle DTR and RTS on every port tried.
    const TPortRegistry& registry = TPortRegistry::Instance();
    int misses = 0;
    for (int n = 1; misses < 3 && n <= kMaxProbedPort; ++n) {
        const QString path = registry.DevicePath(n);
        if (!path.isEmpty() && registry.Availability(n).State != TPortAvailability::TState::Missing) {
            aList << QStringLiteral("Com %1").arg(n);
            misses = 0;
        } else if (n > 4) {
            ++misses;
        }
    }
}
