#include "pascal/Builtins.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pascal {

const char* MagicName(TMagic aMagic)
{
    static const char* const kNames[] = {
        "Length",  "SetLength",  "High",        "Low",           "Inc",
        "Dec",     "Ord",        "Chr",         "Succ",          "Pred",
        "Odd",     "Abs",        "Sqr",         "Min",           "Max",
        "Round",   "Trunc",      "Copy",        "Pos",           "Delete",
        "Insert",  "Concat",     "Format",      "SizeOf",        "Exit",
        "Break",   "Continue",   "Halt",        "Include",       "Exclude",
        "Random",  "Assert",     "TryStrToInt", "TryStrToInt64", "TryStrToFloat",
        "Val",     "Str",        "Assigned",    "IntToHex",      "Hi",
        "Lo",      "FreeAndNil", "DecodeDate",  "DecodeTime",    "Swap",
        "Default", "FillChar",   "IfThen",
    };
    static_assert(sizeof(kNames) / sizeof(kNames[0]) == std::size_t(TMagic::Count));
    return kNames[int(aMagic)];
}

const std::vector<TBuiltinFunc>& BuiltinFuncs()
{
    static const std::vector<TBuiltinFunc> table = [] {
        std::vector<TBuiltinFunc> t;
        AddStringFuncs(t);
        AddMathFuncs(t);
        AddDateFuncs(t);
        return t;
    }();
    return table;
}

namespace {

// The number in an integer's text as the conversions read it: blanks, a sign, then digits
// after an optional $, 0x, x (hex), & (octal) or % (binary). False for anything else and
// for more than 64 bits.
bool ReadDigits(const char* aText, qint64 aLength, quint64& aValue, bool& aNegative, int& aBase)
{
    qint64 i = 0;
    while (i < aLength && (aText[i] == ' ' || aText[i] == '\t'))
        ++i;
    aNegative = false;
    if (i < aLength && (aText[i] == '+' || aText[i] == '-'))
        aNegative = aText[i++] == '-';
    int base = 10;
    if (i < aLength && aText[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < aLength && aText[i] == '0' && (aText[i + 1] == 'x' || aText[i + 1] == 'X')) {
        base = 16;
        i += 2;
    } else if (i < aLength && (aText[i] == 'x' || aText[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i < aLength && aText[i] == '&') {
        base = 8;
        ++i;
    } else if (i < aLength && aText[i] == '%') {
        base = 2;
        ++i;
    }
    if (i >= aLength)
        return false;
    quint64 v = 0;
    for (; i < aLength; ++i) {
        const char c = aText[i];
        int d = 99;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d >= base)
            return false;
        if (v > (std::numeric_limits<quint64>::max() - quint64(d)) / quint64(base))
            return false;
        v = v * quint64(base) + quint64(d);
    }
    aValue = v;
    aBase = base;
    return true;
}

} // namespace

bool ParseInteger(const char* aText, qint64 aLength, qint64& aValue, bool aAllow64)
{
    quint64 v = 0;
    bool negative = false;
    int base = 10;
    if (!ReadDigits(aText, aLength, v, negative, base))
        return false;
    if (aAllow64) {
        // as Free Pascal: decimal text must fit an Int64, other bases take all 64 bits and wrap
        const quint64 limit = base != 10 ? std::numeric_limits<quint64>::max()
            : negative                   ? quint64(1) << 63
                                         : quint64(std::numeric_limits<qint64>::max());
        if (v > limit)
            return false;
        aValue = negative ? qint64(0 - v) : qint64(v);
        return true;
    }
    // as Free Pascal: an Integer takes anything up to High(Cardinal) and wraps
    if (negative ? v > (quint64(1) << 31) : v > 0xFFFFFFFFull)
        return false;
    aValue = qint32(quint32(negative ? 0 - v : v));
    return true;
}

bool ParseQWord(const char* aText, qint64 aLength, qint64& aValue)
{
    quint64 v = 0;
    bool negative = false;
    int base = 10;
    if (!ReadDigits(aText, aLength, v, negative, base) || (negative && v != 0))
        return false;
    aValue = qint64(v);
    return true;
}

bool ParseReal(const char* aText, qint64 aLength, double& aValue)
{
    qint64 b = 0;
    qint64 e = aLength;
    while (b < e && (aText[b] == ' ' || aText[b] == '\t'))
        ++b;
    while (e > b && (aText[e - 1] == ' ' || aText[e - 1] == '\t'))
        --e;
    if (b == e || e - b > 400)
        return false;
    std::string text(aText + b, std::size_t(e - b));
    bool digit = false;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digit = true;
        else if (c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    if (!digit)
        return false;
    char* end = nullptr;
    aValue = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(aValue);
}

QString QuotedForMessage(const TStr& aText)
{
    constexpr qint64 kLongest = 60;
    QString text = QString::fromLatin1(aText.Data(), qsizetype(std::min(aText.Length(), kLongest)));
    if (aText.Length() > kLongest)
        text += QStringLiteral("...");
    return QStringLiteral("'%1'").arg(text);
}

void RaiseNotInteger(TRuntime& aRt, const TStr& aText, TSourcePos aPos)
{
    aRt.Raise("EConvertError",
              QStringLiteral("%1 ist kein gültiger Integerwert").arg(QuotedForMessage(aText)), aPos);
}

qint64 FindText(TRuntime& aRt, TSourcePos aPos, const TStr& aText, const TStr& aNeedle, qint64 aFrom,
                bool aIgnoreCase)
{
    const qint64 n = aText.Length();
    const qint64 m = aNeedle.Length();
    if (m == 0 || aFrom < 0 || aFrom + m > n)
        return -1;
    const char* text = aText.Data();
    const char* needle = aNeedle.Data();
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
    qint64 work = 0;
    for (qint64 i = aFrom; i + m <= n; ++i) {
        if (!aIgnoreCase) {
            // jump to the next place the first character fits
            const void* hit = std::memchr(text + i, needle[0], std::size_t(n - m - i + 1));
            if (hit == nullptr)
                return -1;
            work += static_cast<const char*>(hit) - (text + i);
            i = static_cast<const char*>(hit) - text;
            if (std::memcmp(text + i, needle, std::size_t(m)) == 0)
                return i;
        } else {
            qint64 k = 0;
            while (k < m && upper(text[i + k]) == upper(needle[k]))
                ++k;
            if (k == m)
                return i;
        }
        work += m;
        if (work > (1 << 20)) {
            aRt.Charge(work, aPos);
            work = 0;
        }
    }
    return -1;
}

TStr IntToHexStr(qint64 aValue, int aDigits, bool a64)
{
    char buf[80];
    const quint64 v = a64 ? quint64(aValue) : quint64(quint32(aValue));
    std::snprintf(buf, sizeof buf, "%0*llX", std::min(aDigits, 64), static_cast<unsigned long long>(v));
    return TStr(buf, qint64(std::strlen(buf)));
}

double NextRandom(TRuntime& aRt)
{
    aRt.RandSeed = aRt.RandSeed * 0x08088405u + 1u;
    return double(aRt.RandSeed) / 4294967296.0;
}

qint64 NextRandomInt(TRuntime& aRt, qint64 aRange)
{
    if (aRange <= 0)
        return 0;
    aRt.RandSeed = aRt.RandSeed * 0x08088405u + 1u;
    if (aRange <= 0xFFFFFFFFll)
        return qint64((quint64(aRt.RandSeed) * quint64(aRange)) >> 32);
    const quint64 high = aRt.RandSeed;
    aRt.RandSeed = aRt.RandSeed * 0x08088405u + 1u;
    return qint64(((high << 32) | aRt.RandSeed) % quint64(aRange));
}

TStr FloatToStrGeneral(double aValue, int aPrecision)
{
    if (std::isnan(aValue))
        return TStr("Nan", 3);
    if (std::isinf(aValue))
        return aValue < 0 ? TStr("-Inf", 4) : TStr("+Inf", 4);
    if (aValue == 0)
        return TStr("0", 1);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", aPrecision - 1, aValue);
    // buf: [-]d.ddddde[+-]xx
    std::string digits;
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.')
            digits.push_back(*p);
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out;
    if (negative)
        out.push_back('-');
    if (exponent < -5 || exponent >= aPrecision) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1);
        }
        out.push_back('E');
        out.append(std::to_string(exponent));
    } else if (exponent < 0) {
        out.append("0.");
        out.append(std::size_t(-exponent - 1), '0');
        out.append(digits);
    } else {
        const std::size_t intDigits = std::size_t(exponent) + 1;
        while (digits.size() < intDigits)
            digits.push_back('0');
        out.append(digits, 0, intDigits);
        if (digits.size() > intDigits) {
            out.push_back('.');
            out.append(digits, intDigits);
        }
    }
    return TStr(out.data(), qint64(out.size()));
}

} // namespace pascal
