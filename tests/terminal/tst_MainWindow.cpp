// The main window offscreen: start-up state, the port switch, the poll and its failure rule,
// the display options, the modem lines, sending and the menu hints.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "controls/RoundLed.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TstMainWindow : public QObject
{
    Q_OBJECT

private:
    template <class T>
    T* Find(TfrmMainWindow& aWindow, const char* aName)
    {
        return FindChildOrDie<T>(aWindow, aName);
    }

    // A window whose port 7 is a fake device the test controls.
    std::unique_ptr<TfrmMainWindow> FakeWindow()
    {
        FState = InstallFakePorts();
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("window did not become active");
        return window;
    }

    std::shared_ptr<TFakeDeviceState> FState;

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void startsClosedWithTitleAndStatus()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmMainWindow window;
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("Varnex [Port: 1 - Not Open]"));
        QCOMPARE(Find<QLabel>(window, "sbPanel0")->text(), QStringLiteral("Port: 1 - Not Open"));
        QVERIFY(!Find<TRoundLed>(window, "ledOnOff")->IsLit());
        QVERIFY(!Find<QPushButton>(window, "bSend")->isEnabled());
        QVERIFY(Find<QAction>(window, "acSend")->isEnabled());
        QVERIFY(!Find<QAction>(window, "acPortProp")->isEnabled());
        QVERIFY(Find<QLabel>(window, "paVersion")->text().startsWith(QStringLiteral("Version: ")));
        QCOMPARE(Find<QLineEdit>(window, "edTitle")->text(), QStringLiteral("Varnex"));
        QCOMPARE(window.focusWidget(), Find<QLineEdit>(window, "edSend"));
        QVERIFY(Find<QTimer>(window, "timerPollEvent")->isActive());

        const QStringList menus = [&] {
            QStringList titles;
            for (QAction* a : Find<QMenuBar>(window, "mMenuMain")->actions())
                titles << a->text();
            return titles;
        }();
        QCOMPARE(menus, (QStringList{"Datei", "Empfang", "Senden", "Extras", "Hilfe"}));
        QVERIFY(prompts.Messages.isEmpty());
    }

    void commandLinePortIsSelectedNotOpened()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Varnex [Port: 7 - Not Open]"));
        QCOMPARE(FState->Opens, 0);
    }

    void switchingOnAPortThatCannotOpenStaysOffSilently()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        FState->OpenFails = true;
        Find<QAction>(*window, "acComOn")->trigger();
        window->timerPollEventTimer();
        QVERIFY(!Find<QToolButton>(*window, "bOnOff")->isChecked());
        QVERIFY(!Find<TRoundLed>(*window, "ledOnOff")->IsLit());
        QVERIFY(!window->Com()->Opened());
        QVERIFY(prompts.Messages.isEmpty() && prompts.Errors.isEmpty() && prompts.Questions.isEmpty());
    }

    void switchingOnAndOff()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        QAction* on = Find<QAction>(*window, "acComOn");
        on->trigger();
        QVERIFY(window->Com()->Opened());
        QVERIFY(on->isChecked());
        QVERIFY(Find<QPushButton>(*window, "bSend")->isEnabled());
        QVERIFY(Find<QAction>(*window, "acPortProp")->isEnabled());
        QCOMPARE(window->windowTitle(), QStringLiteral("Varnex [Port: 7 - 9600, 8, N, 1]"));
        window->timerPollEventTimer();
        QVERIFY(Find<TRoundLed>(*window, "ledOnOff")->IsLit());
        on->trigger();
        QVERIFY(!window->Com()->Opened());
        QVERIFY(!on->isChecked());
        QCOMPARE(FState->Closes, 1);
    }

    void dumpDisablesTheExecuteButtons()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        auto* crlf = Find<QToolButton>(*window, "bExecuteCrlf");
        auto* control = Find<QToolButton>(*window, "bExecuteControlCode");
        QVERIFY(crlf->isChecked()); // down by default
        QCOMPARE(window->GetDisplayOptions(), TTermComOptions({coCrlf}));

        Find<QCheckBox>(*window, "cbDump")->setChecked(true);
        QVERIFY(!crlf->isEnabled());
        QVERIFY(!control->isEnabled());
        QVERIFY(Find<QWidget>(*window, "rgDumpStyle")->isEnabled());
        // Down but disabled: not applied.
        QCOMPARE(window->GetDisplayOptions(), TTermComOptions({coHexDump}));
        Find<QRadioButton>(*window, "rbDumpDez")->setChecked(true);
        QCOMPARE(window->GetDisplayOptions(), TTermComOptions({coDezDump}));
        Find<QRadioButton>(*window, "rbDumpAscii")->setChecked(true);
        QCOMPARE(window->GetDisplayOptions(), TTermComOptions({coAsciiDump}));

        Find<QCheckBox>(*window, "cbDump")->setChecked(false);
        QVERIFY(control->isEnabled());
        control->setChecked(true);
        // Executing all control characters releases and disables the line-break button.
        QVERIFY(!crlf->isChecked());
        QVERIFY(!crlf->isEnabled());
        QCOMPARE(window->GetDisplayOptions(), TTermComOptions({coControl}));
    }

    void pollShowsReceivedDataDecoded()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        FState->Incoming = QByteArray("A/\x1b\r\nB\xe4", 7);
        window->timerPollEventTimer();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        QCOMPARE(view->Text(), QStringLiteral("A///esc/\r\nB\u00e4"));
        QVERIFY(Find<QAction>(*window, "acDeleteReceive")->isEnabled());

        Find<QCheckBox>(*window, "cbDump")->setChecked(true);
        FState->Incoming = QByteArray("\x01Z", 2);
        window->timerPollEventTimer();
        QVERIFY(view->Text().endsWith(QStringLiteral("B\u00e401 5A ")));
    }

    void aFloodIsReadInBoundedPiecesWithoutLoss()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        Find<QToolButton>(*window, "bExecuteCrlf")->setChecked(false);
        QByteArray flood(5 * (1 << 20) / 2, 'x');
        for (qsizetype i = 0; i < flood.size(); i += 4099)
            flood[i] = '\n';
        FState->Incoming = flood;
        for (int tick = 0; tick < 50 && !FState->Incoming.isEmpty(); ++tick)
            window->timerPollEventTimer();
        QVERIFY(FState->Incoming.isEmpty());
        QVERIFY(FState->Reads >= 3); // at most 1 MB a read
        const QString text = Find<TReceiveView>(*window, "memReceive")->Text();
        QCOMPARE(text.size(), flood.size() - flood.count('\n') + 4 * flood.count('\n'));
        QCOMPARE(text.count(QStringLiteral("/lf/")), flood.count('\n'));
    }

    void failingDeviceGivesOneCommunicationErrorAndPollingGoesOn()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        FState->Incoming = "data";
        FState->Failed = true;
        window->timerPollEventTimer();
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Kommunikationsfehler")});
        QVERIFY(!window->Com()->Opened());
        QCOMPARE(window->windowTitle(), QStringLiteral("Varnex [Port: 7 - Not Open]"));
        QVERIFY(!Find<TRoundLed>(*window, "ledOnOff")->IsLit());

        // The timer keeps running and no second message comes.
        QTest::qWait(200);
        QCOMPARE(prompts.Messages.size(), 1);

        // The device is back: the port switches on again and data flows.
        FState->Failed = false;
        Find<QAction>(*window, "acComOn")->trigger();
        QVERIFY(window->Com()->Opened());
        FState->Incoming = "back";
        QTRY_VERIFY(Find<TReceiveView>(*window, "memReceive")->Text().endsWith(QStringLiteral("back")));
        QCOMPARE(prompts.Messages.size(), 1);
    }

    void modemLinesFollowSwitchesAndInputs()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        auto* bRts = Find<QToolButton>(*window, "bRTS");
        auto* ledRts = Find<TRoundLed>(*window, "ledRTS");
        bRts->setChecked(true);
        window->timerPollEventTimer();
        QVERIFY(window->Com()->RTS());
        QVERIFY(!ledRts->IsLit()); // requested, but the port is closed
        Find<QAction>(*window, "acComOn")->trigger();
        QVERIFY(FState->RtsCalls.contains(true));
        window->timerPollEventTimer();
        QVERIFY(ledRts->IsLit());

        FState->Modem = {true, false, true};
        window->timerPollEventTimer();
        QVERIFY(Find<TRoundLed>(*window, "ledCTS")->IsLit());
        QVERIFY(!Find<TRoundLed>(*window, "ledDSR")->IsLit());
        QVERIFY(Find<TRoundLed>(*window, "ledRing")->IsLit());
        QVERIFY(window->GetModemLine(mltCTS));
        QVERIFY(window->GetModemLine(mltRing));
        QVERIFY(!window->GetModemLine(mltNone));

        window->SetModemLine(mltDTR, true);
        QVERIFY(Find<QToolButton>(*window, "bDTR")->isChecked());
        QVERIFY(window->GetModemLine(mltDTR));
        QCOMPARE(FState->DtrCalls.last(), true);
        window->SetModemLine(mltCTS, false); // inputs cannot be set
        QVERIFY(window->GetModemLine(mltCTS));
    }

    void sendFieldWritesWithPrefixAndPostfixEncoded()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        Find<QComboBox>(*window, "cbPrefix")->setEditText(QStringLiteral("AT"));
        Find<QComboBox>(*window, "cbPostfix")->setEditText(QStringLiteral("/cr//lf/"));
        auto* edSend = Find<QLineEdit>(*window, "edSend");
        edSend->setText(QStringLiteral("I//"));
        edSend->setFocus();
        QTest::keyClick(edSend, Qt::Key_Return);
        QCOMPARE(FState->Written, QByteArray("ATI/\r\n"));
        QCOMPARE(edSend->text(), QStringLiteral("I//"));

        // A closed port sends nothing and says nothing.
        Find<QAction>(*window, "acComOn")->trigger();
        Find<QAction>(*window, "acSend")->trigger();
        QCOMPARE(FState->Written, QByteArray("ATI/\r\n"));
        QVERIFY(prompts.Messages.isEmpty() && prompts.Errors.isEmpty());
    }

    void menuHintsGoToTheSecondStatusPanel()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        auto* panel = Find<QLabel>(*window, "sbPanel1");
        QMenu* menu = Find<QMenu>(*window, "mnDatei");
        emit menu->hovered(Find<QAction>(*window, "acExit"));
        QCOMPARE(panel->text(),
                 QStringLiteral("Beendet das Programm und schliesst die Schnittstelle.|Beendet das "
                                "Programm und schliesst die Schnittstelle. \nDie aktuellen "
                                "Einstellungen werden gespeichert."));
        // An item without an action of its own leaves the panel alone ...
        emit Find<QMenu>(*window, "mnHilfe")->hovered(Find<QAction>(*window, "acHelpOnline"));
        QVERIFY(panel->text().startsWith(QStringLiteral("Beendet")));
        // ... a menu title clears it.
        emit Find<QMenuBar>(*window, "mMenuMain")->hovered(menu->menuAction());
        QCOMPARE(panel->text(), QString());
    }

    void portSettingsSurviveARestartAndTheCommandLineWins()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        {
            auto window = FakeWindow();
            window->Com()->SetBaud(19200);
            window->Com()->SetParity(paEven);
            window->Com()->SetFlag(0x300);
            window->SetModemLine(mltDTR, true);
        }
        {
            TfrmMainWindow window;
            window.show();
            QCOMPARE(window.Com()->Port(), 7);
            QCOMPARE(window.Com()->Baud(), 19200);
            QCOMPARE(window.Com()->Parity(), paEven);
            QCOMPARE(window.Com()->Flag(), 0x300u);
            QVERIFY(window.Com()->DTR());
            QVERIFY(window.findChild<QToolButton*>(QStringLiteral("bDTR"))->isChecked());
            QVERIFY(!window.Com()->Opened()); // selected, never opened at start
        }
        TfrmMainWindow window(3);
        window.show();
        QCOMPARE(window.Com()->Port(), 3);
        QCOMPARE(window.Com()->Baud(), 19200);
    }

    void unreadableStoredValueIsReportedOnceAndTheWindowStarts()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        QFile file(settings.FilePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?><Body><Interface Port=\"5\" Baud=\"4800\" RTS=\"vielleicht\" "
                   "Parity=\"paFoo\" Stop=\"sb2_0\"/></Body>");
        file.close();
        TfrmMainWindow window;
        window.show();
        QCOMPARE(window.Com()->Port(), 5);
        QCOMPARE(window.Com()->Baud(), 4800);
        QCOMPARE(window.Com()->Parity(), paNone);
        QCOMPARE(window.Com()->StopBits(), sb2_0);
        QVERIFY(!window.Com()->RTS());
        QCOMPARE(prompts.Messages.size(), 1);
        QVERIFY(prompts.Messages.first().contains(QStringLiteral("vielleicht")));
    }

    void choosingAnotherPortInTheDialogClosesThePort()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        QVERIFY(window->Com()->Opened());
        prompts.DialogHandler = [](QDialog* aDialog) {
            for (QRadioButton* radio : aDialog->findChildren<QRadioButton*>())
                if (radio->text().startsWith(QStringLiteral("Com0 ")))
                    radio->click();
            return int(QDialog::Accepted);
        };
        QAction* comProp = Find<QAction>(*window, "acComProp");
        QVERIFY(comProp->isEnabled());
        comProp->trigger();
        QCOMPARE(prompts.DialogsShown, 1);
        QVERIFY(!window->Com()->Opened());
        window->timerPollEventTimer();
        QCOMPARE(window->windowTitle(), QStringLiteral("Varnex [Port: 0 - Not Open]"));
        QVERIFY(!Find<QToolButton>(*window, "bOnOff")->isChecked());
    }

    void taskBarTitleFollowsTheTitleField()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QLineEdit>(*window, "edTitle")->setText(QStringLiteral("Prüfstand 2"));
        window->ActionListUpdate();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Prüfstand 2"));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_MainWindow.moc"
