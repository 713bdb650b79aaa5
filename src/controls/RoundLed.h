#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

class QTimer;

// A small round indicator lamp, used for the modem lines and the transfer activity.
// The main window refreshes several of these many times a second, so everything that
// can be prepared ahead of painting is cached and unchanged values never repaint.
class TRoundLed : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(TLedStatus LedStatus READ LedStatus WRITE SetLedStatus)
    Q_PROPERTY(TLedOnColors LedOnColor READ LedOnColor WRITE SetLedOnColor)
    Q_PROPERTY(TLedOffColors LedOffColor READ LedOffColor WRITE SetLedOffColor)
    Q_PROPERTY(bool AutoSelectColor READ AutoSelectColor WRITE SetAutoSelectColor)
    Q_PROPERTY(quint16 BlinkRate READ BlinkRate WRITE SetBlinkRate)

public:
    enum TLedStatus { lsOff, lsOn, lsBlink };
    Q_ENUM(TLedStatus)

    // Both lists are kept in matching order: with AutoSelectColor on, a colour picked
    // in one list brings along the entry at the same position in the other.
    enum class TLedOnColors { lcSilver, lcRed, lcLime, lcYellow, lcBlue, lcFuchsia, lcAqua, lcWhite };
    Q_ENUM(TLedOnColors)
    enum class TLedOffColors { lcBlack, lcMaroon, lcGreen, lcOlive, lcNavy, lcPurple, lcTeal, lcGray };
    Q_ENUM(TLedOffColors)

    explicit TRoundLed(QWidget* aParent = nullptr);
    ~TRoundLed() override;

    TLedStatus LedStatus() const { return FLedStatus; }
    void SetLedStatus(TLedStatus aValue);
    // Lit or dark without blinking; cheap to call on every refresh.
    void SetOn(bool aOn) { SetLedStatus(aOn ? lsOn : lsOff); }

    TLedOnColors LedOnColor() const { return FLedOnColor; }
    void SetLedOnColor(TLedOnColors aValue);
    TLedOffColors LedOffColor() const { return FLedOffColor; }
    void SetLedOffColor(TLedOffColors aValue);
    bool AutoSelectColor() const { return FAutoSelectColor; }
    void SetAutoSelectColor(bool aValue) { FAutoSelectColor = aValue; }

    quint16 BlinkRate() const { return FBlinkRate; }
    void SetBlinkRate(quint16 aValue);

    bool IsLit() const { return FLit; }
    bool BlinkTimerActive() const;
    QColor LampColor() const;

    static QColor OnColorValue(TLedOnColors aColor);
    static QColor OffColorValue(TLedOffColors aColor);

    // The lamp picture every instance shares: background pixels are olive, the bulb
    // pixels inside BulbRect() are maroon; both are swapped for real colours on paint.
    static const QImage& LampBitmap();
    static QRect BulbRect() { return QRect(5, 5, 5, 5); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The blink timer's handler: toggles the bulb. Public so that the lamp can be stepped
    // without waiting for the timer.
    void BlinkTick();

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void resizeEvent(QResizeEvent* aEvent) override;
    void changeEvent(QEvent* aEvent) override;

private:
    void DestroyBlinkTimer();
    void InvalidateCache();
    QColor BackgroundColor() const;
    void RebuildCache(const QColor& aBackground);

    TLedStatus FLedStatus = lsOff;
    TLedOnColors FLedOnColor = TLedOnColors::lcRed;
    TLedOffColors FLedOffColor = TLedOffColors::lcMaroon;
    bool FAutoSelectColor = true;
    quint16 FBlinkRate = 1000;
    bool FLit = false;
    QTimer* FBlinkTimer = nullptr;

    bool FCacheValid = false;
    QRgb FCachedBackground = 0;
    QImage FLitImage;
    QImage FDarkImage;
};
