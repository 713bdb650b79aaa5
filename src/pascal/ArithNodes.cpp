#include "pascal/ArithNodes.h"

#include "pascal/VarNodes.h"

namespace pascal {

TOperand OperandKind(const TExprNode& aExpr, TOperandRef& aRef)
{
    if (const TValue* v = aExpr.ConstValue()) {
        if (aExpr.Type->IsOrdinal()) {
            aRef.Const = v->I;
            return TOperand::Const;
        }
        return TOperand::Node;
    }
    if (auto* g = dynamic_cast<const TGlobalVarNode*>(&aExpr)) {
        aRef.Slot = g->Slot;
        return TOperand::Global;
    }
    if (auto* l = dynamic_cast<const TLocalVarNode*>(&aExpr)) {
        aRef.Slot = l->Slot;
        return TOperand::Local;
    }
    return TOperand::Node;
}

namespace {

template <template <auto, TOperand, TOperand> class TNode, auto Op, TOperand L>
PExpr WithRight(TOperand aRight, const TType* aType, TSourcePos aPos, PExpr a, PExpr b, TOperandRef aL,
                TOperandRef aR)
{
    switch (aRight) {
    case TOperand::Const:
        return std::make_unique<TNode<Op, L, TOperand::Const>>(aType, aPos, std::move(a), std::move(b), aL,
                                                               aR);
    case TOperand::Global:
        return std::make_unique<TNode<Op, L, TOperand::Global>>(aType, aPos, std::move(a), std::move(b), aL,
                                                                aR);
    case TOperand::Local:
        return std::make_unique<TNode<Op, L, TOperand::Local>>(aType, aPos, std::move(a), std::move(b), aL,
                                                               aR);
    default:
        return std::make_unique<TNode<Op, L, TOperand::Node>>(aType, aPos, std::move(a), std::move(b), aL,
                                                              aR);
    }
}

template <template <auto, TOperand, TOperand> class TNode, auto Op>
PExpr Specialised(const TType* aType, TSourcePos aPos, PExpr a, PExpr b)
{
    TOperandRef l;
    TOperandRef r;
    TOperand lk = OperandKind(*a, l);
    TOperand rk = OperandKind(*b, r);
    if (lk == TOperand::Const && rk == TOperand::Const) // folded by the checker anyway
        lk = TOperand::Node;
    switch (lk) {
    case TOperand::Global:
        return WithRight<TNode, Op, TOperand::Global>(rk, aType, aPos, std::move(a), std::move(b), l, r);
    case TOperand::Local:
        return WithRight<TNode, Op, TOperand::Local>(rk, aType, aPos, std::move(a), std::move(b), l, r);
    case TOperand::Const:
        return WithRight<TNode, Op, TOperand::Const>(rk, aType, aPos, std::move(a), std::move(b), l, r);
    default: return WithRight<TNode, Op, TOperand::Node>(rk, aType, aPos, std::move(a), std::move(b), l, r);
    }
}

template <auto Op, TOperand L, TOperand R>
using TIntBin = TIntBinNode<Op, L, R>;
template <auto Op, TOperand L, TOperand R>
using TIntCmp = TIntCmpNode<Op, L, R>;

} // namespace

PExpr MakeIntBinary(TIntOp aOp, const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    if ((aOp == TIntOp::Div || aOp == TIntOp::Mod) && !aLeft->ConstValue())
        if (const TValue* v = aRight->ConstValue())
            if (v->I > 1 && (v->I & (v->I - 1)) == 0)
                aOp = aOp == TIntOp::Div ? TIntOp::DivPow2 : TIntOp::ModPow2;
    switch (aOp) {
#define VARNEX_CASE(O)                                                                                       \
    case TIntOp::O: return Specialised<TIntBin, TIntOp::O>(aType, aPos, std::move(aLeft), std::move(aRight));
        VARNEX_CASE(Add)
        VARNEX_CASE(Sub)
        VARNEX_CASE(Mul)
        VARNEX_CASE(Div)
        VARNEX_CASE(Mod)
        VARNEX_CASE(And)
        VARNEX_CASE(Or)
        VARNEX_CASE(Xor)
        VARNEX_CASE(Shl32S)
        VARNEX_CASE(Shl32U)
        VARNEX_CASE(Shr32S)
        VARNEX_CASE(Shr32U)
        VARNEX_CASE(Shl64)
        VARNEX_CASE(Shr64)
        VARNEX_CASE(DivPow2)
        VARNEX_CASE(ModPow2)
        VARNEX_CASE(UDiv)
        VARNEX_CASE(UMod)
#undef VARNEX_CASE
    }
    return nullptr;
}

PExpr MakeIntCompare(TCmpOp aOp, const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight)
{
    switch (aOp) {
#define VARNEX_CASE(O)                                                                                       \
    case TCmpOp::O: return Specialised<TIntCmp, TCmpOp::O>(aType, aPos, std::move(aLeft), std::move(aRight));
        VARNEX_CASE(Eq)
        VARNEX_CASE(Ne)
        VARNEX_CASE(Lt)
        VARNEX_CASE(Gt)
        VARNEX_CASE(Le)
        VARNEX_CASE(Ge)
#undef VARNEX_CASE
    }
    return nullptr;
}

} // namespace pascal
