// The terminal without a window: reading and showing, the token log, both receive triggers,
// the send path, the rebuild with data arriving meanwhile, a device that fails, and one
// script at a time while scripts pump events. Against the fake device and a socat pty.
#include "FakeSerialDevice.h"
#include "PtyPair.h"
#include "ScriptedPrompts.h"
#include "TempSettings.h"
#include "TextView.h"

#include "notation/StringDecoder.h"
#include "serial/Reconnector.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "settings/XMLGlobal.h"
#include "terminal/TerminalSession.h"
#include "terminal/Token.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <climits>
#include <unistd.h>
#include <memory>

class TstTerminalSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TTempSettings> FSettings;
    std::shared_ptr<TFakeDeviceState> FState;
    std::unique_ptr<TTerminalSession> FSession;
    TTextView FView;
    QDateTime FNow;
    // What the test's script runner was handed, and how deeply runs nested.
    QStringList FRuns;
    int FDepth = 0;
    int FMaxDepth = 0;

    TTerminalSession& Session() { return *FSession; }

    // An open session on the fake port with a clock the test moves.
    void Open()
    {
        FState = InstallFakePorts();
        FSession = std::make_unique<TTerminalSession>();
        FSession->SetView(&FView);
        FSession->LoadScriptSettings();
        FNow = QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        FSession->TokenList()->SetClock([this] { return FNow; });
        FSession->Com()->SetPort(7);
        QVERIFY(FSession->Com()->Open());
    }

    void Receive(const QByteArray& aBytes, int aAfterMs = 0)
    {
        FNow = FNow.addMSecs(aAfterMs);
        FState->Incoming += aBytes;
        FSession->Poll(-1);
    }

    // A new session whose port is the program end of a socat pty instead of the fake device;
    // false (with the reason) when there is none.
    bool SessionOnPty(TPtyPair& aPair, int& aPort, QString& aWhy)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty()) {
            aWhy = QStringLiteral("socat is needed for the pty tests (./test installs it)");
            return false;
        }
        FSession.reset();
        TPortRegistry::Instance().SetDeviceFactory({});
        if (!aPair.Start(&aWhy))
            return false;
        aPort = TPortRegistry::Instance().Bind(aPair.ProgramEnd());
        FSession = std::make_unique<TTerminalSession>();
        FSession->SetView(&FView);
        FSession->LoadScriptSettings();
        FSession->Com()->SetPort(aPort);
        return true;
    }

    void UseReceiveScript(int aTriggerType)
    {
        Session().SetUseScript(true);
        Session().SetUseReceiveScript(true);
        Session().SetReceiveScriptName(QStringLiteral("empfang.pas"));
        Session().SetReceiveTriggerType(aTriggerType);
    }

    // Every script run goes to aScript (text in, text out), counted and checked for nesting.
    void RunScriptsWith(std::function<QString(const QString&)> aScript)
    {
        Session().SetScriptRunner([this, aScript](const QString& aText, const QString&, bool* aRan) {
            FRuns << aText;
            FMaxDepth = qMax(FMaxDepth, ++FDepth);
            const QString result = aScript(aText);
            --FDepth;
            if (aRan)
                *aRan = true;
            return result;
        });
    }

    QString ScriptFile(const QString& aName, const QByteArray& aSource)
    {
        const QString path = FSettings->DirPath() + QLatin1Char('/') + aName;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(aSource);
        return path;
    }

private slots:
    void init()
    {
        FPrompts = std::make_unique<TScriptedPrompts>();
        FSettings = std::make_unique<TTempSettings>();
        FRuns.clear();
        FDepth = FMaxDepth = 0;
        FView = TTextView();
        Open();
    }

    void cleanup()
    {
        FSession.reset();
        TPortRegistry::Instance().SetDeviceFactory({});
        FSettings.reset();
        FPrompts.reset();
    }

    void pollShowsDecodedDataAndLogsTokensByPause()
    {
        QCOMPARE(Session().TokenList()->ContentExpiredMs(), 101); // the stored wait time 100, plus one
        Receive("A\r");
        Receive("B", 50);
        Receive("C", 150);
        QCOMPARE(FView.Text, QStringLiteral("A/cr/BC"));
        QCOMPARE(Session().TokenList()->GetAllContent(), QStringLiteral("A\rB\r\nC"));
    }

    // A poll out of budget with data still waiting says so, so the window polls again at once
    // instead of letting the backlog wait for the next tick.
    void aPollOutOfBudgetReportsTheBacklog()
    {
        FState->Incoming = QByteArray(200000, 'x');
        QVERIFY(Session().Poll(0));
        QVERIFY(FState->Incoming.size() > 0);
        QVERIFY(!Session().Poll(-1));
        QCOMPARE(FState->Incoming.size(), 0);
        QCOMPARE(FView.Text.size(), 200000);
        QVERIFY(!Session().Poll(0)); // nothing waits
    }

    void aFailedDeviceIsReadToTheEndThenClosedOnce()
    {
        QSignalSpy errors(&Session(), &TTerminalSession::CommunicationError);
        FState->Incoming = "letzte Worte";
        FState->Failed = true;
        Session().Poll(25);
        QCOMPARE(FView.Text, QStringLiteral("letzte Worte"));
        QVERIFY(!Session().Com()->Opened());
        Session().Poll(25);
        QCOMPARE(errors.count(), 1);
    }

    void aVanishedDeviceIsWaitedForAndReopened_data()
    {
        QTest::addColumn<bool>("autoReconnect");
        QTest::addColumn<bool>("switchedOffMeanwhile");
        QTest::newRow("reconnect") << true << false;
        QTest::newRow("setting off") << false << false;
        QTest::newRow("port switched off while waiting") << true << true;
    }

    void aVanishedDeviceIsWaitedForAndReopened()
    {
        QFETCH(bool, autoReconnect);
        QFETCH(bool, switchedOffMeanwhile);
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("ttyUSB9"));
        QFile node(device);
        QVERIFY(node.open(QIODevice::WriteOnly));
        const int port = TPortRegistry::Instance().Bind(device);
        TTermCom& com = *Session().Com();
        com.SetPort(port);
        com.SetBaud(115200);
        com.SetRTS(true);
        QVERIFY(com.Open());
        Session().SetAutoReconnect(autoReconnect);
        Session().SetReconnectInterval(0);
        QSignalSpy errors(&Session(), &TTerminalSession::CommunicationError);
        QSignalSpy lost(&Session(), &TTerminalSession::PortLost);
        QSignalSpy restored(&Session(), &TTerminalSession::PortRestored);
        Session().Poll(25);

        // unplugged: the node goes, the device reports the fault
        QVERIFY(node.remove());
        FState->Failed = true;
        Session().Poll(25);
        FState->Failed = false;
        QVERIFY(!com.Opened());
        QCOMPARE(errors.count(), autoReconnect ? 0 : 1);
        QCOMPARE(lost.count(), autoReconnect ? 1 : 0);
        QCOMPARE(Session().IsWaitingForDevice(), autoReconnect);
        if (autoReconnect)
            QCOMPARE(Session().PortNote(), QStringLiteral("Verbindung verloren – warte auf %1 ...").arg(device));
        Session().Poll(25); // still gone: nothing happens
        QVERIFY(!com.Opened());
        if (switchedOffMeanwhile)
            Session().StopWaitingForDevice();

        // plugged in again
        QVERIFY(node.open(QIODevice::WriteOnly));
        const int opens = FState->Opens;
        FState->RtsCalls.clear();
        Session().Poll(25);
        const bool reopened = autoReconnect && !switchedOffMeanwhile;
        QCOMPARE(com.Opened(), reopened);
        QCOMPARE(restored.count(), reopened ? 1 : 0);
        QVERIFY(!Session().IsWaitingForDevice());
        if (reopened) {
            QCOMPARE(FState->Opens, opens + 1);
            QCOMPARE(FState->Applied.last().Baud, 115200);
            QCOMPARE(FState->RtsCalls, QList<bool>{true});
        }
        TPortRegistry::Instance().Unbind(port);
    }

    void anAdapterBackUnderAnotherNameIsFoundByItsSerialNumber()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("by-id")));
        const QString byIdDir = dir.filePath(QStringLiteral("by-id"));
        const QString link = byIdDir + QStringLiteral("/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        const QString first = dir.filePath(QStringLiteral("ttyUSB0"));
        const QString second = dir.filePath(QStringLiteral("ttyUSB1"));
        QFile node(first);
        QVERIFY(node.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(first, link));
        const QString savedById = TReconnector::ByIdDirectory();
        TReconnector::SetByIdDirectory(byIdDir);
        const int port = TPortRegistry::Instance().Bind(first);
        TTermCom& com = *Session().Com();
        com.SetPort(port);
        QVERIFY(com.Open());
        Session().SetAutoReconnect(true);
        Session().SetReconnectInterval(0);
        Session().Poll(25);

        QVERIFY(node.remove());
        QVERIFY(QFile::remove(link));
        FState->Failed = true;
        Session().Poll(25);
        FState->Failed = false;
        QVERIFY(Session().IsWaitingForDevice());

        // the old name is still taken: the adapter comes back as ttyUSB1
        QFile other(second);
        QVERIFY(other.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(second, link));
        Session().Poll(25);
        TReconnector::SetByIdDirectory(savedById);
        QVERIFY(com.Opened());
        QCOMPARE(TPortRegistry::Instance().DevicePath(com.Port()), second);
        TPortRegistry::Instance().Unbind(com.Port());
        TPortRegistry::Instance().Unbind(port);
    }

    void waitTimeIsBoundedSoTheTokenExpiryStaysPositive()
    {
        Session().SetWaitTime(INT_MAX);
        QCOMPARE(Session().WaitTime(), TTerminalSession::kMaxWaitTimeMs);
        QCOMPARE(VarnexSettings()->ReceiveTriggerWaitTime(), TTerminalSession::kMaxWaitTimeMs);
        QCOMPARE(Session().TokenList()->ContentExpiredMs(), TTerminalSession::kMaxWaitTimeMs + 1);
        Receive("a");
        Receive("b", 10);
        QCOMPARE(Session().TokenList()->Count(), 1);
        Session().SetWaitTime(-5);
        QCOMPARE(Session().WaitTime(), 0);
    }

    void characterTriggerLeavesTheDataAsItCameWhenTheScriptKeepsIt()
    {
        UseReceiveScript(TTerminalSession::kTriggerChars);
        RunScriptsWith([](const QString& aText) { return aText; });
        // A dialer's "ATZ" CR LF in two reads: each byte shows once.
        Receive("AT");
        Receive("Z\r\n", 20);
        QCOMPARE(FRuns, QStringList{QStringLiteral("ATZ\r\n")});
        QCOMPARE(FView.Text, QStringLiteral("ATZ/cr//lf/"));
    }

    void characterTriggerShowsAChangedTextInPlaceOfTheWholeToken()
    {
        UseReceiveScript(TTerminalSession::kTriggerChars);
        RunScriptsWith(
            [](const QString& aText) { return QStringLiteral("<") + aText + QStringLiteral(">"); });
        Receive("vorher", 0);
        Receive("AT", 500);
        QCOMPARE(FRuns, QStringList());
        Receive("Z\r\n", 20);
        // Decoded like received data; the earlier token stays as it was.
        QCOMPARE(FView.Text, QStringLiteral("vorher<ATZ/cr//lf/>"));
        // The grown token triggers again and takes its place again.
        Receive("OK", 20);
        QCOMPARE(FRuns.last(), QStringLiteral("ATZ\r\nOK"));
        QCOMPARE(FView.Text, QStringLiteral("vorher<ATZ/cr//lf/OK>"));
    }

    void timeTriggerRunsOnceOnTheNewestReceiveTokenAndLeavesTheView()
    {
        UseReceiveScript(TTerminalSession::kTriggerTime);
        RunScriptsWith([](const QString&) { return QStringLiteral("ignored"); });
        Receive("first");
        Receive("second", 500);
        QVERIFY(Session().SilenceTimer()->isActive());
        QCOMPARE(Session().SilenceTimer()->interval(), 100);
        Session().SendStringToCom(QStringLiteral("cmd"), QString(), false);
        Session().SilenceExpired();
        QCOMPARE(FRuns, QStringList{QStringLiteral("second")});
        QCOMPARE(FView.Text, QStringLiteral("firstsecond"));
        // Switching to "Trigger" stops a counting timer.
        Receive("more", 10);
        Session().SetReceiveTriggerType(TTerminalSession::kTriggerChars);
        QVERIFY(!Session().SilenceTimer()->isActive());
    }

    void sendFramesWritesLogsAndEchoes()
    {
        QSignalSpy sent(&Session(), &TTerminalSession::TextSent);
        Session().SetPrefix(QStringLiteral("AT"));
        Session().SetPostfix(QStringLiteral("/cr//lf/"));
        Session().SetEcho(true);
        Receive("x");
        Session().SendStringToCom(QStringLiteral("I"), QStringLiteral("Direkt"), true);
        QCOMPARE(FState->Written, QByteArray("ATI\r\n"));
        QCOMPARE(Session().TokenList()->CurrentToken()->Content(), QStringLiteral("ATI/cr//lf/"));
        QCOMPARE(FView.Text, QStringLiteral("x<b>\r\nGesendet: ATI/cr//lf/\r\n</b>"));
        QCOMPARE(sent.count(), 1);

        // A send script's result is written as it stands, without a second decoding.
        RunScriptsWith([](const QString& aText) { return aText + QStringLiteral("/13/"); });
        Session().SetPrefix(QString());
        Session().SetPostfix(QString());
        FState->Written.clear();
        Session().SendStringToCom(QStringLiteral("a"), QString(), true);
        Session().SendStringToCom(QStringLiteral("b/13/"), QString(), false);
        QCOMPARE(FState->Written, QByteArray("a/13/b\r"));
    }

    void timestampsStartEachLineAndSurviveARebuild()
    {
        Session().SetDisplayOptions(TTermComOptions{coCrlf});
        Session().SetTimestamps(true);
        Receive("eins\r\nzw");
        Receive("ei\r", 40);
        Receive("\ndrei", 40); // the LF belongs to the CR before it; "drei" starts at .080
        const QString stamped = QStringLiteral("12:00:00.000 eins\r\n12:00:00.000 zwei\r\n12:00:00.080 drei");
        QCOMPARE(FView.Text, stamped);

        // the times are the traffic's, not the view's: a rebuild in small slices shows them again
        Session().SetRebuildOnEventLoop(false);
        Session().SetRebuildSlice(3, -1);
        auto rebuild = [this] {
            Session().StartRebuild();
            while (Session().ContinueRebuild()) {
            }
        };
        Session().SetTimestamps(false);
        rebuild();
        QCOMPARE(FView.Text, QStringLiteral("eins\r\nzwei\r\ndrei"));
        Session().SetTimestamps(true);
        rebuild();
        QCOMPARE(FView.Text, stamped);

        // a saved file carries them as shown
        const QString file = FSettings->DirPath() + QStringLiteral("/empfang.txt");
        Session().SaveReceiveToFile(file);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), stamped.toLatin1());
    }

    void timestampsInADumpStartEachToken()
    {
        Session().SetDisplayOptions(TTermComOptions{coHexDump});
        Session().SetTimestamps(true);
        Receive("AB");
        Receive("\r\n", 40);
        Receive("C", 500); // after a pause: a token of its own
        TStringDecoder decoder;
        decoder.SetOptions(TTermComOptions{coHexDump});
        QCOMPARE(FView.Text, QStringLiteral("12:00:00.000 ") + decoder.DecodeStringSymbol(u"AB\r\n") + QStringLiteral("\r\n")
                     + QStringLiteral("12:00:00.540 ") + decoder.DecodeStringSymbol(u"C"));
    }

    void rebuildShowsDataArrivingMeanwhileOnce()
    {
        Session().SetEcho(true);
        Session().SetRebuildOnEventLoop(false);
        Session().SetRebuildSlice(1000, -1);
        QByteArray big(10000, 'a');
        for (int i = 0; i < big.size(); i += 97)
            big[i] = char(i % 256);
        Receive(big);
        Session().SendStringToCom(QStringLiteral("hi"), QString(), false);
        Receive("Z", 200);
        Session().SetDisplayOptions(TTermComOptions{coHexDump});
        Session().StartRebuild();
        QVERIFY(Session().IsRebuilding());
        // Into the same token while the rebuild runs, then a new one after a pause.
        Receive("tail", 10);
        QVERIFY(Session().ContinueRebuild());
        Receive("next", 500);
        while (Session().ContinueRebuild()) {
        }
        Receive("end", 500);

        TStringDecoder decoder;
        decoder.SetOptions(Session().DisplayOptions());
        QString expected;
        for (int i = 0; i < Session().TokenList()->Count(); ++i) {
            const TBaseToken* token = Session().TokenList()->GetToken(i);
            expected += token->ContentType() == ctSend
                ? QStringLiteral("<b>\r\nGesendet: %1\r\n</b>").arg(token->Content())
                : decoder.DecodeStringSymbol(token->Content());
        }
        QCOMPARE(FView.Text, expected);
        QCOMPARE(FView.Clears, 1);
    }

    void aSendAskedForDuringAScriptWaitsForItsEnd()
    {
        // The user presses Enter while the send script sleeps (and pumps events).
        bool pressed = false;
        QByteArray writtenMeanwhile;
        RunScriptsWith([this, &pressed, &writtenMeanwhile](const QString& aText) {
            if (!pressed) {
                pressed = true;
                Session().SendStringToCom(QStringLiteral("B"), QStringLiteral("Direkt"), true);
                writtenMeanwhile = FState->Written;
            }
            return aText;
        });
        Session().SendStringToCom(QStringLiteral("A"), QStringLiteral("Direkt"), true);
        QCOMPARE(writtenMeanwhile, QByteArray());
        QCOMPARE(FState->Written, QByteArray("AB"));
        QCOMPARE(FRuns, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
        QCOMPARE(FMaxDepth, 1);
    }

    void aTriggerMatchingDuringAScriptRunsAfterItWhileThePollShowsData()
    {
        UseReceiveScript(TTerminalSession::kTriggerChars);
        QString shownMeanwhile;
        RunScriptsWith([this, &shownMeanwhile](const QString& aText) {
            if (FRuns.size() == 1) {
                // The script sleeps; the poll keeps reading, and the grown token matches again.
                Receive("B\r\n", 10);
                shownMeanwhile = FView.Text;
            }
            return aText;
        });
        Receive("A\r\n");
        QCOMPARE(shownMeanwhile, QStringLiteral("A/cr//lf/B/cr//lf/"));
        QCOMPARE(FRuns, (QStringList{QStringLiteral("A\r\n"), QStringLiteral("A\r\nB\r\n")}));
        QCOMPARE(FMaxDepth, 1);
    }

    void aTriggerMatchingDuringASendScriptRunsOnItsTokenAfterTheSend()
    {
        UseReceiveScript(TTerminalSession::kTriggerChars);
        RunScriptsWith([this](const QString& aText) {
            if (FRuns.size() == 1)
                Receive("OK\r\n", 10); // the answer comes while the send script sleeps
            return aText;
        });
        Session().SendStringToCom(QStringLiteral("cmd"), QString(), true);
        QCOMPARE(FRuns, (QStringList{QStringLiteral("cmd"), QStringLiteral("OK\r\n")}));
        QCOMPARE(FState->Written, QByteArray("cmd"));
    }

    void silencePeriodsDuringAScriptStartItOnceAfterwards()
    {
        UseReceiveScript(TTerminalSession::kTriggerTime);
        RunScriptsWith([this](const QString& aText) {
            if (FRuns.size() == 1) {
                Receive("more", 10);
                Session().SilenceExpired();
                Receive("again", 10);
                Session().SilenceExpired();
            }
            return aText;
        });
        Receive("data");
        Session().SilenceExpired();
        QCOMPARE(FRuns, (QStringList{QStringLiteral("data"), QStringLiteral("datamoreagain")}));
        QCOMPARE(FMaxDepth, 1);
    }

    void timeSpentOnAMessageDoesNotCountTowardTheScriptLimit()
    {
        SetAttrInt(VarnexSettings()->ScriptElement(), QStringLiteral("MaxRunTimeMs"), 1000);
        Session().SetUseScript(true);
        Session().LoadScriptSettings();
        VarnexSettings()->SetSendScriptFileName(
            ScriptFile(QStringLiteral("pruefsumme.pas"),
                       "var i, n: Integer;\r\nbegin\r\n  ShowMessage('Pruefsumme folgt');\r\n"
                       "  for i := 1 to 20000 do n := n + i;\r\n  Text := Text + '#';\r\nend.\r\n"));
        // The user reads the message for longer than the script may run.
        FPrompts->OnMessage = [](const QString&) { QThread::msleep(1200); };
        Session().SendStringToCom(QStringLiteral("A"), QString(), true);
        QCOMPARE(FPrompts->Messages, QStringList{QStringLiteral("Pruefsumme folgt")});
        QCOMPARE(FState->Written, QByteArray("A#"));
    }

    void throughAPtyDataShowsAndAVanishingDeviceKeepsItsLastBytes()
    {
        TPtyPair pair;
        int port = -1;
        QString why;
        QVERIFY2(SessionOnPty(pair, port, why), qPrintable(why));
        QVERIFY(FSession->Com()->Open());
        QSignalSpy errors(FSession.get(), &TTerminalSession::CommunicationError);

        const int peer = pair.OpenPeer();
        QVERIFY(peer >= 0);
        QCOMPARE(::write(peer, "Messwert 42\r\n", 13), 13);
        QTRY_COMPARE((FSession->Poll(-1), FView.Text), QStringLiteral("Messwert 42/cr//lf/"));

        // Gone, as with a USB unplug: what arrived before is still shown, then the port
        // closes and says so once.
        QCOMPARE(::write(peer, "Ende", 4), 4);
        QTRY_COMPARE(FSession->Com()->InCount(), qint64(4));
        ::close(peer);
        pair.Stop();
        QTRY_VERIFY(FSession->Com()->DeviceFailed());
        FSession->Poll(25);
        QVERIFY(!FSession->Com()->Opened());
        FSession->Poll(25);
        QCOMPARE(FView.Text, QStringLiteral("Messwert 42/cr//lf/Ende"));
        QCOMPARE(errors.count(), 1);
        TPortRegistry::Instance().Unbind(port);
    }

    void aPtyKilledAndStartedAgainOnTheSamePathIsReopened()
    {
        TPtyPair pair;
        int port = -1;
        QString why;
        QVERIFY2(SessionOnPty(pair, port, why), qPrintable(why));
        FSession->SetAutoReconnect(true);
        FSession->SetReconnectInterval(0);
        FSession->Com()->SetBaud(38400);
        QVERIFY(FSession->Com()->Open());
        FSession->Poll(25);
        QSignalSpy errors(FSession.get(), &TTerminalSession::CommunicationError);
        QSignalSpy restored(FSession.get(), &TTerminalSession::PortRestored);

        pair.Stop();
        QTRY_VERIFY(FSession->Com()->DeviceFailed());
        FSession->Poll(25);
        QVERIFY(FSession->IsWaitingForDevice());

        QVERIFY2(pair.Start(&why), qPrintable(why));
        QTRY_VERIFY((FSession->Poll(25), FSession->Com()->Opened()));
        QCOMPARE(restored.count(), 1);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(FSession->Com()->Baud(), 38400);
        const int peer = pair.OpenPeer();
        QVERIFY(peer >= 0);
        QCOMPARE(::write(peer, "wieder da", 9), 9);
        QTRY_VERIFY((FSession->Poll(-1), FView.Text.endsWith(QStringLiteral("wieder da"))));
        ::close(peer);
        TPortRegistry::Instance().Unbind(port);
    }
};

QTEST_MAIN(TstTerminalSession)
#include "tst_TerminalSession.moc"
