#include "scripting/RtfReader.h"
#include "terminal/RtfWriter.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

struct TRun
{
    QString Text;
    bool Bold = false;
};

QByteArray Write(const QList<TRun>& aRuns, const QString& aFont = QStringLiteral("Courier New"),
                 int aPointSize = 10)
{
    QByteArray rtf;
    QBuffer buffer(&rtf);
    buffer.open(QIODevice::WriteOnly);
    TRtfWriter writer(&buffer);
    writer.Begin(aFont, aPointSize);
    for (const TRun& run : aRuns)
        writer.Text(run.Text, run.Bold);
    if (!writer.End())
        qFatal("writing the RTF failed");
    return rtf;
}

// The runs of equal boldness in the document, across paragraphs, with paragraph breaks
// as '\n' and line breaks as U+2028.
QList<TRun> Runs(const QTextDocument& aDocument)
{
    QList<TRun> runs;
    auto add = [&runs](const QString& aText, bool aBold) {
        if (aText.isEmpty())
            return;
        if (!runs.isEmpty() && runs.last().Bold == aBold)
            runs.last().Text += aText;
        else
            runs.append({aText, aBold});
    };
    for (QTextBlock block = aDocument.begin(); block.isValid(); block = block.next()) {
        if (block != aDocument.begin())
            add(QStringLiteral("\n"), runs.isEmpty() ? false : runs.last().Bold);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            add(fragment.text(), fragment.charFormat().fontWeight() >= QFont::Bold);
        }
    }
    return runs;
}

// The format of the character at aPosition.
QTextCharFormat FormatAt(QTextDocument& aDocument, int aPosition)
{
    QTextCursor cursor(&aDocument);
    cursor.setPosition(aPosition + 1);
    return cursor.charFormat();
}

int Find(const QTextDocument& aDocument, const QString& aText)
{
    return int(aDocument.toPlainText().indexOf(aText));
}

QString Load(const QByteArray& aRtf, bool* aOk = nullptr, QString* aError = nullptr)
{
    QTextDocument document;
    QString error;
    const bool ok = LoadRtf(aRtf, document, &error);
    if (aOk)
        *aOk = ok;
    if (aError)
        *aError = error;
    // The blocks' own text: toPlainText() would turn no-break spaces into spaces.
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        blocks << block.text();
    return blocks.join(QLatin1Char('\n'));
}

} // namespace

class TstRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void paragraphsAndBreaks();
    void characterFormats();
    void escapedCharacters();
    void unicodeAndSkipping();
    void destinationsAreSkipped();
    void fontAndColourTables();
    void wordPadDocument();
    void libreOfficeDocument();
    void writerRoundTrip();
    void writerRoundTripLongLines();
    void malformed_data();
    void malformed();
    void deepNesting();
    void theDocumentsOwnMarksStayText();
    void randomInputDoesNotCrash();
    void replacesDocument();
    void toHtml();
};

void TstRtfReader::paragraphsAndBreaks()
{
    QTextDocument document;
    QString error = QStringLiteral("alt");
    QVERIFY(LoadRtf("{\\rtf1\\ansi Hallo\\par Welt\\line weiter\\tab x\r\ny\\par\n}", document, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(document.blockCount(), 3);
    QCOMPARE(document.begin().text(), QStringLiteral("Hallo"));
    QCOMPARE(document.begin().next().text(),
             QStringLiteral("Welt") + QChar(QChar::LineSeparator) + QStringLiteral("weiter\txy"));
    QCOMPARE(document.toPlainText(), QStringLiteral("Hallo\nWelt\nweiter\txy\n"));
    // A backslash before a line break is a paragraph too.
    QCOMPARE(Load("{\\rtf1 a\\\nb}"), QStringLiteral("a\nb"));
}

void TstRtfReader::characterFormats()
{
    QTextDocument document;
    QVERIFY(LoadRtf("{\\rtf1 a{\\b b}c\\b d\\b0 e\\i f\\i0\\ul g\\ulnone h\\fs40 i\\fs j"
                    "\\uldb k\\ul0 l\\strike m\\strike0\\super n\\nosupersub\\b\\i\\ul o\\plain p}",
                    document));
    QCOMPARE(document.toPlainText(), QStringLiteral("abcdefghijklmnop"));
    auto bold = [&](int aPos) { return FormatAt(document, aPos).fontWeight() >= QFont::Bold; };
    auto italic = [&](int aPos) { return FormatAt(document, aPos).fontItalic(); };
    auto underline = [&](int aPos) { return FormatAt(document, aPos).fontUnderline(); };
    auto size = [&](int aPos) { return FormatAt(document, aPos).fontPointSize(); };
    QVERIFY(!bold(0));
    QVERIFY(bold(1));
    QVERIFY(!bold(2)); // the group restored it
    QVERIFY(bold(3));
    QVERIFY(!bold(4));
    QVERIFY(!italic(4));
    QVERIFY(italic(5));
    QVERIFY(!italic(6));
    QVERIFY(underline(6));
    QVERIFY(!underline(7));
    QCOMPARE(size(7), 12.0);
    QCOMPARE(size(8), 20.0);
    QCOMPARE(size(9), 12.0);
    QVERIFY(underline(10));
    QVERIFY(!underline(11));
    QVERIFY(FormatAt(document, 12).fontStrikeOut());
    QCOMPARE(FormatAt(document, 13).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QVERIFY(bold(14) && italic(14) && underline(14));
    QVERIFY(!bold(15) && !italic(15) && !underline(15));
    QCOMPARE(FormatAt(document, 14).verticalAlignment(), QTextCharFormat::AlignNormal);
}

void TstRtfReader::escapedCharacters()
{
    QCOMPARE(Load("{\\rtf1 \\\\ \\{x\\} \\'e4\\'C4\\'df}"), QStringLiteral("\\ {x} äÄß"));
    // Code page 1252 above 0x7F, written as escapes or as plain bytes.
    QCOMPARE(Load("{\\rtf1 \\'80\\'93\\'94\\'85\\'9f\\'81}"), QString::fromUtf8("€“”…Ÿ") + QChar(0x81));
    QCOMPARE(Load("{\\rtf1 \x80\xe4\x96}"), QString::fromUtf8("€ä–"));
    QCOMPARE(Load("{\\rtf1 a\\~b\\-c\\_d\\emdash\\endash\\bullet\\lquote\\rquote"
                  "\\ldblquote\\rdblquote}"),
             QStringLiteral("a") + QChar(0xA0) + QStringLiteral("b") + QChar(0xAD) + QStringLiteral("c")
                 + QChar(0x2011) + QString::fromUtf8("d—–•‘’“”"));
    // A control word's delimiting space is not text; a second one is.
    QCOMPARE(Load("{\\rtf1 \\b  a\\b0 b}"), QStringLiteral(" ab"));
    // Digits ending a word belong to it; a hyphen only before a digit.
    QCOMPARE(Load("{\\rtf1 \\fs20-x \\fs-2 y}"), QStringLiteral("-x y"));
}

void TstRtfReader::unicodeAndSkipping()
{
    QCOMPARE(Load("{\\rtf1 \\u8364?x}"), QString::fromUtf8("€x"));
    QCOMPARE(Load("{\\rtf1 \\u8364\\'80x}"), QString::fromUtf8("€x"));
    QCOMPARE(Load("{\\rtf1 \\uc2\\u8364 abx}"), QString::fromUtf8("€x"));
    QCOMPARE(Load("{\\rtf1 \\uc0\\u8364 x}"), QString::fromUtf8("€x"));
    // Negative numbers are the upper half; a pair of them a character beyond 0xFFFF.
    QCOMPARE(Load("{\\rtf1 \\u-10179\\'3f\\u-8704\\'3f!}"), QString::fromUtf8("😀!"));
    QCOMPARE(Load("{\\rtf1 \\u-4?}"), QString(QChar(0xFFFC)));
    // \uc is kept per group, and skipping stops at a group's end.
    QCOMPARE(Load("{\\rtf1 {\\uc2 {\\u8364 ab}c\\u8364 de}\\u8364 fg}"), QString::fromUtf8("€c€€g"));
    QCOMPARE(Load("{\\rtf1 {\\u8364}x}"), QString::fromUtf8("€x"));
    // The C1 characters our writer puts as \uN come back as they were.
    QCOMPARE(Load("{\\rtf1 \\u133\\'3f\\u159\\'3f}"), QString(QChar(0x85)) + QChar(0x9F));
}

void TstRtfReader::destinationsAreSkipped()
{
    const QByteArray rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\stylesheet{\\s0 Normal;}{\\s1 Heading 1;}}{\\info{\\title Titel}{\\author Autor}}"
        "{\\*\\generator Writer 1.0;}{\\*\\unbekannt {verschachtelt {tief}} text}"
        "{\\header Kopf}{\\footer Fuss}"
        "A{\\pict\\pngblip\\picw10\\pich10 89504e470d0a1a0a}B"
        "{\\*\\shppict{\\pict\\wmetafile8 0100}}{\\nonshppict{\\pict 0100}}"
        "C\\bin5 {}\\}xD"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}"
        "{\\field{\\fldinst PAGE}{\\fldrslt 7}}"
        "{\\footnote Fussnote}E}";
    bool ok = false;
    QCOMPARE(Load(rtf, &ok), QStringLiteral("ABCDLink7E"));
    QVERIFY(ok);
}

void TstRtfReader::fontAndColourTables()
{
    QTextDocument document;
    QVERIFY(LoadRtf("{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\froman Times New Roman;}"
                    "{\\f1\\fswiss\\fcharset0 Arial{\\*\\falt Helvetica};}\\f2\\fmodern Courier New;}"
                    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
                    "a\\f0 b\\f2 c\\plain d\\cf1 e\\cf2 f\\cf0 g\\cf9 h}",
                    document));
    QCOMPARE(document.toPlainText(), QStringLiteral("abcdefgh"));
    auto family = [&](int aPos) {
        const QStringList families = FormatAt(document, aPos).fontFamilies().toStringList();
        return families.value(0);
    };
    QCOMPARE(family(0), QStringLiteral("Arial"));
    QCOMPARE(family(1), QStringLiteral("Times New Roman"));
    QCOMPARE(family(2), QStringLiteral("Courier New"));
    QCOMPARE(family(3), QStringLiteral("Arial"));
    QVERIFY(!FormatAt(document, 3).hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(FormatAt(document, 4).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(FormatAt(document, 5).foreground().color(), QColor(0, 128, 0));
    QVERIFY(!FormatAt(document, 6).hasProperty(QTextFormat::ForegroundBrush));
    QVERIFY(!FormatAt(document, 7).hasProperty(QTextFormat::ForegroundBrush));
}

void TstRtfReader::wordPadDocument()
{
    // As WordPad writes it.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031"
        "{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
        "\\pard\\sa200\\sl276\\slmult1\\f0\\fs20\\lang7 Hallo \\b fett\\b0  und \\cf1 rot\\cf0 .\\par\r\n"
        "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
        "\\fi-360\\li720 Punkt\\par\r\n"
        "\\pard\\qc\\i kursiv\\i0  M\\'fcller \\u8364?\\par\r\n"
        "\\pard\\sa200\\sl276\\slmult1\\par\r\n"
        "}\r\n\0";
    QTextDocument document;
    QString error;
    QVERIFY2(LoadRtf(rtf, document, &error), qPrintable(error));
    QCOMPARE(document.toPlainText(), QString::fromUtf8("Hallo fett und rot.\n·\tPunkt\nkursiv Müller €\n\n"));
    const int fett = Find(document, QStringLiteral("fett"));
    QVERIFY(FormatAt(document, fett).fontWeight() >= QFont::Bold);
    QVERIFY(FormatAt(document, fett + 4).fontWeight() < QFont::Bold);
    QCOMPARE(FormatAt(document, 0).fontPointSize(), 10.0);
    QCOMPARE(FormatAt(document, 0).fontFamilies().toStringList(), QStringList{"Calibri"});
    QCOMPARE(FormatAt(document, Find(document, QStringLiteral("rot"))).foreground().color(), QColor(Qt::red));
    const int kursiv = Find(document, QStringLiteral("kursiv"));
    QVERIFY(FormatAt(document, kursiv).fontItalic());
    QVERIFY(document.findBlock(kursiv).blockFormat().alignment() & Qt::AlignHCenter);
    QVERIFY(document.begin().blockFormat().alignment() & Qt::AlignLeft);
}

void TstRtfReader::libreOfficeDocument()
{
    // As LibreOffice Writer saves it, shortened.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\deff3\\adeflang1025\n"
        "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f1\\froman\\fprq2\\fcharset2 "
        "Symbol;}{\\f2\\fswiss\\fprq2\\fcharset0 Arial;}{\\f3\\froman\\fprq2\\fcharset0 Liberation "
        "Serif{\\*\\falt Times New Roman};}{\\f4\\fnil\\fprq2\\fcharset0 Noto Sans CJK SC;}}\n"
        "{\\colortbl;\\red0\\green0\\blue0;\\red128\\green128\\blue128;}\n"
        "{\\stylesheet{\\s0\\snext0\\dbch\\af5\\langfe2052\\dbch\\af6\\afs24\\alang1081\\loch\\f3"
        "\\hich\\af3\\fs24\\lang1031 Normal;}\n"
        "{\\s15\\sbasedon0\\snext16\\ql\\keepn\\sb240\\sa120\\loch\\f4\\fs28 Heading;}\n"
        "}{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}"
        "{\\info{\\creatim\\yr2024\\mo1\\dy2\\hr3\\min4}{\\revtim\\yr0\\mo0\\dy0\\hr0\\min0}"
        "{\\printim\\yr0\\mo0\\dy0\\hr0\\min0}}"
        "{\\*\\userprops{\\propname AppVersion}\\proptype30{\\staticval 16.0000}}"
        "\\deftab709\n\\hyphauto1\\viewscale100\n"
        "{\\*\\pgdsctbl\n{\\pgdsc0\\pgdscuse451\\pgwsxn11906\\pghsxn16838\\marglsxn1134"
        "\\margrsxn1134\\margtsxn1134\\margbsxn1134\\pgdscnxt0 Default Page Style;}}\n"
        "\\formshade\\paperh16838\\paperw11906\\margl1134\\margr1134\\margt1134\\margb1134"
        "\\sectd\\sbknone\\sftnnar\\saftnnar\\pgwsxn11906\\pghsxn16838\\marglsxn1134\\margrsxn1134"
        "\\margtsxn1134\\margbsxn1134\\ftnbj\\ftnstart1\\ftnrstcont\\ftnnar\\aenddoc\\aftnrstcont"
        "\\aftnstart1\\aftnnrlc\n"
        "{\\*\\ftnsep\\chftnsep}\\pgndec\\pard\\plain \\s0\\dbch\\af5\\langfe2052\\dbch\\af6"
        "\\afs24\\alang1081\\loch\\f3\\hich\\af3\\fs24\\lang1031{\\rtlch \\ltrch\\loch\n"
        "Erste Zeile mit \\u228\\'e4 Umlaut und Tab}{\\rtlch \\ltrch\\loch\\tab }{\\rtlch "
        "\\ltrch\\loch\nEnde}\n"
        "\\par \\pard\\plain \\s0\\qc\\dbch\\af5\\langfe2052\\dbch\\af6\\afs24\\alang1081\\loch"
        "\\f3\\hich\\af3\\fs24\\lang1031{\\b\\rtlch \\ltrch\\loch\nZentriert fett}\n"
        "\\par }";
    QTextDocument document;
    QString error;
    QVERIFY2(LoadRtf(rtf, document, &error), qPrintable(error));
    QCOMPARE(document.toPlainText(),
             QString::fromUtf8("Erste Zeile mit ä Umlaut und Tab\tEnde\nZentriert fett\n"));
    QCOMPARE(FormatAt(document, 0).fontFamilies().toStringList(), QStringList{"Liberation Serif"});
    QCOMPARE(FormatAt(document, 0).fontPointSize(), 12.0);
    const int zentriert = Find(document, QStringLiteral("Zentriert"));
    QVERIFY(FormatAt(document, zentriert).fontWeight() >= QFont::Bold);
    QVERIFY(FormatAt(document, 0).fontWeight() < QFont::Bold);
    QVERIFY(document.findBlock(zentriert).blockFormat().alignment() & Qt::AlignHCenter);
}

void TstRtfReader::writerRoundTrip()
{
    const QList<TRun> runs = {
        {QStringLiteral("Hallo {Welt} \\ C:\\Pfad\\\r\n"), false},
        {QString::fromUtf8("fett: äöüß € “x” Ω ") + QChar(0x85) + QChar(0x9F), true},
        {QStringLiteral("  zwei  Leerzeichen\tTab\r"), false},
        {QStringLiteral("\nnach CR LF über zwei Runs ") + QString::fromUtf8("😀"), true},
        {QStringLiteral("\n\nEnde"), false},
    };
    const QByteArray rtf = Write(runs);
    QTextDocument document;
    QString error;
    QVERIFY2(LoadRtf(rtf, document, &error), qPrintable(error));

    QString expected;
    for (const TRun& run : runs)
        expected += run.Text;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QCOMPARE(document.toPlainText(), expected);

    // The bold runs come back as written; breaks belong to whichever run is around them.
    const QList<TRun> read = Runs(document);
    QStringList bold;
    for (const TRun& run : read) {
        if (run.Bold)
            bold << run.Text.trimmed();
    }
    QCOMPARE(bold,
             QStringList({QString::fromUtf8("fett: äöüß € “x” Ω ") + QChar(0x85) + QChar(0x9F),
                          QStringLiteral("nach CR LF über zwei Runs ") + QString::fromUtf8("😀")}));
    QCOMPARE(FormatAt(document, 0).fontFamilies().toStringList(), QStringList{"Courier New"});
    QCOMPARE(FormatAt(document, 0).fontPointSize(), 10.0);
}

void TstRtfReader::writerRoundTripLongLines()
{
    // The writer breaks its output lines after about 200 bytes, also between escapes.
    QString text;
    for (int i = 0; i < 3000; ++i) {
        const char16_t c = char16_t(0x20 + (i * 7) % 0xE0);
        text += c == 0x7F ? QChar(u'x') : QChar(c);
        if (i % 500 == 499)
            text += QLatin1Char('\n');
    }
    text += QStringLiteral("\\\\\\\\ Ende");
    QTextDocument document;
    QString error;
    QVERIFY2(LoadRtf(Write({{text, false}, {text, true}}), document, &error), qPrintable(error));
    QCOMPARE(document.toPlainText(), text + text);
}

void TstRtfReader::malformed_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("plain text") << QByteArray("Hallo Welt") << QString();
    QTest::newRow("html") << QByteArray("<html><b>x</b></html>") << QString();
    QTest::newRow("cut off") << QByteArray("{\\rtf1 abc\\b def") << QStringLiteral("abcdef");
    QTest::newRow("cut in group") << QByteArray("{\\rtf1 abc{\\i x{\\b y") << QStringLiteral("abcxy");
    QTest::newRow("cut in escape") << QByteArray("{\\rtf1 ab\\'4") << QStringLiteral("ab");
    QTest::newRow("cut after backslash") << QByteArray("{\\rtf1 ab\\") << QStringLiteral("ab");
    QTest::newRow("cut in font table") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari") << QString();
    QTest::newRow("cut in binary") << QByteArray("{\\rtf1 ab\\bin100 xyz") << QStringLiteral("ab");
    QTest::newRow("closing too early") << QByteArray("{\\rtf1 abc}}def}") << QStringLiteral("abc");
    QTest::newRow("text after end") << QByteArray("{\\rtf1 abc} def") << QStringLiteral("abc");
    QTest::newRow("huge numbers") << QByteArray(
        "{\\rtf1 \\fs99999999999999 a\\u99999999999 b\\uc-5\\u65\\bin-3 c")
                                  // 'b' is the replacement character after the \u.
                                  << QStringLiteral("a") + QChar(0xFFFF) + QStringLiteral("Ac");
}

void TstRtfReader::malformed()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QTextDocument document;
    QString error;
    QVERIFY(!LoadRtf(rtf, document, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(document.toPlainText(), text);
    // A null error pointer is fine too.
    QVERIFY(!LoadRtf(rtf, document, nullptr));
}

void TstRtfReader::theDocumentsOwnMarksStayText()
{
    // U+FDD0 and U+FDD1 mark frames inside a text document: as text they would end the
    // paragraph. They read as the replacement character, in one paragraph.
    bool ok = false;
    QCOMPARE(Load("{\\rtf1 a\\u-560?b\\u-559?c}", &ok), QStringLiteral("a\uFFFDb\uFFFDc"));
    QVERIFY(ok);
}

void TstRtfReader::deepNesting()
{
    QByteArray rtf = "{\\rtf1 a";
    rtf += QByteArray(200000, '{');
    rtf += 'b';
    bool ok = true;
    QString error;
    const QString text = Load(rtf, &ok, &error);
    QVERIFY(!ok);
    QVERIFY(!error.isEmpty());
    QCOMPARE(text, QStringLiteral("a"));

    // Deep, but closed properly, is fine.
    QByteArray nested = "{\\rtf1 a" + QByteArray(500, '{') + "\\b b" + QByteArray(500, '}') + "c}";
    QCOMPARE(Load(nested, &ok), QStringLiteral("abc"));
    QVERIFY(ok);
}

void TstRtfReader::randomInputDoesNotCrash()
{
    QRandomGenerator random(4711);
    const QByteArray alphabet = "{}\\\\\\'*ubfsparlinetbcu0123456789-; ?\xe4\x80\r\n";
    const QByteArray valid = Write({{QStringLiteral("Ein Text mit äöü € und {Klammern}\n"), false},
                                    {QStringLiteral("fett\tTab"), true}});
    for (int round = 0; round < 2000; ++round) {
        QByteArray rtf;
        if (round % 2 == 0) {
            rtf = "{\\rtf1 ";
            const int length = random.bounded(200);
            for (int i = 0; i < length; ++i)
                rtf += alphabet.at(random.bounded(int(alphabet.size())));
        } else {
            // A valid document, damaged in a few places and perhaps cut off.
            rtf = valid;
            for (int i = random.bounded(4); i >= 0; --i)
                rtf[random.bounded(int(rtf.size()))] = char(random.bounded(256));
            rtf.truncate(random.bounded(int(rtf.size()) + 1));
        }
        QTextDocument document;
        QString error;
        const bool ok = LoadRtf(rtf, document, &error);
        QVERIFY(ok == error.isEmpty());
    }
}

void TstRtfReader::replacesDocument()
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("alter Inhalt"));
    QVERIFY(LoadRtf("{\\rtf1 neu}", document));
    QCOMPARE(document.toPlainText(), QStringLiteral("neu"));
    QVERIFY(!LoadRtf("kaputt", document));
    QVERIFY(document.isEmpty());
}

void TstRtfReader::toHtml()
{
    QString error;
    const QString html = RtfToHtml("{\\rtf1 normal \\b fett\\b0  \\i kursiv}", &error);
    QVERIFY(error.isEmpty());
    QTextDocument document;
    document.setHtml(html);
    QCOMPARE(document.toPlainText(), QStringLiteral("normal fett kursiv"));
    QVERIFY(FormatAt(document, 7).fontWeight() >= QFont::Bold);
    QVERIFY(FormatAt(document, 12).fontItalic());
    QVERIFY(!FormatAt(document, 0).fontItalic());

    RtfToHtml("{\\rtf1 abc", &error);
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(TstRtfReader)
#include "tst_RtfReader.moc"
