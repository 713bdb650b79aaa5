// The script host around the engine: the host routines, Text in and out, messages, limits.
#include "ScriptedDialogs.h"

#include "scripting/HelpWindow.h"
#include "scripting/VarnexScript.h"

#include <QtTest>

class TstVarnexScript : public QObject
{
    Q_OBJECT

private:
    struct TRun
    {
        TVarnexScript::TOutcome Outcome;
        QStringList Lines;
        QString Text;
    };

    static TRun Run(const QString& aSource, const QString& aText, TVarnexScript* aScript = nullptr,
                    int aMaxMs = 5000)
    {
        TVarnexScript local;
        TVarnexScript& script = aScript ? *aScript : local;
        script.SetText(aText);
        TRun run;
        TVarnexScript::TMessageOutput output;
        output.Clear = [&run] { run.Lines.clear(); };
        output.Add = [&run](const QString& aLines) {
            run.Lines += aLines.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        };
        if (!script.OnWriteLn)
            script.OnWriteLn = [&run](const QString& aMsg) {
                run.Lines << QStringLiteral("writeln: ") + aMsg;
            };
        run.Outcome = script.ExecuteScript(aSource, &output, aMaxMs);
        run.Text = script.Text();
        return run;
    }

private slots:
    void checksumsThroughTheScript()
    {
        const TRun run = Run(
            QStringLiteral("begin\r\n"
                           "  Text := IntToHex(CRC16(0, Text), 4) + IntToHex(CRC32($FFFFFFFF, Text), 8)\r\n"
                           "    + IntToHex(CRC32(0, Text), 8) + IntToHex(CRC16(7, ''), 4);\r\n"
                           "end.\r\n"),
            QStringLiteral("abc"));
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::Succeeded);
        QCOMPARE(run.Text, QStringLiteral("1EE4352441C2359A672F0000"));
        QVERIFY(run.Lines.last().endsWith(QStringLiteral(": Kompilierung erfolgreich")));
    }

    void textKeepsItsBytesBothWays()
    {
        QString all;
        for (int i = 0; i < 256; ++i)
            all += QChar(char16_t(i));
        const TRun run =
            Run(QStringLiteral("begin if Length(Text) = 256 then Text := Text + Chr(255); end."), all);
        QCOMPARE(run.Text, all + QChar(char16_t(255)));
    }

    void failuresLeaveTheTextAsHandedIn()
    {
        const TRun compile = Run(QStringLiteral("begin\r\n  Text := ;\r\nend.\r\n"), QStringLiteral("in"));
        QCOMPARE(compile.Outcome, TVarnexScript::TOutcome::CompileFailed);
        QCOMPARE(compile.Text, QStringLiteral("in"));
        QVERIFY(!compile.Lines.isEmpty());
        QVERIFY(compile.Lines.first().startsWith(QStringLiteral("[Error] (2:")));
        for (const QString& line : compile.Lines)
            QVERIFY(!line.contains(QStringLiteral("Kompilierung erfolgreich")));

        const TRun run = Run(
            QStringLiteral(
                "var i: Integer;\r\nbegin\r\n  Text := 'x';\r\n  i := 0;\r\n  i := 10 div i;\r\nend.\r\n"),
            QStringLiteral("in"));
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::RunFailed);
        QCOMPARE(run.Text, QStringLiteral("in"));
        QVERIFY(run.Lines.last().startsWith(QStringLiteral("Fehler beim Ausführen: ")));
    }

    void aRunawayScriptIsStoppedAndTheProcessLives()
    {
        const TRun run =
            Run(QStringLiteral("begin while true do Text := Text; end."), QStringLiteral("t"), nullptr, 200);
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::RunFailed);
        QCOMPARE(run.Text, QStringLiteral("t"));
    }

    void hostRoutinesReachTheirHandlers()
    {
        TScriptedDialogs prompts;
        TVarnexScript script;
        QStringList calls;
        bool rts = false;
        script.OnSendString = [&calls](const QString& aText, const QString& aName) {
            calls << QStringLiteral("send %1 %2").arg(aName, aText);
        };
        script.OnSetModemLine = [&calls, &rts](TModemLineType aType, bool aSet) {
            calls << QStringLiteral("set %1 %2").arg(int(aType)).arg(aSet);
            if (aType == mltRTS)
                rts = aSet;
        };
        script.OnGetModemLine = [&rts](TModemLineType aType) { return aType == mltCTS ? rts : false; };
        const TRun run = Run(QStringLiteral("begin\r\n"
                                            "  Send('AT'#13);\r\n"
                                            "  SetRTS(true); SetDTR(false);\r\n"
                                            "  if GetCTS then writeln('cts') else writeln('no cts');\r\n"
                                            "  if GetRing then writeln('ring');\r\n"
                                            "  ShowMessage('Hallo');\r\n"
                                            "end.\r\n"),
                             QString(), &script);
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::Succeeded);
        QCOMPARE(calls,
                 (QStringList{QStringLiteral("send From Script AT\r"), QStringLiteral("set 1 1"),
                              QStringLiteral("set 2 0")}));
        QVERIFY(run.Lines.contains(QStringLiteral("writeln: cts")));
        QVERIFY(!run.Lines.contains(QStringLiteral("writeln: ring")));
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Hallo")});

        // Without handlers: nothing happens and the inputs read false.
        TVarnexScript bare;
        bare.OnShowMessage = [](const QString&) {};
        const TRun alone = Run(QStringLiteral("begin Send('x'); SetRTS(true); if GetRing or GetRTS then Text "
                                              ":= 'on' else Text := 'off'; end."),
                               QString(), &bare);
        QCOMPARE(alone.Text, QStringLiteral("off"));
    }

    void scriptFilesAsEditorsSaveThem_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray utf8 = "begin\nText := '\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80';\nend.\n";
        QTest::newRow("UTF-8 without a mark, LF") << utf8;
        QTest::newRow("UTF-8 with a mark, CR LF") << "\xEF\xBB\xBF" + QByteArray(utf8).replace("\n", "\r\n");
        QTest::newRow("UTF-8, CR") << QByteArray(utf8).replace("\n", "\r");
        // Not valid UTF-8: one byte per character.
        QTest::newRow("Latin-1") << QByteArray("begin\r\nText := '\xE4\x80\xF0';\r\nend.\r\n");
        QByteArray utf16("\xFF\xFE");
        for (QChar c : QStringLiteral("begin Text := '\u00E4\u20AC\U0001F600' end."))
            utf16.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
        QTest::newRow("UTF-16 with a mark") << utf16;
    }

    void scriptFilesAsEditorsSaveThem()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("s.pas"));
        QFile out(name);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        const TRun run = Run(TVarnexScript::ReadScriptFile(name), QString());
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::Succeeded);
        // A letter goes out as the byte the send line gives it; what no byte holds as '?'.
        const QString expected = QTest::currentDataTag() == QByteArray("Latin-1")
                                     ? QStringLiteral("\u00E4\u0080\u00F0")
                                     : QStringLiteral("\u00E4??");
        QCOMPARE(run.Text, expected);
    }

    void theHelpWindowsExampleRuns()
    {
        TScriptedDialogs prompts;
        const TRun run = Run(TfrmHelpWindow::ExampleScript(), QStringLiteral("abc"));
        QCOMPARE(run.Outcome, TVarnexScript::TOutcome::Succeeded);
        QCOMPARE(run.Text, QStringLiteral("abc") + QChar(char16_t(0x1E)) + QChar(char16_t(0xE4)));
        QCOMPARE(prompts.Messages.size(), 1);
    }
};

QTEST_MAIN(TstVarnexScript)
#include "tst_VarnexScript.moc"
