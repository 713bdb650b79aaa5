#include "controls/MvExpandingPanel.h"

#include <QChildEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {

constexpr int kImageSize = 12;
constexpr int kImagePos = 3;
// The title starts right of the image.
constexpr int kTitleOffset = 20;
constexpr int kTitleTop = 2;

} // namespace

// --- TTitlePanel --------------------------------------------------------------------------

TTitlePanel::TTitlePanel(QWidget* aParent)
    : QFrame(aParent)
{
    setObjectName(QStringLiteral("mTitleNamePanel"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    setAutoFillBackground(true);
}

void TTitlePanel::SetTitle(const QString& aValue)
{
    if (aValue == FTitle)
        return;
    FTitle = aValue;
    update();
}

void TTitlePanel::SetVertical(bool aValue)
{
    if (aValue == FVertical)
        return;
    FVertical = aValue;
    update();
}

QRect TTitlePanel::TitleRect() const
{
    const QFontMetrics metrics(font());
    const int length = metrics.horizontalAdvance(FTitle);
    if (FVertical)
        return QRect(0, kTitleOffset, metrics.height(), length);
    return QRect(kTitleOffset, kTitleTop, length, metrics.height());
}

void TTitlePanel::paintEvent(QPaintEvent* aEvent)
{
    QFrame::paintEvent(aEvent);
    if (FTitle.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    const int length = metrics.horizontalAdvance(FTitle);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
    if (FVertical) {
        // Turned a quarter to the left: the text reads upward and ends 20 pixels from the top,
        // clear of the image.
        painter.translate(0, length + kTitleOffset);
        painter.rotate(-90);
        painter.drawText(QRect(0, 0, length, metrics.height()), flags, FTitle);
    } else {
        painter.drawText(QRect(kTitleOffset, kTitleTop, length, metrics.height()), flags, FTitle);
    }
}

// --- TExpandImage -------------------------------------------------------------------------

TExpandImage::TExpandImage(QWidget* aParent)
    : QWidget(aParent)
{
    setObjectName(QStringLiteral("bExpand"));
    setFixedSize(kImageSize, kImageSize);
    setCursor(Qt::PointingHandCursor);
}

void TExpandImage::SetPlus(bool aValue)
{
    if (aValue == FPlus)
        return;
    FPlus = aValue;
    update();
}

QSize TExpandImage::sizeHint() const
{
    return QSize(kImageSize, kImageSize);
}

void TExpandImage::paintEvent(QPaintEvent*)
{
    // A small box with a bar across, and one down for the plus; drawn pixel-exact so it
    // stays crisp without any image file.
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(QRect(1, 1, 10, 10), pal.color(QPalette::Mid));
    painter.fillRect(QRect(2, 2, 8, 8), pal.color(QPalette::Base));
    const QColor mark = pal.color(QPalette::Text);
    painter.fillRect(QRect(3, 5, 6, 2), mark);
    if (FPlus)
        painter.fillRect(QRect(5, 3, 2, 6), mark);
}

void TExpandImage::mousePressEvent(QMouseEvent* aEvent)
{
    if (aEvent->button() == Qt::LeftButton) {
        FPressed = true;
        aEvent->accept();
        return;
    }
    QWidget::mousePressEvent(aEvent);
}

void TExpandImage::mouseReleaseEvent(QMouseEvent* aEvent)
{
    if (aEvent->button() == Qt::LeftButton && FPressed) {
        FPressed = false;
        aEvent->accept();
        if (rect().contains(aEvent->position().toPoint()))
            emit Clicked();
        return;
    }
    QWidget::mouseReleaseEvent(aEvent);
}

// --- TmvExpandingPanel --------------------------------------------------------------------

namespace {

// An open panel never gets smaller than its strip: a panel whose strip were cut away would
// lose the image that closes it again.
int OpenSize(int aSize)
{
    return qMax(TmvExpandingPanel::TitleStripSize, aSize);
}

} // namespace

TmvExpandingPanel::TmvExpandingPanel(QWidget* aParent)
    : QFrame(aParent)
    , mTitleNamePanel(new TTitlePanel(this))
    , bExpand(new TExpandImage(mTitleNamePanel))
{
    setFrameStyle(QFrame::NoFrame);
    bExpand->move(kImagePos, kImagePos);
    bExpand->SetPlus(false);
    connect(bExpand, &TExpandImage::Clicked, this, [this] { SetExpanded(!FExpanded); });

    FExpandedHeight = height();
    FExpandedWidth = width();
    UpdateMargins();
    ArrangeParts();
    Collapse();
}

TmvExpandingPanel::~TmvExpandingPanel() = default;

void TmvExpandingPanel::SetExpanded(bool aValue)
{
    if (aValue)
        Expand();
    else
        Collapse();
}

void TmvExpandingPanel::Collapse()
{
    if (!FExpanded)
        return;
    bool allowed = true;
    if (OnCollapsing)
        OnCollapsing(this, allowed);
    if (!allowed)
        return;
    bExpand->SetPlus(true);
    FExpanded = false;
    HideChildren();
    if (Horizontal()) {
        FExpandedHeight = height();
        setFixedHeight(TitleStripSize);
    } else if (Sideways()) {
        FExpandedWidth = width();
        setFixedWidth(TitleStripSize);
    }
    if (OnCollapsed)
        OnCollapsed(this);
}

void TmvExpandingPanel::Expand()
{
    if (FExpanded)
        return;
    bool allowed = true;
    if (OnExpanding)
        OnExpanding(this, allowed);
    if (!allowed)
        return;
    bExpand->SetPlus(false);
    FExpanded = true;
    if (Horizontal())
        setFixedHeight(OpenSize(FExpandedHeight));
    else if (Sideways())
        setFixedWidth(OpenSize(FExpandedWidth));
    ShowChildren();
    if (OnExpanded)
        OnExpanded(this);
}

void TmvExpandingPanel::SetExpandedHeight(int aValue)
{
    FExpandedHeight = aValue;
    if (FExpanded && Horizontal())
        setFixedHeight(OpenSize(aValue + TitleStripSize));
}

void TmvExpandingPanel::SetExpandedWidth(int aValue)
{
    FExpandedWidth = aValue;
}

QString TmvExpandingPanel::Title() const
{
    return mTitleNamePanel->Title();
}

void TmvExpandingPanel::SetTitle(const QString& aValue)
{
    mTitleNamePanel->SetTitle(aValue);
}

QFont TmvExpandingPanel::TitleFont() const
{
    return mTitleNamePanel->font();
}

void TmvExpandingPanel::SetTitleFont(const QFont& aValue)
{
    mTitleNamePanel->setFont(aValue);
    mTitleNamePanel->update();
}

void TmvExpandingPanel::SetAlign(TAlign aValue)
{
    if (aValue == FAlign)
        return;
    // Only a change between the height-changing and the width-changing alignments (or
    // none) touches the size.
    const auto kind = [](TAlign aAlign) {
        return aAlign == alTop || aAlign == alBottom ? 0 : aAlign == alLeft || aAlign == alRight ? 1 : 2;
    };
    const bool sameKind = kind(aValue) == kind(FAlign);
    if (!sameKind) {
        if (Horizontal()) {
            setMinimumHeight(0);
            setMaximumHeight(QWIDGETSIZE_MAX);
        } else if (Sideways()) {
            setMinimumWidth(0);
            setMaximumWidth(QWIDGETSIZE_MAX);
        }
    }
    FAlign = aValue;
    mTitleNamePanel->SetVertical(Sideways());
    UpdateMargins();
    ArrangeParts();
    if (sameKind)
        return;
    if (Horizontal())
        setFixedHeight(FExpanded ? OpenSize(FExpandedHeight) : TitleStripSize);
    else if (Sideways())
        setFixedWidth(FExpanded ? OpenSize(FExpandedWidth) : TitleStripSize);
}

QWidget* TmvExpandingPanel::Content()
{
    if (!FContent) {
        FContent = new QWidget(this);
        FContent->setObjectName(QStringLiteral("Content"));
        FContent->setGeometry(contentsRect());
        if (FExpanded) {
            // A child created after the panel was shown stays hidden until told otherwise.
            FContent->show();
        } else {
            HideWhileCollapsed(FContent);
        }
    }
    return FContent;
}

bool TmvExpandingPanel::event(QEvent* aEvent)
{
    // A change of the frame resets the margins to the frame's; the strip needs its room back.
    if (aEvent->type() == QEvent::ContentsRectChange) {
        UpdateMargins();
        ArrangeParts();
    }
    return QFrame::event(aEvent);
}

void TmvExpandingPanel::resizeEvent(QResizeEvent* aEvent)
{
    QFrame::resizeEvent(aEvent);
    ArrangeParts();
}

void TmvExpandingPanel::childEvent(QChildEvent* aEvent)
{
    QFrame::childEvent(aEvent);
    // Children put on a closed panel (a form's widgets, say) are hidden before they are
    // first shown; the polish comes just before that.
    if (aEvent->type() == QEvent::ChildPolished && !FExpanded && aEvent->child()->isWidgetType())
        HideWhileCollapsed(static_cast<QWidget*>(aEvent->child()));
}

void TmvExpandingPanel::UpdateMargins()
{
    const int frame = frameWidth();
    QMargins margins(frame, frame, frame, frame);
    if (Sideways())
        margins.setLeft(frame + TitleStripSize);
    else
        margins.setTop(frame + TitleStripSize);
    if (contentsMargins() != margins)
        setContentsMargins(margins);
}

void TmvExpandingPanel::ArrangeParts()
{
    if (Sideways())
        mTitleNamePanel->setGeometry(0, 0, TitleStripSize, height());
    else
        mTitleNamePanel->setGeometry(0, 0, width(), TitleStripSize);
    mTitleNamePanel->raise();
    if (FContent)
        FContent->setGeometry(contentsRect());
}

void TmvExpandingPanel::HideWhileCollapsed(QWidget* aChild)
{
    if (aChild == mTitleNamePanel || aChild->isWindow() || aChild->isHidden())
        return;
    aChild->hide();
    FHiddenChildren.append(aChild);
}

void TmvExpandingPanel::HideChildren()
{
    const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children)
        HideWhileCollapsed(child);
}

void TmvExpandingPanel::ShowChildren()
{
    const QList<QPointer<QWidget>> hidden = std::exchange(FHiddenChildren, {});
    for (const QPointer<QWidget>& child : hidden) {
        if (child)
            child->show();
    }
}
