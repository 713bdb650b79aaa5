#include "pascal/Value.h"

#include "pascal/HeapValues.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace pascal {

thread_local THeapBudget* gHeapBudget = nullptr;

namespace {

void Charge(qint64 aBytes)
{
    THeapBudget* b = gHeapBudget;
    if (b == nullptr)
        return;
    if (aBytes > 0 && b->Used + aBytes > b->Limit && b->Exhausted)
        b->Exhausted(b->Context);
    b->Used += aBytes;
    // what is allocated is mostly also copied: big blocks bring the next clock check closer
    if (b->Steps && aBytes > 4096)
        *b->Steps -= int(std::min<qint64>(aBytes >> 8, 1 << 20));
}

} // namespace

void* HeapAlloc(qint64 aBytes)
{
    Charge(aBytes);
    void* p = std::malloc(std::size_t(aBytes));
    if (p == nullptr) {
        Charge(-aBytes);
        throw std::bad_alloc();
    }
    return p;
}

void HeapFree(void* aBlock, qint64 aBytes)
{
    if (gHeapBudget)
        gHeapBudget->Used -= aBytes;
    std::free(aBlock);
}

void* HeapRealloc(void* aBlock, qint64 aOldBytes, qint64 aNewBytes)
{
    Charge(aNewBytes - aOldBytes);
    void* p = std::realloc(aBlock, std::size_t(aNewBytes));
    if (p == nullptr) {
        Charge(aOldBytes - aNewBytes);
        throw std::bad_alloc();
    }
    return p;
}

// ---- TStr ------------------------------------------------------------------------------

TStrRec* TStr::NewRec(qint64 aCapacity)
{
    auto* rec = static_cast<TStrRec*>(HeapAlloc(qint64(sizeof(TStrRec)) + aCapacity + 1));
    rec->Ref = 1;
    rec->Length = 0;
    rec->Capacity = aCapacity;
    rec->Data()[0] = 0;
    return rec;
}

void TStr::Release(TStrRec* aRec)
{
    if (--aRec->Ref == 0)
        HeapFree(aRec, qint64(sizeof(TStrRec)) + aRec->Capacity + 1);
}

TStr::TStr(const char* aData, qint64 aLength)
{
    if (aLength <= 0)
        return;
    FRec = NewRec(aLength);
    std::memcpy(FRec->Data(), aData, std::size_t(aLength));
    FRec->Length = aLength;
    FRec->Data()[aLength] = 0;
}

TStr& TStr::operator=(const TStr& aOther)
{
    if (aOther.FRec)
        ++aOther.FRec->Ref;
    if (FRec)
        Release(FRec);
    FRec = aOther.FRec;
    return *this;
}

TStr& TStr::operator=(TStr&& aOther) noexcept
{
    if (this != &aOther) {
        if (FRec)
            Release(FRec);
        FRec = std::exchange(aOther.FRec, nullptr);
    }
    return *this;
}

char* TStr::Unique()
{
    if (FRec == nullptr)
        return nullptr;
    if (FRec->Ref > 1) {
        TStrRec* copy = NewRec(FRec->Length);
        std::memcpy(copy->Data(), FRec->Data(), std::size_t(FRec->Length) + 1);
        copy->Length = FRec->Length;
        Release(FRec);
        FRec = copy;
    }
    return FRec->Data();
}

void TStr::Reserve(qint64 aCapacity)
{
    if (aCapacity <= 0)
        return;
    if (FRec == nullptr) {
        FRec = NewRec(aCapacity);
        return;
    }
    if (FRec->Ref > 1) {
        TStrRec* copy = NewRec(std::max(aCapacity, FRec->Length));
        std::memcpy(copy->Data(), FRec->Data(), std::size_t(FRec->Length) + 1);
        copy->Length = FRec->Length;
        Release(FRec);
        FRec = copy;
    } else if (FRec->Capacity < aCapacity) {
        const qint64 head = qint64(sizeof(TStrRec));
        FRec = static_cast<TStrRec*>(HeapRealloc(FRec, head + FRec->Capacity + 1, head + aCapacity + 1));
        FRec->Capacity = aCapacity;
    }
}

void TStr::SetLength(qint64 aLength)
{
    if (aLength <= 0) {
        if (FRec)
            Release(FRec);
        FRec = nullptr;
        return;
    }
    const qint64 old = Length();
    if (FRec == nullptr || FRec->Ref > 1 || FRec->Capacity < aLength)
        Reserve(aLength);
    if (aLength > old)
        std::memset(FRec->Data() + old, 0, std::size_t(aLength - old));
    FRec->Length = aLength;
    FRec->Data()[aLength] = 0;
}

void TStr::Append(const char* aData, qint64 aLength)
{
    if (aLength <= 0)
        return;
    const qint64 old = Length();
    const qint64 total = old + aLength;
    if (FRec == nullptr || FRec->Ref > 1 || FRec->Capacity < total) {
        // Appending in a loop is the common way to build a string; grow geometrically.
        const qint64 capacity =
            FRec && FRec->Ref == 1 && old > 0 ? std::max(total, old + old / 2 + 16) : total;
        if (FRec && FRec->Ref == 1 && FRec->Data() <= aData && aData < FRec->Data() + FRec->Capacity) {
            // appending (part of) itself: the realloc would move the source
            TStr copy(aData, aLength);
            Reserve(capacity);
            std::memcpy(FRec->Data() + old, copy.Data(), std::size_t(aLength));
            FRec->Length = total;
            FRec->Data()[total] = 0;
            return;
        }
        Reserve(capacity);
    }
    std::memmove(FRec->Data() + old, aData, std::size_t(aLength));
    FRec->Length = total;
    FRec->Data()[total] = 0;
}

int TStr::Compare(const char* a, qint64 aLen, const char* b, qint64 bLen)
{
    const int c = std::memcmp(a, b, std::size_t(std::min(aLen, bLen)));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return aLen < bLen ? -1 : aLen > bLen ? 1 : 0;
}

int TStr::Compare(const TStr& a, const TStr& b)
{
    if (a.FRec == b.FRec)
        return 0;
    return Compare(a.Data(), a.Length(), b.Data(), b.Length());
}

// ---- TValue ----------------------------------------------------------------------------

void TValue::ReleaseHeap()
{
    switch (K) {
    case TVKind::Str: TStr::Release(S); break;
    case TVKind::Arr: ReleaseArr(A); break;
    case TVKind::Set: ReleaseSet(St); break;
    case TVKind::Obj: ReleaseObj(O); break;
    default: break;
    }
}

} // namespace pascal
