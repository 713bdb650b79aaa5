#pragma once

#include "pascal/Runtime.h"
#include "pascal/SourcePos.h"
#include "pascal/Value.h"

#include <vector>

// The run-time library: routines every script knows without declaring them.
namespace pascal {

// Routines whose arguments the checker handles itself (generic over types, var arguments,
// compile-time results, control flow).
enum class TMagic : int {
    Length,
    SetLength,
    High,
    Low,
    Inc,
    Dec,
    Ord,
    Chr,
    Succ,
    Pred,
    Odd,
    Abs,
    Sqr,
    Min,
    Max,
    Round,
    Trunc,
    Copy,
    Pos,
    Delete,
    Insert,
    Concat,
    Format,
    SizeOf,
    Exit,
    Break,
    Continue,
    Halt,
    Include,
    Exclude,
    Random,
    Assert,
    TryStrToInt,
    TryStrToInt64,
    TryStrToFloat,
    Val,
    Str,
    Assigned,
    IntToHex,
    Hi,
    Lo,
    FreeAndNil,
    DecodeDate,
    DecodeTime,
    Swap,
    Default,
    FillChar,
    IfThen,
    Count
};

const char* MagicName(TMagic aMagic);

using TBuiltinFn = TValue (*)(TRuntime& aRt, const TValue* aArgs, int aCount, TSourcePos aPos);

// A routine with an ordinary signature. Types are named as the checker resolves them:
// "string", "Char", "Integer", "Int64", "Cardinal", "Double", "Boolean", "TReplaceFlags",
// "TSysCharSet"; an empty result is a procedure.
struct TBuiltinFunc
{
    const char* Name;
    const char* Result;
    std::vector<const char*> Params;
    int MinArgs;
    TBuiltinFn Fn;
};

const std::vector<TBuiltinFunc>& BuiltinFuncs();

// Pieces the built-ins share with the magic nodes.

// The 0-based position of aNeedle in aText at or after aFrom, or -1. The search can take
// long on big texts, so it counts toward the time limit as it goes.
qint64 FindText(TRuntime& aRt, TSourcePos aPos, const TStr& aText, const TStr& aNeedle, qint64 aFrom,
                bool aIgnoreCase);
// A script's text quoted in a message, shortened when it is long.
QString QuotedForMessage(const TStr& aText);
bool ParseInteger(const char* aText, qint64 aLength, qint64& aValue, bool aAllow64);
// A QWord's text (no minus sign); aValue gets its bits.
bool ParseQWord(const char* aText, qint64 aLength, qint64& aValue);
bool ParseReal(const char* aText, qint64 aLength, double& aValue);
[[noreturn]] void RaiseNotInteger(TRuntime& aRt, const TStr& aText, TSourcePos aPos);
TStr IntToHexStr(qint64 aValue, int aDigits, bool a64);
double NextRandom(TRuntime& aRt);
qint64 NextRandomInt(TRuntime& aRt, qint64 aRange);
// Free Pascal's ffGeneral with 15 digits, as FloatToStr writes a number.
TStr FloatToStrGeneral(double aValue, int aPrecision = 15);
// CompareText: byte-wise with ASCII letters as capitals, then by length.
int CompareNoCase(const TStr& a, const TStr& b);

// The three groups of the table, one per source file.
void AddStringFuncs(std::vector<TBuiltinFunc>& aTable);
void AddMathFuncs(std::vector<TBuiltinFunc>& aTable);
void AddDateFuncs(std::vector<TBuiltinFunc>& aTable);

} // namespace pascal
