#include "pascal/BuiltinNodes.h"

#include "pascal/Format.h"
#include "pascal/HeapValues.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace pascal {

TValue TBuiltinCallNode::Eval(TRuntime& aRt) const
{
    constexpr std::size_t kMax = 8;
    TValue args[kMax];
    const std::size_t n = std::min(Args.size(), kMax);
    for (std::size_t i = 0; i < n; ++i) {
        args[i] = ParamTypes[i]->Default;
        StoreValue(args[i], *Args[i], ParamTypes[i], aRt);
    }
    return Fn(aRt, args, int(n), Pos);
}

qint64 TLengthNode::EvalInt(TRuntime& aRt) const
{
    const TType* t = Arg->Type;
    if (t->Kind == TTypeKind::Char)
        return 1 + Offset;
    if (t->Kind == TTypeKind::StaticArray)
        return t->Count() + Offset;
    if (Arg->IsLValue) {
        const TValue* v = Arg->Ref(aRt, false);
        return (t->Kind == TTypeKind::String ? v->StrLength() : ArrCount(*v)) + Offset;
    }
    if (t->Kind == TTypeKind::String)
        return Arg->EvalStr(aRt).Length() + Offset;
    return ArrCount(Arg->Eval(aRt)) + Offset;
}

TValue TSetLengthNode::Eval(TRuntime& aRt) const
{
    std::vector<qint64> lengths;
    lengths.reserve(Lengths.size());
    for (const PExpr& e : Lengths)
        lengths.push_back(std::max<qint64>(0, e->EvalInt(aRt)));
    TValue* target = Target->Ref(aRt, true);
    Resize(aRt, *target, Target->Type, lengths.data(), lengths.size());
    return {};
}

void TSetLengthNode::Resize(TRuntime& aRt, TValue& aValue, const TType* aType, const qint64* aLengths,
                            std::size_t aCount) const
{
    // a string[N] takes N characters at most
    const qint64 n = aType->Kind == TTypeKind::String && aType->High > 0 ? std::min(aLengths[0], aType->High)
                                                                         : aLengths[0];
    if (aType->Kind == TTypeKind::String) {
        aRt.CheckSize(n, Pos);
        aRt.Charge(n, Pos);
        TStr s = TStr::Adopt(std::exchange(aValue.S, nullptr));
        s.SetLength(n);
        aValue.S = s.Detach();
        return;
    }
    const TType* element = aType->Element;
    const qint64 size = std::max<qint64>(1, element->Size);
    if (n > aRt.Limits.MaxStringOrArrayBytes / size)
        aRt.TooLarge(Pos);
    aRt.Charge(n * 16, Pos);
    SetLengthArr(aValue, n, element->Default);
    if (aCount > 1 && aValue.A) {
        TValue* items = aValue.A->Items();
        for (qint64 i = 0; i < n; ++i)
            Resize(aRt, items[i], element, aLengths + 1, aCount - 1);
    }
}

TValue TIncDecNode::Eval(TRuntime& aRt) const
{
    qint64 step = Step ? Step->EvalInt(aRt) : 1;
    if (Dec)
        step = qint64(0 - quint64(step));
    TValue* v = Target->Ref(aRt, true);
    const qint64 r = qint64(quint64(v->I) + quint64(step));
    v->I = Target->Type->Kind == TTypeKind::Boolean ? (r & 1) : WrapInt(r, Target->Type->IntKind);
    return {};
}

TStr TCopyNode::EvalStr(TRuntime& aRt) const
{
    const TStr s = Source->EvalStr(aRt);
    qint64 index = Index->EvalInt(aRt);
    qint64 count = Count ? Count->EvalInt(aRt) : std::numeric_limits<qint64>::max();
    const qint64 len = s.Length();
    if (index < 1)
        index = 1;
    if (index > len || count <= 0)
        return {};
    count = std::min(count, len - index + 1);
    if (index == 1 && count == len)
        return s;
    aRt.Charge(count, Pos);
    return TStr(s.Data() + index - 1, count);
}

TValue TCopyArrNode::Eval(TRuntime& aRt) const
{
    const TValue a = Source->Eval(aRt);
    const qint64 len = ArrCount(a);
    qint64 index = Index ? Index->EvalInt(aRt) : 0;
    qint64 count = Count ? Count->EvalInt(aRt) : std::numeric_limits<qint64>::max();
    if (index < 0)
        index = 0;
    if (index >= len || count <= 0)
        return TValue::FromArr(nullptr);
    count = std::min(count, len - index);
    aRt.Charge(count * 16, Pos);
    TArrRec* rec = NewArr(count, TValue());
    for (qint64 i = 0; i < count; ++i)
        rec->Items()[i] = a.A->Items()[index + i];
    return TValue::FromArr(rec);
}

qint64 TPosNode::EvalInt(TRuntime& aRt) const
{
    const TStr sub = Sub->EvalStr(aRt);
    const TStr text = Text->EvalStr(aRt);
    const qint64 from = Offset ? Offset->EvalInt(aRt) : 1;
    if (from < 1 || from > text.Length())
        return 0;
    return FindText(aRt, Pos, text, sub, from - 1, false) + 1;
}

TValue TDeleteNode::Eval(TRuntime& aRt) const
{
    const qint64 index = Index->EvalInt(aRt);
    qint64 count = Count->EvalInt(aRt);
    TValue* target = Target->Ref(aRt, true);
    const qint64 len = target->StrLength();
    if (index < 1 || index > len || count <= 0)
        return {};
    count = std::min(count, len - index + 1);
    aRt.Charge(len, Pos);
    TStr s = TStr::Adopt(std::exchange(target->S, nullptr));
    char* d = s.Unique();
    std::memmove(d + index - 1, d + index - 1 + count, std::size_t(len - index + 1 - count));
    s.SetLength(len - count);
    target->S = s.Detach();
    return {};
}

TValue TInsertNode::Eval(TRuntime& aRt) const
{
    const TStr source = Source->EvalStr(aRt);
    qint64 index = Index->EvalInt(aRt);
    TValue* target = Target->Ref(aRt, true);
    const qint64 len = target->StrLength();
    const qint64 n = source.Length();
    if (n == 0)
        return {};
    aRt.CheckSize(len + n, Pos);
    aRt.Charge(len + n, Pos);
    if (index < 1)
        index = 1;
    if (index > len)
        index = len + 1;
    TStr s = TStr::Adopt(std::exchange(target->S, nullptr));
    s.SetLength(len + n);
    char* d = s.Unique();
    std::memmove(d + index - 1 + n, d + index - 1, std::size_t(len - index + 1));
    std::memcpy(d + index - 1, source.Data(), std::size_t(n));
    target->S = s.Detach();
    if (Target->Type->High > 0)
        CutString(*target, Target->Type->High);
    return {};
}

TValue TIncludeNode::Eval(TRuntime& aRt) const
{
    const qint64 e = Element->EvalInt(aRt);
    TValue* target = Target->Ref(aRt, true);
    if (quint64(e) >= 256)
        return {};
    TSetRec* set = UniqueSet(*target);
    const quint64 bit = quint64(1) << (e & 63);
    if (Include)
        set->Bits[e >> 6] |= bit;
    else
        set->Bits[e >> 6] &= ~bit;
    return {};
}

namespace {
// One value as Format takes it, by its static type.
TFormatArg FormatArgOf(const TExprNode& a, TRuntime& aRt)
{
    TFormatArg f;
    using K = TFormatArg::TKind;
    switch (a.Type->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Enum:
        f.Kind = TTypes::KindSize(a.Type->IntKind) == 8 ? K::Int64 : K::Int32;
        f.Int = a.EvalInt(aRt);
        break;
    case TTypeKind::Boolean:
        f.Kind = K::Bool;
        f.Int = a.EvalInt(aRt);
        break;
    case TTypeKind::Char:
        f.Kind = K::Char;
        f.Int = a.EvalInt(aRt);
        break;
    case TTypeKind::Real:
        f.Kind = K::Real;
        f.Real = a.EvalReal(aRt);
        break;
    case TTypeKind::String:
        f.Kind = K::Str;
        f.Text = a.EvalStr(aRt);
        break;
    default: f.Kind = K::Object; break;
    }
    return f;
}
} // namespace

TValue TConstArrayNode::Eval(TRuntime& aRt) const
{
    TArrRec* rec = NewArr(qint64(Items.size()) * 2, TValue::FromInt(0));
    TValue list = TValue::FromArr(rec);
    for (std::size_t i = 0; i < Items.size(); ++i) {
        TFormatArg f = FormatArgOf(*Items[i], aRt);
        rec->Items()[2 * i] = TValue::FromInt(qint64(f.Kind));
        rec->Items()[2 * i + 1] = f.Kind == TFormatArg::TKind::Real ? TValue::FromReal(f.Real)
            : f.Kind == TFormatArg::TKind::Str                      ? TValue::FromStr(std::move(f.Text))
                                                                    : TValue::FromInt(f.Int);
    }
    return list;
}

TStr TFormatNode::EvalStr(TRuntime& aRt) const
{
    const TStr format = Format->EvalStr(aRt);
    std::vector<TFormatArg> args;
    args.reserve(Args.size());
    for (const PExpr& a : Args)
        args.push_back(FormatArgOf(*a, aRt));
    if (List) {
        const TValue list = List->Eval(aRt);
        for (qint64 i = 0; i + 1 < ArrCount(list); i += 2) {
            TFormatArg f;
            f.Kind = TFormatArg::TKind(list.A->Items()[i].I);
            const TValue& v = list.A->Items()[i + 1];
            if (f.Kind == TFormatArg::TKind::Real)
                f.Real = v.R;
            else if (f.Kind == TFormatArg::TKind::Str)
                f.Text = v.Str();
            else
                f.Int = v.I;
            args.push_back(std::move(f));
        }
    }
    TStr out;
    QString error;
    // Charged piece by piece: one call with many wide directives may run for a while.
    const auto work = [&aRt, this](qint64 aBytes) { aRt.Charge(aBytes + 256, Pos); };
    switch (FormatText(format, args, aRt.Limits.MaxStringOrArrayBytes, out, error, work)) {
    case TFormatResult::BadFormat: aRt.Raise("EConvertError", error, Pos);
    case TFormatResult::TooLong: aRt.TooLarge(Pos);
    case TFormatResult::Ok: break;
    }
    return out;
}

qint64 TRandomNode::EvalInt(TRuntime& aRt) const
{
    return NextRandomInt(aRt, Range ? Range->EvalInt(aRt) : 0);
}

double TRandomNode::EvalReal(TRuntime& aRt) const
{
    if (Type->Kind != TTypeKind::Real)
        return double(EvalInt(aRt));
    return NextRandom(aRt);
}

qint64 TRoundNode::EvalInt(TRuntime& aRt) const
{
    const double v = Arg->EvalReal(aRt);
    const double r = Trunc ? std::trunc(v) : std::nearbyint(v); // the FPU rounds to even
    if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
        aRt.InvalidFloat(Pos);
    return qint64(r);
}

qint64 TIfThenNode::EvalInt(TRuntime& aRt) const
{
    const bool cond = Cond->EvalInt(aRt) != 0;
    const qint64 a = IfTrue->EvalInt(aRt);
    const qint64 b = IfFalse->EvalInt(aRt);
    return cond ? a : b;
}

double TIfThenNode::EvalReal(TRuntime& aRt) const
{
    const bool cond = Cond->EvalInt(aRt) != 0;
    const double a = IfTrue->EvalReal(aRt);
    const double b = IfFalse->EvalReal(aRt);
    return cond ? a : b;
}

TStr TIfThenNode::EvalStr(TRuntime& aRt) const
{
    const bool cond = Cond->EvalInt(aRt) != 0;
    TStr a = IfTrue->EvalStr(aRt);
    TStr b = IfFalse->EvalStr(aRt);
    return cond ? a : b;
}

TValue TIfThenNode::Eval(TRuntime& aRt) const
{
    if (Type->IsReal())
        return TValue::FromReal(EvalReal(aRt));
    if (Type->Kind == TTypeKind::String)
        return TValue::FromStr(EvalStr(aRt));
    return TValue::FromInt(EvalInt(aRt));
}

qint64 TMathNode::EvalInt(TRuntime& aRt) const
{
    if (Type->Kind == TTypeKind::Real)
        return qint64(EvalReal(aRt));
    const qint64 a = A->EvalInt(aRt);
    switch (Op) {
    case TOp::Abs: return a < 0 ? qint64(0 - quint64(a)) : a;
    case TOp::Sqr: return qint64(quint64(a) * quint64(a));
    case TOp::Min:
        if (Type->IntKind == TIntKind::U64)
            return qint64(std::min(quint64(a), quint64(B->EvalInt(aRt))));
        return std::min(a, B->EvalInt(aRt));
    case TOp::Max:
        if (Type->IntKind == TIntKind::U64)
            return qint64(std::max(quint64(a), quint64(B->EvalInt(aRt))));
        return std::max(a, B->EvalInt(aRt));
    }
    return 0;
}

double TMathNode::EvalReal(TRuntime& aRt) const
{
    if (Type->Kind != TTypeKind::Real)
        return double(EvalInt(aRt));
    const double a = A->EvalReal(aRt);
    double r = 0;
    switch (Op) {
    case TOp::Abs: r = std::fabs(a); break;
    case TOp::Sqr: r = a * a; break;
    case TOp::Min: r = std::min(a, B->EvalReal(aRt)); break;
    case TOp::Max: r = std::max(a, B->EvalReal(aRt)); break;
    }
    if (std::isinf(r) && !std::isinf(a))
        aRt.Raise("EOverflow", QStringLiteral("Gleitkommaüberlauf"), Pos);
    return r;
}

TValue TAssertNode::Eval(TRuntime& aRt) const
{
    if (Cond->EvalInt(aRt) != 0)
        return {};
    QString text = Message ? QString::fromLatin1(Message->EvalStr(aRt).ToByteArray()) : QString();
    if (text.isEmpty())
        text = QStringLiteral("Assertion fehlgeschlagen");
    aRt.Raise("Exception", text, Pos);
}

qint64 TTryParseNode::EvalInt(TRuntime& aRt) const
{
    const TStr text = Text->EvalStr(aRt);
    const TType* t = Target->Type;
    bool ok = false;
    TValue result = t->Default;
    if (t->Kind == TTypeKind::Real) {
        double d = 0;
        ok = ParseReal(text.Data(), text.Length(), d);
        if (ok)
            result = TValue::FromReal(StoredReal(t, d));
    } else {
        qint64 v = 0;
        ok = t->IntKind == TIntKind::U64 ? ParseQWord(text.Data(), text.Length(), v)
                                         : ParseInteger(text.Data(), text.Length(), v, t->IntKind == TIntKind::S64);
        if (ok)
            result.I = WrapInt(v, t->IntKind);
    }
    if (ok || Code) // TryStrTo* leave the variable alone on failure; Val sets it to 0
        StoreConverted(*Target->Ref(aRt, true), std::move(result), t);
    if (Code) {
        // Val: 0, or the 1-based position of the first character that spoils the number
        qint64 position = 0;
        if (!ok) {
            position = text.Length() + 1;
            for (qint64 n = text.Length() - 1; n >= 0; --n) {
                double d = 0;
                qint64 v = 0;
                const bool prefixOk = t->Kind == TTypeKind::Real  ? ParseReal(text.Data(), n, d)
                    : t->IntKind == TIntKind::U64 // Free Pascal reads a minus sign, then stops
                    ? ParseQWord(text.Data(), n, v) || QByteArray(text.Data(), n).trimmed() == "-"
                                                                      : ParseInteger(text.Data(), n, v, true);
                if (prefixOk || n == 0) {
                    position = n + 1;
                    break;
                }
            }
        }
        Code->Ref(aRt, true)->I = WrapInt(position, Code->Type->IntKind);
    }
    return ok;
}

TValue TStrProcNode::Eval(TRuntime& aRt) const
{
    const qint64 width = Width ? std::clamp<qint64>(Width->EvalInt(aRt), 0, 255) : -1;
    std::string s;
    if (Value->Type->Kind == TTypeKind::Real) {
        const double v = Value->EvalReal(aRt);
        if (Decimals) {
            s = FixedText(v, int(std::clamp<qint64>(Decimals->EvalInt(aRt), 0, 18)), false);
        } else {
            // Free Pascal's scientific form: a blank or '-', then as many digits as the width
            // leaves room for (16 after the point at most), a three-digit exponent
            const int digits = width < 0 ? 16 : int(std::clamp<qint64>(width - 8, 1, 16));
            char buf[64];
            std::snprintf(buf, sizeof buf, "% .*E", digits, v);
            s = buf;
            const auto e = s.find('E');
            if (e != std::string::npos) {
                const int exp = std::atoi(s.c_str() + e + 1);
                char tail[16];
                std::snprintf(tail, sizeof tail, "E%c%03d", exp < 0 ? '-' : '+', std::abs(exp));
                s.resize(e);
                s.append(tail);
            }
        }
    } else {
        const qint64 v = Value->EvalInt(aRt);
        s = Value->Type->IntKind == TIntKind::U64 ? std::to_string(quint64(v)) : std::to_string(v);
    }
    if (qint64(s.size()) < width)
        s.insert(0, std::size_t(width) - s.size(), ' ');
    TStr text(s.data(), qint64(s.size()));
    Target->Ref(aRt, true)->SetStr(std::move(text));
    return {};
}

TStr TIntToHexNode::EvalStr(TRuntime& aRt) const
{
    const qint64 v = Value->EvalInt(aRt);
    const qint64 digits = Digits ? Digits->EvalInt(aRt) : (Is64 ? 16 : 8);
    return IntToHexStr(v, int(std::clamp<qint64>(digits, 0, 64)), Is64);
}

TValue TDecodeNode::Eval(TRuntime& aRt) const
{
    const double dt = DateTime->EvalReal(aRt);
    if (!std::isfinite(dt) || std::fabs(dt) > 3e6)
        aRt.InvalidFloat(Pos);
    qint64 parts[4] = {0, 0, 0, 0};
    if (Time) {
        qint64 ms = qint64(std::llround(std::fabs(dt - std::trunc(dt)) * 86400000.0));
        if (ms >= 86400000)
            ms = 86399999;
        parts[0] = ms / 3600000;
        parts[1] = ms / 60000 % 60;
        parts[2] = ms / 1000 % 60;
        parts[3] = ms % 1000;
    } else {
        const QDate d = QDate(1899, 12, 30).addDays(qint64(std::floor(dt)));
        parts[0] = d.year();
        parts[1] = d.month();
        parts[2] = d.day();
    }
    for (std::size_t i = 0; i < Targets.size(); ++i)
        Targets[i]->Ref(aRt, true)->I = WrapInt(parts[i], Targets[i]->Type->IntKind);
    return {};
}

TValue TOpenArrayNode::Eval(TRuntime& aRt) const
{
    TValue v = Source->Eval(aRt);
    if (!Copy || v.A == nullptr)
        return v;
    aRt.Charge(v.A->Count * 16, Pos);
    TArrRec* copy = NewArr(v.A->Count, TValue());
    for (qint64 i = 0; i < v.A->Count; ++i)
        copy->Items()[i] = v.A->Items()[i];
    return TValue::FromArr(copy);
}

TValue* TOpenArrayNode::Ref(TRuntime& aRt, bool aWrite) const
{
    TValue* v = Source->Ref(aRt, aWrite);
    if (aWrite && Source->Type->Kind == TTypeKind::StaticArray)
        UniqueArr(*v);
    return v;
}

TValue* TOpenArrayNode::RefPinned(TRuntime& aRt, TArrRec*& aPin) const
{
    TValue* v = Source->RefPinned(aRt, aPin);
    if (Source->Type->Kind == TTypeKind::StaticArray)
        UniqueArr(*v);
    return v;
}

TValue TFillCharNode::Eval(TRuntime& aRt) const
{
    const qint64 start = Start ? Start->EvalInt(aRt) : 0;
    const qint64 count = Count->EvalInt(aRt);
    const unsigned char byte = static_cast<unsigned char>(Value->EvalInt(aRt));
    TValue* target = Target->Ref(aRt, true);
    const TType* t = Target->Type;
    if (t->Kind == TTypeKind::String) {
        const qint64 from = Start ? start : 1;
        if (quint64(from) - 1 >= quint64(target->StrLength()))
            aRt.IndexError(from, Pos);
        const qint64 n = std::min(count, target->StrLength() - from + 1);
        if (n > 0) {
            aRt.Charge(n, Pos);
            TStr s = TStr::Adopt(std::exchange(target->S, nullptr));
            std::memset(s.Unique() + from - 1, byte, std::size_t(n));
            target->S = s.Detach();
        }
        return {};
    }
    const TType* e = t->Element;
    TArrRec* arr = t->Kind == TTypeKind::StaticArray ? UniqueArr(*target) : target->A;
    const qint64 first = Start ? start - (t->Kind == TTypeKind::StaticArray ? t->Low : 0) : 0;
    const qint64 length = arr ? arr->Count : 0;
    if (quint64(first) >= quint64(length)) {
        if (Start || count > 0)
            aRt.IndexError(start, Pos);
        return {};
    }
    const qint64 size = std::max<qint64>(1, e->Size);
    const qint64 n = std::min(count / size, length - first);
    if (n <= 0)
        return {};
    aRt.Charge(n * 16, Pos);
    unsigned char pattern[8];
    std::memset(pattern, byte, sizeof pattern);
    qint64 ordinal = 0;
    std::memcpy(&ordinal, pattern, std::size_t(std::min<qint64>(size, 8)));
    double real = 0;
    std::memcpy(&real, pattern, sizeof real);
    for (qint64 i = first; i < first + n; ++i) {
        TValue& item = arr->Items()[i];
        if (e->Kind == TTypeKind::Real)
            item.R = StoredReal(e, real);
        else if (e->Kind == TTypeKind::Boolean)
            item.I = byte != 0;
        else
            item.I = WrapInt(ordinal, e->IntKind);
    }
    return {};
}

TValue TArrayCtorNode::Eval(TRuntime& aRt) const
{
    if (Items.empty())
        return TValue::FromArr(nullptr);
    TArrRec* rec = NewArr(qint64(Items.size()), Type->Element->Default);
    TValue result = TValue::FromArr(rec);
    for (std::size_t i = 0; i < Items.size(); ++i)
        StoreValue(rec->Items()[i], *Items[i], Type->Element, aRt);
    return result;
}

} // namespace pascal
