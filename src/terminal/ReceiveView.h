#pragma once

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>

// The receive view: an append-only text area built for endless data.
// Text is kept as 8 bits per character in one buffer (characters Latin-1 cannot hold are
// kept aside by position), split into paragraphs at executed line breaks, and wrapped at
// the view's width. Appending wraps only the tail; painting touches only the visible rows.
class TReceiveView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TReceiveView(QWidget* aParent = nullptr);

    // Appends aText; CR, LF and CR LF start a new paragraph, also across two appends.
    void AppendText(QStringView aText, bool aBold = false);
    void Clear();

    // Paragraphs (lines between executed breaks); an empty view has none.
    qsizetype LineCount() const;
    QString Line(qsizetype aIndex) const;
    // The whole text, paragraphs joined by CR LF.
    QString Text() const;
    // Characters held (without the line breaks).
    qint64 CharacterCount() const { return FText.size(); }
    qsizetype RowCount() const { return FRows.size(); }
    // Where each wrapped row starts (offset into the text without line breaks).
    QList<qint64> RowStarts() const
    {
        QList<qint64> starts;
        starts.reserve(FRows.size());
        for (const TRow& row : FRows)
            starts << row.Start;
        return starts;
    }

    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool aOn) { FAutoScroll = aOn; }
    void ScrollToEnd();
    bool IsAtEnd() const;

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void resizeEvent(QResizeEvent* aEvent) override;
    void changeEvent(QEvent* aEvent) override;

private:
    struct TRow
    {
        qint64 Start;
        qint32 Paragraph;
    };
    struct TStyleRun
    {
        qint64 Start;
        bool Bold;
    };

    void StartParagraph();
    void AppendChars(QStringView aText);
    void UpdateMetrics();
    void RewrapAll();
    // Wraps paragraph aParagraph from offset aFrom (the start of one of its rows) to its end.
    void WrapParagraph(qint32 aParagraph, qint64 aFrom);
    qint64 ParagraphEnd(qsizetype aParagraph) const;
    qint64 RowEnd(qsizetype aRow) const;
    double Advance(uchar aChar, double aX) const;
    QString DisplayText(qint64 aFrom, qint64 aTo) const;
    bool BoldAt(qint64 aPos) const;
    void UpdateScrollBars();
    int VisibleRows() const;

    QByteArray FText;
    QHash<qint64, char16_t> FWide;
    QList<qint64> FParagraphs;
    QList<TRow> FRows;
    QList<TStyleRun> FRuns;
    bool FPendingCr = false;
    bool FAutoScroll = true;

    std::array<double, 256> FAdvance{};
    double FTabWidth = 8;
    int FLineHeight = 16;
    int FAscent = 12;
    double FWrapWidth = 0;
};
