#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"

#include "serial/ComMv.h"
#include "serial/Einstellungen.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTemporaryDir>
#include <QFile>
#include <QFileDialog>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int kBoundA = 100;
constexpr int kBoundB = 101;

QStringList Texts(const QList<QRadioButton*>& aRadios)
{
    QStringList texts;
    for (const QRadioButton* radio : aRadios)
        texts << radio->text();
    return texts;
}

QRadioButton* EntryFor(const QList<QRadioButton*>& aRadios, int aPort)
{
    for (QRadioButton* radio : aRadios)
        if (T_QCCom32::PortNumberFromEntry(radio->text()) == aPort)
            return radio;
    return nullptr;
}

} // namespace

class TstEinstellungen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Sizes
    void layoutNumbers_data();
    void layoutNumbers();
    void columns_data();
    void columns();

    // Entries
    void entriesCaptionsAndMarks();
    void openCurrentPortStaysEnabled();
    void lookingAtThePortsOpensNone();
    void choosingAnEntry();
    void choosingByKeyboard();
    void okCloses();
    void aDeviceOutsideTheListIsBoundAndChosen();

    // Line settings from the dialog
    void propertiesOnUnavailablePort();
    void propertiesOpensPort();

private:
    // Runs the dialog of FPort; aCheck sees it while it is shown and may close it.
    void RunDialog(const std::function<void(TEinstellungen&)>& aCheck);
    // Makes aPort's devices open (or fail to); numbers not set here have no device. A bound
    // port's device node is there exactly when it opens.
    void SetOpenable(int aPort, bool aOpens)
    {
        FOpenable[aPort] = aOpens;
        const QString path = TPortRegistry::Instance().DevicePath(aPort);
        if (aPort >= TPortRegistry::kFirstBoundPort && path.startsWith(FDir.path())) {
            QFile node(path);
            if (aOpens)
                QVERIFY(node.open(QIODevice::WriteOnly));
            else
                node.remove();
        }
    }

    std::unique_ptr<TScriptedDialogs> FPrompts;
    std::unique_ptr<TTermCom> FPort;
    QTemporaryDir FDir;
    QMap<int, QString> FSavedBindings;
    QMap<int, bool> FOpenable;
    // Every device handed out, in order, so a test can see what happened to the port's own.
    QList<QPair<int, std::shared_ptr<TFakeDeviceState>>> FDevices;
    // Class and title of every dialog opened from within the port-selection dialog.
    QStringList FNestedDialogs;
};

void TstEinstellungen::init()
{
    TPortRegistry& registry = TPortRegistry::Instance();
    FSavedBindings = registry.Bindings();
    QVERIFY(registry.Bind(kBoundA, FDir.filePath(QStringLiteral("ttyA"))));
    QVERIFY(registry.Bind(kBoundB, FDir.filePath(QStringLiteral("ttyB"))));
    FOpenable.clear();
    FDevices.clear();
    FNestedDialogs.clear();
    SetOpenable(TPortRegistry::kLoopbackPort, true);
    registry.SetDeviceFactory([this](int aPort) -> std::unique_ptr<ISerialDevice> {
        if (!FOpenable.contains(aPort))
            return nullptr;
        auto state = std::make_shared<TFakeDeviceState>();
        state->OpenFails = !FOpenable.value(aPort);
        FDevices.append({aPort, state});
        return std::make_unique<TFakeSerialDevice>(state);
    });
    FPrompts = std::make_unique<TScriptedDialogs>();
    FPort = std::make_unique<TTermCom>();
}

void TstEinstellungen::cleanup()
{
    FPort.reset();
    FPrompts.reset();
    TPortRegistry& registry = TPortRegistry::Instance();
    registry.SetDeviceFactory({});
    const QList<int> bound = registry.Bindings().keys();
    for (int port : bound)
        registry.Unbind(port);
    for (auto it = FSavedBindings.cbegin(); it != FSavedBindings.cend(); ++it)
        registry.Bind(it.key(), it.value());
}

void TstEinstellungen::RunDialog(const std::function<void(TEinstellungen&)>& aCheck)
{
    bool handled = false;
    FPrompts->DialogHandler = [&](QDialog* aDialog) {
        auto* dialog = qobject_cast<TEinstellungen*>(aDialog);
        if (!dialog) {
            FNestedDialogs << QStringLiteral("%1: %2").arg(
                QString::fromLatin1(aDialog->metaObject()->className()), aDialog->windowTitle());
            return int(QDialog::Rejected);
        }
        handled = true;
        aCheck(*dialog);
        return dialog->result();
    };
    QVERIFY(FPort->Eigenschaften());
    QVERIFY(handled);
}

// ---------------------------------------------------------------------------------------------
// Sizes

void TstEinstellungen::layoutNumbers_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("widest");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QSize>("group");
    QTest::addColumn<QSize>("client");

    QTest::newRow("none") << 0 << 0 << 1 << QSize(281, 50) << QSize(300, 132);
    QTest::newRow("one, at least 50 high") << 1 << 80 << 1 << QSize(281, 50) << QSize(300, 132);
    QTest::newRow("two") << 2 << 80 << 1 << QSize(281, 60) << QSize(300, 142);
    QTest::newRow("four") << 4 << 80 << 1 << QSize(281, 120) << QSize(300, 202);
    QTest::newRow("five keep the design height") << 5 << 80 << 1 << QSize(281, 201) << QSize(300, 283);
    QTest::newRow("six start a second column") << 6 << 80 << 2 << QSize(281, 201) << QSize(300, 283);
    QTest::newRow("exactly 300 wide") << 6 << 120 << 2 << QSize(281, 201) << QSize(300, 283);
    QTest::newRow("wider than 300") << 6 << 121 << 2 << QSize(302, 201) << QSize(320, 283);
    QTest::newRow("thirteen") << 13 << 100 << 3 << QSize(390, 201) << QSize(408, 283);
    QTest::newRow("one long path") << 1 << 400 << 1 << QSize(430, 50) << QSize(448, 132);
}

void TstEinstellungen::layoutNumbers()
{
    QFETCH(int, entries);
    QFETCH(int, widest);
    const TEinstellungenLayout layout = TEinstellungenLayout::Compute(entries, widest);
    QTEST(layout.Columns, "columns");
    QTEST(QSize(layout.GroupWidth, layout.GroupHeight), "group");
    QTEST(QSize(layout.ClientWidth, layout.ClientHeight), "client");
}

void TstEinstellungen::columns_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("columns");
    QTest::newRow("three") << 3 << 1;
    QTest::newRow("seven") << 7 << 2;
    QTest::newRow("thirteen") << 13 << 3;
}

void TstEinstellungen::columns()
{
    QFETCH(int, entries);
    QFETCH(int, columns);
    // The machine may have ports of its own; fill up with bound ones to the count wanted.
    QStringList list;
    FPort->GetRegistryPortList(list);
    TPortRegistry& registry = TPortRegistry::Instance();
    if (list.size() > entries) {
        registry.Unbind(kBoundA);
        registry.Unbind(kBoundB);
        list.clear();
        FPort->GetRegistryPortList(list);
    }
    if (list.size() > entries)
        QSKIP("this machine lists more ports than the test needs");
    for (int port = 110; list.size() < entries; ++port) {
        QVERIFY(registry.Bind(port, FDir.filePath(QStringLiteral("tty%1").arg(port))));
        SetOpenable(port, true);
        list.clear();
        FPort->GetRegistryPortList(list);
    }

    RunDialog([&](TEinstellungen& aDialog) {
        aDialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aDialog));
        const QList<QRadioButton*> radios = aDialog.Entries();
        QCOMPARE(radios.size(), entries);
        QCOMPARE(aDialog.Columns(), columns);
        QSet<int> lefts;
        int widest = 0;
        for (const QRadioButton* radio : radios) {
            lefts << radio->x();
            widest = qMax(widest, aDialog.TextWidth(radio->text()));
            // Nothing is cut off.
            QVERIFY(radio->width() >= radio->sizeHint().width());
            QVERIFY(radio->geometry().bottom() < radio->parentWidget()->height());
        }
        QCOMPARE(lefts.size(), columns);
        // Column by column: the first column is full before the second starts.
        const int rows = (entries + columns - 1) / columns;
        QCOMPARE(radios.at(rows - 1)->x(), radios.first()->x());
        if (columns > 1)
            QVERIFY(radios.at(rows)->x() > radios.first()->x());

        const TEinstellungenLayout planned = TEinstellungenLayout::Compute(entries, widest);
        QVERIFY(aDialog.width() >= planned.ClientWidth);
        QVERIFY(aDialog.height() >= planned.ClientHeight);
        // Compact: no more than a little extra room for the style's needs.
        QVERIFY(aDialog.width() <= planned.ClientWidth + 60);
        QCOMPARE(aDialog.height(), planned.ClientHeight);
        QCOMPARE(aDialog.minimumSize(), aDialog.maximumSize());
        aDialog.close();
    });
}

// ---------------------------------------------------------------------------------------------
// Entries

void TstEinstellungen::entriesCaptionsAndMarks()
{
    SetOpenable(kBoundA, false);
    SetOpenable(kBoundB, true);
    FPort->SetPort(kBoundA);
    QStringList expected;
    FPort->GetRegistryPortList(expected);
    QVERIFY(expected.contains(QStringLiteral("Com0 (Loopback)")));
    const QString pathA = FDir.filePath(QStringLiteral("ttyA"));
    const QString pathB = FDir.filePath(QStringLiteral("ttyB"));
    QVERIFY(expected.contains(QStringLiteral("Com100 (%1)").arg(pathA)));
    QVERIFY(expected.contains(QStringLiteral("Com101 (%1)").arg(pathB)));

    RunDialog([&](TEinstellungen& aDialog) {
        QCOMPARE(aDialog.windowTitle(), QStringLiteral("Schnittstellen Einstellungen"));
        auto* group = aDialog.findChild<QGroupBox*>(QStringLiteral("RadioGb"));
        auto* properties = aDialog.findChild<QPushButton*>(QStringLiteral("butEigenschaften"));
        auto* ok = aDialog.findChild<QPushButton*>(QStringLiteral("butOK"));
        QVERIFY(group && properties && ok);
        QCOMPARE(group->title(), QStringLiteral("Portnummer"));
        QCOMPARE(properties->text(), QStringLiteral("Eigenschaften"));
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());
        // OK is the only way out; there is no cancel button.
        QCOMPARE(aDialog.findChildren<QPushButton*>().size(), 3);
        QVERIFY(aDialog.findChild<QPushButton*>(QStringLiteral("butGeraet")));

        const QList<QRadioButton*> radios = group->findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), expected.size());
        QCOMPARE(Texts(aDialog.Entries()), expected);
        for (QRadioButton* radio : radios) {
            const int port = T_QCCom32::PortNumberFromEntry(radio->text());
            // Current although its device cannot be opened: marked and selectable.
            QCOMPARE(radio->isChecked(), port == kBoundA);
        }
        QVERIFY(EntryFor(radios, TPortRegistry::kLoopbackPort)->isEnabled());
        QVERIFY(EntryFor(radios, kBoundA)->isEnabled());
        QVERIFY(EntryFor(radios, kBoundB)->isEnabled());
    });
    // Looking opened nothing, and the port was left alone.
    QCOMPARE(FDevices.size(), 0);
    QCOMPARE(FPort->Port(), kBoundA);
    QVERIFY(!FPort->Opened());
    QVERIFY(FPrompts->Questions.isEmpty());
}

void TstEinstellungen::lookingAtThePortsOpensNone()
{
    // A: its node is gone. B: free. C: held by a live process. D: a lock left by a process
    // that has ended.
    constexpr int kBoundC = 102;
    constexpr int kBoundD = 103;
    TPortRegistry& registry = TPortRegistry::Instance();
    QVERIFY(registry.Bind(kBoundC, FDir.filePath(QStringLiteral("ttyC"))));
    QVERIFY(registry.Bind(kBoundD, FDir.filePath(QStringLiteral("ttyD"))));
    SetOpenable(kBoundA, false);
    for (int port : {kBoundB, kBoundC, kBoundD})
        SetOpenable(port, true);
    const QStringList lockDirs = PortNames::LockDirectories();
    PortNames::SetLockDirectories({FDir.path()});
    auto writeLock = [&](const char* aName, const QByteArray& aPid) {
        QFile lock(FDir.filePath(QLatin1String(aName)));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(aPid + "\n");
    };
    writeLock("LCK..ttyC", QByteArray::number(QCoreApplication::applicationPid()));
    writeLock("LCK..ttyD", "99999999");
    FPort->SetPort(TPortRegistry::kLoopbackPort);

    RunDialog([&](TEinstellungen& aDialog) {
        const QList<QRadioButton*> radios = aDialog.Entries();
        QVERIFY(!EntryFor(radios, kBoundA)->isEnabled());
        QVERIFY(EntryFor(radios, kBoundB)->isEnabled());
        QVERIFY(!EntryFor(radios, kBoundC)->isEnabled());
        QVERIFY(EntryFor(radios, kBoundC)->toolTip().contains(QStringLiteral("LCK..ttyC")));
        QVERIFY(EntryFor(radios, kBoundD)->isEnabled());
        aDialog.accept();
    });
    PortNames::SetLockDirectories(lockDirs);
    registry.Unbind(kBoundC);
    registry.Unbind(kBoundD);
    QCOMPARE(FDevices.size(), 0);
}

void TstEinstellungen::openCurrentPortStaysEnabled()
{
    SetOpenable(kBoundB, true);
    FPort->SetPort(kBoundB);
    QVERIFY(FPort->Open());
    const std::shared_ptr<TFakeDeviceState> own = FDevices.last().second;
    // A second open of the port in use fails, as it would on a real device.
    SetOpenable(kBoundB, false);

    RunDialog([&](TEinstellungen& aDialog) {
        QRadioButton* current = EntryFor(aDialog.Entries(), kBoundB);
        QVERIFY(current);
        QVERIFY(current->isEnabled());
        QVERIFY(current->isChecked());
        QVERIFY(!EntryFor(aDialog.Entries(), kBoundA)->isEnabled());
        aDialog.accept();
    });
    QVERIFY(FPort->Opened());
    QVERIFY(own->IsOpen);
    QCOMPARE(own->Closes, 0);
}

void TstEinstellungen::choosingAnEntry()
{
    SetOpenable(kBoundB, true);
    FPort->SetPort(TPortRegistry::kLoopbackPort);
    QVERIFY(FPort->Open());
    const std::shared_ptr<TFakeDeviceState> own = FDevices.last().second;
    int changes = 0;
    FPort->OnParamChange = [&](QObject*) { ++changes; };

    RunDialog([&](TEinstellungen& aDialog) {
        // Clicking the entry already marked changes nothing.
        EntryFor(aDialog.Entries(), TPortRegistry::kLoopbackPort)->click();
        QVERIFY(FPort->Opened());
        QCOMPARE(changes, 0);

        EntryFor(aDialog.Entries(), kBoundB)->click();
        QVERIFY(!FPort->Opened());
        QCOMPARE(FPort->Port(), kBoundB);
        aDialog.accept();
    });
    QVERIFY(!own->IsOpen);
    QCOMPARE(own->Closes, 1);
    QCOMPARE(changes, 1);
    QCOMPARE(FPort->CommStatus(), QStringLiteral("Port: 101 - Not Open"));
}

void TstEinstellungen::choosingByKeyboard()
{
    SetOpenable(kBoundA, false);
    SetOpenable(kBoundB, true);
    FPort->SetPort(TPortRegistry::kLoopbackPort);
    QStringList list;
    FPort->GetRegistryPortList(list);
    if (list.size() > 5)
        QSKIP("the walk with Down needs all entries in one column");

    RunDialog([&](TEinstellungen& aDialog) {
        aDialog.show();
        aDialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&aDialog));
        QRadioButton* current = EntryFor(aDialog.Entries(), TPortRegistry::kLoopbackPort);
        QCOMPARE(QApplication::focusWidget(), current);
        // Down skips the entry that cannot be opened.
        const int last = int(aDialog.Entries().size()) - 1;
        for (int i = 0; i < last; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QVERIFY(EntryFor(aDialog.Entries(), kBoundB)->isChecked());
        QCOMPARE(FPort->Port(), kBoundB);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("butEigenschaften"));
        aDialog.close();
    });
}

void TstEinstellungen::okCloses()
{
    RunDialog([&](TEinstellungen& aDialog) {
        aDialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aDialog));
        aDialog.findChild<QPushButton*>(QStringLiteral("butOK"))->click();
        QVERIFY(!aDialog.isVisible());
        QCOMPARE(aDialog.result(), int(QDialog::Accepted));

        // Escape just closes it as well.
        aDialog.setResult(-1);
        aDialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&aDialog));
        QTest::keyClick(&aDialog, Qt::Key_Escape);
        QVERIFY(!aDialog.isVisible());
    });
    QCOMPARE(FPrompts->DialogsShown, 1);
}

void TstEinstellungen::aDeviceOutsideTheListIsBoundAndChosen()
{
    const QString path = FDir.filePath(QStringLiteral("ttyAMA0"));
    QFile device(path);
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    QStringList entries;
    FPrompts->DialogHandler = [&](QDialog* aDialog) {
        if (auto* files = qobject_cast<QFileDialog*>(aDialog)) {
            files->selectFile(path);
            return int(QDialog::Accepted);
        }
        auto* dialog = qobject_cast<TEinstellungen*>(aDialog);
        dialog->findChild<QPushButton*>(QStringLiteral("butGeraet"))->click();
        entries = Texts(dialog->Entries());
        return int(QDialog::Accepted);
    };
    QVERIFY(FPort->Eigenschaften());
    const int number = TPortRegistry::Instance().PortNumberOf(path);
    QVERIFY(number >= TPortRegistry::kFirstBoundPort);
    QCOMPARE(FPort->Port(), number);
    QVERIFY(entries.contains(QStringLiteral("Com%1 (%2)").arg(number).arg(path)));
}

// ---------------------------------------------------------------------------------------------
// Line settings from the dialog

void TstEinstellungen::propertiesOnUnavailablePort()
{
    SetOpenable(kBoundA, false);
    FPort->SetPort(kBoundA);

    RunDialog([&](TEinstellungen& aDialog) {
        aDialog.findChild<QPushButton*>(QStringLiteral("butEigenschaften"))->click();
        aDialog.accept();
    });
    QCOMPARE(FPrompts->Questions, QStringList{QStringLiteral("Port 100 steht im Moment nicht zu Verfügung")});
    QCOMPARE(FPrompts->Titles, QStringList{QStringLiteral("Fehler beim Zugriff auf Schnittstelle")});
    QVERIFY(FNestedDialogs.isEmpty());
    QCOMPARE(FPrompts->DialogsShown, 1);
    QVERIFY(!FPort->Opened());
}

void TstEinstellungen::propertiesOpensPort()
{
    SetOpenable(kBoundB, true);
    FPort->SetPort(kBoundB);
    RunDialog([&](TEinstellungen& aDialog) {
        aDialog.findChild<QPushButton*>(QStringLiteral("butEigenschaften"))->click();
        // The line settings ran while the port-selection dialog was still up.
        QCOMPARE(FNestedDialogs.size(), 1);
        QVERIFY(FPort->Opened());
        // Once open, the port is used as it is rather than opened afresh.
        const qsizetype devices = FDevices.size();
        aDialog.findChild<QPushButton*>(QStringLiteral("butEigenschaften"))->click();
        QCOMPARE(FDevices.size(), devices);
        QCOMPARE(FDevices.last().second->Closes, 0);
        QCOMPARE(FNestedDialogs.size(), 2);
        aDialog.accept();
    });
    QCOMPARE(FPrompts->DialogsShown, 3);
    QCOMPARE(FNestedDialogs.first(), QStringLiteral("TLineSettingsDialog: Eigenschaften von Com101"));
    QVERIFY(FPrompts->Questions.isEmpty());
    QVERIFY(FPort->Opened());
    QCOMPARE(FPort->Port(), kBoundB);
}

QTEST_MAIN(TstEinstellungen)
#include "tst_Einstellungen.moc"
