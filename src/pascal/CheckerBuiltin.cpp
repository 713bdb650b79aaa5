#include "pascal/Checker.h"

#include "pascal/AccessNodes.h"
#include "pascal/ArithNodes.h"
#include "pascal/BuiltinNodes.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/StmtNodes.h"
#include "pascal/StringNodes.h"
#include "pascal/VarNodes.h"

namespace pascal {

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

PExpr TChecker::CheckHighLow(bool aHigh, const TAstExpr& aArg, TSourcePos aPos)
{
    const TType* t = TypeArgument(aArg);
    PExpr value;
    if (t == nullptr) {
        value = CheckExpr(aArg);
        t = value->Type;
    }
    if (t->IsError())
        return ErrorExpr(aPos);
    if (t->IsOrdinal())
        return MakeConst(t, aPos, TValue::FromInt(aHigh ? t->High : t->Low));
    if (t->Kind == TTypeKind::StaticArray)
        return MakeConst(t->Index, aPos, TValue::FromInt(aHigh ? t->High : t->Low));
    if (value && (t->Kind == TTypeKind::DynArray || t->Kind == TTypeKind::String)) {
        const bool str = t->Kind == TTypeKind::String;
        if (!aHigh)
            return MakeIntConst(str ? 1 : 0, aPos);
        return std::make_unique<TLengthNode>(FTypes.Integer(), aPos, std::move(value), str ? 0 : -1);
    }
    if (t->Kind == TTypeKind::String) // High(string) as a type: the longest a ShortString gets
        return MakeIntConst(aHigh ? 255 : 1, aPos);
    Error(aArg.StartPos(), QStringLiteral("Ordinaltyp oder Array erforderlich"));
    return ErrorExpr(aPos);
}

PExpr TChecker::CheckIncDec(bool aInc, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    if (!ArgCount(aArgs, 1, 2, aPos))
        return ErrorExpr(aPos);
    PExpr target = CheckVarArgument(nullptr, *aArgs[0], false);
    if (target->Type->IsError())
        return ErrorExpr(aPos);
    if (!target->Type->IsOrdinal()) {
        Error(aArgs[0]->StartPos(), QStringLiteral("Ordinaltyp erforderlich"));
        return ErrorExpr(aPos);
    }
    PExpr step;
    if (aArgs.size() == 2) {
        step = CheckExpr(*aArgs[1]);
        if (step->Type->IsError())
            return ErrorExpr(aPos);
        if (!step->Type->IsInteger()) {
            Incompatible(aArgs[1]->StartPos(), FTypes.Integer(), *step);
            return ErrorExpr(aPos);
        }
    }
    return std::make_unique<TIncDecNode>(FTypes.Void(), aPos, std::move(target), std::move(step), !aInc);
}

PExpr TChecker::CheckMagic(TMagic aMagic, const std::vector<PAstExpr>& aArgs, TSourcePos aPos,
                           bool aStatement)
{
    const TType* integer = FTypes.Integer();
    const TType* str = FTypes.String();
    const TType* voidType = FTypes.Void();
    auto arg = [&](std::size_t i, const TType* aType) {
        return Convert(CheckExpr(*aArgs[i], aType), aType, aArgs[i]->StartPos());
    };
    auto failed = [](std::initializer_list<const PExpr*> aList) {
        for (const PExpr* p : aList)
            if (*p && (*p)->Type->IsError())
                return true;
        return false;
    };
    switch (aMagic) {
    case TMagic::Length: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = CheckExpr(*aArgs[0]);
        const TType* t = a->Type;
        if (t->IsError())
            return ErrorExpr(aPos);
        if (!t->IsStringLike() && !t->IsArray()) {
            Error(aArgs[0]->StartPos(), QStringLiteral("String oder Array erforderlich"));
            return ErrorExpr(aPos);
        }
        const bool isConst = IsConst(*a) || t->Kind == TTypeKind::StaticArray || t->Kind == TTypeKind::Char;
        PExpr e = std::make_unique<TLengthNode>(integer, aPos, std::move(a), 0);
        return isConst && IsConst(*static_cast<TLengthNode&>(*e).Arg) ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::SetLength: {
        if (!ArgCount(aArgs, 2, 8, aPos))
            return ErrorExpr(aPos);
        PExpr target = CheckVarArgument(nullptr, *aArgs[0], false);
        if (target->Type->IsError())
            return ErrorExpr(aPos);
        const TType* t = target->Type;
        std::size_t depth = 0;
        for (const TType* x = t; x && x->Kind == TTypeKind::DynArray; x = x->Element)
            ++depth;
        if ((t->Kind != TTypeKind::String && t->Kind != TTypeKind::DynArray) || t->OpenArray) {
            Error(aArgs[0]->StartPos(),
                  t->OpenArray ? QStringLiteral("Die Länge eines offenen Array-Parameters ist fest")
                               : QStringLiteral("String oder dynamisches Array erforderlich"));
            return ErrorExpr(aPos);
        }
        if (aArgs.size() - 1 > std::max<std::size_t>(depth, 1)) {
            Error(aArgs[depth + 1]->StartPos(), QStringLiteral("Zu viele Parameter"));
            return ErrorExpr(aPos);
        }
        std::vector<PExpr> lengths;
        for (std::size_t i = 1; i < aArgs.size(); ++i) {
            lengths.push_back(arg(i, integer));
            if (lengths.back()->Type->IsError())
                return ErrorExpr(aPos);
        }
        return std::make_unique<TSetLengthNode>(voidType, aPos, std::move(target), std::move(lengths));
    }
    case TMagic::High:
    case TMagic::Low:
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        return CheckHighLow(aMagic == TMagic::High, *aArgs[0], aPos);
    case TMagic::Inc:
    case TMagic::Dec: return CheckIncDec(aMagic == TMagic::Inc, aArgs, aPos);
    case TMagic::Ord:
    case TMagic::Chr:
    case TMagic::Succ:
    case TMagic::Pred:
    case TMagic::Odd: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = CheckExpr(*aArgs[0]);
        const TType* t = a->Type;
        if (t->IsError())
            return ErrorExpr(aPos);
        const bool wantInt = aMagic == TMagic::Chr || aMagic == TMagic::Odd;
        if (wantInt ? !t->IsInteger() : !t->IsOrdinal()) {
            if (wantInt)
                Incompatible(aArgs[0]->StartPos(), integer, *a);
            else
                Error(aArgs[0]->StartPos(), QStringLiteral("Ordinaltyp erforderlich"));
            return ErrorExpr(aPos);
        }
        const bool isConst = IsConst(*a);
        PExpr e;
        switch (aMagic) {
        case TMagic::Ord:
            if (t->IsInteger())
                return a;
            // a Char or Boolean is a Byte to arithmetic; an enumeration its storage size
            e = std::make_unique<TOrdCastNode>(FTypes.IntType(t->IntKind), aPos, std::move(a));
            break;
        case TMagic::Chr: e = std::make_unique<TOrdCastNode>(FTypes.Char(), aPos, std::move(a)); break;
        case TMagic::Odd:
            e = std::make_unique<TIntCmpNode<TCmpOp::Ne>>(
                FTypes.Boolean(), aPos,
                std::make_unique<TIntBinNode<TIntOp::And>>(FTypes.Int64(), aPos, std::move(a),
                                                           MakeIntConst(1, aPos)),
                MakeIntConst(0, aPos));
            break;
        default: {
            const TType* rt = t->IsInteger() ? FTypes.IntType(t->IntKind) : t->Base;
            PExpr sum = std::make_unique<TIntBinNode<TIntOp::Add>>(
                FTypes.Int64(), aPos, std::move(a), MakeIntConst(aMagic == TMagic::Succ ? 1 : -1, aPos));
            e = std::make_unique<TOrdCastNode>(rt, aPos, std::move(sum));
            break;
        }
        }
        return isConst ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::Abs:
    case TMagic::Sqr:
    case TMagic::Min:
    case TMagic::Max: {
        const bool two = aMagic == TMagic::Min || aMagic == TMagic::Max;
        if (!ArgCount(aArgs, two ? 2 : 1, two ? 2 : 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = CheckExpr(*aArgs[0]);
        PExpr b = two ? CheckExpr(*aArgs[1]) : nullptr;
        if (failed({&a, &b}))
            return ErrorExpr(aPos);
        if (!a->Type->IsNumeric() || (b && !b->Type->IsNumeric())) {
            Error(aPos, QStringLiteral("Operator ist auf diesen Operandentyp nicht anwendbar"));
            return ErrorExpr(aPos);
        }
        const bool real = a->Type->IsReal() || (b && b->Type->IsReal());
        const TType* t = real ? FTypes.Double() : FTypes.Int64();
        if (real) {
            a = Convert(std::move(a), t, aPos);
            if (b)
                b = Convert(std::move(b), t, aPos);
        }
        const bool isConst = IsConst(*a) && (!b || IsConst(*b));
        const TMathNode::TOp op = aMagic == TMagic::Abs ? TMathNode::TOp::Abs
            : aMagic == TMagic::Sqr                     ? TMathNode::TOp::Sqr
            : aMagic == TMagic::Min                     ? TMathNode::TOp::Min
                                                        : TMathNode::TOp::Max;
        PExpr e = std::make_unique<TMathNode>(t, aPos, op, std::move(a), std::move(b));
        return isConst ? Fold(std::move(e), !real) : std::move(e);
    }
    case TMagic::Round:
    case TMagic::Trunc: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = arg(0, FTypes.Double());
        if (a->Type->IsError())
            return ErrorExpr(aPos);
        const bool isConst = IsConst(*a);
        PExpr e = std::make_unique<TRoundNode>(FTypes.Int64(), aPos, std::move(a), aMagic == TMagic::Trunc);
        return isConst ? Fold(std::move(e), true) : std::move(e);
    }
    case TMagic::Copy: {
        if (!ArgCount(aArgs, 1, 3, aPos))
            return ErrorExpr(aPos);
        PExpr source = CheckExpr(*aArgs[0]);
        if (source->Type->IsError())
            return ErrorExpr(aPos);
        if (source->Type->Kind == TTypeKind::DynArray) {
            PExpr index = aArgs.size() > 1 ? arg(1, integer) : nullptr;
            PExpr count = aArgs.size() > 2 ? arg(2, integer) : nullptr;
            if (failed({&index, &count}))
                return ErrorExpr(aPos);
            return std::make_unique<TCopyArrNode>(source->Type, aPos, std::move(source), std::move(index),
                                                  std::move(count));
        }
        if (!ArgCount(aArgs, 2, 3, aPos))
            return ErrorExpr(aPos);
        source = Convert(std::move(source), str, aArgs[0]->StartPos());
        PExpr index = arg(1, integer);
        PExpr count = aArgs.size() > 2 ? arg(2, integer) : nullptr;
        if (failed({&source, &index, &count}))
            return ErrorExpr(aPos);
        const bool isConst = IsConst(*source) && IsConst(*index) && (!count || IsConst(*count));
        PExpr e =
            std::make_unique<TCopyNode>(str, aPos, std::move(source), std::move(index), std::move(count));
        return isConst ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::Pos: {
        if (!ArgCount(aArgs, 2, 3, aPos))
            return ErrorExpr(aPos);
        PExpr sub = arg(0, str);
        PExpr text = arg(1, str);
        PExpr offset = aArgs.size() > 2 ? arg(2, integer) : nullptr;
        if (failed({&sub, &text, &offset}))
            return ErrorExpr(aPos);
        const bool isConst = IsConst(*sub) && IsConst(*text) && (!offset || IsConst(*offset));
        PExpr e =
            std::make_unique<TPosNode>(integer, aPos, std::move(sub), std::move(text), std::move(offset));
        return isConst ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::Delete: {
        if (!ArgCount(aArgs, 3, 3, aPos))
            return ErrorExpr(aPos);
        PExpr target = CheckVarArgument(str, *aArgs[0], true);
        PExpr index = arg(1, integer);
        PExpr count = arg(2, integer);
        if (failed({&target, &index, &count}))
            return ErrorExpr(aPos);
        return std::make_unique<TDeleteNode>(voidType, aPos, std::move(target), std::move(index),
                                             std::move(count));
    }
    case TMagic::Insert: {
        if (!ArgCount(aArgs, 3, 3, aPos))
            return ErrorExpr(aPos);
        PExpr source = arg(0, str);
        PExpr target = CheckVarArgument(str, *aArgs[1], true);
        PExpr index = arg(2, integer);
        if (failed({&source, &target, &index}))
            return ErrorExpr(aPos);
        return std::make_unique<TInsertNode>(voidType, aPos, std::move(source), std::move(target),
                                             std::move(index));
    }
    case TMagic::Concat: {
        if (!ArgCount(aArgs, 1, 64, aPos))
            return ErrorExpr(aPos);
        PExpr e = arg(0, str);
        for (std::size_t i = 1; i < aArgs.size() && !e->Type->IsError(); ++i) {
            PExpr next = arg(i, str);
            if (next->Type->IsError())
                return ErrorExpr(aPos);
            e = MakeConcat(aPos, std::move(e), std::move(next));
        }
        return e->Type->IsError() ? ErrorExpr(aPos) : std::move(e);
    }
    case TMagic::Format: {
        if (!ArgCount(aArgs, 2, 2, aPos))
            return ErrorExpr(aPos);
        PExpr format = arg(0, str);
        std::vector<PExpr> items;
        if (PExpr err = FormatArgs(*aArgs[1], items))
            return err;
        if (format->Type->IsError())
            return ErrorExpr(aPos);
        return std::make_unique<TFormatNode>(str, aPos, std::move(format), std::move(items));
    }
    case TMagic::SizeOf: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        const TType* t = TypeArgument(*aArgs[0]);
        if (t == nullptr) {
            PExpr e = CheckExpr(*aArgs[0]);
            t = e->Type;
        }
        if (t->IsError())
            return ErrorExpr(aPos);
        return MakeIntConst(t->Size, aPos);
    }
    case TMagic::Include:
    case TMagic::Exclude: {
        if (!ArgCount(aArgs, 2, 2, aPos))
            return ErrorExpr(aPos);
        PExpr target = CheckVarArgument(nullptr, *aArgs[0], false);
        PExpr element = CheckExpr(*aArgs[1]);
        if (failed({&target, &element}))
            return ErrorExpr(aPos);
        if (target->Type->Kind != TTypeKind::Set) {
            Error(aArgs[0]->StartPos(), QStringLiteral("Mengentyp erforderlich"));
            return ErrorExpr(aPos);
        }
        if (!OrdinalCompatible(target->Type->Element, element->Type)) {
            Incompatible(aArgs[1]->StartPos(), target->Type->Element, *element);
            return ErrorExpr(aPos);
        }
        return std::make_unique<TIncludeNode>(voidType, aPos, std::move(target), std::move(element),
                                              aMagic == TMagic::Include);
    }
    case TMagic::Random: {
        if (!ArgCount(aArgs, 0, 1, aPos))
            return ErrorExpr(aPos);
        if (aArgs.empty())
            return std::make_unique<TRandomNode>(FTypes.Double(), aPos, nullptr);
        PExpr range = CheckExpr(*aArgs[0]);
        if (range->Type->IsError())
            return ErrorExpr(aPos);
        if (!range->Type->IsInteger()) {
            Incompatible(aArgs[0]->StartPos(), integer, *range);
            return ErrorExpr(aPos);
        }
        const TType* t = range->Type->IntKind == TIntKind::S64 ? FTypes.Int64() : integer;
        return std::make_unique<TRandomNode>(t, aPos, std::move(range));
    }
    case TMagic::Assert: {
        if (!ArgCount(aArgs, 1, 2, aPos))
            return ErrorExpr(aPos);
        PExpr cond = CheckCondition(*aArgs[0]);
        PExpr msg = aArgs.size() > 1 ? arg(1, str) : nullptr;
        if (failed({&cond, &msg}))
            return ErrorExpr(aPos);
        return std::make_unique<TAssertNode>(voidType, aPos, std::move(cond), std::move(msg));
    }
    case TMagic::TryStrToInt:
    case TMagic::TryStrToInt64:
    case TMagic::TryStrToFloat: {
        if (!ArgCount(aArgs, 2, 2, aPos))
            return ErrorExpr(aPos);
        PExpr text = arg(0, str);
        const TType* t = aMagic == TMagic::TryStrToInt ? integer
            : aMagic == TMagic::TryStrToInt64          ? FTypes.Int64()
                                                       : FTypes.Double();
        PExpr target = CheckVarArgument(t, *aArgs[1], aMagic != TMagic::TryStrToFloat);
        if (failed({&text, &target}))
            return ErrorExpr(aPos);
        if (aMagic == TMagic::TryStrToFloat && !target->Type->IsReal()) {
            Incompatible(aArgs[1]->StartPos(), t, *target);
            return ErrorExpr(aPos);
        }
        return std::make_unique<TTryParseNode>(FTypes.Boolean(), aPos, std::move(text), std::move(target),
                                               nullptr);
    }
    case TMagic::Val: {
        if (!ArgCount(aArgs, 3, 3, aPos))
            return ErrorExpr(aPos);
        PExpr text = arg(0, str);
        PExpr target = CheckVarArgument(nullptr, *aArgs[1], false);
        PExpr code = CheckVarArgument(nullptr, *aArgs[2], false);
        if (failed({&text, &target, &code}))
            return ErrorExpr(aPos);
        if (!target->Type->IsNumeric() || !code->Type->IsInteger()) {
            Error(aArgs[1]->StartPos(),
                  QStringLiteral("Val braucht eine Zahlenvariable und eine Integer-Variable"));
            return ErrorExpr(aPos);
        }
        PExpr e = std::make_unique<TTryParseNode>(voidType, aPos, std::move(text), std::move(target),
                                                  std::move(code));
        return e;
    }
    case TMagic::Str: {
        if (!ArgCount(aArgs, 2, 2, aPos))
            return ErrorExpr(aPos);
        PExpr value = CheckExpr(*aArgs[0]);
        PExpr target = CheckVarArgument(str, *aArgs[1], true);
        if (failed({&value, &target}))
            return ErrorExpr(aPos);
        if (!value->Type->IsNumeric()) {
            Incompatible(aArgs[0]->StartPos(), integer, *value);
            return ErrorExpr(aPos);
        }
        return std::make_unique<TStrProcNode>(voidType, aPos, std::move(value), std::move(target));
    }
    case TMagic::Assigned: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = CheckExpr(*aArgs[0]);
        if (a->Type->IsError())
            return ErrorExpr(aPos);
        if (a->Type->Kind == TTypeKind::Class)
            return std::make_unique<TObjEqualNode>(FTypes.Boolean(), aPos, std::move(a),
                                                   MakeConst(FTypes.Nil(), aPos, TValue::FromObj(nullptr)),
                                                   true);
        if (a->Type->Kind == TTypeKind::DynArray)
            return std::make_unique<TIntCmpNode<TCmpOp::Ne>>(
                FTypes.Boolean(), aPos, std::make_unique<TLengthNode>(integer, aPos, std::move(a), 0),
                MakeIntConst(0, aPos));
        Error(aArgs[0]->StartPos(), QStringLiteral("Objekt oder dynamisches Array erforderlich"));
        return ErrorExpr(aPos);
    }
    case TMagic::IntToHex: {
        if (!ArgCount(aArgs, 1, 2, aPos))
            return ErrorExpr(aPos);
        PExpr value = CheckExpr(*aArgs[0]);
        PExpr digits = aArgs.size() > 1 ? arg(1, integer) : nullptr;
        if (failed({&value, &digits}))
            return ErrorExpr(aPos);
        if (!value->Type->IsInteger()) {
            Incompatible(aArgs[0]->StartPos(), integer, *value);
            return ErrorExpr(aPos);
        }
        const bool is64 = value->Type->IntKind == TIntKind::S64;
        const bool isConst = IsConst(*value) && (!digits || IsConst(*digits));
        PExpr e = std::make_unique<TIntToHexNode>(str, aPos, std::move(value), std::move(digits), is64);
        return isConst ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::Hi:
    case TMagic::Lo:
    case TMagic::Swap: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr a = CheckExpr(*aArgs[0]);
        if (a->Type->IsError())
            return ErrorExpr(aPos);
        if (!a->Type->IsOrdinal()) {
            Error(aArgs[0]->StartPos(), QStringLiteral("Ordinaltyp erforderlich"));
            return ErrorExpr(aPos);
        }
        // Free Pascal splits the operand in halves of its own size: a Word into bytes, an
        // Integer into words
        const int bits = TTypes::KindSize(a->Type->IntKind) * 4;
        const qint64 mask = bits >= 32 ? 0xFFFFFFFFll : (qint64(1) << bits) - 1;
        const TType* half = FTypes.IntType(bits == 4 || bits == 8 ? TIntKind::U8
                                               : bits == 16       ? TIntKind::U16
                                                                  : TIntKind::U32);
        const bool isConst = IsConst(*a);
        PExpr e;
        auto sh = [&](PExpr x) {
            return std::make_unique<TIntBinNode<TIntOp::Shr64>>(FTypes.Int64(), aPos, std::move(x),
                                                                MakeIntConst(bits, aPos));
        };
        auto andMask = [&](PExpr x) {
            return std::make_unique<TIntBinNode<TIntOp::And>>(half, aPos, std::move(x),
                                                              MakeIntConst(mask, aPos));
        };
        if (aMagic == TMagic::Lo) {
            e = andMask(std::move(a));
        } else if (aMagic == TMagic::Hi) {
            PExpr wrapped = std::make_unique<TOrdCastNode>(
                FTypes.IntType(IsUnsignedKind(a->Type->IntKind) ? a->Type->IntKind : TIntKind::S64), aPos,
                std::move(a));
            e = andMask(sh(std::move(wrapped)));
        } else {
            const TType* t = a->Type;
            if (TTypes::KindSize(t->IntKind) != 2) {
                Error(aArgs[0]->StartPos(), QStringLiteral("Swap wird nur für 16-Bit-Werte unterstützt"));
                return ErrorExpr(aPos);
            }
            PExpr copy = CheckExpr(*aArgs[0]);
            PExpr low = std::make_unique<TIntBinNode<TIntOp::Shl64>>(
                FTypes.Int64(), aPos,
                std::make_unique<TIntBinNode<TIntOp::And>>(FTypes.Int64(), aPos, std::move(a),
                                                           MakeIntConst(255, aPos)),
                MakeIntConst(8, aPos));
            PExpr high = std::make_unique<TIntBinNode<TIntOp::And>>(
                FTypes.Int64(), aPos,
                std::make_unique<TIntBinNode<TIntOp::Shr64>>(FTypes.Int64(), aPos, std::move(copy),
                                                             MakeIntConst(8, aPos)),
                MakeIntConst(255, aPos));
            e = std::make_unique<TOrdCastNode>(FTypes.IntType(t->IntKind), aPos,
                                               std::make_unique<TIntBinNode<TIntOp::Or>>(
                                                   FTypes.Int64(), aPos, std::move(low), std::move(high)));
        }
        return isConst ? Fold(std::move(e)) : std::move(e);
    }
    case TMagic::FreeAndNil: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        PExpr target = CheckVarArgument(nullptr, *aArgs[0], false);
        if (target->Type->IsError())
            return ErrorExpr(aPos);
        if (target->Type->Kind != TTypeKind::Class) {
            Error(aArgs[0]->StartPos(), QStringLiteral("Objekt erforderlich"));
            return ErrorExpr(aPos);
        }
        // the object goes when its last reference does; the variable becomes nil
        return std::make_unique<TClearNode>(voidType, aPos, std::move(target));
    }
    case TMagic::DecodeDate:
    case TMagic::DecodeTime: {
        const std::size_t parts = aMagic == TMagic::DecodeDate ? 3 : 4;
        if (!ArgCount(aArgs, parts + 1, parts + 1, aPos))
            return ErrorExpr(aPos);
        PExpr dt = arg(0, FTypes.Double());
        if (dt->Type->IsError())
            return ErrorExpr(aPos);
        std::vector<PExpr> targets;
        for (std::size_t i = 1; i <= parts; ++i) {
            targets.push_back(CheckVarArgument(nullptr, *aArgs[i], false));
            if (targets.back()->Type->IsError())
                return ErrorExpr(aPos);
            if (!targets.back()->Type->IsInteger()) {
                Incompatible(aArgs[i]->StartPos(), FTypes.Word(), *targets.back());
                return ErrorExpr(aPos);
            }
        }
        return std::make_unique<TDecodeNode>(voidType, aPos, std::move(dt), std::move(targets),
                                             aMagic == TMagic::DecodeTime);
    }
    case TMagic::Default: {
        if (!ArgCount(aArgs, 1, 1, aPos))
            return ErrorExpr(aPos);
        const TType* t = TypeArgument(*aArgs[0]);
        if (t == nullptr) {
            Error(aArgs[0]->StartPos(), QStringLiteral("Typbezeichner erwartet"));
            return ErrorExpr(aPos);
        }
        return MakeConst(t, aPos, t->Default);
    }
    case TMagic::FillChar: {
        if (!ArgCount(aArgs, 3, 3, aPos))
            return ErrorExpr(aPos);
        // FillChar(s[i], ...) starts inside a string or array: the container is the target
        const TAstExpr& first = *aArgs[0];
        PExpr start;
        PExpr target;
        if (first.Kind == TAstExprKind::Index && first.Args.size() == 1) {
            target = CheckVarArgument(nullptr, *first.Left, false);
            if (!target->Type->IsError() && (target->Type->IsString() || target->Type->IsArray()))
                start = Convert(CheckExpr(*first.Args[0]),
                                target->Type->Kind == TTypeKind::StaticArray ? target->Type->Index : integer,
                                first.Args[0]->StartPos());
            else
                target = CheckVarArgument(nullptr, first, false);
        } else {
            target = CheckVarArgument(nullptr, first, false);
        }
        PExpr count = arg(1, integer);
        PExpr value = CheckExpr(*aArgs[2]);
        if (failed({&target, &start, &count, &value}))
            return ErrorExpr(aPos);
        if (!value->Type->IsOrdinal()) {
            Incompatible(aArgs[2]->StartPos(), FTypes.Byte(), *value);
            return ErrorExpr(aPos);
        }
        const TType* t = target->Type;
        const bool simple =
            t->IsString() || (t->IsArray() && (t->Element->IsOrdinal() || t->Element->IsReal()));
        if (!simple) {
            Error(aArgs[0]->StartPos(),
                  QStringLiteral("FillChar gibt es hier nur für Strings und Arrays einfacher Elemente"));
            return ErrorExpr(aPos);
        }
        return std::make_unique<TFillCharNode>(voidType, aPos, std::move(target), std::move(start),
                                               std::move(count), std::move(value));
    }
    case TMagic::Exit:
    case TMagic::Break:
    case TMagic::Continue:
    case TMagic::Halt:
        Error(aPos,
              aStatement ? QStringLiteral("'%1' ist hier nicht erlaubt").arg(QLatin1String(MagicName(aMagic)))
                         : QStringLiteral("'%1' liefert keinen Wert").arg(QLatin1String(MagicName(aMagic))));
        return ErrorExpr(aPos);
    case TMagic::Count: break;
    }
    return ErrorExpr(aPos);
}

} // namespace pascal
