#include "pascal/Types.h"

#include "pascal/HeapValues.h"

#include <algorithm>
#include <limits>

namespace pascal {

bool TClassInfo::InheritsFrom(const TClassInfo* aOther) const
{
    for (const TClassInfo* c = this; c; c = c->Parent)
        if (c == aOther)
            return true;
    return false;
}

qint64 TTypes::KindLow(TIntKind aKind)
{
    switch (aKind) {
    case TIntKind::S8: return -128;
    case TIntKind::S16: return -32768;
    case TIntKind::S32: return std::numeric_limits<qint32>::min();
    case TIntKind::S64: return std::numeric_limits<qint64>::min();
    default: return 0;
    }
}

qint64 TTypes::KindHigh(TIntKind aKind)
{
    switch (aKind) {
    case TIntKind::S8: return 127;
    case TIntKind::U8: return 255;
    case TIntKind::S16: return 32767;
    case TIntKind::U16: return 65535;
    case TIntKind::S32: return std::numeric_limits<qint32>::max();
    case TIntKind::U32: return std::numeric_limits<quint32>::max();
    case TIntKind::S64: return std::numeric_limits<qint64>::max();
    // the range as a signed 64-bit number holds it: High(QWord) itself is made where it is asked for
    case TIntKind::U64: return std::numeric_limits<qint64>::max();
    }
    return 0;
}

int TTypes::KindSize(TIntKind aKind)
{
    switch (aKind) {
    case TIntKind::S8:
    case TIntKind::U8: return 1;
    case TIntKind::S16:
    case TIntKind::U16: return 2;
    case TIntKind::S32:
    case TIntKind::U32: return 4;
    case TIntKind::S64:
    case TIntKind::U64: return 8;
    }
    return 8;
}

TIntKind TTypes::KindForRange(qint64 aLow, qint64 aHigh)
{
    for (TIntKind k :
         {TIntKind::S8, TIntKind::U8, TIntKind::S16, TIntKind::U16, TIntKind::S32, TIntKind::U32})
        if (aLow >= KindLow(k) && aHigh <= KindHigh(k))
            return k;
    return TIntKind::S64;
}

TType* TTypes::Add(std::unique_ptr<TType> aType)
{
    FTypes.push_back(std::move(aType));
    return FTypes.back().get();
}

TType* TTypes::New(TTypeKind aKind, const QString& aName)
{
    auto t = std::make_unique<TType>();
    t->Kind = aKind;
    t->Name = aName;
    t->Base = t.get();
    if (aKind == TTypeKind::Real) {
        t->Default = TValue::FromReal(0);
        t->Size = 8;
        t->Align = 8;
    } else if (aKind == TTypeKind::String || aKind == TTypeKind::DynArray || aKind == TTypeKind::Class
               || aKind == TTypeKind::StringList) {
        t->Default.K = aKind == TTypeKind::String ? TVKind::Str
            : aKind == TTypeKind::Class           ? TVKind::Obj
                                                  : TVKind::Arr;
        t->Size = 8;
        t->Align = 8;
    }
    return Add(std::move(t));
}

TType* TTypes::MakeInt(const char* aName, TIntKind aKind)
{
    TType* t = New(TTypeKind::Integer, QString::fromLatin1(aName));
    t->IntKind = aKind;
    t->Low = KindLow(aKind);
    t->High = KindHigh(aKind);
    t->Size = KindSize(aKind);
    t->Align = int(t->Size);
    return t;
}

TType* TTypes::MakeClassType(const QString& aName, const TClassInfo* aParent)
{
    auto info = std::make_unique<TClassInfo>();
    info->Name = aName;
    info->Parent = aParent;
    TType* t = New(TTypeKind::Class, aName);
    t->Class = info.get();
    FClasses.push_back(std::move(info));
    return t;
}

const TTypes& TTypes::Shared()
{
    static const TTypes shared{TBuiltinTag{}};
    return shared;
}

TTypes::TTypes()
{
    const TTypes& s = Shared();
    FError = s.FError;
    FVoid = s.FVoid;
    FNil = s.FNil;
    FInteger = s.FInteger;
    FCardinal = s.FCardinal;
    FInt64 = s.FInt64;
    FQWord = s.FQWord;
    FWord = s.FWord;
    FByte = s.FByte;
    FShortInt = s.FShortInt;
    FSmallInt = s.FSmallInt;
    FBoolean = s.FBoolean;
    FChar = s.FChar;
    FDouble = s.FDouble;
    FString = s.FString;
    FStringList = s.FStringList;
    FArrayOfConst = s.FArrayOfConst;
    FSetOfChar = s.FSetOfChar;
    FException = s.FException;
    FBuiltinNames = s.FBuiltinNames;
    FErrorClasses = s.FErrorClasses;
}

TTypes::TTypes(TBuiltinTag)
{
    FError = New(TTypeKind::Error, QStringLiteral("<Fehler>"));
    FVoid = New(TTypeKind::Void, QStringLiteral("<kein Wert>"));
    FNil = New(TTypeKind::Nil, QStringLiteral("nil"));
    FShortInt = MakeInt("ShortInt", TIntKind::S8);
    FByte = MakeInt("Byte", TIntKind::U8);
    FSmallInt = MakeInt("SmallInt", TIntKind::S16);
    FWord = MakeInt("Word", TIntKind::U16);
    FInteger = MakeInt("Integer", TIntKind::S32);
    FCardinal = MakeInt("Cardinal", TIntKind::U32);
    FInt64 = MakeInt("Int64", TIntKind::S64);
    FQWord = MakeInt("QWord", TIntKind::U64);

    TType* boolean = New(TTypeKind::Boolean, QStringLiteral("Boolean"));
    boolean->IntKind = TIntKind::U8;
    boolean->High = 1;
    boolean->Size = 1;
    boolean->EnumNames = {QStringLiteral("False"), QStringLiteral("True")};
    FBoolean = boolean;

    TType* ch = New(TTypeKind::Char, QStringLiteral("Char"));
    ch->IntKind = TIntKind::U8;
    ch->High = 255;
    ch->Size = 1;
    FChar = ch;

    FDouble = New(TTypeKind::Real, QStringLiteral("Double"));
    TType* single = New(TTypeKind::Real, QStringLiteral("Single"));
    single->Single = true;
    single->Size = 4;
    single->Align = 4;
    TType* extended = New(TTypeKind::Real, QStringLiteral("Extended"));
    TType* dateTime = New(TTypeKind::Real, QStringLiteral("TDateTime"));
    FString = New(TTypeKind::String, QStringLiteral("string"));
    FArrayOfConst = New(TTypeKind::ArrayOfConst, QStringLiteral("array of const"));
    FSetOfChar = NewSet(FChar);

    auto name = [this](const char* aName, const TType* aType) {
        FBuiltinNames.insert(QString::fromLatin1(aName), aType);
    };
    name("shortint", FShortInt);
    name("byte", FByte);
    name("smallint", FSmallInt);
    name("word", FWord);
    name("integer", FInteger);
    name("longint", FInteger);
    name("cardinal", FCardinal);
    name("longword", FCardinal);
    name("dword", FCardinal);
    name("int64", FInt64);
    name("nativeint", FInt64);
    name("qword", FQWord);
    name("uint64", FQWord);
    name("nativeuint", FQWord);
    name("boolean", FBoolean);
    name("bytebool", FBoolean);
    name("wordbool", FBoolean);
    name("longbool", FBoolean);
    name("char", FChar);
    name("ansichar", FChar);
    name("string", FString);
    name("ansistring", FString);
    name("rawbytestring", FString);
    name("shortstring", FString);
    name("double", FDouble);
    name("real", FDouble);
    name("extended", extended);
    TType* currency = New(TTypeKind::Real, QStringLiteral("Currency"));
    currency->Currency = true;
    name("currency", currency);
    name("single", single);
    name("tdatetime", dateTime);
    name("tdate", dateTime);
    name("ttime", dateTime);
    TType* flag = NewEnum(QStringLiteral("TReplaceFlag"),
                          {QStringLiteral("rfReplaceAll"), QStringLiteral("rfIgnoreCase")});
    name("treplaceflag", flag);
    name("treplaceflags", NewSet(flag));
    name("tsyscharset", FSetOfChar);
    name("tstringdynarray", NewDynArray(FString));
    name("tbytes", NewDynArray(FByte));
    FStringList = New(TTypeKind::StringList, QStringLiteral("TStringList"));
    name("tstringlist", FStringList);
    name("tstrings", FStringList);
    name("tduplicates",
         NewEnum(QStringLiteral("TDuplicates"),
                 {QStringLiteral("dupIgnore"), QStringLiteral("dupAccept"), QStringLiteral("dupError")}));
    name("tfloatformat",
         NewEnum(QStringLiteral("TFloatFormat"),
                 {QStringLiteral("ffGeneral"), QStringLiteral("ffExponent"), QStringLiteral("ffFixed"),
                  QStringLiteral("ffNumber"), QStringLiteral("ffCurrency")}));

    // The exception classes, the way SysUtils arranges them.
    FException = MakeClassType(QStringLiteral("Exception"), nullptr);
    name("exception", FException);
    auto cls = [&](const char* aName, const TType* aParent) {
        const TType* t = MakeClassType(QString::fromLatin1(aName), aParent->Class);
        const QString lower = QString::fromLatin1(aName).toLower();
        FBuiltinNames.insert(lower, t);
        FErrorClasses.insert(QString::fromLatin1(aName), t);
        return t;
    };
    const TType* intError = cls("EIntError", FException);
    cls("EDivByZero", intError);
    cls("ERangeError", intError);
    cls("EIntOverflow", intError);
    const TType* mathError = cls("EMathError", FException);
    cls("EZeroDivide", mathError);
    cls("EInvalidOp", mathError);
    cls("EOverflow", mathError);
    cls("EConvertError", FException);
    cls("EOutOfMemory", FException);
    cls("EStackOverflow", FException);
    cls("EArgumentException", FException);
    cls("EAbort", FException);
    cls("EAccessViolation", FException);
    cls("EInvalidCast", FException);
    cls("EStringListError", FException);
    FErrorClasses.insert(QStringLiteral("Exception"), FException);
}

const TType* TTypes::ErrorClass(const char* aName) const
{
    return FErrorClasses.value(QString::fromLatin1(aName), FException);
}

const TType* TTypes::IntType(TIntKind aKind) const
{
    switch (aKind) {
    case TIntKind::S8: return FShortInt;
    case TIntKind::U8: return FByte;
    case TIntKind::S16: return FSmallInt;
    case TIntKind::U16: return FWord;
    case TIntKind::S32: return FInteger;
    case TIntKind::U32: return FCardinal;
    case TIntKind::S64: return FInt64;
    case TIntKind::U64: return FQWord;
    }
    return FInt64;
}

const TType* TTypes::ForConstant(qint64 aValue) const
{
    return IntType(KindForRange(aValue, aValue));
}

const TType* TTypes::NewSubrange(const TType* aBase, qint64 aLow, qint64 aHigh)
{
    auto t = std::make_unique<TType>();
    t->Kind = aBase->Kind;
    t->Base = aBase->Base;
    t->Name = QStringLiteral("%1..%2").arg(aLow).arg(aHigh);
    if (aBase->Kind == TTypeKind::Char)
        t->Name = QStringLiteral("#%1..#%2").arg(aLow).arg(aHigh);
    t->Low = aLow;
    t->High = aHigh;
    t->IntKind = aBase->Kind == TTypeKind::Integer ? KindForRange(aLow, aHigh) : aBase->IntKind;
    t->Size = KindSize(t->IntKind);
    t->Align = int(t->Size);
    t->EnumNames = aBase->EnumNames;
    return Add(std::move(t));
}

TType* TTypes::NewEnum(const QString& aName, const std::vector<QString>& aNames)
{
    TType* t = New(TTypeKind::Enum, aName);
    t->EnumNames = aNames;
    t->Low = 0;
    t->High = qint64(aNames.size()) - 1;
    t->IntKind = KindForRange(0, t->High);
    t->Size = KindSize(t->IntKind);
    t->Align = int(t->Size);
    return t;
}

QString TTypes::RangeText(const TType* aType)
{
    return QStringLiteral("%1..%2").arg(aType->Low).arg(aType->High);
}

const TType* TTypes::NewStaticArray(const TType* aIndex, const TType* aElement)
{
    TType* t = New(TTypeKind::StaticArray,
                   QStringLiteral("array[%1] of %2")
                       .arg(aIndex->Name == RangeText(aIndex) || aIndex->Name.isEmpty() ? RangeText(aIndex)
                                                                                        : aIndex->Name,
                            aElement->Name));
    t->Index = aIndex;
    t->Element = aElement;
    t->Low = aIndex->Low;
    t->High = aIndex->High;
    t->Size = t->Count() * aElement->Size;
    t->Align = aElement->Align;
    t->Default = TValue::FromArr(NewArr(t->Count(), aElement->Default));
    return t;
}

const TType* TTypes::NewDynArray(const TType* aElement, bool aOpen)
{
    TType* t = New(TTypeKind::DynArray, QStringLiteral("array of %1").arg(aElement->Name));
    t->Element = aElement;
    t->OpenArray = aOpen;
    return t;
}

const TType* TTypes::NewShortString(qint64 aLength)
{
    TType* t = New(TTypeKind::String, QStringLiteral("string[%1]").arg(aLength));
    t->High = aLength;
    t->Size = aLength + 1;
    t->Align = 1;
    return t;
}

TType* TTypes::NewProcedural(const QString& aName)
{
    TType* t = New(TTypeKind::Procedural, aName);
    t->Default = TValue::FromInt(0);
    t->Size = 8;
    t->Align = 8;
    return t;
}

const TType* TTypes::NewSet(const TType* aElement)
{
    TType* t = New(TTypeKind::Set, QStringLiteral("set of %1").arg(aElement->Name));
    t->Element = aElement;
    t->Default.K = TVKind::Set;
    t->Size = std::max<qint64>(1, (std::min<qint64>(aElement->High, 255) / 8) + 1);
    if (t->Size > 4)
        t->Size = 32;
    return t;
}

void TTypes::FinishRecord(TType* aRecord)
{
    qint64 offset = 0;
    int align = 1;
    for (const TField& f : aRecord->Fields) {
        const int a = std::max(1, std::min(8, f.Type->Align));
        offset = (offset + a - 1) / a * a + f.Type->Size;
        align = std::max(align, a);
    }
    aRecord->Size = (offset + align - 1) / align * align;
    aRecord->Align = align;
    TArrRec* fields = NewArr(qint64(aRecord->Fields.size()), TValue());
    for (std::size_t i = 0; i < aRecord->Fields.size(); ++i)
        fields->Items()[i] = aRecord->Fields[i].Type->Default;
    aRecord->Default = TValue::FromArr(fields);
}

const TType* TTypes::NewClass(const QString& aName, const TType* aParent)
{
    return MakeClassType(aName, aParent->Class);
}

} // namespace pascal
