// The receive view fed in pieces with resizes in between, as a port delivers data while the
// user drags the window. Appending wraps only the tail; the rows must be those a full wrap of
// the same text at the same width gives. That check runs before every resize and at the end;
// VARNEX_FUZZ_WRAP_CHECK=0 in the environment (or defining it as 0 when building) turns it
// off, to look for other faults behind a known one.

#include "FuzzGui.h"
#include "ReceiveOps.h"

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

struct TViewTarget
{
    TReceiveView& View;

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
    void AfterOp() {}

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
    fuzz::RunReceiveOps(input, target);
    target.CheckWrap();

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
