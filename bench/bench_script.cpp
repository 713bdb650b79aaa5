// Script engine figures: compiling a 1 MB program (time, peak memory) and a case with 100,000
// labels, the help window's example on a 1 KB text (compile and run), a CRC16 loop over 1 MB
// and a TStringList split of a 100 KB reply next to the same programs compiled by Free Pascal
// -O2, and what StartScript costs per send in the main window.
#include "base/Prompts.h"
#include "pascal/PascalEngine.h"
#include "scripting/HelpWindow.h"
#include "scripting/VarnexScript.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace {

class TSilentPrompts final : public IPrompts
{
public:
    void ShowMessage(const QString&) override {}
    void ShowError(const QString&) override {}
    TButton Ask(TKind, const QString&, const QList<TButton>& aButtons, const QString&,
                std::optional<TButton>) override
    {
        return aButtons.isEmpty() ? TButton::Ok : aButtons.first();
    }
};

const char* const kCrcProgram = R"(var T: array[0..255] of Word; i, j: Integer; crc: Word; s: string; c: Word;
begin
  for i := 0 to 255 do begin c := i shl 8; for j := 1 to 8 do if (c and $8000) <> 0 then c := (c shl 1) xor $1021 else c := c shl 1; T[i] := c; end;
  SetLength(s, 1000000); for i := 1 to Length(s) do s[i] := Chr(i mod 256);
  crc := 0; for i := 1 to Length(s) do crc := ((crc shl 8) or Ord(s[i])) xor T[crc shr 8];
  writeln(IntToStr(crc));
end.
)";

// A 1 MB program of ordinary routines: loops, conditions, a case, calls and strings.
QString GeneratedSource(qsizetype aBytes)
{
    QString source = QStringLiteral("var total: Integer;\n");
    int n = 0;
    while (source.size() < aBytes) {
        source += QStringLiteral("function F%1(a, b: Integer; const s: string): Integer;\n"
                                 "var i, t: Integer;\n"
                                 "begin\n"
                                 "  t := a * %1 + b;\n"
                                 "  for i := 1 to Length(s) do\n"
                                 "    if s[i] = 'x' then t := t + i else t := t - 1;\n"
                                 "  case t mod 3 of 0: t := t + 1; 1: t := t * 2; else t := 0; end;\n"
                                 "  Result := t + Length(IntToStr(t) + s);\n"
                                 "end;\n\n")
                      .arg(n++);
    }
    return source
        + QStringLiteral("begin\n  total := F0(1, 2, 'abc') + F%1(3, 4, 'xyz');\nend.\n").arg(n - 1);
}

// Kilobytes of a /proc/self/status line (VmRSS, VmHWM); 0 where there is none.
qint64 StatusKb(const char* aKey)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(aKey))
            return line.mid(qstrlen(aKey)).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

double BestOf(int aRounds, const std::function<void()>& aWork)
{
    double best = 1e18;
    for (int i = 0; i < aRounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        aWork();
        best = qMin(best, clock.nsecsElapsed() / 1e6);
    }
    return best;
}

// Runs aProgram with our engine and, when fpc is there, compiled by fpc -O2 (the whole
// process timed); prints NAME, NAME_fpc and NAME_ratio and warns when the outputs differ.
void AgainstFpc(const char* aName, const char* aProgram, const char* aUses, const QTemporaryDir& aDir)
{
    QString engineOutput;
    const double engineMs = BestOf(3, [&] {
        pascal::TEngine engine;
        engine.RegisterFunction(QStringLiteral("procedure writeln(const aText: string);"),
                                [&engineOutput](const QList<pascal::THostValue>& a) {
                                    engineOutput = QString::fromLatin1(a.value(0).String);
                                    return pascal::THostValue();
                                });
        if (!engine.Compile(QString::fromLatin1(aProgram)) || !engine.Run())
            std::fprintf(stderr, "%s: %s\n", aName,
                         qPrintable(engine.Messages().join(' ') + engine.RunError()));
    });
    std::printf("%s: %.1f ms\n", aName, engineMs);
    const QString fpc = QStandardPaths::findExecutable(QStringLiteral("fpc"));
    if (fpc.isEmpty())
        return;
    const QString base = aDir.filePath(QString::fromLatin1(aName));
    QFile source(base + QStringLiteral(".pas"));
    source.open(QIODevice::WriteOnly);
    source.write(QByteArray("{$mode delphi}{$H+}\nuses ") + aUses + ";\n" + aProgram);
    source.close();
    QProcess compiler;
    compiler.start(
        fpc,
        {QStringLiteral("-Mdelphi"), QStringLiteral("-O2"), QStringLiteral("-o") + base, source.fileName()});
    compiler.waitForFinished(120000);
    QString fpcOutput;
    const double fpcMs = BestOf(3, [&] {
        QProcess program;
        program.start(base, {});
        program.waitForFinished(60000);
        fpcOutput = QString::fromLatin1(program.readAllStandardOutput()).trimmed();
    });
    std::printf("%s_fpc: %.1f ms (whole process)\n", aName, fpcMs);
    std::printf("%s_ratio: %.1f x\n", aName, engineMs / qMax(0.001, fpcMs));
    if (fpcOutput != engineOutput)
        std::fprintf(stderr, "%s: different results: engine %s, fpc %s\n", aName, qPrintable(engineOutput),
                     qPrintable(fpcOutput));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TSilentPrompts prompts;
    SetPrompts(&prompts);
    QTemporaryDir dir;

    // 0. Compiling: a 1 MB program (first, while the peak memory is still the start's), and a
    //    case with 100,000 labels.
    {
        const QString source = GeneratedSource(1 << 20);
        const qint64 before = StatusKb("VmRSS:");
        QElapsedTimer clock;
        clock.start();
        bool compiled = false;
        {
            pascal::TEngine engine;
            compiled = engine.Compile(source);
            if (!compiled)
                std::fprintf(stderr, "1 MB source: %s\n", qPrintable(engine.Messages().join(' ')));
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        const qint64 peak = StatusKb("VmHWM:") - before;
        std::printf("script_compile_1mb: %.0f ms\n", ms);
        if (peak > 0)
            std::printf("script_compile_1mb_peak: %.0f bytes per source byte\n",
                        double(peak) * 1024 / double(source.size()));
        QString cases = QStringLiteral("var i, r: Integer;\nbegin\n  i := 99999;\n  case i of\n");
        for (int label = 0; label < 100000; ++label)
            cases += QStringLiteral("    %1: r := %2;\n").arg(label).arg(label % 7);
        cases += QStringLiteral("  end;\nend.\n");
        const double caseMs = BestOf(3, [&] {
            pascal::TEngine engine;
            if (!engine.Compile(cases) || !engine.Run())
                std::fprintf(stderr, "case: %s\n",
                             qPrintable(engine.Messages().join(' ') + engine.RunError()));
        });
        std::printf("script_case_100000_labels: %.0f ms\n", caseMs);
        Q_UNUSED(compiled);
    }

    // 1. The example script on 1 KB.
    const QString example = TfrmHelpWindow::ExampleScript();
    QString text;
    for (int i = 0; i < 1024; ++i)
        text += QChar(char16_t(32 + i % 90));
    const int runs = 200;
    const double exampleMs = BestOf(3,
                                    [&] {
                                        for (int i = 0; i < runs; ++i) {
                                            TVarnexScript script;
                                            script.OnShowMessage = [](const QString&) {};
                                            script.SetText(text);
                                            script.ExecuteScript(example, nullptr);
                                        }
                                    })
        / runs;
    std::printf("script_example_1kb: %.3f ms\n", exampleMs);

    // 2. CRC16 over 1 MB: our engine against fpc -O2.
    AgainstFpc("script_crc16_1mb", kCrcProgram, "SysUtils", dir);

    // 3. A 100 KB CSV reply split by a TStringList, and its fields walked: our engine against
    //    fpc -O2 (the program builds the reply itself, the same way in both).
    const char* const kSplitProgram = R"(var sl: TStringList; reply: string; i, total: Integer;
begin
  reply := '';
  for i := 1 to 16000 do reply := reply + 'V' + IntToStr(i) + ',';
  sl := TStringList.Create;
  sl.Delimiter := ',';
  sl.StrictDelimiter := True;
  sl.DelimitedText := reply;
  total := 0;
  for i := 0 to sl.Count - 1 do total := total + Length(sl[i]);
  writeln(IntToStr(Length(reply)) + ' ' + IntToStr(sl.Count) + ' ' + IntToStr(total));
  sl.Free;
end.
)";
    AgainstFpc("script_stringlist_split_100kb", kSplitProgram, "SysUtils, Classes", dir);

    // 4. StartScript per send, with the example as the send script (port off).
    qputenv("VARNEX_SETTINGS", dir.filePath(QStringLiteral("settings.xml")).toLocal8Bit());
    QFile scriptFile(dir.filePath(QStringLiteral("send.pas")));
    scriptFile.open(QIODevice::WriteOnly);
    scriptFile.write(example.toLatin1());
    scriptFile.close();
    VarnexSettings()->SetUseScript(true);
    VarnexSettings()->SetSendScriptFileName(scriptFile.fileName());
    {
        TfrmMainWindow window(250);
        window.show();
        const double sendMs =
            BestOf(3,
                   [&] {
                       for (int i = 0; i < runs; ++i)
                           window.SendStringToCom(QStringLiteral("Messwert anfordern/cr//lf/"),
                                                  QStringLiteral("Direkt"), true);
                   })
            / runs;
        std::printf("script_startscript_per_send: %.3f ms\n", sendMs);
    }
    TBaseXMLSettings::AccessInstance(2);
    return 0;
}
