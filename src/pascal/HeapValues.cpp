#include "pascal/HeapValues.h"

#include <algorithm>
#include <new>

namespace pascal {

namespace {

qint64 ArrBytes(qint64 aCapacity)
{
    return qint64(sizeof(TArrRec)) + aCapacity * qint64(sizeof(TValue));
}

TArrRec* AllocArr(qint64 aCapacity)
{
    auto* rec = static_cast<TArrRec*>(HeapAlloc(ArrBytes(aCapacity)));
    rec->Ref = 1;
    rec->Pins = 0;
    rec->Count = 0;
    rec->Capacity = aCapacity;
    return rec;
}

void DestroyArr(TArrRec* aRec)
{
    TValue* items = aRec->Items();
    for (qint64 i = 0; i < aRec->Count; ++i)
        items[i].~TValue();
    HeapFree(aRec, ArrBytes(aRec->Capacity));
}

} // namespace

TArrRec* NewArr(qint64 aCount, const TValue& aFill)
{
    TArrRec* rec = AllocArr(aCount);
    TValue* items = rec->Items();
    for (qint64 i = 0; i < aCount; ++i)
        new (&items[i]) TValue(aFill);
    rec->Count = aCount;
    return rec;
}

void ReleaseArr(TArrRec* aRec)
{
    if (--aRec->Ref == 0 && aRec->Pins == 0)
        DestroyArr(aRec);
}

void UnpinArr(TArrRec* aRec)
{
    if (--aRec->Pins == 0 && aRec->Ref == 0)
        DestroyArr(aRec);
}

TArrRec* UniqueArr(TValue& aValue)
{
    TArrRec* rec = aValue.A;
    if (rec == nullptr || rec->Ref == 1)
        return rec;
    TArrRec* copy = AllocArr(rec->Count);
    TValue* from = rec->Items();
    TValue* to = copy->Items();
    for (qint64 i = 0; i < rec->Count; ++i)
        new (&to[i]) TValue(from[i]);
    copy->Count = rec->Count;
    ReleaseArr(rec);
    aValue.A = copy;
    return copy;
}

void SetLengthArr(TValue& aValue, qint64 aCount, const TValue& aFill)
{
    if (aCount <= 0) {
        aValue = TValue::FromArr(nullptr);
        return;
    }
    TArrRec* rec = aValue.K == TVKind::Arr ? aValue.A : nullptr;
    if (rec && rec->Ref == 1 && rec->Pins == 0) {
        TValue* items = rec->Items();
        for (qint64 i = aCount; i < rec->Count; ++i)
            items[i].~TValue();
        if (aCount > rec->Capacity) {
            // grow geometrically: SetLength(a, Length(a) + 1) in a loop is common
            const qint64 capacity = std::max(aCount, rec->Count + rec->Count / 2);
            rec = static_cast<TArrRec*>(HeapRealloc(rec, ArrBytes(rec->Capacity), ArrBytes(capacity)));
            rec->Capacity = capacity;
            aValue.A = rec;
            items = rec->Items();
        }
        for (qint64 i = rec->Count; i < aCount; ++i)
            new (&items[i]) TValue(aFill);
        rec->Count = aCount;
        return;
    }
    TArrRec* fresh = AllocArr(aCount);
    TValue* to = fresh->Items();
    const qint64 keep = rec ? std::min(rec->Count, aCount) : 0;
    for (qint64 i = 0; i < keep; ++i)
        new (&to[i]) TValue(rec->Items()[i]);
    for (qint64 i = keep; i < aCount; ++i)
        new (&to[i]) TValue(aFill);
    fresh->Count = aCount;
    aValue = TValue::FromArr(fresh);
}

TSetRec* NewSet()
{
    auto* rec = static_cast<TSetRec*>(HeapAlloc(sizeof(TSetRec)));
    rec->Ref = 1;
    std::fill(std::begin(rec->Bits), std::end(rec->Bits), 0);
    return rec;
}

void ReleaseSet(TSetRec* aRec)
{
    if (--aRec->Ref == 0)
        HeapFree(aRec, sizeof(TSetRec));
}

TSetRec* UniqueSet(TValue& aValue)
{
    TSetRec* rec = aValue.St;
    if (rec && rec->Ref == 1)
        return rec;
    TSetRec* copy = NewSet();
    if (rec)
        std::copy(std::begin(rec->Bits), std::end(rec->Bits), std::begin(copy->Bits));
    aValue = TValue::FromSet(copy);
    return copy;
}

TExcRec* NewObj(const TClassInfo* aClass, const TStr& aMessage)
{
    auto* rec = static_cast<TExcRec*>(HeapAlloc(sizeof(TExcRec)));
    rec->Ref = 1;
    rec->Class = aClass;
    rec->Message = TStr(aMessage).Detach();
    return rec;
}

void ReleaseObj(TExcRec* aRec)
{
    if (--aRec->Ref == 0) {
        if (aRec->Message)
            TStr::Release(aRec->Message);
        HeapFree(aRec, sizeof(TExcRec));
    }
}

} // namespace pascal
