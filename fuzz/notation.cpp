// Slash notation both ways. The first byte picks the display options (every combination,
// so the precedence of the dump forms is exercised too), the second how the rest becomes
// characters: one per byte as received, or UTF-8 / UTF-16 as typed into the send field.

#include "FuzzSupport.h"

#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"

#include <QStringList>

namespace {

QString TextOf(uint8_t aHow, const QByteArray& aBytes)
{
    switch (aHow % 3) {
    case 0: return QString::fromLatin1(aBytes);
    case 1: return QString::fromUtf8(aBytes);
    default: return QString(reinterpret_cast<const QChar*>(aBytes.constData()), aBytes.size() / 2);
    }
}

// A dump is one number (or, in the ASCII dump, a letter or digit) and a blank per character.
void CheckDump(TTermComOptions aOptions, const QString& aText, const QString& aDump,
               const QByteArray& aNumbers)
{
    const QStringList items = aDump.split(u' ');
    if (items.size() != aText.size() + 1 || !items.last().isEmpty())
        fuzz::Fail("one dump item per character", aDump);
    const int base = aOptions.Contains(coHexDump) ? 16 : 10;
    const bool ascii = !aOptions.Contains(coHexDump) && !aOptions.Contains(coDezDump);
    qsizetype at = 0;
    for (qsizetype i = 0; i < aText.size(); ++i) {
        const QString& item = items[i];
        const bool number = !ascii || (at < aNumbers.size() && aNumbers[at] != 0);
        bool ok = true;
        const uint code = number ? item.toUInt(&ok, base) : (item.size() == 1 ? item[0].unicode() : 0x10000u);
        if (!ok || code != aText[i].unicode())
            fuzz::Fail("dump item gives back its character", item);
        at += item.size() + 1;
    }
    if (ascii && aNumbers.size() != aDump.size())
        fuzz::Fail("one number flag per character of the ASCII dump");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::TInput input(aData, aSize);
    const TTermComOptions options = TTermComOptions::FromBits(input.Byte());
    const uint8_t how = input.Byte();
    const QByteArray bytes = input.Rest();
    const QString text = TextOf(how, bytes);

    // The send path: the text as typed, and each token it holds.
    const QString encoded = TStringEncoder().EncodeString(text);
    if (encoded.size() > text.size())
        fuzz::Fail("encoding never lengthens", text);
    for (const QString& token : text.split(u'/')) {
        const int code = TStringEncoder::TokenToCode(token);
        if (code < 0 || code > 255)
            fuzz::Fail("a token stands for one byte", token);
        qint32 value = 0;
        TStringEncoder::TryStrToInt(token, value);
    }

    TStringDecoder decoder;
    decoder.SetOptions(options);
    QByteArray numbers;
    const QString decoded = decoder.DecodeStringSymbol(text, &numbers);
    if (decoded != decoder.DecodeStringSymbol(text))
        fuzz::Fail("decoding does not depend on the number flags", text);

    // The whole-buffer path agrees with one character at a time.
    QString single;
    for (QChar c : text)
        single += decoder.DecodeStringSymbol(QStringView(&c, 1));
    if (single != decoded)
        fuzz::Fail("whole text decodes as its characters do", text);

    if (options.IsDump())
        CheckDump(options, text, decoded, numbers);
    else if (TStringEncoder().EncodeString(decoded) != text)
        fuzz::Fail("what is shown encodes back to what was received", text);
    return 0;
}
