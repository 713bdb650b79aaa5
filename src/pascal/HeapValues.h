#pragma once

#include "pascal/Value.h"

// Arrays, records, sets and exception objects on the script's heap.
namespace pascal {

// Count items, each a copy of aFill.
TArrRec* NewArr(qint64 aCount, const TValue& aFill);
void ReleaseArr(TArrRec* aRec);
inline void PinArr(TArrRec* aRec)
{
    ++aRec->Pins;
}
void UnpinArr(TArrRec* aRec);
// The value's items, copied first when shared: the write path of value-type arrays and
// records (copy on write).
TArrRec* UniqueArr(TValue& aValue);
// SetLength for dynamic arrays: the result is always unshared, new items are aFill.
void SetLengthArr(TValue& aValue, qint64 aCount, const TValue& aFill);
inline qint64 ArrCount(const TValue& aValue)
{
    return aValue.A ? aValue.A->Count : 0;
}

TSetRec* NewSet();
void ReleaseSet(TSetRec* aRec);
TSetRec* UniqueSet(TValue& aValue);
inline bool SetHas(const TSetRec* aRec, qint64 aElement)
{
    return aRec && quint64(aElement) < 256 && (aRec->Bits[aElement >> 6] >> (aElement & 63) & 1) != 0;
}

TExcRec* NewObj(const TClassInfo* aClass, const TStr& aMessage);
void ReleaseObj(TExcRec* aRec);

} // namespace pascal
