// Colouring of command texts: how a line is split into tokens, what a line leaves open for
// the next, and the formats that reach the document.
#include "commands/ParamHighlight.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

namespace {

// Tokens written as "kind:text" joined by "|", so a row reads like the line it splits.
QString Describe(const QString& aLine, TRangeState& aRange)
{
    static const char* names[] = {"begin", "comment", "ident", "key", "null", "param", "string", "unknown"};
    QStringList parts;
    for (const TParamTokenizer::TToken& token : TParamTokenizer::Tokenize(aLine, aRange))
        parts << QString::fromLatin1(names[token.Kind]) + u':' + aLine.mid(token.Pos, token.Length);
    return parts.join(u'|');
}

// Bold, italic and colour ("-" for the editor's own) of one character, e.g. "bi#000080".
QString Look(QTextDocument& aDocument, int aBlock, int aColumn)
{
    QTextCharFormat format;
    for (const QTextLayout::FormatRange& range : aDocument.findBlockByNumber(aBlock).layout()->formats())
        if (range.start <= aColumn && aColumn < range.start + range.length)
            format = range.format;
    return QString(format.fontWeight() >= QFont::Bold ? "b" : "") + (format.fontItalic() ? "i" : "")
        + (format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color().name()
                                                            : QStringLiteral("-"));
}

} // namespace

Q_DECLARE_METATYPE(TRangeState)

class TstParamHighlight : public QObject
{
    Q_OBJECT

private slots:
    void tokens_data();
    void tokens();
    void markupColours();
    void commentsSpanBlocks();
};

void TstParamHighlight::tokens_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<TRangeState>("start");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<TRangeState>("end");

    QTest::newRow("markup") << "AT/Param Name=\"Baud\" Default=\"9600\" /Param/cr/" << rsUnKnown
                            << "ident:AT|ident:/|begin:Param|unknown: |param:Name|unknown:=|"
                               "string:\"Baud\"|unknown: |param:Default|unknown:=|string:\"9600\"|"
                               "unknown: |ident:/|begin:Param|ident:/|ident:cr|ident:/"
                            << rsUnKnown;
    QTest::newRow("keywords ignore case, only whole words")
        << "PARAM gRoUp hello Names _x1 12" << rsUnKnown
        << "begin:PARAM|unknown: |param:gRoUp|unknown: |key:hello|unknown: |ident:Names|unknown: |"
           "ident:_x1|unknown: |unknown:1|unknown:2"
        << rsUnKnown;
    QTest::newRow("string ends with the line")
        << "a\"b{c" << rsUnKnown << "ident:a|string:\"b{c" << rsUnKnown;
    QTest::newRow("string stops at a line break")
        << "\"a\r\nb" << rsUnKnown << "string:\"a|unknown:\r\n|ident:b" << rsUnKnown;
    QTest::newRow("a string state opens nothing") << "x\"" << rsString << "ident:x|string:\"" << rsUnKnown;
    QTest::newRow("brace comment") << "a{b c}d" << rsUnKnown << "ident:a|comment:{|comment:b c}|ident:d"
                                   << rsUnKnown;
    QTest::newRow("brace comment stays open")
        << "a{b*/" << rsUnKnown << "ident:a|comment:{|comment:b*/" << rsBraceComment;
    QTest::newRow("brace comment closes")
        << "b}\"c\"" << rsBraceComment << "comment:b}|string:\"c\"" << rsUnKnown;
    QTest::newRow("c comment") << "a/*b*/c" << rsUnKnown << "ident:a|comment:/*|comment:b*/|ident:c"
                               << rsUnKnown;
    QTest::newRow("slash star slash stays open")
        << "/*/" << rsUnKnown << "comment:/*|comment:/" << rsCStyleComment;
    QTest::newRow("c comment ignores brace") << "x}" << rsCStyleComment << "comment:x}" << rsCStyleComment;
    QTest::newRow("line break inside comment")
        << "a\nb*/Param" << rsCStyleComment << "comment:a|unknown:\n|comment:b*/|begin:Param" << rsUnKnown;
    QTest::newRow("empty line keeps comment") << "" << rsBraceComment << "" << rsBraceComment;
}

void TstParamHighlight::tokens()
{
    QFETCH(QString, line);
    QFETCH(TRangeState, start);
    QFETCH(QString, expected);
    QFETCH(TRangeState, end);
    TRangeState range = start;
    QCOMPARE(Describe(line, range), expected);
    QCOMPARE(range, end);
}

void TstParamHighlight::markupColours()
{
    QTextDocument document;
    document.documentLayout(); // without a layout the document reports no changes
    TParamHighlight highlight(&document);
    const QString text = QStringLiteral("AT/Param Name=\"Baud\" Default=\"9600\" /Param/cr/ {x}");
    document.setPlainText(text);

    QCOMPARE(Look(document, 0, text.indexOf(u"Param")), QStringLiteral("b#800000"));
    QCOMPARE(Look(document, 0, text.indexOf(u"Name")), QStringLiteral("bi#000080"));
    QCOMPARE(Look(document, 0, text.indexOf(u"Default")), QStringLiteral("bi#000080"));
    QCOMPARE(Look(document, 0, text.indexOf(u"9600")), QStringLiteral("#ff0000"));
    QCOMPARE(Look(document, 0, text.indexOf(u"x}")), QStringLiteral("i#008000"));
    for (const char* plain : {"AT", "/", "=", "cr"})
        QVERIFY2(Look(document, 0, text.indexOf(QLatin1String(plain))) == u"-", plain);
}

void TstParamHighlight::commentsSpanBlocks()
{
    QTextDocument document;
    document.documentLayout();
    TParamHighlight highlight(&document);
    document.setPlainText(QStringLiteral("a{b\nName}Name\n/* x\ny */ Name"));
    QCOMPARE(Look(document, 1, 0), QStringLiteral("i#008000"));
    QCOMPARE(Look(document, 1, 5), QStringLiteral("bi#000080"));
    QCOMPARE(Look(document, 3, 0), QStringLiteral("i#008000"));
    QCOMPARE(Look(document, 3, 6), QStringLiteral("bi#000080"));

    // Removing the brace changes what the first line hands on: the next is coloured anew.
    QTextCursor cursor(&document);
    cursor.setPosition(1);
    cursor.deleteChar();
    QCOMPARE(Look(document, 1, 0), QStringLiteral("bi#000080"));
    QCOMPARE(Look(document, 1, 4), QStringLiteral("-"));
}

QTEST_MAIN(TstParamHighlight)
#include "tst_ParamHighlight.moc"
