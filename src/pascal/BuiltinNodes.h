#pragma once

#include "pascal/Builtins.h"
#include "pascal/Node.h"

#include <vector>

// Nodes of the built-in routines the checker types itself: generic over their argument
// types, with var arguments, or too hot for the generic call.
namespace pascal {

// A routine of BuiltinFuncs(): arguments converted to the declared types, then the call.
class TBuiltinCallNode final : public TExprNode
{
public:
    TBuiltinCallNode(const TType* aType, TSourcePos aPos, TBuiltinFn aFn, std::vector<PExpr> aArgs,
                     std::vector<const TType*> aParamTypes)
        : TExprNode(aType, aPos)
        , Fn(aFn)
        , Args(std::move(aArgs))
        , ParamTypes(std::move(aParamTypes))
    {
    }
    TValue Eval(TRuntime& aRt) const override;
    qint64 EvalInt(TRuntime& aRt) const override { return Eval(aRt).I; }
    double EvalReal(TRuntime& aRt) const override { return Eval(aRt).R; }

    TBuiltinFn Fn;
    std::vector<PExpr> Args;
    std::vector<const TType*> ParamTypes;
};

// Length(s), Length(a), High(s) (= Length), High(a) (= Length - 1): Offset is added.
class TLengthNode final : public TExprNode
{
public:
    TLengthNode(const TType* aType, TSourcePos aPos, PExpr aArg, qint64 aOffset)
        : TExprNode(aType, aPos)
        , Arg(std::move(aArg))
        , Offset(aOffset)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;

    PExpr Arg;
    const qint64 Offset;
};

// SetLength(s, n) and SetLength(a, n [, m ...]) for (nested) dynamic arrays.
class TSetLengthNode final : public TExprNode
{
public:
    TSetLengthNode(const TType* aType, TSourcePos aPos, PExpr aTarget, std::vector<PExpr> aLengths)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
        , Lengths(std::move(aLengths))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Target;
    std::vector<PExpr> Lengths;

private:
    void Resize(TRuntime& aRt, TValue& aValue, const TType* aType, const qint64* aLengths,
                std::size_t aCount) const;
};

// Inc(x [, n]), Dec(x [, n])
class TIncDecNode final : public TExprNode
{
public:
    TIncDecNode(const TType* aType, TSourcePos aPos, PExpr aTarget, PExpr aStep, bool aDec)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
        , Step(std::move(aStep))
        , Dec(aDec)
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Target;
    PExpr Step; // null: 1
    const bool Dec;
};

// Copy(s, index [, count]) on strings
class TCopyNode final : public TExprNode
{
public:
    TCopyNode(const TType* aType, TSourcePos aPos, PExpr aSource, PExpr aIndex, PExpr aCount)
        : TExprNode(aType, aPos)
        , Source(std::move(aSource))
        , Index(std::move(aIndex))
        , Count(std::move(aCount))
    {
    }
    TStr EvalStr(TRuntime& aRt) const override;

    PExpr Source;
    PExpr Index;
    PExpr Count; // null: the rest
};

// Copy(a, index [, count]) on dynamic arrays
class TCopyArrNode final : public TExprNode
{
public:
    TCopyArrNode(const TType* aType, TSourcePos aPos, PExpr aSource, PExpr aIndex, PExpr aCount)
        : TExprNode(aType, aPos)
        , Source(std::move(aSource))
        , Index(std::move(aIndex))
        , Count(std::move(aCount))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Source;
    PExpr Index; // null: from the start
    PExpr Count; // null: the rest
};

// Pos(sub, s [, offset])
class TPosNode final : public TExprNode
{
public:
    TPosNode(const TType* aType, TSourcePos aPos, PExpr aSub, PExpr aText, PExpr aOffset)
        : TExprNode(aType, aPos)
        , Sub(std::move(aSub))
        , Text(std::move(aText))
        , Offset(std::move(aOffset))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;

    PExpr Sub;
    PExpr Text;
    PExpr Offset;
};

// Delete(s, index, count)
class TDeleteNode final : public TExprNode
{
public:
    TDeleteNode(const TType* aType, TSourcePos aPos, PExpr aTarget, PExpr aIndex, PExpr aCount)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
        , Index(std::move(aIndex))
        , Count(std::move(aCount))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Target;
    PExpr Index;
    PExpr Count;
};

// Insert(source, s, index)
class TInsertNode final : public TExprNode
{
public:
    TInsertNode(const TType* aType, TSourcePos aPos, PExpr aSource, PExpr aTarget, PExpr aIndex)
        : TExprNode(aType, aPos)
        , Source(std::move(aSource))
        , Target(std::move(aTarget))
        , Index(std::move(aIndex))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Source;
    PExpr Target;
    PExpr Index;
};

// Include(set, x), Exclude(set, x)
class TIncludeNode final : public TExprNode
{
public:
    TIncludeNode(const TType* aType, TSourcePos aPos, PExpr aTarget, PExpr aElement, bool aInclude)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
        , Element(std::move(aElement))
        , Include(aInclude)
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Target;
    PExpr Element;
    const bool Include;
};

// Format(fmt, [args]) and Exception.CreateFmt
class TFormatNode final : public TExprNode
{
public:
    TFormatNode(const TType* aType, TSourcePos aPos, PExpr aFormat, std::vector<PExpr> aArgs,
                PExpr aList = nullptr)
        : TExprNode(aType, aPos)
        , Format(std::move(aFormat))
        , Args(std::move(aArgs))
        , List(std::move(aList))
    {
    }
    TStr EvalStr(TRuntime& aRt) const override;

    PExpr Format;
    std::vector<PExpr> Args;
    PExpr List; // instead of Args: an "array of const" value
};

// [a, b, ...] given to an "array of const" parameter: each value with its kind
// (TFormatArg::TKind), two items per value.
class TConstArrayNode final : public TExprNode
{
public:
    TConstArrayNode(const TType* aType, TSourcePos aPos, std::vector<PExpr> aItems)
        : TExprNode(aType, aPos)
        , Items(std::move(aItems))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    std::vector<PExpr> Items;
};

// Random, Random(n)
class TRandomNode final : public TExprNode
{
public:
    TRandomNode(const TType* aType, TSourcePos aPos, PExpr aRange)
        : TExprNode(aType, aPos)
        , Range(std::move(aRange))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;
    double EvalReal(TRuntime& aRt) const override;

    PExpr Range;
};

// Round (to even, as Delphi) and Trunc
class TRoundNode final : public TExprNode
{
public:
    TRoundNode(const TType* aType, TSourcePos aPos, PExpr aArg, bool aTrunc)
        : TExprNode(aType, aPos)
        , Arg(std::move(aArg))
        , Trunc(aTrunc)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;

    PExpr Arg;
    const bool Trunc;
};

// Abs, Sqr, Min, Max on integers or reals
class TMathNode final : public TExprNode
{
public:
    enum class TOp : unsigned char { Abs, Sqr, Min, Max };
    TMathNode(const TType* aType, TSourcePos aPos, TOp aOp, PExpr aA, PExpr aB)
        : TExprNode(aType, aPos)
        , Op(aOp)
        , A(std::move(aA))
        , B(std::move(aB))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;
    double EvalReal(TRuntime& aRt) const override;

    const TOp Op;
    PExpr A;
    PExpr B;
};

// IfThen(Condition, IfTrue, IfFalse) of Math (numbers) and StrUtils (strings): a function,
// so both values are evaluated, then one is chosen.
class TIfThenNode final : public TExprNode
{
public:
    TIfThenNode(const TType* aType, TSourcePos aPos, PExpr aCond, PExpr aTrue, PExpr aFalse)
        : TExprNode(aType, aPos)
        , Cond(std::move(aCond))
        , IfTrue(std::move(aTrue))
        , IfFalse(std::move(aFalse))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;
    double EvalReal(TRuntime& aRt) const override;
    TStr EvalStr(TRuntime& aRt) const override;
    TValue Eval(TRuntime& aRt) const override;

    PExpr Cond;
    PExpr IfTrue;
    PExpr IfFalse;
};

class TAssertNode final : public TExprNode
{
public:
    TAssertNode(const TType* aType, TSourcePos aPos, PExpr aCond, PExpr aMessage)
        : TExprNode(aType, aPos)
        , Cond(std::move(aCond))
        , Message(std::move(aMessage))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Cond;
    PExpr Message;
};

// TryStrToInt, TryStrToInt64, TryStrToFloat; Val(s, v, code)
class TTryParseNode final : public TExprNode
{
public:
    TTryParseNode(const TType* aType, TSourcePos aPos, PExpr aText, PExpr aTarget, PExpr aCode)
        : TExprNode(aType, aPos)
        , Text(std::move(aText))
        , Target(std::move(aTarget))
        , Code(std::move(aCode))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;
    TValue Eval(TRuntime& aRt) const override { return TValue::FromInt(EvalInt(aRt)); }

    PExpr Text;
    PExpr Target;
    PExpr Code; // Val's error position, or null
};

// Str(x, s)
class TStrProcNode final : public TExprNode
{
public:
    TStrProcNode(const TType* aType, TSourcePos aPos, PExpr aValue, PExpr aTarget, PExpr aWidth,
                 PExpr aDecimals)
        : TExprNode(aType, aPos)
        , Value(std::move(aValue))
        , Target(std::move(aTarget))
        , Width(std::move(aWidth))
        , Decimals(std::move(aDecimals))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Value;
    PExpr Target;
    PExpr Width;    // may be null
    PExpr Decimals; // may be null
};

class TIntToHexNode final : public TExprNode
{
public:
    TIntToHexNode(const TType* aType, TSourcePos aPos, PExpr aValue, PExpr aDigits, bool a64)
        : TExprNode(aType, aPos)
        , Value(std::move(aValue))
        , Digits(std::move(aDigits))
        , Is64(a64)
    {
    }
    TStr EvalStr(TRuntime& aRt) const override;

    PExpr Value;
    PExpr Digits;
    const bool Is64;
};

// DecodeDate(dt, y, m, d), DecodeTime(dt, h, n, s, ms)
class TDecodeNode final : public TExprNode
{
public:
    TDecodeNode(const TType* aType, TSourcePos aPos, PExpr aDateTime, std::vector<PExpr> aTargets, bool aTime)
        : TExprNode(aType, aPos)
        , DateTime(std::move(aDateTime))
        , Targets(std::move(aTargets))
        , Time(aTime)
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr DateTime;
    std::vector<PExpr> Targets;
    const bool Time;
};

// Sets a variable back to its type's empty value (FreeAndNil).
class TClearNode final : public TExprNode
{
public:
    TClearNode(const TType* aType, TSourcePos aPos, PExpr aTarget)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
    {
    }
    TValue Eval(TRuntime& aRt) const override
    {
        *Target->Ref(aRt, true) = Target->Type->Default;
        return {};
    }

    PExpr Target;
};

// A static array handed to an open array parameter. By value: a copy of its items (the
// routine may change them); by reference: the caller's own items, unshared first.
class TOpenArrayNode final : public TExprNode
{
public:
    TOpenArrayNode(const TType* aType, PExpr aSource, bool aCopy)
        : TExprNode(aType, aSource->Pos, !aCopy)
        , Source(std::move(aSource))
        , Copy(aCopy)
    {
    }
    TValue Eval(TRuntime& aRt) const override;
    TValue* Ref(TRuntime& aRt, bool aWrite) const override;
    TValue* RefPinned(TRuntime& aRt, TArrRec*& aPin) const override;

    PExpr Source;
    const bool Copy;
};

// FillChar(x, count, value) on strings and arrays of simple elements: every element the
// count covers gets the value's byte in each of its bytes.
class TFillCharNode final : public TExprNode
{
public:
    TFillCharNode(const TType* aType, TSourcePos aPos, PExpr aTarget, PExpr aStart, PExpr aCount,
                  PExpr aValue)
        : TExprNode(aType, aPos)
        , Target(std::move(aTarget))
        , Start(std::move(aStart))
        , Count(std::move(aCount))
        , Value(std::move(aValue))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Target;
    PExpr Start; // FillChar(s[i], ...) / FillChar(a[i], ...): where to begin; null: at the start
    PExpr Count;
    PExpr Value;
};

// An array constructor [a, b, c] for an open array parameter.
class TArrayCtorNode final : public TExprNode
{
public:
    TArrayCtorNode(const TType* aType, TSourcePos aPos, std::vector<PExpr> aItems)
        : TExprNode(aType, aPos)
        , Items(std::move(aItems))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    std::vector<PExpr> Items;
};

} // namespace pascal
