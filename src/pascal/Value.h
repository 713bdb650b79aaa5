#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <cstring>
#include <utility>

namespace pascal {

struct TClassInfo;

// Heap records share one layout rule: the reference count comes first.

// An AnsiString body. The characters follow the header; there is always a #0 after them.
struct TStrRec
{
    int Ref;
    qint64 Length;
    qint64 Capacity;
    char* Data() { return reinterpret_cast<char*>(this + 1); }
};

// The items of an array (static or dynamic) or the fields of a record. Pins keep the
// storage alive (and in place) while a var parameter points into it; they are not shares,
// so copy-on-write ignores them.
class TValue;
struct TArrRec
{
    int Ref;
    int Pins;
    qint64 Count;
    qint64 Capacity;
    TValue* Items() { return reinterpret_cast<TValue*>(this + 1); }
};

// A set of ordinals 0..255.
struct TSetRec
{
    int Ref;
    quint64 Bits[4];
};

// An exception object: Exception or one of its descendants.
struct TExcRec
{
    int Ref;
    const TClassInfo* Class;
    TStrRec* Message;
};

enum class TVKind : unsigned char {
    Int, // every ordinal: integers, Char, Boolean, enumerations
    Real,
    Ref, // a var parameter: points at the caller's value, owns nothing
    // from here on the value holds a counted reference
    Str,
    Arr,
    Set,
    Obj,
};

// Memory that strings and arrays use, and how much a run may take in all. The runtime
// installs its budget for the time of a run; the compiler runs without one.
struct THeapBudget
{
    qint64 Used = 0;
    qint64 Limit = 0;
    void (*Exhausted)(void* aContext) = nullptr; // throws
    void* Context = nullptr;
    int* Steps = nullptr; // the runtime's countdown to its next look at the clock
};
extern thread_local THeapBudget* gHeapBudget;

void* HeapAlloc(qint64 aBytes);
void HeapFree(void* aBlock, qint64 aBytes);
void* HeapRealloc(void* aBlock, qint64 aOldBytes, qint64 aNewBytes);

// The script's string: a counted, copy-on-write byte string, empty as null.
class TStr
{
public:
    TStr() = default;
    TStr(const char* aData, qint64 aLength);
    explicit TStr(const QByteArray& aBytes)
        : TStr(aBytes.constData(), aBytes.size())
    {
    }
    TStr(const TStr& aOther)
        : FRec(aOther.FRec)
    {
        if (FRec)
            ++FRec->Ref;
    }
    TStr(TStr&& aOther) noexcept
        : FRec(std::exchange(aOther.FRec, nullptr))
    {
    }
    ~TStr()
    {
        if (FRec)
            Release(FRec);
    }
    TStr& operator=(const TStr& aOther);
    TStr& operator=(TStr&& aOther) noexcept;

    static TStr Char(char aChar) { return TStr(&aChar, 1); }
    // Adopts a body whose reference the caller owned.
    static TStr Adopt(TStrRec* aRec)
    {
        TStr s;
        s.FRec = aRec;
        return s;
    }
    TStrRec* Detach() { return std::exchange(FRec, nullptr); }
    TStrRec* Rec() const { return FRec; }

    qint64 Length() const { return FRec ? FRec->Length : 0; }
    bool IsEmpty() const { return FRec == nullptr || FRec->Length == 0; }
    const char* Data() const { return FRec ? FRec->Data() : ""; }
    unsigned char At(qint64 aIndex0) const { return static_cast<unsigned char>(FRec->Data()[aIndex0]); }
    // Writable characters; the body is copied first when someone else shares it.
    char* Unique();
    // Keeps the characters that fit; new ones are #0.
    void SetLength(qint64 aLength);
    void Append(const char* aData, qint64 aLength);
    void Append(const TStr& aOther) { Append(aOther.Data(), aOther.Length()); }
    void AppendChar(char aChar) { Append(&aChar, 1); }
    void Reserve(qint64 aCapacity);

    QByteArray ToByteArray() const { return QByteArray(Data(), qsizetype(Length())); }
    // Byte-wise, then by length, as AnsiString comparison goes.
    static int Compare(const TStr& a, const TStr& b);
    static int Compare(const char* a, qint64 aLen, const char* b, qint64 bLen);
    bool operator==(const TStr& aOther) const { return Compare(*this, aOther) == 0; }

    static void Release(TStrRec* aRec);
    static TStrRec* NewRec(qint64 aCapacity);

private:
    TStrRec* FRec = nullptr;
};

// One value of the running script. The checker knows every type, so the kind only matters
// for ownership: integers and reals are plain, the rest are counted references.
class TValue
{
public:
    union
    {
        qint64 I;
        double R;
        TValue* P;
        TStrRec* S;
        TArrRec* A;
        TSetRec* St;
        TExcRec* O;
        void* H;
    };
    TVKind K;

    TValue()
        : I(0)
        , K(TVKind::Int)
    {
    }
    TValue(const TValue& aOther)
        : I(aOther.I)
        , K(aOther.K)
    {
        AddRef();
    }
    TValue(TValue&& aOther) noexcept
        : I(aOther.I)
        , K(aOther.K)
    {
        aOther.K = TVKind::Int;
        aOther.I = 0;
    }
    ~TValue()
    {
        if (IsCounted() && H)
            ReleaseHeap();
    }
    TValue& operator=(const TValue& aOther)
    {
        if (this != &aOther) {
            TValue copy(aOther);
            Swap(copy);
        }
        return *this;
    }
    TValue& operator=(TValue&& aOther) noexcept
    {
        TValue moved(std::move(aOther));
        Swap(moved);
        return *this;
    }
    void Swap(TValue& aOther) noexcept
    {
        std::swap(I, aOther.I);
        std::swap(K, aOther.K);
    }

    static TValue FromInt(qint64 aValue)
    {
        TValue v;
        v.I = aValue;
        return v;
    }
    static TValue FromReal(double aValue)
    {
        TValue v;
        v.R = aValue;
        v.K = TVKind::Real;
        return v;
    }
    static TValue FromRef(TValue* aTarget)
    {
        TValue v;
        v.P = aTarget;
        v.K = TVKind::Ref;
        return v;
    }
    static TValue FromStr(TStr&& aStr)
    {
        TValue v;
        v.S = aStr.Detach();
        v.K = TVKind::Str;
        return v;
    }
    static TValue FromStr(const TStr& aStr) { return FromStr(TStr(aStr)); }
    static TValue FromArr(TArrRec* aOwned)
    {
        TValue v;
        v.A = aOwned;
        v.K = TVKind::Arr;
        return v;
    }
    static TValue FromSet(TSetRec* aOwned)
    {
        TValue v;
        v.St = aOwned;
        v.K = TVKind::Set;
        return v;
    }
    static TValue FromObj(TExcRec* aOwned)
    {
        TValue v;
        v.O = aOwned;
        v.K = TVKind::Obj;
        return v;
    }

    bool IsCounted() const { return K >= TVKind::Str; }
    // The string as a handle sharing the body.
    TStr Str() const
    {
        if (K != TVKind::Str || S == nullptr)
            return {};
        ++S->Ref;
        return TStr::Adopt(S);
    }
    const char* StrData() const { return K == TVKind::Str && S ? S->Data() : ""; }
    void SetStr(TStr&& aStr)
    {
        TValue v = FromStr(std::move(aStr));
        Swap(v);
    }
    qint64 StrLength() const { return K == TVKind::Str && S ? S->Length : 0; }

private:
    void AddRef()
    {
        if (IsCounted() && H)
            ++*static_cast<int*>(H);
    }
    void ReleaseHeap();
};

} // namespace pascal
