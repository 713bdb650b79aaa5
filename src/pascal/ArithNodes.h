#pragma once

#include "pascal/Node.h"

#include <cmath>
#include <limits>

// Operators on integers, reals and booleans. Integers are computed in 64 bits and wrap as
// two's complement; the checker picks the shift width and whether a result is signed the
// way Free Pascal types the operands.
namespace pascal {

enum class TIntOp : unsigned char {
    Add,
    Sub,
    Mul,
    Div,
    Mod,
    And,
    Or,
    Xor,
    Shl32S,
    Shl32U,
    Shr32S,
    Shr32U,
    Shl64,
    Shr64,
    DivPow2,
    ModPow2, // by a constant power of two: no division instruction
    UDiv,
    UMod, // QWord operands
};

enum class TCmpOp : unsigned char { Eq, Ne, Lt, Gt, Le, Ge };

template <class T>
inline bool Compare(TCmpOp aOp, T a, T b)
{
    switch (aOp) {
    case TCmpOp::Eq: return a == b;
    case TCmpOp::Ne: return a != b;
    case TCmpOp::Lt: return a < b;
    case TCmpOp::Gt: return a > b;
    case TCmpOp::Le: return a <= b;
    case TCmpOp::Ge: return a >= b;
    }
    return false;
}

class TBinaryNode : public TExprNode
{
public:
    TBinaryNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight)
        : TExprNode(aType, aPos)
        , Left(std::move(aLeft))
        , Right(std::move(aRight))
    {
    }
    PExpr Left;
    PExpr Right;
};

// Operands that are plain variables or constants are read in place instead of through a
// virtual call: most integer expressions in loops look like "crc shr 8" or "i mod 256".
enum class TOperand : unsigned char { Node, Const, Global, Local };

struct TOperandRef
{
    qint64 Const = 0;
    int Slot = 0;
};

template <TOperand K>
inline qint64 LoadInt(const TExprNode* aNode, const TOperandRef& aRef, TRuntime& aRt)
{
    if constexpr (K == TOperand::Node)
        return aNode->EvalInt(aRt);
    else if constexpr (K == TOperand::Const)
        return aRef.Const;
    else if constexpr (K == TOperand::Global)
        return aRt.Globals[aRef.Slot].I;
    else
        return aRt.Frame->Slots[aRef.Slot].I;
}

template <TIntOp Op>
inline qint64 ApplyInt(qint64 a, qint64 b, TRuntime& aRt, TSourcePos aPos)
{
    const quint64 ua = quint64(a);
    const quint64 ub = quint64(b);
    switch (Op) {
    case TIntOp::Add: return qint64(ua + ub);
    case TIntOp::Sub: return qint64(ua - ub);
    case TIntOp::Mul: return qint64(ua * ub);
    case TIntOp::Div:
        if (b == 0)
            aRt.DivByZero(aPos);
        if (b == -1)
            return qint64(0 - ua);
        return a / b;
    case TIntOp::Mod:
        if (b == 0)
            aRt.DivByZero(aPos);
        if (b == -1)
            return 0;
        return a % b;
    case TIntOp::And: return a & b;
    case TIntOp::Or: return a | b;
    case TIntOp::Xor: return a ^ b;
    case TIntOp::Shl32S: return qint32(quint32(ua) << (ub & 31));
    case TIntOp::Shl32U: return quint32(quint32(ua) << (ub & 31));
    case TIntOp::Shr32S: return qint32(quint32(ua) >> (ub & 31));
    case TIntOp::Shr32U: return quint32(quint32(ua) >> (ub & 31));
    case TIntOp::Shl64: return qint64(ua << (ub & 63));
    case TIntOp::Shr64: return qint64(ua >> (ub & 63));
    case TIntOp::DivPow2: {
        // truncating toward zero: negative values are rounded up before the shift
        const qint64 biased = qint64(ua + ((a >> 63) & qint64(ub - 1)));
        return biased >> __builtin_ctzll(ub);
    }
    case TIntOp::ModPow2: {
        const qint64 r = a & qint64(ub - 1);
        return a < 0 && r != 0 ? r - b : r;
    }
    case TIntOp::UDiv:
        if (b == 0)
            aRt.DivByZero(aPos);
        return qint64(ua / ub);
    case TIntOp::UMod:
        if (b == 0)
            aRt.DivByZero(aPos);
        return qint64(ua % ub);
    }
    return 0;
}

template <TIntOp Op, TOperand L = TOperand::Node, TOperand R = TOperand::Node>
class TIntBinNode final : public TBinaryNode
{
public:
    TIntBinNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight, TOperandRef aL = {},
                TOperandRef aR = {})
        : TBinaryNode(aType, aPos, std::move(aLeft), std::move(aRight))
        , FL(aL)
        , FR(aR)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 a = LoadInt<L>(Left.get(), FL, aRt);
        const qint64 b = LoadInt<R>(Right.get(), FR, aRt);
        return ApplyInt<Op>(a, b, aRt, Pos);
    }

private:
    const TOperandRef FL;
    const TOperandRef FR;
};

template <TCmpOp Op, TOperand L = TOperand::Node, TOperand R = TOperand::Node>
class TIntCmpNode final : public TBinaryNode
{
public:
    TIntCmpNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight, TOperandRef aL = {},
                TOperandRef aR = {})
        : TBinaryNode(aType, aPos, std::move(aLeft), std::move(aRight))
        , FL(aL)
        , FR(aR)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 a = LoadInt<L>(Left.get(), FL, aRt);
        return Compare(Op, a, LoadInt<R>(Right.get(), FR, aRt));
    }

private:
    const TOperandRef FL;
    const TOperandRef FR;
};

// The node for an integer operator, specialised for the kinds of its operands.
PExpr MakeIntBinary(TIntOp aOp, const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight);
PExpr MakeIntCompare(TCmpOp aOp, const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight);
// How an operand can be read: in place, or through its node.
TOperand OperandKind(const TExprNode& aExpr, TOperandRef& aRef);

enum class TRealOp : unsigned char { Add, Sub, Mul, Div };

template <TRealOp Op>
class TRealBinNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    double EvalReal(TRuntime& aRt) const override
    {
        const double a = Left->EvalReal(aRt);
        const double b = Right->EvalReal(aRt);
        double r = 0;
        switch (Op) {
        case TRealOp::Add: r = a + b; break;
        case TRealOp::Sub: r = a - b; break;
        case TRealOp::Mul: r = a * b; break;
        case TRealOp::Div:
            if (b == 0) {
                if (a == 0 || std::isnan(a))
                    aRt.InvalidFloat(Pos);
                aRt.Raise("EZeroDivide", QStringLiteral("Gleitkommadivision durch Null"), Pos);
            }
            r = a / b;
            break;
        }
        if (!std::isfinite(r))
            CheckResult(aRt, r);
        return r;
    }
    TValue Eval(TRuntime& aRt) const override { return TValue::FromReal(EvalReal(aRt)); }

private:
    void CheckResult(TRuntime& aRt, double aResult) const
    {
        if (std::isnan(aResult))
            aRt.InvalidFloat(Pos);
        aRt.Raise("EOverflow", QStringLiteral("Gleitkommaüberlauf"), Pos);
    }
};

template <TCmpOp Op>
class TRealCmpNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const double a = Left->EvalReal(aRt);
        return Compare(Op, a, Right->EvalReal(aRt));
    }
};

// Boolean and/or evaluate the right side only when it matters ($B-).
class TAndNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        return Left->EvalInt(aRt) != 0 && Right->EvalInt(aRt) != 0;
    }
};

class TOrNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        return Left->EvalInt(aRt) != 0 || Right->EvalInt(aRt) != 0;
    }
};

class TBoolXorNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const bool a = Left->EvalInt(aRt) != 0;
        return a != (Right->EvalInt(aRt) != 0);
    }
};

enum class TUnaryOp : unsigned char { IntNeg, IntNot, BoolNot, RealNeg };

template <TUnaryOp Op>
class TUnaryNode final : public TExprNode
{
public:
    TUnaryNode(const TType* aType, TSourcePos aPos, PExpr aOperand)
        : TExprNode(aType, aPos)
        , Operand(std::move(aOperand))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 v = Operand->EvalInt(aRt);
        switch (Op) {
        case TUnaryOp::IntNeg: return qint64(0 - quint64(v));
        case TUnaryOp::IntNot: return WrapInt(~v, Type->IntKind);
        case TUnaryOp::BoolNot: return v == 0;
        default: return 0;
        }
    }
    double EvalReal(TRuntime& aRt) const override
    {
        if (Op == TUnaryOp::RealNeg)
            return -Operand->EvalReal(aRt);
        return double(EvalInt(aRt));
    }
    TValue Eval(TRuntime& aRt) const override
    {
        return Op == TUnaryOp::RealNeg ? TValue::FromReal(EvalReal(aRt)) : TValue::FromInt(EvalInt(aRt));
    }

    PExpr Operand;
};

} // namespace pascal
