#include "pascal/Builtins.h"

#include <QDateTime>

#include <cmath>

// Math routines (System and the Math unit).
namespace pascal {

namespace {

TValue Real(TRuntime& aRt, double aValue, TSourcePos aPos)
{
    if (std::isnan(aValue))
        aRt.InvalidFloat(aPos);
    if (std::isinf(aValue))
        aRt.Raise("EOverflow", QStringLiteral("Gleitkommaüberlauf"), aPos);
    return TValue::FromReal(aValue);
}

TValue Sqrt(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::sqrt(a[0].R), p);
}
TValue Sin(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::sin(a[0].R), p);
}
TValue Cos(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::cos(a[0].R), p);
}
TValue Tan(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::tan(a[0].R), p);
}
TValue ArcTan(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::atan(a[0].R), p);
}
TValue ArcTan2(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::atan2(a[0].R, a[1].R), p);
}
TValue ArcSin(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::asin(a[0].R), p);
}
TValue ArcCos(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::acos(a[0].R), p);
}
TValue Exp(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::exp(a[0].R), p);
}
TValue Frac(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, a[0].R - std::trunc(a[0].R), p);
}
TValue Int(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Real(aRt, std::trunc(a[0].R), p);
}

TValue Log(TRuntime& aRt, double aValue, double (*aFn)(double), TSourcePos aPos)
{
    if (aValue == 0)
        aRt.Raise("EZeroDivide", QStringLiteral("Gleitkommadivision durch Null"), aPos);
    return Real(aRt, aFn(aValue), aPos);
}

TValue Ln(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Log(aRt, a[0].R, std::log, p);
}
TValue Log10(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Log(aRt, a[0].R, std::log10, p);
}
TValue Log2(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Log(aRt, a[0].R, std::log2, p);
}

TValue Power(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    if (a[0].R == 0 && a[1].R < 0)
        aRt.Raise("EZeroDivide", QStringLiteral("Gleitkommadivision durch Null"), p);
    return Real(aRt, std::pow(a[0].R, a[1].R), p);
}

TValue Rounded(TRuntime& aRt, double aValue, TSourcePos aPos)
{
    if (!(aValue >= -9223372036854775808.0 && aValue < 9223372036854775808.0))
        aRt.InvalidFloat(aPos);
    return TValue::FromInt(qint64(aValue));
}

TValue Ceil(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Rounded(aRt, std::ceil(a[0].R), p);
}
TValue Floor(TRuntime& aRt, const TValue* a, int, TSourcePos p)
{
    return Rounded(aRt, std::floor(a[0].R), p);
}

TValue Randomize(TRuntime& aRt, const TValue*, int, TSourcePos)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    aRt.RandSeed = quint32(now) ^ quint32(now >> 32) ^ 0x5DEECE66u;
    return {};
}

TValue RandomRange(TRuntime& aRt, const TValue* a, int, TSourcePos)
{
    const qint64 low = std::min(a[0].I, a[1].I);
    const qint64 high = std::max(a[0].I, a[1].I);
    return TValue::FromInt(low + NextRandomInt(aRt, high - low));
}

TValue Sign(TRuntime&, const TValue* a, int, TSourcePos)
{
    return TValue::FromInt(a[0].R > 0 ? 1 : a[0].R < 0 ? -1 : 0);
}

TValue IsNan(TRuntime&, const TValue* a, int, TSourcePos)
{
    return TValue::FromInt(std::isnan(a[0].R));
}

} // namespace

void AddMathFuncs(std::vector<TBuiltinFunc>& t)
{
    t.push_back({"Sqrt", "Double", {"Double"}, 1, Sqrt});
    t.push_back({"Sin", "Double", {"Double"}, 1, Sin});
    t.push_back({"Cos", "Double", {"Double"}, 1, Cos});
    t.push_back({"Tan", "Double", {"Double"}, 1, Tan});
    t.push_back({"ArcTan", "Double", {"Double"}, 1, ArcTan});
    t.push_back({"ArcTan2", "Double", {"Double", "Double"}, 2, ArcTan2});
    t.push_back({"ArcSin", "Double", {"Double"}, 1, ArcSin});
    t.push_back({"ArcCos", "Double", {"Double"}, 1, ArcCos});
    t.push_back({"Exp", "Double", {"Double"}, 1, Exp});
    t.push_back({"Ln", "Double", {"Double"}, 1, Ln});
    t.push_back({"Log10", "Double", {"Double"}, 1, Log10});
    t.push_back({"Log2", "Double", {"Double"}, 1, Log2});
    t.push_back({"Frac", "Double", {"Double"}, 1, Frac});
    t.push_back({"Int", "Double", {"Double"}, 1, Int});
    t.push_back({"Power", "Double", {"Double", "Double"}, 2, Power});
    t.push_back({"Ceil", "Int64", {"Double"}, 1, Ceil});
    t.push_back({"Floor", "Int64", {"Double"}, 1, Floor});
    t.push_back({"Randomize", "", {}, 0, Randomize});
    t.push_back({"RandomRange", "Integer", {"Integer", "Integer"}, 2, RandomRange});
    t.push_back({"Sign", "Integer", {"Double"}, 1, Sign});
    t.push_back({"IsNan", "Boolean", {"Double"}, 1, IsNan});
}

} // namespace pascal
