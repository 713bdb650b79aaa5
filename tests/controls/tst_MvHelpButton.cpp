#include "controls/MvHelpButton.h"

#include <QEnterEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

void SendEnter(QWidget& aWidget)
{
    const QPointF local(4, 4);
    QEnterEvent event(local, local, aWidget.mapToGlobal(local));
    QCoreApplication::sendEvent(&aWidget, &event);
}

void SendLeave(QWidget& aWidget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&aWidget, &event);
}

QRect ScreenRect(const QWidget& aWidget)
{
    return QRect(aWidget.mapToGlobal(QPoint(0, 0)), aWidget.size());
}

} // namespace

class TstMvHelpButton : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void lineBreaksNormalised();
    void placement_data();
    void placement();
    void popupShownByTicksAndGoneOnLeave();
    void zeroDelayShowsNothing();
    void popupContent();
    void popupFitsLongestLineAndTitle();
    void popupFollowsButton();
    void nearRightScreenEdgeGoesLeft();
    void destroyingButtonDestroysPopup();
    void hidingButtonDestroysPopup();
    void changedTextRebuildsPopup();
};

void TstMvHelpButton::defaults()
{
    TMvHelpButton button;
    QCOMPARE(button.size(), QSize(16, 16));
    QCOMPARE(button.sizeHint(), QSize(16, 16));
    QCOMPARE(button.ShowDelayMs(), 50);
    QVERIFY(button.Title().isEmpty());
    QVERIFY(button.Text().isEmpty());
    QCOMPARE(button.Popup(), nullptr);
    QVERIFY(!button.findChild<QTimer*>()->isActive());
    QVERIFY(button.setProperty("ShowDelayMs", 120));
    QCOMPARE(button.ShowDelayMs(), 120);
    QVERIFY(button.setProperty("Title", QStringLiteral("Wartezeit")));
    QCOMPARE(button.Title(), QStringLiteral("Wartezeit"));
    // Painting the icon must work without a window around it.
    QCOMPARE(button.grab().size(), QSize(16, 16));
}

void TstMvHelpButton::lineBreaksNormalised()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("eins\r\nzwei\ndrei"));
    QCOMPARE(button.Text(), QStringLiteral("eins\nzwei\ndrei"));
}

void TstMvHelpButton::placement_data()
{
    QTest::addColumn<QRect>("buttonRect");
    QTest::addColumn<QSize>("popup");
    QTest::addColumn<QRect>("workArea");
    QTest::addColumn<QPoint>("expected");

    const QRect work(0, 0, 1000, 800);
    const QSize popup(200, 100);
    QTest::newRow("plenty of room") << QRect(100, 100, 16, 16) << popup << work << QPoint(118, 100);
    QTest::newRow("near the right edge") << QRect(900, 100, 16, 16) << popup << work << QPoint(700, 100);
    QTest::newRow("exactly fits on the right")
        << QRect(782, 100, 16, 16) << popup << work << QPoint(800, 100);
    QTest::newRow("one pixel too wide") << QRect(783, 100, 16, 16) << popup << work << QPoint(583, 100);
    QTest::newRow("near the bottom") << QRect(100, 750, 16, 16) << popup << work << QPoint(118, 666);
    QTest::newRow("exactly fits at the bottom")
        << QRect(100, 700, 16, 16) << popup << work << QPoint(118, 700);
    QTest::newRow("near both") << QRect(900, 750, 16, 16) << popup << work << QPoint(700, 666);
    QTest::newRow("second screen") << QRect(2800, 100, 16, 16) << popup << QRect(1920, 0, 1000, 800)
                                   << QPoint(2600, 100);
    QTest::newRow("work area below a top panel")
        << QRect(100, 700, 16, 16) << popup << QRect(0, 30, 1000, 770) << QPoint(118, 700);
    QTest::newRow("no screen") << QRect(900, 750, 16, 16) << popup << QRect() << QPoint(918, 750);
}

void TstMvHelpButton::placement()
{
    QFETCH(QRect, buttonRect);
    QFETCH(QSize, popup);
    QFETCH(QRect, workArea);
    QFETCH(QPoint, expected);
    QCOMPARE(TMvHelpButton::PopupPosition(buttonRect, popup, workArea), expected);
}

void TstMvHelpButton::popupShownByTicksAndGoneOnLeave()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("Ein Text"));
    button.SetShowDelayMs(30);
    button.show();
    auto* timer = button.findChild<QTimer*>();

    SendEnter(button);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 30);
    // Not before the first tick.
    QCOMPARE(button.Popup(), nullptr);
    button.TimerTick();
    QPointer<QWidget> popup = button.Popup();
    QVERIFY(popup);
    QVERIFY(popup->isVisible());
    QVERIFY(popup->isWindow());
    QCOMPARE(popup->windowType(), Qt::ToolTip);
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
    // Showing does not stop the timer, and further ticks keep the one window.
    QVERIFY(timer->isActive());
    button.TimerTick();
    QCOMPARE(button.Popup(), popup.data());

    SendLeave(button);
    QVERIFY(popup.isNull());
    QCOMPARE(button.Popup(), nullptr);
    QVERIFY(!timer->isActive());

    // The next visit shows it again.
    SendEnter(button);
    button.TimerTick();
    QVERIFY(button.Popup() != nullptr);
}

void TstMvHelpButton::zeroDelayShowsNothing()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("x"));
    button.show();
    auto* timer = button.findChild<QTimer*>();
    SendEnter(button);
    QVERIFY(timer->isActive());
    button.SetShowDelayMs(0);
    QVERIFY(!timer->isActive());
    SendLeave(button);
    SendEnter(button);
    QVERIFY(!timer->isActive());
}

void TstMvHelpButton::popupContent()
{
    TMvHelpButton button;
    button.SetTitle(QStringLiteral("Wartezeit"));
    button.SetText(QStringLiteral("Zeile eins\r\nZeile zwei"));
    button.show();
    SendEnter(button);
    button.TimerTick();
    QWidget* popup = button.Popup();
    QVERIFY(popup);

    QCOMPARE(popup->palette().color(QPalette::Window), popup->palette().color(QPalette::ToolTipBase));
    QVERIFY(popup->autoFillBackground());

    auto* panel = popup->findChild<QFrame*>();
    QVERIFY(panel);
    QCOMPARE(panel->frameShape(), QFrame::Box);
    QCOMPARE(panel->frameShadow(), QFrame::Sunken);
    QCOMPARE(panel->geometry(), popup->rect());

    auto* title = popup->findChild<QLabel*>(QStringLiteral("HelpTitle"));
    auto* text = popup->findChild<QLabel*>(QStringLiteral("HelpText"));
    QVERIFY(title && text);
    QCOMPARE(title->text(), QStringLiteral("Wartezeit"));
    QVERIFY(title->font().bold());
    QVERIFY(title->font().underline());
    QVERIFY(title->alignment() & Qt::AlignHCenter);
    QCOMPARE(text->text(), QStringLiteral("Zeile eins\nZeile zwei"));
    QVERIFY(text->alignment() & Qt::AlignLeft);
    QVERIFY(!text->font().bold());

    // Ten pixels to the left, right and top.
    QCOMPARE(title->x(), 10);
    QCOMPARE(title->y(), 10);
    QCOMPARE(title->x() + title->width(), popup->width() - 10);
    QCOMPARE(text->x(), 10);
    QCOMPARE(text->x() + text->width(), popup->width() - 10);
    QVERIFY(text->y() >= title->y() + title->height() - 1);
}

void TstMvHelpButton::popupFitsLongestLineAndTitle()
{
    TMvHelpButton button;
    const QString last = QStringLiteral("und die letzte Zeile ist die allerlängste");
    button.SetTitle(QStringLiteral("T"));
    button.SetText(QStringLiteral("kurz\r\netwas länger\r\n") + last);
    button.show();
    SendEnter(button);
    button.TimerTick();
    QWidget* popup = button.Popup();
    QVERIFY(popup);

    const QFontMetrics metrics(popup->font());
    QCOMPARE(popup->width(), metrics.horizontalAdvance(last) + 20);
    // Three lines of text, one for the title, and the margins.
    QCOMPARE(popup->height(), metrics.height() * 4 + 20);
    auto* text = popup->findChild<QLabel*>(QStringLiteral("HelpText"));
    QVERIFY(text->width() >= metrics.horizontalAdvance(last));
    QVERIFY(text->height() >= metrics.height() * 3);

    // A title wider than the text widens the window for itself.
    const QString title = QStringLiteral("Ein Titel, der viel länger ist als der Text");
    button.SetTitle(title);
    button.SetText(QStringLiteral("kurz"));
    button.TimerTick();
    auto* titleLabel = button.Popup()->findChild<QLabel*>(QStringLiteral("HelpTitle"));
    const int titleWidth = QFontMetrics(titleLabel->font()).horizontalAdvance(title);
    QCOMPARE(button.Popup()->width(), titleWidth + 20);
    QVERIFY(titleLabel->width() >= titleWidth);
}

void TstMvHelpButton::popupFollowsButton()
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto* button = new TMvHelpButton(&window);
    button->move(10, 10);
    button->SetText(QStringLiteral("x"));
    window.setGeometry(work.x() + 50, work.y() + 50, 100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SendEnter(*button);
    button->TimerTick();
    QWidget* popup = button->Popup();
    QCOMPARE(popup->pos(), ScreenRect(*button).topRight() + QPoint(3, 0));

    window.move(work.x() + 120, work.y() + 80);
    button->TimerTick();
    QCOMPARE(button->Popup(), popup);
    QCOMPARE(popup->pos(), ScreenRect(*button).topRight() + QPoint(3, 0));
}

void TstMvHelpButton::nearRightScreenEdgeGoesLeft()
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto* button = new TMvHelpButton(&window);
    button->move(10, 10);
    button->SetTitle(QStringLiteral("Hilfe"));
    button->SetText(QStringLiteral("Ein etwas längerer Hilfetext"));
    window.setGeometry(work.x() + work.width() - 40, work.y() + 100, 40, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SendEnter(*button);
    button->TimerTick();
    QWidget* popup = button->Popup();
    const QRect buttonRect = ScreenRect(*button);
    QVERIFY(buttonRect.right() + 2 + popup->width() > work.x() + work.width());
    QCOMPARE(popup->pos(), QPoint(buttonRect.x() - popup->width(), buttonRect.y()));
}

void TstMvHelpButton::destroyingButtonDestroysPopup()
{
    auto* button = new TMvHelpButton;
    button->SetText(QStringLiteral("x"));
    button->show();
    SendEnter(*button);
    button->TimerTick();
    QPointer<QWidget> popup = button->Popup();
    QVERIFY(popup);
    delete button;
    QVERIFY(popup.isNull());
}

void TstMvHelpButton::hidingButtonDestroysPopup()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("x"));
    button.show();
    SendEnter(button);
    button.TimerTick();
    QVERIFY(button.Popup() != nullptr);
    button.hide();
    QCOMPARE(button.Popup(), nullptr);
    QVERIFY(!button.findChild<QTimer*>()->isActive());
}

void TstMvHelpButton::changedTextRebuildsPopup()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("kurz"));
    button.show();
    SendEnter(button);
    button.TimerTick();
    const int narrow = button.Popup()->width();
    button.SetText(QStringLiteral("ein viel, viel längerer Text als vorher"));
    button.TimerTick();
    QVERIFY(button.Popup()->width() > narrow);
    auto* text = button.Popup()->findChild<QLabel*>(QStringLiteral("HelpText"));
    QCOMPARE(text->text(), QStringLiteral("ein viel, viel längerer Text als vorher"));
}

QTEST_MAIN(TstMvHelpButton)
#include "tst_MvHelpButton.moc"
