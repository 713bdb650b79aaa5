// Lists as comma text: what list boxes write and read back.
#include "settings/CommaText.h"

#include <QtTest>

class TstCommaText : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty list") << QStringList{} << QString();
        QTest::newRow("one empty item") << QStringList{QString()} << QStringLiteral("\"\"");
        QTest::newRow("plain") << QStringList{"AT", "/cr//lf/"} << QStringLiteral("AT,/cr//lf/");
        QTest::newRow("blank, comma, quote") << QStringList{"a b", "x,y", "say \"hi\"", "\t"}
                                             << QStringLiteral("\"a b\",\"x,y\",\"say \"\"hi\"\"\",\"\t\"");
        QTest::newRow("empty items between and at the ends")
            << QStringList{QString(), "a", QString(), "b", QString()} << QStringLiteral(",a,,b,");
    }

    void roundTrip()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QCOMPARE(ToCommaText(items), text);
        QCOMPARE(FromCommaText(text), items);
    }

    void readingSkipsBlanksAndEndsUnquotedItemsAtABlank()
    {
        QCOMPARE(FromCommaText(QStringLiteral("  a , \"b c\" ,d e")), (QStringList{"a", "b c", "d", "e"}));
    }
};

QTEST_MAIN(TstCommaText)
#include "tst_CommaText.moc"
