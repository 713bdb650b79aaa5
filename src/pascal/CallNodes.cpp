#include "pascal/CallNodes.h"

#include "base/VarnexError.h"
#include "pascal/HeapValues.h"

#include <cmath>
#include <exception>

namespace pascal {

namespace {

// Undoes a call's frame however the call ends.
struct TCallGuard
{
    TRuntime& Rt;
    TValue* Slots;
    int Count;
    TFrame* Saved;
    std::vector<TArrRec*> Pins;

    ~TCallGuard()
    {
        Rt.Frame = Saved;
        Rt.Stack.Pop(Slots, Count);
        Rt.LeaveCall();
        for (TArrRec* pin : Pins)
            UnpinArr(pin);
    }
};

} // namespace

TValue TCallNode::Invoke(TRuntime& aRt) const
{
    const TRoutine* routine = Routine;
    if (Callee) {
        routine = reinterpret_cast<const TRoutine*>(quintptr(Callee->EvalInt(aRt)));
        if (routine == nullptr)
            aRt.Raise("EAccessViolation", QStringLiteral("Zugriffsverletzung: die Prozedurvariable ist nil"),
                      Pos);
    }
    aRt.EnterCall(Pos);
    aRt.Tick(Pos);
    const TRoutine& r = *routine;
    const int count = int(r.SlotDefaults.size());
    TCallGuard guard{aRt, aRt.Stack.Push(r.SlotDefaults.data(), count), count, aRt.Frame, {}};
    TValue* frameSlots = guard.Slots;
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const TParamInfo& p = r.Params[i];
        if (p.IsByRef()) {
            TArrRec* pin = nullptr;
            frameSlots[i] = TValue::FromRef(Args[i]->RefPinned(aRt, pin));
            if (pin)
                guard.Pins.push_back(pin);
        } else {
            StoreValue(frameSlots[i], *Args[i], p.Type, aRt);
        }
    }
    TFrame frame{frameSlots, nullptr};
    if (StaticHops >= 0) {
        TFrame* outer = aRt.Frame;
        for (int i = 0; i < StaticHops; ++i)
            outer = outer->Outer;
        frame.Outer = outer;
    }
    aRt.Frame = &frame;
    if (r.Body)
        r.Body->Exec(aRt);
    if (r.ResultSlot >= 0)
        return std::move(frameSlots[r.ResultSlot]);
    return {};
}

TValue FromHostValue(const THostValue& aValue, const TType* aType)
{
    using K = THostValue::TKind;
    TValue v = aType->Default;
    switch (aType->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Enum:
    case TTypeKind::Char: {
        qint64 i = 0;
        if (aValue.Kind == K::Integer)
            i = aValue.Integer;
        else if (aValue.Kind == K::Boolean)
            i = aValue.Boolean;
        else if (aValue.Kind == K::Real && std::isfinite(aValue.Real) && std::fabs(aValue.Real) < 9.2e18)
            i = qint64(aValue.Real);
        else if (aValue.Kind == K::String && aType->Kind == TTypeKind::Char && !aValue.String.isEmpty())
            i = static_cast<unsigned char>(aValue.String.at(0));
        v.I = WrapInt(i, aType->IntKind);
        break;
    }
    case TTypeKind::Boolean:
        v.I = aValue.Kind == K::Boolean ? aValue.Boolean
            : aValue.Kind == K::Integer ? aValue.Integer != 0
                                        : 0;
        break;
    case TTypeKind::Real:
        v = TValue::FromReal(aValue.Kind == K::Real          ? aValue.Real
                                 : aValue.Kind == K::Integer ? double(aValue.Integer)
                                                             : 0.0);
        break;
    case TTypeKind::String:
        if (aValue.Kind == K::String)
            v = TValue::FromStr(TStr(aValue.String));
        else if (aValue.Kind == K::Integer)
            v = TValue::FromStr(TStr(QByteArray::number(aValue.Integer)));
        break;
    default: break;
    }
    return v;
}

TValue THostCallNode::Invoke(TRuntime& aRt) const
{
    aRt.Tick(Pos);
    const TRoutine& r = *Routine;
    QList<THostValue> args;
    args.reserve(qsizetype(Args.size()));
    for (std::size_t i = 0; i < Args.size(); ++i) {
        const TType* t = r.Params[i].Type;
        const TExprNode& a = *Args[i];
        switch (t->Kind) {
        case TTypeKind::Boolean: args.append(THostValue::FromBoolean(a.EvalInt(aRt) != 0)); break;
        case TTypeKind::Char: args.append(THostValue::FromString(QByteArray(1, char(a.EvalInt(aRt))))); break;
        case TTypeKind::Real: args.append(THostValue::FromReal(a.EvalReal(aRt))); break;
        case TTypeKind::String: args.append(THostValue::FromString(a.EvalStr(aRt).ToByteArray())); break;
        default: args.append(THostValue::FromInteger(WrapInt(a.EvalInt(aRt), t->IntKind))); break;
        }
    }
    THostValue result;
    try {
        result = r.Host(args);
    } catch (const EVarnexError& e) {
        aRt.Raise("Exception", e.Message(), Pos);
    } catch (const std::exception& e) {
        aRt.Raise("Exception", QString::fromLocal8Bit(e.what()), Pos);
    }
    aRt.Tick(Pos);
    if (!r.IsFunction)
        return {};
    if (r.ResultType->Kind == TTypeKind::String && result.String.size() > aRt.Limits.MaxStringOrArrayBytes)
        aRt.TooLarge(Pos);
    return FromHostValue(result, r.ResultType);
}

} // namespace pascal
