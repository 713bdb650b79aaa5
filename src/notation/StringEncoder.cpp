#include "notation/StringEncoder.h"

#include <cstring>

namespace {

constexpr char16_t AsciiLower(char16_t aChar)
{
    return (aChar >= u'A' && aChar <= u'Z') ? char16_t(aChar + (u'a' - u'A')) : aChar;
}

// All names are two or three ASCII characters, so a name packs into one integer and the
// case-insensitive lookup becomes a handful of integer compares.
constexpr quint32 PackName(std::string_view aName)
{
    quint32 key = 0;
    for (char c : aName)
        key = (key << 8) | quint8(c);
    return key;
}

constexpr std::array<quint32, 32> kNameKeys = [] {
    std::array<quint32, 32> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = PackName(TStringEncoder::ControlNames[i]);
    return keys;
}();

int NameToCode(QStringView aName)
{
    if (aName.size() < 2 || aName.size() > 3)
        return 0;
    quint32 key = 0;
    for (QChar c : aName) {
        if (c.unicode() > 0x7F)
            return 0;
        key = (key << 8) | AsciiLower(c.unicode());
    }
    // Keys are unique and "no match" means 0 just as "nul" does, so the scan needs no branch.
    int code = 0;
    for (int i = 0; i < int(kNameKeys.size()); ++i)
        code |= kNameKeys[std::size_t(i)] == key ? i : 0;
    return code;
}

int DecimalDigit(char16_t aChar)
{
    return (aChar >= u'0' && aChar <= u'9') ? aChar - u'0' : -1;
}

int HexDigit(char16_t aChar)
{
    if (aChar >= u'0' && aChar <= u'9')
        return aChar - u'0';
    const char16_t lower = AsciiLower(aChar);
    if (lower >= u'a' && lower <= u'f')
        return lower - u'a' + 10;
    return -1;
}

} // namespace

bool TStringEncoder::TryStrToInt(QStringView aText, qint32& aValue)
{
    const char16_t* p = aText.utf16();
    const char16_t* const end = p + aText.size();
    while (p < end && *p == u' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-')) {
        negative = *p == u'-';
        ++p;
    }
    bool hex = false;
    if (p < end && (*p == u'$' || *p == u'x' || *p == u'X')) {
        hex = true;
        ++p;
    } else if (end - p >= 2 && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) {
        hex = true;
        p += 2;
    }
    if (p == end)
        return false;

    // The magnitude is checked after every digit, so it never grows past 36 bits and no
    // amount of digits can wrap it back into range.
    const quint64 limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    const unsigned base = hex ? 16 : 10;
    quint64 magnitude = 0;
    for (; p < end; ++p) {
        const int digit = hex ? HexDigit(*p) : DecimalDigit(*p);
        if (digit < 0)
            return false;
        magnitude = magnitude * base + unsigned(digit);
        if (magnitude > limit)
            return false;
    }
    quint32 bits = quint32(magnitude);
    if (negative)
        bits = 0u - bits;
    aValue = qint32(bits);
    return true;
}

int TStringEncoder::TokenToCode(QStringView aToken)
{
    qint32 value = 0;
    if (TryStrToInt(aToken, value))
        return (value >= 0 && value <= 255) ? value : 0; // anything that is not a byte sends byte 0

    QStringView name = aToken;
    if (name.size() >= 2 && name[0] == u'$')
        name = name.sliced(1);
    else if (name.size() >= 2 && name[0] == u'0' && (name[1] == u'x' || name[1] == u'X'))
        name = name.sliced(2);
    return NameToCode(name);
}

QString TStringEncoder::EncodeString(QStringView aText) const
{
    // Every character of the notation produces at most one character.
    QString result(aText.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    char16_t* const outBegin = out;

    const char16_t* const begin = aText.utf16();
    const char16_t* const end = begin + aText.size();
    const char16_t* p = begin;
    while (p < end) {
        // Copy everything up to the next slash in one go. Between tokens the gaps are short and
        // a plain loop finds the slash soonest; a longer gap goes to the vectorised search.
        const char16_t* slash = p;
        const char16_t* const nearEnd = end - p > 16 ? p + 16 : end;
        while (slash < nearEnd && *slash != u'/')
            ++slash;
        if (slash == nearEnd && slash < end) {
            const qsizetype slashAt = aText.indexOf(u'/', slash - begin);
            slash = slashAt < 0 ? end : begin + slashAt;
        }
        const std::size_t run = std::size_t(slash - p);
        std::memcpy(out, p, run * sizeof(char16_t));
        out += run;
        if (slash == end)
            break;

        // A slash as the very last character, or a doubled slash, is a literal slash.
        if (slash + 1 == end) {
            *out++ = u'/';
            break;
        }
        if (slash[1] == u'/') {
            *out++ = u'/';
            p = slash + 2;
            continue;
        }

        // A token runs to the closing slash, or to the end when that slash is missing.
        const char16_t* const tokenBegin = slash + 1;
        const char16_t* close = tokenBegin;
        while (close < end && *close != u'/')
            ++close;
        *out++ = char16_t(TokenToCode(QStringView(tokenBegin, close)));
        p = close < end ? close + 1 : end;
    }
    result.truncate(out - outBegin);
    return result;
}
