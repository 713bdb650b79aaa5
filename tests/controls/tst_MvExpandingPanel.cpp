#include "controls/MvExpandingPanel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QtTest>

namespace {

// Counts paint events of one widget.
class TPaintCounter : public QObject
{
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(aWatched, aEvent);
    }
};

// The smallest rectangle around the pixels in aArea that differ clearly from aBackground.
QRect InkBounds(const QImage& aImage, const QRect& aArea, QColor aBackground)
{
    QRect bounds;
    for (int y = aArea.top(); y <= aArea.bottom(); ++y) {
        for (int x = aArea.left(); x <= aArea.right(); ++x) {
            const QColor c = aImage.pixelColor(x, y);
            const int diff = qAbs(c.red() - aBackground.red()) + qAbs(c.green() - aBackground.green())
                + qAbs(c.blue() - aBackground.blue());
            if (diff > 120)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool IsDark(const QImage& aImage, QPoint aPoint)
{
    return qGray(aImage.pixel(aPoint)) < 128;
}

} // namespace

class TstMvExpandingPanel : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void collapseAndExpandHeights();
    void expandedHeightWhileExpanded();
    void eventsCanRefuse();
    void eventOrder();
    void sameValueDoesNothing();
    void leftAlignmentShrinksWidth();
    void alignmentInLayout();
    void clickOnImageToggles();
    void plusAndMinusImage();
    void childrenHiddenWhileCollapsed();
    void horizontalTitle();
    void verticalTitle();
    void titleChangeRepaints();
    void properties();
};

void TstMvExpandingPanel::construction()
{
    QWidget parent;
    const QSize initial = QFrame(&parent).size();
    TmvExpandingPanel panel(&parent);
    QVERIFY(!panel.Expanded());
    QCOMPARE(panel.Align(), TmvExpandingPanel::alTop);
    QCOMPARE(panel.ExpandedHeight(), initial.height());
    QCOMPARE(panel.ExpandedWidth(), initial.width());
    QCOMPARE(panel.height(), 18);

    QCOMPARE(panel.mTitleNamePanel->parentWidget(), &panel);
    QCOMPARE(panel.mTitleNamePanel->geometry(), QRect(0, 0, panel.width(), 18));
    QVERIFY(!panel.mTitleNamePanel->Vertical());
    QCOMPARE(panel.mTitleNamePanel->frameShape(), QFrame::Panel);
    QCOMPARE(panel.mTitleNamePanel->frameShadow(), QFrame::Sunken);
    QVERIFY(panel.mTitleNamePanel->autoFillBackground());
    QCOMPARE(panel.mTitleNamePanel->palette().color(QPalette::Window),
             panel.palette().color(QPalette::ToolTipBase));

    QCOMPARE(panel.bExpand->parentWidget(), panel.mTitleNamePanel);
    QCOMPARE(panel.bExpand->geometry(), QRect(3, 3, 12, 12));
    QVERIFY(panel.bExpand->Plus());
    QVERIFY(panel.Title().isEmpty());
}

void TstMvExpandingPanel::collapseAndExpandHeights()
{
    TmvExpandingPanel panel;
    panel.SetExpandedHeight(150);
    // Stored only: the panel is closed.
    QCOMPARE(panel.height(), 18);
    QCOMPARE(panel.ExpandedHeight(), 150);

    panel.SetExpanded(true);
    QVERIFY(panel.Expanded());
    QVERIFY(!panel.bExpand->Plus());
    QCOMPARE(panel.height(), 150);
    QCOMPARE(panel.minimumHeight(), 150);
    QCOMPARE(panel.maximumHeight(), 150);

    panel.SetExpanded(false);
    QVERIFY(!panel.Expanded());
    QVERIFY(panel.bExpand->Plus());
    QCOMPARE(panel.height(), 18);
    QCOMPARE(panel.maximumHeight(), 18);
    QCOMPARE(panel.ExpandedHeight(), 150);

    panel.Expand();
    QCOMPARE(panel.height(), 150);
    panel.Collapse();
    QCOMPARE(panel.height(), 18);

    // Opened, the strip with its image stays whole.
    panel.SetExpandedHeight(5);
    panel.Expand();
    QCOMPARE(panel.height(), 18);
}

void TstMvExpandingPanel::expandedHeightWhileExpanded()
{
    TmvExpandingPanel panel;
    panel.SetExpandedHeight(150);
    panel.SetExpanded(true);
    panel.SetExpandedHeight(100);
    QCOMPARE(panel.ExpandedHeight(), 100);
    QCOMPARE(panel.height(), 118);
    // Closing remembers the height the panel really had.
    panel.SetExpanded(false);
    QCOMPARE(panel.ExpandedHeight(), 118);
    panel.SetExpanded(true);
    QCOMPARE(panel.height(), 118);

    // Aligned left, the height is left alone.
    panel.SetAlign(TmvExpandingPanel::alLeft);
    panel.setFixedHeight(70);
    panel.SetExpandedHeight(200);
    QCOMPARE(panel.height(), 70);
    QCOMPARE(panel.ExpandedHeight(), 200);
}

void TstMvExpandingPanel::eventsCanRefuse()
{
    TmvExpandingPanel panel;
    panel.SetExpandedHeight(150);
    panel.SetExpanded(true);

    int collapsed = 0;
    int expanded = 0;
    bool allow = false;
    panel.OnCollapsing = [&](TmvExpandingPanel* aSender, bool& aAllowed) {
        QCOMPARE(aSender, &panel);
        QVERIFY(aAllowed);
        aAllowed = allow;
    };
    panel.OnCollapsed = [&](TmvExpandingPanel*) { ++collapsed; };
    panel.OnExpanding = [&](TmvExpandingPanel*, bool& aAllowed) {
        QVERIFY(aAllowed);
        aAllowed = allow;
    };
    panel.OnExpanded = [&](TmvExpandingPanel*) { ++expanded; };

    panel.SetExpanded(false);
    QVERIFY(panel.Expanded());
    QVERIFY(!panel.bExpand->Plus());
    QCOMPARE(panel.height(), 150);
    QCOMPARE(collapsed, 0);

    allow = true;
    panel.SetExpanded(false);
    QVERIFY(!panel.Expanded());
    QCOMPARE(collapsed, 1);

    allow = false;
    panel.SetExpanded(true);
    QVERIFY(!panel.Expanded());
    QVERIFY(panel.bExpand->Plus());
    QCOMPARE(panel.height(), 18);
    QCOMPARE(expanded, 0);

    // A handler that says nothing allows it.
    panel.OnExpanding = [](TmvExpandingPanel*, bool&) {};
    panel.SetExpanded(true);
    QVERIFY(panel.Expanded());
    QCOMPARE(expanded, 1);
}

void TstMvExpandingPanel::eventOrder()
{
    TmvExpandingPanel panel;
    panel.SetExpandedHeight(90);
    QStringList log;
    panel.OnCollapsing = [&](TmvExpandingPanel* aSender, bool&) {
        log << QStringLiteral("Collapsing %1 %2").arg(aSender->Expanded()).arg(aSender->height());
    };
    panel.OnCollapsed = [&](TmvExpandingPanel* aSender) {
        log << QStringLiteral("Collapsed %1 %2 %3")
                   .arg(aSender->Expanded())
                   .arg(aSender->height())
                   .arg(aSender->bExpand->Plus());
    };
    panel.OnExpanding = [&](TmvExpandingPanel* aSender, bool&) {
        log << QStringLiteral("Expanding %1 %2").arg(aSender->Expanded()).arg(aSender->height());
    };
    panel.OnExpanded = [&](TmvExpandingPanel* aSender) {
        log << QStringLiteral("Expanded %1 %2 %3")
                   .arg(aSender->Expanded())
                   .arg(aSender->height())
                   .arg(aSender->bExpand->Plus());
    };
    panel.SetExpanded(true);
    panel.SetExpanded(false);
    const QStringList expected = {
        QStringLiteral("Expanding 0 18"),
        QStringLiteral("Expanded 1 90 0"),
        QStringLiteral("Collapsing 1 90"),
        QStringLiteral("Collapsed 0 18 1"),
    };
    QCOMPARE(log, expected);
}

void TstMvExpandingPanel::sameValueDoesNothing()
{
    TmvExpandingPanel panel;
    panel.SetExpandedHeight(80);
    int calls = 0;
    panel.OnCollapsing = [&](TmvExpandingPanel*, bool&) { ++calls; };
    panel.OnCollapsed = [&](TmvExpandingPanel*) { ++calls; };
    panel.OnExpanding = [&](TmvExpandingPanel*, bool&) { ++calls; };
    panel.OnExpanded = [&](TmvExpandingPanel*) { ++calls; };

    panel.SetExpanded(false);
    QCOMPARE(calls, 0);
    QCOMPARE(panel.ExpandedHeight(), 80);
    QCOMPARE(panel.height(), 18);

    panel.SetExpanded(true);
    QCOMPARE(calls, 2);
    panel.SetExpanded(true);
    panel.Expand();
    QCOMPARE(calls, 2);
    QCOMPARE(panel.height(), 80);
}

void TstMvExpandingPanel::leftAlignmentShrinksWidth()
{
    // In a window of its own: the offscreen platform complains about size limits on top-level
    // windows.
    QWidget window;
    window.resize(400, 300);
    TmvExpandingPanel& panel = *new TmvExpandingPanel(&window);
    panel.SetExpandedHeight(150);
    panel.SetAlign(TmvExpandingPanel::alLeft);
    QVERIFY(panel.mTitleNamePanel->Vertical());
    // Closed: as wide as the strip, and the height is free again.
    QCOMPARE(panel.width(), 18);
    panel.resize(panel.width(), 240);
    QCOMPARE(panel.height(), 240);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(panel.mTitleNamePanel->geometry(), QRect(0, 0, 18, 240));

    panel.SetExpandedWidth(120);
    panel.SetExpanded(true);
    QCOMPARE(panel.width(), 120);
    QCOMPARE(panel.height(), 240);
    QCOMPARE(panel.mTitleNamePanel->geometry(), QRect(0, 0, 18, 240));
    QCOMPARE(panel.contentsRect(), QRect(18, 0, 102, 240));
    QCOMPARE(panel.Content()->geometry(), QRect(18, 0, 102, 240));

    // Closing remembers the width the panel had.
    panel.setFixedWidth(130);
    panel.SetExpanded(false);
    QCOMPARE(panel.width(), 18);
    QCOMPARE(panel.height(), 240);
    QCOMPARE(panel.ExpandedWidth(), 130);
    QCOMPARE(panel.ExpandedHeight(), 150);
    QCOMPARE(panel.mTitleNamePanel->geometry(), QRect(0, 0, 18, 240));

    panel.SetExpanded(true);
    QCOMPARE(panel.width(), 130);

    // Right works the same way; back at the bottom the strip lies flat again.
    panel.SetAlign(TmvExpandingPanel::alRight);
    QVERIFY(panel.mTitleNamePanel->Vertical());
    panel.SetExpanded(false);
    QCOMPARE(panel.width(), 18);
    panel.SetAlign(TmvExpandingPanel::alBottom);
    QVERIFY(!panel.mTitleNamePanel->Vertical());
    QCOMPARE(panel.height(), 18);
    panel.resize(300, panel.height());
    QCOMPARE(panel.width(), 300);
    QCOMPARE(panel.mTitleNamePanel->geometry(), QRect(0, 0, 300, 18));
    QCOMPARE(panel.contentsMargins(), QMargins(0, 18, 0, 0));
}

void TstMvExpandingPanel::alignmentInLayout()
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* panel = new TmvExpandingPanel;
    panel->SetAlign(TmvExpandingPanel::alLeft);
    panel->SetExpandedWidth(150);
    layout->addWidget(panel);
    layout->addWidget(new QLabel(QStringLiteral("Rest")), 1);
    window.resize(500, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(panel->width(), 18);
    QCOMPARE(panel->height(), 300);
    panel->SetExpanded(true);
    // What the posted layout request would do.
    layout->activate();
    QCOMPARE(panel->width(), 150);
    QCOMPARE(panel->height(), 300);
    panel->SetExpanded(false);
    layout->activate();
    QCOMPARE(panel->width(), 18);
}

void TstMvExpandingPanel::clickOnImageToggles()
{
    QWidget window;
    auto* panel = new TmvExpandingPanel(&window);
    panel->SetExpandedHeight(100);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(panel->bExpand, Qt::LeftButton);
    QVERIFY(panel->Expanded());
    QCOMPARE(panel->height(), 100);
    QTest::mouseClick(panel->bExpand, Qt::LeftButton);
    QVERIFY(!panel->Expanded());
    QCOMPARE(panel->height(), 18);
    // Other buttons and clicks on the strip beside the image do nothing.
    QTest::mouseClick(panel->bExpand, Qt::RightButton);
    QTest::mouseClick(panel->mTitleNamePanel, Qt::LeftButton, {}, QPoint(100, 9));
    QVERIFY(!panel->Expanded());
}

void TstMvExpandingPanel::plusAndMinusImage()
{
    TmvExpandingPanel panel;
    QImage plus = panel.bExpand->grab().toImage();
    QVERIFY(IsDark(plus, QPoint(4, 5))); // the bar across
    QVERIFY(IsDark(plus, QPoint(5, 4))); // the bar down
    QVERIFY(IsDark(plus, QPoint(6, 8)));
    panel.SetExpanded(true);
    QImage minus = panel.bExpand->grab().toImage();
    QVERIFY(IsDark(minus, QPoint(4, 5)));
    QVERIFY(IsDark(minus, QPoint(8, 6)));
    QVERIFY(!IsDark(minus, QPoint(5, 4)));
    QVERIFY(!IsDark(minus, QPoint(6, 8)));
}

void TstMvExpandingPanel::childrenHiddenWhileCollapsed()
{
    QWidget window;
    auto* panel = new TmvExpandingPanel(&window);
    panel->SetExpandedHeight(120);
    panel->resize(300, panel->height());
    auto* label = new QLabel(QStringLiteral("Inhalt"), panel->Content());
    // Put on the panel directly, as a form does.
    auto* direct = new QLabel(QStringLiteral("direkt"), panel);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(!panel->Content()->isVisible());
    QVERIFY(!label->isVisible());
    QVERIFY(!direct->isVisible());
    QVERIFY(panel->mTitleNamePanel->isVisible());

    panel->SetExpanded(true);
    QVERIFY(panel->Content()->isVisible());
    QVERIFY(label->isVisible());
    QVERIFY(direct->isVisible());
    QCOMPARE(panel->Content()->geometry(), QRect(0, 18, 300, 102));

    // A child the owner hid itself stays hidden.
    direct->hide();
    panel->SetExpanded(false);
    QVERIFY(!label->isVisible());
    panel->SetExpanded(true);
    QVERIFY(label->isVisible());
    QVERIFY(!direct->isVisible());
}

void TstMvExpandingPanel::horizontalTitle()
{
    TmvExpandingPanel panel;
    panel.resize(300, 18);
    panel.SetTitle(QStringLiteral("Protokoll"));
    const QImage image = panel.mTitleNamePanel->grab().toImage();
    const QColor background = panel.mTitleNamePanel->palette().color(QPalette::Window);
    const QRect ink = InkBounds(image, QRect(17, 1, image.width() - 18, 16), background);
    QVERIFY(!ink.isEmpty());
    QVERIFY2(ink.left() >= 20 && ink.left() <= 23, qPrintable(QString::number(ink.left())));
    QVERIFY(ink.width() > 2 * ink.height());
    const QRect title = panel.mTitleNamePanel->TitleRect();
    QCOMPARE(title.topLeft(), QPoint(20, 2));
    QVERIFY(ink.right() <= title.right() + 2);
}

void TstMvExpandingPanel::verticalTitle()
{
    QWidget window;
    window.resize(300, 300);
    TmvExpandingPanel& panel = *new TmvExpandingPanel(&window);
    panel.SetAlign(TmvExpandingPanel::alLeft);
    panel.resize(panel.width(), 250);
    panel.SetTitle(QStringLiteral("Panorama"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(panel.mTitleNamePanel->size(), QSize(18, 250));

    const QImage image = panel.mTitleNamePanel->grab().toImage();
    const QColor background = panel.mTitleNamePanel->palette().color(QPalette::Window);
    // Below the image, inside the frame line.
    const QRect ink = InkBounds(image, QRect(1, 17, 16, image.height() - 18), background);
    QVERIFY(!ink.isEmpty());
    // A tall, narrow band: the title runs down the strip.
    QVERIFY2(ink.height() > 2 * ink.width(),
             qPrintable(QStringLiteral("%1x%2").arg(ink.width()).arg(ink.height())));
    const int length = QFontMetrics(panel.TitleFont()).horizontalAdvance(panel.Title());
    QVERIFY2(qAbs(ink.bottom() - (length + 20)) <= 3, qPrintable(QString::number(ink.bottom())));
    QVERIFY2(ink.top() >= 20 && ink.top() <= 24, qPrintable(QString::number(ink.top())));
    QCOMPARE(panel.mTitleNamePanel->TitleRect().topLeft(), QPoint(0, 20));
    QCOMPARE(panel.mTitleNamePanel->TitleRect().height(), length);

    // Reading upward: the first letter, a capital P, sits at the bottom; its stem makes a
    // longer row of ink there than the low letters at the top end of the band.
    auto rowInk = [&](int aY) {
        int count = 0;
        for (int x = ink.left(); x <= ink.right(); ++x)
            count += InkBounds(image, QRect(x, aY, 1, 1), background).isEmpty() ? 0 : 1;
        return count;
    };
    int stemRows = 0;
    for (int y = ink.bottom(); y > ink.bottom() - 4; --y)
        stemRows = qMax(stemRows, rowInk(y));
    int topRows = 0;
    for (int y = ink.top(); y < ink.top() + 3; ++y)
        topRows = qMax(topRows, rowInk(y));
    QVERIFY2(stemRows > topRows, qPrintable(QStringLiteral("%1 %2").arg(stemRows).arg(topRows)));
}

void TstMvExpandingPanel::titleChangeRepaints()
{
    QWidget window;
    auto* panel = new TmvExpandingPanel(&window);
    panel->resize(300, 18);
    window.resize(300, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Pending updates are posted events; handling them paints at once.
    QCoreApplication::processEvents();

    TPaintCounter counter;
    panel->mTitleNamePanel->installEventFilter(&counter);
    panel->SetTitle(QStringLiteral("Neu"));
    QCOMPARE(panel->Title(), QStringLiteral("Neu"));
    QCOMPARE(panel->mTitleNamePanel->Title(), QStringLiteral("Neu"));
    QCoreApplication::processEvents();
    QVERIFY(counter.Paints > 0);

    counter.Paints = 0;
    panel->SetTitle(QStringLiteral("Neu"));
    QCoreApplication::processEvents();
    QCOMPARE(counter.Paints, 0);

    QFont font = panel->TitleFont();
    font.setBold(true);
    panel->SetTitleFont(font);
    QVERIFY(panel->TitleFont().bold());
    QCOMPARE(panel->mTitleNamePanel->font(), font);
    QCoreApplication::processEvents();
    QVERIFY(counter.Paints > 0);
}

void TstMvExpandingPanel::properties()
{
    // What a form sets through the promoted QFrame.
    TmvExpandingPanel panel;
    QVERIFY(panel.setProperty("Title", QStringLiteral("Einstellungen")));
    QVERIFY(panel.setProperty("ExpandedHeight", 60));
    QVERIFY(panel.setProperty("Expanded", true));
    QCOMPARE(panel.Title(), QStringLiteral("Einstellungen"));
    QCOMPARE(panel.height(), 60);
    QCOMPARE(panel.property("Expanded").toBool(), true);
    QCOMPARE(panel.property("ExpandedHeight").toInt(), 60);
    QVERIFY(panel.setProperty("Align", QVariant::fromValue(TmvExpandingPanel::alLeft)));
    QCOMPARE(panel.Align(), TmvExpandingPanel::alLeft);

    // A frame set later keeps the strip clear of the content.
    panel.SetAlign(TmvExpandingPanel::alTop);
    panel.setFrameStyle(QFrame::Box | QFrame::Plain);
    panel.setLineWidth(2);
    QCOMPARE(panel.contentsMargins(), QMargins(2, 20, 2, 2));
}

QTEST_MAIN(TstMvExpandingPanel)
#include "tst_MvExpandingPanel.moc"
