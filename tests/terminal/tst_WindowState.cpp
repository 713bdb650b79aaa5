// The main window's state across a restart, the first start's defaults, and Enter: it sends
// from the send line and the prefix and postfix boxes only.
#include "FakeSerialDevice.h"
#include "PtyPair.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "controls/MvEdit.h"
#include "controls/MvExpandingPanel.h"
#include "commands/CommandTreeView.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/FileSender.h"
#include "terminal/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <unistd.h>

namespace {

QStringList Items(const QComboBox* aCombo)
{
    QStringList items;
    for (int i = 0; i < aCombo->count(); ++i)
        items << aCombo->itemText(i);
    return items;
}

} // namespace

class TstWindowState : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TFakeDeviceState> FState;

    template <class T>
    static T* Find(QWidget& aWindow, const char* aName)
    {
        return FindChildOrDie<T>(aWindow, aName);
    }

    static QAction* Action(QWidget& aWindow, const char* aName)
    {
        return aWindow.findChild<QAction*>(QLatin1String(aName));
    }

    // Ends the program's run: the window puts its state into the document, the file is written
    // and the store forgotten, as at a restart.
    static void Restart(std::unique_ptr<TfrmMainWindow>& aWindow)
    {
        aWindow.reset();
        VarnexSettings()->SaveSettings();
        delete TVarnexSettings::AccessInstance(0);
    }

    std::unique_ptr<TfrmMainWindow> ActiveWindow(int aPort)
    {
        auto window = std::make_unique<TfrmMainWindow>(aPort);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window never became active");
        return window;
    }

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void theFirstStartShowsTheDefaults()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FState = InstallFakePorts();
        TfrmMainWindow window(7);
        window.show();
        auto* postfix = Find<QComboBox>(window, "cbPostfix");
        QCOMPARE(Items(postfix), QStringList{QStringLiteral("/cr//lf/")});
        QCOMPARE(postfix->currentText(), QStringLiteral("/cr//lf/"));
        QCOMPARE(Items(Find<QComboBox>(window, "cbPrefix")), QStringList());
        QVERIFY(Action(window, "acHideParameter")->isChecked());
        QVERIFY(Action(window, "acAutoScroll")->isChecked());
        QVERIFY(!Find<QCheckBox>(window, "cbDump")->isChecked());
        QVERIFY(Find<QRadioButton>(window, "rbDumpHex")->isChecked());
        QVERIFY(Find<QToolButton>(window, "bExecuteCrlf")->isChecked());
        QVERIFY(!Find<QToolButton>(window, "bExecuteControlCode")->isChecked());
        QVERIFY(!Find<QToolButton>(window, "bEcho")->isChecked());
        QVERIFY(!Find<TmvExpandingPanel>(window, "paScriptPanel")->Expanded());
        QVERIFY(!Find<QToolButton>(window, "bHistory")->isChecked());
    }

    void everyKeyComesBackAfterARestart()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FState = InstallFakePorts();
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        const QStringList prefixes = {QStringLiteral("AT+X=\"a,b\""), QStringLiteral("mit Leerzeichen"),
                                      QStringLiteral("plain")};
        auto* prefix = Find<QComboBox>(*window, "cbPrefix");
        prefix->addItems(prefixes);
        Find<QComboBox>(*window, "cbPostfix")->addItem(QStringLiteral("/13/"));
        Action(*window, "acSend")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F9));
        Action(*window, "acComOn")->setShortcuts({});
        Find<TmvExpandingPanel>(*window, "paScriptPanel")->SetExpanded(true);
        const int panelHeight = Find<TmvExpandingPanel>(*window, "paScriptPanel")->maximumHeight();
        Action(*window, "acHideParameter")->trigger();
        Action(*window, "acAutoScroll")->trigger();
        Find<QCheckBox>(*window, "cbDump")->click();
        Find<QRadioButton>(*window, "rbDumpDez")->click();
        Find<QToolButton>(*window, "bExecuteCrlf")->setChecked(false);
        Find<QToolButton>(*window, "bExecuteControlCode")->setChecked(true);
        Find<QToolButton>(*window, "bEcho")->setChecked(true);
        QHeaderView* header = window->CommandTreeView()->header();
        header->moveSection(header->visualIndex(0), 2);
        header->resizeSection(1, 222);
        const QList<int> visual = {header->visualIndex(0), header->visualIndex(1), header->visualIndex(2)};
        Restart(window);

        window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        QCOMPARE(Items(Find<QComboBox>(*window, "cbPrefix")), prefixes);
        QCOMPARE(Find<QComboBox>(*window, "cbPrefix")->currentText(), prefixes.first());
        QCOMPARE(Items(Find<QComboBox>(*window, "cbPostfix")),
                 (QStringList{QStringLiteral("/cr//lf/"), QStringLiteral("/13/")}));
        QCOMPARE(Action(*window, "acSend")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F9));
        QVERIFY(Action(*window, "acComOn")->shortcuts().isEmpty());
        QCOMPARE(Action(*window, "acExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
        QVERIFY(Find<TmvExpandingPanel>(*window, "paScriptPanel")->Expanded());
        QCOMPARE(Find<TmvExpandingPanel>(*window, "paScriptPanel")->maximumHeight(), panelHeight);
        QVERIFY(!Action(*window, "acHideParameter")->isChecked());
        QVERIFY(!Action(*window, "acAutoScroll")->isChecked());
        QVERIFY(Find<QCheckBox>(*window, "cbDump")->isChecked());
        QVERIFY(Find<QRadioButton>(*window, "rbDumpDez")->isChecked());
        QVERIFY(!Find<QToolButton>(*window, "bExecuteCrlf")->isChecked());
        QVERIFY(Find<QToolButton>(*window, "bExecuteControlCode")->isChecked());
        QVERIFY(Find<QToolButton>(*window, "bEcho")->isChecked());
        header = window->CommandTreeView()->header();
        QCOMPARE((QList<int>{header->visualIndex(0), header->visualIndex(1), header->visualIndex(2)}),
                 visual);
        QCOMPARE(header->sectionSize(1), 222);
    }

    void anItemNamingNoActionIsIgnored()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FState = InstallFakePorts();
        pugi::xml_node actions = VarnexSettings()->ResetActionElement();
        pugi::xml_node unknown = actions.append_child("Item");
        unknown.append_attribute("Name").set_value("acGibtEsNicht");
        unknown.append_attribute("Shortcut").set_value("F2");
        pugi::xml_node send = actions.append_child("Item");
        send.append_attribute("Name").set_value("acSend");
        send.append_attribute("Shortcut").set_value("Eingabe");
        TfrmMainWindow window(7);
        window.show();
        QCOMPARE(Action(window, "acExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
        // "Eingabe" is Return and the keypad's Enter alike.
        QCOMPARE(Action(window, "acSend")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}));
    }

    void enterInAnyOtherFieldSendsNothing_data()
    {
        QTest::addColumn<QString>("field");
        for (const char* name : {"edTimeTriggerTime", "edTriggerChars", "edTitle", "edSendScriptFileName",
                                 "edReceiveScriptName"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void enterInAnyOtherFieldSendsNothing()
    {
        QFETCH(QString, field);
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetUseReceiveScript(true);
        FState = InstallFakePorts();
        auto window = ActiveWindow(7);
        Action(*window, "acComOn")->trigger();
        Find<QLineEdit>(*window, "edSend")->setText(QStringLiteral("ATI"));
        if (field == QLatin1String("edTriggerChars"))
            Find<QRadioButton>(*window, "rbTriggerChars")->click();
        window->ActionListUpdate();
        auto* edit = window->findChild<QLineEdit*>(field);
        QVERIFY(edit && edit->isEnabled());
        edit->setFocus();
        QVERIFY(edit->hasFocus());
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(FState->Written, QByteArray());
        // The send line itself sends.
        auto* send = Find<QLineEdit>(*window, "edSend");
        send->setFocus();
        QTest::keyClick(send, Qt::Key_Return);
        QCOMPARE(FState->Written, QByteArray("ATI\r\n"));
    }

    void enterInThePrefixAndPostfixBoxesSends()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FState = InstallFakePorts();
        auto window = ActiveWindow(7);
        Action(*window, "acComOn")->trigger();
        Find<QLineEdit>(*window, "edSend")->setText(QStringLiteral("I"));
        for (const char* box : {"cbPrefix", "cbPostfix"}) {
            auto* combo = Find<QComboBox>(*window, box);
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_Enter);
        }
        QCOMPARE(FState->Written, QByteArray("I\r\nI\r\n"));
    }

    void escapeStopsAFileTransferAndDropsWhatIsQueued()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FState = InstallFakePorts();
        auto window = ActiveWindow(7);
        Action(*window, "acComOn")->trigger();
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("gross.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100000, 'x'));
        file.close();
        FState->OutputQueue = 1 << 20; // a line that takes nothing
        window->FileSender()->Start(file.fileName());
        QVERIFY(window->FileSender()->IsSending());
        window->ActionListUpdate();
        QVERIFY(!Action(*window, "acSendFile")->isEnabled());
        auto* send = Find<QLineEdit>(*window, "edSend");
        send->setFocus();
        QTest::keyClick(send, Qt::Key_Escape);
        QVERIFY(!window->FileSender()->IsSending());
        QCOMPARE(FState->OutputDiscards, 1);
        QCOMPARE(Find<QLabel>(*window, "sbPanel1")->text(), QString());
        QVERIFY(prompts.Errors.isEmpty());
    }

    void atiTypedAtTheFirstStartGoesOutWithCrLf()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
            QFAIL("socat is needed for the pty tests (./test installs it)");
        TScriptedDialogs prompts;
        TTempSettings settings;
        TPtyPair pair;
        QString why;
        QVERIFY2(pair.Start(&why), qPrintable(why));
        const int port = TPortRegistry::Instance().Bind(pair.ProgramEnd());
        auto window = ActiveWindow(port);
        Action(*window, "acComOn")->trigger();
        QVERIFY(window->Com()->Opened());
        const int peer = pair.OpenPeer();
        QVERIFY(peer >= 0);
        auto* send = Find<QLineEdit>(*window, "edSend");
        send->setFocus();
        QTest::keyClicks(send, QStringLiteral("ATI"));
        QTest::keyClick(send, Qt::Key_Return);
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(([&] {
                                      char buffer[64];
                                      const ssize_t n = ::read(peer, buffer, sizeof buffer);
                                      if (n > 0)
                                          received.append(buffer, n);
                                      return received;
                                  }()),
                                  QByteArray("ATI\r\n"), 10000);
        ::close(peer);
        window.reset();
        TPortRegistry::Instance().Unbind(port);
    }
};

QTEST_MAIN(TstWindowState)
#include "tst_WindowState.moc"
