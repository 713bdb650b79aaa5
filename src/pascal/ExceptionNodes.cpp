#include "pascal/ExceptionNodes.h"

#include "pascal/HeapValues.h"

namespace pascal {

namespace {

// Keeps the exception being handled visible to a bare "raise" while its handler runs.
struct THandlingGuard
{
    TRuntime& Rt;
    THandlingGuard(TRuntime& aRt, const EScriptError& aError)
        : Rt(aRt)
    {
        Rt.Handling.push_back(aError);
    }
    ~THandlingGuard() { Rt.Handling.pop_back(); }
};

const TExcRec* ObjectOf(const TValue& aValue)
{
    return aValue.K == TVKind::Obj ? aValue.O : nullptr;
}

} // namespace

TFlow TTryExceptNode::Exec(TRuntime& aRt) const
{
    EScriptError caught;
    const int depth = aRt.Depth;
    TFrame* frame = aRt.Frame;
    try {
        return Body ? Body->Exec(aRt) : TFlow::Normal;
    } catch (EScriptError& e) {
        caught = std::move(e);
    }
    // the handlers run outside the C++ catch: a new exception from them is an ordinary one
    aRt.Depth = depth;
    aRt.Frame = frame;
    const TExcRec* obj = ObjectOf(caught.Object);
    for (const THandler& h : Handlers) {
        if (obj == nullptr || !obj->Class->InheritsFrom(h.Class))
            continue;
        if (h.Var)
            *h.Var->Ref(aRt, true) = caught.Object;
        THandlingGuard guard(aRt, caught);
        return h.Body ? h.Body->Exec(aRt) : TFlow::Normal;
    }
    if (Otherwise || CatchAll) {
        THandlingGuard guard(aRt, caught);
        return Otherwise ? Otherwise->Exec(aRt) : TFlow::Normal;
    }
    throw caught;
}

TFlow TTryFinallyNode::Exec(TRuntime& aRt) const
{
    TFlow flow = TFlow::Normal;
    try {
        flow = Body ? Body->Exec(aRt) : TFlow::Normal;
    } catch (EScriptError& e) {
        EScriptError pending = std::move(e);
        if (Finally)
            Finally->Exec(aRt);
        throw pending;
    }
    if (Finally) {
        const TFlow f = Finally->Exec(aRt);
        if (f != TFlow::Normal)
            return f;
    }
    return flow;
}

TFlow TRaiseNode::Exec(TRuntime& aRt) const
{
    aRt.CurrentPos = Pos;
    if (!Object) {
        if (aRt.Handling.empty())
            aRt.Raise("Exception", QStringLiteral("'raise' ohne Ausnahme: es wird gerade keine behandelt"),
                      Pos);
        throw EScriptError(aRt.Handling.back());
    }
    TValue obj = Object->Eval(aRt);
    if (ObjectOf(obj) == nullptr)
        aRt.Raise("EAccessViolation", QStringLiteral("'raise nil': kein Ausnahmeobjekt"), Pos);
    throw EScriptError{std::move(obj), Pos};
}

TValue TExcCreateNode::Eval(TRuntime& aRt) const
{
    const TStr message = Message ? Message->EvalStr(aRt) : TStr();
    return TValue::FromObj(NewObj(Type->Class, message));
}

TStr TExcPropertyNode::EvalStr(TRuntime& aRt) const
{
    const TValue obj = Object->Eval(aRt);
    const TExcRec* rec = ObjectOf(obj);
    if (rec == nullptr)
        aRt.Raise("EAccessViolation", QStringLiteral("Zugriff auf ein Objekt, das nil ist"), Pos);
    if (What == TWhat::ClassName)
        return TStr(rec->Class->Name.toLatin1());
    if (rec->Message == nullptr)
        return {};
    ++rec->Message->Ref;
    return TStr::Adopt(rec->Message);
}

TFlow TExcSetMessageNode::Exec(TRuntime& aRt) const
{
    TStr text = Text->EvalStr(aRt);
    const TValue obj = Object->Eval(aRt);
    if (ObjectOf(obj) == nullptr)
        aRt.Raise("EAccessViolation", QStringLiteral("Zugriff auf ein Objekt, das nil ist"), Pos);
    TExcRec* rec = obj.O;
    if (rec->Message)
        TStr::Release(rec->Message);
    rec->Message = text.Detach();
    return TFlow::Normal;
}

qint64 TIsNode::EvalInt(TRuntime& aRt) const
{
    const TValue obj = Object->Eval(aRt);
    const TExcRec* rec = ObjectOf(obj);
    return rec != nullptr && rec->Class->InheritsFrom(Class);
}

} // namespace pascal
