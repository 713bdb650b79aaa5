// What the receive view saves as RTF reads back as it was written: the same characters
// (control characters as the pictures the view draws, line breaks as paragraphs) and the
// same boldness. The first byte says how the rest becomes characters: one per byte as
// received, or UTF-16 as a text beyond Latin-1. Runs are split at bytes 0xFF / U+FFFF, each
// following character switching bold on or off.

#include "FuzzGui.h"

#include "scripting/RtfReader.h"
#include "terminal/RtfWriter.h"

#include <QBuffer>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A character as the reader gives it back, '\n' for a paragraph break; aBold receives the
// boldness of the run each came from.
QString Expected(const QString& aText, const QList<bool>& aRunBold, QList<bool>& aBold)
{
    QString expected;
    for (qsizetype i = 0; i < aText.size(); ++i) {
        const char16_t c = aText[i].unicode();
        if (c == u'\r' || c == u'\n' || c == 0x2029) {
            if (c == u'\r' && i + 1 < aText.size() && aText[i + 1] == u'\n')
                ++i;
            expected += u'\n';
        } else if (c < 0x20 && c != u'\t') {
            expected += QChar(char16_t(0x2400 + c));
        } else if (c == 0x7F) {
            expected += QChar(char16_t(0x2421));
        } else if (c == 0xFDD0 || c == 0xFDD1) {
            expected += QChar(char16_t(0xFFFD)); // the document's own frame marks
        } else {
            expected += QChar(c);
        }
        aBold.resize(expected.size(), aRunBold.value(i));
    }
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureGuiApp();
    if (aSize == 0)
        return 0;
    const QByteArray bytes = fuzz::AsBytes(aData + 1, aSize - 1);
    const QString text = aData[0] & 1
        ? QString(reinterpret_cast<const QChar*>(bytes.constData()), bytes.size() / 2)
        : QString::fromLatin1(bytes);

    QByteArray rtf;
    QBuffer out(&rtf);
    out.open(QIODevice::WriteOnly);
    TRtfWriter writer(&out);
    writer.Begin(QStringLiteral("DejaVu Sans Mono"), 1 + aData[0] / 2);
    const QChar split = aData[0] & 1 ? QChar(0xFFFF) : QChar(0xFF);
    QString written;
    QList<bool> runBold; // per character of written
    bool bold = false;
    for (const QString& run : text.split(split)) {
        writer.Text(run, bold);
        written += run;
        runBold.resize(written.size(), bold);
        bold = !bold;
    }
    if (aData[0] & 2)
        writer.EndParagraph();
    if (!writer.End())
        fuzz::Fail("writing into memory works");

    QTextDocument document;
    QString error;
    if (!LoadRtf(rtf, document, &error))
        fuzz::Fail("what the writer wrote reads", error + QLatin1Char('\n') + QString::fromLatin1(rtf));
    QStringList blocks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        blocks << block.text();
    const QString read = blocks.join(u'\n');
    QList<bool> expectedBold;
    QString expected = Expected(written, runBold, expectedBold);
    // A paragraph ended on its own is one more, whatever came before it.
    if (aData[0] & 2)
        expected += u'\n';
    if (read != expected)
        fuzz::Fail("the text reads back as written",
                   QStringLiteral("expected %1\nread     %2\nrtf      %3")
                       .arg(QString::fromLatin1(expected.toUtf8().toPercentEncoding()),
                            QString::fromLatin1(read.toUtf8().toPercentEncoding()),
                            QString::fromLatin1(rtf)));

    // Breaks belong to whichever run is around them; every other character keeps its run's.
    qsizetype at = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++at)
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const bool fragmentBold = fragment.charFormat().fontWeight() >= QFont::Bold;
            for (qsizetype i = 0; i < fragment.length(); ++i, ++at)
                if (fragmentBold != expectedBold.value(at))
                    fuzz::Fail("each character keeps its boldness", QString::number(at));
        }
    return 0;
}
