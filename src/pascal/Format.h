#pragma once

#include "pascal/Value.h"

#include <QString>

#include <functional>
#include <vector>

// SysUtils.Format: the argument list and the formatting itself.
namespace pascal {

struct TFormatArg
{
    enum class TKind : unsigned char { Int32, Int64, Real, Str, Char, Bool, Object };
    TKind Kind = TKind::Int32;
    qint64 Int = 0;
    double Real = 0;
    TStr Text;
};

enum class TFormatResult : unsigned char { Ok, BadFormat, TooLong };

// Formats aFormat with aArgs as Free Pascal's Format does for %d %u %x %e %f %g %n %s %%
// with index, '-', width and precision (also '*'). A bad directive or an argument of the
// wrong kind gives BadFormat with the directive named in aError; a result longer than
// aMaxLength gives TooLong. aWork hears of every piece written (its length), so a long
// format can be charged to the script's time as it goes.
TFormatResult FormatText(const TStr& aFormat, const std::vector<TFormatArg>& aArgs, qint64 aMaxLength,
                         TStr& aOut, QString& aError, const std::function<void(qint64)>& aWork = {});

// Fixed-point text of aValue with aDecimals digits after the point, rounding half away from
// zero on the decimal digits; with aThousands the integer part gets ',' separators.
std::string FixedText(double aValue, int aDecimals, bool aThousands);

// SysUtils.FormatFloat: '0' and '#' digits, '.', ',' for thousands, E+00 / E-0 exponents,
// quoted text, and up to three sections (positive;negative;zero).
std::string FormatFloatText(const std::string& aFormat, double aValue);
// SysUtils.FloatToStrF; aFormat counts TFloatFormat (ffGeneral = 0 ... ffCurrency = 4).
std::string FloatToStrFText(double aValue, int aFormat, int aPrecision, int aDigits);

} // namespace pascal
