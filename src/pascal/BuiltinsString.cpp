#include "pascal/Builtins.h"

#include "pascal/Format.h"
#include "pascal/HeapValues.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

// String conversion and manipulation routines (SysUtils and StrUtils).
namespace pascal {

namespace {

TValue Str(TStr aText)
{
    return TValue::FromStr(std::move(aText));
}
TValue Int(qint64 aValue)
{
    return TValue::FromInt(aValue);
}
TValue Bool(bool aValue)
{
    return TValue::FromInt(aValue ? 1 : 0);
}

bool SetHasBit(const TValue& aSet, qint64 aElement)
{
    return aSet.K == TVKind::Set && SetHas(aSet.St, aElement);
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 32) : c;
}
char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

TStr Mapped(const TStr& aText, char (*aMap)(char))
{
    TStr s(aText.Data(), aText.Length());
    char* d = s.Unique();
    for (qint64 i = 0; i < s.Length(); ++i)
        d[i] = aMap(d[i]);
    return s;
}

TStr Trimmed(const TStr& aText, bool aLeft, bool aRight)
{
    qint64 b = 0;
    qint64 e = aText.Length();
    if (aLeft)
        while (b < e && static_cast<unsigned char>(aText.Data()[b]) <= ' ')
            ++b;
    if (aRight)
        while (e > b && static_cast<unsigned char>(aText.Data()[e - 1]) <= ' ')
            --e;
    if (b == 0 && e == aText.Length())
        return aText;
    return TStr(aText.Data() + b, e - b);
}

TValue IntToStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, a[0].I).ptr;
    return Str(TStr(buf, end - buf));
}

TValue StrToInt(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    qint64 v = 0;
    if (!ParseInteger(s.Data(), s.Length(), v, false))
        RaiseNotInteger(aRt, s, aPos);
    return Int(v);
}

TValue StrToInt64(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    qint64 v = 0;
    if (!ParseInteger(s.Data(), s.Length(), v, true))
        RaiseNotInteger(aRt, s, aPos);
    return Int(v);
}

TValue StrToQWord(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    qint64 v = 0;
    if (!ParseQWord(s.Data(), s.Length(), v))
        RaiseNotInteger(aRt, s, aPos);
    return Int(v);
}

TValue StrToQWordDef(TRuntime&, const TValue* a, int, TSourcePos)
{
    qint64 v = 0;
    return Int(ParseQWord(a[0].StrData(), a[0].StrLength(), v) ? v : a[1].I);
}

TValue StrToIntDef(TRuntime&, const TValue* a, int, TSourcePos)
{
    qint64 v = 0;
    return Int(ParseInteger(a[0].StrData(), a[0].StrLength(), v, false) ? v : a[1].I);
}

TValue StrToInt64Def(TRuntime&, const TValue* a, int, TSourcePos)
{
    qint64 v = 0;
    return Int(ParseInteger(a[0].StrData(), a[0].StrLength(), v, true) ? v : a[1].I);
}

TValue FloatToStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Str(FloatToStrGeneral(a[0].R));
}

TValue StrToFloat(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    double d = 0;
    if (!ParseReal(a[0].StrData(), a[0].StrLength(), d))
        aRt.Raise("EConvertError",
                  QStringLiteral("%1 ist kein gültiger Gleitkommawert").arg(QuotedForMessage(a[0].Str())),
                  aPos);
    return TValue::FromReal(d);
}

TValue StrToFloatDef(TRuntime&, const TValue* a, int, TSourcePos)
{
    double d = 0;
    return TValue::FromReal(ParseReal(a[0].StrData(), a[0].StrLength(), d) ? d : a[1].R);
}

TValue UpperCase(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    aRt.Charge(a[0].StrLength(), aPos);
    return Str(Mapped(a[0].Str(), Upper));
}

TValue LowerCase(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    aRt.Charge(a[0].StrLength(), aPos);
    return Str(Mapped(a[0].Str(), Lower));
}

TValue UpCase(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Int(static_cast<unsigned char>(Upper(char(a[0].I))));
}

TValue LowCase(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Int(static_cast<unsigned char>(Lower(char(a[0].I))));
}

TValue Trim(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Str(Trimmed(a[0].Str(), true, true));
}
TValue TrimLeft(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Str(Trimmed(a[0].Str(), true, false));
}
TValue TrimRight(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Str(Trimmed(a[0].Str(), false, true));
}

TValue StringOfChar(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const qint64 n = std::max<qint64>(0, a[1].I);
    aRt.CheckSize(n, aPos);
    aRt.Charge(n, aPos);
    TStr s;
    s.SetLength(n);
    if (n > 0)
        std::memset(s.Unique(), int(a[0].I), std::size_t(n));
    return Str(std::move(s));
}

TValue DupeString(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr part = a[0].Str();
    const qint64 count = std::max<qint64>(0, a[1].I);
    if (part.Length() > 0 && count > aRt.Limits.MaxStringOrArrayBytes / part.Length())
        aRt.TooLarge(aPos);
    aRt.Charge(part.Length() * count, aPos);
    TStr s;
    s.Reserve(part.Length() * count);
    for (qint64 i = 0; i < count; ++i)
        s.Append(part);
    return Str(std::move(s));
}

TValue QuotedStr(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    aRt.CheckSize(2 * s.Length() + 2, aPos);
    TStr out;
    out.AppendChar('\'');
    for (qint64 i = 0; i < s.Length(); ++i) {
        out.AppendChar(s.Data()[i]);
        if (s.Data()[i] == '\'')
            out.AppendChar('\'');
    }
    out.AppendChar('\'');
    return Str(std::move(out));
}

TValue CompareStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Int(TStr::Compare(a[0].Str(), a[1].Str()));
}

TValue CompareText(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Int(CompareNoCase(a[0].Str(), a[1].Str()));
}

TValue SameText(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(CompareNoCase(a[0].Str(), a[1].Str()) == 0);
}

TValue SameStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(TStr::Compare(a[0].Str(), a[1].Str()) == 0);
}

TStr ReplaceText(TRuntime& aRt, TSourcePos aPos, const TStr& s, const TStr& from, const TStr& to, bool all,
                 bool noCase)
{
    if (from.IsEmpty())
        return s;
    TStr out;
    qint64 at = 0;
    for (;;) {
        const qint64 hit = FindText(aRt, aPos, s, from, at, noCase);
        if (hit < 0)
            break;
        out.Append(s.Data() + at, hit - at);
        out.Append(to);
        aRt.CheckSize(out.Length(), aPos);
        at = hit + from.Length();
        if (!all)
            break;
    }
    out.Append(s.Data() + at, s.Length() - at);
    aRt.CheckSize(out.Length(), aPos);
    aRt.Charge(out.Length() + s.Length(), aPos);
    return out;
}

TValue StringReplace(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    return Str(
        ReplaceText(aRt, aPos, a[0].Str(), a[1].Str(), a[2].Str(), SetHasBit(a[3], 0), SetHasBit(a[3], 1)));
}

TValue BoolToStr(TRuntime&, const TValue* a, int n, TSourcePos)
{
    const bool b = a[0].I != 0;
    if (n > 1 && a[1].I != 0)
        return Str(b ? TStr("True", 4) : TStr("False", 5));
    return Str(b ? TStr("-1", 2) : TStr("0", 1));
}

TValue LeftStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    const TStr s = a[0].Str();
    const qint64 n = std::clamp<qint64>(a[1].I, 0, s.Length());
    return Str(TStr(s.Data(), n));
}

TValue RightStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    const TStr s = a[0].Str();
    const qint64 n = std::clamp<qint64>(a[1].I, 0, s.Length());
    return Str(TStr(s.Data() + s.Length() - n, n));
}

TValue MidStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    const TStr s = a[0].Str();
    qint64 from = std::max<qint64>(1, a[1].I);
    if (from > s.Length() || a[2].I <= 0)
        return Str(TStr());
    const qint64 n = std::min(a[2].I, s.Length() - from + 1);
    return Str(TStr(s.Data() + from - 1, n));
}

TValue ReverseString(TRuntime&, const TValue* a, int, TSourcePos)
{
    TStr s(a[0].StrData(), a[0].StrLength());
    if (s.Length() > 0)
        std::reverse(s.Unique(), s.Unique() + s.Length());
    return Str(std::move(s));
}

TValue PosEx(TRuntime& aRt, const TValue* a, int n, TSourcePos aPos)
{
    const qint64 from = n > 2 ? a[2].I : 1;
    const TStr text = a[1].Str();
    if (from < 1 || from > text.Length())
        return Int(0);
    return Int(FindText(aRt, aPos, text, a[0].Str(), from - 1, false) + 1);
}

TValue ContainsStr(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    return Bool(a[1].StrLength() == 0 || FindText(aRt, aPos, a[0].Str(), a[1].Str(), 0, false) >= 0);
}

TValue ContainsText(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    return Bool(a[1].StrLength() == 0 || FindText(aRt, aPos, a[0].Str(), a[1].Str(), 0, true) >= 0);
}

bool Affix(const TValue& aSub, const TValue& aText, bool aEnd, bool aNoCase)
{
    const qint64 n = aSub.StrLength();
    const qint64 len = aText.StrLength();
    if (n > len)
        return false;
    const char* t = aText.StrData() + (aEnd ? len - n : 0);
    const char* s = aSub.StrData();
    for (qint64 i = 0; i < n; ++i)
        if (aNoCase ? Upper(t[i]) != Upper(s[i]) : t[i] != s[i])
            return false;
    return true;
}

TValue StartsStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(Affix(a[0], a[1], false, false));
}
TValue EndsStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(Affix(a[0], a[1], true, false));
}
TValue StartsText(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(Affix(a[0], a[1], false, true));
}
TValue EndsText(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(Affix(a[0], a[1], true, true));
}

TValue CharInSet(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Bool(SetHasBit(a[1], a[0].I));
}

TValue AnsiPos(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    return Int(FindText(aRt, aPos, a[1].Str(), a[0].Str(), 0, false) + 1);
}

TValue UIntToStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    char buf[24];
    const auto end = std::to_chars(buf, buf + sizeof buf, quint64(a[0].I)).ptr;
    return Str(TStr(buf, end - buf));
}

// HexStr and BinStr: exactly aDigits digits of the value's low bits (more are cut off).
TValue DigitsOf(const TValue* a, int aBitsPerDigit)
{
    const qint64 digits = std::clamp<qint64>(a[1].I, 0, 64);
    const quint64 v = quint64(a[0].I);
    TStr out;
    out.Reserve(digits);
    for (qint64 i = digits - 1; i >= 0; --i) {
        const int shift = int(i) * aBitsPerDigit;
        const unsigned d = shift >= 64 ? 0 : unsigned(v >> shift) & ((1u << aBitsPerDigit) - 1);
        out.AppendChar("0123456789ABCDEF"[d]);
    }
    return Str(std::move(out));
}

TValue HexStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return DigitsOf(a, 4);
}

TValue BinStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return DigitsOf(a, 1);
}

TValue AnsiReplaceStr(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    return Str(ReplaceText(aRt, aPos, a[0].Str(), a[1].Str(), a[2].Str(), true, false));
}

// The words of aText between characters of aDelims: [start, end) of word aIndex (from 1),
// or false when there are fewer.
bool FindWord(const TStr& aText, const TValue& aDelims, qint64 aIndex, qint64& aStart, qint64& aEnd)
{
    const char* d = aText.Data();
    const qint64 n = aText.Length();
    qint64 i = 0;
    for (qint64 w = 1;; ++w) {
        while (i < n && SetHasBit(aDelims, uchar(d[i])))
            ++i;
        if (i >= n)
            return false;
        const qint64 start = i;
        while (i < n && !SetHasBit(aDelims, uchar(d[i])))
            ++i;
        if (w == aIndex) {
            aStart = start;
            aEnd = i;
            return true;
        }
    }
}

TValue WordCount(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    aRt.Charge(s.Length(), aPos);
    const char* d = s.Data();
    qint64 count = 0;
    bool inWord = false;
    for (qint64 i = 0; i < s.Length(); ++i) {
        const bool delim = SetHasBit(a[1], uchar(d[i]));
        if (!delim && !inWord)
            ++count;
        inWord = !delim;
    }
    return Int(count);
}

TValue ExtractWord(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[1].Str();
    aRt.Charge(s.Length(), aPos);
    qint64 start = 0;
    qint64 end = 0;
    if (a[0].I < 1 || !FindWord(s, a[2], a[0].I, start, end))
        return Str(TStr());
    return Str(TStr(s.Data() + start, end - start));
}

TValue FromStd(const std::string& aText)
{
    return Str(TStr(aText.data(), qint64(aText.size())));
}

TValue FormatFloat(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr format = a[0].Str();
    aRt.Charge(format.Length(), aPos);
    return FromStd(FormatFloatText(std::string(format.Data(), std::size_t(format.Length())), a[1].R));
}

TValue FloatToStrF(TRuntime&, const TValue* a, int, TSourcePos)
{
    return FromStd(FloatToStrFText(a[0].R, int(a[1].I), int(std::clamp<qint64>(a[2].I, -1, 99)),
                                   int(std::clamp<qint64>(a[3].I, -1, 99))));
}

TValue StrToCurr(TRuntime& aRt, const TValue* a, int n, TSourcePos aPos)
{
    const TValue value = StrToFloat(aRt, a, n, aPos);
    return TValue::FromReal(CurrencyValue(value.R));
}

TValue CurrToStr(TRuntime&, const TValue* a, int, TSourcePos)
{
    return Str(FloatToStrGeneral(CurrencyValue(a[0].R)));
}

// StrUtils.SplitString: the pieces between any of the delimiter characters (as Delphi has it;
// Free Pascal takes several characters as one delimiter), empty ones too.
TValue SplitString(TRuntime& aRt, const TValue* a, int, TSourcePos aPos)
{
    const TStr s = a[0].Str();
    const TStr delims = a[1].Str();
    aRt.Charge(s.Length() * (1 + delims.Length() / 16), aPos);
    std::vector<TStr> pieces;
    qint64 start = 0;
    for (qint64 i = 0; i < s.Length(); ++i) {
        if (std::memchr(delims.Data(), s.Data()[i], std::size_t(delims.Length())) != nullptr) {
            pieces.emplace_back(s.Data() + start, i - start);
            start = i + 1;
        }
    }
    pieces.emplace_back(s.Data() + start, s.Length() - start); // "" is one empty piece
    aRt.CheckSize(qint64(pieces.size()) * qint64(sizeof(TValue)), aPos);
    TArrRec* arr = NewArr(qint64(pieces.size()), TValue::FromStr(TStr()));
    for (std::size_t i = 0; i < pieces.size(); ++i)
        arr->Items()[i] = TValue::FromStr(std::move(pieces[i]));
    return TValue::FromArr(arr);
}

} // namespace

int CompareNoCase(const TStr& a, const TStr& b)
{
    const qint64 n = std::min(a.Length(), b.Length());
    for (qint64 i = 0; i < n; ++i) {
        const int x = static_cast<unsigned char>(Upper(a.Data()[i]));
        const int y = static_cast<unsigned char>(Upper(b.Data()[i]));
        if (x != y)
            return x - y;
    }
    return int(std::clamp<qint64>(a.Length() - b.Length(), -1, 1));
}

void AddStringFuncs(std::vector<TBuiltinFunc>& t)
{
    t.push_back({"SplitString", "TStringDynArray", {"string", "string"}, 2, SplitString});
    t.push_back({"FormatFloat", "string", {"string", "Double"}, 2, FormatFloat});
    t.push_back({"FloatToStrF", "string", {"Double", "TFloatFormat", "Integer", "Integer"}, 4, FloatToStrF});
    t.push_back({"StrToCurr", "Currency", {"string"}, 1, StrToCurr});
    t.push_back({"CurrToStr", "string", {"Currency"}, 1, CurrToStr});
    t.push_back({"UIntToStr", "string", {"QWord"}, 1, UIntToStr});
    t.push_back({"HexStr", "string", {"Int64", "Integer"}, 2, HexStr});
    t.push_back({"BinStr", "string", {"Int64", "Integer"}, 2, BinStr});
    t.push_back({"AnsiReplaceStr", "string", {"string", "string", "string"}, 3, AnsiReplaceStr});
    t.push_back({"WordCount", "Integer", {"string", "TSysCharSet"}, 2, WordCount});
    t.push_back({"ExtractWord", "string", {"Integer", "string", "TSysCharSet"}, 3, ExtractWord});
    t.push_back({"IntToStr", "string", {"Int64"}, 1, IntToStr});
    t.push_back({"StrToInt", "Integer", {"string"}, 1, StrToInt});
    t.push_back({"StrToInt64", "Int64", {"string"}, 1, StrToInt64});
    t.push_back({"StrToIntDef", "Integer", {"string", "Integer"}, 2, StrToIntDef});
    t.push_back({"StrToInt64Def", "Int64", {"string", "Int64"}, 2, StrToInt64Def});
    t.push_back({"StrToQWord", "QWord", {"string"}, 1, StrToQWord});
    t.push_back({"StrToUInt64", "QWord", {"string"}, 1, StrToQWord});
    t.push_back({"StrToQWordDef", "QWord", {"string", "QWord"}, 2, StrToQWordDef});
    t.push_back({"StrToUInt64Def", "QWord", {"string", "QWord"}, 2, StrToQWordDef});
    t.push_back({"FloatToStr", "string", {"Double"}, 1, FloatToStr});
    t.push_back({"StrToFloat", "Double", {"string"}, 1, StrToFloat});
    t.push_back({"StrToFloatDef", "Double", {"string", "Double"}, 2, StrToFloatDef});
    t.push_back({"UpperCase", "string", {"string"}, 1, UpperCase});
    t.push_back({"LowerCase", "string", {"string"}, 1, LowerCase});
    t.push_back({"AnsiUpperCase", "string", {"string"}, 1, UpperCase});
    t.push_back({"AnsiLowerCase", "string", {"string"}, 1, LowerCase});
    t.push_back({"UpCase", "Char", {"Char"}, 1, UpCase});
    t.push_back({"LowCase", "Char", {"Char"}, 1, LowCase});
    t.push_back({"Trim", "string", {"string"}, 1, Trim});
    t.push_back({"TrimLeft", "string", {"string"}, 1, TrimLeft});
    t.push_back({"TrimRight", "string", {"string"}, 1, TrimRight});
    t.push_back({"StringOfChar", "string", {"Char", "Integer"}, 2, StringOfChar});
    t.push_back({"DupeString", "string", {"string", "Integer"}, 2, DupeString});
    t.push_back({"QuotedStr", "string", {"string"}, 1, QuotedStr});
    t.push_back({"CompareStr", "Integer", {"string", "string"}, 2, CompareStr});
    t.push_back({"CompareText", "Integer", {"string", "string"}, 2, CompareText});
    t.push_back({"AnsiCompareStr", "Integer", {"string", "string"}, 2, CompareStr});
    t.push_back({"AnsiCompareText", "Integer", {"string", "string"}, 2, CompareText});
    t.push_back({"SameText", "Boolean", {"string", "string"}, 2, SameText});
    t.push_back({"AnsiSameText", "Boolean", {"string", "string"}, 2, SameText});
    t.push_back({"SameStr", "Boolean", {"string", "string"}, 2, SameStr});
    t.push_back(
        {"StringReplace", "string", {"string", "string", "string", "TReplaceFlags"}, 4, StringReplace});
    t.push_back({"BoolToStr", "string", {"Boolean", "Boolean"}, 1, BoolToStr});
    t.push_back({"LeftStr", "string", {"string", "Integer"}, 2, LeftStr});
    t.push_back({"RightStr", "string", {"string", "Integer"}, 2, RightStr});
    t.push_back({"MidStr", "string", {"string", "Integer", "Integer"}, 3, MidStr});
    t.push_back({"ReverseString", "string", {"string"}, 1, ReverseString});
    t.push_back({"PosEx", "Integer", {"string", "string", "Integer"}, 2, PosEx});
    t.push_back({"AnsiPos", "Integer", {"string", "string"}, 2, AnsiPos});
    t.push_back({"ContainsStr", "Boolean", {"string", "string"}, 2, ContainsStr});
    t.push_back({"ContainsText", "Boolean", {"string", "string"}, 2, ContainsText});
    t.push_back({"StartsStr", "Boolean", {"string", "string"}, 2, StartsStr});
    t.push_back({"EndsStr", "Boolean", {"string", "string"}, 2, EndsStr});
    t.push_back({"StartsText", "Boolean", {"string", "string"}, 2, StartsText});
    t.push_back({"EndsText", "Boolean", {"string", "string"}, 2, EndsText});
    t.push_back({"AnsiStartsStr", "Boolean", {"string", "string"}, 2, StartsStr});
    t.push_back({"AnsiEndsStr", "Boolean", {"string", "string"}, 2, EndsStr});
    t.push_back({"CharInSet", "Boolean", {"Char", "TSysCharSet"}, 2, CharInSet});
}

} // namespace pascal
