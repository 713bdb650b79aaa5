#include "pascal/StmtNodes.h"

#include "pascal/HeapValues.h"
#include "pascal/StringListNodes.h"
#include "pascal/VarNodes.h"

#include <algorithm>

namespace pascal {

TFlow TExprStmt::Exec(TRuntime& aRt) const
{
    aRt.CurrentPos = Pos;
    Expr->Eval(aRt);
    return TFlow::Normal;
}

namespace {

TAssignNode::TMode ModeFor(const TType* aType)
{
    using M = TAssignNode::TMode;
    switch (aType->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enum: return M::Int;
    case TTypeKind::Boolean: return M::Bool;
    case TTypeKind::Real: return aType->Single || aType->Currency ? M::Single : M::Real;
    case TTypeKind::String: return aType->High > 0 ? M::ShortStr : M::Str;
    default: return M::Value;
    }
}

} // namespace

TAssignNode::TAssignNode(TSourcePos aPos, PExpr aTarget, PExpr aSource)
    : TStmtNode(aPos)
    , Target(std::move(aTarget))
    , Source(std::move(aSource))
    , Mode(ModeFor(Target->Type))
    , Kind(Target->Type->IntKind)
{
    if (auto* g = dynamic_cast<const TGlobalVarNode*>(Target.get())) {
        FTarget = 1;
        FSlot = g->Slot;
    } else if (auto* l = dynamic_cast<const TLocalVarNode*>(Target.get())) {
        FTarget = 2;
        FSlot = l->Slot;
    }
}

TFlow TAssignNode::Exec(TRuntime& aRt) const
{
    aRt.CurrentPos = Pos;
    switch (Mode) {
    case TMode::Int: {
        const qint64 v = Source->EvalInt(aRt);
        Place(aRt)->I = WrapInt(v, Kind);
        break;
    }
    case TMode::Bool: {
        const qint64 v = Source->EvalInt(aRt) != 0;
        Place(aRt)->I = v;
        break;
    }
    case TMode::Real: {
        const double v = Source->EvalReal(aRt);
        Place(aRt)->R = v;
        break;
    }
    case TMode::Single: {
        const double v = StoredReal(Target->Type, Source->EvalReal(aRt));
        Place(aRt)->R = v;
        break;
    }
    case TMode::Str: {
        TStr v = Source->EvalStr(aRt);
        Place(aRt)->SetStr(std::move(v));
        break;
    }
    case TMode::ShortStr: {
        TStr v = Source->EvalStr(aRt);
        TValue* place = Place(aRt);
        place->SetStr(std::move(v));
        CutString(*place, Target->Type->High);
        break;
    }
    case TMode::Value: {
        TValue v = Source->Eval(aRt);
        *Place(aRt) = std::move(v);
        break;
    }
    }
    return TFlow::Normal;
}

TFlow TAssignCharNode::Exec(TRuntime& aRt) const
{
    aRt.CurrentPos = Pos;
    const char c = char(Source->EvalInt(aRt));
    const qint64 i = Index->EvalInt(aRt);
    TValue* s = String->Ref(aRt, true);
    if (quint64(i) - 1 >= quint64(s->StrLength()))
        aRt.IndexError(i, Pos);
    if (s->S->Ref > 1) {
        TStr copy = s->Str();
        copy.Unique();
        s->SetStr(std::move(copy));
    }
    s->S->Data()[i - 1] = c;
    return TFlow::Normal;
}

TFlow TAppendNode::Exec(TRuntime& aRt) const
{
    aRt.CurrentPos = Pos;
    if (Parts.size() == 1 && Parts[0]->Type->Kind == TTypeKind::Char) {
        const char c = char(Parts[0]->EvalInt(aRt));
        TValue* target = Target->Ref(aRt, true);
        aRt.CheckSize(target->StrLength() + 1, Pos);
        TStr s = TStr::Adopt(std::exchange(target->S, nullptr));
        s.AppendChar(c);
        target->S = s.Detach();
        return TFlow::Normal;
    }
    std::vector<TStr> parts;
    parts.reserve(Parts.size());
    qint64 added = 0;
    for (const PExpr& p : Parts) {
        parts.push_back(p->EvalStr(aRt));
        added += parts.back().Length();
    }
    TValue* target = Target->Ref(aRt, true);
    aRt.CheckSize(target->StrLength() + added, Pos);
    aRt.Charge(added, Pos);
    TStr s = TStr::Adopt(std::exchange(target->S, nullptr));
    s.Reserve(s.Length() + added);
    for (const TStr& p : parts)
        s.Append(p);
    target->S = s.Detach();
    return TFlow::Normal;
}

TFlow TWhileNode::Exec(TRuntime& aRt) const
{
    while (Cond->EvalInt(aRt) != 0) {
        aRt.Tick(Pos);
        if (Body) {
            const TFlow f = Body->Exec(aRt);
            if (f == TFlow::Break)
                break;
            if (f == TFlow::Exit)
                return f;
        }
    }
    return TFlow::Normal;
}

TFlow TRepeatNode::Exec(TRuntime& aRt) const
{
    for (;;) {
        aRt.Tick(Pos);
        for (const PStmt& s : Body) {
            const TFlow f = s->Exec(aRt);
            if (f == TFlow::Break)
                return TFlow::Normal;
            if (f == TFlow::Exit)
                return f;
            if (f == TFlow::Continue)
                break;
        }
        if (Cond->EvalInt(aRt) != 0)
            return TFlow::Normal;
    }
}

TFlow TForNode::Exec(TRuntime& aRt) const
{
    const qint64 from = From->EvalInt(aRt);
    const qint64 to = To->EvalInt(aRt);
    if (Down ? from < to : from > to)
        return TFlow::Normal;
    TValue* v = Var->Ref(aRt, true);
    const TIntKind kind = Var->Type->IntKind;
    for (qint64 i = from;; Down ? --i : ++i) {
        v->I = WrapInt(i, kind);
        aRt.Tick(Pos);
        if (Body) {
            const TFlow f = Body->Exec(aRt);
            if (f == TFlow::Break)
                break;
            if (f == TFlow::Exit)
                return f;
        }
        if (i == to)
            break;
    }
    return TFlow::Normal;
}

TFlow TForInNode::Exec(TRuntime& aRt) const
{
    const TType* ct = Collection->Type;
    auto step = [&](TFlow& aFlow) {
        aRt.Tick(Pos);
        aFlow = Body ? Body->Exec(aRt) : TFlow::Normal;
        return aFlow != TFlow::Break && aFlow != TFlow::Exit;
    };
    TFlow f = TFlow::Normal;
    if (ct->Kind == TTypeKind::String) {
        const TStr s = Collection->EvalStr(aRt);
        for (qint64 i = 0; i < s.Length(); ++i) {
            Var->Ref(aRt, true)->I = s.At(i);
            if (!step(f))
                break;
        }
    } else if (ct->Kind == TTypeKind::Set) {
        const TValue set = Collection->Eval(aRt);
        for (qint64 e = 0; e < 256; ++e) {
            if (!SetHas(set.St, e))
                continue;
            Var->Ref(aRt, true)->I = e;
            if (!step(f))
                break;
        }
    } else {
        // an array, or the items of a list as they are when the loop starts
        const TValue arr = ct->Kind == TTypeKind::StringList ? ListItems(Collection->Eval(aRt), aRt, Pos)
                                                             : Collection->Eval(aRt);
        const qint64 n = ArrCount(arr);
        for (qint64 i = 0; i < n; ++i) {
            TValue item = arr.A->Items()[i];
            StoreConverted(*Var->Ref(aRt, true), std::move(item), Var->Type);
            if (!step(f))
                break;
        }
    }
    return f == TFlow::Exit ? f : TFlow::Normal;
}

TCaseNode::TCaseNode(TSourcePos aPos, PExpr aSelector, std::vector<TRange> aRanges,
                     std::vector<PStmt> aBranches, PStmt aElse)
    : TStmtNode(aPos)
    , Selector(std::move(aSelector))
    , Ranges(std::move(aRanges))
    , Branches(std::move(aBranches))
    , Else(std::move(aElse))
{
    std::sort(Ranges.begin(), Ranges.end(), [](const TRange& a, const TRange& b) { return a.Low < b.Low; });
    if (!Ranges.empty()) {
        const qint64 low = Ranges.front().Low;
        qint64 high = low;
        for (const TRange& r : Ranges)
            high = std::max(high, r.High);
        if (high >= low && quint64(high) - quint64(low) < 1024) {
            FTableLow = low;
            FTable.assign(std::size_t(high - low + 1), -1);
            for (const TRange& r : Ranges)
                for (qint64 v = r.Low; v <= r.High; ++v)
                    FTable[std::size_t(v - low)] = r.Branch;
        }
    }
}

TFlow TCaseNode::Exec(TRuntime& aRt) const
{
    const qint64 v = Selector->EvalInt(aRt);
    int branch = -1;
    if (!FTable.empty()) {
        const quint64 i = quint64(v - FTableLow);
        if (i < FTable.size())
            branch = FTable[i];
    } else {
        auto it = std::upper_bound(Ranges.begin(), Ranges.end(), v,
                                   [](qint64 x, const TRange& r) { return x < r.Low; });
        if (it != Ranges.begin() && v <= std::prev(it)->High)
            branch = std::prev(it)->Branch;
    }
    if (branch >= 0) {
        const PStmt& s = Branches[std::size_t(branch)];
        return s ? s->Exec(aRt) : TFlow::Normal;
    }
    return Else ? Else->Exec(aRt) : TFlow::Normal;
}

TFlow TStrCaseNode::Exec(TRuntime& aRt) const
{
    const TStr v = Selector->EvalStr(aRt);
    for (const TLabel& l : Labels) {
        if (TStr::Compare(v, l.Low) >= 0 && TStr::Compare(v, l.High) <= 0) {
            const PStmt& s = Branches[std::size_t(l.Branch)];
            return s ? s->Exec(aRt) : TFlow::Normal;
        }
    }
    return Else ? Else->Exec(aRt) : TFlow::Normal;
}

TIfNode::~TIfNode()
{
    // The links of an else-if chain are freed one after another, not each inside the last.
    PStmt next = std::move(Else);
    while (auto* link = dynamic_cast<TIfNode*>(next.get())) {
        PStmt after = std::move(link->Else);
        link->ElseIf = nullptr;
        next = std::move(after);
    }
}

} // namespace pascal
