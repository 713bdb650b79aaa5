#pragma once

#include "pascal/ArithNodes.h"
#include "pascal/Node.h"

#include <algorithm>
#include <vector>

// String concatenation and comparison.
namespace pascal {

// a + b + c ...: the parts of a chain of '+' on strings and characters, built in one go.
class TConcatNode final : public TExprNode
{
public:
    TConcatNode(const TType* aType, TSourcePos aPos, std::vector<PExpr> aParts)
        : TExprNode(aType, aPos)
        , Parts(std::move(aParts))
    {
    }
    TStr EvalStr(TRuntime& aRt) const override;

    std::vector<PExpr> Parts;
};

// Compares strings (a Char operand counts as a string of one character).
template <TCmpOp Op>
class TStrCmpNode final : public TBinaryNode
{
public:
    using TBinaryNode::TBinaryNode;
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const TStr a = Left->EvalStr(aRt);
        const TStr b = Right->EvalStr(aRt);
        if (a.Length() > 4096 && b.Length() > 4096)
            aRt.Charge(std::min(a.Length(), b.Length()), Pos);
        return pascal::Compare(Op, TStr::Compare(a, b), 0);
    }
};

} // namespace pascal
