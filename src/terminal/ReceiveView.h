#pragma once

#include "terminal/ReceiveText.h"
#include "terminal/TerminalView.h"

#include <QAbstractScrollArea>
#include <QRawFont>
#include <QStaticText>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <utility>

class QIODevice;
class QPagedPaintDevice;
class QPrinter;
class QTimer;
class TReceiveSearch;

// The receive view: an append-only text area built for endless data.
// The text lives in a TReceiveText (8 bits per character, paragraphs at executed line
// breaks) and is wrapped at the view's width. Appending wraps only the tail; painting touches
// only the visible rows.
//
// Positions count characters with one extra position per line break, so a position names
// one place in the text unambiguously (end of a line vs. start of the next).
class TReceiveView : public QAbstractScrollArea, public ITerminalView
{
    Q_OBJECT
public:
    explicit TReceiveView(QWidget* aParent = nullptr);

    // Appends aText; CR, LF and CR LF start a new paragraph, also across two appends.
    void AppendText(QStringView aText, bool aBold = false);
    void Clear();
    // Cuts the text back to a mark taken with ReceiveEnd.
    void TruncateTo(const TReceiveMark& aMark);
    // Drops the text before a mark taken with ReceiveEnd; what came after it stays.
    void DropFront(const TReceiveMark& aMark);
    const TReceiveText& Content() const { return FContent; }

    // As a terminal session's view.
    void AppendToReceive(QStringView aText, bool aBold) override { AppendText(aText, aBold); }
    void AppendNumbersToReceive(QStringView aText, const QByteArray& aNumbers) override;
    void AppendLatin1ToReceive(QByteArrayView aText) override;
    void ClearReceive() override { Clear(); }
    bool ReceiveAtLineStart() const override { return FContent.AtLineStart(); }
    TReceiveMark ReceiveEnd() const override { return FContent.End(); }
    void TruncateReceive(const TReceiveMark& aMark) override { TruncateTo(aMark); }
    TReceiveText ReceiveContent() const override { return FContent; }
    QString ReceiveFontFamily() const override { return font().family(); }
    int ReceiveFontSize() const override { return font().pointSize(); }
    void DropReceiveFront(const TReceiveMark& aMark) override { DropFront(aMark); }

    // Paragraphs (lines between executed breaks); an empty view has none.
    qsizetype LineCount() const { return FContent.LineCount(); }
    QString Line(qsizetype aIndex) const { return FContent.Line(aIndex); }
    // The whole text, paragraphs joined by CR LF.
    QString Text() const { return FContent.Text(); }
    // Characters held (without the line breaks).
    qint64 CharacterCount() const { return FContent.Size(); }
    qsizetype RowCount() const { return FRows.size(); }
    // Where each wrapped row starts (offset into the text without line breaks).
    QList<qint64> RowStarts() const;
    // The width a row takes and the width rows wrap at, in 1/64 pixel.
    qint32 RowWidth(qsizetype aRow) const { return XInRow(aRow, RowEnd(aRow)); }
    qint32 WrapWidth() const { return FWrapWidth; }

    // With auto-scroll the caret follows every append and the view shows the end; without,
    // caret and visible part stay where they are.
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool aOn) { FAutoScroll = aOn; }
    void ScrollToEnd();
    bool IsAtEnd() const;
    int FirstVisibleRow() const;
    // Where the first visible row starts (offset into the text without breaks).
    qint64 FirstVisibleOffset() const;
    bool IsOffsetVisible(qint64 aOffset) const;
    // While held (the find bar is open), appends leave caret and visible part alone even with
    // auto-scroll, so the match shown stays in view.
    void SetAutoScrollHeld(bool aHeld) { FAutoScrollHeld = aHeld; }

    // The search in what the view holds. Its matches in the visible rows are highlighted, the
    // current one stronger; a new current match is selected and scrolled into view.
    TReceiveSearch* Search() const { return FSearch; }
    static QColor MatchColor();
    static QColor CurrentMatchColor();

    // Caret and selection, as positions (see above).
    qint64 DocumentLength() const;
    qint64 CaretPosition() const { return FCaret; }
    void SetCaretPosition(qint64 aPosition, bool aKeepAnchor = false);
    void Select(qint64 aFrom, qint64 aTo);
    void SelectAll();
    bool HasSelection() const { return FCaret != FAnchor; }
    // Where the selection starts (offset into the text without breaks); -1 without one.
    qint64 SelectionStartOffset() const;
    QString SelectedText() const;
    void Copy() const;

    // Plain text, paragraphs joined by CR LF: Latin-1 bytes when every character fits,
    // UTF-8 otherwise. RTF with the bold runs. Both stream; false when writing failed.
    bool SaveText(QIODevice* aOut) const;
    bool SaveRtf(QIODevice* aOut) const;
    // Prints every line, wrapped at the page's width, page by page; returns the pages printed.
    int Print(QPrinter* aPrinter, const QString& aTitle) const;

    // The view's own context-menu actions (copy, select all); the window adds its own after.
    QAction* CopyAction() const { return FCopyAction; }
    QAction* SelectAllAction() const { return FSelectAllAction; }

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void scrollContentsBy(int aDx, int aDy) override;
    void resizeEvent(QResizeEvent* aEvent) override;
    void changeEvent(QEvent* aEvent) override;
    void keyPressEvent(QKeyEvent* aEvent) override;
    void mousePressEvent(QMouseEvent* aEvent) override;
    void mouseMoveEvent(QMouseEvent* aEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* aEvent) override;
    void focusInEvent(QFocusEvent* aEvent) override;
    void focusOutEvent(QFocusEvent* aEvent) override;

private:
    // Character advances in 1/64 pixel, so wrapping adds integers.
    // How each stored byte is drawn: as a glyph, or as a small labelled box where the byte has
    // no glyph of its own (control characters, DEL, the unused places of the code page), so
    // no received byte is ever invisible.
    struct TByteLook
    {
        QChar Glyph;
        QString Picture;
    };
    struct TMetrics
    {
        std::array<qint32, 256> Advance{};
        std::array<TByteLook, 256> Look;
        qint32 TabWidth = 64 * 8;
        // The widest a character can be (a tab included): a row this many times shorter than
        // the width needs no measuring.
        qint32 MaxAdvance = 64 * 8;
        qint32 MaxPlainAdvance = 0; // the same without the tab
        QFont PictureFont;
        // On screen the glyphs are placed directly, at the advances above: no text shaping on
        // every paint. Glyph 0 (the font lacks the character) is drawn as text instead.
        bool UseGlyphs = false;
        QRawFont Raw;
        QRawFont RawBold;
        std::array<quint32, 256> GlyphId{};
        std::array<quint32, 256> BoldGlyphId{};
        // The boxes' labels, laid out once (on screen only).
        std::array<QStaticText, 256> PictureText;
        qint32 AdvanceAt(uchar aChar, qint32 aX) const
        {
            return aChar == '\t' ? TabWidth - aX % TabWidth : Advance[aChar];
        }
    };
    struct TRowPaint;
    struct TRow
    {
        qint64 Start;
        qint32 Paragraph;
    };
    struct TTextPos
    {
        qint32 Paragraph;
        qint64 Offset; // into the text without breaks
    };

    static TMetrics MeasureFont(const QFont& aFont, const QPaintDevice* aDevice);
    // Draws the characters [aFrom, aTo) of one row, starting at aLeft (pixels) on aBaseline.
    void DrawRow(QPainter& aPainter, const TMetrics& aMetrics, const TRowPaint& aRow) const;
    // Appends to aRows the starts of the rows of [aFrom, aEnd) at aWidth (1/64 px).
    static bool FitsInOneRow(const uchar* aText, qint64 aCount, qint32 aWidth, const TMetrics& aMetrics);
    template <class TRowSink>
    void WrapRange(qint64 aFrom, qint64 aEnd, qint32 aWidth, const TMetrics& aMetrics,
                   TRowSink&& aSink) const;

    void RewrapAll();
    // Appends through aAppend (which changes FContent) and wraps the new tail.
    template <class TAppend>
    void AppendWith(TAppend&& aAppend);
    // Caret, scroll bars and paint after the text changed other than by an append.
    void AfterChange(qint64 aDroppedInFront);
    void WrapParagraph(qint32 aParagraph, qint64 aFrom);
    qint64 ParagraphEnd(qsizetype aParagraph) const { return FContent.ParagraphEnd(aParagraph); }
    qint64 RowEnd(qsizetype aRow) const;
    void UpdateScrollBars();
    void UpdateSoon();
    int VisibleRows() const;

    TTextPos ToTextPos(qint64 aPosition) const;
    qint64 ToPosition(qint32 aParagraph, qint64 aOffset) const;
    qsizetype RowOf(qint32 aParagraph, qint64 aOffset) const;
    qint32 XInRow(qsizetype aRow, qint64 aOffset) const;
    qint64 OffsetAtX(qsizetype aRow, qint32 aX) const;
    qint64 PositionAt(const QPoint& aPoint) const;
    void EnsureCaretVisible();
    void MoveCaret(qint64 aPosition, bool aExtend);
    bool Following() const { return FAutoScroll && !FAutoScrollHeld; }
    void ShowCurrentMatch();
    // Positions (see ToPosition) of the current match; empty when there is none.
    std::pair<qint64, qint64> CurrentMatchPositions() const;
    void PaintMatches(QPainter& aPainter, int aFirstRow, int aEndRow) const;

    TReceiveText FContent;
    QList<TRow> FRows;
    bool FAutoScroll = true;
    bool FAutoScrollHeld = false;
    TReceiveSearch* FSearch = nullptr;
    // While a backlog is worked off, appends come far faster than a screen shows them: the
    // view is painted at most every kMinPaintIntervalMs then, the rest waits on the timer.
    static constexpr qint64 kMinPaintIntervalMs = 40;
    QElapsedTimer FLastPaint;
    QTimer* FPaintTimer = nullptr;
    bool FAppending = false;
    // The positions of the match last selected for the search.
    std::pair<qint64, qint64> FSelectedMatch{-1, -1};
    qint64 FCaret = 0;
    qint64 FAnchor = 0;
    bool FCaretShown = false;
    qint32 FGoalX = -1;

    TMetrics FMetrics;
    int FLineHeight = 16;
    int FAscent = 12;
    qint32 FWrapWidth = 0;

    QAction* FCopyAction = nullptr;
    QAction* FSelectAllAction = nullptr;
};
