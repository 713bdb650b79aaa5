// Searching the receive view's text without the widget: what matches, counting a large text
// slice by slice, stepping round the ends, and following the text while it grows, loses its
// front or is cut back. The slices run only when the test asks.
#include "terminal/ReceiveMatcher.h"
#include "terminal/ReceiveSearch.h"
#include "terminal/ReceiveText.h"

#include <QtTest>

namespace {

// Runs the search's work to its end, slice by slice; returns the slices it took.
int RunToEnd(TReceiveSearch& aSearch)
{
    int slices = 1;
    while (aSearch.Continue())
        ++slices;
    return slices;
}

TReceiveSearch::TMatch Match(qint64 aStart, qint64 aLength)
{
    return {aStart, aLength};
}

} // namespace

bool operator==(const TReceiveSearch::TMatch& a, const TReceiveSearch::TMatch& b)
{
    return a.Start == b.Start && a.Length == b.Length;
}

char* toString(const TReceiveSearch::TMatch& aMatch)
{
    return QTest::toString(QStringLiteral("%1+%2").arg(aMatch.Start).arg(aMatch.Length));
}

class TstReceiveSearch : public QObject
{
    Q_OBJECT

private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<QList<qint64>>("starts");
        QTest::newRow("any case") << "Wert wert WERT"
                                  << "wert" << false << QList<qint64>{0, 5, 10};
        QTest::newRow("exact case") << "Wert wert WERT"
                                    << "wert" << true << QList<qint64>{5};
        QTest::newRow("umlauts in any case") << QStringLiteral("Grüße GRÜSSE grÜße")
                                             << QStringLiteral("grüße") << false << QList<qint64>{0, 13};
        QTest::newRow("overlapping") << "aaaa"
                                     << "aa" << false << QList<qint64>{0, 1, 2};
        QTest::newRow("not across a line break") << "ab\r\ncd"
                                                 << "bc" << false << QList<qint64>{};
        QTest::newRow("up to a line break") << "ab\r\ncd"
                                            << "cd" << false << QList<qint64>{2};
        QTest::newRow("byte 0x80 shows as the euro sign")
            << QStringLiteral("1\u0080 2") << QStringLiteral("\u20AC") << false << QList<qint64>{1};
        QTest::newRow("beyond Latin-1, any case")
            << QStringLiteral("x\u0394y \u03B4") << QStringLiteral("\u03B4") << false << QList<qint64>{1, 4};
        QTest::newRow("a SUB byte is no wide character")
            << QStringLiteral("a\x1a") << QStringLiteral("a\u0394") << false << QList<qint64>{};
        QTest::newRow("hex dump text") << "41 42 0D 0A 41 42 "
                                       << "41 42" << false << QList<qint64>{0, 12};
    }

    void matches()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, caseSensitive);
        QFETCH(QList<qint64>, starts);
        TReceiveText store;
        store.Append(text, false);
        const TReceiveMatcher matcher(pattern, caseSensitive);
        QList<qint64> found;
        matcher.Scan(store, 0, store.Size(), [&found](qint64 aStart) {
            found << aStart;
            return true;
        });
        QCOMPARE(found, starts);
    }

    void aLargeTextIsCountedSliceBySlice()
    {
        const QString line = QStringLiteral("Messwert 42;  Temperatur 21,5 C; Druck 1013 hPa   \r\n");
        const int lines = 600'000; // about 32 MB
        TReceiveText store;
        store.Append(line.repeated(lines), false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.SetSlice(1 << 20, -1);

        search.Start(QStringLiteral("druck"), false, 0);
        QCOMPARE(search.Current(), Match(line.indexOf(QStringLiteral("Druck")), 5));
        qint64 before = search.Count();
        int slices = 1;
        while (search.IsCounting()) {
            QVERIFY(search.Continue() || !search.IsCounting());
            QVERIFY(search.Count() >= before);
            before = search.Count();
            ++slices;
        }
        QVERIFY2(slices > 20, qPrintable(QString::number(slices)));
        QCOMPARE(search.Count(), qint64(lines));
        QCOMPARE(search.CurrentNumber(), qint64(1));
    }

    void startsAtOrAfterTheGivenPlace_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("number");
        QTest::newRow("at a match") << qint64(0) << qint64(0) << qint64(1);
        QTest::newRow("between") << qint64(1) << qint64(3) << qint64(2);
        QTest::newRow("after the last, round to the first") << qint64(7) << qint64(0) << qint64(1);
    }

    void startsAtOrAfterTheGivenPlace()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, start);
        QFETCH(qint64, number);
        TReceiveText store;
        store.Append(u"x1 x2 x3", false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.Start(QStringLiteral("x"), false, from);
        RunToEnd(search);
        QCOMPARE(search.Current(), Match(start, 1));
        QCOMPARE(search.CurrentNumber(), qint64(number));
        QCOMPARE(search.Count(), qint64(3));
    }

    void nextAndPreviousGoRoundTheEnds()
    {
        TReceiveText store;
        store.Append(u"x1 x2\r\nx3", false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.Start(QStringLiteral("X"), false, 0);
        RunToEnd(search);
        QList<qint64> starts;
        QList<qint64> numbers;
        auto step = [&](bool aBack) {
            aBack ? search.FindPrevious(0) : search.FindNext(0);
            RunToEnd(search);
            starts << search.Current().Start;
            numbers << search.CurrentNumber();
        };
        for (bool back : {false, false, false, true, true})
            step(back);
        QCOMPARE(starts, (QList<qint64>{3, 5, 0, 5, 3}));
        QCOMPARE(numbers, (QList<qint64>{2, 3, 1, 3, 2}));
    }

    void aDroppedFrontMovesTheMatchAlong()
    {
        TReceiveText store;
        store.Append(u"alt x\r\n", false);
        const TReceiveMark mark = store.End();
        store.Append(u"neu x und x", false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.Start(QStringLiteral("x"), false, 5);
        RunToEnd(search);
        QCOMPARE(search.Current(), Match(9, 1));
        QCOMPARE(search.CurrentNumber(), qint64(2));

        QVERIFY(store.DropFront(mark));
        search.TextChanged();
        RunToEnd(search);
        QCOMPARE(search.Current(), Match(4, 1));
        QCOMPARE(search.CurrentNumber(), qint64(1));
        QCOMPARE(search.Count(), qint64(2));
    }

    void aMatchCutAwayIsLookedForInWhatComesNext()
    {
        TReceiveText store;
        store.Append(u"abc\r\n", false);
        const TReceiveMark mark = store.End();
        store.Append(u"x", false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.Start(QStringLiteral("x"), false, 0);
        RunToEnd(search);
        QCOMPARE(search.Current(), Match(3, 1));

        QSignalSpy moved(&search, &TReceiveSearch::CurrentChanged);
        QVERIFY(store.TruncateTo(mark));
        search.TextChanged();
        RunToEnd(search);
        QVERIFY(!search.Current().IsValid());
        QCOMPARE(search.Count(), qint64(0));

        store.Append(u"yyx", false);
        search.TextChanged();
        RunToEnd(search);
        QCOMPARE(search.Current(), Match(5, 1));
        QCOMPARE(search.CurrentNumber(), qint64(1));
        QCOMPARE(moved.count(), 2);
    }

    void textArrivingIsCountedToo()
    {
        TReceiveText store;
        store.Append(u"ab ab", false);
        TReceiveSearch search(store);
        search.SetOnEventLoop(false);
        search.Start(QStringLiteral("ab"), false, 0);
        RunToEnd(search);
        QCOMPARE(search.Count(), qint64(2));
        // Half a match first: it counts once it is whole.
        store.Append(u" a", false);
        search.TextChanged();
        RunToEnd(search);
        QCOMPARE(search.Count(), qint64(2));
        store.Append(u"b", false);
        search.TextChanged();
        QVERIFY(search.IsCounting());
        RunToEnd(search);
        QCOMPARE(search.Count(), qint64(3));
        QCOMPARE(search.Current(), Match(0, 2));
    }
};

QTEST_MAIN(TstReceiveSearch)
#include "tst_ReceiveSearch.moc"
