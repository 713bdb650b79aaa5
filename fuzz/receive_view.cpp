// The receive view fed in pieces with resizes in between, as a port delivers data while the
// user drags the window. Appending wraps only the tail; the rows must be those a full wrap of
// the same text at the same width gives. That check runs before every resize and at the end;
// VARNEX_FUZZ_WRAP_CHECK=0 in the environment (or defining it as 0 when building) turns it
// off, to look for other faults behind a known one.
//
// Meanwhile the view's search runs in tiny slices and steps back and forth: its current match
// must always be a match, and at the end the count and the match's number must be those a
// plain search of the shown lines gives.

#include "FuzzGui.h"
#include "ReceiveOps.h"

#include "terminal/ReceiveMatcher.h"
#include "terminal/ReceiveSearch.h"
#include "terminal/ReceiveView.h"

#include <QBuffer>
#include <QImage>
#include <QResizeEvent>

#ifndef VARNEX_FUZZ_WRAP_CHECK
#define VARNEX_FUZZ_WRAP_CHECK 1
#endif

namespace {

bool WrapCheckOn()
{
    static const bool on = VARNEX_FUZZ_WRAP_CHECK && qEnvironmentVariable("VARNEX_FUZZ_WRAP_CHECK") != u"0";
    return on;
}

QString Describe(const QList<qint64>& aRows)
{
    QStringList starts;
    for (qint64 start : aRows)
        starts << QString::number(start);
    return starts.join(u',');
}

// What a plain search finds: the starts of every occurrence in the shown lines, overlapping.
QList<qint64> PlainMatches(const TReceiveView& aView, const QString& aPattern, bool aCaseSensitive)
{
    auto shown = [aCaseSensitive](const QString& aText, bool aStored) {
        QString result;
        for (QChar c : aText) {
            const char16_t glyph = aStored ? TReceiveText::ShownChar(c.unicode()) : c.unicode();
            result += aCaseSensitive ? QChar(glyph) : QChar(char16_t(QChar::toCaseFolded(char32_t(glyph))));
        }
        return result;
    };
    const QString pattern = shown(aPattern, false);
    QList<qint64> starts;
    for (qsizetype line = 0; line < aView.LineCount(); ++line) {
        const QString text = shown(aView.Line(line), true);
        for (qsizetype at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern, at + 1))
            starts << aView.Content().ParagraphStart(line) + at;
    }
    return starts;
}

struct TViewTarget
{
    TReceiveView& View;
    int Ops = 0;

    void Append(const QString& aText, bool aBold) { View.AppendText(aText, aBold); }
    void AppendNumbers(const QString& aText, const QByteArray& aNumbers)
    {
        View.AppendNumbersToReceive(aText, aNumbers);
    }
    TReceiveMark End() const { return View.ReceiveEnd(); }
    void TruncateTo(const TReceiveMark& aMark) { View.TruncateTo(aMark); }
    void DropFront(const TReceiveMark& aMark) { View.DropFront(aMark); }
    void Clear() { View.Clear(); }
    // From a few pixels (narrower than one character) to wider than most lines.
    void Resize(int aWidth)
    {
        CheckWrap();
        const QSize old = View.size();
        View.resize(2 + aWidth * 2, 60);
        // A hidden widget gets its resize only when shown: deliver it now.
        QResizeEvent event(View.size(), old);
        QCoreApplication::sendEvent(&View, &event);
    }
    void AfterOp()
    {
        TReceiveSearch* search = View.Search();
        if (++Ops % 3 == 0)
            search->FindNext(0);
        else if (Ops % 5 == 0)
            search->FindPrevious(0);
        else
            search->Continue();
        CheckCurrent();
    }

    void CheckCurrent()
    {
        const TReceiveSearch* search = View.Search();
        const TReceiveSearch::TMatch current = search->Current();
        if (current.IsValid()
            && !TReceiveMatcher(Pattern, CaseSensitive).IsMatchAt(View.Content(), current.Start))
            fuzz::Fail("the current match is a match", QStringLiteral("at %1").arg(current.Start));
    }

    void CheckCount()
    {
        TReceiveSearch* search = View.Search();
        while (search->Continue()) {
        }
        CheckCurrent();
        const QList<qint64> plain = PlainMatches(View, Pattern, CaseSensitive);
        if (search->Count() != plain.size())
            fuzz::Fail("the count is that of a plain search",
                       QStringLiteral("%1 vs %2").arg(search->Count()).arg(plain.size()));
        const TReceiveSearch::TMatch current = search->Current();
        if (current.IsValid() && search->CurrentNumber() != plain.indexOf(current.Start) + 1)
            fuzz::Fail("the current match's number is its place",
                       QStringLiteral("%1 vs %2")
                           .arg(search->CurrentNumber())
                           .arg(plain.indexOf(current.Start) + 1));
        if (!current.IsValid() && !plain.isEmpty())
            fuzz::Fail("a match is found when there is one");
    }

    QString Pattern;
    bool CaseSensitive = false;

    void CheckWrap()
    {
        if (!WrapCheckOn())
            return;
        const QList<qint64> incremental = View.RowStarts();
        // A font change wraps everything again at the same width.
        QEvent fontChange(QEvent::FontChange);
        QCoreApplication::sendEvent(&View, &fontChange);
        const QList<qint64> full = View.RowStarts();
        if (incremental != full)
            fuzz::Fail("appending wraps as a full wrap does",
                       QStringLiteral("width %1\nincremental %2\nfull        %3\ntext %4")
                           .arg(View.viewport()->width())
                           .arg(Describe(incremental), Describe(full),
                                QString::fromLatin1(View.Text().toUtf8().toPercentEncoding())));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureGuiApp();
    fuzz::TInput input(aData, aSize);
    TReceiveView view;
    view.SetAutoScroll(input.Byte() & 1);
    TViewTarget target{view};
    target.Resize(input.Byte());
    const uint8_t searchFlags = input.Byte();
    target.CaseSensitive = searchFlags & 1;
    const QByteArray pattern = input.Bytes(1 + ((searchFlags >> 1) & 3) % 3);
    target.Pattern = searchFlags & 0x40 ? QString::fromUtf8(pattern) : QString::fromLatin1(pattern);
    view.Search()->SetOnEventLoop(false);
    view.Search()->SetSlice(1 + ((searchFlags >> 3) & 7), -1);
    view.Search()->Start(target.Pattern, target.CaseSensitive, 0);
    fuzz::RunReceiveOps(input, target);
    target.CheckWrap();
    target.CheckCount();

    // What the user does with it at the end: look, select, copy out, save.
    if (!view.viewport()->size().isEmpty()) {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
    }
    view.SetCaretPosition(view.DocumentLength() / 2, false);
    view.SetCaretPosition(view.DocumentLength(), true);
    view.SelectedText();
    QBuffer rtf;
    rtf.open(QIODevice::WriteOnly);
    if (!view.SaveRtf(&rtf))
        fuzz::Fail("saving into memory works");
    return 0;
}
