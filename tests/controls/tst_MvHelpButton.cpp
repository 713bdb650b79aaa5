#include "controls/MvHelpButton.h"

#include <QEnterEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
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
    void popupAppearsAfterDelayAndGoesOnLeave();
    void popupContent();
    void popupFitsLongestLine();
    void popupFollowsButton();
    void nearRightScreenEdgeGoesLeft();
    void nearBottomScreenEdgeAlignsBottom();
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

void TstMvHelpButton::popupAppearsAfterDelayAndGoesOnLeave()
{
    QWidget window;
    auto* button = new TMvHelpButton(&window);
    button->move(20, 20);
    button->SetTitle(QStringLiteral("Hilfe"));
    button->SetText(QStringLiteral("Ein Text"));
    button->SetShowDelayMs(30);
    window.resize(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SendEnter(*button);
    // Not before the delay has passed.
    QCOMPARE(button->Popup(), nullptr);
    QTRY_VERIFY(button->Popup() != nullptr);
    QPointer<QWidget> popup = button->Popup();
    QVERIFY(popup->isVisible());
    QVERIFY(popup->isWindow());
    QCOMPARE(popup->windowType(), Qt::ToolTip);
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);

    // Further ticks keep the one window.
    QTest::qWait(100);
    QCOMPARE(button->Popup(), popup.data());

    SendLeave(*button);
    QCOMPARE(button->Popup(), nullptr);
    QVERIFY(popup.isNull());
    // And it stays gone: the timer was stopped.
    QTest::qWait(100);
    QCOMPARE(button->Popup(), nullptr);

    // The next visit shows it again.
    SendEnter(*button);
    QTRY_VERIFY(button->Popup() != nullptr);
    SendLeave(*button);
    QCOMPARE(button->Popup(), nullptr);
}

void TstMvHelpButton::popupContent()
{
    TMvHelpButton button;
    button.SetTitle(QStringLiteral("Wartezeit"));
    button.SetText(QStringLiteral("Zeile eins\r\nZeile zwei"));
    button.show();
    SendEnter(button);
    QTRY_VERIFY(button.Popup() != nullptr);
    QWidget* popup = button.Popup();

    QCOMPARE(popup->palette().color(QPalette::Window), popup->palette().color(QPalette::ToolTipBase));
    QVERIFY(popup->autoFillBackground());

    auto* panel = popup->findChild<QFrame*>();
    QVERIFY(panel);
    QVERIFY(panel->frameShape() != QFrame::NoFrame);
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

void TstMvHelpButton::popupFitsLongestLine()
{
    TMvHelpButton button;
    const QString last = QStringLiteral("und die letzte Zeile ist die allerlängste");
    button.SetTitle(QStringLiteral("T"));
    button.SetText(QStringLiteral("kurz\r\netwas länger\r\n") + last);
    button.show();
    SendEnter(button);
    QTRY_VERIFY(button.Popup() != nullptr);
    QWidget* popup = button.Popup();

    const QFontMetrics metrics(popup->font());
    QCOMPARE(popup->width(), metrics.horizontalAdvance(last) + 20);
    QVERIFY(popup->width() > metrics.horizontalAdvance(QStringLiteral("etwas länger")) + 20);
    // Three lines of text, one for the title, and the margins.
    QCOMPARE(popup->height(), metrics.height() * 4 + 20);

    auto* text = popup->findChild<QLabel*>(QStringLiteral("HelpText"));
    QVERIFY(text);
    QVERIFY(text->width() >= metrics.horizontalAdvance(last));
    QVERIFY(text->height() >= metrics.height() * 3);
}

void TstMvHelpButton::popupFollowsButton()
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto* button = new TMvHelpButton(&window);
    button->move(10, 10);
    button->SetText(QStringLiteral("x"));
    button->SetShowDelayMs(20);
    window.setGeometry(work.x() + 50, work.y() + 50, 100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SendEnter(*button);
    QTRY_VERIFY(button->Popup() != nullptr);
    QWidget* popup = button->Popup();
    QTRY_COMPARE(popup->pos(), ScreenRect(*button).topRight() + QPoint(3, 0));

    window.move(work.x() + 120, work.y() + 80);
    QTRY_COMPARE(popup->pos(), ScreenRect(*button).topRight() + QPoint(3, 0));
    QCOMPARE(button->Popup(), popup);
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
    QTRY_VERIFY(button->Popup() != nullptr);
    QWidget* popup = button->Popup();
    const QRect buttonRect = ScreenRect(*button);
    QVERIFY(buttonRect.right() + 2 + popup->width() > work.x() + work.width());
    QTRY_COMPARE(popup->x(), buttonRect.x() - popup->width());
    QCOMPARE(popup->y(), buttonRect.y());
    QVERIFY(popup->geometry().right() < buttonRect.left());
}

void TstMvHelpButton::nearBottomScreenEdgeAlignsBottom()
{
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto* button = new TMvHelpButton(&window);
    button->move(10, 10);
    button->SetText(QStringLiteral("eins\nzwei\ndrei\nvier"));
    window.setGeometry(work.x() + 100, work.y() + work.height() - 40, 40, 40);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SendEnter(*button);
    QTRY_VERIFY(button->Popup() != nullptr);
    QWidget* popup = button->Popup();
    const QRect buttonRect = ScreenRect(*button);
    QTRY_COMPARE(popup->geometry().bottom(), buttonRect.bottom());
    QCOMPARE(popup->x(), buttonRect.x() + buttonRect.width() + 2);
}

void TstMvHelpButton::destroyingButtonDestroysPopup()
{
    auto* button = new TMvHelpButton;
    button->SetText(QStringLiteral("x"));
    button->show();
    SendEnter(*button);
    QTRY_VERIFY(button->Popup() != nullptr);
    QPointer<QWidget> popup = button->Popup();
    delete button;
    QVERIFY(popup.isNull());
}

void TstMvHelpButton::hidingButtonDestroysPopup()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("x"));
    button.show();
    SendEnter(button);
    QTRY_VERIFY(button.Popup() != nullptr);
    button.hide();
    QCOMPARE(button.Popup(), nullptr);
    QTest::qWait(100);
    QCOMPARE(button.Popup(), nullptr);
}

void TstMvHelpButton::changedTextRebuildsPopup()
{
    TMvHelpButton button;
    button.SetText(QStringLiteral("kurz"));
    button.show();
    SendEnter(button);
    QTRY_VERIFY(button.Popup() != nullptr);
    const int narrow = button.Popup()->width();
    button.SetText(QStringLiteral("ein viel, viel längerer Text als vorher"));
    QTRY_VERIFY(button.Popup() != nullptr && button.Popup()->width() > narrow);
    auto* text = button.Popup()->findChild<QLabel*>(QStringLiteral("HelpText"));
    QVERIFY(text);
    QCOMPARE(text->text(), QStringLiteral("ein viel, viel längerer Text als vorher"));
}

QTEST_MAIN(TstMvHelpButton)
#include "tst_MvHelpButton.moc"
