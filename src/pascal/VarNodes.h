#pragma once

#include "pascal/Node.h"

// Constants, variables and the conversions the checker inserts between types.
namespace pascal {

class TConstNode : public TExprNode
{
public:
    TConstNode(const TType* aType, TSourcePos aPos, TValue aValue)
        : TExprNode(aType, aPos)
        , Value(std::move(aValue))
    {
    }
    qint64 EvalInt(TRuntime&) const override { return Value.I; }
    double EvalReal(TRuntime&) const override
    {
        return Type->Kind == TTypeKind::Real ? Value.R : double(Value.I);
    }
    TStr EvalStr(TRuntime&) const override
    {
        return Type->Kind == TTypeKind::Char ? TStr::Char(char(Value.I)) : Value.Str();
    }
    TValue Eval(TRuntime&) const override { return Value; }
    const TValue* ConstValue() const override { return &Value; }

    TValue Value;
};

class TGlobalVarNode : public TExprNode
{
public:
    TGlobalVarNode(const TType* aType, TSourcePos aPos, int aSlot)
        : TExprNode(aType, aPos, true)
        , Slot(aSlot)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return aRt.Globals[Slot].I; }
    double EvalReal(TRuntime& aRt) const override { return aRt.Globals[Slot].R; }
    TValue* Ref(TRuntime& aRt, bool) const override { return &aRt.Globals[Slot]; }

    const int Slot;
};

class TLocalVarNode : public TExprNode
{
public:
    TLocalVarNode(const TType* aType, TSourcePos aPos, int aSlot)
        : TExprNode(aType, aPos, true)
        , Slot(aSlot)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return aRt.Frame->Slots[Slot].I; }
    double EvalReal(TRuntime& aRt) const override { return aRt.Frame->Slots[Slot].R; }
    TValue* Ref(TRuntime& aRt, bool) const override { return &aRt.Frame->Slots[Slot]; }

    const int Slot;
};

// A variable of an enclosing routine, Hops frames out.
class TOuterVarNode : public TExprNode
{
public:
    TOuterVarNode(const TType* aType, TSourcePos aPos, int aHops, int aSlot)
        : TExprNode(aType, aPos, true)
        , Hops(aHops)
        , Slot(aSlot)
    {
    }
    TValue* Ref(TRuntime& aRt, bool) const override
    {
        TFrame* f = aRt.Frame;
        for (int i = 0; i < Hops; ++i)
            f = f->Outer;
        return &f->Slots[Slot];
    }

    const int Hops;
    const int Slot;
};

// A var parameter: the slot holds the address of the caller's value.
class TVarParamNode : public TExprNode
{
public:
    TVarParamNode(const TType* aType, TSourcePos aPos, int aHops, int aSlot)
        : TExprNode(aType, aPos, true)
        , Hops(aHops)
        , Slot(aSlot)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return Ref(aRt, false)->I; }
    TValue* Ref(TRuntime& aRt, bool) const override
    {
        TFrame* f = aRt.Frame;
        for (int i = 0; i < Hops; ++i)
            f = f->Outer;
        return f->Slots[Slot].P;
    }

    const int Hops;
    const int Slot;
};

class TIntToRealNode : public TExprNode
{
public:
    TIntToRealNode(const TType* aType, PExpr aSource)
        : TExprNode(aType, aSource->Pos)
        , Source(std::move(aSource))
        , Unsigned(Source->Type->IntKind == TIntKind::U64)
    {
    }
    double EvalReal(TRuntime& aRt) const override
    {
        const qint64 v = Source->EvalInt(aRt);
        return Unsigned ? double(quint64(v)) : double(v);
    }
    TValue Eval(TRuntime& aRt) const override { return TValue::FromReal(EvalReal(aRt)); }

    PExpr Source;
    const bool Unsigned; // a QWord: its bits are read unsigned
};

class TCharToStrNode : public TExprNode
{
public:
    TCharToStrNode(const TType* aType, PExpr aSource)
        : TExprNode(aType, aSource->Pos)
        , Source(std::move(aSource))
    {
    }
    TStr EvalStr(TRuntime& aRt) const override { return TStr::Char(char(Source->EvalInt(aRt))); }

    PExpr Source;
};

// An ordinal typecast such as Byte(x) or Char(n): the value wraps to the new type.
class TOrdCastNode : public TExprNode
{
public:
    TOrdCastNode(const TType* aType, TSourcePos aPos, PExpr aSource)
        : TExprNode(aType, aPos)
        , Source(std::move(aSource))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 v = Source->EvalInt(aRt);
        return Type->Kind == TTypeKind::Boolean ? v != 0 : WrapInt(v, Type->IntKind);
    }

    PExpr Source;
};

// A value seen as another type without conversion (string(s), a record as its own alias).
class TRetypeNode : public TExprNode
{
public:
    TRetypeNode(const TType* aType, PExpr aSource)
        : TExprNode(aType, aSource->Pos, aSource->IsLValue)
        , Source(std::move(aSource))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return Source->EvalInt(aRt); }
    double EvalReal(TRuntime& aRt) const override { return Source->EvalReal(aRt); }
    TStr EvalStr(TRuntime& aRt) const override { return Source->EvalStr(aRt); }
    TValue Eval(TRuntime& aRt) const override { return Source->Eval(aRt); }
    TValue* Ref(TRuntime& aRt, bool aWrite) const override { return Source->Ref(aRt, aWrite); }
    TValue* RefPinned(TRuntime& aRt, TArrRec*& aPin) const override { return Source->RefPinned(aRt, aPin); }

    PExpr Source;
};

} // namespace pascal
