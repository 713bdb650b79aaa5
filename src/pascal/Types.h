#pragma once

#include "pascal/Value.h"

#include <QHash>
#include <QString>

#include <deque>
#include <memory>
#include <cmath>
#include <vector>

namespace pascal {

enum class TTypeKind : unsigned char {
    Error, // after a reported error: fits everywhere, so one mistake gives one message
    Void,
    Integer,
    Boolean,
    Char,
    Enum,
    Real,
    String,
    StaticArray,
    DynArray,
    Record,
    Set,
    Class,
    StringList, // TStringList: a reference to a list of strings
    Procedural, // procedure(...) / function(...): a routine of the program, or nil
    Nil,
    ArrayOfConst, // Format's argument list
};

// How an integer is stored, which decides how a value wraps when it is assigned.
// U64 keeps its value's bits in the same 64 bits: only division, comparison, conversion to
// real and printing read them differently.
enum class TIntKind : unsigned char { S8, U8, S16, U16, S32, U32, S64, U64 };

struct TType;
struct TRoutine;

struct TClassInfo
{
    QString Name;
    const TClassInfo* Parent = nullptr;
    bool InheritsFrom(const TClassInfo* aOther) const;
};

struct TField
{
    QString Name;
    QString Lower;
    const TType* Type = nullptr;
};

struct TType
{
    TTypeKind Kind = TTypeKind::Error;
    QString Name;
    TIntKind IntKind = TIntKind::S64; // ordinals: the storage
    qint64 Low = 0;                   // ordinals: the range; static arrays: the index range
    qint64 High = 0;
    const TType* Base = nullptr;    // ordinals: the type a subrange is cut from (else itself)
    const TType* Element = nullptr; // arrays and sets
    const TType* Index = nullptr;   // static arrays
    std::vector<TField> Fields;     // records
    std::vector<QString> EnumNames; // enumerations
    const TClassInfo* Class = nullptr;
    const TRoutine* Signature = nullptr; // procedural types: parameters and result
    bool Single = false;                 // Single rounds to float precision
    bool Currency = false;               // Currency keeps four decimals
    bool OpenArray = false;              // an "array of T" parameter: takes static arrays too
    qint64 Size = 0;                     // SizeOf
    int Align = 1;
    TValue Default; // what a new variable of this type holds

    bool IsOrdinal() const
    {
        return Kind == TTypeKind::Integer || Kind == TTypeKind::Boolean || Kind == TTypeKind::Char
            || Kind == TTypeKind::Enum;
    }
    bool IsInteger() const { return Kind == TTypeKind::Integer; }
    bool IsReal() const { return Kind == TTypeKind::Real; }
    bool IsNumeric() const { return IsInteger() || IsReal(); }
    bool IsString() const { return Kind == TTypeKind::String; }
    bool IsStringLike() const { return Kind == TTypeKind::String || Kind == TTypeKind::Char; }
    bool IsArray() const { return Kind == TTypeKind::StaticArray || Kind == TTypeKind::DynArray; }
    bool IsError() const { return Kind == TTypeKind::Error; }
    // Values held by reference count (assignment shares, a write may copy).
    bool IsManaged() const
    {
        return Kind == TTypeKind::String || Kind == TTypeKind::StaticArray || Kind == TTypeKind::DynArray
            || Kind == TTypeKind::Record || Kind == TTypeKind::Set || Kind == TTypeKind::Class
            || Kind == TTypeKind::StringList;
    }
    qint64 Count() const { return High - Low + 1; } // static arrays
};

// Every type one compilation knows: the built-in ones and those the script declares.
class TTypes
{
public:
    // A table for one compilation; the built-in types are shared by all of them.
    TTypes();
    TTypes(const TTypes&) = delete;
    TTypes& operator=(const TTypes&) = delete;

    const TType* Error() const { return FError; }
    const TType* Void() const { return FVoid; }
    const TType* Nil() const { return FNil; }
    const TType* Integer() const { return FInteger; }
    const TType* Cardinal() const { return FCardinal; }
    const TType* Int64() const { return FInt64; }
    const TType* QWord() const { return FQWord; }
    const TType* Word() const { return FWord; }
    const TType* Byte() const { return FByte; }
    const TType* ShortInt() const { return FShortInt; }
    const TType* SmallInt() const { return FSmallInt; }
    const TType* Boolean() const { return FBoolean; }
    const TType* Char() const { return FChar; }
    const TType* Double() const { return FDouble; }
    const TType* String() const { return FString; }
    const TType* StringList() const { return FStringList; }
    const TType* ArrayOfConst() const { return FArrayOfConst; }
    const TType* SetOfChar() const { return FSetOfChar; }
    const TType* ExceptionType() const { return FException; }
    const TType* IntType(TIntKind aKind) const;
    // The smallest integer type holding aValue, as Free Pascal types an integer constant.
    const TType* ForConstant(qint64 aValue) const;

    // Built-in type names (lower case) with their types, for the outermost scope.
    const QHash<QString, const TType*>& BuiltinNames() const { return FBuiltinNames; }
    // Exception classes the run-time errors raise.
    const TType* ErrorClass(const char* aName) const;

    TType* New(TTypeKind aKind, const QString& aName);
    const TType* NewSubrange(const TType* aBase, qint64 aLow, qint64 aHigh);
    TType* NewEnum(const QString& aName, const std::vector<QString>& aNames);
    const TType* NewStaticArray(const TType* aIndex, const TType* aElement);
    const TType* NewDynArray(const TType* aElement, bool aOpen = false);
    // string[aLength]: a string that keeps at most aLength characters (in High).
    const TType* NewShortString(qint64 aLength);
    // A procedural type; the checker fills in its Signature.
    TType* NewProcedural(const QString& aName);
    const TType* NewSet(const TType* aElement);
    // A record's Fields are set; this lays it out and makes its default value.
    void FinishRecord(TType* aRecord);
    const TType* NewClass(const QString& aName, const TType* aParent);

    // The built-in types, made once and never changed.
    static const TTypes& Shared();

    static QString RangeText(const TType* aType);
    static TIntKind KindForRange(qint64 aLow, qint64 aHigh);
    static qint64 KindLow(TIntKind aKind);
    static qint64 KindHigh(TIntKind aKind);
    static int KindSize(TIntKind aKind);

private:
    struct TBuiltinTag
    {
    };
    explicit TTypes(TBuiltinTag);

    TType* Add(std::unique_ptr<TType> aType);
    TType* MakeInt(const char* aName, TIntKind aKind);
    TType* MakeClassType(const QString& aName, const TClassInfo* aParent);

    std::deque<std::unique_ptr<TType>> FTypes;
    std::deque<std::unique_ptr<TClassInfo>> FClasses;
    QHash<QString, const TType*> FBuiltinNames;
    QHash<QString, const TType*> FErrorClasses;
    const TType* FError = nullptr;
    const TType* FVoid = nullptr;
    const TType* FNil = nullptr;
    const TType* FInteger = nullptr;
    const TType* FCardinal = nullptr;
    const TType* FInt64 = nullptr;
    const TType* FQWord = nullptr;
    const TType* FWord = nullptr;
    const TType* FByte = nullptr;
    const TType* FShortInt = nullptr;
    const TType* FSmallInt = nullptr;
    const TType* FBoolean = nullptr;
    const TType* FChar = nullptr;
    const TType* FDouble = nullptr;
    const TType* FString = nullptr;
    const TType* FStringList = nullptr;
    const TType* FArrayOfConst = nullptr;
    const TType* FSetOfChar = nullptr;
    const TType* FException = nullptr;
};

// Wraps aValue into the range of aKind, as an assignment to such a variable does.
inline qint64 WrapInt(qint64 aValue, TIntKind aKind)
{
    switch (aKind) {
    case TIntKind::S8: return qint8(aValue);
    case TIntKind::U8: return quint8(aValue);
    case TIntKind::S16: return qint16(aValue);
    case TIntKind::U16: return quint16(aValue);
    case TIntKind::S32: return qint32(aValue);
    case TIntKind::U32: return quint32(aValue);
    case TIntKind::S64:
    case TIntKind::U64: return aValue;
    }
    return aValue;
}

inline bool IsUnsignedKind(TIntKind aKind)
{
    return aKind == TIntKind::U8 || aKind == TIntKind::U16 || aKind == TIntKind::U32 || aKind == TIntKind::U64;
}

// Free Pascal computes with a QWord unsigned unless the other operand is an Int64 (or a
// constant only an Int64 holds): then both count as signed.
inline bool QWordOperation(const TType* a, const TType* b)
{
    const bool any = a->IntKind == TIntKind::U64 || b->IntKind == TIntKind::U64;
    return any && a->IntKind != TIntKind::S64 && b->IntKind != TIntKind::S64;
}

// A value as Currency keeps it: four decimals, rounded half to even as Free Pascal converts
// (and never -0).
inline double CurrencyValue(double aValue)
{
    return std::nearbyint(aValue * 10000.0) / 10000.0 + 0.0;
}

// A real as a variable of type aType holds it: Single rounds to float precision, Currency to
// four decimals.
inline double StoredReal(const TType* aType, double aValue)
{
    if (aType->Single)
        return double(float(aValue));
    return aType->Currency ? CurrencyValue(aValue) : aValue;
}

} // namespace pascal
