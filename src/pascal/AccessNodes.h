#pragma once

#include "pascal/HeapValues.h"
#include "pascal/Node.h"
#include "pascal/VarNodes.h"

// Array elements, record fields and characters of strings.
namespace pascal {

// a[i] of a static array (Low is the first index) or a dynamic one (Low = 0).
class TIndexNode final : public TExprNode
{
public:
    TIndexNode(const TType* aType, TSourcePos aPos, PExpr aBase, PExpr aIndex, qint64 aLow, bool aValueType)
        : TExprNode(aType, aPos, aBase->IsLValue)
        , Base(std::move(aBase))
        , Index(std::move(aIndex))
        , Low(aLow)
        , ValueType(aValueType)
    {
        // an array in a plain variable is found without asking its node
        if (auto* g = dynamic_cast<const TGlobalVarNode*>(Base.get())) {
            FBase = 1;
            FSlot = g->Slot;
        } else if (auto* l = dynamic_cast<const TLocalVarNode*>(Base.get())) {
            FBase = 2;
            FSlot = l->Slot;
        }
    }

    qint64 EvalInt(TRuntime& aRt) const override
    {
        if (!IsLValue)
            return Eval(aRt).I;
        return Read(aRt)->I;
    }
    double EvalReal(TRuntime& aRt) const override
    {
        if (!IsLValue)
            return Eval(aRt).R;
        return Read(aRt)->R;
    }
    TValue Eval(TRuntime& aRt) const override
    {
        if (IsLValue)
            return *Ref(aRt, false);
        const qint64 i = Index->EvalInt(aRt);
        TValue base = Base->Eval(aRt);
        return *Item(aRt, base.A, i);
    }
    TValue* Ref(TRuntime& aRt, bool aWrite) const override
    {
        const qint64 i = Index->EvalInt(aRt);
        TValue* base = FBase == 1 ? &aRt.Globals[FSlot]
            : FBase == 2          ? &aRt.Frame->Slots[FSlot]
                                  : Base->Ref(aRt, aWrite);
        TArrRec* arr = aWrite && ValueType ? UniqueArr(*base) : base->A;
        return Item(aRt, arr, i);
    }
    TValue* RefPinned(TRuntime& aRt, TArrRec*& aPin) const override
    {
        const qint64 i = Index->EvalInt(aRt);
        TValue* base = Base->Ref(aRt, true);
        TArrRec* arr = ValueType ? UniqueArr(*base) : base->A;
        TValue* item = Item(aRt, arr, i);
        PinArr(arr);
        aPin = arr;
        return item;
    }

    PExpr Base;
    PExpr Index;
    const qint64 Low;
    const bool ValueType; // static array: copy on write

private:
    int FBase = 0; // 1: a global variable, 2: a local of this routine, 0: anything else
    int FSlot = 0;

    const TValue* Read(TRuntime& aRt) const
    {
        const qint64 i = Index->EvalInt(aRt);
        const TValue* base = FBase == 1 ? &aRt.Globals[FSlot]
            : FBase == 2                ? &aRt.Frame->Slots[FSlot]
                                        : Base->Ref(aRt, false);
        return Item(aRt, base->A, i);
    }
    TValue* Item(TRuntime& aRt, TArrRec* aArr, qint64 aIndex) const
    {
        const quint64 i = quint64(aIndex) - quint64(Low);
        if (aArr == nullptr || i >= quint64(aArr->Count))
            aRt.IndexError(aIndex, Pos);
        return &aArr->Items()[i];
    }
};

// r.Field
class TFieldNode final : public TExprNode
{
public:
    TFieldNode(const TType* aType, TSourcePos aPos, PExpr aBase, int aIndex)
        : TExprNode(aType, aPos, aBase->IsLValue)
        , Base(std::move(aBase))
        , Index(aIndex)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override { return IsLValue ? Ref(aRt, false)->I : Eval(aRt).I; }
    double EvalReal(TRuntime& aRt) const override { return IsLValue ? Ref(aRt, false)->R : Eval(aRt).R; }
    TValue Eval(TRuntime& aRt) const override
    {
        if (IsLValue)
            return *Ref(aRt, false);
        TValue base = Base->Eval(aRt);
        return base.A->Items()[Index];
    }
    TValue* Ref(TRuntime& aRt, bool aWrite) const override
    {
        TValue* base = Base->Ref(aRt, aWrite);
        TArrRec* rec = aWrite ? UniqueArr(*base) : base->A;
        return &rec->Items()[Index];
    }
    TValue* RefPinned(TRuntime& aRt, TArrRec*& aPin) const override
    {
        TValue* base = Base->Ref(aRt, true);
        TArrRec* rec = UniqueArr(*base);
        PinArr(rec);
        aPin = rec;
        return &rec->Items()[Index];
    }

    PExpr Base;
    const int Index;
};

// s[i]: a character of a string, 1-based, checked.
class TStrIndexNode final : public TExprNode
{
public:
    TStrIndexNode(const TType* aType, TSourcePos aPos, PExpr aBase, PExpr aIndex)
        : TExprNode(aType, aPos)
        , Base(std::move(aBase))
        , Index(std::move(aIndex))
    {
        if (auto* g = dynamic_cast<const TGlobalVarNode*>(Base.get())) {
            FBase = 1;
            FSlot = g->Slot;
        } else if (auto* l = dynamic_cast<const TLocalVarNode*>(Base.get())) {
            FBase = 2;
            FSlot = l->Slot;
        }
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const qint64 i = Index->EvalInt(aRt);
        if (Base->IsLValue) {
            const TValue* s = FBase == 1 ? &aRt.Globals[FSlot]
                : FBase == 2             ? &aRt.Frame->Slots[FSlot]
                                         : Base->Ref(aRt, false);
            if (quint64(i) - 1 >= quint64(s->StrLength()))
                aRt.IndexError(i, Pos);
            return static_cast<unsigned char>(s->S->Data()[i - 1]);
        }
        const TStr s = Base->EvalStr(aRt);
        if (quint64(i) - 1 >= quint64(s.Length()))
            aRt.IndexError(i, Pos);
        return s.At(i - 1);
    }

    PExpr Base;
    PExpr Index;

private:
    int FBase = 0; // 1: a global variable, 2: a local of this routine, 0: anything else
    int FSlot = 0;
};

} // namespace pascal
