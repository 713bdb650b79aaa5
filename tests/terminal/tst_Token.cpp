#include "terminal/Token.h"
#include "base/VarnexError.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// One append after moving the clock by AdvanceMs.
struct TStep
{
    int AdvanceMs = 0;
    TContentType Type = ctReceive;
    QString Text;
};

// A clock the test moves by hand, so no test has to sleep.
struct TFakeClock
{
    QDateTime Time{QDate(2024, 3, 1), QTime(12, 0)};

    TClock Clock()
    {
        return [this] { return Time; };
    }
    void Advance(qint64 aMilliseconds) { Time = Time.addMSecs(aMilliseconds); }
};

// "R:text" / "S:text" per token, oldest first.
QStringList Describe(const TTokenList& aList)
{
    QStringList result;
    for (int i = 0; i < aList.Count(); ++i) {
        const TBaseToken* token = aList.GetToken(i);
        const QString prefix = token->ContentType() == ctSend ? QStringLiteral("S:") : QStringLiteral("R:");
        result << prefix + token->Content();
    }
    return result;
}

const QString kEuro = QStringLiteral("€");

} // namespace

Q_DECLARE_METATYPE(TStep)

class TstToken : public QObject
{
    Q_OBJECT

private slots:
    void appendRule_data();
    void appendRule();
    void stampsFollowTheClock();
    void getAllContent_data();
    void getAllContent();
    void clearDeleteAndGetToken();
    void unknownTokenTypeRaises();
    void latin1StorageAndSwitchToWide();
    void bufferGrowthIsGeometric();
    void mid_data();
    void mid();
    void triggerSearchBasics();
    void triggerSearchMatchesFullSearch();
};

void TstToken::appendRule_data()
{
    QTest::addColumn<int>("expiryMs");
    QTest::addColumn<QList<TStep>>("steps");
    QTest::addColumn<QStringList>("tokens");

    const auto r = [](int aAdvance, const QString& aText) { return TStep{aAdvance, ctReceive, aText}; };
    const auto s = [](int aAdvance, const QString& aText) { return TStep{aAdvance, ctSend, aText}; };

    QTest::newRow("short pause joins")
        << 101 << QList<TStep>{r(0, "AB"), r(50, "CD")} << QStringList{"R:ABCD"};
    QTest::newRow("long pause splits")
        << 101 << QList<TStep>{r(0, "AB"), r(150, "CD")} << QStringList{"R:AB", "R:CD"};
    QTest::newRow("direction change splits")
        << 101 << QList<TStep>{r(0, "AB"), s(30, "x"), r(30, "CD")} << QStringList{"R:AB", "S:x", "R:CD"};
    QTest::newRow("sends join too") << 101 << QList<TStep>{s(0, "a"), s(100, "b")} << QStringList{"S:ab"};
    QTest::newRow("pause counts from the last append")
        << 101 << QList<TStep>{r(0, "A"), r(80, "B"), r(80, "C")} << QStringList{"R:ABC"};
    QTest::newRow("expiry 0 splits every append")
        << 0 << QList<TStep>{r(0, "A"), r(0, "B"), r(0, "C")} << QStringList{"R:A", "R:B", "R:C"};
    QTest::newRow("one below the expiry joins")
        << 100 << QList<TStep>{r(0, "A"), r(99, "B")} << QStringList{"R:AB"};
    QTest::newRow("exactly the expiry splits")
        << 100 << QList<TStep>{r(0, "A"), r(100, "B")} << QStringList{"R:A", "R:B"};
    QTest::newRow("clock set back 10 s splits")
        << 101 << QList<TStep>{r(0, "A"), r(-10000, "B")} << QStringList{"R:A", "R:B"};
    QTest::newRow("clock set back a little joins")
        << 101 << QList<TStep>{r(0, "A"), r(-50, "B")} << QStringList{"R:AB"};
    QTest::newRow("empty append still starts a token")
        << 101 << QList<TStep>{r(0, ""), r(10, "A")} << QStringList{"R:A"};
}

void TstToken::appendRule()
{
    QFETCH(int, expiryMs);
    QFETCH(QList<TStep>, steps);
    QFETCH(QStringList, tokens);

    TFakeClock clock;
    TTokenList list;
    QCOMPARE(list.ContentExpiredMs(), 0);
    list.SetClock(clock.Clock());
    list.SetContentExpiredMs(expiryMs);
    for (const TStep& step : steps) {
        clock.Advance(step.AdvanceMs);
        if (step.Type == ctSend)
            list.AddSendContent(step.Text);
        else
            list.AddReceiveContent(step.Text);
    }
    QCOMPARE(Describe(list), tokens);
    QCOMPARE(list.GetCount(), tokens.size());
    QCOMPARE(list.CurrentToken(), list.GetToken(list.Count() - 1));
    QCOMPARE(list.GetCurrentToken(), list.CurrentToken());

    // The byte path follows the same rule.
    TTokenList bytes;
    TFakeClock byteClock;
    bytes.SetClock(byteClock.Clock());
    bytes.SetContentExpiredMs(expiryMs);
    for (const TStep& step : steps) {
        byteClock.Advance(step.AdvanceMs);
        bytes.AddLatin1Content(step.Text.toLatin1(), step.Type);
    }
    QCOMPARE(Describe(bytes), tokens);
}

void TstToken::stampsFollowTheClock()
{
    TFakeClock clock;
    const QDateTime start = clock.Time;
    TTokenList list;
    list.SetClock(clock.Clock());
    list.SetContentExpiredMs(1000);

    list.AddReceiveContent("A");
    TBaseToken* token = list.CurrentToken();
    QCOMPARE(token->ContentType(), ctReceive);
    QCOMPARE(token->Created(), start);
    QCOMPARE(token->LastUpdate(), start);

    clock.Advance(80);
    list.AddReceiveContent("B");
    QCOMPARE(token->Created(), start);
    QCOMPARE(token->LastUpdate(), start.addMSecs(80));
    QVERIFY(!list.ContentExpired(token));
    clock.Advance(1000);
    QVERIFY(list.ContentExpired(token));
    QVERIFY(list.ContentExpired(nullptr));

    // A replaced clock reaches the tokens already made.
    TFakeClock other;
    other.Time = start.addDays(1);
    list.SetClock(other.Clock());
    token->AddContent(QStringLiteral("C"));
    QCOMPARE(token->LastUpdate(), other.Time);

    // A token made outside the list keeps its own clock; without one it takes the wall clock.
    const QDateTime before = QDateTime::currentDateTime();
    TSendToken wall;
    QCOMPARE(wall.ContentType(), ctSend);
    QVERIFY(wall.Created() >= before && wall.Created() <= QDateTime::currentDateTime());
    TReceiveToken own(clock.Clock());
    QCOMPARE(own.Created(), clock.Time);
}

void TstToken::getAllContent_data()
{
    QTest::addColumn<QStringList>("contents");
    QTest::addColumn<QString>("all");

    QTest::newRow("two tokens") << QStringList{"A", "B"} << QStringLiteral("A\r\nB");
    QTest::newRow("no token") << QStringList{} << QString();
    QTest::newRow("leading empty token") << QStringList{"", "B"} << QStringLiteral("B");
    QTest::newRow("two leading empty tokens") << QStringList{"", "", "B"} << QStringLiteral("B");
    QTest::newRow("empty token between") << QStringList{"A", "", "B"} << QStringLiteral("A\r\n\r\nB");
    QTest::newRow("trailing empty token") << QStringList{"A", ""} << QStringLiteral("A\r\n");
    QTest::newRow("wide and Latin-1 mixed")
        << QStringList{QStringLiteral("a\xff"), kEuro + "1", "z"}
        << QString(QStringLiteral("a\u00ff\r\n") + kEuro + QStringLiteral("1\r\nz"));
}

void TstToken::getAllContent()
{
    QFETCH(QStringList, contents);
    QFETCH(QString, all);

    TTokenList list;
    for (qsizetype i = 0; i < contents.size(); ++i)
        list.AddNewToken(contents[i], i % 2 ? ctSend : ctReceive);
    QCOMPARE(list.Count(), contents.size());
    QCOMPARE(list.GetAllContent(), all);
}

void TstToken::clearDeleteAndGetToken()
{
    TTokenList list;
    QCOMPARE(list.CurrentToken(), nullptr);
    QCOMPARE(list.GetToken(0), nullptr);
    QVERIFY(!list.CurrentTokenContains("A"));
    for (const char* text : {"A", "B", "C", "D"})
        list.AddNewToken(text, ctReceive);

    QCOMPARE(list.GetToken(-1), nullptr);
    QCOMPARE(list.GetToken(4), nullptr);
    QCOMPARE(list.GetToken(3)->Content(), QStringLiteral("D"));

    list.Delete(4);
    list.Delete(-1);
    QCOMPARE(list.Count(), 4);
    list.Delete(1);
    QCOMPARE(Describe(list), (QStringList{"R:A", "R:C", "R:D"}));
    list.Delete(2);
    QCOMPARE(Describe(list), (QStringList{"R:A", "R:C"}));
    QCOMPARE(list.CurrentToken()->Content(), QStringLiteral("C"));

    auto token = std::make_unique<TSendToken>();
    token->AddContent(QStringLiteral("x"));
    list.Add(std::move(token));
    list.Add(nullptr);
    QCOMPARE(Describe(list), (QStringList{"R:A", "R:C", "S:x"}));

    list.Clear();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.CurrentToken(), nullptr);
    QCOMPARE(list.GetAllContent(), QString());
}

void TstToken::unknownTokenTypeRaises()
{
    TTokenList list;
    list.AddNewToken("A", ctReceive);
    try {
        list.AddNewToken("B", 7);
        QFAIL("no error raised");
    } catch (const EVarnexError& error) {
        QCOMPARE(error.Message(),
                 QStringLiteral("Fehler beim hinzufügen eines neuen Tokens. "
                                "Der Tokentyp wurde nicht erkannt."));
    }
    QCOMPARE(Describe(list), QStringList{"R:A"});
    QVERIFY_THROWS_EXCEPTION(EVarnexError, list.AddContent("C", TContentType(7)));
    QVERIFY_THROWS_EXCEPTION(EVarnexError, list.AddLatin1Content("C", TContentType(-1)));
    QCOMPARE(list.Count(), 1);
}

void TstToken::latin1StorageAndSwitchToWide()
{
    QString everyByte;
    QByteArray everyByteRaw;
    for (int c = 0; c < 256; ++c) {
        everyByte += QChar(char16_t(c));
        everyByteRaw += char(c);
    }

    TTokenList list;
    list.SetContentExpiredMs(1000000);
    list.AddReceiveContent(everyByte);
    list.AddLatin1Content(everyByteRaw, ctReceive);
    TBaseToken* token = list.CurrentToken();
    QCOMPARE(list.Count(), 1);
    QVERIFY(token->IsLatin1());
    QCOMPARE(token->Length(), 512);
    QCOMPARE(token->Latin1Content(), everyByteRaw + everyByteRaw);
    QCOMPARE(token->Content(), everyByte + everyByte);
    QCOMPARE(token->Mid(0), everyByte + everyByte);
    QCOMPARE(list.GetAllContent(), everyByte + everyByte);

    // The first character above 255 turns the token wide, mid-append, keeping all text.
    const QString typed = QStringLiteral("x") + kEuro + QStringLiteral("y\xe4");
    token->AddContent(typed);
    QVERIFY(!token->IsLatin1());
    QVERIFY(token->Latin1Content().isEmpty());
    QCOMPARE(token->Length(), 512 + 4);
    QCOMPARE(token->Content(), everyByte + everyByte + typed);

    // Both append paths keep working on a wide token.
    token->AddContent(QStringLiteral("\xff"));
    token->AddLatin1Content("\xfe!");
    QCOMPARE(token->Content(), everyByte + everyByte + typed + QStringLiteral("\xff\xfe!"));
    QVERIFY(!token->IsLatin1());

    // A send token with only Latin-1 text stays 8-bit as well.
    list.AddSendContent(QStringLiteral("Grüße"));
    QVERIFY(list.CurrentToken()->IsLatin1());
    QCOMPARE(list.CurrentToken()->Latin1Content(), QStringLiteral("Grüße").toLatin1());

    // Whole text above 255 from the first character.
    TSendToken wide;
    wide.AddContent(kEuro);
    QVERIFY(!wide.IsLatin1());
    QCOMPARE(wide.Content(), kEuro);
}

void TstToken::bufferGrowthIsGeometric()
{
    // A long session must not cost much more than one byte per received byte, and the
    // buffer must not be reallocated on every poll.
    constexpr qsizetype kChunk = 3000;
    constexpr qsizetype kChunks = 2000;
    const QByteArray chunk(kChunk, 'x');
    const QString wideChunk = QString::fromLatin1(chunk);

    for (bool viaString : {false, true}) {
        TReceiveToken token;
        int capacityChanges = 0;
        qsizetype capacity = token.Latin1Content().capacity();
        for (qsizetype i = 0; i < kChunks; ++i) {
            if (viaString)
                token.AddContent(wideChunk);
            else
                token.AddLatin1Content(chunk);
            if (token.Latin1Content().capacity() != capacity) {
                capacity = token.Latin1Content().capacity();
                ++capacityChanges;
            }
            QVERIFY2(
                capacity <= token.Length() * 3 / 2 + kChunk,
                qPrintable(QStringLiteral("capacity %1 for %2 bytes").arg(capacity).arg(token.Length())));
        }
        QVERIFY(token.IsLatin1());
        QCOMPARE(token.Length(), kChunk * kChunks);
        QVERIFY2(capacityChanges < 40, qPrintable(QString::number(capacityChanges)));
    }
}

void TstToken::mid_data()
{
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<qsizetype>("count");

    QTest::newRow("start") << qsizetype(0) << qsizetype(3);
    QTest::newRow("middle") << qsizetype(2) << qsizetype(4);
    QTest::newRow("to the end") << qsizetype(5) << qsizetype(-1);
    QTest::newRow("past the end") << qsizetype(6) << qsizetype(100);
    QTest::newRow("at the end") << qsizetype(9) << qsizetype(2);
    QTest::newRow("beyond the end") << qsizetype(20) << qsizetype(2);
    QTest::newRow("negative position") << qsizetype(-2) << qsizetype(4);
    QTest::newRow("empty slice") << qsizetype(3) << qsizetype(0);
}

void TstToken::mid()
{
    QFETCH(qsizetype, position);
    QFETCH(qsizetype, count);

    // NUL is an ordinary received character and must not cut a slice short.
    const QString latin1 = QStringLiteral("ab\r\n\0d\xff\x01z");
    QCOMPARE(latin1.size(), 9);
    TReceiveToken narrow;
    narrow.AddContent(latin1);
    QVERIFY(narrow.IsLatin1());
    QCOMPARE(narrow.Mid(position, count), latin1.mid(position, count));

    const QString wideText = QStringLiteral("ab") + kEuro + QStringLiteral("cd\xff\x01z!");
    TSendToken wide;
    wide.AddContent(wideText);
    QVERIFY(!wide.IsLatin1());
    QCOMPARE(wide.Mid(position, count), wideText.mid(position, count));
}

void TstToken::triggerSearchBasics()
{
    TTokenList list;
    list.SetContentExpiredMs(1000000);
    list.AddReceiveContent("abc\r");
    QVERIFY(!list.CurrentTokenContains(QString()));
    QVERIFY(!list.CurrentTokenContains("\r\n"));
    list.AddReceiveContent("\ndef");
    QVERIFY(list.CurrentTokenContains("\r\n"));
    QVERIFY(!list.CurrentTokenContains(""));

    // A changed trigger is searched from the start again, and found stays found.
    QVERIFY(list.CurrentTokenContains("ab"));
    QVERIFY(!list.CurrentTokenContains("zz"));
    list.AddReceiveContent("z");
    QVERIFY(!list.CurrentTokenContains("zz"));
    list.AddReceiveContent("z");
    QVERIFY(list.CurrentTokenContains("zz"));
    QVERIFY(list.CurrentTokenContains("zz"));
    QVERIFY(list.CurrentTokenContains("abc"));

    // A trigger above Latin-1 cannot be in 8-bit text, but is found once the token turns wide.
    QVERIFY(!list.CurrentTokenContains("z" + kEuro));
    list.AddReceiveContent("z");
    QVERIFY(!list.CurrentTokenContains("z" + kEuro));
    list.AddReceiveContent(kEuro);
    QVERIFY(list.CurrentTokenContains("z" + kEuro));

    // A trigger longer than the whole token, found once the token catches up.
    list.AddNewToken("ab", ctReceive);
    QVERIFY(!list.CurrentTokenContains("abcd"));
    list.AddReceiveContent("c");
    QVERIFY(!list.CurrentTokenContains("abcd"));
    list.AddReceiveContent("d");
    QVERIFY(list.CurrentTokenContains("abcd"));

    // Case matters.
    QVERIFY(!list.CurrentTokenContains("ABCD"));
}

void TstToken::triggerSearchMatchesFullSearch()
{
    // Random small appends, the trigger often straddling two of them, checked against a
    // plain search of the whole text after every append.
    QRandomGenerator random(20240301);
    const QStringList triggers = {QStringLiteral("\r\n"),
                                  QStringLiteral("a"),
                                  QStringLiteral("ab"),
                                  QStringLiteral("b\r"),
                                  QStringLiteral("aba"),
                                  QStringLiteral("\n\n\n"),
                                  kEuro,
                                  QStringLiteral("a") + kEuro};
    const QString alphabet = QStringLiteral("xxxxxxxxab\r\n");

    TFakeClock clock;
    TTokenList list;
    list.SetClock(clock.Clock());
    list.SetContentExpiredMs(1000);

    QString trigger = triggers.first();
    int hits = 0;
    int misses = 0;
    int wideTokens = 0;
    for (int round = 0; round < 6000; ++round) {
        if (round % 170 == 0)
            trigger = triggers[random.bounded(int(triggers.size()))];

        const quint32 action = random.bounded(100);
        if (action < 2) {
            clock.Advance(1500);
        } else if (action < 4) {
            list.AddSendContent("x");
        } else {
            QString text;
            const int length = random.bounded(5);
            for (int i = 0; i < length; ++i) {
                const bool euro = round > 3000 && random.bounded(200) == 0;
                text += euro ? kEuro.at(0) : alphabet.at(random.bounded(int(alphabet.size())));
            }
            const bool asBytes = random.bounded(2) == 0 && text.indexOf(kEuro) < 0;
            if (asBytes)
                list.AddLatin1Content(text.toLatin1(), ctReceive);
            else
                list.AddReceiveContent(text);
        }
        // Now and then ask twice without new data, or ask for a different trigger in
        // between, which must not disturb the answer for the usual one.
        if (random.bounded(10) == 0)
            list.CurrentTokenContains(triggers[random.bounded(int(triggers.size()))]);

        const TBaseToken* token = list.CurrentToken();
        const bool expected = token->Content().contains(trigger);
        const bool found = list.CurrentTokenContains(trigger);
        QVERIFY2(found == expected,
                 qPrintable(QStringLiteral("round %1, trigger %2, token %3")
                                .arg(round)
                                .arg(QString::fromLatin1(trigger.toUtf8().toPercentEncoding()),
                                     QString::fromLatin1(token->Content().toUtf8().toPercentEncoding()))));
        QCOMPARE(list.CurrentTokenContains(trigger), expected);
        expected ? ++hits : ++misses;
        if (!token->IsLatin1())
            ++wideTokens;
    }
    // The run must have seen both answers and tokens of both storages.
    QVERIFY(hits > 500);
    QVERIFY(misses > 500);
    QVERIFY(wideTokens > 0);
}

QTEST_GUILESS_MAIN(TstToken)
#include "tst_Token.moc"
