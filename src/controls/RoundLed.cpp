#include "controls/RoundLed.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

// Marker colours of the lamp picture; nothing else in the picture may use them or it
// would be recoloured too.
constexpr QRgb KeyBackground = 0xFF808000; // olive
constexpr QRgb KeyBulb = 0xFF800000;       // maroon

constexpr int BitmapSize = 15;

QImage MakeLampBitmap()
{
    QImage image(BitmapSize, BitmapSize, QImage::Format_RGB32);
    const double centre = (BitmapSize - 1) / 2.0;
    // The bulb is exactly the 5x5 square around the centre (a radius that reaches its
    // corners, 2.83, but not the next pixel out, 3.0).
    const double bulbRadius = 2.9;
    const double bezelRadius = 4.6;
    const double outerRadius = 7.1;
    for (int y = 0; y < BitmapSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < BitmapSize; ++x) {
            const double dx = x - centre;
            const double dy = y - centre;
            const double d = std::hypot(dx, dy);
            if (d > outerRadius) {
                line[x] = KeyBackground;
                continue;
            }
            if (d <= bulbRadius) {
                line[x] = KeyBulb;
                continue;
            }
            // Light falls from the upper left: +1 there, -1 at the lower right.
            const double light = -(dx + dy) / (d * std::sqrt(2.0));
            int grey;
            if (d <= bezelRadius)
                grey = 70 - int(light * 40); // recessed socket, shaded the other way
            else
                grey = 170 + int(light * 70); // raised chrome ring
            grey = std::clamp(grey, 0, 255);
            // Greys can never collide with the two marker colours.
            line[x] = qRgb(grey, grey, grey);
        }
    }
    return image;
}

} // namespace

TRoundLed::TRoundLed(QWidget* aParent)
    : QWidget(aParent)
{
    // Every pixel is painted, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(LampBitmap().size());
}

TRoundLed::~TRoundLed() = default;

const QImage& TRoundLed::LampBitmap()
{
    static const QImage bitmap = MakeLampBitmap();
    return bitmap;
}

QColor TRoundLed::OnColorValue(TLedOnColors aColor)
{
    switch (aColor) {
    case TLedOnColors::lcSilver: return QColor(0xC0, 0xC0, 0xC0);
    case TLedOnColors::lcRed: return QColor(0xFF, 0x00, 0x00);
    case TLedOnColors::lcLime: return QColor(0x00, 0xFF, 0x00);
    case TLedOnColors::lcYellow: return QColor(0xFF, 0xFF, 0x00);
    case TLedOnColors::lcBlue: return QColor(0x00, 0x00, 0xFF);
    case TLedOnColors::lcFuchsia: return QColor(0xFF, 0x00, 0xFF);
    case TLedOnColors::lcAqua: return QColor(0x00, 0xFF, 0xFF);
    case TLedOnColors::lcWhite: return QColor(0xFF, 0xFF, 0xFF);
    }
    return QColor(0xFF, 0x00, 0x00);
}

QColor TRoundLed::OffColorValue(TLedOffColors aColor)
{
    switch (aColor) {
    case TLedOffColors::lcBlack: return QColor(0x00, 0x00, 0x00);
    case TLedOffColors::lcMaroon: return QColor(0x80, 0x00, 0x00);
    case TLedOffColors::lcGreen: return QColor(0x00, 0x80, 0x00);
    case TLedOffColors::lcOlive: return QColor(0x80, 0x80, 0x00);
    case TLedOffColors::lcNavy: return QColor(0x00, 0x00, 0x80);
    case TLedOffColors::lcPurple: return QColor(0x80, 0x00, 0x80);
    case TLedOffColors::lcTeal: return QColor(0x00, 0x80, 0x80);
    case TLedOffColors::lcGray: return QColor(0x80, 0x80, 0x80);
    }
    return QColor(0x80, 0x00, 0x00);
}

void TRoundLed::SetLedStatus(TLedStatus aValue)
{
    if (aValue == FLedStatus)
        return;
    FLedStatus = aValue;
    DestroyBlinkTimer();
    switch (aValue) {
    case lsOff: FLit = false; break;
    case lsOn: FLit = true; break;
    case lsBlink:
        FBlinkTimer = new QTimer(this);
        FBlinkTimer->setInterval(FBlinkRate);
        connect(FBlinkTimer, &QTimer::timeout, this, &TRoundLed::BlinkTick);
        // A zero rate would flood the event loop; the lamp just holds its state.
        if (FBlinkRate > 0)
            FBlinkTimer->start();
        break;
    }
    update();
}

// The partner colour is applied even when the chosen colour stays the same, so that
// switching AutoSelectColor on and choosing again pairs up colours picked one by one.
void TRoundLed::SetLedOnColor(TLedOnColors aValue)
{
    const TLedOffColors off =
        FAutoSelectColor ? static_cast<TLedOffColors>(static_cast<int>(aValue)) : FLedOffColor;
    if (aValue == FLedOnColor && off == FLedOffColor)
        return;
    FLedOnColor = aValue;
    FLedOffColor = off;
    InvalidateCache();
}

void TRoundLed::SetLedOffColor(TLedOffColors aValue)
{
    const TLedOnColors on =
        FAutoSelectColor ? static_cast<TLedOnColors>(static_cast<int>(aValue)) : FLedOnColor;
    if (aValue == FLedOffColor && on == FLedOnColor)
        return;
    FLedOffColor = aValue;
    FLedOnColor = on;
    InvalidateCache();
}

void TRoundLed::SetBlinkRate(quint16 aValue)
{
    if (aValue == FBlinkRate)
        return;
    FBlinkRate = aValue;
    if (!FBlinkTimer)
        return;
    if (aValue > 0)
        FBlinkTimer->start(aValue);
    else
        FBlinkTimer->stop();
}

bool TRoundLed::BlinkTimerActive() const
{
    return FBlinkTimer && FBlinkTimer->isActive();
}

QColor TRoundLed::LampColor() const
{
    return FLit ? OnColorValue(FLedOnColor) : OffColorValue(FLedOffColor);
}

QSize TRoundLed::sizeHint() const
{
    return LampBitmap().size();
}

QSize TRoundLed::minimumSizeHint() const
{
    return LampBitmap().size();
}

void TRoundLed::BlinkTick()
{
    FLit = !FLit;
    // Only the bulb changes between the two pictures.
    update(BulbRect());
}

void TRoundLed::DestroyBlinkTimer()
{
    // Deleted at once rather than later so that no stray tick can arrive after the
    // status has moved on.
    delete FBlinkTimer;
    FBlinkTimer = nullptr;
}

void TRoundLed::InvalidateCache()
{
    FCacheValid = false;
    update();
}

QColor TRoundLed::BackgroundColor() const
{
    // The lamp sits on its parent's surface, so its corners take that colour even
    // when this widget has been given a palette of its own.
    const QWidget* owner = parentWidget() ? parentWidget() : this;
    return owner->palette().color(QPalette::Window);
}

void TRoundLed::RebuildCache(const QColor& aBackground)
{
    const QImage& bitmap = LampBitmap();
    const QRgb background = aBackground.rgb();
    const QRgb onColor = OnColorValue(FLedOnColor).rgb();
    const QRgb offColor = OffColorValue(FLedOffColor).rgb();
    const QRect bulb = BulbRect();

    FLitImage = bitmap.copy();
    FDarkImage = bitmap.copy();
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* lit = reinterpret_cast<QRgb*>(FLitImage.scanLine(y));
        auto* dark = reinterpret_cast<QRgb*>(FDarkImage.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            const QRgb pixel = lit[x];
            if (pixel == KeyBackground) {
                lit[x] = dark[x] = background;
            } else if (pixel == KeyBulb && bulb.contains(x, y)) {
                lit[x] = onColor;
                dark[x] = offColor;
            }
        }
    }
    FCachedBackground = background;
    FCacheValid = true;
}

void TRoundLed::paintEvent(QPaintEvent* aEvent)
{
    // Comparing one colour per paint is far cheaper than hooking every way the
    // parent's palette can change.
    const QColor background = BackgroundColor();
    if (!FCacheValid || background.rgb() != FCachedBackground)
        RebuildCache(background);
    QPainter painter(this);
    const QRect area = aEvent->rect();
    painter.drawImage(area, FLit ? FLitImage : FDarkImage, area);
}

void TRoundLed::resizeEvent(QResizeEvent* aEvent)
{
    QWidget::resizeEvent(aEvent);
    // Layouts or callers may still try to stretch the lamp; the picture has one size.
    if (size() != LampBitmap().size())
        setFixedSize(LampBitmap().size());
}

void TRoundLed::changeEvent(QEvent* aEvent)
{
    if (aEvent->type() == QEvent::PaletteChange || aEvent->type() == QEvent::ParentChange)
        update();
    QWidget::changeEvent(aEvent);
}
