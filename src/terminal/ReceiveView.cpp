#include "terminal/ReceiveView.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kMargin = 4;
// The character stored for a position whose real character lives in the wide table.
constexpr char kWidePlaceholder = '\x1A';

// How a stored character is drawn: control characters as their control pictures.
QChar Shown(uchar aChar)
{
    if (aChar < 32 && aChar != '\t')
        return QChar(char16_t(0x2400 + aChar));
    if (aChar == 127)
        return QChar(char16_t(0x2421));
    return QChar(char16_t(aChar));
}

} // namespace

TReceiveView::TReceiveView(QWidget* aParent)
    : QAbstractScrollArea(aParent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Button);
    viewport()->setAutoFillBackground(true);
    UpdateMetrics();
    FRuns.append({0, false});
}

void TReceiveView::UpdateMetrics()
{
    const QFontMetricsF metrics(font());
    for (int c = 0; c < 256; ++c)
        FAdvance[size_t(c)] = metrics.horizontalAdvance(Shown(uchar(c)));
    FTabWidth = qMax(1.0, 8 * metrics.horizontalAdvance(QLatin1Char(' ')));
    FLineHeight = qMax(1, int(std::ceil(metrics.lineSpacing())));
    FAscent = int(std::ceil(metrics.ascent()));
}

double TReceiveView::Advance(uchar aChar, double aX) const
{
    if (aChar == '\t')
        return FTabWidth - std::fmod(aX, FTabWidth);
    return FAdvance[aChar];
}

qsizetype TReceiveView::LineCount() const
{
    return FParagraphs.size();
}

qint64 TReceiveView::ParagraphEnd(qsizetype aParagraph) const
{
    return aParagraph + 1 < FParagraphs.size() ? FParagraphs[aParagraph + 1] : FText.size();
}

qint64 TReceiveView::RowEnd(qsizetype aRow) const
{
    const qint64 paragraphEnd = ParagraphEnd(FRows[aRow].Paragraph);
    if (aRow + 1 < FRows.size() && FRows[aRow + 1].Paragraph == FRows[aRow].Paragraph)
        return FRows[aRow + 1].Start;
    return paragraphEnd;
}

QString TReceiveView::DisplayText(qint64 aFrom, qint64 aTo) const
{
    QString result = QString::fromLatin1(FText.constData() + aFrom, aTo - aFrom);
    if (!FWide.isEmpty())
        for (qint64 i = aFrom; i < aTo; ++i)
            if (FText[i] == kWidePlaceholder && FWide.contains(i))
                result[i - aFrom] = QChar(FWide.value(i));
    return result;
}

QString TReceiveView::Line(qsizetype aIndex) const
{
    return DisplayText(FParagraphs[aIndex], ParagraphEnd(aIndex));
}

QString TReceiveView::Text() const
{
    QString result;
    result.reserve(FText.size() + 2 * FParagraphs.size());
    for (qsizetype i = 0; i < FParagraphs.size(); ++i) {
        if (i > 0)
            result += QStringLiteral("\r\n");
        result += Line(i);
    }
    return result;
}

void TReceiveView::Clear()
{
    FText.clear();
    FWide.clear();
    FParagraphs.clear();
    FRows.clear();
    FRuns.clear();
    FRuns.append({0, false});
    FPendingCr = false;
    UpdateScrollBars();
    viewport()->update();
}

void TReceiveView::StartParagraph()
{
    FParagraphs.append(FText.size());
}

void TReceiveView::AppendChars(QStringView aText)
{
    if (aText.isEmpty())
        return;
    const qint64 base = FText.size();
    FText.resize(base + aText.size());
    char* out = FText.data() + base;
    for (qsizetype i = 0; i < aText.size(); ++i) {
        const char16_t c = aText[i].unicode();
        if (c < 256) {
            out[i] = char(c);
        } else {
            out[i] = kWidePlaceholder;
            FWide.insert(base + i, c);
        }
    }
}

void TReceiveView::AppendText(QStringView aText, bool aBold)
{
    if (aText.isEmpty())
        return;
    const bool wasAtEnd = IsAtEnd();
    if (FRuns.last().Bold != aBold) {
        if (FRuns.last().Start == FText.size())
            FRuns.last().Bold = aBold;
        else
            FRuns.append({FText.size(), aBold});
    }
    // Rows before the last one cannot change: only the tail is wrapped again.
    const bool hadRows = !FRows.isEmpty();
    const TRow resume = hadRows ? FRows.last() : TRow{0, 0};
    const qsizetype keptRows = hadRows ? FRows.size() - 1 : 0;

    qsizetype i = 0;
    if (FPendingCr && aText.front() == u'\n')
        i = 1; // the LF of a CR LF split over two reads
    FPendingCr = false;
    if (FParagraphs.isEmpty())
        StartParagraph();
    while (i < aText.size()) {
        qsizetype j = i;
        while (j < aText.size() && aText[j] != u'\r' && aText[j] != u'\n')
            ++j;
        AppendChars(aText.sliced(i, j - i));
        if (j == aText.size())
            break;
        if (aText[j] == u'\r') {
            if (j + 1 < aText.size() && aText[j + 1] == u'\n')
                ++j;
            else if (j + 1 == aText.size())
                FPendingCr = true;
        }
        StartParagraph();
        i = j + 1;
    }

    FRows.resize(keptRows);
    WrapParagraph(resume.Paragraph, resume.Start);
    for (qsizetype p = resume.Paragraph + 1; p < FParagraphs.size(); ++p)
        WrapParagraph(qint32(p), FParagraphs[p]);

    UpdateScrollBars();
    if (FAutoScroll || wasAtEnd)
        ScrollToEnd();
    viewport()->update();
}

void TReceiveView::WrapParagraph(qint32 aParagraph, qint64 aFrom)
{
    const qint64 end = ParagraphEnd(aParagraph);
    const double width = FWrapWidth;
    const uchar* text = reinterpret_cast<const uchar*>(FText.constData());
    qint64 rowStart = aFrom;
    FRows.append({rowStart, aParagraph});
    if (width <= 0)
        return;
    double x = 0;
    qint64 lastBlank = -1;
    for (qint64 i = aFrom; i < end; ++i) {
        const uchar c = text[i];
        const double advance = Advance(c, x);
        if (x + advance > width && i > rowStart) {
            // Break after the last blank of the row if there is one, else at this character.
            const qint64 breakAt = lastBlank >= rowStart ? lastBlank + 1 : i;
            rowStart = breakAt;
            FRows.append({rowStart, aParagraph});
            lastBlank = -1;
            x = 0;
            for (qint64 k = rowStart; k < i; ++k)
                x += Advance(text[k], x);
        }
        x += Advance(c, x);
        if (c == ' ')
            lastBlank = i;
    }
}

void TReceiveView::RewrapAll()
{
    FRows.clear();
    FRows.reserve(FParagraphs.size());
    for (qsizetype p = 0; p < FParagraphs.size(); ++p)
        WrapParagraph(qint32(p), FParagraphs[p]);
    UpdateScrollBars();
}

int TReceiveView::VisibleRows() const
{
    return qMax(1, (viewport()->height() - kMargin) / FLineHeight);
}

void TReceiveView::UpdateScrollBars()
{
    const qsizetype rows = FRows.size();
    const int visible = VisibleRows();
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, int(qMax<qsizetype>(0, rows - visible)));
}

bool TReceiveView::IsAtEnd() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void TReceiveView::ScrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool TReceiveView::BoldAt(qint64 aPos) const
{
    auto it = std::upper_bound(FRuns.cbegin(), FRuns.cend(), aPos,
                               [](qint64 pos, const TStyleRun& run) { return pos < run.Start; });
    return it == FRuns.cbegin() ? false : std::prev(it)->Bold;
}

void TReceiveView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const int first = verticalScrollBar()->value();
    const int visible = VisibleRows() + 1;
    QFont bold = font();
    bold.setBold(true);
    for (int r = first; r < first + visible && r < FRows.size(); ++r) {
        const int y = kMargin + (r - first) * FLineHeight + FAscent;
        qint64 from = FRows[r].Start;
        const qint64 to = RowEnd(r);
        double x = kMargin;
        while (from < to) {
            // Draw the row run by run (bold and normal), tabs by position.
            const bool isBold = BoldAt(from);
            auto next = std::upper_bound(FRuns.cbegin(), FRuns.cend(), from,
                                         [](qint64 pos, const TStyleRun& run) { return pos < run.Start; });
            qint64 runEnd = next == FRuns.cend() ? to : qMin(to, next->Start);
            painter.setFont(isBold ? bold : font());
            qint64 k = from;
            while (k < runEnd) {
                qint64 stop = k;
                while (stop < runEnd && FText[stop] != '\t')
                    ++stop;
                if (stop > k) {
                    QString piece = DisplayText(k, stop);
                    for (QChar& ch : piece)
                        if (ch.unicode() < 256)
                            ch = Shown(uchar(ch.unicode()));
                    painter.drawText(QPointF(x, y), piece);
                    for (qint64 m = k; m < stop; ++m)
                        x += Advance(uchar(FText[m]), x - kMargin);
                }
                if (stop < runEnd) {
                    x += Advance('\t', x - kMargin);
                    ++stop;
                }
                k = stop;
            }
            from = runEnd;
        }
    }
}

void TReceiveView::resizeEvent(QResizeEvent* aEvent)
{
    QAbstractScrollArea::resizeEvent(aEvent);
    const double width = qMax(1, viewport()->width() - 2 * kMargin);
    const bool atEnd = IsAtEnd();
    if (width != FWrapWidth) {
        FWrapWidth = width;
        RewrapAll();
    } else {
        UpdateScrollBars();
    }
    if (atEnd)
        ScrollToEnd();
}

void TReceiveView::changeEvent(QEvent* aEvent)
{
    QAbstractScrollArea::changeEvent(aEvent);
    if (aEvent->type() == QEvent::FontChange) {
        UpdateMetrics();
        RewrapAll();
        viewport()->update();
    }
}

