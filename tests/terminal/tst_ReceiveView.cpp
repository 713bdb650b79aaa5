// The receive view's append path: line breaks (also split over two appends), wrapping that
// continues at the tail exactly as a full wrap would, characters beyond Latin-1, scrolling.
#include "terminal/ReceiveView.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

class tst_ReceiveView : public QObject
{
    Q_OBJECT

private slots:
    void lineBreaks_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QStringList{} << QStringList{};
        QTest::newRow("one line") << QStringList{"abc"} << QStringList{"abc"};
        QTest::newRow("CR LF") << QStringList{"a\r\nb"} << QStringList{"a", "b"};
        QTest::newRow("lone CR and LF") << QStringList{"a\rb\nc"} << QStringList{"a", "b", "c"};
        QTest::newRow("CR CR LF") << QStringList{"a\r\r\nb"} << QStringList{"a", "", "b"};
        QTest::newRow("LF CR") << QStringList{"a\n\rb"} << QStringList{"a", "", "b"};
        QTest::newRow("trailing break") << QStringList{"a\r\n"} << QStringList{"a", ""};
        QTest::newRow("CR LF split over appends") << QStringList{"a\r", "\nb"} << QStringList{"a", "b"};
        QTest::newRow("CR then text") << QStringList{"a\r", "b"} << QStringList{"a", "b"};
        QTest::newRow("CR, empty-ish, LF") << QStringList{"a\r", "\n", "\n"} << QStringList{"a", "", ""};
        QTest::newRow("appends join") << QStringList{"ab", "cd", "\r\nef", "gh"} << QStringList{"abcd", "efgh"};
    }

    void lineBreaks()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, lines);
        TReceiveView view;
        for (const QString& chunk : chunks)
            view.AppendText(chunk);
        QCOMPARE(view.LineCount(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i)
            QCOMPARE(view.Line(i), lines[i]);
        QCOMPARE(view.Text(), lines.join(QStringLiteral("\r\n")));
    }

    void keepsCharactersBeyondLatin1AndControls()
    {
        TReceiveView view;
        view.AppendText(QStringLiteral("A\u20ACB\x1b\t\u00ff"), true);
        view.AppendText(QStringLiteral("\x1a"));
        QCOMPARE(view.Text(), QStringLiteral("A\u20ACB\x1b\t\u00ff\x1a"));
        QCOMPARE(view.CharacterCount(), 7);
    }

    // Wrapping piece by piece as data trickles in must give the rows a full wrap gives.
    void incrementalWrapMatchesFullWrap()
    {
        QRandomGenerator random(99);
        QString text;
        const QString alphabet = QStringLiteral("abc def  ghij\tklmnopq rstu\r\nvw xyz\u20AC\x01");
        for (int i = 0; i < 20000; ++i)
            text += alphabet[random.bounded(int(alphabet.size()))];

        TReceiveView pieces;
        TReceiveView whole;
        for (TReceiveView* view : {&pieces, &whole}) {
            view->resize(300, 200);
            view->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(&pieces));
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype n = qMin<qsizetype>(1 + random.bounded(40), text.size() - at);
            pieces.AppendText(QStringView(text).sliced(at, n));
            at += n;
        }
        whole.AppendText(text);
        QVERIFY(pieces.RowCount() > pieces.LineCount()); // long lines did wrap
        QCOMPARE(pieces.RowStarts(), whole.RowStarts());
        QCOMPARE(pieces.Text(), whole.Text());

        // After a resize both re-wrap to the same, narrower rows.
        const qsizetype rowsBefore = whole.RowCount();
        pieces.resize(150, 200);
        whole.resize(150, 200);
        QCOMPARE(pieces.RowStarts(), whole.RowStarts());
        QVERIFY(whole.RowCount() > rowsBefore);
    }

    void autoScrollFollowsTheEndOnlyWhenAsked()
    {
        TReceiveView view;
        view.resize(200, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        for (int i = 0; i < 100; ++i)
            view.AppendText(QStringLiteral("line %1\r\n").arg(i));
        QVERIFY(view.verticalScrollBar()->maximum() > 0);
        QVERIFY(view.IsAtEnd());

        view.SetAutoScroll(false);
        view.verticalScrollBar()->setValue(0);
        view.AppendText(QStringLiteral("more\r\n"));
        QCOMPARE(view.verticalScrollBar()->value(), 0);

        view.Clear();
        QCOMPARE(view.LineCount(), 0);
        QCOMPARE(view.RowCount(), 0);
        QCOMPARE(view.Text(), QString());
    }
};

QTEST_MAIN(tst_ReceiveView)
#include "tst_ReceiveView.moc"
