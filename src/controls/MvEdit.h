#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>
#include <QVariant>

#include <functional>

// A line edit for numbers that checks, trims and clamps what was typed, with a grey
// hint text for empty fields.
//
// It comes in two flavours that share every property:
//  - NumEdit (the main window's wait-time field): Enter validates, and after every
//    validation OnValidated is reported and the text is rewritten from AsFloat, so the
//    field always shows the value the program will really use.
//  - MvEdit (parameter dialogs): validation only checks, trims and clamps; the text the
//    user typed otherwise stays as it is.
//
// Validation only happens in numeric mode. In the NumEdit flavour a field holding
// nothing but "", "-" or "+" cannot be validated: Validate() raises EVarnexError. The
// event handlers of the control catch it and show it in the error box; program code
// that calls Validate() or SetDecimals() directly must be ready for it.
class TMvEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(TVariant Variant READ Variant WRITE SetVariant)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool NumMode READ NumMode WRITE SetNumMode)
    Q_PROPERTY(int Decimals READ Decimals WRITE SetDecimals)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(TValidateMode ValidateMode READ ValidateMode WRITE SetValidateMode)
    Q_PROPERTY(QString InfoText READ InfoText WRITE SetInfoText)
    Q_PROPERTY(QString InvalidInputMessage READ InvalidInputMessage WRITE SetInvalidInputMessage)
    Q_PROPERTY(QString InvalidRangeMessage READ InvalidRangeMessage WRITE SetInvalidRangeMessage)

public:
    enum class TVariant { NumEdit, MvEdit };
    Q_ENUM(TVariant)
    enum class TAlignment { Left, Right, Center };
    Q_ENUM(TAlignment)
    // vmInput checks every change and again on leaving the field; vmExit only on leaving.
    enum TValidateMode { vmNone, vmInput, vmExit };
    Q_ENUM(TValidateMode)

    // Forms create the plain MvEdit flavour and pick the flavour afterwards.
    explicit TMvEdit(QWidget* aParent = nullptr);
    explicit TMvEdit(TVariant aVariant, QWidget* aParent = nullptr);
    ~TMvEdit() override;

    TVariant Variant() const { return FVariant; }
    void SetVariant(TVariant aValue) { FVariant = aValue; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment aValue);

    // Switching numeric mode on right-aligns the field, switching it off left-aligns it.
    bool NumMode() const { return FNumMode; }
    void SetNumMode(bool aValue);

    // Digits kept after the decimal separator; negative keeps them all. A new value
    // re-validates the current text at once.
    int Decimals() const { return FDecimals; }
    void SetDecimals(int aValue);

    // A limit of exactly 0 means "no limit on that side".
    double MinValue() const { return FMinValue; }
    void SetMinValue(double aValue) { FMinValue = aValue; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double aValue) { FMaxValue = aValue; }

    TValidateMode ValidateMode() const { return FValidateMode; }
    void SetValidateMode(TValidateMode aValue) { FValidateMode = aValue; }

    // Shown in grey as the field's text while it is empty and not focused.
    QString InfoText() const { return FInfoText; }
    void SetInfoText(const QString& aValue);

    // Shown in the error box when set; empty means the field corrects itself silently.
    QString InvalidInputMessage() const { return FInvalidInputMessage; }
    void SetInvalidInputMessage(const QString& aValue) { FInvalidInputMessage = aValue; }
    QString InvalidRangeMessage() const { return FInvalidRangeMessage; }
    void SetInvalidRangeMessage(const QString& aValue) { FInvalidRangeMessage = aValue; }

    // 0 for an empty or unreadable text (also "nan" and "inf"); read with the locale's
    // decimal separator.
    double AsFloat() const;
    // Writes the value in the short general format, Decimals significant digits.
    void SetAsFloat(double aValue);
    int AsInteger() const;
    void SetAsInteger(int aValue);

    QVariant Value() const { return text(); }
    void SetValue(const QVariant& aValue) { setText(aValue.toString()); }

    // Checks, trims and clamps the text; see the class comment for the one exception.
    void Validate();

    // The text AsFloat writes: aValue rounded to aPrecision significant digits (2..18, a
    // half going away from zero), fixed notation without trailing zeros unless the integer part needs more digits
    // than that or the value is below 0.0001, then d.dddE[-]xxx. Uses the decimal
    // separator of the default locale.
    static QString FormatGeneral(double aValue, int aPrecision);

    // The colour of the hint text.
    static QColor InfoTextColor() { return QColor(0x80, 0x80, 0x80); }

    std::function<void(TMvEdit* aSender, const QString& aOrgText)> OnInvalidInput;
    std::function<void(TMvEdit* aSender, double aMinValue, double aMaxValue, double aValue)> OnInvalidRange;
    // NumEdit flavour only: the value as entered and the value the field settled on.
    std::function<void(TMvEdit* aSender, double aEnteredValue, double aValidatedValue)> OnValidated;

protected:
    void keyPressEvent(QKeyEvent* aEvent) override;
    void focusInEvent(QFocusEvent* aEvent) override;
    void focusOutEvent(QFocusEvent* aEvent) override;

private:
    void TextChanged();
    void DoValidate();
    void ReplaceTextKeepCaret(const QString& aText);
    void SetTextColor(const QColor& aColor);
    void FillInfoText();
    bool ShowsInfoText() const;
    int Precision() const;

    TVariant FVariant = TVariant::MvEdit;
    TAlignment FAlignment = TAlignment::Left;
    bool FNumMode = false;
    int FDecimals = 0;
    double FMinValue = 0.0;
    double FMaxValue = 0.0;
    TValidateMode FValidateMode = vmNone;
    QString FInfoText;
    QString FInvalidInputMessage;
    QString FInvalidRangeMessage;

    QColor FNormalColor;
    // The last text that passed the conversion; an unreadable entry is replaced by it.
    QString mOldValue;
    bool mDecimalSeparatorPressed = false;
};
