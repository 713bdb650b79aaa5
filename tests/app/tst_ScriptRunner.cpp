// varnex-script from the outside: what it prints and its exit status.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TstScriptRunner : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;

    struct TResult
    {
        int ExitCode;
        QStringList Lines;
    };

    TResult Run(const QByteArray& aSource, const QStringList& aArguments)
    {
        const QString script = FDir.filePath(QStringLiteral("s.pas"));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write");
        file.write(aSource);
        file.close();
        QProcess process;
        process.start(QStringLiteral(VARNEX_SCRIPT_BINARY), aArguments + QStringList{script});
        if (!process.waitForFinished(20000))
            qFatal("varnex-script hangs");
        return {
            process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)};
    }

private slots:
    void runsAScriptAndPrintsWhatItDid()
    {
        const TResult result =
            Run("var crc: Word;\nbegin\n  crc := CRC16(0, Text);\n  writeln(IntToHex(crc, 4));\n"
                "  Send('/' + Text);\n  ShowMessage('fertig');\n  Text := Text + Chr(13);\nend.\n",
                {QStringLiteral("--text"), QStringLiteral("ab/99/")});
        QCOMPARE(result.ExitCode, 0);
        QVERIFY(result.Lines.first().endsWith(QStringLiteral(": Kompilierung erfolgreich")));
        // "ab/99/" is slash notation for abc.
        QCOMPARE(result.Lines.mid(1),
                 (QStringList{QStringLiteral("1EE4"), QStringLiteral("Send: //abc"),
                              QStringLiteral("ShowMessage: fertig"), QStringLiteral("Text: abc/cr/")}));
    }

    void exitStatusTellsCompileAndRunErrors()
    {
        const TResult compile = Run("begin\n  Text := ;\nend.\n", {});
        QCOMPARE(compile.ExitCode, 1);
        QVERIFY(compile.Lines.first().startsWith(QStringLiteral("[Error] (2:")));
        QCOMPARE(compile.Lines.last(), QStringLiteral("Text: "));

        const TResult run = Run("var i: Integer;\nbegin\n  i := 0;\n  Text := 'x';\n  i := 1 div i;\nend.\n",
                                {QStringLiteral("--text"), QStringLiteral("in")});
        QCOMPARE(run.ExitCode, 2);
        QVERIFY2(
            run.Lines.value(1).startsWith(QStringLiteral("Fehler beim Ausführen: Division durch Null (5:")),
            qPrintable(run.Lines.join(QLatin1Char('|'))));
        QCOMPARE(run.Lines.last(), QStringLiteral("Text: in"));

        const TResult runaway =
            Run("begin while true do ; end.\n", {QStringLiteral("--max-time"), QStringLiteral("100")});
        QCOMPARE(runaway.ExitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TstScriptRunner)
#include "tst_ScriptRunner.moc"
