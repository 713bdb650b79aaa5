// The receive view's text without the widget: a snapshot stays as it was while the text goes
// on, and dropping the part written away keeps what came after it.
#include "terminal/ReceiveText.h"

#include <QBuffer>
#include <QtTest>

class TstReceiveText : public QObject
{
    Q_OBJECT

private slots:
    void aSnapshotStaysWhileTheTextGoesOn()
    {
        TReceiveText text;
        text.Append(u"eins\r\nzwei \u20AC", false);
        const TReceiveText snapshot = text;
        text.Append(u" drei", true);
        text.Append(u"\r\nvier", false);
        QCOMPARE(snapshot.Text(), QStringLiteral("eins\r\nzwei \u20AC"));
        QCOMPARE(text.Text(), QStringLiteral("eins\r\nzwei \u20AC drei\r\nvier"));
    }

    void droppingTheFrontKeepsWhatCameAfterTheMark()
    {
        TReceiveText text;
        text.Append(u"alt\r\nhalbe Zei", false);
        const TReceiveMark mark = text.End();
        text.Append(u"le \u20AC", false);
        text.Append(u"\r\nGesendet: x", true);
        QVERIFY(text.DropFront(mark));
        QCOMPARE(text.Text(), QStringLiteral("le \u20AC\r\nGesendet: x"));
        QCOMPARE(text.LineCount(), 2);
        QVERIFY(!text.BoldAt(0));
        QVERIFY(text.BoldAt(text.ParagraphStart(1)));

        // The same as a text that only ever held the rest, down to the file.
        TReceiveText rest;
        rest.Append(u"le \u20AC", false);
        rest.Append(u"\r\nGesendet: x", true);
        QBuffer a;
        QBuffer b;
        a.open(QIODevice::WriteOnly);
        b.open(QIODevice::WriteOnly);
        QVERIFY(text.SaveRtf(&a, QStringLiteral("Arial"), 8) && rest.SaveRtf(&b, QStringLiteral("Arial"), 8));
        QCOMPARE(a.data(), b.data());
    }

    void droppingEverythingLeavesAnEmptyTextWhoseCrStillWaitsForItsLf()
    {
        TReceiveText text;
        text.Append(u"Zeile\r", false);
        QVERIFY(text.DropFront(text.End()));
        QVERIFY(text.IsEmpty());
        text.Append(u"\nweiter", false);
        QCOMPARE(text.Text(), QStringLiteral("weiter"));
        // A mark from a longer text does not fit.
        QVERIFY(!text.DropFront({100, 3, false}));
        QCOMPARE(text.Text(), QStringLiteral("weiter"));
    }

    void aMarkFromBeforeACutBackNoLongerFits()
    {
        TReceiveText text;
        text.Append(u"eins\r\nzwei", false);
        const TReceiveMark cut = {6, 2, false};
        const TReceiveMark stale = text.End();
        QVERIFY(text.TruncateTo(cut));
        text.Append(u"\r\ndrei", false);
        // The stale mark's line ends before it: taking it would put a line's start after its end.
        QVERIFY(!text.DropFront(stale));
        QVERIFY(!text.TruncateTo(stale));
        QCOMPARE(text.Text(), QStringLiteral("eins\r\nzw\r\ndrei"));
    }
};

QTEST_MAIN(TstReceiveText)
#include "tst_ReceiveText.moc"
