#pragma once

#include "pascal/ArithNodes.h"
#include "pascal/HeapValues.h"
#include "pascal/Node.h"

#include <array>
#include <vector>

// Sets of small ordinals (0..255): constructors, membership, union, difference, intersection.
namespace pascal {

using TSetBits = std::array<quint64, 4>;

inline void SetBitRange(TSetBits& aBits, qint64 aLow, qint64 aHigh)
{
    if (aLow < 0)
        aLow = 0;
    if (aHigh > 255)
        aHigh = 255;
    for (qint64 v = aLow; v <= aHigh; ++v)
        aBits[std::size_t(v >> 6)] |= quint64(1) << (v & 63);
}

TValue MakeSetValue(const TSetBits& aBits);
TSetBits SetBitsOf(const TValue& aValue);

// [a, b..c] with elements known only at run time.
class TSetCtorNode final : public TExprNode
{
public:
    struct TElement
    {
        PExpr Low;
        PExpr High; // null for a single element
    };
    TSetCtorNode(const TType* aType, TSourcePos aPos, std::vector<TElement> aElements)
        : TExprNode(aType, aPos)
        , Elements(std::move(aElements))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    std::vector<TElement> Elements;
};

// x in [constant set]: a bit test.
class TInConstNode final : public TExprNode
{
public:
    TInConstNode(const TType* aType, TSourcePos aPos, PExpr aElement, const TSetBits& aBits)
        : TExprNode(aType, aPos)
        , Element(std::move(aElement))
        , Bits(aBits)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 v = Element->EvalInt(aRt);
        return quint64(v) < 256 && (Bits[std::size_t(v >> 6)] >> (v & 63) & 1) != 0;
    }

    PExpr Element;
    TSetBits Bits;
};

class TInNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 v = Left->EvalInt(aRt);
        const TValue set = Right->Eval(aRt);
        return SetHas(set.St, v);
    }
};

enum class TSetOp : unsigned char { Union, Difference, Intersection };

class TSetOpNode final : public TBinaryNode
{
public:
    TSetOpNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight, TSetOp aOp)
        : TBinaryNode(aType, aPos, std::move(aLeft), std::move(aRight))
        , Op(aOp)
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    const TSetOp Op;
};

class TSetCmpNode final : public TBinaryNode
{
public:
    TSetCmpNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight, TCmpOp aOp)
        : TBinaryNode(aType, aPos, std::move(aLeft), std::move(aRight))
        , Op(aOp)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;

    const TCmpOp Op;
};

} // namespace pascal
