#include "pascal/Checker.h"

#include "pascal/AccessNodes.h"
#include "pascal/ArithNodes.h"
#include "pascal/BuiltinNodes.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/StmtNodes.h"
#include "pascal/StringListNodes.h"
#include "pascal/StringNodes.h"
#include "pascal/VarNodes.h"

#include <iterator>
#include <limits>

namespace pascal {

// One call of a built-in, as its check sees it.
struct TChecker::TMagicCall
{
    TMagic Magic;
    const std::vector<PAstExpr>& Args;
    TSourcePos Pos;
    bool Statement; // the call stands as a statement of its own

    const TAstExpr& Arg(std::size_t aIndex) const { return *Args[aIndex]; }
    TSourcePos ArgPos(std::size_t aIndex) const { return Args[aIndex]->StartPos(); }
};

namespace {

// Whether one of the given arguments, those present, failed its check.
bool AnyFailed(std::initializer_list<const PExpr*> aArgs)
{
    for (const PExpr* p : aArgs)
        if (*p && (*p)->Type->IsError())
            return true;
    return false;
}

} // namespace

bool TChecker::ArgCount(const std::vector<PAstExpr>& aArgs, std::size_t aMin, std::size_t aMax,
                        TSourcePos aPos)
{
    if (aArgs.size() < aMin) {
        Error(aPos, QStringLiteral("Nicht genügend wirkliche Parameter"));
        return false;
    }
    if (aArgs.size() > aMax) {
        Error(aArgs[aMax]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return false;
    }
    return true;
}

// An argument that may name a type (High(Integer), SizeOf(TRec)); null when it is a value.
const TType* TChecker::TypeArgument(const TAstExpr& aArg)
{
    if (aArg.Kind != TAstExprKind::Ident)
        return nullptr;
    TSymbol* sym = FScope->Lookup(aArg.Name.Lower);
    return sym && sym->Kind == TSymKind::Type ? sym->Type : nullptr;
}

PExpr TChecker::CheckMagic(TMagic aMagic, const std::vector<PAstExpr>& aArgs, TSourcePos aPos,
                           bool aStatement)
{
    struct TRule
    {
        TMagic Magic;
        std::size_t MinArgs;
        std::size_t MaxArgs;
        TMagicCheck Check;
    };
    constexpr std::size_t any = std::numeric_limits<std::size_t>::max();
    // In the order of TMagic: a built-in finds its rule by its number.
    static constexpr TRule kRules[] = {
        {TMagic::Length, 1, 1, &TChecker::CheckLength},
        {TMagic::SetLength, 2, 8, &TChecker::CheckSetLength},
        {TMagic::High, 1, 1, &TChecker::CheckHighLow},
        {TMagic::Low, 1, 1, &TChecker::CheckHighLow},
        {TMagic::Inc, 1, 2, &TChecker::CheckIncDec},
        {TMagic::Dec, 1, 2, &TChecker::CheckIncDec},
        {TMagic::Ord, 1, 1, &TChecker::CheckOrd},
        {TMagic::Chr, 1, 1, &TChecker::CheckChr},
        {TMagic::Succ, 1, 1, &TChecker::CheckSuccPred},
        {TMagic::Pred, 1, 1, &TChecker::CheckSuccPred},
        {TMagic::Odd, 1, 1, &TChecker::CheckOdd},
        {TMagic::Abs, 1, 1, &TChecker::CheckMath},
        {TMagic::Sqr, 1, 1, &TChecker::CheckMath},
        {TMagic::Min, 2, 2, &TChecker::CheckMath},
        {TMagic::Max, 2, 2, &TChecker::CheckMath},
        {TMagic::Round, 1, 1, &TChecker::CheckRound},
        {TMagic::Trunc, 1, 1, &TChecker::CheckRound},
        {TMagic::Copy, 1, 3, &TChecker::CheckCopy},
        {TMagic::Pos, 2, 3, &TChecker::CheckPos},
        {TMagic::Delete, 3, 3, &TChecker::CheckDelete},
        {TMagic::Insert, 3, 3, &TChecker::CheckInsert},
        {TMagic::Concat, 1, 64, &TChecker::CheckConcat},
        {TMagic::Format, 2, 2, &TChecker::CheckFormat},
        {TMagic::SizeOf, 1, 1, &TChecker::CheckSizeOf},
        {TMagic::Exit, 0, any, &TChecker::CheckFlowAsCall},
        {TMagic::Break, 0, any, &TChecker::CheckFlowAsCall},
        {TMagic::Continue, 0, any, &TChecker::CheckFlowAsCall},
        {TMagic::Halt, 0, any, &TChecker::CheckFlowAsCall},
        {TMagic::Include, 2, 2, &TChecker::CheckIncludeExclude},
        {TMagic::Exclude, 2, 2, &TChecker::CheckIncludeExclude},
        {TMagic::Random, 0, 1, &TChecker::CheckRandom},
        {TMagic::Assert, 1, 2, &TChecker::CheckAssert},
        {TMagic::TryStrToInt, 2, 2, &TChecker::CheckTryStrTo},
        {TMagic::TryStrToInt64, 2, 2, &TChecker::CheckTryStrTo},
        {TMagic::TryStrToFloat, 2, 2, &TChecker::CheckTryStrTo},
        {TMagic::Val, 3, 3, &TChecker::CheckVal},
        {TMagic::Str, 2, 2, &TChecker::CheckStr},
        {TMagic::Assigned, 1, 1, &TChecker::CheckAssigned},
        {TMagic::IntToHex, 1, 2, &TChecker::CheckIntToHex},
        {TMagic::Hi, 1, 1, &TChecker::CheckHiLo},
        {TMagic::Lo, 1, 1, &TChecker::CheckHiLo},
        {TMagic::FreeAndNil, 1, 1, &TChecker::CheckFreeAndNil},
        {TMagic::DecodeDate, 4, 4, &TChecker::CheckDecode},
        {TMagic::DecodeTime, 5, 5, &TChecker::CheckDecode},
        {TMagic::Swap, 1, 1, &TChecker::CheckSwap},
        {TMagic::Default, 1, 1, &TChecker::CheckDefault},
        {TMagic::FillChar, 3, 3, &TChecker::CheckFillChar},
        {TMagic::IfThen, 2, 3, &TChecker::CheckIfThen},
    };
    static_assert(std::size(kRules) == std::size_t(TMagic::Count), "every built-in needs a rule");
    static_assert(
        [] {
            for (std::size_t i = 0; i < std::size(kRules); ++i)
                if (kRules[i].Magic != TMagic(i))
                    return false;
            return true;
        }(),
        "the rules must stand in the order of TMagic");

    Q_ASSERT(std::size_t(aMagic) < std::size(kRules));
    const TRule& rule = kRules[std::size_t(aMagic)];
    if (!ArgCount(aArgs, rule.MinArgs, rule.MaxArgs, aPos))
        return ErrorExpr(aPos);
    return (this->*rule.Check)(TMagicCall{aMagic, aArgs, aPos, aStatement});
}

PExpr TChecker::ConvertedArg(const TMagicCall& aCall, std::size_t aIndex, const TType* aType)
{
    return Convert(CheckExpr(aCall.Arg(aIndex), aType), aType, aCall.ArgPos(aIndex));
}

// Null when the call leaves the argument out.
PExpr TChecker::OptionalArg(const TMagicCall& aCall, std::size_t aIndex, const TType* aType)
{
    return aIndex < aCall.Args.size() ? ConvertedArg(aCall, aIndex, aType) : nullptr;
}

// The one argument of the routines on ordinals; aInteger asks for an integer. Null when the
// argument is wrong, and the error has been reported.
PExpr TChecker::OrdinalArg(const TMagicCall& aCall, bool aInteger)
{
    PExpr a = CheckExpr(aCall.Arg(0));
    if (a->Type->IsError())
        return nullptr;
    if (aInteger && !a->Type->IsInteger()) {
        Incompatible(aCall.ArgPos(0), FTypes.Integer(), *a);
        return nullptr;
    }
    if (!a->Type->IsOrdinal()) {
        Error(aCall.ArgPos(0), QStringLiteral("Ordinaltyp erforderlich"));
        return nullptr;
    }
    return a;
}

PExpr TChecker::CheckLength(const TMagicCall& aCall)
{
    PExpr a = CheckExpr(aCall.Arg(0));
    const TType* t = a->Type;
    if (t->IsError())
        return ErrorExpr(aCall.Pos);
    if (!t->IsStringLike() && !t->IsArray()) {
        Error(aCall.ArgPos(0), QStringLiteral("String oder Array erforderlich"));
        return ErrorExpr(aCall.Pos);
    }
    const bool isConst = IsConst(*a) || t->Kind == TTypeKind::StaticArray || t->Kind == TTypeKind::Char;
    PExpr e = std::make_unique<TLengthNode>(FTypes.Integer(), aCall.Pos, std::move(a), 0);
    return isConst && IsConst(*static_cast<TLengthNode&>(*e).Arg) ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckSetLength(const TMagicCall& aCall)
{
    PExpr target = CheckVarArgument(nullptr, aCall.Arg(0), false);
    if (target->Type->IsError())
        return ErrorExpr(aCall.Pos);
    const TType* t = target->Type;
    std::size_t depth = 0;
    for (const TType* x = t; x && x->Kind == TTypeKind::DynArray; x = x->Element)
        ++depth;
    if ((t->Kind != TTypeKind::String && t->Kind != TTypeKind::DynArray) || t->OpenArray) {
        Error(aCall.ArgPos(0),
              t->OpenArray ? QStringLiteral("Die Länge eines offenen Array-Parameters ist fest")
                           : QStringLiteral("String oder dynamisches Array erforderlich"));
        return ErrorExpr(aCall.Pos);
    }
    // one length per dimension of a dynamic array
    if (aCall.Args.size() - 1 > std::max<std::size_t>(depth, 1)) {
        Error(aCall.ArgPos(depth + 1), QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aCall.Pos);
    }
    std::vector<PExpr> lengths;
    for (std::size_t i = 1; i < aCall.Args.size(); ++i) {
        lengths.push_back(ConvertedArg(aCall, i, FTypes.Integer()));
        if (lengths.back()->Type->IsError())
            return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TSetLengthNode>(FTypes.Void(), aCall.Pos, std::move(target), std::move(lengths));
}

PExpr TChecker::CheckHighLow(const TMagicCall& aCall)
{
    const bool high = aCall.Magic == TMagic::High;
    const TAstExpr& arg = aCall.Arg(0);
    const TType* t = TypeArgument(arg);
    PExpr value;
    if (t == nullptr) {
        value = CheckExpr(arg);
        t = value->Type;
    }
    if (t->IsError())
        return ErrorExpr(aCall.Pos);
    if (t->IsInteger() && t->IntKind == TIntKind::U64 && high)
        return MakeConst(t, aCall.Pos, TValue::FromInt(-1)); // all 64 bits set
    if (t->IsOrdinal())
        return MakeConst(t, aCall.Pos, TValue::FromInt(high ? t->High : t->Low));
    if (t->Kind == TTypeKind::StaticArray)
        return MakeConst(t->Index, aCall.Pos, TValue::FromInt(high ? t->High : t->Low));
    if (value && (t->Kind == TTypeKind::DynArray || t->Kind == TTypeKind::String)) {
        const bool str = t->Kind == TTypeKind::String;
        if (!high)
            return MakeIntConst(str ? 1 : 0, aCall.Pos);
        return std::make_unique<TLengthNode>(FTypes.Integer(), aCall.Pos, std::move(value), str ? 0 : -1);
    }
    if (t->Kind == TTypeKind::String) // High(string) as a type: the longest a ShortString gets
        return MakeIntConst(high ? 255 : 1, aCall.Pos);
    Error(arg.StartPos(), QStringLiteral("Ordinaltyp oder Array erforderlich"));
    return ErrorExpr(aCall.Pos);
}

PExpr TChecker::CheckIncDec(const TMagicCall& aCall)
{
    PExpr target = CheckVarArgument(nullptr, aCall.Arg(0), false);
    if (target->Type->IsError())
        return ErrorExpr(aCall.Pos);
    if (!target->Type->IsOrdinal()) {
        Error(aCall.ArgPos(0), QStringLiteral("Ordinaltyp erforderlich"));
        return ErrorExpr(aCall.Pos);
    }
    PExpr step;
    if (aCall.Args.size() == 2) {
        step = CheckExpr(aCall.Arg(1));
        if (step->Type->IsError())
            return ErrorExpr(aCall.Pos);
        if (!step->Type->IsInteger()) {
            Incompatible(aCall.ArgPos(1), FTypes.Integer(), *step);
            return ErrorExpr(aCall.Pos);
        }
    }
    return std::make_unique<TIncDecNode>(FTypes.Void(), aCall.Pos, std::move(target), std::move(step),
                                         aCall.Magic == TMagic::Dec);
}

PExpr TChecker::CheckOrd(const TMagicCall& aCall)
{
    PExpr a = OrdinalArg(aCall, false);
    if (!a)
        return ErrorExpr(aCall.Pos);
    const TType* t = a->Type;
    if (t->IsInteger())
        return a;
    const bool isConst = IsConst(*a);
    // a Char or Boolean is a Byte to arithmetic; an enumeration its storage size
    PExpr e = std::make_unique<TOrdCastNode>(FTypes.IntType(t->IntKind), aCall.Pos, std::move(a));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckChr(const TMagicCall& aCall)
{
    PExpr a = OrdinalArg(aCall, true);
    if (!a)
        return ErrorExpr(aCall.Pos);
    const bool isConst = IsConst(*a);
    PExpr e = std::make_unique<TOrdCastNode>(FTypes.Char(), aCall.Pos, std::move(a));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckSuccPred(const TMagicCall& aCall)
{
    PExpr a = OrdinalArg(aCall, false);
    if (!a)
        return ErrorExpr(aCall.Pos);
    const TType* t = a->Type;
    const bool isConst = IsConst(*a);
    const TType* resultType = t->IsInteger() ? FTypes.IntType(t->IntKind) : t->Base;
    PExpr sum = std::make_unique<TIntBinNode<TIntOp::Add>>(
        FTypes.Int64(), aCall.Pos, std::move(a),
        MakeIntConst(aCall.Magic == TMagic::Succ ? 1 : -1, aCall.Pos));
    PExpr e = std::make_unique<TOrdCastNode>(resultType, aCall.Pos, std::move(sum));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckOdd(const TMagicCall& aCall)
{
    PExpr a = OrdinalArg(aCall, true);
    if (!a)
        return ErrorExpr(aCall.Pos);
    const bool isConst = IsConst(*a);
    const TSourcePos pos = aCall.Pos;
    PExpr e = std::make_unique<TIntCmpNode<TCmpOp::Ne>>(
        FTypes.Boolean(), pos,
        std::make_unique<TIntBinNode<TIntOp::And>>(FTypes.Int64(), pos, std::move(a), MakeIntConst(1, pos)),
        MakeIntConst(0, pos));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

// Abs, Sqr, Min and Max
PExpr TChecker::CheckMath(const TMagicCall& aCall)
{
    PExpr a = CheckExpr(aCall.Arg(0));
    PExpr b = aCall.Args.size() > 1 ? CheckExpr(aCall.Arg(1)) : nullptr;
    if (AnyFailed({&a, &b}))
        return ErrorExpr(aCall.Pos);
    if (!a->Type->IsNumeric() || (b && !b->Type->IsNumeric())) {
        Error(aCall.Pos, QStringLiteral("Operator ist auf diesen Operandentyp nicht anwendbar"));
        return ErrorExpr(aCall.Pos);
    }
    const bool real = a->Type->IsReal() || (b && b->Type->IsReal());
    const TType* t = real ? FTypes.Double() : FTypes.Int64();
    // Min and Max of QWords compare unsigned; Sqr of a QWord is a QWord
    if (!real && aCall.Magic != TMagic::Abs && QWordOperation(a->Type, b ? b->Type : a->Type))
        t = FTypes.QWord();
    if (real) {
        a = Convert(std::move(a), t, aCall.Pos);
        if (b)
            b = Convert(std::move(b), t, aCall.Pos);
    }
    const bool isConst = IsConst(*a) && (!b || IsConst(*b));
    const TMathNode::TOp op = aCall.Magic == TMagic::Abs ? TMathNode::TOp::Abs
        : aCall.Magic == TMagic::Sqr                     ? TMathNode::TOp::Sqr
        : aCall.Magic == TMagic::Min                     ? TMathNode::TOp::Min
                                                         : TMathNode::TOp::Max;
    PExpr e = std::make_unique<TMathNode>(t, aCall.Pos, op, std::move(a), std::move(b));
    // an integer result computed in Int64 is typed as its value needs, as a literal would be
    return isConst ? Fold(std::move(e), !real) : std::move(e);
}

// IfThen: strings as in StrUtils (IfFalse defaults to ''), numbers as in Math (to 0).
PExpr TChecker::CheckIfThen(const TMagicCall& aCall)
{
    PExpr cond = ConvertedArg(aCall, 0, FTypes.Boolean());
    PExpr a = CheckExpr(aCall.Arg(1));
    PExpr b = aCall.Args.size() > 2 ? CheckExpr(aCall.Arg(2)) : nullptr;
    if (AnyFailed({&cond, &a, &b}))
        return ErrorExpr(aCall.Pos);
    const TType* t = nullptr;
    if (a->Type->IsStringLike() && (!b || b->Type->IsStringLike()))
        t = FTypes.String();
    else if (a->Type->IsNumeric() && (!b || b->Type->IsNumeric()))
        t = a->Type->IsReal() || (b && b->Type->IsReal()) ? FTypes.Double() : FTypes.Int64();
    if (t == nullptr) {
        Error(aCall.Pos,
              QStringLiteral("IfThen gibt es für Strings und Zahlen: '%1' passt nicht")
                  .arg(TypeName(b && a->Type->IsNumeric() ? *b : *a)));
        return ErrorExpr(aCall.Pos);
    }
    if (!b)
        b = t->Kind == TTypeKind::String ? MakeConst(t, aCall.Pos, TValue::FromStr(TStr()))
            : t->IsReal()                ? MakeConst(t, aCall.Pos, TValue::FromReal(0))
                                         : MakeIntConst(0, aCall.Pos);
    a = Convert(std::move(a), t, aCall.Pos);
    b = Convert(std::move(b), t, aCall.Pos);
    return std::make_unique<TIfThenNode>(t, aCall.Pos, std::move(cond), std::move(a), std::move(b));
}

// Round and Trunc
PExpr TChecker::CheckRound(const TMagicCall& aCall)
{
    PExpr a = ConvertedArg(aCall, 0, FTypes.Double());
    if (a->Type->IsError())
        return ErrorExpr(aCall.Pos);
    const bool isConst = IsConst(*a);
    PExpr e =
        std::make_unique<TRoundNode>(FTypes.Int64(), aCall.Pos, std::move(a), aCall.Magic == TMagic::Trunc);
    return isConst ? Fold(std::move(e), true) : std::move(e);
}

PExpr TChecker::CheckCopy(const TMagicCall& aCall)
{
    const TType* integer = FTypes.Integer();
    const TType* str = FTypes.String();
    PExpr source = CheckExpr(aCall.Arg(0));
    if (source->Type->IsError())
        return ErrorExpr(aCall.Pos);
    if (source->Type->Kind == TTypeKind::DynArray) {
        PExpr index = OptionalArg(aCall, 1, integer);
        PExpr count = OptionalArg(aCall, 2, integer);
        if (AnyFailed({&index, &count}))
            return ErrorExpr(aCall.Pos);
        return std::make_unique<TCopyArrNode>(source->Type, aCall.Pos, std::move(source), std::move(index),
                                              std::move(count));
    }
    // only an array can be copied whole: a string needs the index
    if (!ArgCount(aCall.Args, 2, 3, aCall.Pos))
        return ErrorExpr(aCall.Pos);
    source = Convert(std::move(source), str, aCall.ArgPos(0));
    PExpr index = ConvertedArg(aCall, 1, integer);
    PExpr count = OptionalArg(aCall, 2, integer);
    if (AnyFailed({&source, &index, &count}))
        return ErrorExpr(aCall.Pos);
    const bool isConst = IsConst(*source) && IsConst(*index) && (!count || IsConst(*count));
    PExpr e =
        std::make_unique<TCopyNode>(str, aCall.Pos, std::move(source), std::move(index), std::move(count));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckPos(const TMagicCall& aCall)
{
    PExpr sub = ConvertedArg(aCall, 0, FTypes.String());
    PExpr text = ConvertedArg(aCall, 1, FTypes.String());
    PExpr offset = OptionalArg(aCall, 2, FTypes.Integer());
    if (AnyFailed({&sub, &text, &offset}))
        return ErrorExpr(aCall.Pos);
    const bool isConst = IsConst(*sub) && IsConst(*text) && (!offset || IsConst(*offset));
    PExpr e = std::make_unique<TPosNode>(FTypes.Integer(), aCall.Pos, std::move(sub), std::move(text),
                                         std::move(offset));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckDelete(const TMagicCall& aCall)
{
    PExpr target = CheckVarArgument(FTypes.String(), aCall.Arg(0), true);
    PExpr index = ConvertedArg(aCall, 1, FTypes.Integer());
    PExpr count = ConvertedArg(aCall, 2, FTypes.Integer());
    if (AnyFailed({&target, &index, &count}))
        return ErrorExpr(aCall.Pos);
    return std::make_unique<TDeleteNode>(FTypes.Void(), aCall.Pos, std::move(target), std::move(index),
                                         std::move(count));
}

PExpr TChecker::CheckInsert(const TMagicCall& aCall)
{
    PExpr source = ConvertedArg(aCall, 0, FTypes.String());
    PExpr target = CheckVarArgument(FTypes.String(), aCall.Arg(1), true);
    PExpr index = ConvertedArg(aCall, 2, FTypes.Integer());
    if (AnyFailed({&source, &target, &index}))
        return ErrorExpr(aCall.Pos);
    return std::make_unique<TInsertNode>(FTypes.Void(), aCall.Pos, std::move(source), std::move(target),
                                         std::move(index));
}

PExpr TChecker::CheckConcat(const TMagicCall& aCall)
{
    PExpr e = ConvertedArg(aCall, 0, FTypes.String());
    for (std::size_t i = 1; i < aCall.Args.size() && !e->Type->IsError(); ++i) {
        PExpr next = ConvertedArg(aCall, i, FTypes.String());
        if (next->Type->IsError())
            return ErrorExpr(aCall.Pos);
        e = MakeConcat(aCall.Pos, std::move(e), std::move(next));
    }
    return e->Type->IsError() ? ErrorExpr(aCall.Pos) : std::move(e);
}

PExpr TChecker::CheckFormat(const TMagicCall& aCall)
{
    PExpr format = ConvertedArg(aCall, 0, FTypes.String());
    if (aCall.Arg(1).Kind != TAstExprKind::SetCtor) { // a routine's "array of const" passed on
        PExpr list = CheckExpr(aCall.Arg(1));
        if (list->Type->Kind == TTypeKind::ArrayOfConst && !format->Type->IsError())
            return std::make_unique<TFormatNode>(FTypes.String(), aCall.Pos, std::move(format),
                                                 std::vector<PExpr>(), std::move(list));
        if (list->Type->IsError() || format->Type->IsError())
            return ErrorExpr(aCall.Pos);
    }
    std::vector<PExpr> items;
    if (PExpr err = FormatArgs(aCall.Arg(1), items))
        return err;
    if (format->Type->IsError())
        return ErrorExpr(aCall.Pos);
    return std::make_unique<TFormatNode>(FTypes.String(), aCall.Pos, std::move(format), std::move(items));
}

PExpr TChecker::CheckSizeOf(const TMagicCall& aCall)
{
    const TType* t = TypeArgument(aCall.Arg(0));
    if (t == nullptr) {
        PExpr e = CheckExpr(aCall.Arg(0));
        t = e->Type;
    }
    if (t->IsError())
        return ErrorExpr(aCall.Pos);
    return MakeIntConst(t->Size, aCall.Pos);
}

// Exit, Break, Continue and Halt are statements, which the statement checker takes before they
// get here: what comes is a use as a value, or Break or Continue with an argument list.
PExpr TChecker::CheckFlowAsCall(const TMagicCall& aCall)
{
    const QLatin1String name(MagicName(aCall.Magic));
    Error(aCall.Pos,
          aCall.Statement ? QStringLiteral("'%1' ist hier nicht erlaubt").arg(name)
                          : QStringLiteral("'%1' liefert keinen Wert").arg(name));
    return ErrorExpr(aCall.Pos);
}

PExpr TChecker::CheckIncludeExclude(const TMagicCall& aCall)
{
    PExpr target = CheckVarArgument(nullptr, aCall.Arg(0), false);
    PExpr element = CheckExpr(aCall.Arg(1));
    if (AnyFailed({&target, &element}))
        return ErrorExpr(aCall.Pos);
    if (target->Type->Kind != TTypeKind::Set) {
        Error(aCall.ArgPos(0), QStringLiteral("Mengentyp erforderlich"));
        return ErrorExpr(aCall.Pos);
    }
    if (!OrdinalCompatible(target->Type->Element, element->Type)) {
        Incompatible(aCall.ArgPos(1), target->Type->Element, *element);
        return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TIncludeNode>(FTypes.Void(), aCall.Pos, std::move(target), std::move(element),
                                          aCall.Magic == TMagic::Include);
}

PExpr TChecker::CheckRandom(const TMagicCall& aCall)
{
    if (aCall.Args.empty())
        return std::make_unique<TRandomNode>(FTypes.Double(), aCall.Pos, nullptr);
    PExpr range = CheckExpr(aCall.Arg(0));
    if (range->Type->IsError())
        return ErrorExpr(aCall.Pos);
    if (!range->Type->IsInteger()) {
        Incompatible(aCall.ArgPos(0), FTypes.Integer(), *range);
        return ErrorExpr(aCall.Pos);
    }
    const TType* t = range->Type->IntKind == TIntKind::S64 ? FTypes.Int64() : FTypes.Integer();
    return std::make_unique<TRandomNode>(t, aCall.Pos, std::move(range));
}

PExpr TChecker::CheckAssert(const TMagicCall& aCall)
{
    PExpr cond = CheckCondition(aCall.Arg(0));
    PExpr msg = OptionalArg(aCall, 1, FTypes.String());
    if (AnyFailed({&cond, &msg}))
        return ErrorExpr(aCall.Pos);
    return std::make_unique<TAssertNode>(FTypes.Void(), aCall.Pos, std::move(cond), std::move(msg));
}

// TryStrToInt, TryStrToInt64 and TryStrToFloat
PExpr TChecker::CheckTryStrTo(const TMagicCall& aCall)
{
    const bool toFloat = aCall.Magic == TMagic::TryStrToFloat;
    PExpr text = ConvertedArg(aCall, 0, FTypes.String());
    const TType* t = aCall.Magic == TMagic::TryStrToInt ? FTypes.Integer()
        : aCall.Magic == TMagic::TryStrToInt64          ? FTypes.Int64()
                                                        : FTypes.Double();
    // Free Pascal has a TryStrToFloat for each real type, but TryStrToInt and TryStrToInt64
    // only for their own type
    PExpr target = CheckVarArgument(t, aCall.Arg(1), !toFloat);
    if (AnyFailed({&text, &target}))
        return ErrorExpr(aCall.Pos);
    if (toFloat && !target->Type->IsReal()) {
        Incompatible(aCall.ArgPos(1), t, *target);
        return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TTryParseNode>(FTypes.Boolean(), aCall.Pos, std::move(text), std::move(target),
                                           nullptr);
}

PExpr TChecker::CheckVal(const TMagicCall& aCall)
{
    PExpr text = ConvertedArg(aCall, 0, FTypes.String());
    PExpr target = CheckVarArgument(nullptr, aCall.Arg(1), false);
    PExpr code = CheckVarArgument(nullptr, aCall.Arg(2), false);
    if (AnyFailed({&text, &target, &code}))
        return ErrorExpr(aCall.Pos);
    if (!target->Type->IsNumeric() || !code->Type->IsInteger()) {
        Error(aCall.ArgPos(1), QStringLiteral("Val braucht eine Zahlenvariable und eine Integer-Variable"));
        return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TTryParseNode>(FTypes.Void(), aCall.Pos, std::move(text), std::move(target),
                                           std::move(code));
}

PExpr TChecker::CheckStr(const TMagicCall& aCall)
{
    // Str(x, s), Str(x:width, s), Str(x:width:decimals, s)
    const TAstExpr& arg = aCall.Arg(0);
    const bool formatted = arg.Kind == TAstExprKind::Formatted;
    PExpr value = CheckExpr(formatted ? *arg.Left : arg);
    PExpr width =
        formatted ? Convert(CheckExpr(*arg.Args[0]), FTypes.Integer(), arg.Args[0]->StartPos()) : nullptr;
    PExpr decimals = formatted && arg.Args.size() > 1
        ? Convert(CheckExpr(*arg.Args[1]), FTypes.Integer(), arg.Args[1]->StartPos())
        : nullptr;
    PExpr target = CheckVarArgument(FTypes.String(), aCall.Arg(1), true);
    if (AnyFailed({&value, &width, &decimals, &target}))
        return ErrorExpr(aCall.Pos);
    if (!value->Type->IsNumeric()) {
        Incompatible(aCall.ArgPos(0), FTypes.Integer(), *value);
        return ErrorExpr(aCall.Pos);
    }
    if (decimals && !value->Type->IsReal()) {
        Error(arg.Args[1]->StartPos(), QStringLiteral("Nachkommastellen gibt es nur bei Gleitkommawerten"));
        return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TStrProcNode>(FTypes.Void(), aCall.Pos, std::move(value), std::move(target),
                                          std::move(width), std::move(decimals));
}

PExpr TChecker::CheckAssigned(const TMagicCall& aCall)
{
    const TSourcePos pos = aCall.Pos;
    PExpr a = CheckExpr(aCall.Arg(0));
    if (a->Type->IsError())
        return ErrorExpr(pos);
    if (a->Type->Kind == TTypeKind::Class)
        return std::make_unique<TObjEqualNode>(FTypes.Boolean(), pos, std::move(a),
                                               MakeConst(FTypes.Nil(), pos, TValue::FromObj(nullptr)), true);
    if (a->Type->Kind == TTypeKind::Procedural)
        return std::make_unique<TIntCmpNode<TCmpOp::Ne>>(FTypes.Boolean(), pos, std::move(a),
                                                         MakeIntConst(0, pos));
    if (a->Type->Kind == TTypeKind::StringList)
        return std::make_unique<TListNode>(FTypes.Boolean(), pos, TListOp::Assigned, std::move(a),
                                           std::vector<PExpr>());
    if (a->Type->Kind == TTypeKind::DynArray) // an empty dynamic array is nil
        return std::make_unique<TIntCmpNode<TCmpOp::Ne>>(
            FTypes.Boolean(), pos, std::make_unique<TLengthNode>(FTypes.Integer(), pos, std::move(a), 0),
            MakeIntConst(0, pos));
    Error(aCall.ArgPos(0), QStringLiteral("Objekt oder dynamisches Array erforderlich"));
    return ErrorExpr(pos);
}

PExpr TChecker::CheckIntToHex(const TMagicCall& aCall)
{
    PExpr value = CheckExpr(aCall.Arg(0));
    PExpr digits = OptionalArg(aCall, 1, FTypes.Integer());
    if (AnyFailed({&value, &digits}))
        return ErrorExpr(aCall.Pos);
    if (!value->Type->IsInteger()) {
        Incompatible(aCall.ArgPos(0), FTypes.Integer(), *value);
        return ErrorExpr(aCall.Pos);
    }
    const bool is64 = TTypes::KindSize(value->Type->IntKind) == 8;
    const bool isConst = IsConst(*value) && (!digits || IsConst(*digits));
    PExpr e = std::make_unique<TIntToHexNode>(FTypes.String(), aCall.Pos, std::move(value), std::move(digits),
                                              is64);
    return isConst ? Fold(std::move(e)) : std::move(e);
}

// Hi and Lo
PExpr TChecker::CheckHiLo(const TMagicCall& aCall)
{
    const TSourcePos pos = aCall.Pos;
    PExpr a = OrdinalArg(aCall, false);
    if (!a)
        return ErrorExpr(pos);
    // Free Pascal splits the operand in halves of its own size: a Word into bytes, an
    // Integer into words
    const TIntKind kind = a->Type->IntKind;
    const int bits = TTypes::KindSize(kind) * 4;
    const qint64 mask = bits >= 32 ? 0xFFFFFFFFll : (qint64(1) << bits) - 1;
    const TType* half = FTypes.IntType(bits == 4 || bits == 8 ? TIntKind::U8
                                           : bits == 16       ? TIntKind::U16
                                                              : TIntKind::U32);
    const bool isConst = IsConst(*a);
    if (aCall.Magic == TMagic::Hi) {
        PExpr wrapped = std::make_unique<TOrdCastNode>(
            FTypes.IntType(IsUnsignedKind(kind) ? kind : TIntKind::S64), pos, std::move(a));
        a = std::make_unique<TIntBinNode<TIntOp::Shr64>>(FTypes.Int64(), pos, std::move(wrapped),
                                                         MakeIntConst(bits, pos));
    }
    PExpr e = std::make_unique<TIntBinNode<TIntOp::And>>(half, pos, std::move(a), MakeIntConst(mask, pos));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckSwap(const TMagicCall& aCall)
{
    const TSourcePos pos = aCall.Pos;
    PExpr a = OrdinalArg(aCall, false);
    if (!a)
        return ErrorExpr(pos);
    const TType* t = a->Type;
    if (TTypes::KindSize(t->IntKind) != 2) {
        Error(aCall.ArgPos(0), QStringLiteral("Swap wird nur für 16-Bit-Werte unterstützt"));
        return ErrorExpr(pos);
    }
    const bool isConst = IsConst(*a);
    // the operand goes into both halves of the result: a second node from checking it again
    PExpr copy = CheckExpr(aCall.Arg(0));
    PExpr low = std::make_unique<TIntBinNode<TIntOp::Shl64>>(
        FTypes.Int64(), pos,
        std::make_unique<TIntBinNode<TIntOp::And>>(FTypes.Int64(), pos, std::move(a), MakeIntConst(255, pos)),
        MakeIntConst(8, pos));
    PExpr high = std::make_unique<TIntBinNode<TIntOp::And>>(
        FTypes.Int64(), pos,
        std::make_unique<TIntBinNode<TIntOp::Shr64>>(FTypes.Int64(), pos, std::move(copy),
                                                     MakeIntConst(8, pos)),
        MakeIntConst(255, pos));
    PExpr e = std::make_unique<TOrdCastNode>(
        FTypes.IntType(t->IntKind), pos,
        std::make_unique<TIntBinNode<TIntOp::Or>>(FTypes.Int64(), pos, std::move(low), std::move(high)));
    return isConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckFreeAndNil(const TMagicCall& aCall)
{
    PExpr target = CheckVarArgument(nullptr, aCall.Arg(0), false);
    if (target->Type->IsError())
        return ErrorExpr(aCall.Pos);
    if (target->Type->Kind != TTypeKind::Class) {
        Error(aCall.ArgPos(0), QStringLiteral("Objekt erforderlich"));
        return ErrorExpr(aCall.Pos);
    }
    // the object goes when its last reference does; the variable becomes nil
    return std::make_unique<TClearNode>(FTypes.Void(), aCall.Pos, std::move(target));
}

// DecodeDate and DecodeTime
PExpr TChecker::CheckDecode(const TMagicCall& aCall)
{
    PExpr dt = ConvertedArg(aCall, 0, FTypes.Double());
    if (dt->Type->IsError())
        return ErrorExpr(aCall.Pos);
    // any integer variable takes a part, not only a Word
    std::vector<PExpr> targets;
    for (std::size_t i = 1; i < aCall.Args.size(); ++i) {
        targets.push_back(CheckVarArgument(nullptr, aCall.Arg(i), false));
        if (targets.back()->Type->IsError())
            return ErrorExpr(aCall.Pos);
        if (!targets.back()->Type->IsInteger()) {
            Incompatible(aCall.ArgPos(i), FTypes.Word(), *targets.back());
            return ErrorExpr(aCall.Pos);
        }
    }
    return std::make_unique<TDecodeNode>(FTypes.Void(), aCall.Pos, std::move(dt), std::move(targets),
                                         aCall.Magic == TMagic::DecodeTime);
}

PExpr TChecker::CheckDefault(const TMagicCall& aCall)
{
    const TType* t = TypeArgument(aCall.Arg(0));
    if (t == nullptr) {
        Error(aCall.ArgPos(0), QStringLiteral("Typbezeichner erwartet"));
        return ErrorExpr(aCall.Pos);
    }
    return MakeConst(t, aCall.Pos, t->Default);
}

// FillChar(s[i], ...) starts inside a string or array: the container is the target and aStart
// the index. Any other first argument is the target itself.
PExpr TChecker::FillCharTarget(const TAstExpr& aFirst, PExpr& aStart)
{
    if (aFirst.Kind != TAstExprKind::Index || aFirst.Args.size() != 1)
        return CheckVarArgument(nullptr, aFirst, false);
    PExpr container = CheckVarArgument(nullptr, *aFirst.Left, false);
    const TType* t = container->Type;
    if (t->IsError() || !(t->IsString() || t->IsArray()))
        return CheckVarArgument(nullptr, aFirst, false);
    const TAstExpr& index = *aFirst.Args[0];
    aStart = Convert(CheckExpr(index), t->Kind == TTypeKind::StaticArray ? t->Index : FTypes.Integer(),
                     index.StartPos());
    return container;
}

PExpr TChecker::CheckFillChar(const TMagicCall& aCall)
{
    PExpr start;
    PExpr target = FillCharTarget(aCall.Arg(0), start);
    PExpr count = ConvertedArg(aCall, 1, FTypes.Integer());
    PExpr value = CheckExpr(aCall.Arg(2));
    if (AnyFailed({&target, &start, &count, &value}))
        return ErrorExpr(aCall.Pos);
    if (!value->Type->IsOrdinal()) {
        Incompatible(aCall.ArgPos(2), FTypes.Byte(), *value);
        return ErrorExpr(aCall.Pos);
    }
    const TType* t = target->Type;
    const bool simple = t->IsString() || (t->IsArray() && (t->Element->IsOrdinal() || t->Element->IsReal()));
    if (!simple) {
        Error(aCall.ArgPos(0),
              QStringLiteral("FillChar gibt es hier nur für Strings und Arrays einfacher Elemente"));
        return ErrorExpr(aCall.Pos);
    }
    return std::make_unique<TFillCharNode>(FTypes.Void(), aCall.Pos, std::move(target), std::move(start),
                                           std::move(count), std::move(value));
}

} // namespace pascal
