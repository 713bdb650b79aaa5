// Runs every Pascal program in tests/pascal/corpus/ with our engine and compares its output
// line by line with the output of the same program compiled by Free Pascal in Delphi mode.
// Programs named errors_*.pas are checked against our engine only: their leading comment
// lines say which compile-time or run-time error they must produce:
//   // expect-compile-error: LINE[:COL] [TEXT]   first [Error] message at that position
//   // expect-run-error: [LINE[:COL]] [TEXT]     Run() fails, RunError() names the position
//   // expect-line: TEXT                         (any number) the output before the error
// TEXT must appear in the message, ignoring case.

#include "pascal/PascalEngine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int FpcTimeoutMs = 60000;
constexpr int ProgramTimeoutMs = 30000;
constexpr int ParallelCompilations = 2;

const char* const FpcMissing =
    "Free Pascal (fpc, Debian package fp-compiler) is not installed; ./test installs it "
    "(scripts/setup.sh), or run: apt-get install fp-compiler";

// Output as lines: CR LF counts as LF, the newline after the last line ends it.
QList<QByteArray> SplitLines(QByteArray aText)
{
    aText.replace("\r\n", "\n");
    QList<QByteArray> lines = aText.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString Quote(const QByteArray& aLine)
{
    QString text;
    for (char c : aLine) {
        const uchar u = uchar(c);
        if (u < 32 || u >= 127)
            text += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString Listing(const QList<QByteArray>& aLines)
{
    QString text;
    for (qsizetype i = 0; i < aLines.size() && i < 200; ++i)
        text += QStringLiteral("  %1: %2\n").arg(i + 1, 3).arg(Quote(aLines[i]));
    if (aLines.size() > 200)
        text += QStringLiteral("  ... (%1 lines)\n").arg(aLines.size());
    return text;
}

// Empty when both are equal, else the first place where they differ.
QString Difference(const QList<QByteArray>& aEngine, const QList<QByteArray>& aReference)
{
    const qsizetype common = qMin(aEngine.size(), aReference.size());
    for (qsizetype i = 0; i < common; ++i)
        if (aEngine[i] != aReference[i])
            return QStringLiteral("line %1 differs: engine %2, fpc %3")
                .arg(i + 1)
                .arg(Quote(aEngine[i]), Quote(aReference[i]));
    if (aEngine.size() != aReference.size())
        return QStringLiteral("engine printed %1 lines, fpc %2 (first extra line: %3)")
            .arg(aEngine.size())
            .arg(aReference.size())
            .arg(Quote(aEngine.size() > common ? aEngine[common] : aReference[common]));
    return {};
}

// The source as fpc gets it: Delphi mode with long strings and the units whose routines a
// script has without naming them (SysUtils, StrUtils, Math, Classes, Types), placed after a
// "program Name;" header if there is one, else on top.
QByteArray FpcSource(const QByteArray& aSource)
{
    static const QByteArray prelude = "{$mode delphi}{$H+}\nuses SysUtils, StrUtils, Math, Classes, Types;\n";
    static const QRegularExpression header(QStringLiteral(R"(^\s*program\s+[A-Za-z_][A-Za-z0-9_]*\s*;)"),
                                           QRegularExpression::CaseInsensitiveOption);
    QList<QByteArray> lines = aSource.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (header.match(QString::fromLatin1(lines[i])).hasMatch()) {
            lines.insert(i + 1, prelude.chopped(1));
            return lines.join('\n');
        }
    }
    return prelude + aSource;
}

struct TEngineRun
{
    bool Compiled = false;
    bool Ran = false;
    QStringList Messages;
    QString RunError;
    QList<QByteArray> Lines;

    QString ErrorMessages() const
    {
        return Messages.filter(QStringLiteral("[Error]")).join(QLatin1Char('\n'));
    }
};

TEngineRun RunWithEngine(const QByteArray& aSource)
{
    TEngineRun run;
    QByteArray output;
    pascal::TEngine engine;
    const bool registered = engine.RegisterFunction(QStringLiteral("procedure writeln(const aText: string);"),
                                                    [&output](const QList<pascal::THostValue>& aArguments) {
                                                        for (const pascal::THostValue& argument : aArguments)
                                                            output += argument.String;
                                                        output += '\n';
                                                        return pascal::THostValue();
                                                    });
    if (!registered) {
        run.Messages = engine.Messages();
        run.Messages.prepend(QStringLiteral("[Error] (0:0): writeln could not be registered"));
        return run;
    }
    run.Compiled = engine.Compile(QString::fromLatin1(aSource));
    run.Messages = engine.Messages();
    if (run.Compiled && run.ErrorMessages().isEmpty()) {
        run.Ran = engine.Run();
        run.RunError = engine.RunError();
    }
    run.Lines = SplitLines(output);
    return run;
}

// One "// expect-...: value" line split into an optional leading LINE[:COL] and a text.
struct TExpectation
{
    QString Position; // "7:14", "8" or empty
    QString Text;
};

TExpectation ParseExpectation(const QString& aValue)
{
    static const QRegularExpression position(QStringLiteral(R"(^(\d+(?::\d+)?)(?:\s+(.*))?$)"));
    TExpectation expectation;
    const QString value = aValue.trimmed();
    const QRegularExpressionMatch match = position.match(value);
    if (match.hasMatch()) {
        expectation.Position = match.captured(1);
        expectation.Text = match.captured(2).trimmed();
    } else
        expectation.Text = value;
    return expectation;
}

// "(7:14)" when the column is given, else "(7:" so that any column matches.
QString PositionMark(const QString& aPosition)
{
    return aPosition.contains(QLatin1Char(':')) ? QLatin1Char('(') + aPosition + QLatin1Char(')')
                                                : QLatin1Char('(') + aPosition + QLatin1Char(':');
}

struct TFpcBuild
{
    QString Directory;
    QString Binary;
    bool Ok = false;
    QString Failure;
};

} // namespace

class TstPascalCorpus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameOutputAsFreePascal_data();
    void sameOutputAsFreePascal();
    void errorPrograms_data();
    void errorPrograms();

private:
    QByteArray ReadSource(const QString& aName);
    void CompileAllWithFpc();

    QDir FCorpus;
    QStringList FPrograms; // file names of the programs compared with fpc
    QStringList FErrorPrograms;
    QString FFpc;
    std::unique_ptr<QTemporaryDir> FTemp;
    QHash<QString, TFpcBuild> FBuilds;
};

QByteArray TstPascalCorpus::ReadSource(const QString& aName)
{
    QFile file(FCorpus.filePath(aName));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TstPascalCorpus::initTestCase()
{
    const QString corpus = QFINDTESTDATA("corpus");
    QVERIFY2(!corpus.isEmpty() && QFileInfo(corpus).isDir(),
             "the program corpus tests/pascal/corpus was not found next to tst_PascalCorpus.cpp");
    FCorpus = QDir(corpus);
    const QStringList all = FCorpus.entryList({QStringLiteral("*.pas")}, QDir::Files, QDir::Name);
    for (const QString& name : all)
        (name.startsWith(QLatin1String("errors_")) ? FErrorPrograms : FPrograms).append(name);
    QVERIFY2(FPrograms.size() >= 25,
             qPrintable(QStringLiteral("only %1 programs in %2").arg(FPrograms.size()).arg(corpus)));
    QVERIFY2(
        FErrorPrograms.size() >= 4,
        qPrintable(QStringLiteral("only %1 error programs in %2").arg(FErrorPrograms.size()).arg(corpus)));

    FFpc = QStandardPaths::findExecutable(QStringLiteral("fpc"));
    if (FFpc.isEmpty() && QFileInfo(QStringLiteral("/usr/bin/fpc")).isExecutable())
        FFpc = QStringLiteral("/usr/bin/fpc");
    if (FFpc.isEmpty())
        return; // every comparison fails with FpcMissing; the error programs still run

    FTemp = std::make_unique<QTemporaryDir>();
    QVERIFY2(FTemp->isValid(), qPrintable(FTemp->errorString()));
    CompileAllWithFpc();
}

// Compiles every program with fpc, ParallelCompilations at a time, each in its own
// directory of the test's temporary directory.
void TstPascalCorpus::CompileAllWithFpc()
{
    struct TJob
    {
        QString Name;
        std::unique_ptr<QProcess> Process;
        QElapsedTimer Clock;
    };
    QStringList pending = FPrograms;
    std::vector<std::unique_ptr<TJob>> running;

    const auto finish = [this](TJob& aJob, bool aTimedOut) {
        TFpcBuild& build = FBuilds[aJob.Name];
        const QString log = QString::fromLocal8Bit(aJob.Process->readAll());
        if (aTimedOut)
            build.Failure = QStringLiteral("fpc took longer than %1 s").arg(FpcTimeoutMs / 1000);
        else if (aJob.Process->exitStatus() != QProcess::NormalExit || aJob.Process->exitCode() != 0
                 || !QFileInfo(build.Binary).isExecutable())
            build.Failure = QStringLiteral("fpc failed (exit code %1):\n%2")
                                .arg(aJob.Process->exitCode())
                                .arg(log.right(3000));
        else
            build.Ok = true;
    };

    while (!pending.isEmpty() || !running.empty()) {
        while (!pending.isEmpty() && int(running.size()) < ParallelCompilations) {
            const QString name = pending.takeFirst();
            TFpcBuild& build = FBuilds[name];
            build.Directory = FTemp->filePath(QFileInfo(name).completeBaseName());
            build.Binary = build.Directory + QStringLiteral("/prog");
            const QString source = build.Directory + QStringLiteral("/prog.pas");
            QFile file(source);
            if (!QDir().mkpath(build.Directory) || !file.open(QIODevice::WriteOnly)
                || file.write(FpcSource(ReadSource(name))) < 0) {
                build.Failure = QStringLiteral("cannot write %1").arg(source);
                continue;
            }
            file.close();
            auto job = std::make_unique<TJob>();
            job->Name = name;
            job->Process = std::make_unique<QProcess>();
            job->Process->setProcessChannelMode(QProcess::MergedChannels);
            job->Process->setWorkingDirectory(build.Directory);
            job->Process->start(FFpc,
                                {QStringLiteral("-Mdelphi"), QStringLiteral("-O1"),
                                 QStringLiteral("-o") + build.Binary, source});
            job->Clock.start();
            running.push_back(std::move(job));
        }
        for (auto it = running.begin(); it != running.end();) {
            TJob& job = **it;
            bool done = job.Process->waitForFinished(25) || job.Process->state() == QProcess::NotRunning;
            bool timedOut = false;
            if (!done && job.Clock.elapsed() > FpcTimeoutMs) {
                job.Process->kill();
                job.Process->waitForFinished(5000);
                done = timedOut = true;
            }
            if (done) {
                finish(job, timedOut);
                it = running.erase(it);
            } else
                ++it;
        }
    }
}

void TstPascalCorpus::sameOutputAsFreePascal_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : std::as_const(FPrograms))
        QTest::newRow(qPrintable(QFileInfo(name).completeBaseName())) << name;
}

void TstPascalCorpus::sameOutputAsFreePascal()
{
    QFETCH(QString, name);
    const QByteArray source = ReadSource(name);
    QVERIFY2(!source.isEmpty(), qPrintable(QStringLiteral("cannot read %1").arg(name)));
    for (char c : source)
        QVERIFY2(uchar(c) < 128, "corpus programs are plain ASCII");

    const TEngineRun engine = RunWithEngine(source);
    QVERIFY2(engine.Compiled && engine.ErrorMessages().isEmpty(),
             qPrintable(QStringLiteral("our engine does not compile %1:\n%2")
                            .arg(name, engine.Messages.join(QLatin1Char('\n')))));
    QVERIFY2(engine.Ran,
             qPrintable(QStringLiteral("run-time error in %1: %2\noutput so far:\n%3")
                            .arg(name, engine.RunError, Listing(engine.Lines))));

    if (FFpc.isEmpty())
        QFAIL(FpcMissing);
    const TFpcBuild build = FBuilds.value(name);
    QVERIFY2(build.Ok,
             qPrintable(QStringLiteral("Free Pascal did not compile %1: %2").arg(name, build.Failure)));
    QProcess program;
    program.setWorkingDirectory(build.Directory);
    program.start(build.Binary, {});
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    if (!program.waitForFinished(ProgramTimeoutMs)) {
        program.kill();
        program.waitForFinished(5000);
        QFAIL(qPrintable(QStringLiteral("the fpc build of %1 ran longer than %2 s")
                             .arg(name)
                             .arg(ProgramTimeoutMs / 1000)));
    }
    const QByteArray reference = program.readAllStandardOutput();
    QVERIFY2(
        program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
        qPrintable(QStringLiteral("the fpc build of %1 failed (exit code %2): %3")
                       .arg(name)
                       .arg(program.exitCode())
                       .arg(QString::fromLocal8Bit(program.readAllStandardError() + reference).right(2000))));

    const QList<QByteArray> expected = SplitLines(reference);
    const QString difference = Difference(engine.Lines, expected);
    if (!difference.isEmpty()) {
        qInfo().noquote() << "engine output:\n" + Listing(engine.Lines) + "fpc output:\n" + Listing(expected);
        QFAIL(qPrintable(name + QStringLiteral(": ") + difference));
    }
}

void TstPascalCorpus::errorPrograms_data()
{
    QTest::addColumn<QString>("name");
    for (const QString& name : std::as_const(FErrorPrograms))
        QTest::newRow(qPrintable(QFileInfo(name).completeBaseName())) << name;
}

void TstPascalCorpus::errorPrograms()
{
    QFETCH(QString, name);
    const QByteArray source = ReadSource(name);
    QVERIFY2(!source.isEmpty(), qPrintable(QStringLiteral("cannot read %1").arg(name)));

    static const QRegularExpression directive(QStringLiteral(R"(^//\s*expect-([a-z-]+):\s?(.*)$)"));
    bool compileError = false;
    bool runError = false;
    TExpectation expectation;
    QList<QByteArray> expectedLines;
    for (const QByteArray& raw : source.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (!line.startsWith(QLatin1String("//")))
            break;
        const QRegularExpressionMatch match = directive.match(line);
        if (!match.hasMatch())
            continue;
        const QString kind = match.captured(1);
        if (kind == QLatin1String("compile-error") || kind == QLatin1String("run-error")) {
            QVERIFY2(!compileError && !runError, "more than one expected error");
            (kind == QLatin1String("compile-error") ? compileError : runError) = true;
            expectation = ParseExpectation(match.captured(2));
        } else if (kind == QLatin1String("line"))
            expectedLines.append(match.captured(2).toLatin1());
        else
            QFAIL(qPrintable(QStringLiteral("unknown directive expect-%1 in %2").arg(kind, name)));
    }
    QVERIFY2(
        compileError || runError,
        qPrintable(
            QStringLiteral("%1 has no // expect-compile-error: or // expect-run-error: line").arg(name)));

    const TEngineRun engine = RunWithEngine(source);
    if (compileError) {
        QVERIFY2(!expectation.Position.isEmpty(), "a compile error needs its LINE:COL");
        const QStringList errors =
            engine.Messages.filter(QRegularExpression(QStringLiteral(R"(^\[Error\])")));
        QVERIFY2(!engine.Compiled && !errors.isEmpty(),
                 qPrintable(QStringLiteral("%1 compiled although it should not; messages:\n%2")
                                .arg(name, engine.Messages.join(QLatin1Char('\n')))));
        const QString first = errors.first();
        QVERIFY2(
            first.startsWith(QStringLiteral("[Error] ") + PositionMark(expectation.Position)),
            qPrintable(QStringLiteral("first error should be at %1: %2").arg(expectation.Position, first)));
        QVERIFY2(
            expectation.Text.isEmpty() || first.contains(expectation.Text, Qt::CaseInsensitive),
            qPrintable(QStringLiteral("first error should mention \"%1\": %2").arg(expectation.Text, first)));
        return;
    }

    QVERIFY2(engine.Compiled && engine.ErrorMessages().isEmpty(),
             qPrintable(QStringLiteral("our engine does not compile %1:\n%2")
                            .arg(name, engine.Messages.join(QLatin1Char('\n')))));
    QVERIFY2(!engine.Ran,
             qPrintable(QStringLiteral("%1 ran without the expected error; output:\n%2")
                            .arg(name, Listing(engine.Lines))));
    QVERIFY2(expectation.Position.isEmpty() || engine.RunError.contains(PositionMark(expectation.Position)),
             qPrintable(
                 QStringLiteral("run error should be at %1: %2").arg(expectation.Position, engine.RunError)));
    QVERIFY2(
        expectation.Text.isEmpty() || engine.RunError.contains(expectation.Text, Qt::CaseInsensitive),
        qPrintable(
            QStringLiteral("run error should mention \"%1\": %2").arg(expectation.Text, engine.RunError)));
    const QString difference = Difference(engine.Lines, expectedLines);
    QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("output before the error: ") + difference));
}

QTEST_GUILESS_MAIN(TstPascalCorpus)
#include "tst_PascalCorpus.moc"
