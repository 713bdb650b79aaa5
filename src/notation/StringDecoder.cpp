#include "notation/StringDecoder.h"

#include "notation/StringEncoder.h"

#include <array>
#include <type_traits>
#include <cstring>

namespace {

// Everything received in a poll goes through here, megabytes at a time. Each byte value maps
// to a precomputed item of fixed width, copied whole and then advanced over by its length, so
// the loop has no branches for the common case and nothing is allocated per character.
constexpr int kSlot = 8; // up to 7 characters; the last one holds the item's length
using TItem = std::array<char16_t, kSlot>;
using TTable = std::array<TItem, 256>;

enum TForm { fmText, fmTextCrlf, fmTextControl, fmHex, fmDez, fmAscii, fmCount };

// Longest item of each form, over every 16-bit value (a U+FFFF in a decimal dump is "65535 ").
constexpr std::array<qsizetype, fmCount> kMaxItem = {5, 5, 5, 5, 6, 6};

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

constexpr bool IsAsciiAlnum(unsigned aCode)
{
    return (aCode >= '0' && aCode <= '9') || (aCode >= 'A' && aCode <= 'Z') || (aCode >= 'a' && aCode <= 'z');
}

constexpr TItem MakeItem(TForm aForm, unsigned aCode)
{
    TItem item{};
    int n = 0;
    auto put = [&](char16_t aChar) { item[std::size_t(n++)] = aChar; };
    auto putDecimal = [&](unsigned aValue) {
        char16_t digits[3] = {};
        int count = 0;
        do {
            digits[count++] = char16_t(u'0' + aValue % 10);
            aValue /= 10;
        } while (aValue != 0);
        while (count > 0)
            put(digits[--count]);
    };

    switch (aForm) {
    case fmHex:
        put(kHexDigits[aCode >> 4]);
        put(kHexDigits[aCode & 15]);
        put(u' ');
        break;
    case fmDez:
        putDecimal(aCode);
        put(u' ');
        break;
    case fmAscii:
        if (IsAsciiAlnum(aCode))
            put(char16_t(aCode));
        else
            putDecimal(aCode);
        put(u' ');
        break;
    default:
        if (aCode < 32) {
            const bool raw = aForm == fmTextControl || (aForm == fmTextCrlf && (aCode == 10 || aCode == 13));
            if (raw) {
                put(char16_t(aCode));
            } else {
                put(u'/');
                for (char c : TStringEncoder::ControlNames[aCode])
                    put(char16_t(c));
                put(u'/');
            }
        } else if (aCode == u'/') {
            put(u'/');
            put(u'/');
        } else {
            put(char16_t(aCode));
        }
        break;
    }
    item[kSlot - 1] = char16_t(n);
    return item;
}

constexpr TTable MakeTable(TForm aForm)
{
    TTable table{};
    for (unsigned code = 0; code < 256; ++code)
        table[code] = MakeItem(aForm, code);
    return table;
}

alignas(64) constexpr std::array<TTable, fmCount> kTables = {MakeTable(fmText),        MakeTable(fmTextCrlf),
                                                             MakeTable(fmTextControl), MakeTable(fmHex),
                                                             MakeTable(fmDez),         MakeTable(fmAscii)};

// The same items as Latin-1 bytes, for received bytes: every item of a byte is Latin-1.
using TItem8 = std::array<char, kSlot>;
using TTable8 = std::array<TItem8, 256>;

constexpr TTable8 Narrow(const TTable& aTable)
{
    TTable8 table{};
    for (std::size_t code = 0; code < 256; ++code)
        for (std::size_t k = 0; k < kSlot; ++k)
            table[code][k] = char(aTable[code][k]);
    return table;
}

alignas(64) constexpr std::array<TTable8, fmCount> kTables8 = {
    Narrow(kTables[fmText]), Narrow(kTables[fmTextCrlf]), Narrow(kTables[fmTextControl]),
    Narrow(kTables[fmHex]),  Narrow(kTables[fmDez]),      Narrow(kTables[fmAscii])};

TForm FormFor(TTermComOptions aOptions)
{
    if (aOptions.Contains(coHexDump))
        return fmHex;
    if (aOptions.Contains(coDezDump))
        return fmDez;
    if (aOptions.Contains(coAsciiDump))
        return fmAscii;
    if (aOptions.Contains(coControl))
        return fmTextControl;
    if (aOptions.Contains(coCrlf))
        return fmTextCrlf;
    return fmText;
}

// Characters beyond the byte range only arrive from text typed or pasted locally; they are
// rare enough to be formatted one by one.
char16_t* PutWide(char16_t* aOut, TForm aForm, char16_t aChar)
{
    if (aForm < fmHex) {
        *aOut++ = aChar;
        return aOut;
    }
    const unsigned base = aForm == fmHex ? 16 : 10;
    char16_t digits[5];
    int count = 0;
    for (unsigned value = aChar; value != 0; value /= base)
        digits[count++] = kHexDigits[value % base];
    while (count > 0)
        *aOut++ = digits[--count];
    *aOut++ = u' ';
    return aOut;
}

} // namespace

namespace {

template <class TChar>
QString Decode(const TChar* aIn, qsizetype aSize, TForm aForm)
{
    const TItem* const table = kTables[std::size_t(aForm)].data();
    // Sized for the worst case plus one slot, because every item is copied at full width.
    QString result(aSize * kMaxItem[std::size_t(aForm)] + kSlot, Qt::Uninitialized);
    char16_t* const outBegin = reinterpret_cast<char16_t*>(result.data());
    char16_t* out = outBegin;
    const TChar* const end = aIn + aSize;
    for (const TChar* in = aIn; in < end; ++in) {
        const auto c = static_cast<std::make_unsigned_t<TChar>>(*in);
        if (sizeof(TChar) == 1 || c < 256) [[likely]] {
            const TItem& item = table[c];
            std::memcpy(out, item.data(), sizeof(TItem));
            out += item[kSlot - 1];
        } else {
            out = PutWide(out, aForm, char16_t(c));
        }
    }
    result.truncate(out - outBegin);
    // Give back the worst-case reserve; shrinking a block in place costs next to nothing.
    result.squeeze();
    return result;
}

// In the ASCII dump every item is a letter or digit and a blank, or a number and a blank:
// marks the characters of the numbers.
template <class TChar>
void MarkNumbers(const TChar* aIn, qsizetype aSize, qsizetype aResultSize, QByteArray* aNumbers)
{
    aNumbers->fill('\0', aResultSize);
    char* mark = aNumbers->data();
    for (qsizetype i = 0; i < aSize; ++i) {
        const unsigned code = static_cast<std::make_unsigned_t<TChar>>(aIn[i]);
        if (code >= 256) {
            qsizetype digits = 0;
            for (unsigned value = code; value != 0; value /= 10)
                ++digits;
            std::memset(mark, 1, size_t(digits));
            mark += digits + 1;
            continue;
        }
        const qsizetype length = kTables[fmAscii][code][kSlot - 1] - 1;
        if (!IsAsciiAlnum(code))
            std::memset(mark, 1, size_t(length));
        mark += length + 1;
    }
}

// Decodes, and in the ASCII dump marks the numbers in aNumbers (emptied otherwise).
template <class TChar>
QString DecodeMarked(const TChar* aIn, qsizetype aSize, TForm aForm, QByteArray* aNumbers)
{
    if (aNumbers)
        aNumbers->clear();
    const QString result = Decode(aIn, aSize, aForm);
    if (aNumbers && aForm == fmAscii)
        MarkNumbers(aIn, aSize, result.size(), aNumbers);
    return result;
}

} // namespace

QString TStringDecoder::DecodeStringSymbol(QStringView aText, QByteArray* aNumbers) const
{
    return DecodeMarked(aText.utf16(), aText.size(), FormFor(FOptions), aNumbers);
}

QString TStringDecoder::DecodeStringSymbol(QStringView aText) const
{
    return DecodeStringSymbol(aText, nullptr);
}

QByteArray TStringDecoder::DecodeToLatin1(QByteArrayView aBytes, QByteArray* aNumbers) const
{
    if (aNumbers)
        aNumbers->clear();
    const TForm form = FormFor(FOptions);
    const TItem8* const table = kTables8[std::size_t(form)].data();
    QByteArray result(aBytes.size() * kMaxItem[std::size_t(form)] + kSlot, Qt::Uninitialized);
    char* const outBegin = result.data();
    char* out = outBegin;
    const uchar* in = reinterpret_cast<const uchar*>(aBytes.data());
    const uchar* const end = in + aBytes.size();
    auto putItem = [&](uchar aByte) {
        const TItem8& item = table[aByte];
        std::memcpy(out, item.data(), sizeof(TItem8));
        out += item[kSlot - 1];
    };
    // Most received text shows as it is: printable characters (and, by the options, CR and
    // LF or all control characters) except the slash. Blocks of such bytes, found by a test
    // the compiler can vectorise, are copied whole.
    auto copyPlainBlocks = [&](auto aShownAsIs) {
        constexpr qsizetype kBlock = 32;
        while (end - in >= kBlock) {
            unsigned special = 0;
            for (qsizetype k = 0; k < kBlock; ++k)
                special |= unsigned(!aShownAsIs(in[k]));
            if (special) {
                for (const uchar* const stop = in + kBlock; in < stop; ++in)
                    putItem(*in);
            } else {
                std::memcpy(out, in, kBlock);
                out += kBlock;
                in += kBlock;
            }
        }
    };
    if (form == fmText)
        copyPlainBlocks([](uchar c) { return (c >= 32) & (c != '/'); });
    else if (form == fmTextCrlf)
        copyPlainBlocks([](uchar c) { return ((c >= 32) | (c == '\r') | (c == '\n')) & (c != '/'); });
    else if (form == fmTextControl)
        copyPlainBlocks([](uchar c) { return c != '/'; });
    for (; in < end; ++in)
        putItem(*in);
    result.truncate(out - outBegin);
    if (aNumbers && form == fmAscii)
        MarkNumbers(aBytes.data(), aBytes.size(), result.size(), aNumbers);
    return result;
}

QString TStringDecoder::DecodeBytes(QByteArrayView aBytes, QByteArray* aNumbers) const
{
    return DecodeMarked(aBytes.data(), aBytes.size(), FormFor(FOptions), aNumbers);
}
