#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"

#include <QRandomGenerator>
#include <QtTest>

#include <initializer_list>

Q_DECLARE_METATYPE(TTermComOptions)

namespace {

QString Chars(std::initializer_list<char16_t> aCodes)
{
    QString text;
    for (char16_t code : aCodes)
        text += QChar(code);
    return text;
}

QString Encode(QStringView aText)
{
    return TStringEncoder().EncodeString(aText);
}

QString Decode(QStringView aText, TTermComOptions aOptions = {})
{
    TStringDecoder decoder;
    decoder.SetOptions(aOptions);
    return decoder.DecodeStringSymbol(aText);
}

QString RandomText(QRandomGenerator& aRandom, qsizetype aLength, quint32 aHighest)
{
    QString text(aLength, Qt::Uninitialized);
    for (QChar& c : text)
        c = QChar(char16_t(aRandom.bounded(aHighest + 1)));
    return text;
}

} // namespace

class TstStringCodec : public QObject
{
    Q_OBJECT

private slots:
    void integerSyntax_data();
    void integerSyntax();
    void tokenToCode_data();
    void tokenToCode();
    void everyControlNameEncodes();
    void encodeString_data();
    void encodeString();
    void decodeString_data();
    void decodeString();
    void decodeLongTextMatchesPerCharacter_data();
    void decodeLongTextMatchesPerCharacter();
    void roundTripSingleCharacters();
    void roundTripRandomText();
};

void TstStringCodec::integerSyntax_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("decimal") << "13" << true << 13;
    QTest::newRow("leading zeros") << "0013" << true << 13;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("plus") << "+13" << true << 13;
    QTest::newRow("minus") << "-13" << true << -13;
    QTest::newRow("leading blanks") << "  13" << true << 13;
    QTest::newRow("blanks before sign") << " -13" << true << -13;
    QTest::newRow("trailing blank") << "13 " << false << 0;
    QTest::newRow("blank after sign") << "- 13" << false << 0;
    QTest::newRow("tab is no blank") << "\t13" << false << 0;
    QTest::newRow("two signs") << "+-13" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "  " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("trailing letter") << "13a" << false << 0;
    QTest::newRow("hex digits without prefix") << "0D" << false << 0;

    QTest::newRow("dollar") << "$0d" << true << 13;
    QTest::newRow("x") << "x41" << true << 65;
    QTest::newRow("X") << "XfF" << true << 255;
    QTest::newRow("0x") << "0xD" << true << 13;
    QTest::newRow("0X") << "0XA" << true << 10;
    QTest::newRow("signed hex") << "-$A" << true << -10;
    QTest::newRow("plus hex") << "+0x1f" << true << 31;
    QTest::newRow("dollar only") << "$" << false << 0;
    QTest::newRow("0x only") << "0x" << false << 0;
    QTest::newRow("prefix twice") << "$0x1" << false << 0;
    QTest::newRow("non-hex digit") << "$1g" << false << 0;

    QTest::newRow("int max") << "2147483647" << true << 2147483647;
    QTest::newRow("int max + 1") << "2147483648" << false << 0;
    QTest::newRow("int min") << "-2147483648" << true << int(0x80000000u);
    QTest::newRow("int min - 1") << "-2147483649" << false << 0;
    QTest::newRow("hex wraps to negative") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex beyond 32 bits") << "$100000000" << false << 0;
    QTest::newRow("2^32 + 13") << "4294967309" << false << 0;
    QTest::newRow("2^64 + 13") << "18446744073709551629" << false << 0;
    QTest::newRow("many leading zeros") << "000000000000000000013" << true << 13;
}

void TstStringCodec::integerSyntax()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    qint32 parsed = 0;
    QCOMPARE(TStringEncoder::TryStrToInt(text, parsed), valid);
    if (valid)
        QCOMPARE(parsed, value);
}

void TstStringCodec::tokenToCode_data()
{
    QTest::addColumn<QString>("token");
    QTest::addColumn<int>("code");

    QTest::newRow("decimal") << "13" << 13;
    QTest::newRow("highest byte") << "255" << 255;
    QTest::newRow("above a byte") << "256" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("wrapped hex") << "$FFFFFFF3" << 0;
    QTest::newRow("overflow does not wrap") << "4294967309" << 0;
    QTest::newRow("hex overflow does not wrap") << "$10000000D" << 0;
    QTest::newRow("leading blank") << " 13" << 13;
    QTest::newRow("trailing blank") << "13 " << 0;
    QTest::newRow("x prefix") << "x41" << 65;

    QTest::newRow("name") << "cr" << 13;
    QTest::newRow("upper-case name") << "CR" << 13;
    QTest::newRow("mixed-case name") << "eSc" << 27;
    QTest::newRow("first name") << "nul" << 0;
    QTest::newRow("last name") << "us" << 31;
    QTest::newRow("digit in name") << "DC4" << 20;
    QTest::newRow("no name for 127") << "del" << 0;
    QTest::newRow("name with blank") << " cr" << 0;
    QTest::newRow("name prefix only") << "c" << 0;
    QTest::newRow("name too long") << "cr1" << 0;
    QTest::newRow("non-ASCII") << Chars({u'c', 0x152}) << 0;

    QTest::newRow("dollar name") << "$cr" << 13;
    QTest::newRow("0x name") << "0xlf" << 10;
    QTest::newRow("0X name") << "0XLF" << 10;
    QTest::newRow("x is no name prefix") << "xlf" << 0;
    QTest::newRow("only one prefix removed") << "$0xcr" << 0;
    QTest::newRow("dollar alone") << "$" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TstStringCodec::tokenToCode()
{
    QFETCH(QString, token);
    QFETCH(int, code);
    QCOMPARE(TStringEncoder::TokenToCode(token), code);
}

void TstStringCodec::everyControlNameEncodes()
{
    for (int code = 0; code < 32; ++code) {
        const QString name = QString::fromLatin1(TStringEncoder::ControlNames[std::size_t(code)]);
        QCOMPARE(TStringEncoder::TokenToCode(name), code);
        QCOMPARE(TStringEncoder::TokenToCode(name.toUpper()), code);
        QCOMPARE(Decode(Chars({char16_t(code)})), '/' + name + '/');
    }
}

void TstStringCodec::encodeString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "ABC"
                           << "ABC";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("names") << "/cr//lf/" << Chars({13, 10});
    QTest::newRow("decimal") << "/13//10/" << Chars({13, 10});
    QTest::newRow("dollar hex") << "/$D//$A/" << Chars({13, 10});
    QTest::newRow("0x hex") << "/0xD//0xA/" << Chars({13, 10});
    QTest::newRow("upper-case name") << "/CR/" << Chars({13});
    QTest::newRow("doubled slash") << "A//B"
                                   << "A/B";
    QTest::newRow("slash only") << "//"
                                << "/";
    QTest::newRow("three slashes") << "///"
                                   << "//";
    QTest::newRow("trailing slash") << "abc/"
                                    << "abc/";
    QTest::newRow("single slash") << "/"
                                  << "/";
    QTest::newRow("closing slash consumed") << "/cr/lf/" << Chars({13, 'l', 'f', '/'});
    QTest::newRow("unknown token at end") << "a/b" << Chars({'a', 0});
    QTest::newRow("token to end of text") << "/13" << Chars({13});
    QTest::newRow("highest byte") << "/255/" << Chars({255});
    QTest::newRow("above a byte") << "/256/" << Chars({0});
    QTest::newRow("unknown name") << "/del/" << Chars({0});
    QTest::newRow("leading blank") << "/ 13/" << Chars({13});
    QTest::newRow("trailing blank") << "/13 /" << Chars({0});
    QTest::newRow("dollar name") << "/$cr/" << Chars({13});
    QTest::newRow("dollar alone") << "/$/" << Chars({0});
    QTest::newRow("negative") << "/-1/" << Chars({0});
    QTest::newRow("x prefix") << "/x41/"
                              << "A";
    QTest::newRow("0x name") << "/0xlf/" << Chars({10});
    QTest::newRow("plus") << "/+13/" << Chars({13});
    QTest::newRow("slash then token") << "///cr/" << Chars({'/', 13});
    QTest::newRow("token then slash") << "/cr///" << Chars({13, '/'});
    QTest::newRow("text around tokens") << "at/cr/ok/lf/" << Chars({'a', 't', 13, 'o', 'k', 10});
    QTest::newRow("long runs between tokens")
        << QString(40, 'a') + "/cr/" + QString(17, 'b') + "//" + QString(16, 'c') + "/lf"
        << QString(40, 'a') + QChar(13) + QString(17, 'b') + '/' + QString(16, 'c') + QChar(10);
    QTest::newRow("beyond a byte passes")
        << QStringView(u"\u20AC/cr/\u20AC").toString() << Chars({0x20AC, 13, 0x20AC});
}

void TstStringCodec::encodeString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Encode(text), expected);
}

void TstStringCodec::decodeString_data()
{
    QTest::addColumn<TTermComOptions>("options");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString sample = Chars({65, 13, 10, 47, 27});
    QTest::newRow("text") << TTermComOptions{} << sample << "A/cr//lf////esc/";
    QTest::newRow("crlf") << TTermComOptions{coCrlf} << sample << "A\r\n///esc/";
    QTest::newRow("control") << TTermComOptions{coControl} << sample << "A\r\n//\x1b";
    QTest::newRow("hex") << TTermComOptions{coHexDump} << sample << "41 0D 0A 2F 1B ";
    QTest::newRow("dez") << TTermComOptions{coDezDump} << sample << "65 13 10 47 27 ";
    QTest::newRow("ascii") << TTermComOptions{coAsciiDump} << sample << "A 13 10 47 27 ";
    QTest::newRow("empty") << TTermComOptions{coHexDump} << QString() << QString();

    // Precedence: the dumps over the text options, and hex over dez over ascii.
    QTest::newRow("hex over dez and ascii")
        << TTermComOptions{coAsciiDump, coDezDump, coHexDump, coControl} << sample << "41 0D 0A 2F 1B ";
    QTest::newRow("dez over ascii") << TTermComOptions{coAsciiDump, coDezDump} << sample << "65 13 10 47 27 ";
    QTest::newRow("ascii over control")
        << TTermComOptions{coAsciiDump, coControl, coCrlf} << sample << "A 13 10 47 27 ";
    QTest::newRow("control over crlf") << TTermComOptions{coControl, coCrlf} << sample << "A\r\n//\x1b";

    QTest::newRow("crlf only for cr and lf")
        << TTermComOptions{coCrlf} << Chars({9, 11, 12}) << "/ht//vt//ff/";
    QTest::newRow("control for all below 32")
        << TTermComOptions{coControl} << Chars({0, 31, 32, 127}) << Chars({0, 31, 32, 127});
    QTest::newRow("text keeps high characters")
        << TTermComOptions{} << Chars({127, 128, 255, 0x20AC}) << Chars({127, 128, 255, 0x20AC});

    QTest::newRow("hex two digits") << TTermComOptions{coHexDump} << Chars({0, 15, 16, 255})
                                    << "00 0F 10 FF ";
    QTest::newRow("hex beyond a byte")
        << TTermComOptions{coHexDump} << Chars({0x100, 0x20AC, 0xFFFF}) << "100 20AC FFFF ";
    QTest::newRow("dez no leading zeros")
        << TTermComOptions{coDezDump} << Chars({0, 9, 100, 255}) << "0 9 100 255 ";
    QTest::newRow("dez beyond a byte")
        << TTermComOptions{coDezDump} << Chars({0x20AC, 0xFFFF}) << "8364 65535 ";
    QTest::newRow("ascii edges of the ranges")
        << TTermComOptions{coAsciiDump} << QString("/09:@AZ[`az{") << "47 0 9 58 64 A Z 91 96 a z 123 ";
    QTest::newRow("ascii beyond a byte")
        << TTermComOptions{coAsciiDump} << Chars({0xC4, 0x20AC}) << "196 8364 ";
}

void TstStringCodec::decodeString()
{
    QFETCH(TTermComOptions, options);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Decode(text, options), expected);
}

void TstStringCodec::decodeLongTextMatchesPerCharacter_data()
{
    QTest::addColumn<TTermComOptions>("options");
    QTest::newRow("text") << TTermComOptions{};
    QTest::newRow("crlf") << TTermComOptions{coCrlf};
    QTest::newRow("control") << TTermComOptions{coControl};
    QTest::newRow("hex") << TTermComOptions{coHexDump};
    QTest::newRow("dez") << TTermComOptions{coDezDump};
    QTest::newRow("ascii") << TTermComOptions{coAsciiDump};
}

void TstStringCodec::decodeLongTextMatchesPerCharacter()
{
    // The whole-buffer path must agree with decoding one character at a time, including
    // characters beyond a byte in the middle of a long run.
    QFETCH(TTermComOptions, options);
    QRandomGenerator random(20240611);
    QString text = RandomText(random, 5000, 255);
    for (qsizetype i = 0; i < text.size(); i += 97)
        text[i] = QChar(char16_t(0x100 + random.bounded(0xFF00)));

    QString expected;
    for (QChar c : text)
        expected += Decode(QStringView(&c, 1), options);
    QCOMPARE(Decode(text, options), expected);

    // Received bytes decode the same, as UTF-16 or as Latin-1, with the same number marks.
    // Every byte value, and long printable runs with a special byte now and then.
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char(i & 0xFF);
    for (int i = 0; i < 8192; ++i)
        bytes += char(random.bounded(100) == 0 ? random.bounded(256) : random.bounded(32, 256));
    TStringDecoder decoder;
    decoder.SetOptions(options);
    QByteArray marks;
    QByteArray marksLatin1;
    const QString wide = decoder.DecodeStringSymbol(QString::fromLatin1(bytes), &marks);
    QCOMPARE(decoder.DecodeBytes(bytes), wide);
    QCOMPARE(decoder.DecodeToLatin1(bytes, &marksLatin1), wide.toLatin1());
    QCOMPARE(marksLatin1, marks);
}

void TstStringCodec::roundTripSingleCharacters()
{
    for (char16_t code = 0; code < 256; ++code) {
        const QString text = Chars({code});
        QCOMPARE(Encode(Decode(text)), text);
    }
}

void TstStringCodec::roundTripRandomText()
{
    QRandomGenerator random(4711);
    for (int round = 0; round < 50; ++round) {
        const QString text = RandomText(random, random.bounded(1, 2000), 255);
        QCOMPARE(Encode(Decode(text)), text);
    }
    // Slashes and control characters side by side are where a scan goes wrong.
    const QString dense = RandomText(random, 20000, 47);
    QCOMPARE(Encode(Decode(dense)), dense);
}

QTEST_APPLESS_MAIN(TstStringCodec)
#include "tst_StringCodec.moc"
