#include "terminal/ReceiveView.h"

#include "notation/StringEncoder.h"
#include "terminal/ReceiveSearch.h"

#include <QAction>
#include <QApplication>
#include <QScopedValueRollback>
#include <QTimer>
#include <QClipboard>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QGlyphRun>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>

#include <algorithm>
#include <cstring>
#include <cmath>

namespace {

constexpr int kMargin = 4;

// Padding on each side of a byte drawn as a box, in pixels.
constexpr qreal kPicturePadding = 2;

QString HexPicture(uchar aByte)
{
    return QStringLiteral("%1").arg(aByte, 2, 16, QLatin1Char('0')).toUpper();
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
    viewport()->setCursor(Qt::IBeamCursor);
    FMetrics = MeasureFont(font(), nullptr);
    FPaintTimer = new QTimer(this);
    FPaintTimer->setSingleShot(true);
    connect(FPaintTimer, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    const QFontMetricsF metrics(font());
    FLineHeight = qMax(1, int(std::ceil(metrics.lineSpacing())));
    FAscent = int(std::ceil(metrics.ascent()));

    FCopyAction = new QAction(QStringLiteral("Kopieren"), this);
    FCopyAction->setShortcut(QKeySequence::Copy);
    FCopyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(FCopyAction, &QAction::triggered, this, [this] { Copy(); });
    FSelectAllAction = new QAction(QStringLiteral("Alles markieren"), this);
    FSelectAllAction->setShortcut(QKeySequence::SelectAll);
    FSelectAllAction->setShortcutContext(Qt::WidgetShortcut);
    connect(FSelectAllAction, &QAction::triggered, this, [this] { SelectAll(); });
    addActions({FCopyAction, FSelectAllAction});
    setContextMenuPolicy(Qt::ActionsContextMenu);

    FSearch = new TReceiveSearch(FContent, this);
    connect(FSearch, &TReceiveSearch::Progress, viewport(), qOverload<>(&QWidget::update));
    connect(FSearch, &TReceiveSearch::CurrentChanged, this, &TReceiveView::ShowCurrentMatch);
}

QColor TReceiveView::MatchColor()
{
    return QColor(0xFF, 0xEE, 0x99);
}

QColor TReceiveView::CurrentMatchColor()
{
    return QColor(0xFF, 0x99, 0x33);
}

// --- Metrics and wrapping ------------------------------------------------------------------

TReceiveView::TMetrics TReceiveView::MeasureFont(const QFont& aFont, const QPaintDevice* aDevice)
{
    const QFontMetricsF metrics(aFont, aDevice);
    TMetrics result;
    result.PictureFont = aFont;
    result.PictureFont.setBold(false);
    result.PictureFont.setPointSizeF(qMax(4.0, aFont.pointSizeF() * 0.6));
    const QFontMetricsF pictureMetrics(result.PictureFont, aDevice);
    for (int c = 0; c < 256; ++c) {
        TByteLook& look = result.Look[size_t(c)];
        char16_t glyph = char16_t(c);
        if (c < 32)
            look.Picture = QString::fromLatin1(TStringEncoder::ControlNames[size_t(c)].data(),
                                               qsizetype(TStringEncoder::ControlNames[size_t(c)].size()))
                               .toUpper();
        else if (c == 0x7F)
            look.Picture = QStringLiteral("DEL");
        else if (c == 0xA0)
            look.Picture = QStringLiteral("NBSP");
        else if (c == 0xAD)
            look.Picture = QStringLiteral("SHY");
        else if (c >= 0x80 && c < 0xA0)
            // Code page 1252's glyph; the places it leaves unused get a box with the number.
            glyph = TReceiveText::ShownChar(char16_t(c)) == c ? 0 : TReceiveText::ShownChar(char16_t(c));
        if (look.Picture.isEmpty() && (glyph == 0 || !metrics.inFontUcs4(glyph)))
            look.Picture = HexPicture(uchar(c));
        const qreal width = look.Picture.isEmpty()
            ? metrics.horizontalAdvance(QChar(glyph))
            : pictureMetrics.horizontalAdvance(look.Picture) + 2 * kPicturePadding;
        look.Glyph = QChar(glyph);
        result.Advance[size_t(c)] = qint32(std::lround(width * 64));
    }
    result.TabWidth = qMax(64, qint32(std::lround(8 * metrics.horizontalAdvance(QLatin1Char(' ')) * 64)));
    for (int c = 0; c < 256; ++c)
        if (c != '\t')
            result.MaxPlainAdvance = qMax(result.MaxPlainAdvance, result.Advance[size_t(c)]);
    result.MaxAdvance = qMax(result.TabWidth, result.MaxPlainAdvance);
    if (!aDevice) {
        QFont bold = aFont;
        bold.setBold(true);
        result.Raw = QRawFont::fromFont(aFont);
        result.RawBold = QRawFont::fromFont(bold);
        if (result.Raw.isValid() && result.RawBold.isValid()) {
            QString chars(256, QLatin1Char(' '));
            for (int c = 0; c < 256; ++c)
                if (result.Look[size_t(c)].Picture.isEmpty() && c != '\t')
                    chars[c] = result.Look[size_t(c)].Glyph;
            const QList<quint32> normal = result.Raw.glyphIndexesForString(chars);
            const QList<quint32> boldIds = result.RawBold.glyphIndexesForString(chars);
            if (normal.size() == 256 && boldIds.size() == 256) {
                std::copy(normal.cbegin(), normal.cend(), result.GlyphId.begin());
                std::copy(boldIds.cbegin(), boldIds.cend(), result.BoldGlyphId.begin());
                result.UseGlyphs = true;
            }
        }
        for (int c = 0; c < 256; ++c) {
            const QString& label = result.Look[size_t(c)].Picture;
            if (label.isEmpty())
                continue;
            QStaticText& text = result.PictureText[size_t(c)];
            text.setText(label);
            text.setTextFormat(Qt::PlainText);
            text.prepare(QTransform(), result.PictureFont);
        }
    }
    return result;
}

// Most received lines are shorter than the view is wide: that is found by adding up their
// advances, far quicker than wrapping them character by character.
bool TReceiveView::FitsInOneRow(const uchar* aText, qint64 aCount, qint32 aWidth, const TMetrics& aMetrics)
{
    if (aCount * aMetrics.MaxAdvance <= aWidth)
        return true;
    if (std::memchr(aText, '\t', size_t(aCount)))
        return false; // a tab's advance depends on where it stands
    qint64 x = 0;
    for (qint64 i = 0; i < aCount; ++i) {
        x += aMetrics.Advance[aText[i]];
        if ((i & 63) == 63 && x > aWidth)
            return false;
    }
    return x <= aWidth;
}

template <class TRowSink>
void TReceiveView::WrapRange(qint64 aFrom, qint64 aEnd, qint32 aWidth, const TMetrics& aMetrics,
                             TRowSink&& aSink) const
{
    const uchar* text = FContent.Bytes();
    qint64 rowStart = aFrom;
    aSink(rowStart);
    if (aWidth <= 0 || FitsInOneRow(text + aFrom, aEnd - aFrom, aWidth, aMetrics))
        return;
    // A row is wrapped from its start alone: after a break the scan starts over at the new
    // row, so wrapping a paragraph in one go and resuming at its last row (as appends do)
    // give the same rows, whatever pieces the data came in.
    if (std::memchr(text + aFrom, '\t', size_t(aEnd - aFrom))) {
        // a tab's advance depends on where it stands: character by character
        qint32 x = 0;
        qint64 lastBlank = -1;
        for (qint64 i = aFrom; i < aEnd; ++i) {
            const uchar c = text[i];
            const qint32 advance = aMetrics.AdvanceAt(c, x);
            if (x + advance > aWidth && i > rowStart) {
                // Break after the last blank of the row if there is one, else at this character.
                rowStart = lastBlank >= rowStart ? lastBlank + 1 : i;
                aSink(rowStart);
                lastBlank = -1;
                x = 0;
                i = rowStart - 1;
                continue;
            }
            x += advance;
            if (c == ' ')
                lastBlank = i;
        }
        return;
    }
    // Without tabs the same rule, faster: characters that fit whatever they are are added up
    // in blocks, and the last blank is looked for only where a row breaks.
    // widest rounded up to a power of two: a shift instead of a division, at worst half as far
    int shift = 0;
    while ((qint32(1) << shift) < aMetrics.MaxPlainAdvance)
        ++shift;
    qint32 x = 0;
    qint64 i = aFrom;
    while (i < aEnd) {
        const qint64 sure = qMin<qint64>((aWidth - x) >> shift, aEnd - i);
        if (sure > 1) {
            for (const qint64 stop = i + sure; i < stop; ++i)
                x += aMetrics.Advance[text[i]];
            continue;
        }
        const qint32 advance = aMetrics.Advance[text[i]];
        if (x + advance > aWidth && i > rowStart) {
            // Break after the last blank of the row if there is one, else at this character.
            qint64 blank = i - 1;
            while (blank >= rowStart && text[blank] != ' ')
                --blank;
            rowStart = blank >= rowStart ? blank + 1 : i;
            aSink(rowStart);
            x = 0;
            i = rowStart;
            continue;
        }
        x += advance;
        ++i;
    }
}

void TReceiveView::WrapParagraph(qint32 aParagraph, qint64 aFrom)
{
    WrapRange(aFrom, ParagraphEnd(aParagraph), FWrapWidth, FMetrics, [this, aParagraph](qint64 aStart) {
        FRows.append({aStart, aParagraph});
    });
}

void TReceiveView::RewrapAll()
{
    FRows.clear();
    FRows.reserve(FContent.LineCount());
    for (qsizetype p = 0; p < FContent.LineCount(); ++p)
        WrapParagraph(qint32(p), FContent.ParagraphStart(p));
    UpdateScrollBars();
}

// --- Content ---------------------------------------------------------------------------------

qint64 TReceiveView::RowEnd(qsizetype aRow) const
{
    if (aRow + 1 < FRows.size() && FRows[aRow + 1].Paragraph == FRows[aRow].Paragraph)
        return FRows[aRow + 1].Start;
    return ParagraphEnd(FRows[aRow].Paragraph);
}

QList<qint64> TReceiveView::RowStarts() const
{
    QList<qint64> starts;
    starts.reserve(FRows.size());
    for (const TRow& row : FRows)
        starts << row.Start;
    return starts;
}

void TReceiveView::Clear()
{
    FContent.Clear();
    FRows.clear();
    FCaret = FAnchor = 0;
    UpdateScrollBars();
    viewport()->update();
    FSearch->TextChanged();
}

void TReceiveView::TruncateTo(const TReceiveMark& aMark)
{
    if (!FContent.TruncateTo(aMark))
        return;
    if (FContent.LineCount() == 0) {
        Clear();
        return;
    }
    // The last kept paragraph may have lost its tail: wrap it again, drop the rows after it.
    const qint32 last = qint32(FContent.LineCount() - 1);
    const auto firstDropped =
        std::lower_bound(FRows.cbegin(), FRows.cend(), last,
                         [](const TRow& aRow, qint32 aPara) { return aRow.Paragraph < aPara; });
    FRows.resize(firstDropped - FRows.cbegin());
    WrapParagraph(last, FContent.ParagraphStart(last));
    AfterChange(0);
}

void TReceiveView::DropFront(const TReceiveMark& aMark)
{
    const qint64 before = DocumentLength();
    if (!FContent.DropFront(aMark))
        return;
    RewrapAll();
    AfterChange(before - DocumentLength());
}

void TReceiveView::AfterChange(qint64 aDroppedInFront)
{
    const qint64 length = DocumentLength();
    FCaret = qBound<qint64>(0, FCaret - aDroppedInFront, length);
    FAnchor = qBound<qint64>(0, FAnchor - aDroppedInFront, length);
    UpdateScrollBars();
    if (Following()) {
        FCaret = FAnchor = length;
        ScrollToEnd();
    }
    viewport()->update();
    FSearch->TextChanged();
}

template <class TAppend>
void TReceiveView::AppendWith(TAppend&& aAppend)
{
    // Rows before the last one cannot change: only the tail is wrapped again.
    const bool hadRows = !FRows.isEmpty();
    const TRow resume = hadRows ? FRows.last() : TRow{0, 0};
    const qsizetype keptRows = hadRows ? FRows.size() - 1 : 0;
    aAppend();
    FRows.resize(keptRows);
    WrapParagraph(resume.Paragraph, resume.Start);
    for (qsizetype p = resume.Paragraph + 1; p < FContent.LineCount(); ++p)
        WrapParagraph(qint32(p), FContent.ParagraphStart(p));

    {
        const QScopedValueRollback<bool> appending(FAppending, true);
        UpdateScrollBars();
        if (Following()) {
            FCaret = FAnchor = DocumentLength();
            ScrollToEnd();
        }
    }
    UpdateSoon();
    FSearch->TextChanged();
}

void TReceiveView::UpdateSoon()
{
    const qint64 since = FLastPaint.isValid() ? FLastPaint.elapsed() : kMinPaintIntervalMs;
    if (since >= kMinPaintIntervalMs)
        viewport()->update();
    else if (!FPaintTimer->isActive())
        FPaintTimer->start(int(kMinPaintIntervalMs - since));
}

void TReceiveView::scrollContentsBy(int, int)
{
    // following new data is painted at the pace of the data; the user's scrolling at once
    if (FAppending)
        UpdateSoon();
    else
        viewport()->update();
}

void TReceiveView::AppendText(QStringView aText, bool aBold)
{
    if (!aText.isEmpty())
        AppendWith([&] { FContent.Append(aText, aBold); });
}

void TReceiveView::AppendLatin1ToReceive(QByteArrayView aText)
{
    if (!aText.isEmpty())
        AppendWith([&] { FContent.AppendLatin1(aText); });
}

void TReceiveView::AppendNumbersToReceive(QStringView aText, const QByteArray& aNumbers)
{
    if (!aText.isEmpty())
        AppendWith([&] { FContent.AppendNumbers(aText, aNumbers); });
}

// --- Scrolling -------------------------------------------------------------------------------

int TReceiveView::VisibleRows() const
{
    return qMax(1, (viewport()->height() - kMargin) / FLineHeight);
}

void TReceiveView::UpdateScrollBars()
{
    const int visible = VisibleRows();
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setRange(0, int(qMax<qsizetype>(0, FRows.size() - visible)));
}

bool TReceiveView::IsAtEnd() const
{
    return verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

int TReceiveView::FirstVisibleRow() const
{
    return verticalScrollBar()->value();
}

void TReceiveView::ScrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

qint64 TReceiveView::FirstVisibleOffset() const
{
    const int first = FirstVisibleRow();
    return first < FRows.size() ? FRows[first].Start : FContent.Size();
}

bool TReceiveView::IsOffsetVisible(qint64 aOffset) const
{
    if (FRows.isEmpty() || aOffset < 0 || aOffset > FContent.Size())
        return false;
    const qsizetype row = RowOf(qint32(FContent.ParagraphAt(aOffset)), aOffset);
    return row >= FirstVisibleRow() && row < FirstVisibleRow() + VisibleRows();
}

void TReceiveView::ShowCurrentMatch()
{
    const TReceiveSearch::TMatch match = FSearch->Current();
    if (!match.IsValid() || match.End() > FContent.Size() || FRows.isEmpty()) {
        // A match that is gone (the text searched for changed) leaves no selection behind;
        // a selection the user made stays.
        if (std::pair{qMin(FCaret, FAnchor), qMax(FCaret, FAnchor)} == FSelectedMatch)
            SetCaretPosition(FSelectedMatch.first);
        FSelectedMatch = {-1, -1};
        viewport()->update();
        return;
    }
    const qint32 paragraph = qint32(FContent.ParagraphAt(match.Start));
    FSelectedMatch = {ToPosition(paragraph, match.Start), ToPosition(paragraph, match.End())};
    Select(FSelectedMatch.first, FSelectedMatch.second);
    // A match out of sight comes to the middle, with what leads up to it above.
    const qsizetype first = RowOf(paragraph, match.Start);
    const qsizetype last = RowOf(paragraph, match.End() - 1);
    const int top = FirstVisibleRow();
    if (first < top || last >= top + VisibleRows())
        verticalScrollBar()->setValue(int(first - VisibleRows() / 2));
}

std::pair<qint64, qint64> TReceiveView::CurrentMatchPositions() const
{
    const TReceiveSearch::TMatch match = FSearch->Current();
    if (!match.IsValid() || match.End() > FContent.Size())
        return {0, 0};
    const qint32 paragraph = qint32(FContent.ParagraphAt(match.Start));
    return {ToPosition(paragraph, match.Start), ToPosition(paragraph, match.End())};
}

// --- Positions, caret and selection ------------------------------------------------------------

qint64 TReceiveView::DocumentLength() const
{
    return FContent.Size() + qMax<qsizetype>(0, FContent.LineCount() - 1);
}

qint64 TReceiveView::ToPosition(qint32 aParagraph, qint64 aOffset) const
{
    return aOffset + aParagraph;
}

TReceiveView::TTextPos TReceiveView::ToTextPos(qint64 aPosition) const
{
    if (FContent.LineCount() == 0)
        return {0, 0};
    const qint64 position = qBound<qint64>(0, aPosition, DocumentLength());
    // The last paragraph whose first position is at or before the position.
    qsizetype low = 0;
    qsizetype high = FContent.LineCount();
    while (high - low > 1) {
        const qsizetype mid = (low + high) / 2;
        if (FContent.ParagraphStart(mid) + mid <= position)
            low = mid;
        else
            high = mid;
    }
    const qint32 paragraph = qint32(low);
    return {paragraph, qMin(position - paragraph, ParagraphEnd(paragraph))};
}

qsizetype TReceiveView::RowOf(qint32 aParagraph, qint64 aOffset) const
{
    auto it = std::upper_bound(FRows.cbegin(), FRows.cend(), std::pair{aParagraph, aOffset},
                               [](const std::pair<qint32, qint64>& key, const TRow& row) {
                                   return key.first < row.Paragraph
                                       || (key.first == row.Paragraph && key.second < row.Start);
                               });
    return qMax<qsizetype>(0, (it - FRows.cbegin()) - 1);
}

qint32 TReceiveView::XInRow(qsizetype aRow, qint64 aOffset) const
{
    qint32 x = 0;
    const qint64 end = qMin(aOffset, RowEnd(aRow));
    for (qint64 k = FRows[aRow].Start; k < end; ++k)
        x += FMetrics.AdvanceAt(FContent.Bytes()[k], x);
    return x;
}

qint64 TReceiveView::OffsetAtX(qsizetype aRow, qint32 aX) const
{
    qint32 x = 0;
    const qint64 end = RowEnd(aRow);
    for (qint64 k = FRows[aRow].Start; k < end; ++k) {
        const qint32 advance = FMetrics.AdvanceAt(FContent.Bytes()[k], x);
        if (aX < x + advance / 2)
            return k;
        x += advance;
    }
    // Past the end of a wrapped row: stay on that row.
    const bool wrapped = aRow + 1 < FRows.size() && FRows[aRow + 1].Paragraph == FRows[aRow].Paragraph;
    return wrapped && end > FRows[aRow].Start ? end - 1 : end;
}

qint64 TReceiveView::PositionAt(const QPoint& aPoint) const
{
    if (FRows.isEmpty())
        return 0;
    const qsizetype row = qBound(
        qsizetype(0), qsizetype(FirstVisibleRow() + (aPoint.y() - kMargin) / FLineHeight), FRows.size() - 1);
    const qint64 offset = OffsetAtX(row, (aPoint.x() - kMargin) * 64);
    return ToPosition(FRows[row].Paragraph, offset);
}

void TReceiveView::SetCaretPosition(qint64 aPosition, bool aKeepAnchor)
{
    FCaret = qBound<qint64>(0, aPosition, DocumentLength());
    if (!aKeepAnchor)
        FAnchor = FCaret;
    viewport()->update();
}

void TReceiveView::Select(qint64 aFrom, qint64 aTo)
{
    FAnchor = qBound<qint64>(0, aFrom, DocumentLength());
    FCaret = qBound<qint64>(0, aTo, DocumentLength());
    viewport()->update();
}

void TReceiveView::SelectAll()
{
    Select(0, DocumentLength());
}

qint64 TReceiveView::SelectionStartOffset() const
{
    return HasSelection() ? ToTextPos(qMin(FCaret, FAnchor)).Offset : -1;
}

QString TReceiveView::SelectedText() const
{
    const TTextPos from = ToTextPos(qMin(FCaret, FAnchor));
    const TTextPos to = ToTextPos(qMax(FCaret, FAnchor));
    QString result;
    for (qint32 p = from.Paragraph; p <= to.Paragraph && p < FContent.LineCount(); ++p) {
        if (p > from.Paragraph)
            result += QStringLiteral("\r\n");
        const qint64 start = p == from.Paragraph ? from.Offset : FContent.ParagraphStart(p);
        const qint64 end = p == to.Paragraph ? to.Offset : ParagraphEnd(p);
        result += FContent.DisplayText(start, end);
    }
    return result;
}

void TReceiveView::Copy() const
{
    if (HasSelection())
        QGuiApplication::clipboard()->setText(SelectedText());
}

void TReceiveView::EnsureCaretVisible()
{
    if (FRows.isEmpty())
        return;
    const TTextPos at = ToTextPos(FCaret);
    const qsizetype row = RowOf(at.Paragraph, at.Offset);
    const int first = FirstVisibleRow();
    if (row < first)
        verticalScrollBar()->setValue(int(row));
    else if (row >= first + VisibleRows())
        verticalScrollBar()->setValue(int(row - VisibleRows() + 1));
}

void TReceiveView::MoveCaret(qint64 aPosition, bool aExtend)
{
    SetCaretPosition(aPosition, aExtend);
    EnsureCaretVisible();
}

void TReceiveView::keyPressEvent(QKeyEvent* aEvent)
{
    if (aEvent->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (aEvent->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const bool extend = aEvent->modifiers() & Qt::ShiftModifier;
    const bool control = aEvent->modifiers() & Qt::ControlModifier;
    const TTextPos at = ToTextPos(FCaret);
    const qsizetype row = FRows.isEmpty() ? 0 : RowOf(at.Paragraph, at.Offset);
    auto toRow = [&](qsizetype aTarget) {
        if (FRows.isEmpty())
            return FCaret;
        const qsizetype target = qBound<qsizetype>(0, aTarget, FRows.size() - 1);
        if (FGoalX < 0)
            FGoalX = XInRow(row, at.Offset);
        return ToPosition(FRows[target].Paragraph, OffsetAtX(target, FGoalX));
    };
    const qint32 goal = FGoalX;
    FGoalX = -1;
    switch (aEvent->key()) {
    case Qt::Key_Left: MoveCaret(FCaret - 1, extend); break;
    case Qt::Key_Right: MoveCaret(FCaret + 1, extend); break;
    case Qt::Key_Up:
        FGoalX = goal;
        MoveCaret(toRow(row - 1), extend);
        break;
    case Qt::Key_Down:
        FGoalX = goal;
        MoveCaret(toRow(row + 1), extend);
        break;
    case Qt::Key_PageUp:
        FGoalX = goal;
        MoveCaret(toRow(row - VisibleRows()), extend);
        break;
    case Qt::Key_PageDown:
        FGoalX = goal;
        MoveCaret(toRow(row + VisibleRows()), extend);
        break;
    case Qt::Key_Home:
        if (control || FRows.isEmpty())
            MoveCaret(0, extend);
        else
            MoveCaret(ToPosition(FRows[row].Paragraph, FRows[row].Start), extend);
        break;
    case Qt::Key_End:
        if (control || FRows.isEmpty())
            MoveCaret(DocumentLength(), extend);
        else
            MoveCaret(ToPosition(FRows[row].Paragraph, OffsetAtX(row, INT32_MAX)), extend);
        break;
    default:
        // Return and everything else belong to the window (Enter sends).
        aEvent->ignore();
        return;
    }
}

void TReceiveView::mousePressEvent(QMouseEvent* aEvent)
{
    if (aEvent->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(aEvent);
        return;
    }
    FGoalX = -1;
    SetCaretPosition(PositionAt(aEvent->position().toPoint()), aEvent->modifiers() & Qt::ShiftModifier);
}

void TReceiveView::mouseMoveEvent(QMouseEvent* aEvent)
{
    if (!(aEvent->buttons() & Qt::LeftButton))
        return;
    QPoint point = aEvent->position().toPoint();
    // Dragging past the top or bottom edge scrolls along.
    if (point.y() < 0)
        verticalScrollBar()->setValue(FirstVisibleRow() - 1);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->setValue(FirstVisibleRow() + 1);
    SetCaretPosition(PositionAt(point), true);
}

void TReceiveView::mouseDoubleClickEvent(QMouseEvent* aEvent)
{
    // A word: the run of characters between blanks and line ends.
    const TTextPos at = ToTextPos(PositionAt(aEvent->position().toPoint()));
    if (FContent.LineCount() == 0)
        return;
    qint64 from = at.Offset;
    qint64 to = at.Offset;
    const qint64 start = FContent.ParagraphStart(at.Paragraph);
    const qint64 end = ParagraphEnd(at.Paragraph);
    const uchar* text = FContent.Bytes();
    while (from > start && text[from - 1] != ' ')
        --from;
    while (to < end && text[to] != ' ')
        ++to;
    Select(ToPosition(at.Paragraph, from), ToPosition(at.Paragraph, to));
}

void TReceiveView::focusInEvent(QFocusEvent* aEvent)
{
    QAbstractScrollArea::focusInEvent(aEvent);
    viewport()->update();
}

void TReceiveView::focusOutEvent(QFocusEvent* aEvent)
{
    QAbstractScrollArea::focusOutEvent(aEvent);
    viewport()->update();
}

// --- Painting --------------------------------------------------------------------------------

struct TReceiveView::TRowPaint
{
    qint64 From = 0;
    qint64 To = 0;
    qint32 Paragraph = 0;
    qreal Left = 0;
    qreal Top = 0;
    qreal Height = 0;
    qreal Baseline = 0;
    // Positions (see ToPosition) drawn as selected.
    qint64 SelFrom = 0;
    qint64 SelTo = 0;
    QFont Normal;
    QFont Bold;
    QColor Text;
    QColor Selected;
    QColor Number;
};

void TReceiveView::DrawRow(QPainter& aPainter, const TMetrics& aMetrics, const TRowPaint& aRow) const
{
    const uchar* bytes = FContent.Bytes();
    QString piece;
    piece.reserve(qsizetype(aRow.To - aRow.From));
    qint32 pieceX = 0;
    int pieceKind = -1;
    bool bold = false;
    qint64 styleEnd = aRow.From;
    auto colorOf = [&aRow](int aKind) {
        return aKind & 4 ? aRow.Selected : aKind & 2 ? aRow.Number : aRow.Text;
    };
    QList<quint32> glyphs;
    QList<QPointF> positions;
    int glyphKind = -1;
    auto flushGlyphs = [&] {
        if (glyphs.isEmpty())
            return;
        QGlyphRun run;
        run.setRawFont(glyphKind & 1 ? aMetrics.RawBold : aMetrics.Raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        aPainter.setPen(colorOf(glyphKind));
        aPainter.drawGlyphRun(QPointF(0, 0), run);
        glyphs.clear();
        positions.clear();
    };
    auto flush = [&] {
        flushGlyphs();
        if (piece.isEmpty())
            return;
        aPainter.setFont(pieceKind & 1 ? aRow.Bold : aRow.Normal);
        aPainter.setPen(colorOf(pieceKind));
        aPainter.drawText(QPointF(aRow.Left + pieceX / 64.0, aRow.Baseline), piece);
        piece.clear();
    };
    qint32 x = 0;
    for (qint64 k = aRow.From; k < aRow.To; ++k) {
        const uchar byte = bytes[k];
        const qint32 advance = aMetrics.AdvanceAt(byte, x);
        if (k >= styleEnd) {
            bold = FContent.BoldAt(k);
            styleEnd = FContent.StyleEnd(k, aRow.To);
        }
        const qint64 position = ToPosition(aRow.Paragraph, k);
        const int kind = (bold ? 1 : 0) | (FContent.IsNumber(k) ? 2 : 0)
            | (position >= aRow.SelFrom && position < aRow.SelTo ? 4 : 0);
        const TByteLook& look = aMetrics.Look[byte];
        const char16_t stored = look.Picture.isEmpty() && byte != '\t' ? 0 : FContent.CharAt(k);
        if (byte == '\t') {
            flush();
        } else if (!look.Picture.isEmpty() && stored < 256) {
            // A byte without a glyph: its name or number in a small box, never nothing.
            flush();
            aPainter.setFont(aMetrics.PictureFont);
            aPainter.setPen(colorOf(kind));
            const QRectF box(aRow.Left + x / 64.0 + 0.5, aRow.Top + aRow.Height * 0.15, advance / 64.0 - 1,
                             aRow.Height * 0.7);
            aPainter.drawRoundedRect(box, 2, 2);
            const QStaticText& label = aMetrics.PictureText[byte];
            if (!label.text().isEmpty()) {
                const QSizeF size = label.size();
                aPainter.drawStaticText(QPointF(box.center().x() - size.width() / 2, box.center().y() - size.height() / 2),
                                        label);
            } else {
                aPainter.drawText(box, Qt::AlignCenter, look.Picture);
            }
        } else if (const quint32 glyph = !aMetrics.UseGlyphs || stored >= 256 ? 0
                                         : kind & 1                          ? aMetrics.BoldGlyphId[byte]
                                                                             : aMetrics.GlyphId[byte];
                   glyph != 0) {
            // placed where the wrapping measured it; a blank has no ink to draw
            if (!piece.isEmpty() || (kind != glyphKind && !glyphs.isEmpty()))
                flush();
            glyphKind = kind;
            if (byte != ' ') {
                glyphs.append(glyph);
                positions.append(QPointF(aRow.Left + x / 64.0, aRow.Baseline));
            }
        } else {
            if (kind != pieceKind || piece.isEmpty()) {
                flush();
                pieceKind = kind;
                pieceX = x;
            }
            piece += stored >= 256 ? QChar(stored) : look.Glyph;
        }
        x += advance;
    }
    flush();
}

void TReceiveView::paintEvent(QPaintEvent*)
{
    FLastPaint.start();
    QPainter painter(viewport());
    const QColor text = palette().color(QPalette::Text);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    QFont bold = font();
    bold.setBold(true);
    // The numbers of the ASCII dump differ from letters and digits by their colour.
    const QColor numberColor = palette().color(QPalette::Link);
    const int first = FirstVisibleRow();
    const int visible = VisibleRows() + 1;
    qint64 selFrom = qMin(FCaret, FAnchor);
    qint64 selTo = qMax(FCaret, FAnchor);
    const TTextPos caret = ToTextPos(FCaret);
    if (FSearch->IsActive()) {
        PaintMatches(painter, first, int(qMin<qsizetype>(first + visible, FRows.size())));
        // The selected current match shows in its own colour rather than as a selection.
        if (std::pair{selFrom, selTo} == CurrentMatchPositions())
            selFrom = selTo = 0;
    }

    for (int r = first; r < first + visible && r < FRows.size(); ++r) {
        const int top = kMargin + (r - first) * FLineHeight;
        const qint32 paragraph = FRows[r].Paragraph;
        const qint64 from = FRows[r].Start;
        const qint64 to = RowEnd(r);
        const qint64 rowFirst = ToPosition(paragraph, from);
        const bool lastOfParagraph = to == ParagraphEnd(paragraph);
        // The selected part of the row (the line break counts at the end of a paragraph).
        const qint64 selStart = qMax(selFrom, rowFirst);
        const qint64 selEnd = qMin(selTo, rowFirst + (to - from) + (lastOfParagraph ? 1 : 0));
        if (selStart < selEnd) {
            const qint32 x0 = XInRow(r, from + (selStart - rowFirst));
            qint32 x1 = XInRow(r, qMin(to, from + (selEnd - rowFirst)));
            if (selEnd > rowFirst + (to - from))
                x1 += FMetrics.Advance[' '];
            painter.fillRect(QRectF(kMargin + x0 / 64.0, top, (x1 - x0) / 64.0, FLineHeight), highlight);
        }

        TRowPaint row;
        row.From = from;
        row.To = to;
        row.Paragraph = paragraph;
        row.Left = kMargin;
        row.Top = top;
        row.Height = FLineHeight;
        row.Baseline = top + FAscent;
        row.SelFrom = selFrom;
        row.SelTo = selTo;
        row.Normal = font();
        row.Bold = bold;
        row.Text = text;
        row.Selected = highlightText;
        row.Number = numberColor;
        DrawRow(painter, FMetrics, row);
        if (hasFocus() && caret.Paragraph == paragraph && caret.Offset >= from
            && (caret.Offset < to || (caret.Offset == to && lastOfParagraph))) {
            const qreal cx = kMargin + XInRow(r, caret.Offset) / 64.0;
            painter.fillRect(QRectF(cx, top, 1, FLineHeight), text);
        }
    }
}

void TReceiveView::PaintMatches(QPainter& aPainter, int aFirstRow, int aEndRow) const
{
    if (aFirstRow >= aEndRow)
        return;
    const QList<TReceiveSearch::TMatch> matches =
        FSearch->MatchesIn(FRows[aFirstRow].Start, RowEnd(aEndRow - 1));
    const TReceiveSearch::TMatch current = FSearch->Current();
    // Rows and matches both go forward; a match split by wrapping shows on each of its rows.
    auto paint = [&](const TReceiveSearch::TMatch& aMatch, int aRow, const QColor& aColor) {
        const qint64 from = FRows[aRow].Start;
        const qint64 to = RowEnd(aRow);
        const qint32 x0 = XInRow(aRow, qMax(from, aMatch.Start));
        const qint32 x1 = XInRow(aRow, qMin(to, aMatch.End()));
        aPainter.fillRect(QRectF(kMargin + x0 / 64.0, kMargin + (aRow - aFirstRow) * FLineHeight,
                                 (x1 - x0) / 64.0, FLineHeight),
                          aColor);
    };
    qsizetype next = 0;
    for (int r = aFirstRow; r < aEndRow; ++r) {
        const qint64 from = FRows[r].Start;
        const qint64 to = RowEnd(r);
        while (next < matches.size() && matches[next].End() <= from)
            ++next;
        for (qsizetype m = next; m < matches.size() && matches[m].Start < to; ++m)
            paint(matches[m], r, MatchColor());
        // The current match last, over matches that overlap it.
        if (current.IsValid() && current.Start < to && current.End() > from && from < to)
            paint(current, r, CurrentMatchColor());
    }
}

void TReceiveView::resizeEvent(QResizeEvent* aEvent)
{
    QAbstractScrollArea::resizeEvent(aEvent);
    const qint32 width = qMax(1, viewport()->width() - 2 * kMargin) * 64;
    const bool atEnd = IsAtEnd();
    if (width != FWrapWidth) {
        FWrapWidth = width;
        RewrapAll();
    } else {
        UpdateScrollBars();
    }
    if (atEnd && Following())
        ScrollToEnd();
}

void TReceiveView::changeEvent(QEvent* aEvent)
{
    QAbstractScrollArea::changeEvent(aEvent);
    if (aEvent->type() == QEvent::FontChange) {
        FMetrics = MeasureFont(font(), nullptr);
        const QFontMetricsF metrics(font());
        FLineHeight = qMax(1, int(std::ceil(metrics.lineSpacing())));
        FAscent = int(std::ceil(metrics.ascent()));
        RewrapAll();
        viewport()->update();
    }
}

// --- Saving and printing ---------------------------------------------------------------------

bool TReceiveView::SaveText(QIODevice* aOut) const
{
    return FContent.SaveText(aOut);
}

bool TReceiveView::SaveRtf(QIODevice* aOut) const
{
    return FContent.SaveRtf(aOut, font().family(), font().pointSize());
}

int TReceiveView::Print(QPrinter* aPrinter, const QString& aTitle) const
{
    aPrinter->setDocName(aTitle);
    QPainter painter;
    if (!painter.begin(aPrinter))
        return 0;
    QFont normal = font();
    QFont bold = normal;
    bold.setBold(true);
    const TMetrics metrics = MeasureFont(normal, aPrinter);
    const QFontMetricsF fontMetrics(normal, aPrinter);
    const int lineHeight = qMax(1, int(std::ceil(fontMetrics.lineSpacing())));
    const int ascent = int(std::ceil(fontMetrics.ascent()));
    const QRect page = painter.viewport();
    const qint32 width = qMax(1, page.width()) * 64;

    int pages = 1;
    int y = 0;
    QList<qint64> starts;
    for (qsizetype p = 0; p < FContent.LineCount(); ++p) {
        const qint64 end = ParagraphEnd(p);
        starts.clear();
        WrapRange(FContent.ParagraphStart(p), end, width, metrics,
                  [&starts](qint64 aStart) { starts << aStart; });
        for (qsizetype r = 0; r < starts.size(); ++r) {
            if (y + lineHeight > page.height() && y > 0) {
                aPrinter->newPage();
                ++pages;
                y = 0;
            }
            TRowPaint row;
            row.From = starts[r];
            row.To = r + 1 < starts.size() ? starts[r + 1] : end;
            row.Paragraph = qint32(p);
            row.Top = y;
            row.Height = lineHeight;
            row.Baseline = y + ascent;
            row.Normal = normal;
            row.Bold = bold;
            row.Text = Qt::black;
            row.Number = QColor(0x00, 0x50, 0xA0);
            DrawRow(painter, metrics, row);
            y += lineHeight;
        }
    }
    painter.end();
    return pages;
}
