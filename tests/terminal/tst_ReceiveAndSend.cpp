// The main window's traffic log and what hangs off it: tokens fed by the poll and the send
// path, the receive triggers, rebuilding the view, the echo, the histories and saving.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "base/VarnexError.h"
#include "controls/MvEdit.h"
#include "notation/StringDecoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"
#include "terminal/TerminalSession.h"
#include "terminal/Token.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TstReceiveAndSend : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TFakeDeviceState> FState;
    QDateTime FNow;

    template <class T>
    T* Find(TfrmMainWindow& aWindow, const char* aName)
    {
        return FindChildOrDie<T>(aWindow, aName);
    }

    // An open window on a fake port with a clock the test moves.
    std::unique_ptr<TfrmMainWindow> OpenWindow()
    {
        FState = InstallFakePorts();
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        WithoutPostfix(*window);
        FNow = QDateTime(QDate(2026, 12, 8), QTime(12, 0));
        window->TokenList()->SetClock([this] { return FNow; });
        window->findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        return window;
    }

    void Receive(TfrmMainWindow& aWindow, const QByteArray& aBytes, int aAfterMs = 0)
    {
        FNow = FNow.addMSecs(aAfterMs);
        FState->Incoming += aBytes;
        // A tick reads for a limited time only; the rest waits for the next.
        do
            aWindow.timerPollEventTimer();
        while (!FState->Incoming.isEmpty() && aWindow.Com()->Opened());
    }

    void FinishRebuild(TfrmMainWindow& aWindow) { aWindow.Session()->FinishRebuild(); }

    static QString Decoded(const QString& aRaw, TTermComOptions aOptions)
    {
        TStringDecoder decoder;
        decoder.SetOptions(aOptions);
        return decoder.DecodeStringSymbol(aRaw);
    }

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void readsAndSendsMakeTokensByDirectionAndPause()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        TTokenList* tokens = window->TokenList();
        QCOMPARE(tokens->ContentExpiredMs(), 101); // the stored wait time 100, plus one

        Receive(*window, "AB");
        Receive(*window, "CD", 50);
        QCOMPARE(tokens->Count(), 1);
        QCOMPARE(tokens->CurrentToken()->Content(), QStringLiteral("ABCD"));
        Receive(*window, "EF", 150);
        QCOMPARE(tokens->Count(), 2);

        window->SendStringToCom(QStringLiteral("x"), QStringLiteral("Direkt"), true);
        Receive(*window, "GH", 10);
        QCOMPARE(tokens->Count(), 4);
        QCOMPARE(tokens->GetToken(2)->ContentType(), ctSend);
        QCOMPARE(tokens->GetToken(3)->Content(), QStringLiteral("GH"));
        QCOMPARE(tokens->GetAllContent(), QStringLiteral("ABCD\r\nEF\r\nx\r\nGH"));
    }

    void waitTimeFieldSetsExpiryAndSilenceTimer()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        auto* edit = Find<TMvEdit>(*window, "edTimeTriggerTime");
        Find<QCheckBox>(*window, "cbUseScript")->click();
        window->ActionListUpdate();
        Find<QCheckBox>(*window, "cbUseReceiveScript")->click();
        window->ActionListUpdate();
        QVERIFY(edit->isEnabled());
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("1234"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->AsInteger(), 1200);
        QCOMPARE(VarnexSettings()->ReceiveTriggerWaitTime(), 1200);
        QCOMPARE(window->TokenList()->ContentExpiredMs(), 1201);
        QCOMPARE(Find<QTimer>(*window, "timerReceiveTrigger")->interval(), 1200);
    }

    void timeTriggerRestartsOnDataAndStopsWhenSwitched()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetUseReceiveScript(true);
        auto window = OpenWindow();
        auto* timer = Find<QTimer>(*window, "timerReceiveTrigger");
        Receive(*window, "data");
        QVERIFY(timer->isActive());
        QTRY_VERIFY(!timer->isActive()); // fires once, one wait time after the data
        Receive(*window, "more");
        QVERIFY(timer->isActive());
        Find<QRadioButton>(*window, "rbTriggerChars")->click();
        QVERIFY(!timer->isActive());
        QCOMPARE(VarnexSettings()->ReceiveTriggerType(), 1);
        Receive(*window, "again");
        QVERIFY(!timer->isActive());

        // Back to "Zeit" with a wait time of 0: the timer stays off, the expiry is 1 ms.
        Find<QRadioButton>(*window, "rbTriggerTime")->click();
        Find<TMvEdit>(*window, "edTimeTriggerTime")->setText(QStringLiteral("0"));
        QCOMPARE(window->TokenList()->ContentExpiredMs(), 1);
        Receive(*window, "x");
        QVERIFY(!timer->isActive());
    }

    void characterTriggerWithoutAChangeShowsEachByteOnce()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetUseReceiveScript(true);
        VarnexSettings()->SetReceiveTriggerType(1);
        auto window = OpenWindow();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        Find<QToolButton>(*window, "bExecuteCrlf")->setChecked(false);
        // A dialer's "ATZ" CR LF in two reads; no script file, so the text stays as it came.
        Receive(*window, "AT");
        Receive(*window, "Z\r\n", 20);
        QCOMPARE(view->Text(), QStringLiteral("ATZ/cr//lf/"));
        Receive(*window, "OK", 30);
        QCOMPARE(view->Text(), QStringLiteral("ATZ/cr//lf/OK"));
    }

    void receiveScriptRunsOnTheRightTokenInBothModes()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetUseReceiveScript(true);
        VarnexSettings()->SetReceiveScriptFileName(QStringLiteral("empfang.pas"));
        auto window = OpenWindow();
        QStringList runs;
        window->Session()->SetScriptRunner([&runs](const QString& aText, const QString& aScript, bool* aRan) {
            runs << aScript + QLatin1Char(':') + aText;
            if (aRan)
                *aRan = true;
            return QStringLiteral("<") + aText + QStringLiteral(">");
        });
        // "Zeit": once, after the silence, on the newest receive token even after a send.
        Receive(*window, "first");
        Receive(*window, "second", 500);
        window->SendStringToCom(QStringLiteral("cmd"), QString(), false);
        auto* timer = Find<QTimer>(*window, "timerReceiveTrigger");
        QVERIFY(timer->isActive());
        QTRY_COMPARE(runs, QStringList{QStringLiteral("empfang.pas:second")});
        QTest::qWait(300);
        QCOMPARE(runs.size(), 1);

        // "Trigger": the script's text replaces the read in the view.
        runs.clear();
        Find<QRadioButton>(*window, "rbTriggerChars")->click();
        Find<QToolButton>(*window, "bExecuteCrlf")->setChecked(false);
        Receive(*window, "OK\r\n", 500);
        QCOMPARE(runs, QStringList{QStringLiteral("empfang.pas:OK\r\n")});
        // The script's text goes through the display decoding like any received data.
        QVERIFY(Find<TReceiveView>(*window, "memReceive")->Text().endsWith(QStringLiteral("<OK/cr//lf/>")));

        // The master switch off: no receive script runs, even with its own switch on.
        Find<QCheckBox>(*window, "cbUseScript")->click();
        QVERIFY(Find<QCheckBox>(*window, "cbUseReceiveScript")->isChecked());
        Receive(*window, "\r\n", 500);
        QCOMPARE(runs.size(), 1);
        QVERIFY(!VarnexSettings()->UseScript());
    }

    void sendScriptResultIsWrittenWithoutASecondDecoding()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        window->Session()->SetScriptRunner([](const QString& aText, const QString&, bool* aRan) {
            if (aRan)
                *aRan = true;
            return aText + QStringLiteral("/13/");
        });
        window->SendStringToCom(QStringLiteral("a"), QString(), true);
        QCOMPARE(FState->Written, QByteArray("a/13/"));
        // Without the send script the text is decoded as always.
        window->SendStringToCom(QStringLiteral("b/13/"), QString(), false);
        QCOMPARE(FState->Written, QByteArray("a/13/b\r"));
    }

    void rebuildShowsTheSameDataInEveryDisplayAndKeepsEcho()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        auto* dump = Find<QCheckBox>(*window, "cbDump");
        Receive(*window, "A\r\n/\x1b");
        window->SendStringToCom(QStringLiteral("hi"), QStringLiteral("Direkt"), true);
        Receive(*window, "Z", 200);
        const QString text = view->Text();
        QCOMPARE(text, QStringLiteral("A\r\n///esc/Z"));

        dump->click();
        FinishRebuild(*window);
        QCOMPARE(view->Text(), QStringLiteral("41 0D 0A 2F 1B 5A "));
        Find<QRadioButton>(*window, "rbDumpDez")->click();
        FinishRebuild(*window);
        QCOMPARE(view->Text(), QStringLiteral("65 13 10 47 27 90 "));
        dump->click();
        FinishRebuild(*window);
        QCOMPARE(view->Text(), text);

        // Echo shows earlier sent texts at the next rebuild.
        Find<QToolButton>(*window, "bEcho")->setChecked(true);
        window->UpdateReceiveMemo();
        FinishRebuild(*window);
        QCOMPARE(view->Text(), QStringLiteral("A\r\n///esc/\r\nGesendet: hi\r\nZ"));

        // Deleting empties view and tokens: a rebuild brings nothing back.
        window->findChild<QAction*>(QStringLiteral("acDeleteReceive"))->trigger();
        QCOMPARE(window->TokenList()->Count(), 0);
        dump->click();
        FinishRebuild(*window);
        QCOMPARE(view->Text(), QString());
        Receive(*window, "n");
        QCOMPARE(window->TokenList()->Count(), 1);
    }

    void dataArrivingDuringARebuildAppearsOnceAfterIt()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        QByteArray big(8 << 20, 'a');
        for (int i = 0; i < big.size(); i += 97)
            big[i] = char(i % 256);
        Receive(*window, big);
        // The test runs the rebuild's slices itself, so data can come between them.
        window->Session()->SetRebuildOnEventLoop(false);
        Find<QCheckBox>(*window, "cbDump")->click();
        QVERIFY(window->IsRebuilding());
        // More data joins the same token while the rebuild runs, and a new one after a pause.
        Receive(*window, "tail", 10);
        window->Session()->ContinueRebuild();
        Receive(*window, "next", 500);
        while (window->Session()->ContinueRebuild()) {
        }
        QVERIFY(!window->IsRebuilding());
        Receive(*window, "end", 500);
        const TTermComOptions options = window->GetDisplayOptions();
        QString expected;
        for (int i = 0; i < window->TokenList()->Count(); ++i)
            expected += Decoded(window->TokenList()->GetToken(i)->Content(), options);
        QCOMPARE(view->CharacterCount(), qint64(expected.size()));
        QCOMPARE(view->Text(), expected);
    }

    void echoAndHistoriesOfTheSendPath()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        auto* view = Find<TReceiveView>(*window, "memReceive");
        auto* prefix = Find<QComboBox>(*window, "cbPrefix");
        auto* postfix = Find<QComboBox>(*window, "cbPostfix");
        Find<QToolButton>(*window, "bEcho")->setChecked(true);
        postfix->setEditText(QString());

        window->SendStringToCom(QStringLiteral("X"), QStringLiteral("Direkt"), true);
        QCOMPARE(view->Text(), QStringLiteral("Gesendet: X\r\n"));
        Receive(*window, "ab");
        window->SendStringToCom(QStringLiteral("Y"), QStringLiteral("Direkt"), true);
        QCOMPARE(view->Text(), QStringLiteral("Gesendet: X\r\nab\r\nGesendet: Y\r\n"));

        prefix->setEditText(QStringLiteral("AT"));
        window->SendStringToCom(QString(), QString(), true);
        prefix->setEditText(QStringLiteral("AT"));
        window->SendStringToCom(QString(), QString(), true);
        QCOMPARE(prefix->findText(QStringLiteral("AT")), 0);
        // Typed in another case, the stored entry keeps its spelling and the field the typed one.
        prefix->setEditText(QStringLiteral("at"));
        window->SendStringToCom(QString(), QString(), true);
        QCOMPARE(prefix->itemText(0), QStringLiteral("AT"));
        QCOMPARE(prefix->currentText(), QStringLiteral("at"));
        QCOMPARE(prefix->count(), 2); // "AT" and the empty prefix
    }

    void enterWithThePortClosedRecordsEchoesAndAddsToTheTree()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        window->findChild<QAction*>(QStringLiteral("acComOn"))->trigger(); // off
        Find<QToolButton>(*window, "bEcho")->setChecked(true);
        auto* edSend = Find<QLineEdit>(*window, "edSend");
        edSend->setText(QStringLiteral("I"));
        Find<QComboBox>(*window, "cbPrefix")->setEditText(QStringLiteral("AT"));
        Find<QComboBox>(*window, "cbPostfix")->setEditText(QStringLiteral("/cr//lf/"));
        window->findChild<QAction*>(QStringLiteral("acSend"))->trigger();
        window->findChild<QAction*>(QStringLiteral("acSend"))->trigger();
        QVERIFY(FState->Written.isEmpty());
        QCOMPARE(window->TokenList()->CurrentToken()->Content(), QStringLiteral("ATI/cr//lf/ATI/cr//lf/"));
        QVERIFY(Find<TReceiveView>(*window, "memReceive")
                    ->Text()
                    .startsWith(QStringLiteral("Gesendet: ATI/cr//lf/\r\n")));
        const pugi::xml_node root = VarnexSettings()->SendMRURoot();
        int entries = 0;
        for (pugi::xml_node entry : root.children("MRU")) {
            ++entries;
            QCOMPARE(QString::fromUtf8(entry.attribute("Text").value()), QStringLiteral("I"));
        }
        QCOMPARE(entries, 1);
        QCOMPARE(edSend->text(), QStringLiteral("I"));
        // A text sent by a script or a command adds nothing.
        window->SendStringToCom(QStringLiteral("other"), QStringLiteral("From Script"), false);
        QCOMPARE(root.select_nodes("MRU").size(), size_t(1));
    }

    void savingDuringARebuildWritesEverythingReceived()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        window->Session()->SetRebuildOnEventLoop(false);
        window->Session()->SetRebuildSlice(1000, -1);
        Receive(*window, QByteArray(20000, 'x'));
        Find<QCheckBox>(*window, "cbDump")->click();
        QVERIFY(window->IsRebuilding());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("dump.txt"));
        window->SaveReceiveToFile(file);
        QVERIFY(!window->IsRebuilding());
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("78 ").repeated(20000));
    }

    void savesAsRtfOrTextByExtensionAndRemembersTheFile()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = OpenWindow();
        Find<QToolButton>(*window, "bEcho")->setChecked(true);
        Receive(*window, "Messwert 42\r\n");
        window->SendStringToCom(QStringLiteral("go"), QString(), false);
        QTemporaryDir dir;
        const QString rtf = dir.filePath(QStringLiteral("log.RTF"));
        const QString txt = dir.filePath(QStringLiteral("log.txt"));
        const QString bare = dir.filePath(QStringLiteral("log"));
        window->SaveReceiveToFile(rtf);
        window->SaveReceiveToFile(txt);
        window->SaveReceiveToFile(bare);
        QFile rtfFile(rtf);
        QVERIFY(rtfFile.open(QIODevice::ReadOnly));
        QVERIFY(rtfFile.readAll().startsWith("{\\rtf1"));
        for (const QString& plain : {txt, bare}) {
            QFile file(plain);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("Messwert 42\r\nGesendet: go\r\n"));
        }
        // Newest first in the drop-down; choosing an entry saves there again without a dialog.
        auto* menu = window->findChild<QMenu*>(QStringLiteral("pmRecentFilesReceive"));
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("&1 ") + bare);
        QFile::remove(txt);
        menu->actions().at(1)->trigger();
        QVERIFY(QFile::exists(txt));
        QCOMPARE(prompts.DialogsShown, 0);
        // A file that cannot be written says so.
        QVERIFY_THROWS_EXCEPTION(
            EVarnexError, window->SaveReceiveToFile(dir.filePath(QStringLiteral("missing/dir/x.txt"))));
    }
};

QTEST_MAIN(TstReceiveAndSend)
#include "tst_ReceiveAndSend.moc"
