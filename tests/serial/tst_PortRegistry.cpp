#include "FakeSerialDevice.h"

#include "serial/PortRegistry.h"
#include "serial/QCCom32.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

class TstPortRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Fixed numbers
    void devicePath_data();
    void devicePath();
    void portNumberOfOtherPaths_data();
    void portNumberOfOtherPaths();
    void devicesBehindNumbers();

    // Bound numbers
    void bindPath();
    void bindNumber_data();
    void bindNumber();
    void bindFromText_data();
    void bindFromText();

    // Port lists
    void sortPortNames_data();
    void sortPortNames();
    void portNumberFromEntry_data();
    void portNumberFromEntry();
    void registryPortList();
    void probedPortList();
    void availabilityWithoutOpening_data();
    void availabilityWithoutOpening();
    void openFailureSaysWhy_data();
    void openFailureSaysWhy();
    void noPermissionNamesGroupAndCure();

private:
    // The registry lives as long as the process; every test leaves the bindings as it found them.
    QMap<int, QString> FSavedBindings;
};

void TstPortRegistry::init()
{
    FSavedBindings = TPortRegistry::Instance().Bindings();
}

void TstPortRegistry::cleanup()
{
    TPortRegistry& registry = TPortRegistry::Instance();
    registry.SetDeviceFactory({});
    const QList<int> bound = registry.Bindings().keys();
    for (int port : bound)
        registry.Unbind(port);
    for (auto it = FSavedBindings.cbegin(); it != FSavedBindings.cend(); ++it)
        registry.Bind(it.key(), it.value());
}

// ---------------------------------------------------------------------------------------------
// Fixed numbers

void TstPortRegistry::devicePath_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");

    QTest::newRow("loopback") << 0 << "";
    QTest::newRow("first ttyS") << 1 << "/dev/ttyS0";
    QTest::newRow("ttyS") << 5 << "/dev/ttyS4";
    QTest::newRow("last ttyS") << 32 << "/dev/ttyS31";
    QTest::newRow("first ttyUSB") << 33 << "/dev/ttyUSB0";
    QTest::newRow("ttyUSB") << 40 << "/dev/ttyUSB7";
    QTest::newRow("last ttyUSB") << 64 << "/dev/ttyUSB31";
    QTest::newRow("first ttyACM") << 65 << "/dev/ttyACM0";
    QTest::newRow("last ttyACM") << 96 << "/dev/ttyACM31";
    QTest::newRow("97") << 97 << "";
    QTest::newRow("98") << 98 << "";
    QTest::newRow("99") << 99 << "";
    QTest::newRow("unbound 100") << 100 << "";
    QTest::newRow("negative") << -1 << "";
}

void TstPortRegistry::devicePath()
{
    QFETCH(int, port);
    QFETCH(QString, path);

    const TPortRegistry& registry = TPortRegistry::Instance();
    QCOMPARE(registry.DevicePath(port), path);
    if (!path.isEmpty())
        QCOMPARE(registry.PortNumberOf(path), port);
}

void TstPortRegistry::portNumberOfOtherPaths_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("empty") << "";
    QTest::newRow("beyond ttyS") << "/dev/ttyS32";
    QTest::newRow("beyond ttyUSB") << "/dev/ttyUSB32";
    QTest::newRow("beyond ttyACM") << "/dev/ttyACM32";
    QTest::newRow("no index") << "/dev/ttyS";
    QTest::newRow("leading zero") << "/dev/ttyUSB01";
    QTest::newRow("sign") << "/dev/ttyS+1";
    QTest::newRow("negative") << "/dev/ttyS-1";
    QTest::newRow("trailing text") << "/dev/ttyACM0x";
    QTest::newRow("other directory") << "/tmp/ttyS0";
    QTest::newRow("other family") << "/dev/ttyAMA0";
    QTest::newRow("pty") << "/dev/pts/3";
}

void TstPortRegistry::portNumberOfOtherPaths()
{
    QFETCH(QString, path);
    QCOMPARE(TPortRegistry::Instance().PortNumberOf(path), -1);
}

void TstPortRegistry::devicesBehindNumbers()
{
    TPortRegistry& registry = TPortRegistry::Instance();
    const std::unique_ptr<ISerialDevice> loopback = registry.CreateDevice(0);
    QVERIFY(loopback);
    QCOMPARE(loopback->Name(), QStringLiteral("Loopback"));
    QVERIFY(!loopback->IsOpen());
    QVERIFY(!registry.CreateDevice(97));
    QVERIFY(!registry.CreateDevice(100));
    QVERIFY(registry.CreateDevice(1));

    // A factory takes every number, the loopback's as well.
    QList<int> asked;
    registry.SetDeviceFactory([&asked](int aPort) {
        asked << aPort;
        return std::make_unique<TFakeSerialDevice>(std::make_shared<TFakeDeviceState>());
    });
    QCOMPARE(registry.CreateDevice(0)->Name(), QStringLiteral("Fake"));
    QCOMPARE(registry.CreateDevice(97)->Name(), QStringLiteral("Fake"));
    QCOMPARE(asked, QList<int>({0, 97}));

    registry.SetDeviceFactory({});
    QCOMPARE(registry.CreateDevice(0)->Name(), QStringLiteral("Loopback"));
}

// ---------------------------------------------------------------------------------------------
// Bound numbers

void TstPortRegistry::bindPath()
{
    TPortRegistry& registry = TPortRegistry::Instance();
    QVERIFY(registry.Bindings().isEmpty());

    const QString a = QStringLiteral("/tmp/varnexA");
    const QString b = QStringLiteral("/tmp/varnexB");
    const QString c = QStringLiteral("/tmp/varnexC");
    QCOMPARE(registry.Bind(a), 100);
    QCOMPARE(registry.Bind(b), 101);
    QCOMPARE(registry.Bind(a), 100);
    QCOMPARE(registry.Bind(b), 101);
    QCOMPARE(registry.DevicePath(100), a);
    QCOMPARE(registry.DevicePath(101), b);
    QCOMPARE(registry.PortNumberOf(a), 100);
    QCOMPARE(registry.PortNumberOf(b), 101);
    QVERIFY(registry.CreateDevice(100));

    // A freed number is the first free one again.
    registry.Unbind(100);
    QCOMPARE(registry.DevicePath(100), QString());
    QCOMPARE(registry.PortNumberOf(a), -1);
    QVERIFY(!registry.CreateDevice(100));
    QCOMPARE(registry.Bind(c), 100);
    QCOMPARE(registry.Bind(a), 102);

    // A gap left by an explicit binding is filled.
    QVERIFY(registry.Bind(104, QStringLiteral("/tmp/varnexE")));
    QCOMPARE(registry.Bind(QStringLiteral("/tmp/varnexD")), 103);
    QCOMPARE(registry.Bind(QStringLiteral("/tmp/varnexF")), 105);

    // A path of a fixed range keeps its number and is not bound.
    const QMap<int, QString> before = registry.Bindings();
    QCOMPARE(registry.Bind(QStringLiteral("/dev/ttyUSB3")), 36);
    QCOMPARE(registry.Bind(QStringLiteral("/dev/ttyS0")), 1);
    QCOMPARE(registry.Bindings(), before);
}

void TstPortRegistry::bindNumber_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("bound");

    QTest::newRow("100") << 100 << "/tmp/ttyA" << true;
    QTest::newRow("250") << 250 << "/dev/ttyUSB7" << true;
    QTest::newRow("99") << 99 << "/tmp/ttyA" << false;
    QTest::newRow("fixed range") << 5 << "/tmp/ttyA" << false;
    QTest::newRow("loopback") << 0 << "/tmp/ttyA" << false;
    QTest::newRow("negative") << -100 << "/tmp/ttyA" << false;
    QTest::newRow("empty path") << 100 << "" << false;
}

void TstPortRegistry::bindNumber()
{
    QFETCH(int, port);
    QFETCH(QString, path);
    QFETCH(bool, bound);

    TPortRegistry& registry = TPortRegistry::Instance();
    const QString before = registry.DevicePath(port);
    QCOMPARE(registry.Bind(port, path), bound);
    QCOMPARE(registry.DevicePath(port), bound ? path : before);
    if (bound) {
        QCOMPARE(registry.PortNumberOf(path), port);
        QCOMPARE(registry.Bindings().value(port), path);
    } else {
        QVERIFY(!registry.Bindings().contains(port));
    }
}

void TstPortRegistry::bindFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rejected");
    // The bindings afterwards, as "number=path".
    QTest::addColumn<QStringList>("bindings");

    QTest::newRow("two entries") << "100=/tmp/ttyA,101=/dev/ttyUSB7" << QStringList{}
                                 << QStringList{"100=/tmp/ttyA", "101=/dev/ttyUSB7"};
    QTest::newRow("no number") << "abc" << QStringList{"abc"} << QStringList{};
    QTest::newRow("number too small") << "5=/x" << QStringList{"5=/x"} << QStringList{};
    QTest::newRow("number missing") << "=/y" << QStringList{"=/y"} << QStringList{};
    QTest::newRow("path missing") << "100=" << QStringList{"100="} << QStringList{};
    QTest::newRow("not a number") << "x1=/tmp/a" << QStringList{"x1=/tmp/a"} << QStringList{};
    QTest::newRow("good among bad") << "abc,5=/x,=/y,102=/tmp/z" << QStringList{"abc", "5=/x", "=/y"}
                                    << QStringList{"102=/tmp/z"};
    QTest::newRow("blanks") << " 103 = /tmp/b , 104=/tmp/c" << QStringList{}
                            << QStringList{"103=/tmp/b", "104=/tmp/c"};
    QTest::newRow("empty entries") << ",,100=/tmp/a," << QStringList{} << QStringList{"100=/tmp/a"};
    QTest::newRow("empty") << "" << QStringList{} << QStringList{};
    QTest::newRow("later entry wins")
        << "100=/tmp/a,100=/tmp/b" << QStringList{} << QStringList{"100=/tmp/b"};
}

void TstPortRegistry::bindFromText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, rejected);
    QFETCH(QStringList, bindings);

    TPortRegistry& registry = TPortRegistry::Instance();
    QVERIFY(registry.Bindings().isEmpty());
    QCOMPARE(registry.BindFromText(text), rejected);

    QStringList actual;
    const QMap<int, QString> bound = registry.Bindings();
    for (auto it = bound.cbegin(); it != bound.cend(); ++it) {
        actual << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
        QCOMPARE(registry.DevicePath(it.key()), it.value());
    }
    QCOMPARE(actual, bindings);
}

// ---------------------------------------------------------------------------------------------
// Port lists

void TstPortRegistry::sortPortNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("sorted");

    QTest::newRow("numbers and names")
        << QStringList{"COM10", "COM2", "CNCA0"} << QStringList{"Com2", "Com10", "CNCA0"};
    QTest::newRow("numeric order") << QStringList{"COM100", "COM9", "COM0", "COM33"}
                                   << QStringList{"Com0", "Com9", "Com33", "Com100"};
    QTest::newRow("any case") << QStringList{"com5", "Com4"} << QStringList{"Com4", "Com5"};
    QTest::newRow("names alphabetically") << QStringList{"CNCB0", "CNCA0"} << QStringList{"CNCA0", "CNCB0"};
    QTest::newRow("empty") << QStringList{} << QStringList{};
}

void TstPortRegistry::sortPortNames()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, sorted);
    QCOMPARE(T_QCCom32::SortPortNames(names), sorted);
}

void TstPortRegistry::portNumberFromEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("number");

    QTest::newRow("plain") << "Com3" << 3;
    QTest::newRow("blank") << "Com 3" << 3;
    QTest::newRow("fixed device") << "Com33 (ttyUSB0)" << 33;
    QTest::newRow("bound device") << "Com100 (/tmp/x)" << 100;
    QTest::newRow("loopback") << "Com0 (Loopback)" << 0;
    QTest::newRow("probed") << "Com 12" << 12;
    QTest::newRow("name") << "CNCA0" << -1;
    QTest::newRow("no number") << "Com" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TstPortRegistry::portNumberFromEntry()
{
    QFETCH(QString, entry);
    QFETCH(int, number);
    QCOMPARE(T_QCCom32::PortNumberFromEntry(entry), number);
}

void TstPortRegistry::registryPortList()
{
    const QString path = QStringLiteral("/tmp/varnex-list-test");
    const int bound = TPortRegistry::Instance().Bind(path);
    QVERIFY(bound >= TPortRegistry::kFirstBoundPort);

    T_QCCom32 port;
    QStringList list{QStringLiteral("left over")};
    port.GetRegistryPortList(list);

    QVERIFY(!list.contains(QStringLiteral("left over")));
    QVERIFY(list.contains(QStringLiteral("Com0 (Loopback)")));
    QVERIFY(list.contains(QStringLiteral("Com%1 (%2)").arg(bound).arg(path)));

    // Every entry starts with "Com" and its number, in ascending order, each number once.
    static const QRegularExpression leadingNumber(QStringLiteral("^\\d+"));
    int previous = -1;
    for (const QString& entry : std::as_const(list)) {
        QVERIFY2(entry.startsWith(QStringLiteral("Com")), qPrintable(entry));
        const QRegularExpressionMatch m = leadingNumber.match(entry.mid(3));
        QVERIFY2(m.hasMatch(), qPrintable(entry));
        const int number = m.captured().toInt();
        QCOMPARE(T_QCCom32::PortNumberFromEntry(entry), number);
        QVERIFY2(number > previous, qPrintable(entry));
        previous = number;
    }
}

void TstPortRegistry::probedPortList()
{
    // The probe looks at the device nodes only: it creates no device and opens nothing.
    int created = 0;
    TPortRegistry::Instance().SetDeviceFactory([&](int) -> std::unique_ptr<ISerialDevice> {
        ++created;
        return std::make_unique<TFakeSerialDevice>(std::make_shared<TFakeDeviceState>());
    });
    T_QCCom32 port;
    QStringList list;
    port.GetProbedPortList(list);
    QCOMPARE(created, 0);
    for (const QString& entry : std::as_const(list)) {
        const int number = entry.mid(4).toInt();
        QVERIFY2(QFileInfo::exists(TPortRegistry::Instance().DevicePath(number)), qPrintable(entry));
    }
    QVERIFY(!port.Opened());
}

void TstPortRegistry::availabilityWithoutOpening_data()
{
    // What the device node is, and what a lock file beside it says.
    QTest::addColumn<QString>("node");
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<int>("state");
    using S = TPortAvailability::TState;
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    QTest::newRow("free") << "file" << QByteArray() << int(S::Free);
    QTest::newRow("missing") << "none" << QByteArray() << int(S::Missing);
    QTest::newRow("locked by a live process")
        << "file" << QByteArray("      " + self + "\n") << int(S::Locked);
    QTest::newRow("QLockFile style") << "file" << QByteArray(self + "\nvarnex\nhost\n") << int(S::Locked);
    QTest::newRow("stale lock of an ended process") << "file" << QByteArray("99999999\n") << int(S::Free);
    QTest::newRow("unreadable lock") << "file" << QByteArray("kein pid") << int(S::Free);
#ifdef Q_OS_UNIX
    if (::geteuid() != 0)
        QTest::newRow("no permission") << "private" << QByteArray() << int(S::NoAccess);
#endif
}

void TstPortRegistry::availabilityWithoutOpening()
{
    QFETCH(QString, node);
    QFETCH(QByteArray, lock);
    QFETCH(int, state);
    QTemporaryDir dir;
    const QStringList lockDirs = PortNames::LockDirectories();
    PortNames::SetLockDirectories({dir.filePath(QStringLiteral("none")), dir.path()});
    const QString path = dir.filePath(QStringLiteral("ttyTest0"));
    if (node != QLatin1String("none")) {
        QFile device(path);
        QVERIFY(device.open(QIODevice::WriteOnly));
        if (node == QLatin1String("private"))
            device.setPermissions(QFile::ReadOwner);
    }
    if (!lock.isEmpty()) {
        QFile file(dir.filePath(QStringLiteral("LCK..ttyTest0")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lock);
    }
    int created = 0;
    TPortRegistry& registry = TPortRegistry::Instance();
    registry.SetDeviceFactory([&](int) -> std::unique_ptr<ISerialDevice> {
        ++created;
        return nullptr;
    });
    QVERIFY(registry.Bind(150, path));
    const TPortAvailability availability = registry.Availability(150);
    registry.Unbind(150);
    PortNames::SetLockDirectories(lockDirs);
    QCOMPARE(int(availability.State), state);
    QCOMPARE(availability.IsFree(), availability.Why(path).isEmpty());
    if (availability.State == TPortAvailability::TState::Locked)
        QVERIFY(availability.Why(path).contains(QString::number(QCoreApplication::applicationPid())));
    QCOMPARE(created, 0);
}

void TstPortRegistry::openFailureSaysWhy_data()
{
    // What is seen from outside (node, lock), what the device answered, what the user reads.
    QTest::addColumn<QString>("node");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    using E = ISerialDevice::TOpenError;
    QTest::newRow("missing") << "none" << false << int(E::NotFound) << QString()
                             << "Das Gerät %1 ist nicht vorhanden.";
    QTest::newRow("lock file of a live process")
        << "file" << true << int(E::Busy) << QString()
        << QStringLiteral("%1 wird von Prozess ") + QString::number(QCoreApplication::applicationPid());
    QTest::newRow("busy without a lock file")
        << "file" << false << int(E::Busy) << QString() << "%1 wird von einem anderen Programm benutzt.";
    QTest::newRow("the system's own words")
        << "file" << false << int(E::Other) << "Input/output error"
        << "%1 lässt sich nicht öffnen: Input/output error";
}

void TstPortRegistry::openFailureSaysWhy()
{
    QFETCH(QString, node);
    QFETCH(bool, locked);
    QFETCH(int, error);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QStringList lockDirs = PortNames::LockDirectories();
    PortNames::SetLockDirectories({dir.path()});
    const QString path = dir.filePath(QStringLiteral("ttyTest1"));
    if (node == QLatin1String("file")) {
        QFile device(path);
        QVERIFY(device.open(QIODevice::WriteOnly));
    }
    if (locked) {
        QFile file(dir.filePath(QStringLiteral("LCK..ttyTest1")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::number(QCoreApplication::applicationPid()) + '\n');
    }
    auto state = InstallFakePorts();
    state->OpenFails = true;
    state->OpenError = ISerialDevice::TOpenError(error);
    state->OpenErrorText = text;
    QVERIFY(TPortRegistry::Instance().Bind(151, path));
    T_QCCom32 port;
    port.SetPort(151);
    QVERIFY(!port.Open());
    PortNames::SetLockDirectories(lockDirs);
    QVERIFY2(port.OpenFailure().startsWith(expected.arg(path)), qPrintable(port.OpenFailure()));
    // switching the port off leaves nothing to explain
    port.Close();
    QVERIFY(port.OpenFailure().isEmpty());
}

void TstPortRegistry::noPermissionNamesGroupAndCure()
{
    TPortAvailability a;
    a.State = TPortAvailability::TState::NoAccess;
    a.Group = QStringLiteral("dialout");
    a.User = QStringLiteral("anna");
    QCOMPARE(a.Why(QStringLiteral("/dev/ttyUSB0")),
             QStringLiteral("Keine Berechtigung für /dev/ttyUSB0: das Gerät gehört der Gruppe „dialout“. "
                            "Abhilfe: sudo usermod -aG dialout anna, danach neu anmelden."));
    // joining root's group is no cure worth offering
    a.Group = QStringLiteral("root");
    QVERIFY(!a.Why(QStringLiteral("/dev/ttyS0")).contains(QStringLiteral("usermod")));
}

QTEST_MAIN(TstPortRegistry)
#include "tst_PortRegistry.moc"
