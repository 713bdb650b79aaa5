#pragma once

#include "pascal/Node.h"
#include "pascal/Program.h"

#include <vector>

// Calls of the script's own routines and of the host's.
namespace pascal {

class TCallNode final : public TExprNode
{
public:
    TCallNode(const TType* aType, TSourcePos aPos, const TRoutine* aRoutine, std::vector<PExpr> aArgs,
              int aStaticHops)
        : TExprNode(aType, aPos)
        , Routine(aRoutine)
        , Args(std::move(aArgs))
        , StaticHops(aStaticHops)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return Invoke(aRt).I; }
    double EvalReal(TRuntime& aRt) const override { return Invoke(aRt).R; }
    TValue Eval(TRuntime& aRt) const override { return Invoke(aRt); }
    TValue Invoke(TRuntime& aRt) const;

    const TRoutine* Routine; // the signature when called through Callee
    std::vector<PExpr> Args;
    const int StaticHops; // frames out to the routine's enclosing one; -1 for none
    PExpr Callee;         // a procedural value that names the routine at run time, or null
};

class THostCallNode final : public TExprNode
{
public:
    THostCallNode(const TType* aType, TSourcePos aPos, const TRoutine* aRoutine, std::vector<PExpr> aArgs)
        : TExprNode(aType, aPos)
        , Routine(aRoutine)
        , Args(std::move(aArgs))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return Invoke(aRt).I; }
    double EvalReal(TRuntime& aRt) const override { return Invoke(aRt).R; }
    TValue Eval(TRuntime& aRt) const override { return Invoke(aRt); }
    TValue Invoke(TRuntime& aRt) const;

    const TRoutine* Routine;
    std::vector<PExpr> Args;
};

// Converts a host value to a script value of aType, wrapping integers as an assignment would.
TValue FromHostValue(const THostValue& aValue, const TType* aType);

} // namespace pascal
