#pragma once

#include <QFont>
#include <QFrame>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

// The strip along the top (or down the left) of an expanding panel. It carries the panel's
// title and the plus/minus image that opens and closes the panel.
class TTitlePanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)

public:
    explicit TTitlePanel(QWidget* aParent = nullptr);

    QString Title() const { return FTitle; }
    // Repaints only when the title really changes.
    void SetTitle(const QString& aValue);

    // A vertical strip runs down the left edge; its title is turned to read upward.
    bool Vertical() const { return FVertical; }
    void SetVertical(bool aValue);

    // Where the title lands: from (20, 2) rightward on a horizontal strip; on a vertical one
    // the text starts at y = text width + 20 and runs up to y = 20, with its top at x = 0.
    QRect TitleRect() const;

protected:
    void paintEvent(QPaintEvent* aEvent) override;

private:
    QString FTitle;
    bool FVertical = false;
};

// The 12x12 plus/minus image on the title strip: plus while the panel is closed, minus while
// it is open. A click (press and release on the image) reports Clicked.
class TExpandImage : public QWidget
{
    Q_OBJECT

public:
    explicit TExpandImage(QWidget* aParent = nullptr);

    bool Plus() const { return FPlus; }
    void SetPlus(bool aValue);

    QSize sizeHint() const override;

signals:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void mousePressEvent(QMouseEvent* aEvent) override;
    void mouseReleaseEvent(QMouseEvent* aEvent) override;

private:
    bool FPlus = true;
    bool FPressed = false;
};

// A panel with a title strip that folds it up to the strip and opens it again.
//
// A panel aligned to the top or bottom of its parent changes its height: closed it is as
// high as the strip, open it is ExpandedHeight high. One aligned left or right changes its
// width the same way, and its strip runs down the left edge. Within a Qt layout the height
// (or width) is fixed to those values, so the layout gives the rest to the other widgets.
// With alNone the size is left alone; closing only hides the content.
//
// Child widgets go into Content(), the area beside the strip; they are hidden while the
// panel is closed. Children placed on the panel directly (a promoted QFrame in a form) are
// treated the same way, and a layout set on the panel keeps clear of the strip.
//
// A new panel is aligned to the top and closed; ExpandedHeight and ExpandedWidth hold the
// size it had when it was created. In a form, set ExpandedHeight before Expanded.
class TmvExpandingPanel : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(bool Expanded READ Expanded WRITE SetExpanded)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(int ExpandedHeight READ ExpandedHeight WRITE SetExpandedHeight)
    Q_PROPERTY(int ExpandedWidth READ ExpandedWidth WRITE SetExpandedWidth)
    Q_PROPERTY(QFont TitleFont READ TitleFont WRITE SetTitleFont)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)

public:
    enum TAlign { alTop, alBottom, alLeft, alRight, alNone };
    Q_ENUM(TAlign)

    // aAllowed comes in true; a handler sets it to false to keep the panel as it is.
    using TAllowEvent = std::function<void(TmvExpandingPanel* aSender, bool& aAllowed)>;
    using TNotifyEvent = std::function<void(TmvExpandingPanel* aSender)>;

    // The width of a vertical strip and the height of a horizontal one.
    static constexpr int TitleStripSize = 18;

    explicit TmvExpandingPanel(QWidget* aParent = nullptr);
    ~TmvExpandingPanel() override;

    bool Expanded() const { return FExpanded; }
    // Setting the current state again does nothing (and asks no handler).
    void SetExpanded(bool aValue);
    // Closes or opens the panel unless OnCollapsing/OnExpanding refuse; nothing happens when
    // the panel already is in that state.
    void Collapse();
    void Expand();

    // The size of the open panel; one smaller than the strip opens to the strip's size.
    int ExpandedHeight() const { return FExpandedHeight; }
    // While open and aligned top or bottom the panel becomes aValue plus the strip high.
    void SetExpandedHeight(int aValue);
    int ExpandedWidth() const { return FExpandedWidth; }
    void SetExpandedWidth(int aValue);

    QString Title() const;
    void SetTitle(const QString& aValue);
    QFont TitleFont() const;
    void SetTitleFont(const QFont& aValue);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign aValue);

    // The area beside the strip for the owner's widgets; created on first use.
    QWidget* Content();

    TTitlePanel* const mTitleNamePanel;
    TExpandImage* const bExpand;

    TAllowEvent OnCollapsing;
    TNotifyEvent OnCollapsed;
    TAllowEvent OnExpanding;
    TNotifyEvent OnExpanded;

protected:
    bool event(QEvent* aEvent) override;
    void resizeEvent(QResizeEvent* aEvent) override;
    void childEvent(QChildEvent* aEvent) override;

private:
    bool Horizontal() const { return FAlign == alTop || FAlign == alBottom; }
    bool Sideways() const { return FAlign == alLeft || FAlign == alRight; }
    void ArrangeParts();
    void UpdateMargins();
    void HideChildren();
    void ShowChildren();
    void HideWhileCollapsed(QWidget* aChild);

    bool FExpanded = true;
    int FExpandedHeight = 0;
    int FExpandedWidth = 0;
    TAlign FAlign = alTop;
    QPointer<QWidget> FContent;
    // Children this panel hid on closing, to be shown again on opening.
    QList<QPointer<QWidget>> FHiddenChildren;
};
