#include "pascal/Format.h"

#include "pascal/Builtins.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pascal {

namespace {

// The first aSignificant decimal digits of |aValue| and the exponent of the first one.
void Digits(double aValue, std::string& aDigits, int& aExponent, int aSignificant = 17)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", aSignificant - 1, std::fabs(aValue));
    aDigits.clear();
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            aDigits.push_back(*p);
    aExponent = *p == 'e' ? std::atoi(p + 1) : 0;
}

// Rounds the digit string (first digit has exponent aExponent) so that the last kept digit
// has exponent -aDecimals; half goes away from zero.
void RoundDigits(std::string& aDigits, int& aExponent, int aKeep)
{
    if (aKeep < 0) {
        aDigits.assign(1, '0');
        aExponent = 0;
        return;
    }
    if (std::size_t(aKeep) >= aDigits.size())
        return;
    const bool up = aDigits[std::size_t(aKeep)] >= '5';
    aDigits.resize(std::size_t(aKeep));
    if (up) {
        int i = aKeep - 1;
        while (i >= 0 && aDigits[std::size_t(i)] == '9') {
            aDigits[std::size_t(i)] = '0';
            --i;
        }
        if (i < 0) {
            aDigits.insert(aDigits.begin(), '1');
            ++aExponent;
        } else {
            ++aDigits[std::size_t(i)];
        }
    }
    if (aDigits.empty()) {
        aDigits.assign(1, '0');
    }
}

// Integer digits with a ',' between every three from the right.
std::string Grouped(const std::string& aDigits)
{
    std::string grouped;
    const int n = int(aDigits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped.push_back(',');
        grouped.push_back(aDigits[std::size_t(i)]);
    }
    return grouped;
}

std::string Pad(const std::string& aText, int aWidth, bool aLeft)
{
    if (aWidth <= 0 || int(aText.size()) >= aWidth)
        return aText;
    std::string out;
    const std::size_t fill = std::size_t(aWidth) - aText.size();
    if (!aLeft)
        out.append(fill, ' ');
    out.append(aText);
    if (aLeft)
        out.append(fill, ' ');
    return out;
}

std::string ScientificText(double aValue, int aPrecision)
{
    // Free Pascal's %e: 2 to 17 significant digits (17 when not given), an exponent of at
    // least 3 digits. It formats an Extended; a Double has about 15 digits worth showing,
    // the rest are zeros as they are for the constants scripts pass.
    if (aPrecision < 0 || aPrecision > 17)
        aPrecision = 17;
    aPrecision = std::max(aPrecision, 2);
    std::string digits;
    int exponent = 0;
    if (aValue != 0) {
        Digits(aValue, digits, exponent, 15);
        RoundDigits(digits, exponent, std::min(aPrecision, 15));
        if (int(digits.size()) > aPrecision) // 9.96 rounded to 2 digits carried into "100"
            digits.resize(std::size_t(aPrecision));
    }
    while (int(digits.size()) < aPrecision)
        digits.push_back('0');
    std::string out;
    if (aValue < 0)
        out.push_back('-');
    out.push_back(digits[0]);
    if (digits.size() > 1) {
        out.push_back('.');
        out.append(digits, 1);
    }
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out.append(exp);
    return out;
}

} // namespace

std::string FixedText(double aValue, int aDecimals, bool aThousands)
{
    if (std::isnan(aValue))
        return "Nan";
    if (std::isinf(aValue))
        return aValue < 0 ? "-Inf" : "+Inf";
    // Free Pascal rounds to 15 significant digits first, then to the decimals wanted: 1.005
    // (really 1.00499999...) comes out as 1.01
    std::string digits;
    int exponent = 0;
    Digits(aValue, digits, exponent, 15);
    RoundDigits(digits, exponent, exponent + 1 + aDecimals);
    // place the digits around the point
    std::string intPart;
    std::string frac;
    for (int e = std::max(exponent, 0); e >= -aDecimals; --e) {
        const int i = exponent - e;
        const char d = i >= 0 && i < int(digits.size()) ? digits[std::size_t(i)] : '0';
        if (e >= 0)
            intPart.push_back(d);
        else
            frac.push_back(d);
    }
    if (intPart.empty())
        intPart.assign(1, '0');
    if (aThousands)
        intPart = Grouped(intPart);
    bool zero = true;
    for (const std::string* part : {&intPart, &frac})
        for (char c : *part)
            if (c >= '1' && c <= '9')
                zero = false;
    std::string out;
    if (aValue < 0 && !zero)
        out.push_back('-');
    out.append(intPart);
    if (aDecimals > 0) {
        out.push_back('.');
        out.append(frac);
    }
    return out;
}

TFormatResult FormatText(const TStr& aFormat, const std::vector<TFormatArg>& aArgs, qint64 aMaxLength,
                         TStr& aOut, QString& aError, const std::function<void(qint64)>& aWork)
{
    const char* f = aFormat.Data();
    const qint64 n = aFormat.Length();
    std::size_t next = 0;
    std::string out;
    qint64 i = 0;
    auto fail = [&](qint64 aStart) {
        aError = QStringLiteral("Format '%1' ungültig oder nicht kompatibel mit Argument")
                     .arg(QString::fromLatin1(f + aStart,
                                              qsizetype(std::min<qint64>(i - aStart + 1, n - aStart))));
        return TFormatResult::BadFormat;
    };
    while (i < n) {
        const char c = f[i];
        if (qint64(out.size()) > aMaxLength)
            return TFormatResult::TooLong;
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        const qint64 start = i++;
        if (i < n && f[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // [index:] [-] [width] [.precision] type
        auto number = [&](int& aValue) -> bool {
            if (i < n && f[i] == '*') {
                ++i;
                if (next >= aArgs.size()
                    || (aArgs[next].Kind != TFormatArg::TKind::Int32
                        && aArgs[next].Kind != TFormatArg::TKind::Int64))
                    return false;
                const qint64 v = aArgs[next++].Int;
                if (v > 100000 || v < -100000)
                    return false;
                aValue = int(v < 0 ? -v : v);
                return true;
            }
            aValue = -1;
            while (i < n && f[i] >= '0' && f[i] <= '9') {
                aValue = (aValue < 0 ? 0 : aValue) * 10 + (f[i++] - '0');
                if (aValue > 100000)
                    return false;
            }
            return true;
        };
        int value = -1;
        if (!number(value))
            return fail(start);
        if (i < n && f[i] == ':') {
            ++i;
            if (value < 0)
                return fail(start);
            next = std::size_t(value);
            value = -1;
        }
        bool left = false;
        if (i < n && f[i] == '-') {
            left = true;
            ++i;
        }
        int width = value;
        if (width < 0 && !number(width))
            return fail(start);
        int precision = -1;
        if (i < n && f[i] == '.') {
            ++i;
            if (!number(precision))
                return fail(start);
            if (precision < 0)
                precision = 0;
        }
        if (i >= n)
            return fail(start);
        const char type = char(f[i] | 0x20);
        if (next >= aArgs.size())
            return fail(start);
        const TFormatArg& a = aArgs[next++];
        using K = TFormatArg::TKind;
        const bool isInt = a.Kind == K::Int32 || a.Kind == K::Int64;
        const bool isNumber = isInt || a.Kind == K::Real;
        std::string text;
        switch (type) {
        case 'd':
        case 'u':
        case 'x': {
            if (!isInt)
                return fail(start);
            std::string digits;
            bool negative = false;
            char buf[32];
            if (type == 'x') {
                const quint64 v = a.Kind == K::Int32 ? quint64(quint32(a.Int)) : quint64(a.Int);
                std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
            } else if (type == 'u') {
                const quint64 v = a.Kind == K::Int32 ? quint64(quint32(a.Int)) : quint64(a.Int);
                std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
            } else {
                negative = a.Int < 0;
                std::snprintf(
                    buf, sizeof buf, "%llu",
                    static_cast<unsigned long long>(negative ? 0 - quint64(a.Int) : quint64(a.Int)));
            }
            digits = buf;
            if (precision > aMaxLength)
                return TFormatResult::TooLong;
            if (precision > int(digits.size()))
                digits.insert(0, std::size_t(precision) - digits.size(), '0');
            if (negative)
                text.push_back('-');
            text.append(digits);
            break;
        }
        case 'f':
        case 'n':
            if (!isNumber)
                return fail(start);
            text = FixedText(a.Kind == K::Real ? a.Real : double(a.Int),
                             precision < 0 ? 2 : std::min(precision, 18), type == 'n');
            break;
        case 'e':
            if (!isNumber)
                return fail(start);
            text = ScientificText(a.Kind == K::Real ? a.Real : double(a.Int), precision);
            break;
        case 'g': {
            if (!isNumber)
                return fail(start);
            const TStr g = FloatToStrGeneral(a.Kind == K::Real ? a.Real : double(a.Int),
                                             precision < 0 ? 15 : std::clamp(precision, 2, 17));
            text.assign(g.Data(), std::size_t(g.Length()));
            break;
        }
        case 's':
            if (a.Kind == K::Str)
                text.assign(a.Text.Data(), std::size_t(a.Text.Length()));
            else if (a.Kind == K::Char)
                text.assign(1, char(a.Int));
            else
                return fail(start);
            if (precision >= 0 && int(text.size()) > precision)
                text.resize(std::size_t(precision));
            break;
        default: return fail(start);
        }
        if (width > aMaxLength)
            return TFormatResult::TooLong;
        const std::size_t before = out.size();
        out += Pad(text, width, left);
        if (aWork)
            aWork(qint64(out.size() - before));
        ++i;
    }
    if (qint64(out.size()) > aMaxLength)
        return TFormatResult::TooLong;
    aOut = TStr(out.data(), qint64(out.size()));
    return TFormatResult::Ok;
}

namespace {

// One section of a FormatFloat pattern, read once.
struct TFloatPattern
{
    std::string Prefix; // literal text before the first digit placeholder
    std::string Suffix; // literal text after the last one (and between them)
    int IntZeros = 0;   // '0' before the point: digits always shown
    int IntPlaces = 0;  // '0' and '#' before the point
    int FracZeros = 0;  // '0' after the point
    int FracPlaces = 0; // '0' and '#' after the point
    bool Thousands = false;
    bool Scientific = false;
    char ExpChar = 'E';
    bool ExpPlus = false; // E+: the sign always; E-: only when negative
    int ExpDigits = 0;
};

TFloatPattern ReadPattern(const std::string& aSection)
{
    TFloatPattern p;
    bool seenDigit = false;
    bool afterPoint = false;
    std::string literal;
    for (std::size_t i = 0; i < aSection.size(); ++i) {
        const char c = aSection[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = aSection.find(c, i + 1);
            literal.append(aSection, i + 1, (end == std::string::npos ? aSection.size() : end) - i - 1);
            i = end == std::string::npos ? aSection.size() : end;
            continue;
        }
        if ((c == 'E' || c == 'e') && i + 1 < aSection.size()
            && (aSection[i + 1] == '+' || aSection[i + 1] == '-') && seenDigit && !p.Scientific) {
            p.Scientific = true;
            p.ExpChar = c;
            p.ExpPlus = aSection[i + 1] == '+';
            i += 2;
            while (i < aSection.size() && aSection[i] == '0') {
                ++p.ExpDigits;
                ++i;
            }
            --i;
            continue;
        }
        if (c == '0' || c == '#') {
            if (!seenDigit)
                p.Prefix = literal;
            else
                p.Suffix += literal; // text between placeholders goes after the number
            literal.clear();
            seenDigit = true;
            if (afterPoint) {
                ++p.FracPlaces;
                if (c == '0')
                    p.FracZeros = p.FracPlaces;
            } else {
                ++p.IntPlaces;
                if (c == '0' || p.IntZeros > 0)
                    p.IntZeros += c == '0' ? 1 : 0;
            }
            continue;
        }
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (c == ',') {
            p.Thousands = true;
            continue;
        }
        literal.push_back(c);
    }
    if (!seenDigit)
        p.Prefix = literal;
    else
        p.Suffix += literal;
    return p;
}

// |aValue| laid out by one pattern section (no sign).
std::string LayOut(double aValue, const TFloatPattern& p)
{
    std::string digits;
    int exponent = 0;
    std::string intPart;
    std::string frac;
    std::string expText;
    if (p.Scientific) {
        const int intDigits = std::max(1, p.IntPlaces);
        if (aValue != 0) {
            Digits(aValue, digits, exponent, 15);
            RoundDigits(digits, exponent, intDigits + p.FracPlaces);
        } else {
            digits = "0";
        }
        const int shown = aValue != 0 ? exponent - (intDigits - 1) : 0;
        for (int i = 0; i < intDigits + p.FracPlaces; ++i) {
            const char d = i < int(digits.size()) ? digits[std::size_t(i)] : '0';
            (i < intDigits ? intPart : frac).push_back(d);
        }
        expText.push_back(p.ExpChar);
        if (shown < 0)
            expText.push_back('-');
        else if (p.ExpPlus)
            expText.push_back('+');
        std::string e = std::to_string(std::abs(shown));
        if (int(e.size()) < p.ExpDigits)
            e.insert(0, std::size_t(p.ExpDigits) - e.size(), '0');
        expText += e;
    } else {
        const std::string fixed = FixedText(aValue, p.FracPlaces, false);
        const std::size_t point = fixed.find('.');
        intPart = fixed.substr(0, point);
        if (point != std::string::npos)
            frac = fixed.substr(point + 1);
        if (intPart == "0" && p.IntZeros == 0)
            intPart.clear();
        if (int(intPart.size()) < p.IntZeros)
            intPart.insert(0, std::size_t(p.IntZeros) - intPart.size(), '0');
        if (p.Thousands)
            intPart = Grouped(intPart);
    }
    // '#' after the point drops trailing zeros down to the last '0'
    while (int(frac.size()) > p.FracZeros && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::string out = intPart;
    if (!frac.empty())
        out += '.' + frac;
    return out + expText;
}

} // namespace

std::string FormatFloatText(const std::string& aFormat, double aValue)
{
    if (std::isnan(aValue))
        return "Nan";
    if (std::isinf(aValue))
        return aValue < 0 ? "-Inf" : "+Inf";
    if (aFormat.empty())
        return FloatToStrGeneral(aValue).ToByteArray().toStdString();
    // sections: positive;negative;zero (quoted text may hold a ';')
    std::vector<std::string> sections(1);
    for (std::size_t i = 0; i < aFormat.size(); ++i) {
        const char c = aFormat[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = aFormat.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? aFormat.size() : end + 1;
            sections.back().append(aFormat, i, stop - i);
            i = stop - 1;
        } else if (c == ';' && sections.size() < 3) {
            sections.emplace_back();
        } else {
            sections.back().push_back(c);
        }
    }
    const TFloatPattern first = ReadPattern(sections[0]);
    const bool zero = LayOut(aValue, first).find_first_not_of("0.,E+-e") == std::string::npos;
    if (zero && sections.size() > 2 && !sections[2].empty()) {
        const TFloatPattern p = ReadPattern(sections[2]);
        return p.Prefix + LayOut(0, p) + p.Suffix;
    }
    if (aValue < 0 && sections.size() > 1 && !sections[1].empty()) {
        const TFloatPattern p = ReadPattern(sections[1]);
        return p.Prefix + LayOut(-aValue, p) + p.Suffix;
    }
    // Free Pascal keeps the sign of a negative value that rounds to zero: -0.04 as "-0.0"
    return (aValue < 0 ? "-" : "") + first.Prefix + LayOut(std::fabs(aValue), first) + first.Suffix;
}

std::string FloatToStrFText(double aValue, int aFormat, int aPrecision, int aDigits)
{
    if (std::isnan(aValue))
        return "Nan";
    if (std::isinf(aValue))
        return aValue < 0 ? "-Inf" : "+Inf";
    aPrecision = std::clamp(aPrecision, 1, 15);
    aDigits = std::clamp(aDigits, 0, 18);
    switch (aFormat) {
    case 1: { // ffExponent: aPrecision significant digits, the exponent signed, aDigits wide at least
        std::string digits = "0";
        int exponent = 0;
        if (aValue != 0) {
            Digits(aValue, digits, exponent, 15);
            RoundDigits(digits, exponent, aPrecision);
        }
        while (int(digits.size()) < aPrecision)
            digits.push_back('0');
        std::string out = aValue < 0 ? "-" : "";
        out.push_back(digits[0]);
        if (aPrecision > 1)
            out += '.' + digits.substr(1, std::size_t(aPrecision - 1));
        std::string e = std::to_string(std::abs(exponent));
        if (int(e.size()) < aDigits)
            e.insert(0, std::size_t(aDigits) - e.size(), '0');
        return out + 'E' + (exponent < 0 ? '-' : '+') + e;
    }
    case 2: // ffFixed
        return FixedText(aValue, aDigits, false);
    case 3: // ffNumber
        return FixedText(aValue, aDigits, true);
    case 4: { // ffCurrency, as Free Pascal's defaults write it: the sign first, '$' after
        return FixedText(aValue, aDigits, true) + "$";
    }
    default: // ffGeneral
        return FloatToStrGeneral(aValue, aPrecision).ToByteArray().toStdString();
    }
}

} // namespace pascal
