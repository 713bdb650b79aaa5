#include "pascal/Node.h"

namespace pascal {

qint64 TExprNode::EvalInt(TRuntime& aRt) const
{
    if (IsLValue)
        return Ref(aRt, false)->I;
    return Eval(aRt).I;
}

double TExprNode::EvalReal(TRuntime& aRt) const
{
    if (Type->Kind != TTypeKind::Real)
        return double(EvalInt(aRt));
    if (IsLValue)
        return Ref(aRt, false)->R;
    return Eval(aRt).R;
}

TStr TExprNode::EvalStr(TRuntime& aRt) const
{
    if (Type->Kind == TTypeKind::Char)
        return TStr::Char(char(EvalInt(aRt)));
    if (IsLValue)
        return Ref(aRt, false)->Str();
    TValue v = Eval(aRt);
    if (v.K != TVKind::Str)
        return {};
    TStrRec* rec = v.S;
    v.K = TVKind::Int;
    return TStr::Adopt(rec);
}

TValue TExprNode::Eval(TRuntime& aRt) const
{
    if (IsLValue)
        return *Ref(aRt, false);
    switch (Type->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Boolean:
    case TTypeKind::Char:
    case TTypeKind::Enum: return TValue::FromInt(EvalInt(aRt));
    case TTypeKind::Real: return TValue::FromReal(EvalReal(aRt));
    case TTypeKind::String: return TValue::FromStr(EvalStr(aRt));
    default: aRt.Internal("Eval", Pos);
    }
}

TValue* TExprNode::Ref(TRuntime& aRt, bool) const
{
    aRt.Internal("Ref", Pos);
}

void CutString(TValue& aValue, qint64 aLength)
{
    if (aValue.K == TVKind::Str && aValue.StrLength() > aLength)
        aValue.SetStr(TStr(aValue.StrData(), aLength));
}

void StoreValue(TValue& aTarget, const TExprNode& aSource, const TType* aType, TRuntime& aRt)
{
    switch (aType->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enum: aTarget.I = WrapInt(aSource.EvalInt(aRt), aType->IntKind); break;
    case TTypeKind::Boolean: aTarget.I = aSource.EvalInt(aRt) != 0; break;
    case TTypeKind::Real: {
        const double r = aSource.EvalReal(aRt);
        aTarget.R = StoredReal(aType, r);
        break;
    }
    case TTypeKind::String:
        aTarget.SetStr(aSource.EvalStr(aRt));
        if (aType->High > 0)
            CutString(aTarget, aType->High);
        break;
    default: aTarget = aSource.Eval(aRt); break;
    }
}

void StoreConverted(TValue& aTarget, TValue&& aSource, const TType* aType)
{
    switch (aType->Kind) {
    case TTypeKind::Integer:
    case TTypeKind::Char:
    case TTypeKind::Enum: aTarget.I = WrapInt(aSource.I, aType->IntKind); break;
    case TTypeKind::Boolean: aTarget.I = aSource.I != 0; break;
    case TTypeKind::Real: aTarget.R = StoredReal(aType, aSource.R); break;
    case TTypeKind::String:
        aTarget = std::move(aSource);
        if (aType->High > 0)
            CutString(aTarget, aType->High);
        break;
    default: aTarget = std::move(aSource); break;
    }
}

} // namespace pascal
