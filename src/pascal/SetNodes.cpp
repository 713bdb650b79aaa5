#include "pascal/SetNodes.h"

namespace pascal {

TValue MakeSetValue(const TSetBits& aBits)
{
    TSetRec* rec = NewSet();
    for (std::size_t i = 0; i < 4; ++i)
        rec->Bits[i] = aBits[i];
    return TValue::FromSet(rec);
}

TSetBits SetBitsOf(const TValue& aValue)
{
    TSetBits bits{};
    if (aValue.K == TVKind::Set && aValue.St)
        for (std::size_t i = 0; i < 4; ++i)
            bits[i] = aValue.St->Bits[i];
    return bits;
}

TValue TSetCtorNode::Eval(TRuntime& aRt) const
{
    TSetBits bits{};
    for (const TElement& e : Elements) {
        const qint64 low = e.Low->EvalInt(aRt);
        const qint64 high = e.High ? e.High->EvalInt(aRt) : low;
        SetBitRange(bits, low, high);
    }
    return MakeSetValue(bits);
}

TValue TSetOpNode::Eval(TRuntime& aRt) const
{
    const TSetBits a = SetBitsOf(Left->Eval(aRt));
    const TSetBits b = SetBitsOf(Right->Eval(aRt));
    TSetBits r{};
    for (std::size_t i = 0; i < 4; ++i) {
        switch (Op) {
        case TSetOp::Union: r[i] = a[i] | b[i]; break;
        case TSetOp::Difference: r[i] = a[i] & ~b[i]; break;
        case TSetOp::Intersection: r[i] = a[i] & b[i]; break;
        }
    }
    return MakeSetValue(r);
}

qint64 TSetCmpNode::EvalInt(TRuntime& aRt) const
{
    const TSetBits a = SetBitsOf(Left->Eval(aRt));
    const TSetBits b = SetBitsOf(Right->Eval(aRt));
    bool equal = true;
    bool subset = true;   // a <= b
    bool superset = true; // a >= b
    for (std::size_t i = 0; i < 4; ++i) {
        equal = equal && a[i] == b[i];
        subset = subset && (a[i] & ~b[i]) == 0;
        superset = superset && (b[i] & ~a[i]) == 0;
    }
    switch (Op) {
    case TCmpOp::Eq: return equal;
    case TCmpOp::Ne: return !equal;
    case TCmpOp::Le: return subset;
    case TCmpOp::Ge: return superset;
    default: return false;
    }
}

} // namespace pascal
