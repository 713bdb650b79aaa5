#pragma once

#include "pascal/Runtime.h"
#include "pascal/SourcePos.h"
#include "pascal/Types.h"
#include "pascal/Value.h"

#include <memory>

// The executable form of a script: a tree of typed nodes. The checker has resolved every
// name to a slot and every operator to the node for its operand types, so evaluating is a
// virtual call per node with no lookups and no type tests.
namespace pascal {

class TExprNode
{
public:
    TExprNode(const TType* aType, TSourcePos aPos, bool aIsLValue = false)
        : Type(aType)
        , Pos(aPos)
        , IsLValue(aIsLValue)
    {
    }
    virtual ~TExprNode() = default;
    TExprNode(const TExprNode&) = delete;
    TExprNode& operator=(const TExprNode&) = delete;

    // Ordinals (integers, Char, Boolean, enumerations).
    virtual qint64 EvalInt(TRuntime& aRt) const;
    virtual double EvalReal(TRuntime& aRt) const;
    virtual TStr EvalStr(TRuntime& aRt) const;
    // Any type; arrays, records, sets and objects come only this way.
    virtual TValue Eval(TRuntime& aRt) const;
    // Lvalues: where the value lives. With aWrite the caller is about to change it, so
    // shared (copy-on-write) containers on the way are unshared first.
    virtual TValue* Ref(TRuntime& aRt, bool aWrite) const;
    // As Ref(aRt, true) for a var argument; a container the value lives in comes back
    // pinned in aPin (null for plain variables) so the callee cannot free it under it.
    virtual TValue* RefPinned(TRuntime& aRt, TArrRec*& aPin) const
    {
        aPin = nullptr;
        return Ref(aRt, true);
    }
    // A constant folded at compile time.
    virtual const TValue* ConstValue() const { return nullptr; }

    const TType* Type;
    TSourcePos Pos;
    const bool IsLValue;
};

using PExpr = std::unique_ptr<TExprNode>;

// Stands above every so many levels of a deep expression (a long chain a + b + c ...) and
// makes sure the machine stack has room for the levels below before they are evaluated.
class TStackGuardNode final : public TExprNode
{
public:
    // Room asked for per level below: generous, so that a build with larger frames is safe too.
    static constexpr qint64 kBytesPerLevel = 4096;

    TStackGuardNode(PExpr aInner, int aLevels)
        : TExprNode(aInner->Type, aInner->Pos)
        , Inner(std::move(aInner))
        , FBytes(qint64(aLevels) * kBytesPerLevel)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        aRt.EnsureStack(FBytes, Pos);
        return Inner->EvalInt(aRt);
    }
    double EvalReal(TRuntime& aRt) const override
    {
        aRt.EnsureStack(FBytes, Pos);
        return Inner->EvalReal(aRt);
    }
    TStr EvalStr(TRuntime& aRt) const override
    {
        aRt.EnsureStack(FBytes, Pos);
        return Inner->EvalStr(aRt);
    }
    TValue Eval(TRuntime& aRt) const override
    {
        aRt.EnsureStack(FBytes, Pos);
        return Inner->Eval(aRt);
    }

    PExpr Inner;

private:
    qint64 FBytes;
};

enum class TFlow : unsigned char { Normal, Break, Continue, Exit };

class TStmtNode
{
public:
    explicit TStmtNode(TSourcePos aPos)
        : Pos(aPos)
    {
    }
    virtual ~TStmtNode() = default;
    TStmtNode(const TStmtNode&) = delete;
    TStmtNode& operator=(const TStmtNode&) = delete;

    virtual TFlow Exec(TRuntime& aRt) const = 0;

    TSourcePos Pos;
};

using PStmt = std::unique_ptr<TStmtNode>;

// Stores aSource into aTarget as an assignment to a variable of type aType does (integers
// wrap to the type, Single rounds, strings and containers are shared).
void StoreValue(TValue& aTarget, const TExprNode& aSource, const TType* aType, TRuntime& aRt);
// A string[N] holds N characters at most: what is longer is cut, as Free Pascal cuts it.
void CutString(TValue& aValue, qint64 aLength);
// Converts a ready value the same way.
void StoreConverted(TValue& aTarget, TValue&& aSource, const TType* aType);

} // namespace pascal
