#include "controls/RoundLed.h"

#include <QTimer>
#include <QtTest>

namespace {

using On = TRoundLed::TLedOnColors;
using Off = TRoundLed::TLedOffColors;

// Counts paints so the tests can tell whether a setter asked for one.
class TCountingLed : public TRoundLed
{
public:
    using TRoundLed::TRoundLed;
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* aEvent) override
    {
        ++Paints;
        TRoundLed::paintEvent(aEvent);
    }
};

QPoint BulbPixel()
{
    return TRoundLed::BulbRect().center();
}

QRgb PixelAt(QWidget& aWidget, QPoint aPoint)
{
    return aWidget.grab().toImage().pixel(aPoint);
}

} // namespace

class TstRoundLed : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void bitmapMarkers();
    void colourValues();
    void autoSelectPairsColours();
    void blinkKeepsOneTimerAndToggles();
    void leavingBlinkDestroysTimer();
    void blinkRateRetimesRunningTimer();
    void paintsLampAndParentBackground();
    void unchangedSettersDoNotRepaint();
    void sizeStaysFixed();
};

void TstRoundLed::defaults()
{
    TRoundLed led;
    QCOMPARE(led.LedStatus(), TRoundLed::lsOff);
    QCOMPARE(led.LedOnColor(), On::lcRed);
    QCOMPARE(led.LedOffColor(), Off::lcMaroon);
    QVERIFY(led.AutoSelectColor());
    QCOMPARE(led.BlinkRate(), quint16(1000));
    QVERIFY(!led.IsLit());
    QVERIFY(!led.BlinkTimerActive());
    QCOMPARE(led.LampColor(), QColor(0x80, 0x00, 0x00));
    // Reachable through the meta-object as well, which is how forms set them.
    QCOMPARE(led.property("LedOnColor").value<On>(), On::lcRed);
    QVERIFY(led.setProperty("LedStatus", QVariant::fromValue(TRoundLed::lsOn)));
    QCOMPARE(led.LedStatus(), TRoundLed::lsOn);
    QVERIFY(led.setProperty("BlinkRate", 250));
    QCOMPARE(led.BlinkRate(), quint16(250));
}

void TstRoundLed::bitmapMarkers()
{
    const QImage& bitmap = TRoundLed::LampBitmap();
    QCOMPARE(bitmap.size(), QSize(15, 15));
    const QRect bulb = TRoundLed::BulbRect();
    QCOMPARE(bulb, QRect(QPoint(5, 5), QPoint(9, 9)));
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bulb.contains(x, y))
                QCOMPARE(bitmap.pixel(x, y), qRgb(0x80, 0x00, 0x00));
    QCOMPARE(bitmap.pixel(0, 0), qRgb(0x80, 0x80, 0x00));
    QCOMPARE(bitmap.pixel(14, 14), qRgb(0x80, 0x80, 0x00));
}

void TstRoundLed::colourValues()
{
    QCOMPARE(TRoundLed::OnColorValue(On::lcSilver), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(TRoundLed::OnColorValue(On::lcLime), QColor(0x00, 0xFF, 0x00));
    QCOMPARE(TRoundLed::OnColorValue(On::lcFuchsia), QColor(0xFF, 0x00, 0xFF));
    QCOMPARE(TRoundLed::OnColorValue(On::lcWhite), QColor(0xFF, 0xFF, 0xFF));
    QCOMPARE(TRoundLed::OffColorValue(Off::lcBlack), QColor(0x00, 0x00, 0x00));
    QCOMPARE(TRoundLed::OffColorValue(Off::lcOlive), QColor(0x80, 0x80, 0x00));
    QCOMPARE(TRoundLed::OffColorValue(Off::lcTeal), QColor(0x00, 0x80, 0x80));
    QCOMPARE(TRoundLed::OffColorValue(Off::lcGray), QColor(0x80, 0x80, 0x80));
}

void TstRoundLed::autoSelectPairsColours()
{
    TRoundLed led;
    led.SetLedOnColor(On::lcLime);
    QCOMPARE(led.LedOffColor(), Off::lcGreen);
    led.SetLedOffColor(Off::lcNavy);
    QCOMPARE(led.LedOnColor(), On::lcBlue);
    led.SetLedOnColor(On::lcWhite);
    QCOMPARE(led.LedOffColor(), Off::lcGray);

    led.SetAutoSelectColor(false);
    led.SetLedOnColor(On::lcYellow);
    QCOMPARE(led.LedOffColor(), Off::lcGray);
    led.SetLedOffColor(Off::lcBlack);
    QCOMPARE(led.LedOnColor(), On::lcYellow);
    QCOMPARE(led.LampColor(), QColor(0x00, 0x00, 0x00));
    led.SetOn(true);
    QCOMPARE(led.LampColor(), QColor(0xFF, 0xFF, 0x00));

    // Choosing the same colour again with the pairing back on brings its partner along.
    led.SetAutoSelectColor(true);
    led.SetLedOnColor(On::lcYellow);
    QCOMPARE(led.LedOffColor(), Off::lcOlive);
    led.SetAutoSelectColor(false);
    led.SetLedOnColor(On::lcAqua);
    led.SetAutoSelectColor(true);
    led.SetLedOffColor(Off::lcOlive);
    QCOMPARE(led.LedOnColor(), On::lcYellow);
}

void TstRoundLed::blinkKeepsOneTimerAndToggles()
{
    TRoundLed led;
    led.SetBlinkRate(20);
    led.SetLedStatus(TRoundLed::lsBlink);
    QTimer* timer = led.findChild<QTimer*>();
    led.SetLedStatus(TRoundLed::lsBlink);
    QCOMPARE(led.findChildren<QTimer*>(), QList<QTimer*>{timer});
    QCOMPARE(timer->interval(), 20);
    QVERIFY(led.BlinkTimerActive());

    // Starting to blink keeps the lamp as it was; each tick turns it over.
    QVERIFY(!led.IsLit());
    led.BlinkTick();
    QVERIFY(led.IsLit());
    QCOMPARE(PixelAt(led, BulbPixel()), qRgb(0xFF, 0x00, 0x00));
    led.BlinkTick();
    QVERIFY(!led.IsLit());
    QCOMPARE(PixelAt(led, BulbPixel()), qRgb(0x80, 0x00, 0x00));
}

void TstRoundLed::leavingBlinkDestroysTimer()
{
    TRoundLed led;
    led.SetLedStatus(TRoundLed::lsBlink);
    led.BlinkTick();
    led.SetLedStatus(TRoundLed::lsOff);
    QVERIFY(led.findChildren<QTimer*>().isEmpty());
    QVERIFY(!led.BlinkTimerActive());
    QVERIFY(!led.IsLit());

    led.SetLedStatus(TRoundLed::lsBlink);
    led.SetLedStatus(TRoundLed::lsOn);
    QVERIFY(led.findChildren<QTimer*>().isEmpty());
    QVERIFY(led.IsLit());
}

void TstRoundLed::blinkRateRetimesRunningTimer()
{
    TRoundLed led;
    led.SetLedStatus(TRoundLed::lsBlink);
    led.SetBlinkRate(300);
    QCOMPARE(led.findChildren<QTimer*>().first()->interval(), 300);
    led.SetBlinkRate(0);
    QVERIFY(!led.BlinkTimerActive());
    led.SetBlinkRate(40);
    QVERIFY(led.BlinkTimerActive());
    QCOMPARE(led.findChildren<QTimer*>().size(), 1);
}

void TstRoundLed::paintsLampAndParentBackground()
{
    QWidget parent;
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, QColor(0x12, 0x34, 0x56));
    parent.setPalette(palette);
    auto* led = new TRoundLed(&parent);
    // The lamp's own palette must not decide its corners.
    QPalette own = led->palette();
    own.setColor(QPalette::Window, QColor(0xAB, 0xCD, 0xEF));
    led->setPalette(own);
    led->SetLedOnColor(On::lcAqua);

    QCOMPARE(PixelAt(*led, BulbPixel()), qRgb(0x00, 0x80, 0x80));
    QCOMPARE(PixelAt(*led, TRoundLed::BulbRect().topLeft()), qRgb(0x00, 0x80, 0x80));
    QCOMPARE(PixelAt(*led, QPoint(0, 0)), qRgb(0x12, 0x34, 0x56));
    led->SetOn(true);
    QCOMPARE(PixelAt(*led, BulbPixel()), qRgb(0x00, 0xFF, 0xFF));
    QCOMPARE(PixelAt(*led, TRoundLed::BulbRect().bottomRight()), qRgb(0x00, 0xFF, 0xFF));
    QCOMPARE(PixelAt(*led, QPoint(14, 14)), qRgb(0x12, 0x34, 0x56));

    // A later change of the parent's colour reaches the cached pictures.
    palette.setColor(QPalette::Window, QColor(0x65, 0x43, 0x21));
    parent.setPalette(palette);
    QCOMPARE(PixelAt(*led, QPoint(14, 0)), qRgb(0x65, 0x43, 0x21));

    // Without a parent the lamp's own surface is used.
    TRoundLed orphan;
    orphan.setPalette(own);
    QCOMPARE(PixelAt(orphan, QPoint(0, 14)), qRgb(0xAB, 0xCD, 0xEF));
    QCOMPARE(PixelAt(orphan, BulbPixel()), qRgb(0x80, 0x00, 0x00));
}

void TstRoundLed::unchangedSettersDoNotRepaint()
{
    TCountingLed led;
    led.show();
    QVERIFY(QTest::qWaitForWindowExposed(&led));
    // Pending updates are posted events; handling them paints at once.
    QCoreApplication::processEvents();
    QVERIFY(led.Paints > 0);

    led.Paints = 0;
    led.SetOn(false);
    led.SetLedStatus(TRoundLed::lsOff);
    led.SetLedOnColor(On::lcRed);
    led.SetLedOffColor(Off::lcMaroon);
    led.SetBlinkRate(1000);
    QCoreApplication::processEvents();
    QCOMPARE(led.Paints, 0);

    led.SetOn(true);
    QCoreApplication::processEvents();
    QVERIFY(led.Paints > 0);
    led.Paints = 0;
    led.SetOn(true);
    QCoreApplication::processEvents();
    QCOMPARE(led.Paints, 0);

    led.SetLedOffColor(Off::lcPurple);
    QCoreApplication::processEvents();
    QVERIFY(led.Paints > 0);
}

void TstRoundLed::sizeStaysFixed()
{
    QWidget parent;
    auto* led = new TRoundLed(&parent);
    parent.resize(200, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QCOMPARE(led->size(), TRoundLed::LampBitmap().size());
    led->resize(60, 40);
    QCOMPARE(led->size(), TRoundLed::LampBitmap().size());
    // Even with the limits lifted, the next resize snaps back to the picture.
    led->setMinimumSize(0, 0);
    led->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    led->resize(60, 40);
    QCOMPARE(led->size(), TRoundLed::LampBitmap().size());
    QCOMPARE(led->sizeHint(), TRoundLed::LampBitmap().size());
}

QTEST_MAIN(TstRoundLed)
#include "tst_RoundLed.moc"
