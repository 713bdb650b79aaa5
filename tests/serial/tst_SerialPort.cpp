#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"

#include "serial/ComMv.h"
#include "serial/PortRegistry.h"
#include "serial/QCCom32.h"
#include "serial/TermCom.h"

#include <QComboBox>
#include <QLocale>
#include <QScopeGuard>
#include <QTimer>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(TTermComOptions)

namespace {

using TButton = IPrompts::TButton;

QByteArray AllBytes()
{
    QByteArray bytes;
    for (int code = 0; code < 256; ++code)
        bytes += char(code);
    return bytes;
}

// One character per byte value, the way the port hands received bytes on.
QString AllByteChars()
{
    QString text;
    for (int code = 0; code < 256; ++code)
        text += QChar(char16_t(code));
    return text;
}

// The setters the parameter-change table drives, by name.
void SetParameter(T_QCCom32& aPort, const QString& aName, int aValue)
{
    if (aName == u"Baud")
        aPort.SetBaud(aValue);
    else if (aName == u"DataBits")
        aPort.SetDataBits(aValue);
    else if (aName == u"Parity")
        aPort.SetParity(TParity(aValue));
    else if (aName == u"StopBits")
        aPort.SetStopBits(TStopBit(aValue));
    else if (aName == u"Port")
        aPort.SetPort(aValue);
    else
        QFAIL(qPrintable(QStringLiteral("unknown parameter ") + aName));
}

int Parameter(const T_QCCom32& aPort, const QString& aName)
{
    if (aName == u"Baud")
        return aPort.Baud();
    if (aName == u"DataBits")
        return aPort.DataBits();
    if (aName == u"Parity")
        return int(aPort.Parity());
    if (aName == u"StopBits")
        return int(aPort.StopBits());
    if (aName == u"Port")
        return aPort.Port();
    return -1;
}

} // namespace

class TstSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    // Status texts
    void freshPort();
    void portString_data();
    void portString();
    void commStatusOfOpenPort();

    // Line parameters and the change event
    void parameterChange_data();
    void parameterChange();
    void dataBitsRange_data();
    void dataBitsRange();
    void everyOpenRaisesParamChange();
    void settingsAtOpen_data();
    void settingsAtOpen();
    void refusedSettingsKeepPortOpen();

    // Opening
    void openFailureIsQuiet();
    void openFailureAsksAbortRetry();
    void modemLinesAtOpen_data();
    void modemLinesAtOpen();
    void destructorDropsRtsAndCloses();

    // Transfers
    void closedPortDoesNothing();
    void readWithNothingWaiting();
    void plainReadTakesEverything();
    void termComRead_data();
    void termComRead();
    void termComWrite_data();
    void termComWrite();
    void writeBinary();
    void readBinaryBlocks();
    void flushPurgesOpenPort();

    // Modem lines and device state
    void modemStatusPassesThrough();
    void modemStatusFailureReadsOff();
    void deviceFailedFollowsDevice();

    // Loopback device
    void loopbackEchoesAllBytes();
    void loopbackModemLines();

    // Terminator read
    void terminatorRead_data();
    void terminatorRead();
    void terminatorTimeout();

    // Line-settings dialog
    void propertiesNeedsOpenPort();
    void propertiesAccepted();
    void propertiesRejected();

private:
    // Puts a fake device behind every port number; the state is shared by all of them.
    std::shared_ptr<TFakeDeviceState> UseFakeDevice();

    QList<int> FCreatedPorts;
};

std::shared_ptr<TFakeDeviceState> TstSerialPort::UseFakeDevice()
{
    auto state = std::make_shared<TFakeDeviceState>();
    FCreatedPorts.clear();
    TPortRegistry::Instance().SetDeviceFactory([this, state](int aPort) {
        FCreatedPorts << aPort;
        return std::make_unique<TFakeSerialDevice>(state);
    });
    return state;
}

void TstSerialPort::cleanup()
{
    TPortRegistry::Instance().SetDeviceFactory({});
    FCreatedPorts.clear();
}

// ---------------------------------------------------------------------------------------------
// Status texts

void TstSerialPort::freshPort()
{
    TComMv port;
    QVERIFY(!port.Opened());
    QCOMPARE(port.Port(), 1);
    QCOMPARE(port.Baud(), 9600);
    QCOMPARE(port.DataBits(), 8);
    QCOMPARE(port.Parity(), paNone);
    QCOMPARE(port.StopBits(), sb1_0);
    QCOMPARE(port.Flag(), 0u);
    QVERIFY(!port.RTS());
    QVERIFY(!port.DTR());
    QVERIFY(!port.ShowErrors());
    QVERIFY(!port.InUse());
    QVERIFY(!port.TimedOut());
    QVERIFY(!port.DeviceFailed());
    QVERIFY(!port.handle());
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 1 - Not Open"));
    QCOMPARE(port.PortString(), QStringLiteral("9600, 8, N, 1"));
}

void TstSerialPort::portString_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("expected");

    const int c = int(QLocale::C);
    const int german = int(QLocale::German);
    QTest::newRow("default") << 9600 << 8 << int(paNone) << int(sb1_0) << c << "9600, 8, N, 1";
    QTest::newRow("odd, 2 stop bits") << 115200 << 8 << int(paOdd) << int(sb2_0) << c << "115200, 8, O, 2";
    QTest::newRow("mark") << 300 << 5 << int(paMark) << int(sb1_0) << c << "300, 5, M, 1";
    QTest::newRow("space") << 1200 << 6 << int(paSpace) << int(sb1_0) << c << "1200, 6, S, 1";
    QTest::newRow("1.5 stop bits, point") << 9600 << 7 << int(paEven) << int(sb1_5) << c << "9600, 7, E, 1.5";
    QTest::newRow("1.5 stop bits, comma")
        << 9600 << 7 << int(paEven) << int(sb1_5) << german << "9600, 7, E, 1,5";
    QTest::newRow("2 stop bits, German")
        << 9600 << 8 << int(paNone) << int(sb2_0) << german << "9600, 8, N, 2";
}

void TstSerialPort::portString()
{
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(int, language);
    QFETCH(QString, expected);

    const QLocale saved;
    const auto restore = qScopeGuard([&saved] { QLocale::setDefault(saved); });
    QLocale::setDefault(QLocale(QLocale::Language(language)));

    TComMv port;
    port.SetBaud(baud);
    port.SetDataBits(dataBits);
    port.SetParity(TParity(parity));
    port.SetStopBits(TStopBit(stopBits));
    QCOMPARE(port.PortString(), expected);
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 1 - Not Open"));
}

void TstSerialPort::commStatusOfOpenPort()
{
    TComMv port;
    port.SetPort(0);
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 0 - Not Open"));
    QVERIFY(port.Open());
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 0 - 9600, 8, N, 1"));
    port.SetBaud(19200);
    QVERIFY(port.Opened());
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 0 - 19200, 8, N, 1"));
    port.Close();
    QCOMPARE(port.CommStatus(), QStringLiteral("Port: 0 - Not Open"));
}

// ---------------------------------------------------------------------------------------------
// Line parameters and the change event

void TstSerialPort::parameterChange_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("expectedValue");
    QTest::addColumn<int>("events");
    QTest::addColumn<bool>("reopened");

    struct TRow
    {
        const char* Name;
        int Current;
        int Other;
    };
    const TRow rows[] = {{"Baud", 9600, 19200},
                         {"Parity", int(paNone), int(paEven)},
                         {"StopBits", int(sb1_0), int(sb2_0)},
                         {"Port", 1, 5},
                         {"DataBits", 8, 7}};
    for (const TRow& row : rows) {
        const QString name = QString::fromLatin1(row.Name);
        for (bool open : {false, true}) {
            const char* state = open ? "open" : "closed";
            QTest::addRow("%s same, %s", row.Name, state)
                << name << row.Current << open << row.Current << 0 << false;
            // Open: once for the change, once more when the port has been reopened.
            QTest::addRow("%s changed, %s", row.Name, state)
                << name << row.Other << open << row.Other << (open ? 2 : 1) << open;
        }
    }
    // An unusable data-bit count is not taken, but an open port is still reopened.
    for (int bits : {2, 9}) {
        QTest::addRow("DataBits %d, closed", bits) << "DataBits" << bits << false << 8 << 0 << false;
        QTest::addRow("DataBits %d, open", bits) << "DataBits" << bits << true << 8 << 1 << true;
    }
}

void TstSerialPort::parameterChange()
{
    QFETCH(QString, name);
    QFETCH(int, value);
    QFETCH(bool, open);
    QFETCH(int, expectedValue);
    QFETCH(int, events);
    QFETCH(bool, reopened);

    auto state = UseFakeDevice();
    T_QCCom32 port;
    if (open)
        QVERIFY(port.Open());
    const int opens = state->Opens;
    const int closes = state->Closes;

    int raised = 0;
    QObject* sender = nullptr;
    port.OnParamChange = [&](QObject* aSender) {
        ++raised;
        sender = aSender;
    };
    SetParameter(port, name, value);

    QCOMPARE(Parameter(port, name), expectedValue);
    QCOMPARE(raised, events);
    if (events > 0)
        QCOMPARE(sender, &port);
    QCOMPARE(port.Opened(), open);
    QCOMPARE(state->Opens, opens + (reopened ? 1 : 0));
    QCOMPARE(state->Closes, closes + (reopened ? 1 : 0));
    if (reopened) {
        // The new device is opened for the current port number with the current parameters.
        QCOMPARE(FCreatedPorts.last(), port.Port());
        const TDeviceLineSettings applied = state->Applied.last();
        QCOMPARE(applied.Baud, port.Baud());
        QCOMPARE(applied.DataBits, port.DataBits());
        QCOMPARE(applied.Parity, port.Parity());
        QCOMPARE(applied.StopBits, port.StopBits());
    }
}

void TstSerialPort::dataBitsRange_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("taken");

    for (int bits = 3; bits <= 7; ++bits)
        QTest::addRow("%d", bits) << bits << true;
    for (int bits : {-1, 0, 1, 2, 9, 16, 264})
        QTest::addRow("%d", bits) << bits << false;
}

void TstSerialPort::dataBitsRange()
{
    QFETCH(int, bits);
    QFETCH(bool, taken);

    T_QCCom32 port;
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };
    port.SetDataBits(bits);
    QCOMPARE(port.DataBits(), taken ? bits : 8);
    QCOMPARE(raised, taken ? 1 : 0);
    if (taken) {
        // Back to 8 is a change as well.
        port.SetDataBits(8);
        QCOMPARE(port.DataBits(), 8);
        QCOMPARE(raised, 2);
    }
}

void TstSerialPort::everyOpenRaisesParamChange()
{
    auto state = UseFakeDevice();
    T_QCCom32 port;
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };

    QVERIFY(port.Open());
    QCOMPARE(raised, 1);
    QCOMPARE(state->Opens, 1);

    // Opening an open port closes it first.
    QVERIFY(port.Open());
    QCOMPARE(raised, 2);
    QCOMPARE(state->Opens, 2);
    QCOMPARE(state->Closes, 1);
    QVERIFY(port.Opened());

    port.Close();
    QCOMPARE(raised, 2);
    QCOMPARE(state->Closes, 2);
    QVERIFY(!port.Opened());
    port.Close();
    QCOMPARE(state->Closes, 2);

    // A failed open raises nothing.
    state->OpenFails = true;
    QVERIFY(!port.Open());
    QCOMPARE(raised, 2);
}

void TstSerialPort::settingsAtOpen_data()
{
    QTest::addColumn<quint32>("flag");
    QTest::addColumn<quint32>("applied");

    QTest::newRow("none") << 0x000u << 0x003u;
    QTest::newRow("xon/xoff") << 0x300u << 0x313u;
    QTest::newRow("xon out only") << 0x100u << 0x113u;
    QTest::newRow("xon in only") << 0x200u << 0x213u;
    QTest::newRow("cts flow") << 0x004u << 0x007u;
    QTest::newRow("hardware") << 0x2004u << 0x2007u;
    QTest::newRow("binary and parity already set") << 0x003u << 0x003u;
    QTest::newRow("dtr enable kept") << 0x010u << 0x013u;
}

void TstSerialPort::settingsAtOpen()
{
    QFETCH(quint32, flag);
    QFETCH(quint32, applied);

    auto state = UseFakeDevice();
    T_QCCom32 port;
    port.SetBaud(57600);
    port.SetDataBits(7);
    port.SetParity(paOdd);
    port.SetStopBits(sb1_5);
    port.SetFlag(flag);
    QVERIFY(port.Open());

    QCOMPARE(state->Applied.size(), 1);
    const TDeviceLineSettings settings = state->Applied.last();
    QCOMPARE(settings.Baud, 57600);
    QCOMPARE(settings.DataBits, 7);
    QCOMPARE(settings.Parity, paOdd);
    QCOMPARE(settings.StopBits, sb1_5);
    QCOMPARE(settings.Flag, applied);
    // The property keeps what the user set.
    QCOMPARE(port.Flag(), flag);
    QCOMPARE(port.Handshake(), flag);
}

void TstSerialPort::refusedSettingsKeepPortOpen()
{
    TScriptedDialogs prompts;
    auto state = UseFakeDevice();
    state->SettingsRefused = true;
    T_QCCom32 port;
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };

    QVERIFY(port.Open());
    QVERIFY(port.Opened());
    QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Error setting DCB")});
    QVERIFY(prompts.Questions.isEmpty());
    QCOMPARE(state->Closes, 0);
    QCOMPARE(raised, 1);
}

// ---------------------------------------------------------------------------------------------
// Opening

void TstSerialPort::openFailureIsQuiet()
{
    TScriptedDialogs prompts;
    {
        auto state = UseFakeDevice();
        state->OpenFails = true;
        T_QCCom32 port;
        QVERIFY(!port.Open());
        QVERIFY(!port.Opened());
        QVERIFY(!port.handle());
        QVERIFY(state->Applied.isEmpty());
    }
    {
        // A number without a device behind it.
        TPortRegistry::Instance().SetDeviceFactory({});
        T_QCCom32 port;
        port.SetPort(97);
        QVERIFY(!port.Open());
        QVERIFY(!port.Opened());
    }
    QVERIFY(prompts.Questions.isEmpty());
    QVERIFY(prompts.Messages.isEmpty());
    QVERIFY(prompts.Errors.isEmpty());
}

void TstSerialPort::openFailureAsksAbortRetry()
{
    TScriptedDialogs prompts;
    prompts.Answers = {TButton::Retry, TButton::Abort};
    auto state = UseFakeDevice();
    state->OpenFails = true;
    T_QCCom32 port;
    port.SetShowErrors(true);
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };

    QVERIFY(!port.Open());
    QVERIFY(!port.Opened());
    // the question names the reason after the port
    const QString question = QStringLiteral("Error opening COM1: ") + port.OpenFailure();
    QVERIFY(!port.OpenFailure().isEmpty());
    QCOMPARE(prompts.Questions, QStringList({question, question}));
    QVERIFY(prompts.Answers.isEmpty());
    QVERIFY(prompts.Messages.isEmpty());
    QCOMPARE(raised, 0);
    // Each retry asks for a new device.
    QCOMPARE(FCreatedPorts, QList<int>({1, 1}));
}

void TstSerialPort::modemLinesAtOpen_data()
{
    QTest::addColumn<bool>("rts");
    QTest::addColumn<bool>("dtr");

    QTest::newRow("both off") << false << false;
    QTest::newRow("rts on") << true << false;
    QTest::newRow("dtr on") << false << true;
    QTest::newRow("both on") << true << true;
}

void TstSerialPort::modemLinesAtOpen()
{
    QFETCH(bool, rts);
    QFETCH(bool, dtr);

    auto state = UseFakeDevice();
    T_QCCom32 port;
    // On a closed port the lines are only remembered.
    port.SetRTS(rts);
    port.SetDTR(dtr);
    QCOMPARE(port.RTS(), rts);
    QCOMPARE(port.DTR(), dtr);
    QVERIFY(state->RtsCalls.isEmpty());
    QVERIFY(state->DtrCalls.isEmpty());

    QVERIFY(port.Open());
    // Lines requested off are left alone.
    QCOMPARE(state->RtsCalls, rts ? QList<bool>{true} : QList<bool>{});
    QCOMPARE(state->DtrCalls, dtr ? QList<bool>{true} : QList<bool>{});

    // On an open port they are driven at once.
    state->RtsCalls.clear();
    state->DtrCalls.clear();
    port.SetRTS(!rts);
    port.SetDTR(!dtr);
    QCOMPARE(state->RtsCalls, QList<bool>{!rts});
    QCOMPARE(state->DtrCalls, QList<bool>{!dtr});
    QCOMPARE(port.RTS(), !rts);
    QCOMPARE(port.DTR(), !dtr);
}

void TstSerialPort::destructorDropsRtsAndCloses()
{
    auto state = UseFakeDevice();
    {
        T_QCCom32 port;
        port.SetRTS(true);
        QVERIFY(port.Open());
        state->RtsCalls.clear();
    }
    QCOMPARE(state->RtsCalls, QList<bool>{false});
    QCOMPARE(state->Closes, 1);
    QVERIFY(!state->IsOpen);
}

// ---------------------------------------------------------------------------------------------
// Transfers

void TstSerialPort::closedPortDoesNothing()
{
    TScriptedDialogs prompts;
    auto state = UseFakeDevice();
    state->Modem = {true, true, true};
    TTermCom port;
    QVERIFY(port.Open());
    port.Close();
    state->Incoming = "waiting";

    QVERIFY(!port.Write(QStringLiteral("AT/cr/"), true));
    QVERIFY(!port.Write(QStringLiteral("AT"), false));
    QVERIFY(!port.WriteBinary("AT", 2));
    QVERIFY(!port.WriteBinary('A'));
    QVERIFY(state->Written.isEmpty());

    QCOMPARE(port.InCount(), 0);
    QCOMPARE(port.Read(), QString());
    QCOMPARE(port.OriginalRead(), QString());
    int count = -1;
    port.ReadBinary(count);
    QCOMPARE(count, 0);
    QCOMPARE(state->Reads, 0);
    QCOMPARE(state->Incoming, QByteArray("waiting"));

    QVERIFY(!port.CTS());
    QVERIFY(!port.DSR());
    QVERIFY(!port.Ring());
    port.Flush();
    QCOMPARE(state->Purges, 0);
    QVERIFY(!port.properties());
    QCOMPARE(prompts.DialogsShown, 0);
    QVERIFY(prompts.Messages.isEmpty());
    QVERIFY(prompts.Questions.isEmpty());
}

void TstSerialPort::readWithNothingWaiting()
{
    auto state = UseFakeDevice();
    TTermCom port;
    QVERIFY(port.Open());
    QCOMPARE(port.InCount(), 0);
    QCOMPARE(port.Read(), QString());
    QCOMPARE(port.OriginalRead(), QString());
    int count = -1;
    port.ReadBinary(count);
    QCOMPARE(count, 0);
    QCOMPARE(state->Reads, 0);
}

void TstSerialPort::plainReadTakesEverything()
{
    auto state = UseFakeDevice();
    T_QCCom32 port;
    QVERIFY(port.Open());
    state->Incoming = AllBytes() + AllBytes();
    QCOMPARE(port.InCount(), 512);
    QCOMPARE(port.Read(), AllByteChars() + AllByteChars());
    QCOMPARE(port.InCount(), 0);
    QVERIFY(state->Incoming.isEmpty());
    QVERIFY(!port.InUse());
    QVERIFY(!port.TimedOut());
}

void TstSerialPort::termComRead_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TTermComOptions>("options");
    QTest::addColumn<QString>("expected");

    QTest::newRow("slash notation") << QByteArray("A\r\n/\x1b") << TTermComOptions{} << "A/cr//lf////esc/";
    QTest::newRow("hex dump") << QByteArray("A\r\n/\x1b") << TTermComOptions{coHexDump} << "41 0D 0A 2F 1B ";
    QTest::newRow("plain text") << QByteArray("hello") << TTermComOptions{} << "hello";
    QTest::newRow("latin-1 byte") << QByteArray("\xe4") << TTermComOptions{} << QString(QChar(0xE4));
}

void TstSerialPort::termComRead()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TTermComOptions, options);
    QFETCH(QString, expected);

    auto state = UseFakeDevice();
    TTermCom port;
    port.SetOptions(options);
    QCOMPARE(port.Options(), options);
    QVERIFY(port.Open());
    state->Incoming = bytes;

    QCOMPARE(port.Read(), expected);
    QCOMPARE(port.OriginalRead(), QString::fromLatin1(bytes));
    QVERIFY(state->Incoming.isEmpty());
}

void TstSerialPort::termComWrite_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("encode");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<bool>("result");

    QTest::newRow("notation") << "AT/cr//lf/" << true << qint64(-1) << QByteArray("AT\r\n") << true;
    QTest::newRow("notation kept as text") << "AT/cr/" << false << qint64(-1) << QByteArray("AT/cr/") << true;
    QTest::newRow("byte by number") << "/255//0/" << true << qint64(-1) << QByteArray("\xff\0", 2) << true;
    QTest::newRow("latin-1") << QString(QChar(0xE4)) << false << qint64(-1) << QByteArray("\xe4") << true;
    QTest::newRow("above latin-1") << QString(QChar(0x20AC)) << false << qint64(-1) << QByteArray("?")
                                   << true;
    QTest::newRow("above latin-1 inside")
        << QStringLiteral("a\u20ACb") << true << qint64(-1) << QByteArray("a?b") << true;
    QTest::newRow("short write") << "ABCD" << false << qint64(2) << QByteArray("AB") << false;
    QTest::newRow("nothing taken") << "AT/cr/" << true << qint64(0) << QByteArray() << false;
}

void TstSerialPort::termComWrite()
{
    QFETCH(QString, text);
    QFETCH(bool, encode);
    QFETCH(qint64, limit);
    QFETCH(QByteArray, written);
    QFETCH(bool, result);

    auto state = UseFakeDevice();
    state->WriteLimit = limit;
    TTermCom port;
    QVERIFY(port.Open());
    QCOMPARE(port.Write(text, encode), result);
    QCOMPARE(state->Written, written);
}

void TstSerialPort::writeBinary()
{
    auto state = UseFakeDevice();
    TTermCom port;
    QVERIFY(port.Open());

    QVERIFY(!port.WriteBinary("AB", 0));
    QVERIFY(!port.WriteBinary("AB", -1));
    QVERIFY(state->Written.isEmpty());

    QVERIFY(port.WriteBinary("A\0B", 3));
    QCOMPARE(state->Written, QByteArray("A\0B", 3));
    QVERIFY(port.WriteBinary('\xff'));
    QCOMPARE(state->Written, QByteArray("A\0B\xff", 4));

    state->WriteLimit = 1;
    QVERIFY(!port.WriteBinary("CD", 2));
    state->WriteLimit = 0;
    QVERIFY(!port.WriteBinary('E'));
    QCOMPARE(state->Written,
             QByteArray("A\0B\xff"
                        "C",
                        5));
}

void TstSerialPort::readBinaryBlocks()
{
    auto state = UseFakeDevice();
    TComMv port;
    QVERIFY(port.Open());

    QByteArray incoming;
    for (int i = 0; i < 3000; ++i)
        incoming += char(i * 7);
    state->Incoming = incoming;

    int count = -1;
    QByteArray block = port.ReadBinary(count);
    QCOMPARE(count, TComMv::kBinaryBlockSize);
    QVERIFY(block.size() <= TComMv::kBinaryBlockSize);
    QCOMPARE(block.left(count), incoming.left(2050));
    QCOMPARE(port.InCount(), 950);

    block = port.ReadBinary(count);
    QCOMPARE(count, 950);
    QVERIFY(block.size() >= count && block.size() <= TComMv::kBinaryBlockSize);
    QCOMPARE(block.left(count), incoming.mid(2050));

    port.ReadBinary(count);
    QCOMPARE(count, 0);
    QCOMPARE(state->Reads, 2);
}

void TstSerialPort::flushPurgesOpenPort()
{
    auto state = UseFakeDevice();
    T_QCCom32 port;
    QVERIFY(port.Open());
    port.Flush();
    QCOMPARE(state->Purges, 1);
}

// ---------------------------------------------------------------------------------------------
// Modem lines and device state

void TstSerialPort::modemStatusPassesThrough()
{
    auto state = UseFakeDevice();
    TTermCom port;
    QVERIFY(port.Open());
    const TModemStatus combinations[] = {
        {false, false, false}, {true, false, false}, {false, true, false}, {false, false, true}};
    for (const TModemStatus& modem : combinations) {
        state->Modem = modem;
        QCOMPARE(port.CTS(), modem.Cts);
        QCOMPARE(port.DSR(), modem.Dsr);
        QCOMPARE(port.Ring(), modem.Ring);
    }
}

void TstSerialPort::modemStatusFailureReadsOff()
{
    TScriptedDialogs prompts;
    auto state = UseFakeDevice();
    state->Modem = {true, true, true};
    state->ModemStatusFails = true;
    TTermCom port;
    port.SetShowErrors(true);
    QVERIFY(port.Open());
    QVERIFY(!port.CTS());
    QVERIFY(!port.DSR());
    QVERIFY(!port.Ring());
    QVERIFY(port.Opened());
    QVERIFY(prompts.Messages.isEmpty());
    QVERIFY(prompts.Questions.isEmpty());
    QVERIFY(prompts.Errors.isEmpty());
}

void TstSerialPort::deviceFailedFollowsDevice()
{
    auto state = UseFakeDevice();
    T_QCCom32 port;
    state->Failed = true;
    QVERIFY(!port.DeviceFailed());
    state->Failed = false;
    QVERIFY(port.Open());
    QVERIFY(!port.DeviceFailed());
    state->Failed = true;
    QVERIFY(port.DeviceFailed());
    state->Failed = false;
    QVERIFY(!port.DeviceFailed());
    state->Failed = true;
    port.Close();
    QVERIFY(!port.DeviceFailed());
}

// ---------------------------------------------------------------------------------------------
// Loopback device

void TstSerialPort::loopbackEchoesAllBytes()
{
    TTermCom port;
    port.SetPort(0);
    QVERIFY(port.Open());
    QVERIFY(port.handle() != nullptr);
    QCOMPARE(port.handle()->Name(), QStringLiteral("Loopback"));

    QVERIFY(port.Write(AllByteChars(), false));
    QCOMPARE(port.InCount(), 256);
    port.Read();
    QCOMPARE(port.OriginalRead(), AllByteChars());
    QCOMPARE(port.InCount(), 0);

    QVERIFY(port.WriteBinary("xyz", 3));
    QVERIFY(port.WriteBinary('!'));
    int count = 0;
    const QByteArray block = port.ReadBinary(count);
    QCOMPARE(count, 4);
    QCOMPARE(block.left(count), QByteArray("xyz!"));

    // Flush drops what waits; closing forgets it as well.
    QVERIFY(port.Write(QStringLiteral("AT"), false));
    port.Flush();
    QCOMPARE(port.InCount(), 0);
    QVERIFY(port.Write(QStringLiteral("AT"), false));
    port.Close();
    QVERIFY(port.Open());
    QCOMPARE(port.InCount(), 0);
}

void TstSerialPort::loopbackModemLines()
{
    TTermCom port;
    port.SetPort(0);
    port.SetRTS(true);
    QVERIFY(!port.CTS());
    QVERIFY(!port.DSR());
    QVERIFY(!port.Ring());

    // RTS was asked for before opening: it is driven at open.
    QVERIFY(port.Open());
    QVERIFY(port.CTS());
    QVERIFY(!port.DSR());
    QVERIFY(!port.Ring());

    port.SetDTR(true);
    QVERIFY(port.DSR());
    QVERIFY(!port.Ring());
    port.SetRTS(false);
    QVERIFY(!port.CTS());
    QVERIFY(port.DSR());
    port.SetDTR(false);
    QVERIFY(!port.DSR());

    port.SetRTS(true);
    port.SetDTR(true);
    QVERIFY(port.CTS());
    QVERIFY(port.DSR());
    port.Close();
    QVERIFY(!port.CTS());
    QVERIFY(!port.DSR());
    QVERIFY(!port.Ring());
}

// ---------------------------------------------------------------------------------------------
// Terminator read

void TstSerialPort::terminatorRead_data()
{
    QTest::addColumn<QString>("terminator");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("later");
    QTest::addColumn<QString>("expected");

    QTest::newRow("terminator waiting") << "OK" << QByteArray("abcOKrest") << QByteArray() << "abc";
    QTest::newRow("terminator first") << "OK" << QByteArray("OK") << QByteArray() << "";
    QTest::newRow("terminator arrives later") << "OK" << QByteArray("abc") << QByteArray("OK") << "abc";
    QTest::newRow("terminator split") << "OK" << QByteArray("abcO") << QByteArray("Kxyz") << "abc";
    QTest::newRow("nothing at first") << "\r\n" << QByteArray() << QByteArray("line\r\n") << "line";
    QTest::newRow("first of two terminators") << ">" << QByteArray("a>b>") << QByteArray() << "a";
}

void TstSerialPort::terminatorRead()
{
    QFETCH(QString, terminator);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, later);
    QFETCH(QString, expected);

    TScriptedDialogs prompts;
    auto state = UseFakeDevice();
    TComMv port;
    port.SetEndOfResponse(terminator);
    QCOMPARE(port.EndOfResponse(), terminator);
    int timeouts = 0;
    port.OnTimeout = [&timeouts](QObject*) { ++timeouts; };
    QVERIFY(port.Open());

    state->Incoming = first;
    // The rest comes in while the port waits for it.
    if (!later.isEmpty())
        QTimer::singleShot(0, this, [state, later] { state->Incoming += later; });

    QCOMPARE(port.Read(), expected);
    QVERIFY(!port.TimedOut());
    QCOMPARE(timeouts, 0);
    QVERIFY(!port.InUse());
    QVERIFY(prompts.Questions.isEmpty());
}

void TstSerialPort::terminatorTimeout()
{
    TScriptedDialogs prompts;
    auto state = UseFakeDevice();
    TComMv port;
    port.SetEndOfResponse(QStringLiteral("OK"));
    port.SetResponseTime(50);
    QCOMPARE(port.ResponseTime(), 50);
    int timeouts = 0;
    QObject* sender = nullptr;
    port.OnTimeout = [&](QObject* aSender) {
        ++timeouts;
        sender = aSender;
    };
    QVERIFY(port.Open());
    state->Incoming = "abc";

    port.Read();
    QVERIFY(port.TimedOut());
    QCOMPARE(timeouts, 1);
    QCOMPARE(sender, &port);
    QVERIFY(!port.InUse());
    QVERIFY(prompts.Questions.isEmpty());

    // The next read starts afresh.
    state->Incoming = "xOK";
    QCOMPARE(port.Read(), QStringLiteral("x"));
    QVERIFY(!port.TimedOut());
    QCOMPARE(timeouts, 1);
}

// ---------------------------------------------------------------------------------------------
// Line-settings dialog

void TstSerialPort::propertiesNeedsOpenPort()
{
    TScriptedDialogs prompts;
    prompts.DialogHandler = [](QDialog*) { return int(QDialog::Accepted); };
    UseFakeDevice();
    T_QCCom32 port;
    QVERIFY(!port.properties());
    QCOMPARE(prompts.DialogsShown, 0);
}

void TstSerialPort::propertiesAccepted()
{
    TScriptedDialogs prompts;
    QString shownBaud;
    int shownFlow = -1;
    prompts.DialogHandler = [&](QDialog* aDialog) {
        auto* baud = aDialog->findChild<QComboBox*>(QStringLiteral("cbBaud"));
        auto* flow = aDialog->findChild<QComboBox*>(QStringLiteral("cbFlowControl"));
        if (!baud || !flow)
            return int(QDialog::Rejected);
        shownBaud = baud->currentText();
        shownFlow = flow->currentIndex();
        baud->setCurrentText(QStringLiteral("19200"));
        flow->setCurrentIndex(2);
        return int(QDialog::Accepted);
    };
    auto state = UseFakeDevice();
    T_QCCom32 port;
    QVERIFY(port.Open());
    const int opens = state->Opens;
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };

    QVERIFY(port.properties());
    QCOMPARE(prompts.DialogsShown, 1);
    QCOMPARE(shownBaud, QStringLiteral("9600"));
    QCOMPARE(shownFlow, 0);

    QCOMPARE(port.Baud(), 19200);
    QCOMPARE(port.Flag() & 0x2004u, 0x2004u);
    QCOMPARE(port.DataBits(), 8);
    QCOMPARE(port.Parity(), paNone);
    QCOMPARE(port.StopBits(), sb1_0);
    QVERIFY(raised > 0);
    QVERIFY(port.Opened());
    QVERIFY(state->Opens > opens);
    const TDeviceLineSettings applied = state->Applied.last();
    QCOMPARE(applied.Baud, 19200);
    QCOMPARE(applied.Flag & 0x2004u, 0x2004u);
}

void TstSerialPort::propertiesRejected()
{
    TScriptedDialogs prompts;
    prompts.DialogHandler = [](QDialog* aDialog) {
        if (auto* baud = aDialog->findChild<QComboBox*>(QStringLiteral("cbBaud")))
            baud->setCurrentText(QStringLiteral("19200"));
        return int(QDialog::Rejected);
    };
    auto state = UseFakeDevice();
    T_QCCom32 port;
    port.SetFlag(0x300);
    QVERIFY(port.Open());
    const int opens = state->Opens;
    int raised = 0;
    port.OnParamChange = [&raised](QObject*) { ++raised; };

    QVERIFY(!port.properties());
    QCOMPARE(prompts.DialogsShown, 1);
    QCOMPARE(port.Baud(), 9600);
    QCOMPARE(port.Flag(), 0x300u);
    QCOMPARE(raised, 0);
    QCOMPARE(state->Opens, opens);
    QVERIFY(port.Opened());
}

QTEST_MAIN(TstSerialPort)
#include "tst_SerialPort.moc"
