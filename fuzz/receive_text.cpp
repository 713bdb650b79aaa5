// What the receive view holds, without the widget, fed in pieces: paragraphs at executed
// breaks, characters beyond Latin-1 kept aside, bold runs, number flags, marks, snapshots
// and the files written from it. After every step the store must be consistent with itself.

#include "ReceiveOps.h"

#include "terminal/ReceiveText.h"

#include <QBuffer>

namespace {

struct TTextTarget
{
    TReceiveText Text;
    // A snapshot stays as it was while the text goes on.
    TReceiveText Snapshot;
    QString SnapshotText;

    void Append(const QString& aText, bool aBold) { Text.Append(aText, aBold); }
    void AppendNumbers(const QString& aText, const QByteArray& aNumbers)
    {
        Text.AppendNumbers(aText, aNumbers);
    }
    TReceiveMark End() const { return Text.End(); }
    void TruncateTo(const TReceiveMark& aMark)
    {
        const bool fits = Text.IsValidMark(aMark);
        if (Text.TruncateTo(aMark) != fits)
            fuzz::Fail("a fitting mark is cut back to, no other");
        const TReceiveMark end = Text.End();
        if (fits && aMark.Lines > 0
            && (end.Chars != aMark.Chars || end.Lines != aMark.Lines || end.PendingCr != aMark.PendingCr))
            fuzz::Fail("cut back, the text ends at the mark");
    }
    void DropFront(const TReceiveMark& aMark) { Text.DropFront(aMark); }
    void Clear() { Text.Clear(); }
    void Resize(int)
    {
        Snapshot = Text;
        SnapshotText = Text.Text();
    }
    void AfterOp() { Check(); }

    void Check() const
    {
        const qsizetype lines = Text.LineCount();
        if (lines > 0 && Text.ParagraphStart(0) != 0)
            fuzz::Fail("the first paragraph starts the text");
        for (qsizetype p = 0; p < lines; ++p)
            if (Text.ParagraphStart(p) > Text.ParagraphEnd(p))
                fuzz::Fail("paragraphs in order");
        if (lines > 0 && Text.ParagraphEnd(lines - 1) != Text.Size())
            fuzz::Fail("the last paragraph ends the text");
        if (lines == 0 && Text.Size() != 0)
            fuzz::Fail("characters belong to a paragraph");
        for (qint64 at = 0; at < Text.Size();) {
            const qint64 end = Text.StyleEnd(at, Text.Size());
            if (end <= at || end > Text.Size() || Text.BoldAt(end - 1) != Text.BoldAt(at))
                fuzz::Fail("style runs cover the text");
            at = end;
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureCoreApp();
    fuzz::TInput input(aData, aSize);
    TTextTarget target;
    fuzz::RunReceiveOps(input, target);

    const TReceiveText& text = target.Text;
    if (target.Snapshot.Text() != target.SnapshotText)
        fuzz::Fail("a snapshot stays as it was");
    QString lines;
    for (qsizetype p = 0; p < text.LineCount(); ++p) {
        if (p > 0)
            lines += QStringLiteral("\r\n");
        lines += text.Line(p);
    }
    const QString whole = text.Text();
    if (lines != whole || whole.size() != text.Size() + 2 * qMax<qsizetype>(0, text.LineCount() - 1))
        fuzz::Fail("the text is its lines", whole);
    for (qint64 i = 0; i < text.Size(); ++i)
        if (text.CharAt(i) != text.DisplayText(i, i + 1).at(0).unicode())
            fuzz::Fail("a character reads alike one by one and in a range");

    // The same text appended at once.
    TReceiveText fresh;
    fresh.Append(whole, false);
    if (fresh.Text() != whole || (!text.IsEmpty() && fresh.LineCount() != text.LineCount()))
        fuzz::Fail("the text appended at once gives the same lines", whole);

    QBuffer plain;
    plain.open(QIODevice::WriteOnly);
    QBuffer rtf;
    rtf.open(QIODevice::WriteOnly);
    if (!text.SaveText(&plain) || !text.SaveRtf(&rtf, QStringLiteral("Courier New"), 8))
        fuzz::Fail("saving into memory works");
    bool latin1 = true;
    for (QChar c : whole)
        latin1 = latin1 && c.unicode() < 256;
    if (plain.data() != (latin1 ? whole.toLatin1() : whole.toUtf8()))
        fuzz::Fail("the text file holds the text", whole);
    return 0;
}
