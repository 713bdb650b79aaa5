// Documents from TRtfWriter read back by unrtf: the same characters, paragraph breaks and bold
// runs must come back, the document must be well formed, a failing device must be reported,
// and streaming must be fast enough for a receive view of tens of megabytes.
#include "terminal/RtfWriter.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <limits>

namespace {

struct TRun
{
    QString Text;
    bool Bold = false;
};

// A device that takes aLimit bytes and then fails.
class TSink : public QIODevice
{
public:
    explicit TSink(qint64 aLimit = std::numeric_limits<qint64>::max())
        : FLimit(aLimit)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    qint64 Written() const { return FWritten; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 aLength) override
    {
        if (aLength > FLimit - FWritten)
            return -1;
        FWritten += aLength;
        return aLength;
    }

private:
    qint64 FLimit;
    qint64 FWritten = 0;
};

// The document for aRuns, or nothing when End() reports a failure.
QByteArray WriteRtf(const QList<TRun>& aRuns, const QString& aFamily = QStringLiteral("DejaVu Sans Mono"),
                    int aPointSize = 10)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TRtfWriter writer(&buffer);
    writer.Begin(aFamily, aPointSize);
    for (const TRun& run : aRuns)
        writer.Text(run.Text, run.Bold);
    return writer.End() ? buffer.data() : QByteArray();
}

QByteArray WriteChunks(const QStringList& aChunks)
{
    QList<TRun> runs;
    for (const QString& chunk : aChunks)
        runs.append({chunk, false});
    return WriteRtf(runs);
}

// Empty when aRtf is one group opened by {\rtf1 and closed by its last byte, in 7-bit
// printable ASCII, with short lines and no backslash before a line break (a reader takes
// that for \par).
QString StructureError(const QByteArray& aRtf)
{
    if (!aRtf.startsWith("{\\rtf1"))
        return QStringLiteral("does not start with {\\rtf1");
    if (!aRtf.endsWith('}'))
        return QStringLiteral("does not end with }");
    int depth = 0;
    int lineLength = 0;
    for (qsizetype i = 0; i < aRtf.size(); ++i) {
        const uchar c = uchar(aRtf[i]);
        if (c == '\n') {
            lineLength = 0;
            continue;
        }
        if (c < 0x20 || c > 0x7E)
            return QStringLiteral("byte 0x%1 at %2").arg(c, 2, 16, QLatin1Char('0')).arg(i);
        if (++lineLength > 250)
            return QStringLiteral("line longer than 250 bytes at %1").arg(i);
        if (c == '\\') {
            if (++i == aRtf.size() || aRtf[i] == '\n' || aRtf[i] == '\r')
                return QStringLiteral("backslash before a line break at %1").arg(i);
            ++lineLength;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}' && --depth == 0 && i != aRtf.size() - 1) {
            return QStringLiteral("document closed at %1 before its end").arg(i);
        }
    }
    return depth == 0 ? QString() : QStringLiteral("%1 groups left open").arg(depth);
}

// unrtf's text output starts with comment lines ("###") and a rule before the body.
QString TextBody(const QString& aOutput)
{
    QStringList lines = aOutput.split(QLatin1Char('\n'));
    while (!lines.isEmpty() && (lines.first().startsWith(QLatin1String("###")) || lines.first().isEmpty()))
        lines.removeFirst();
    if (lines.isEmpty() || lines.first() != QLatin1String("-----------------"))
        return QStringLiteral("<no body in unrtf output: %1>").arg(aOutput);
    lines.removeFirst();
    return lines.join(QLatin1Char('\n'));
}

// What unrtf's stock text output shows for aText: '?' for every character that only a \u
// escape carries, as it has no Unicode.
QString AsStockText(QString aText)
{
    for (QChar& c : aText) {
        if ((c.unicode() >= 0x80 && c.unicode() < 0xA0) || c.unicode() > 0xFF)
            c = QChar(u'?');
    }
    return aText;
}

QString Range(char16_t aFirst, char16_t aLast)
{
    QString text;
    for (char16_t c = aFirst; c <= aLast; ++c)
        text += QChar(c);
    return text;
}

} // namespace

class TstRtfWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString FUnrtf;

    // unrtf's output for aRtf, empty when it could not run.
    QByteArray Unrtf(const QByteArray& aRtf, QStringList aArguments)
    {
        static int count = 0;
        const QString path = FDir.filePath(QStringLiteral("doc%1.rtf").arg(++count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(aRtf) != aRtf.size())
            return {};
        file.close();
        QProcess process;
        process.setWorkingDirectory(FDir.path());
        process.start(FUnrtf, aArguments << path);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
            || process.exitCode() != 0) {
            qWarning() << "unrtf failed:" << process.readAllStandardError();
            return {};
        }
        return process.readAllStandardOutput();
    }

    // The stock text output: Latin-1, '?' for whatever came as \uN.
    QString StockText(const QByteArray& aRtf)
    {
        return TextBody(QString::fromLatin1(Unrtf(aRtf, {QStringLiteral("--text")})));
    }

    // The text output with characters beyond ASCII as &#N; and tabs marked (see initTestCase),
    // decoded.
    QString NumberedText(const QByteArray& aRtf)
    {
        const QString out = TextBody(QString::fromLatin1(Unrtf(
            aRtf, {QStringLiteral("-P"), FDir.path(), QStringLiteral("-t"), QStringLiteral("numbered")})));
        static const QRegularExpression marks(QStringLiteral("&#(\\d+);|(&sp;)+\n"));
        QString text;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& match : marks.globalMatch(out)) {
            text += QStringView(out).mid(from, match.capturedStart() - from);
            if (match.hasCaptured(1))
                text += QChar::fromUcs4(match.captured(1).toUInt());
            else
                text += QLatin1Char('\t');
            from = match.capturedEnd();
        }
        text += QStringView(out).mid(from);
        return text;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FDir.isValid());
        FUnrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
        if (FUnrtf.isEmpty())
            QFAIL("unrtf is not on PATH; ./test installs it (Debian package unrtf)");
        // unrtf's text personality prints '?' for any character it got as \uN, and a tab as
        // spaces up to its idea of the next tab stop and a line break. A copy of it that prints
        // &#N; instead (with UTF-8 turned on, for every character beyond ASCII) and marks the
        // spaces of a tab lets the round trip compare both exactly.
        const QString shared =
            QFileInfo(FUnrtf).absoluteDir().filePath(QStringLiteral("../share/unrtf/text.conf"));
        QFile base(QFile::exists(shared) ? shared : QStringLiteral("/usr/share/unrtf/text.conf"));
        QVERIFY2(base.open(QIODevice::ReadOnly), qPrintable(base.fileName()));
        QByteArray personality = base.readAll();
        if (!personality.endsWith('\n'))
            personality += '\n';
        personality += "unisymbol_print\n\t&#%;\nutf8_encoding\n\t### utf-8\\n\nforced_space\n\t&sp;\n";
        QFile numbered(FDir.filePath(QStringLiteral("numbered.conf")));
        QVERIFY(numbered.open(QIODevice::WriteOnly));
        QCOMPARE(numbered.write(personality), personality.size());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QString>("text"); // paragraph breaks as '\n'

        const QString ascii = Range(0x20, 0x7E);
        QTest::newRow("printable ASCII") << QStringList{ascii} << ascii;
        const QString lookAlikes = QStringLiteral("{\\rtf1 \\b x\\par}\\'41 \\u65?\\\\ {}}{ a\\");
        QTest::newRow("braces, backslashes, control words") << QStringList{lookAlikes} << lookAlikes;
        QTest::newRow("runs of spaces") << QStringList{"   a  b     c ", "  d\r\n  e \r\n\r\n "}
                                        << QStringLiteral("   a  b     c   d\n  e \n\n ");
        QTest::newRow("Latin-1 A0..FF") << QStringList{Range(0xA0, 0xFF)} << Range(0xA0, 0xFF);
        QTest::newRow("C1 80..9F") << QStringList{Range(0x80, 0x9F)} << Range(0x80, 0x9F);
        const QString wide =
            QStringLiteral("\u20AC \u03A9 \U0001F600 \uFFFD\u0100 \u20ACab \u00e9cd \u0085ef");
        QTest::newRow("euro, omega, emoji") << QStringList{wide} << wide;
        QTest::newRow("controls as control pictures") << QStringList{QString::fromLatin1("\0\x01\x1b\x1f\x7f"
                                                                                         "a",
                                                                                         6)}
                                                      << QStringLiteral("\u2400\u2401\u241B\u241F\u2421a");
        const QString tabs = QStringLiteral("\ta\tbc\t\tabc\t d\t1\t  \t\n\t");
        QTest::newRow("tabs") << QStringList{tabs} << tabs;
        QTest::newRow("CR, LF, CR LF") << QStringList{"a\rb\nc\r\nd"} << QStringLiteral("a\nb\nc\nd");
        QTest::newRow("CR CR LF, LF CR") << QStringList{"a\r\r\nb\n\rc"} << QStringLiteral("a\n\nb\n\nc");
        QTest::newRow("CR LF split over calls") << QStringList{"a\r", "\nb"} << QStringLiteral("a\nb");
        QTest::newRow("CR then no LF")
            << QStringList{"a\r", "b\r", "\r\nc\r", "", "\n"} << QStringLiteral("a\nb\n\nc\n");
        QTest::newRow("empty paragraphs")
            << QStringList{"\r\n\r\n", "a\n\n\n"} << QStringLiteral("\n\na\n\n\n");
        QString mixed;
        for (int i = 0; i < 5000; ++i)
            mixed += QStringLiteral("ab{\u00e9}\\  \u20AC\u0085").at(i % 10);
        QTest::newRow("long paragraph") << QStringList{mixed} << mixed;
    }

    void roundTrip()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QString, text);
        const QByteArray rtf = WriteChunks(chunks);
        QVERIFY(!rtf.isEmpty());
        const QString error = StructureError(rtf);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(NumberedText(rtf), text);
        // Only the numbered output tells a tab from spaces and a line break.
        if (!text.contains(QLatin1Char('\t')))
            QCOMPARE(StockText(rtf), AsStockText(text));
    }

    void escapesAndHeader()
    {
        const QByteArray rtf =
            WriteRtf({{QStringLiteral("a{b}\\c\u00e9\u0080\u20AC\U0001F600\x01\x7f\tx   y")}},
                     QStringLiteral("Deja{Vu}\\ Mono;"), 9);
        QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                                "{\\fonttbl{\\f0\\fmodern\\fcharset0 Deja\\{Vu\\}\\\\ Mono;}}\n\\f0\\fs18 "),
                 rtf.constData());
        QVERIFY2(rtf.endsWith(" a\\{b\\}\\\\c\\'e9\\u128\\'3f\\u8364\\'3f\\u-10179\\'3f\\u-8704\\'3f"
                              "\\u9217\\'3f\\u9249\\'3f\\tab x \\'20\\'20y}"),
                 rtf.constData());
        QVERIFY(WriteRtf({}, QString(), 0).contains("\\fs2 "));
    }

    // Output lines are broken between escapes, a paragraph break ends a line.
    void wrapsLines()
    {
        const QByteArray rtf =
            WriteChunks({QString(1000, QChar(u'\u00e9')) + QStringLiteral("\r\n") + QString(1000, u'x')});
        QVERIFY(StructureError(rtf).isEmpty());
        const QList<QByteArray> lines = rtf.split('\n');
        QVERIFY(lines.size() > 10);
        QVERIFY(lines.contains(QByteArray(200, 'x')));
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(),
                            [](const QByteArray& aLine) { return aLine.endsWith("\\par"); }));
    }

    // \b and \b0 only where the style of visible text changes; digits after them stay text.
    void boldRuns()
    {
        const QList<TRun> runs{{"plain1", false}, {"Bold1", true},   {"\r\n", true}, {"Bold2", true},
                               {"\r\n", false},   {"7plain", false}, {"\n", true},   {"8bold", true},
                               {"", false},       {"9bold", true},   {"\r\n", false}};
        const QByteArray rtf = WriteRtf(runs);
        QVERIFY(StructureError(rtf).isEmpty());
        QCOMPARE(rtf.count("\\b "), 2);
        QCOMPARE(rtf.count("\\b0 "), 1);
        QCOMPARE(NumberedText(rtf), QStringLiteral("plain1Bold1\nBold2\n7plain\n8bold9bold\n"));

        const QString html = QString::fromLatin1(Unrtf(rtf, {QStringLiteral("--html")}));
        const qsizetype body = html.indexOf(QLatin1String("<body>"));
        QVERIFY2(body >= 0, qPrintable(html));
        QString bold;
        QString normal;
        int depth = 0;
        for (qsizetype i = body + 6; i < html.size(); ++i) {
            if (html[i] == QLatin1Char('<')) {
                const qsizetype close = html.indexOf(QLatin1Char('>'), i);
                const QString tag = html.mid(i + 1, close - i - 1).toLower();
                if (tag == QLatin1String("b") || tag == QLatin1String("strong"))
                    ++depth;
                else if (tag == QLatin1String("/b") || tag == QLatin1String("/strong"))
                    --depth;
                i = close;
            } else if (html[i] != QLatin1Char('\n')) {
                (depth > 0 ? bold : normal) += html[i];
            }
        }
        QCOMPARE(depth, 0);
        QCOMPARE(bold, QStringLiteral("Bold1Bold28bold9bold"));
        QCOMPARE(normal, QStringLiteral("plain17plain"));
    }

    void writeFailures()
    {
        {
            QByteArray data;
            QBuffer readOnly(&data);
            readOnly.open(QIODevice::ReadOnly);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("ReadOnly device")));
            TRtfWriter writer(&readOnly);
            writer.Begin(QStringLiteral("Mono"), 10);
            writer.Text(u"abc", false);
            QVERIFY(!writer.End());
        }
        // Failing on the last block, in the middle and never.
        for (const qint64 limit : {qint64(0), qint64(100000), std::numeric_limits<qint64>::max()}) {
            TSink sink(limit);
            TRtfWriter writer(&sink);
            writer.Begin(QStringLiteral("Mono"), 10);
            writer.Text(QString(limit == 0 ? 10 : 1000000, u'\u00e9'), false);
            QCOMPARE(writer.End(), limit == std::numeric_limits<qint64>::max());
            if (limit == 100000)
                QVERIFY(sink.Written() <= limit);
        }
    }
};

QTEST_GUILESS_MAIN(TstRtfWriter)
#include "tst_RtfWriter.moc"
