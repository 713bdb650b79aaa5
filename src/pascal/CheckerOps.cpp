// Operators: which node an operator becomes for the types of its operands.
#include "pascal/Checker.h"

#include "pascal/AccessNodes.h"
#include "pascal/ArithNodes.h"
#include "pascal/BuiltinNodes.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/HeapValues.h"
#include "pascal/SetNodes.h"
#include "pascal/StringNodes.h"
#include "pascal/VarNodes.h"

#include <limits>

namespace pascal {

namespace {

TCmpOp CmpOf(TTokenKind aOp)
{
    switch (aOp) {
    case TTokenKind::Equal: return TCmpOp::Eq;
    case TTokenKind::NotEqual: return TCmpOp::Ne;
    case TTokenKind::Less: return TCmpOp::Lt;
    case TTokenKind::Greater: return TCmpOp::Gt;
    case TTokenKind::LessEqual: return TCmpOp::Le;
    default: return TCmpOp::Ge;
    }
}

template <template <TCmpOp> class TNode>
PExpr MakeCmp(TCmpOp aOp, const TType* aType, TSourcePos aPos, PExpr a, PExpr b)
{
    switch (aOp) {
    case TCmpOp::Eq: return std::make_unique<TNode<TCmpOp::Eq>>(aType, aPos, std::move(a), std::move(b));
    case TCmpOp::Ne: return std::make_unique<TNode<TCmpOp::Ne>>(aType, aPos, std::move(a), std::move(b));
    case TCmpOp::Lt: return std::make_unique<TNode<TCmpOp::Lt>>(aType, aPos, std::move(a), std::move(b));
    case TCmpOp::Gt: return std::make_unique<TNode<TCmpOp::Gt>>(aType, aPos, std::move(a), std::move(b));
    case TCmpOp::Le: return std::make_unique<TNode<TCmpOp::Le>>(aType, aPos, std::move(a), std::move(b));
    case TCmpOp::Ge: return std::make_unique<TNode<TCmpOp::Ge>>(aType, aPos, std::move(a), std::move(b));
    }
    return nullptr;
}

template <TIntOp Op>
PExpr IntNode(const TType* aType, TSourcePos aPos, PExpr a, PExpr b)
{
    return MakeIntBinary(Op, aType, aPos, std::move(a), std::move(b));
}

int KindSize(TIntKind k)
{
    return TTypes::KindSize(k);
}

// Division with a QWord stays unsigned only while neither operand can be negative.
bool NeverNegative(const TExprNode& aExpr)
{
    if (IsUnsignedKind(aExpr.Type->IntKind))
        return true;
    const TValue* v = aExpr.ConstValue();
    return v && v->I >= 0;
}

} // namespace

// ---- operators ---------------------------------------------------------------------------

PExpr TChecker::OperandError(TSourcePos aPos, const TExprNode& aLeft, const TExprNode* aRight)
{
    if (!aLeft.Type->IsError() && !(aRight && aRight->Type->IsError()))
        Error(aPos, QStringLiteral("Operator ist auf diesen Operandentyp nicht anwendbar"));
    return ErrorExpr(aPos);
}

PExpr TChecker::CheckBinary(const TAstExpr& aExpr)
{
    if (aExpr.Op == TTokenKind::kwIn)
        return CheckIn(aExpr);
    if (aExpr.Op == TTokenKind::kwIs)
        return CheckIs(aExpr);
    PExpr left = CheckExpr(*aExpr.Left);
    // a set constructor on the right takes its element type from the left
    PExpr right = CheckExpr(*aExpr.Right, left->Type->Kind == TTypeKind::Set ? left->Type : nullptr);
    if (left->Type->IsError() || right->Type->IsError())
        return ErrorExpr(aExpr.Pos);
    switch (aExpr.Op) {
    case TTokenKind::Plus:
    case TTokenKind::Minus:
    case TTokenKind::Star:
    case TTokenKind::Slash:
    case TTokenKind::kwDiv:
    case TTokenKind::kwMod: return CheckArithmetic(aExpr.Op, aExpr.Pos, std::move(left), std::move(right));
    case TTokenKind::kwAnd:
    case TTokenKind::kwOr:
    case TTokenKind::kwXor: return CheckLogical(aExpr.Op, aExpr.Pos, std::move(left), std::move(right));
    case TTokenKind::kwShl:
    case TTokenKind::kwShr: return CheckShift(aExpr.Op, aExpr.Pos, std::move(left), std::move(right));
    default: return CheckRelational(aExpr.Op, aExpr.Pos, std::move(left), std::move(right));
    }
}

PExpr TChecker::CheckArithmetic(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    const TType* lt = aLeft->Type;
    const TType* rt = aRight->Type;
    const bool bothConst = IsConst(*aLeft) && IsConst(*aRight);
    if (aOp == TTokenKind::Plus && lt->IsStringLike() && rt->IsStringLike())
        return MakeConcat(aPos, std::move(aLeft), std::move(aRight));
    if (lt->Kind == TTypeKind::Set && rt->Kind == TTypeKind::Set
        && (aOp == TTokenKind::Plus || aOp == TTokenKind::Minus || aOp == TTokenKind::Star)) {
        const TSetOp op = aOp == TTokenKind::Plus ? TSetOp::Union
            : aOp == TTokenKind::Minus            ? TSetOp::Difference
                                                  : TSetOp::Intersection;
        PExpr e = std::make_unique<TSetOpNode>(lt, aPos, std::move(aLeft), std::move(aRight), op);
        return bothConst ? Fold(std::move(e)) : std::move(e);
    }
    if (lt->IsInteger() && rt->IsInteger() && aOp != TTokenKind::Slash) {
        // Free Pascal on 64-bit targets computes integer arithmetic in 64 bits
        const TType* t = FTypes.Int64();
        bool unsignedDivision = false;
        if (QWordOperation(lt, rt)) {
            t = FTypes.QWord();
            if (aOp == TTokenKind::kwDiv || aOp == TTokenKind::kwMod) {
                unsignedDivision = NeverNegative(*aLeft) && NeverNegative(*aRight);
                if (!unsignedDivision)
                    t = FTypes.Int64(); // a QWord div a signed Integer divides signed
            }
        }
        PExpr e;
        switch (aOp) {
        case TTokenKind::Plus: e = IntNode<TIntOp::Add>(t, aPos, std::move(aLeft), std::move(aRight)); break;
        case TTokenKind::Minus: e = IntNode<TIntOp::Sub>(t, aPos, std::move(aLeft), std::move(aRight)); break;
        case TTokenKind::Star: e = IntNode<TIntOp::Mul>(t, aPos, std::move(aLeft), std::move(aRight)); break;
        case TTokenKind::kwDiv:
            e = unsignedDivision ? IntNode<TIntOp::UDiv>(t, aPos, std::move(aLeft), std::move(aRight))
                                 : IntNode<TIntOp::Div>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        default:
            e = unsignedDivision ? IntNode<TIntOp::UMod>(t, aPos, std::move(aLeft), std::move(aRight))
                                 : IntNode<TIntOp::Mod>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        }
        return bothConst ? Fold(std::move(e), true) : std::move(e);
    }
    if (lt->IsNumeric() && rt->IsNumeric()) {
        if (aOp == TTokenKind::kwDiv || aOp == TTokenKind::kwMod)
            return OperandError(aPos, *aLeft, aRight.get());
        const TType* t = FTypes.Double();
        aLeft = Convert(std::move(aLeft), t, aPos);
        aRight = Convert(std::move(aRight), t, aPos);
        PExpr e;
        switch (aOp) {
        case TTokenKind::Plus:
            e = std::make_unique<TRealBinNode<TRealOp::Add>>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        case TTokenKind::Minus:
            e = std::make_unique<TRealBinNode<TRealOp::Sub>>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        case TTokenKind::Star:
            e = std::make_unique<TRealBinNode<TRealOp::Mul>>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        default:
            e = std::make_unique<TRealBinNode<TRealOp::Div>>(t, aPos, std::move(aLeft), std::move(aRight));
            break;
        }
        return bothConst ? Fold(std::move(e)) : std::move(e);
    }
    return OperandError(aPos, *aLeft, aRight.get());
}

const TType* TChecker::LogicalType(const TType* a, const TType* b) const
{
    // and/or/xor are not widened to 64 bits: same signedness gives the larger type, mixed
    // signedness a signed type larger than the unsigned operand
    const TIntKind ka = a->IntKind;
    const TIntKind kb = b->IntKind;
    if (QWordOperation(a, b))
        return FTypes.QWord();
    if (ka == TIntKind::S64 || kb == TIntKind::S64 || ka == TIntKind::U64 || kb == TIntKind::U64)
        return FTypes.Int64();
    const bool ua = IsUnsignedKind(ka);
    const bool ub = IsUnsignedKind(kb);
    const int sa = KindSize(ka);
    const int sb = KindSize(kb);
    if (ua == ub) {
        const TIntKind k = sa >= sb ? ka : kb;
        return FTypes.IntType(k);
    }
    const int unsignedSize = ua ? sa : sb;
    const int signedSize = ua ? sb : sa;
    const int size = std::max(unsignedSize * 2, signedSize);
    return FTypes.IntType(size <= 2 ? TIntKind::S16 : size <= 4 ? TIntKind::S32 : TIntKind::S64);
}

PExpr TChecker::CheckLogical(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    const TType* lt = aLeft->Type;
    const TType* rt = aRight->Type;
    const bool bothConst = IsConst(*aLeft) && IsConst(*aRight);
    if (lt->Kind == TTypeKind::Boolean && rt->Kind == TTypeKind::Boolean) {
        const TType* t = FTypes.Boolean();
        PExpr e;
        if (aOp == TTokenKind::kwAnd)
            e = std::make_unique<TAndNode>(t, aPos, std::move(aLeft), std::move(aRight));
        else if (aOp == TTokenKind::kwOr)
            e = std::make_unique<TOrNode>(t, aPos, std::move(aLeft), std::move(aRight));
        else
            e = std::make_unique<TBoolXorNode>(t, aPos, std::move(aLeft), std::move(aRight));
        return bothConst ? Fold(std::move(e)) : std::move(e);
    }
    if (lt->IsInteger() && rt->IsInteger()) {
        const TType* t = LogicalType(lt, rt);
        PExpr e;
        if (aOp == TTokenKind::kwAnd)
            e = IntNode<TIntOp::And>(t, aPos, std::move(aLeft), std::move(aRight));
        else if (aOp == TTokenKind::kwOr)
            e = IntNode<TIntOp::Or>(t, aPos, std::move(aLeft), std::move(aRight));
        else
            e = IntNode<TIntOp::Xor>(t, aPos, std::move(aLeft), std::move(aRight));
        return bothConst ? Fold(std::move(e), true) : std::move(e);
    }
    return OperandError(aPos, *aLeft, aRight.get());
}

PExpr TChecker::CheckShift(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    if (!aLeft->Type->IsInteger() || !aRight->Type->IsInteger())
        return OperandError(aPos, *aLeft, aRight.get());
    const bool shl = aOp == TTokenKind::kwShl;
    if (IsConst(*aLeft) && IsConst(*aRight)) {
        // constants are shifted in 64 bits, as the compiler folds them
        PExpr e = shl ? IntNode<TIntOp::Shl64>(FTypes.Int64(), aPos, std::move(aLeft), std::move(aRight))
                      : IntNode<TIntOp::Shr64>(FTypes.Int64(), aPos, std::move(aLeft), std::move(aRight));
        return Fold(std::move(e), true);
    }
    const TIntKind k = aLeft->Type->IntKind;
    if (k == TIntKind::S64 || k == TIntKind::U64) {
        const TType* t = FTypes.IntType(k);
        return shl ? IntNode<TIntOp::Shl64>(t, aPos, std::move(aLeft), std::move(aRight))
                   : IntNode<TIntOp::Shr64>(t, aPos, std::move(aLeft), std::move(aRight));
    }
    // smaller operands shift in 32 bits and keep their signedness
    if (IsUnsignedKind(k))
        return shl ? IntNode<TIntOp::Shl32U>(FTypes.Cardinal(), aPos, std::move(aLeft), std::move(aRight))
                   : IntNode<TIntOp::Shr32U>(FTypes.Cardinal(), aPos, std::move(aLeft), std::move(aRight));
    return shl ? IntNode<TIntOp::Shl32S>(FTypes.Integer(), aPos, std::move(aLeft), std::move(aRight))
               : IntNode<TIntOp::Shr32S>(FTypes.Integer(), aPos, std::move(aLeft), std::move(aRight));
}

bool TChecker::OrdinalCompatible(const TType* a, const TType* b) const
{
    if (!a->IsOrdinal() || !b->IsOrdinal())
        return false;
    if (a->Kind == TTypeKind::Integer && b->Kind == TTypeKind::Integer)
        return true;
    return a->Kind == b->Kind && a->Base == b->Base;
}

PExpr TChecker::CheckRelational(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    const TType* lt = aLeft->Type;
    const TType* rt = aRight->Type;
    const TType* b = FTypes.Boolean();
    const TCmpOp op = CmpOf(aOp);
    const bool bothConst = IsConst(*aLeft) && IsConst(*aRight);
    PExpr e;
    if (OrdinalCompatible(lt, rt)) {
        // a QWord compares unsigned with anything but a signed Int64 variable
        const bool unsignedOrder = QWordOperation(lt, rt)
            || (lt->IntKind == TIntKind::U64 && NeverNegative(*aRight) && rt->IsInteger())
            || (rt->IntKind == TIntKind::U64 && NeverNegative(*aLeft) && lt->IsInteger());
        if (unsignedOrder && op != TCmpOp::Eq && op != TCmpOp::Ne) {
            // unsigned order: with the sign bits flipped a signed comparison gives it
            const qint64 sign = std::numeric_limits<qint64>::min();
            aLeft = IntNode<TIntOp::Xor>(FTypes.Int64(), aPos, std::move(aLeft), MakeIntConst(sign, aPos));
            aRight = IntNode<TIntOp::Xor>(FTypes.Int64(), aPos, std::move(aRight), MakeIntConst(sign, aPos));
        }
        e = MakeIntCompare(op, b, aPos, std::move(aLeft), std::move(aRight));
    } else if (lt->IsNumeric() && rt->IsNumeric()) {
        aLeft = Convert(std::move(aLeft), FTypes.Double(), aPos);
        aRight = Convert(std::move(aRight), FTypes.Double(), aPos);
        e = MakeCmp<TRealCmpNode>(op, b, aPos, std::move(aLeft), std::move(aRight));
    } else if (lt->IsStringLike() && rt->IsStringLike()) {
        e = MakeCmp<TStrCmpNode>(op, b, aPos, std::move(aLeft), std::move(aRight));
    } else if (lt->Kind == TTypeKind::Set && rt->Kind == TTypeKind::Set
               && (op == TCmpOp::Eq || op == TCmpOp::Ne || op == TCmpOp::Le || op == TCmpOp::Ge)) {
        e = std::make_unique<TSetCmpNode>(b, aPos, std::move(aLeft), std::move(aRight), op);
    } else if ((lt->Kind == TTypeKind::Class || lt->Kind == TTypeKind::Nil)
               && (rt->Kind == TTypeKind::Class || rt->Kind == TTypeKind::Nil)
               && (op == TCmpOp::Eq || op == TCmpOp::Ne)) {
        e = std::make_unique<TObjEqualNode>(b, aPos, std::move(aLeft), std::move(aRight), op == TCmpOp::Ne);
    } else if ((lt->Kind == TTypeKind::DynArray && rt->Kind == TTypeKind::Nil)
               && (op == TCmpOp::Eq || op == TCmpOp::Ne)) {
        PExpr len = std::make_unique<TLengthNode>(FTypes.Integer(), aPos, std::move(aLeft), 0);
        return MakeIntCompare(op, b, aPos, std::move(len), MakeIntConst(0, aPos));
    } else {
        Error(aPos,
              QStringLiteral("Inkompatible Typen: '%1' und '%2'").arg(TypeName(*aLeft), TypeName(*aRight)));
        return ErrorExpr(aPos);
    }
    return bothConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckIn(const TAstExpr& aExpr)
{
    PExpr element = CheckExpr(*aExpr.Left);
    const TType* expected = nullptr;
    if (element->Type->IsOrdinal())
        expected =
            FTypes.NewSet(element->Type->Kind == TTypeKind::Integer ? FTypes.Byte() : element->Type->Base);
    PExpr set = CheckExpr(*aExpr.Right, expected);
    if (element->Type->IsError() || set->Type->IsError())
        return ErrorExpr(aExpr.Pos);
    if (set->Type->Kind != TTypeKind::Set) {
        Error(aExpr.Right->StartPos(),
              QStringLiteral("Mengentyp erforderlich, aber '%1' gefunden").arg(TypeName(*set)));
        return ErrorExpr(aExpr.Pos);
    }
    if (!element->Type->IsOrdinal() || !OrdinalCompatible(element->Type, set->Type->Element)) {
        Error(aExpr.Left->StartPos(),
              QStringLiteral("Inkompatible Typen: '%1' und '%2'")
                  .arg(TypeName(*element), set->Type->Element->Name));
        return ErrorExpr(aExpr.Pos);
    }
    const TType* b = FTypes.Boolean();
    if (const TValue* v = set->ConstValue()) {
        PExpr e = std::make_unique<TInConstNode>(b, aExpr.Pos, std::move(element), SetBitsOf(*v));
        const bool fold = IsConst(*static_cast<TInConstNode&>(*e).Element);
        return fold ? Fold(std::move(e)) : std::move(e);
    }
    return std::make_unique<TInNode>(b, aExpr.Pos, std::move(element), std::move(set));
}

PExpr TChecker::CheckIs(const TAstExpr& aExpr)
{
    PExpr object = CheckExpr(*aExpr.Left);
    const TType* cls = nullptr;
    if (aExpr.Right->Kind == TAstExprKind::Ident) {
        TSymbol* sym = Resolve(aExpr.Right->Name);
        if (sym == nullptr)
            return ErrorExpr(aExpr.Pos);
        if (sym->Kind == TSymKind::Type && sym->Type->Kind == TTypeKind::Class)
            cls = sym->Type;
    }
    if (cls == nullptr) {
        Error(aExpr.Right->StartPos(), QStringLiteral("Klassentyp erwartet"));
        return ErrorExpr(aExpr.Pos);
    }
    if (object->Type->IsError())
        return ErrorExpr(aExpr.Pos);
    if (object->Type->Kind != TTypeKind::Class)
        return OperandError(aExpr.Pos, *object, nullptr);
    return std::make_unique<TIsNode>(FTypes.Boolean(), aExpr.Pos, std::move(object), cls->Class);
}

PExpr TChecker::MakeConcat(TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    constexpr std::size_t kMaxParts = 16;
    const bool bothConst = IsConst(*aLeft) && IsConst(*aRight);
    std::vector<PExpr> parts;
    auto take = [&](PExpr aPart) {
        auto* concat = dynamic_cast<TConcatNode*>(aPart.get());
        if (concat && parts.size() + concat->Parts.size() <= kMaxParts) {
            for (PExpr& p : concat->Parts)
                parts.push_back(std::move(p));
        } else {
            parts.push_back(std::move(aPart));
        }
    };
    take(std::move(aLeft));
    if (parts.size() >= kMaxParts) {
        PExpr packed = std::make_unique<TConcatNode>(FTypes.String(), aPos, std::move(parts));
        parts.clear();
        parts.push_back(std::move(packed));
    }
    take(std::move(aRight));
    PExpr e = std::make_unique<TConcatNode>(FTypes.String(), aPos, std::move(parts));
    return bothConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckUnary(const TAstExpr& aExpr)
{
    PExpr e = CheckExpr(*aExpr.Left);
    const TType* t = e->Type;
    if (t->IsError())
        return e;
    const bool isConst = IsConst(*e);
    PExpr r;
    switch (aExpr.Op) {
    case TTokenKind::Minus:
        if (t->IsInteger()) {
            // the negation of a QWord is a QWord, as Free Pascal types it
            const TType* rt = t->IntKind == TIntKind::U64 ? FTypes.QWord() : FTypes.Int64();
            r = std::make_unique<TUnaryNode<TUnaryOp::IntNeg>>(rt, aExpr.Pos, std::move(e));
            return isConst ? Fold(std::move(r), true) : std::move(r);
        }
        if (t->IsReal()) {
            r = std::make_unique<TUnaryNode<TUnaryOp::RealNeg>>(FTypes.Double(), aExpr.Pos, std::move(e));
            return isConst ? Fold(std::move(r)) : std::move(r);
        }
        break;
    case TTokenKind::Plus:
        if (t->IsNumeric())
            return e;
        break;
    default: // not
        if (t->Kind == TTypeKind::Boolean) {
            r = std::make_unique<TUnaryNode<TUnaryOp::BoolNot>>(FTypes.Boolean(), aExpr.Pos, std::move(e));
            return isConst ? Fold(std::move(r)) : std::move(r);
        }
        if (t->IsInteger()) {
            // not keeps the operand's size: not of a Word is a Word
            r = std::make_unique<TUnaryNode<TUnaryOp::IntNot>>(FTypes.IntType(t->IntKind), aExpr.Pos,
                                                               std::move(e));
            return isConst ? Fold(std::move(r)) : std::move(r);
        }
        break;
    }
    return OperandError(aExpr.Pos, *e, nullptr);
}

} // namespace pascal
