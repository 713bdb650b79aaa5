#include "controls/MvEdit.h"

#include "base/ErrorGuard.h"
#include "base/Prompts.h"
#include "base/VarnexError.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPalette>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

QString DecimalSeparator()
{
    return QLocale().decimalPoint();
}

// Texts that are on their way to becoming a number; they are let through unconverted.
bool IsIncompleteNumber(const QString& aText)
{
    return aText.isEmpty() || aText == QLatin1String("-") || aText == QLatin1String("+");
}

// The locale reader also takes "nan" and "inf", which no one means as a number and which
// would break every comparison and conversion after it.
bool ToNumber(const QString& aText, double& aValue)
{
    bool ok = false;
    aValue = QLocale().toDouble(aText, &ok);
    return ok && std::isfinite(aValue);
}

bool Converts(const QString& aText)
{
    double value = 0.0;
    return ToNumber(aText, value);
}

// Switches validation on change off for as long as it lives, so that text the control
// writes itself is not checked again half-way.
class TValidateModeOverride
{
public:
    TValidateModeOverride(TMvEdit::TValidateMode& aMode, TMvEdit::TValidateMode aTemporary)
        : FMode(aMode)
        , FSaved(aMode)
    {
        FMode = aTemporary;
    }
    ~TValidateModeOverride() { FMode = FSaved; }
    TValidateModeOverride(const TValidateModeOverride&) = delete;
    TValidateModeOverride& operator=(const TValidateModeOverride&) = delete;

private:
    TMvEdit::TValidateMode& FMode;
    TMvEdit::TValidateMode FSaved;
};

// The significant digits and decimal exponent of aValue (>= 0) in the shortest form that
// reads back exactly. to_chars rather than printf: the application may have switched the
// C locale to one with a decimal comma.
bool ShortestDigits(double aValue, std::string& aDigits, int& aExponent)
{
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof(buffer), aValue, std::chars_format::scientific);
    if (error != std::errc())
        return false;
    const std::string scientific(buffer, end); // d.ddddde+xx
    const auto ePos = scientific.find('e');
    if (ePos == std::string::npos)
        return false;
    aDigits.clear();
    for (std::size_t i = 0; i < ePos; ++i)
        if (scientific[i] >= '0' && scientific[i] <= '9')
            aDigits += scientific[i];
    const char* expBegin = scientific.c_str() + ePos + 1;
    if (*expBegin == '+')
        ++expBegin;
    const auto parsed = std::from_chars(expBegin, scientific.c_str() + scientific.size(), aExponent);
    return parsed.ec == std::errc() && !aDigits.empty();
}

// Cuts aDigits to aCount digits, a 5 or more going up as on paper. Rounding the digits the
// user sees rather than the binary value keeps 125 from becoming 120 and 2.675 from
// becoming 2.67.
void RoundDigits(std::string& aDigits, int& aExponent, std::size_t aCount)
{
    if (aDigits.size() <= aCount)
        return;
    const bool up = aDigits[aCount] >= '5';
    aDigits.resize(aCount);
    if (!up)
        return;
    std::size_t i = aCount;
    while (i > 0 && aDigits[i - 1] == '9')
        aDigits[--i] = '0';
    if (i > 0) {
        ++aDigits[i - 1];
        return;
    }
    // 9.99 became 10.0: one digit more in front, the last one falls away.
    aDigits.insert(aDigits.begin(), '1');
    aDigits.pop_back();
    ++aExponent;
}

} // namespace

TMvEdit::TMvEdit(QWidget* aParent)
    : TMvEdit(TVariant::MvEdit, aParent)
{
}

TMvEdit::TMvEdit(TVariant aVariant, QWidget* aParent)
    : QLineEdit(aParent)
    , FVariant(aVariant)
{
    FNormalColor = palette().color(QPalette::Text);
    SetAlignment(TAlignment::Left);
    connect(this, &QLineEdit::textChanged, this, &TMvEdit::TextChanged);
}

TMvEdit::~TMvEdit() = default;

void TMvEdit::SetAlignment(TAlignment aValue)
{
    FAlignment = aValue;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (aValue == TAlignment::Right)
        horizontal = Qt::AlignRight;
    else if (aValue == TAlignment::Center)
        horizontal = Qt::AlignHCenter;
    setAlignment(horizontal | Qt::AlignVCenter);
}

void TMvEdit::SetNumMode(bool aValue)
{
    FNumMode = aValue;
    SetAlignment(aValue ? TAlignment::Right : TAlignment::Left);
}

void TMvEdit::SetDecimals(int aValue)
{
    if (aValue == FDecimals)
        return;
    FDecimals = aValue;
    Validate();
}

void TMvEdit::SetInfoText(const QString& aValue)
{
    if (aValue == FInfoText)
        return;
    const bool showingOld = !hasFocus() && ShowsInfoText();
    FInfoText = aValue;
    if (showingOld) {
        // The old hint must not survive as if the user had typed it.
        TValidateModeOverride quiet(FValidateMode, vmExit);
        setText(QString());
        SetTextColor(FNormalColor);
    }
    FillInfoText();
}

double TMvEdit::AsFloat() const
{
    double value = 0.0;
    return ToNumber(text(), value) ? value : 0.0;
}

void TMvEdit::SetAsFloat(double aValue)
{
    setText(FormatGeneral(aValue, Precision()));
}

int TMvEdit::AsInteger() const
{
    const double value = std::trunc(AsFloat());
    // Out-of-range values would be undefined behaviour in the cast.
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(value);
}

void TMvEdit::SetAsInteger(int aValue)
{
    SetAsFloat(double(aValue));
}

int TMvEdit::Precision() const
{
    return FDecimals < 0 ? 18 : FDecimals;
}

QString TMvEdit::FormatGeneral(double aValue, int aPrecision)
{
    if (!std::isfinite(aValue))
        return QStringLiteral("0");
    if (aValue == 0.0)
        return QStringLiteral("0");
    const int precision = std::clamp(aPrecision, 2, 18);

    // A double holds about 17 significant digits; more than its shortest exact form would
    // print binary noise (0.1 as 0.100000000000000006).
    std::string digits;
    int exponent = 0;
    if (!ShortestDigits(std::fabs(aValue), digits, exponent))
        return QStringLiteral("0");
    RoundDigits(digits, exponent, std::size_t(precision));
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    const QString separator = DecimalSeparator();
    QString result = aValue < 0 ? QStringLiteral("-") : QString();
    if (exponent + 1 > precision || exponent < -4) {
        result += QLatin1Char(digits[0]);
        if (digits.size() > 1)
            result += separator + QString::fromLatin1(digits.substr(1));
        result += QLatin1Char('E');
        if (exponent < 0)
            result += QLatin1Char('-');
        result += QString::number(std::abs(exponent)).rightJustified(3, QLatin1Char('0'));
    } else if (exponent >= 0) {
        const std::size_t integerDigits = std::size_t(exponent) + 1;
        std::string integerPart = digits.substr(0, std::min(integerDigits, digits.size()));
        integerPart.resize(integerDigits, '0');
        result += QString::fromLatin1(integerPart);
        if (digits.size() > integerDigits)
            result += separator + QString::fromLatin1(digits.substr(integerDigits));
    } else {
        result += QLatin1Char('0') + separator + QString(-exponent - 1, QLatin1Char('0'))
            + QString::fromLatin1(digits);
    }
    return result;
}

void TMvEdit::Validate()
{
    if (!FNumMode)
        return;
    DoValidate();
}

void TMvEdit::DoValidate()
{
    const QString separator = DecimalSeparator();
    const QString entered = text();

    if (IsIncompleteNumber(entered) || Converts(entered)) {
        mOldValue = entered;
    } else {
        if (!FInvalidInputMessage.isEmpty())
            Prompts().ShowError(FInvalidInputMessage);
        if (OnInvalidInput)
            OnInvalidInput(this, entered);
        ReplaceTextKeepCaret(mOldValue);
    }

    // In exponent form the digits after the separator are significant digits, not decimals:
    // cutting them away without decimals would turn 1.2E003 (1200) into 1.
    const bool exponentWithoutDecimals =
        FDecimals < 1 && text().contains(QLatin1Char('E'), Qt::CaseInsensitive);
    if (FDecimals >= 0 && !exponentWithoutDecimals) {
        const QString current = text();
        const int sepPos = current.indexOf(separator);
        const QString integerPart = sepPos < 0 ? current : current.left(sepPos);
        QString fraction = sepPos < 0 ? QString() : current.mid(sepPos + separator.size());
        const int ePos = fraction.indexOf(QLatin1Char('E'), 0, Qt::CaseInsensitive);
        const QString exponent = ePos < 0 ? QString() : fraction.mid(ePos);
        const QString fractionDigits = ePos < 0 ? fraction : fraction.left(ePos);
        if (fractionDigits.size() > FDecimals)
            fraction = fractionDigits.left(FDecimals) + exponent;

        QString trimmed = integerPart;
        // A separator just typed stays, so the user can go on with the fraction.
        if (FDecimals >= 1 && sepPos >= 0 && (!fraction.isEmpty() || mDecimalSeparatorPressed))
            trimmed += separator + fraction;
        if (trimmed != current)
            ReplaceTextKeepCaret(trimmed);
    }

    if (FMinValue != 0.0 && AsFloat() < FMinValue) {
        if (OnInvalidRange)
            OnInvalidRange(this, FMinValue, FMaxValue, AsFloat());
        SetAsFloat(FMinValue);
        if (!FInvalidRangeMessage.isEmpty())
            Prompts().ShowError(FInvalidRangeMessage);
    }
    if (FMaxValue != 0.0 && AsFloat() > FMaxValue) {
        if (OnInvalidRange)
            OnInvalidRange(this, FMinValue, FMaxValue, AsFloat());
        SetAsFloat(FMaxValue);
        if (!FInvalidRangeMessage.isEmpty())
            Prompts().ShowError(FInvalidRangeMessage);
    }

    mDecimalSeparatorPressed = text().contains(separator);

    if (FVariant != TVariant::NumEdit)
        return;
    // The wait-time field needs a real number to work with; a bare sign or nothing at
    // all is an error here rather than a silent 0.
    double enteredValue = 0.0;
    if (!ToNumber(mOldValue, enteredValue))
        throw EVarnexError(QStringLiteral("'%1' ist kein gültiger Gleitkommawert").arg(mOldValue));
    if (OnValidated)
        OnValidated(this, enteredValue, AsFloat());
    SetAsFloat(AsFloat());
}

void TMvEdit::ReplaceTextKeepCaret(const QString& aText)
{
    const int caret = cursorPosition();
    setText(aText);
    setCursorPosition(std::min(caret, int(aText.size())));
}

void TMvEdit::SetTextColor(const QColor& aColor)
{
    if (palette().color(QPalette::Text) == aColor)
        return;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, aColor);
    setPalette(pal);
}

bool TMvEdit::ShowsInfoText() const
{
    return !FInfoText.isEmpty() && text().compare(FInfoText, Qt::CaseInsensitive) == 0;
}

void TMvEdit::FillInfoText()
{
    if (FInfoText.isEmpty() || hasFocus() || !text().isEmpty())
        return;
    {
        // The hint is no input and must not be checked as one.
        TValidateModeOverride quiet(FValidateMode, vmExit);
        setText(FInfoText);
    }
    SetTextColor(InfoTextColor());
}

void TMvEdit::TextChanged()
{
    mDecimalSeparatorPressed = text().contains(DecimalSeparator());
    if (FNumMode) {
        if (FValidateMode == vmInput)
            Guarded([this] { Validate(); });
    } else if (!FInfoText.isEmpty()) {
        SetTextColor(!hasFocus() && ShowsInfoText() ? InfoTextColor() : FNormalColor);
    }
}

void TMvEdit::keyPressEvent(QKeyEvent* aEvent)
{
    if (FVariant == TVariant::NumEdit
        && (aEvent->key() == Qt::Key_Return || aEvent->key() == Qt::Key_Enter)) {
        Guarded([this] { Validate(); });
        aEvent->accept();
        return;
    }
    QLineEdit::keyPressEvent(aEvent);
}

void TMvEdit::focusInEvent(QFocusEvent* aEvent)
{
    QLineEdit::focusInEvent(aEvent);
    // Coming back from the context menu is no new entry into the field.
    if (aEvent->reason() == Qt::PopupFocusReason)
        return;
    if (FNumMode)
        mOldValue = FormatGeneral(AsFloat(), 15);
    SetTextColor(FNormalColor);
    if (ShowsInfoText()) {
        TValidateModeOverride quiet(FValidateMode, vmExit);
        setText(QString());
    }
}

void TMvEdit::focusOutEvent(QFocusEvent* aEvent)
{
    // A context menu or another application taking over does not mean the user is done
    // with the field; checking then would also pop up error boxes at odd moments.
    const Qt::FocusReason reason = aEvent->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
        if (FValidateMode == vmInput || FValidateMode == vmExit) {
            TValidateModeOverride exitOnly(FValidateMode, vmExit);
            Guarded([this] { Validate(); });
        }
        FillInfoText();
    }
    QLineEdit::focusOutEvent(aEvent);
}
