#include "controls/MvHelpButton.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

constexpr int ButtonSize = 16;
constexpr int PopupMargin = 10;
constexpr int PopupGap = 2;

// The screen the button is on, or failing that the one closest to it.
QScreen* ScreenNearest(const QRect& aRect)
{
    const QPoint centre = aRect.center();
    if (QScreen* screen = QGuiApplication::screenAt(centre))
        return screen;
    QScreen* nearest = nullptr;
    qint64 best = std::numeric_limits<qint64>::max();
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const qint64 dx =
            std::max({qint64(g.left()) - centre.x(), qint64(0), qint64(centre.x()) - g.right()});
        const qint64 dy =
            std::max({qint64(g.top()) - centre.y(), qint64(0), qint64(centre.y()) - g.bottom()});
        const qint64 distance = dx * dx + dy * dy;
        if (distance < best) {
            best = distance;
            nearest = screen;
        }
    }
    return nearest;
}

} // namespace

TMvHelpButton::TMvHelpButton(QWidget* aParent)
    : QWidget(aParent)
{
    setFixedSize(ButtonSize, ButtonSize);
    FTimer = new QTimer(this);
    FTimer->setInterval(FShowDelayMs);
    connect(FTimer, &QTimer::timeout, this, &TMvHelpButton::TimerTick);
}

TMvHelpButton::~TMvHelpButton()
{
    DestroyPopup();
}

void TMvHelpButton::SetShowDelayMs(int aValue)
{
    FShowDelayMs = std::max(0, aValue);
    FTimer->setInterval(FShowDelayMs);
    if (FShowDelayMs == 0)
        FTimer->stop();
}

void TMvHelpButton::SetTitle(const QString& aValue)
{
    if (aValue == FTitle)
        return;
    FTitle = aValue;
    // An open window is rebuilt with the new content on the next tick.
    DestroyPopup();
}

void TMvHelpButton::SetText(const QString& aValue)
{
    QString normalised = aValue;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (normalised == FText)
        return;
    FText = normalised;
    DestroyPopup();
}

QSize TMvHelpButton::sizeHint() const
{
    return QSize(ButtonSize, ButtonSize);
}

QSize TMvHelpButton::minimumSizeHint() const
{
    return QSize(ButtonSize, ButtonSize);
}

QPoint TMvHelpButton::PopupPosition(const QRect& aButton, const QSize& aPopup, const QRect& aWorkArea)
{
    const int startX = aButton.x() + aButton.width() + PopupGap;
    const int startY = aButton.y();
    int x = startX;
    int y = startY;
    if (aWorkArea.isNull())
        return QPoint(x, y);
    // Compared against the edges just outside the work area, so a window that ends
    // exactly on its last pixel still fits.
    if (x + aPopup.width() > aWorkArea.x() + aWorkArea.width())
        x = startX - aButton.width() - aPopup.width() - PopupGap;
    if (y + aPopup.height() > aWorkArea.y() + aWorkArea.height())
        y = startY + aButton.height() - aPopup.height();
    return QPoint(x, y);
}

void TMvHelpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(backgroundRole()));
    const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this);
    const QPixmap pixmap = icon.pixmap(QSize(ButtonSize, ButtonSize), devicePixelRatioF());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(0, 0, ButtonSize, ButtonSize), pixmap);
}

void TMvHelpButton::enterEvent(QEnterEvent* aEvent)
{
    QWidget::enterEvent(aEvent);
    // A zero-interval QTimer would fire on every pass of the event loop, busying the
    // machine for as long as the pointer rests here.
    if (FShowDelayMs > 0)
        FTimer->start(FShowDelayMs);
}

void TMvHelpButton::leaveEvent(QEvent* aEvent)
{
    QWidget::leaveEvent(aEvent);
    FTimer->stop();
    DestroyPopup();
}

void TMvHelpButton::hideEvent(QHideEvent* aEvent)
{
    // A hidden button gets no leave event any more; the window must not be left behind.
    QWidget::hideEvent(aEvent);
    FTimer->stop();
    DestroyPopup();
}

void TMvHelpButton::TimerTick()
{
    if (!FPopup)
        BuildPopup();
    PlacePopup();
}

void TMvHelpButton::BuildPopup()
{
    // A child object of the button, so it goes when the button goes, yet a window of its
    // own so it can reach beyond the dialog.
    auto* popup = new QWidget(this, Qt::ToolTip | Qt::FramelessWindowHint);
    popup->setAttribute(Qt::WA_ShowWithoutActivating);
    popup->setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette pal = popup->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    popup->setPalette(pal);
    popup->setAutoFillBackground(true);

    QFont titleFont = popup->font();
    titleFont.setBold(true);
    titleFont.setUnderline(true);

    const QStringList lines = FText.split(QLatin1Char('\n'));
    const QFontMetrics metrics(popup->font());
    // The bold title counts too: a short text under a long title must not cut the title.
    int widest = QFontMetrics(titleFont).horizontalAdvance(FTitle);
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int lineHeight = metrics.height();
    // One line more for the title.
    const QSize size(widest + 2 * PopupMargin, lineHeight * int(lines.size()) + lineHeight + 2 * PopupMargin);
    popup->setFixedSize(size);

    // A sunken outer and a raised inner line: an etched edge.
    auto* panel = new QFrame(popup);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setGeometry(0, 0, size.width(), size.height());

    // Placed by hand rather than by a layout: the frame line lies inside the margin and
    // must not take width away from the text, which is measured to fit exactly.
    auto* title = new QLabel(FTitle, panel);
    title->setObjectName(QStringLiteral("HelpTitle"));
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    title->setTextFormat(Qt::PlainText);
    title->setGeometry(PopupMargin, PopupMargin, size.width() - 2 * PopupMargin,
                       QFontMetrics(titleFont).height());

    auto* text = new QLabel(FText, panel);
    text->setObjectName(QStringLiteral("HelpText"));
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setTextFormat(Qt::PlainText);
    const int textTop = PopupMargin + lineHeight;
    text->setGeometry(PopupMargin, textTop, size.width() - 2 * PopupMargin,
                      size.height() - textTop - panel->frameWidth());

    FPopup = popup;
    PlacePopup();
    popup->show();
}

void TMvHelpButton::PlacePopup()
{
    if (!FPopup)
        return;
    const QRect button(mapToGlobal(QPoint(0, 0)), size());
    const QScreen* screen = ScreenNearest(button);
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    FPopup->move(PopupPosition(button, FPopup->size(), workArea));
}

void TMvHelpButton::DestroyPopup()
{
    delete FPopup.data();
    FPopup = nullptr;
}
