// The main window offscreen: start-up state, the port switch, the poll and its failure rule,
// the display options, the modem lines, sending and the menu hints.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "controls/RoundLed.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"
#include "ui/Translations.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

// Counts events of one type that reach the objects it watches.
class TEventCounter final : public QObject
{
public:
    TEventCounter(QEvent::Type aType, int& aCount)
        : FType(aType)
        , FCount(aCount)
    {
    }
    bool eventFilter(QObject*, QEvent* aEvent) override
    {
        if (aEvent->type() == FType)
            ++FCount;
        return false;
    }

private:
    QEvent::Type FType;
    int& FCount;
};

} // namespace

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
    std::unique_ptr<TfrmMainWindow> FakeWindow() { return FakePortWindow(FState); }

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
        // the status bar says why, naming the device
        QCOMPARE(Find<QLabel>(*window, "sbPanel0")->text(),
                 QStringLiteral("Port: 7 - Not Open – Das Gerät %1 ist nicht vorhanden.")
                     .arg(TPortRegistry::Instance().DevicePath(7)));
    }

    void aVanishedDeviceIsWaitedForUntilThePortIsSwitchedOff()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetAutoReconnect(true);
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("ttyACM9"));
        QFile node(device);
        QVERIFY(node.open(QIODevice::WriteOnly));
        QVERIFY(TPortRegistry::Instance().Bind(150, device));
        auto window = FakeWindow();
        window->Com()->SetPort(150);
        QAction* on = Find<QAction>(*window, "acComOn");
        on->trigger();
        window->timerPollEventTimer();
        QVERIFY(window->Com()->Opened());

        QVERIFY(node.remove());
        FState->Failed = true;
        window->timerPollEventTimer();
        FState->Failed = false;
        QVERIFY(!window->Com()->Opened());
        QVERIFY(prompts.Messages.isEmpty());
        QCOMPARE(Find<TRoundLed>(*window, "ledOnOff")->LedStatus(), TRoundLed::lsBlink);
        QVERIFY(on->isChecked());
        QCOMPARE(Find<QLabel>(*window, "sbPanel0")->text(),
                 QStringLiteral("Port: 150 - Not Open – Verbindung verloren – warte auf %1 ...").arg(device));

        on->trigger(); // off: the waiting ends and the port stays off when the device is back
        QVERIFY(!on->isChecked());
        QCOMPARE(Find<TRoundLed>(*window, "ledOnOff")->LedStatus(), TRoundLed::lsOff);
        QVERIFY(node.open(QIODevice::WriteOnly));
        window->timerPollEventTimer();
        QVERIFY(!window->Com()->Opened());
        TPortRegistry::Instance().Unbind(150);
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

    void receiveToolsThatDoNotFitAreInTheMoreMenu()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        window->resize(640, window->height());
        QApplication::processEvents();
        auto* stamps = Find<QToolButton>(*window, "bTimestamps");
        QVERIFY(!stamps->isVisible());
        auto* menu = Find<QMenu>(*window, "pmReceiveToolsMore");
        emit menu->aboutToShow();
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == stamps->text())
                item = action;
        QVERIFY(item && item->isCheckable() && !item->isChecked());
        item->trigger();
        QVERIFY(stamps->isChecked());
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
        // The long part of the hint, on one line.
        QCOMPARE(panel->text(),
                 QStringLiteral("Beendet das Programm und schliesst die Schnittstelle. Die "
                                "aktuellen Einstellungen werden gespeichert."));
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
        // Window managers read the program's name when the caption is set: it is set again.
        int captions = 0;
        TEventCounter counter(QEvent::WindowTitleChange, captions);
        window->installEventFilter(&counter);
        Find<QLineEdit>(*window, "edTitle")->setText(QStringLiteral("Prüfstand 2"));
        window->ActionListUpdate();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Prüfstand 2"));
        QVERIFY(captions > 0);
        QVERIFY(window->windowTitle().startsWith(QStringLiteral("Varnex [")));
    }

    void hintsAreShortInTipsAndOneLineInTheStatusBarWhichNeverMoves()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        window->resize(1040, 680);
        QAction* on = Find<QAction>(*window, "acComOn");
        QCOMPARE(on->toolTip(), QStringLiteral("Schaltet den gewählten Com Port ein oder aus."));
        auto* bar = window->findChild<QStatusBar*>(QStringLiteral("sb"));
        auto* panel = Find<QLabel>(*window, "sbPanel1");
        QCoreApplication::processEvents();
        const int height = bar->height();
        const QRect sendRow = Find<QLineEdit>(*window, "edSend")->geometry();

        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(Find<QToolButton>(*window, "bOnOff"), &enter);
        QVERIFY(
            panel->text().startsWith(QStringLiteral("Schaltet den gewählten Com Port ein oder aus. Wenn")));
        QVERIFY(!panel->text().contains(QLatin1Char('|')) && !panel->text().contains(QLatin1Char('\n')));
        QCoreApplication::processEvents();
        QCOMPARE(bar->height(), height);
        QCOMPARE(Find<QLineEdit>(*window, "edSend")->geometry(), sendRow);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(Find<QToolButton>(*window, "bOnOff"), &leave);
        QCOMPARE(panel->text(), QString());

        // The port's panel fits its whole text.
        window->Com()->SetBaud(115200);
        window->Com()->SetParity(paOdd);
        on->trigger();
        window->ActionListUpdate();
        QCoreApplication::processEvents();
        auto* port = Find<QLabel>(*window, "sbPanel0");
        QCOMPARE(port->text(), QStringLiteral("Port: 7 - 115200, 8, O, 1"));
        QVERIFY(port->width() >= port->fontMetrics().horizontalAdvance(port->text()));
    }

    void aPressedToggleIsPlainToSee()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        for (const char* name : {"bExecuteCrlf", "bExecuteControlCode", "bEcho", "bAutoScroll", "bHistory"}) {
            auto* button = Find<QToolButton>(*window, name);
            button->setDefaultAction(nullptr);
            button->setCheckable(true);
            button->setChecked(false);
            const QImage up = button->grab().toImage();
            button->setChecked(true);
            const QImage down = button->grab().toImage();
            int changed = 0;
            for (int y = 0; y < up.height(); ++y)
                for (int x = 0; x < up.width(); ++x)
                    changed +=
                        std::abs(up.pixelColor(x, y).lightness() - down.pixelColor(x, y).lightness()) > 40;
            QVERIFY2(changed > up.width() * up.height() / 2, name);
        }
    }

    void everyByteIsVisibleInEveryDisplay_data()
    {
        QTest::addColumn<bool>("lineBreaks");
        QTest::addColumn<bool>("controls");
        QTest::addColumn<int>("dump"); // -1 none, else the style's index
        QTest::newRow("text") << false << false << -1;
        QTest::newRow("Zeilenumbruch") << true << false << -1;
        QTest::newRow("Steuerzeichen") << false << true << -1;
        QTest::newRow("Dump DEZ") << false << false << 0;
        QTest::newRow("Dump HEX") << false << false << 1;
        QTest::newRow("Dump ASCII") << false << false << 2;
    }

    void everyByteIsVisibleInEveryDisplay()
    {
        QFETCH(bool, lineBreaks);
        QFETCH(bool, controls);
        QFETCH(int, dump);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        window->resize(1040, 680);
        Find<QAction>(*window, "acComOn")->trigger();
        Find<QToolButton>(*window, "bExecuteCrlf")->setChecked(lineBreaks);
        Find<QToolButton>(*window, "bExecuteControlCode")->setChecked(controls);
        if (dump >= 0) {
            Find<QCheckBox>(*window, "cbDump")->click();
            Find<QRadioButton>(*window,
                               dump == 0       ? "rbDumpDez"
                                   : dump == 1 ? "rbDumpHex"
                                               : "rbDumpAscii")
                ->click();
        }
        auto* view = Find<TReceiveView>(*window, "memReceive");
        QAction* clear = Find<QAction>(*window, "acDeleteReceive");
        QStringList invisible;
        for (int byte = 0; byte < 256; ++byte) {
            // Spacing is meant to be blank; executed line breaks start a line instead.
            const bool text = dump < 0;
            if (text && (byte == ' ' || byte == '\t'))
                continue;
            if ((lineBreaks || controls) && text && (byte == '\r' || byte == '\n'))
                continue;
            clear->setEnabled(true);
            clear->trigger();
            FState->Incoming = QByteArray(1, char(byte));
            window->timerPollEventTimer();
            const QImage image = view->viewport()->grab().toImage();
            const QRgb background = image.pixel(image.width() - 2, image.height() - 2);
            int ink = 0;
            for (int y = 0; y < qMin(image.height(), 40); ++y)
                for (int x = 0; x < qMin(image.width(), 200); ++x)
                    ink += image.pixel(x, y) != background;
            if (ink == 0)
                invisible << QString::number(byte);
        }
        QVERIFY2(invisible.isEmpty(), qPrintable(invisible.join(QLatin1Char(' '))));
    }

    void theAsciiDumpTellsNumbersFromDigits()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = FakeWindow();
        Find<QAction>(*window, "acComOn")->trigger();
        Find<QCheckBox>(*window, "cbDump")->click();
        Find<QRadioButton>(*window, "rbDumpAscii")->click();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        QList<QImage> images;
        for (const char byte : {'5', '\x05'}) {
            Find<QAction>(*window, "acDeleteReceive")->trigger();
            FState->Incoming = QByteArray(1, byte);
            window->timerPollEventTimer();
            QCOMPARE(view->Text(), QStringLiteral("5 "));
            images << view->viewport()->grab().toImage();
        }
        QVERIFY(images[0] != images[1]);
    }

    void qtsOwnTextsAreGerman()
    {
        QVERIFY(InstallGermanQtTexts(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_MainWindow.moc"
