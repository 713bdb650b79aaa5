// The find bar of the main window, offscreen: Ctrl+F, finding as you type, Enter and
// Shift+Enter round the ends without sending anything, Escape, the case switch, every display
// mode, and a match split by wrapping. The search's slices run only when the test asks.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "serial/PortRegistry.h"
#include "terminal/FileSender.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveFindBar.h"
#include "terminal/ReceiveSearch.h"
#include "terminal/ReceiveView.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cmath>

class TstFindBar : public QObject
{
    Q_OBJECT

private:
    // A window whose port 7 is a fake device, switched on, showing aReceived.
    std::unique_ptr<TfrmMainWindow> WindowShowing(const QByteArray& aReceived)
    {
        auto window = FakePortWindow(FState);
        View(*window)->Search()->SetOnEventLoop(false);
        FindChildOrDie<QAction>(*window, "acComOn")->trigger();
        FState->Incoming = aReceived;
        window->timerPollEventTimer();
        return window;
    }
    static TReceiveView* View(TfrmMainWindow& aWindow)
    {
        return FindChildOrDie<TReceiveView>(aWindow, "memReceive");
    }
    static void Settle(TfrmMainWindow& aWindow)
    {
        while (View(aWindow)->Search()->Continue()) {
        }
    }
    // Opens the bar with Ctrl+F and types aPattern into it.
    static QLineEdit* Find(TfrmMainWindow& aWindow, const QString& aPattern)
    {
        QTest::keyClick(&aWindow, Qt::Key_F, Qt::ControlModifier);
        auto* edit = FindChildOrDie<QLineEdit>(aWindow, "edFind");
        QTest::keyClicks(edit, aPattern);
        Settle(aWindow);
        return edit;
    }
    static QString CountText(TfrmMainWindow& aWindow)
    {
        return FindChildOrDie<QLabel>(aWindow, "laFindCount")->text();
    }

    std::shared_ptr<TFakeDeviceState> FState;

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void ctrlFOpensTheBarAndTypingFindsTheFirstMatch()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing("Temperatur=21 Druck=1013\r\nDruck=1009\r\n");
        auto* bar = FindChildOrDie<TReceiveFindBar>(*window, "paFind");
        QVERIFY(!bar->isVisible());
        QLineEdit* edit = Find(*window, QStringLiteral("druck"));
        QVERIFY(bar->isVisible());
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(View(*window)->SelectedText(), QStringLiteral("Druck"));
        QCOMPARE(CountText(*window), QStringLiteral("1 von 2 Treffern"));
    }

    void typingOnToATextNotThereLeavesNothingSelected()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing("Druck=1013\r\n");
        QLineEdit* edit = Find(*window, QStringLiteral("druck"));
        QTest::keyClicks(edit, QStringLiteral("x"));
        Settle(*window);
        QCOMPARE(CountText(*window), QStringLiteral("Kein Treffer"));
        QVERIFY(!View(*window)->HasSelection());
    }

    void enterAndShiftEnterGoRoundTheEndsAndSendNothing()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing("Druck=1 Druck=2\r\nDruck=3\r\n");
        auto* send = FindChildOrDie<QLineEdit>(*window, "edSend");
        send->setText(QStringLiteral("ATI"));
        QLineEdit* edit = Find(*window, QStringLiteral("druck="));
        QStringList counts;
        QStringList selected;
        for (Qt::KeyboardModifier modifier :
             {Qt::NoModifier, Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier}) {
            QTest::keyClick(edit, Qt::Key_Return, modifier);
            Settle(*window);
            counts << CountText(*window);
            selected << View(*window)->SelectedText();
        }
        QCOMPARE(
            counts,
            (QStringList{"2 von 3 Treffern", "3 von 3 Treffern", "1 von 3 Treffern", "3 von 3 Treffern"}));
        QCOMPARE(selected, QStringList(4, QStringLiteral("Druck=")));
        QCOMPARE(FState->Written, QByteArray());
        QCOMPARE(send->text(), QStringLiteral("ATI"));
    }

    void escapeClosesTheBarAndHandsTheFocusBackWithoutSideEffects()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing("Druck=1 Druck=2\r\n");
        auto* send = FindChildOrDie<QLineEdit>(*window, "edSend");
        send->setText(QStringLiteral("ATI"));
        // A file transfer, which Escape stops elsewhere in the window.
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("gross.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100000, 'x'));
        file.close();
        FState->OutputQueue = 1 << 20;
        window->FileSender()->Start(file.fileName());
        TReceiveView* view = View(*window);
        const QString text = view->Text();
        QLineEdit* edit = Find(*window, QStringLiteral("druck"));
        const QByteArray written = FState->Written;

        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!FindChildOrDie<TReceiveFindBar>(*window, "paFind")->isVisible());
        QCOMPARE(QApplication::focusWidget(), view);
        QVERIFY(!view->Search()->IsActive());
        QCOMPARE(view->SelectedText(), QStringLiteral("Druck"));
        QCOMPARE(view->Text(), text);
        QCOMPARE(send->text(), QStringLiteral("ATI"));
        QVERIFY(window->FileSender()->IsSending());
        QCOMPARE(FState->OutputDiscards, 0);
        QCOMPARE(FState->Written, written);
        QVERIFY(prompts.Messages.isEmpty() && prompts.Errors.isEmpty() && prompts.Questions.isEmpty());
        window->FileSender()->Abort();
    }

    void theCaseBoxNarrowsTheSearch()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing("DRUCK Druck druck\r\n");
        Find(*window, QStringLiteral("druck"));
        QCOMPARE(CountText(*window), QStringLiteral("1 von 3 Treffern"));
        FindChildOrDie<QCheckBox>(*window, "cbFindCase")->click();
        Settle(*window);
        QCOMPARE(CountText(*window), QStringLiteral("1 von 1 Treffer"));
        QCOMPARE(View(*window)->SelectedText(), QStringLiteral("druck"));
    }

    void everyDisplayIsSearchedAsShown_data()
    {
        QTest::addColumn<bool>("executeCrlf");
        QTest::addColumn<bool>("executeControl");
        QTest::addColumn<QString>("dumpStyle");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("selected");
        QTest::newRow("control characters by name") << false << false << ""
                                                    << "k/cr//lf/"
                                                    << "k/cr//lf/";
        QTest::newRow("control characters executed") << false << true << ""
                                                     << "druck"
                                                     << "Druck";
        QTest::newRow("decimal dump") << true << false << "rbDumpDez"
                                      << "107 13 10"
                                      << "107 13 10";
        QTest::newRow("hex dump") << true << false << "rbDumpHex"
                                  << "6b 0d 0a"
                                  << "6B 0D 0A";
        QTest::newRow("ASCII dump") << true << false << "rbDumpAscii"
                                    << "k 13"
                                    << "k 13";
    }

    void everyDisplayIsSearchedAsShown()
    {
        QFETCH(bool, executeCrlf);
        QFETCH(bool, executeControl);
        QFETCH(QString, dumpStyle);
        QFETCH(QString, pattern);
        QFETCH(QString, selected);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = WindowShowing({});
        FindChildOrDie<QToolButton>(*window, "bExecuteCrlf")->setChecked(executeCrlf);
        FindChildOrDie<QToolButton>(*window, "bExecuteControlCode")->setChecked(executeControl);
        if (!dumpStyle.isEmpty()) {
            FindChildOrDie<QCheckBox>(*window, "cbDump")->setChecked(true);
            FindChildOrDie<QRadioButton>(*window, dumpStyle.toLatin1().constData())->setChecked(true);
        }
        FState->Incoming = "Druck\r\n";
        window->timerPollEventTimer();
        Find(*window, pattern);
        QCOMPARE(View(*window)->SelectedText(), selected);
        QCOMPARE(CountText(*window), QStringLiteral("1 von 1 Treffer"));
    }

    void aMatchSplitByWrappingIsHighlightedOnBothRows()
    {
        TReceiveView view;
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QString text = QStringLiteral("0123456789").repeated(20);
        view.AppendText(text);
        const QList<qint64> rows = view.RowStarts();
        QVERIFY(rows.size() > 2);
        const qint64 split = rows[1];
        TReceiveSearch* search = view.Search();
        search->SetOnEventLoop(false);
        search->Start(text.mid(split - 3, 6), false, split - 3);
        while (search->Continue()) {
        }
        QCOMPARE(search->Current().Start, split - 3);

        const QImage image = view.viewport()->grab().toImage();
        const int margin = 4;
        const int lineHeight = int(std::ceil(QFontMetricsF(view.font()).lineSpacing()));
        const int endOfFirstRow = margin + view.RowWidth(0) / 64 - 2;
        QCOMPARE(QColor(image.pixel(endOfFirstRow, margin + 1)), TReceiveView::CurrentMatchColor());
        QCOMPARE(QColor(image.pixel(margin + 2, margin + lineHeight + 1)), TReceiveView::CurrentMatchColor());
        // Only the match: the rest of the rows keeps the background.
        QVERIFY(QColor(image.pixel(margin + 2, margin + 1)) != TReceiveView::CurrentMatchColor());
    }
};

QTEST_MAIN(TstFindBar)
#include "tst_FindBar.moc"
