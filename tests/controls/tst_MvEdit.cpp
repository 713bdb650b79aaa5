#include "controls/MvEdit.h"

#include "base/VarnexError.h"
#include "ScriptedDialogs.h"

#include <QLocale>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

using TVariant = TMvEdit::TVariant;

QLocale English()
{
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
QLocale German()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

// Records what the control reported.
struct TEventLog
{
    QStringList InvalidInputs;
    struct TRange
    {
        double Min, Max, Value;
    };
    QList<TRange> InvalidRanges;
    struct TValidated
    {
        double Entered, Validated;
    };
    QList<TValidated> Validations;

    void Attach(TMvEdit& aEdit)
    {
        aEdit.OnInvalidInput = [this, &aEdit](TMvEdit* aSender, const QString& aOrgText) {
            QCOMPARE(aSender, &aEdit);
            InvalidInputs << aOrgText;
        };
        aEdit.OnInvalidRange = [this](TMvEdit*, double aMin, double aMax, double aValue) {
            InvalidRanges << TRange{aMin, aMax, aValue};
        };
        aEdit.OnValidated = [this](TMvEdit*, double aEntered, double aValidated) {
            Validations << TValidated{aEntered, aValidated};
        };
    }
};

// A numeric edit of the given flavour, as the forms set them up.
void MakeNumeric(TMvEdit& aEdit, int aDecimals, TMvEdit::TValidateMode aMode = TMvEdit::vmNone)
{
    aEdit.SetNumMode(true);
    aEdit.SetValidateMode(aMode);
    aEdit.SetDecimals(aDecimals);
}

// A window holding the edit and a second field to move the focus to.
struct TFocusWindow
{
    QWidget Window;
    TMvEdit* Edit;
    QLineEdit* Other;

    explicit TFocusWindow(TVariant aVariant = TVariant::MvEdit)
    {
        auto* layout = new QVBoxLayout(&Window);
        Edit = new TMvEdit(aVariant, &Window);
        Other = new QLineEdit(&Window);
        layout->addWidget(Edit);
        layout->addWidget(Other);
        Other->setFocus();
    }

    bool Activate()
    {
        Window.show();
        Window.activateWindow();
        return QTest::qWaitForWindowActive(&Window);
    }
};

} // namespace

class TstMvEdit : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanupTestCase();

    void defaults();
    void numModeSetsAlignment();
    void formatGeneral_data();
    void formatGeneral();
    void formatGeneralUsesLocaleSeparator();
    void asFloatAndAsInteger_data();
    void asFloatAndAsInteger();
    void asFloatReadsGermanSeparator();
    void writingValuesUsesGeneralFormat();
    void valueProperty();

    void decimalsCutFraction();
    void decimalsZeroKeepsIntegerPart();
    void exponentSurvivesCut();
    void settingDecimalsValidatesAtOnce();
    void nothingHappensOutsideNumMode();
    void typedSeparatorStays();
    void invalidInputRestoresLastAcceptedText();
    void invalidInputWithoutMessageIsSilent();
    void signsAndEmptyPassAsInput();
    void zeroLimitsSwitchRangeOff();
    void minValueClamps();
    void maxValueClamps();
    void mvEditDoesNotRewriteOrReport();

    void numEditEnter_data();
    void numEditEnter();
    void numEditEnterGerman();
    void numEditReportsValidation();
    void numEditBareSignIsAnError();
    void mvEditLeavesEnterAlone();

    void exitModeValidatesOnLeaving();
    void focusInRemembersShownValue();
    void infoTextPlaceholder();
    void infoTextMatchesAnyCase();
    void infoTextInNumericField();

private:
    QLocale FStartLocale;
};

void TstMvEdit::init()
{
    static bool first = true;
    if (first) {
        FStartLocale = QLocale();
        first = false;
    }
    QLocale::setDefault(English());
}

void TstMvEdit::cleanupTestCase()
{
    QLocale::setDefault(FStartLocale);
}

void TstMvEdit::defaults()
{
    TMvEdit edit;
    QCOMPARE(edit.Variant(), TVariant::MvEdit);
    QCOMPARE(edit.Alignment(), TMvEdit::TAlignment::Left);
    QVERIFY(edit.alignment() & Qt::AlignLeft);
    QVERIFY(!edit.NumMode());
    QCOMPARE(edit.Decimals(), 0);
    QCOMPARE(edit.MinValue(), 0.0);
    QCOMPARE(edit.MaxValue(), 0.0);
    QCOMPARE(edit.ValidateMode(), TMvEdit::vmNone);
    QVERIFY(edit.InfoText().isEmpty());
    QVERIFY(edit.InvalidInputMessage().isEmpty());
    QVERIFY(edit.InvalidRangeMessage().isEmpty());
    QVERIFY(edit.text().isEmpty());
    QVERIFY(!edit.OnInvalidInput && !edit.OnInvalidRange && !edit.OnValidated);

    TMvEdit numEdit(TVariant::NumEdit);
    QCOMPARE(numEdit.Variant(), TVariant::NumEdit);
    // Forms set the properties through the meta-object.
    QVERIFY(edit.setProperty("Variant", QVariant::fromValue(TVariant::NumEdit)));
    QCOMPARE(edit.Variant(), TVariant::NumEdit);
    QVERIFY(edit.setProperty("ValidateMode", QVariant::fromValue(TMvEdit::vmExit)));
    QCOMPARE(edit.ValidateMode(), TMvEdit::vmExit);
    QVERIFY(edit.setProperty("MinValue", 1.5));
    QCOMPARE(edit.MinValue(), 1.5);
}

void TstMvEdit::numModeSetsAlignment()
{
    TMvEdit edit;
    edit.SetNumMode(true);
    QCOMPARE(edit.Alignment(), TMvEdit::TAlignment::Right);
    QVERIFY(edit.alignment() & Qt::AlignRight);
    edit.SetAlignment(TMvEdit::TAlignment::Center);
    QVERIFY(edit.alignment() & Qt::AlignHCenter);
    edit.SetNumMode(false);
    QCOMPARE(edit.Alignment(), TMvEdit::TAlignment::Left);
    QVERIFY(edit.alignment() & Qt::AlignLeft);
}

void TstMvEdit::formatGeneral_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("precision");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << 2 << "0";
    QTest::newRow("negative zero") << -0.0 << 2 << "0";
    QTest::newRow("fits") << 50.0 << 2 << "50";
    QTest::newRow("one digit too many") << 100.0 << 2 << "1E002";
    QTest::newRow("fraction in exponent form") << 150.0 << 2 << "1.5E002";
    QTest::newRow("rounded then exponent") << 1234.0 << 2 << "1.2E003";
    QTest::newRow("negative exponent form") << -1234.0 << 2 << "-1.2E003";
    QTest::newRow("pi to three") << 3.14159 << 3 << "3.14";
    QTest::newRow("no trailing zeros") << 2.5 << 6 << "2.5";
    QTest::newRow("negative fixed") << -0.25 << 2 << "-0.25";
    QTest::newRow("small fixed") << 0.0001 << 4 << "0.0001";
    QTest::newRow("leading zeros kept") << 0.00123 << 5 << "0.00123";
    QTest::newRow("too small") << 0.00001 << 5 << "1E-005";
    QTest::newRow("too small with digits") << 0.000025 << 2 << "2.5E-005";
    QTest::newRow("half rounds up") << 125.0 << 2 << "1.3E002";
    QTest::newRow("half of a fraction rounds up") << 0.125 << 2 << "0.13";
    QTest::newRow("negative half rounds away from zero") << -12.5 << 2 << "-13";
    QTest::newRow("rounded as written, not as stored") << 2.675 << 3 << "2.68";
    QTest::newRow("rounding carries") << 99.96 << 3 << "100";
    QTest::newRow("rounding carries into exponent") << 999.6 << 3 << "1E003";
    QTest::newRow("precision below two") << 1.5 << 0 << "1.5";
    QTest::newRow("precision below two rounds") << 1.55555 << 1 << "1.6";
    QTest::newRow("precision above eighteen") << 123456789.0 << 40 << "123456789";
    QTest::newRow("eighteen digits") << 1e17 << 18 << "100000000000000000";
    QTest::newRow("beyond eighteen digits") << 1e20 << 18 << "1E020";
    QTest::newRow("no binary noise") << 0.1 << 18 << "0.1";
    QTest::newRow("no binary noise either") << 3.14159 << 18 << "3.14159";
    QTest::newRow("all digits a double has") << 1.0 / 3.0 << 18 << "0.3333333333333333";
    QTest::newRow("large exponent") << 1.5e200 << 5 << "1.5E200";
    QTest::newRow("not a number") << qQNaN() << 5 << "0";
    QTest::newRow("infinity") << qInf() << 5 << "0";
}

void TstMvEdit::formatGeneral()
{
    QFETCH(double, value);
    QFETCH(int, precision);
    QFETCH(QString, expected);
    QCOMPARE(TMvEdit::FormatGeneral(value, precision), expected);
}

void TstMvEdit::formatGeneralUsesLocaleSeparator()
{
    QLocale::setDefault(German());
    QCOMPARE(TMvEdit::FormatGeneral(1234.0, 2), QStringLiteral("1,2E003"));
    QCOMPARE(TMvEdit::FormatGeneral(3.14159, 3), QStringLiteral("3,14"));
    QCOMPARE(TMvEdit::FormatGeneral(0.000025, 2), QStringLiteral("2,5E-005"));
}

void TstMvEdit::asFloatAndAsInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("asFloat");
    QTest::addColumn<int>("asInteger");

    QTest::newRow("fraction") << "7.9" << 7.9 << 7;
    QTest::newRow("negative fraction") << "-7.9" << -7.9 << -7;
    QTest::newRow("empty") << "" << 0.0 << 0;
    QTest::newRow("unreadable") << "abc" << 0.0 << 0;
    QTest::newRow("bare sign") << "-" << 0.0 << 0;
    QTest::newRow("not a number") << "nan" << 0.0 << 0;
    QTest::newRow("infinite") << "-inf" << 0.0 << 0;
    QTest::newRow("exponent") << "1.2E003" << 1200.0 << 1200;
    QTest::newRow("negative exponent") << "2.5E-001" << 0.25 << 0;
    QTest::newRow("too large for int") << "1E020" << 1e20 << std::numeric_limits<int>::max();
}

void TstMvEdit::asFloatAndAsInteger()
{
    QFETCH(QString, text);
    QFETCH(double, asFloat);
    QFETCH(int, asInteger);
    TMvEdit edit;
    edit.setText(text);
    QCOMPARE(edit.AsFloat(), asFloat);
    QCOMPARE(edit.AsInteger(), asInteger);
}

void TstMvEdit::asFloatReadsGermanSeparator()
{
    QLocale::setDefault(German());
    TMvEdit edit;
    edit.setText(QStringLiteral("2,5"));
    QCOMPARE(edit.AsFloat(), 2.5);
    edit.setText(QStringLiteral("1,2E003"));
    QCOMPARE(edit.AsInteger(), 1200);
}

void TstMvEdit::writingValuesUsesGeneralFormat()
{
    TMvEdit edit;
    edit.SetAsFloat(50);
    QCOMPARE(edit.text(), QStringLiteral("50"));
    edit.SetAsFloat(100);
    QCOMPARE(edit.text(), QStringLiteral("1E002"));
    edit.SetAsInteger(-1234);
    QCOMPARE(edit.text(), QStringLiteral("-1.2E003"));
    edit.SetDecimals(4);
    edit.SetAsFloat(3.14159);
    QCOMPARE(edit.text(), QStringLiteral("3.142"));
    edit.SetAsInteger(1234);
    QCOMPARE(edit.text(), QStringLiteral("1234"));
    // No cut at all means the full eighteen digits.
    edit.SetDecimals(-1);
    edit.SetAsFloat(0.1);
    QCOMPARE(edit.text(), QStringLiteral("0.1"));
    edit.SetAsFloat(123456.789);
    QCOMPARE(edit.text(), QStringLiteral("123456.789"));
}

void TstMvEdit::valueProperty()
{
    TMvEdit edit;
    edit.SetValue(QVariant(42));
    QCOMPARE(edit.text(), QStringLiteral("42"));
    QCOMPARE(edit.Value().toString(), QStringLiteral("42"));
    edit.SetValue(QStringLiteral("Hallo"));
    QCOMPARE(edit.Value(), QVariant(QStringLiteral("Hallo")));
}

void TstMvEdit::decimalsCutFraction()
{
    TMvEdit edit;
    MakeNumeric(edit, 2);
    edit.setText(QStringLiteral("3.14159"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.14"));
    // Nothing more to cut.
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.14"));
}

void TstMvEdit::decimalsZeroKeepsIntegerPart()
{
    TMvEdit edit;
    MakeNumeric(edit, 0);
    edit.setText(QStringLiteral("12.5"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("12"));
    edit.setText(QStringLiteral("-0.75"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("-0"));
}

void TstMvEdit::exponentSurvivesCut()
{
    TMvEdit edit;
    MakeNumeric(edit, 2);
    edit.setText(QStringLiteral("3.1E5"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.1E5"));
    edit.setText(QStringLiteral("3.14159e5"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.14e5"));
    // Without decimals a number in exponent form keeps its value.
    edit.SetDecimals(0);
    edit.setText(QStringLiteral("3.1E5"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.1E5"));
}

void TstMvEdit::settingDecimalsValidatesAtOnce()
{
    TMvEdit edit;
    MakeNumeric(edit, -1);
    edit.setText(QStringLiteral("3.14159"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("3.14159"));
    edit.SetDecimals(3);
    QCOMPARE(edit.text(), QStringLiteral("3.141"));
    edit.SetDecimals(1);
    QCOMPARE(edit.text(), QStringLiteral("3.1"));
}

void TstMvEdit::nothingHappensOutsideNumMode()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    edit.SetValidateMode(TMvEdit::vmInput);
    edit.SetMinValue(10);
    edit.SetInvalidInputMessage(QStringLiteral("Ungültig"));
    edit.setText(QStringLiteral("abc"));
    edit.Validate();
    edit.SetDecimals(2);
    QCOMPARE(edit.text(), QStringLiteral("abc"));
    QVERIFY(prompts.Errors.isEmpty());
    QVERIFY(log.InvalidInputs.isEmpty());
    QVERIFY(log.InvalidRanges.isEmpty());
}

void TstMvEdit::typedSeparatorStays()
{
    TMvEdit edit;
    MakeNumeric(edit, 2, TMvEdit::vmInput);
    QTest::keyClicks(&edit, QStringLiteral("3."));
    QCOMPARE(edit.text(), QStringLiteral("3."));
    QTest::keyClicks(&edit, QStringLiteral("149"));
    QCOMPARE(edit.text(), QStringLiteral("3.14"));
    QCOMPARE(edit.cursorPosition(), 4);
}

void TstMvEdit::invalidInputRestoresLastAcceptedText()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 2, TMvEdit::vmInput);
    edit.SetInvalidInputMessage(QStringLiteral("Bitte eine Zahl eingeben."));

    QTest::keyClicks(&edit, QStringLiteral("123"));
    QCOMPARE(edit.text(), QStringLiteral("123"));
    QVERIFY(prompts.Errors.isEmpty());

    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, QStringLiteral("a"));
    QCOMPARE(edit.text(), QStringLiteral("123"));
    QCOMPARE(edit.cursorPosition(), 2);
    QCOMPARE(log.InvalidInputs, QStringList{QStringLiteral("1a23")});
    QCOMPARE(prompts.Errors, QStringList{QStringLiteral("Bitte eine Zahl eingeben.")});

    // Typed into an empty field: nothing was accepted yet, so it empties again.
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    QCOMPARE(edit.text(), QString());
    QCOMPARE(log.InvalidInputs.size(), 4);
    QCOMPARE(log.InvalidInputs.last(), QStringLiteral("c"));
    QCOMPARE(prompts.Errors.size(), 4);
}

void TstMvEdit::invalidInputWithoutMessageIsSilent()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 0, TMvEdit::vmInput);
    QTest::keyClicks(&edit, QStringLiteral("4x"));
    QCOMPARE(edit.text(), QStringLiteral("4"));
    QCOMPARE(log.InvalidInputs, QStringList{QStringLiteral("4x")});
    QVERIFY(prompts.Errors.isEmpty());
    // The locale would read these; a numeric field must not take them.
    edit.setText(QStringLiteral("inf"));
    QCOMPARE(edit.text(), QStringLiteral("4"));
    QCOMPARE(log.InvalidInputs.last(), QStringLiteral("inf"));
    // An empty handler is simply skipped.
    edit.OnInvalidInput = nullptr;
    QTest::keyClicks(&edit, QStringLiteral("y"));
    QCOMPARE(edit.text(), QStringLiteral("4"));
}

void TstMvEdit::signsAndEmptyPassAsInput()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 1, TMvEdit::vmInput);
    edit.SetInvalidInputMessage(QStringLiteral("Ungültig"));
    QTest::keyClicks(&edit, QStringLiteral("-"));
    QCOMPARE(edit.text(), QStringLiteral("-"));
    QTest::keyClicks(&edit, QStringLiteral("2.55"));
    QCOMPARE(edit.text(), QStringLiteral("-2.5"));
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("+"));
    QCOMPARE(edit.text(), QStringLiteral("+"));
    QVERIFY(log.InvalidInputs.isEmpty());
    QVERIFY(prompts.Errors.isEmpty());
}

void TstMvEdit::zeroLimitsSwitchRangeOff()
{
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 0);
    for (const QString text : {QStringLiteral("-5000"), QStringLiteral("0"), QStringLiteral("99999")}) {
        edit.setText(text);
        edit.Validate();
        QCOMPARE(edit.text(), text);
    }
    // Only the side that is set is checked.
    edit.SetMaxValue(100);
    edit.setText(QStringLiteral("-5000"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("-5000"));
    QVERIFY(log.InvalidRanges.isEmpty());
}

void TstMvEdit::minValueClamps()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 0);
    edit.SetMinValue(10);
    edit.SetInvalidRangeMessage(QStringLiteral("Der Wert muss mindestens 10 sein."));
    edit.setText(QStringLiteral("5"));
    edit.Validate();
    QCOMPARE(edit.text(), TMvEdit::FormatGeneral(10, 2));
    QCOMPARE(edit.text(), QStringLiteral("10"));
    QCOMPARE(prompts.Errors, QStringList{QStringLiteral("Der Wert muss mindestens 10 sein.")});
    QCOMPARE(log.InvalidRanges.size(), 1);
    QCOMPARE(log.InvalidRanges[0].Min, 10.0);
    QCOMPARE(log.InvalidRanges[0].Max, 0.0);
    QCOMPARE(log.InvalidRanges[0].Value, 5.0);

    // Within range nothing is said.
    edit.setText(QStringLiteral("12"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("12"));
    QCOMPARE(prompts.Errors.size(), 1);

    // Without a message only the event tells.
    edit.SetInvalidRangeMessage(QString());
    edit.setText(QStringLiteral("-3"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("10"));
    QCOMPARE(prompts.Errors.size(), 1);
    QCOMPARE(log.InvalidRanges.size(), 2);
}

void TstMvEdit::maxValueClamps()
{
    TScriptedDialogs prompts;
    TMvEdit edit;
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 3);
    edit.SetMinValue(-1);
    edit.SetMaxValue(250);
    edit.SetInvalidRangeMessage(QStringLiteral("Zu groß"));
    edit.setText(QStringLiteral("300.5"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("250"));
    QCOMPARE(prompts.Errors, QStringList{QStringLiteral("Zu groß")});
    QCOMPARE(log.InvalidRanges.size(), 1);
    QCOMPARE(log.InvalidRanges[0].Min, -1.0);
    QCOMPARE(log.InvalidRanges[0].Max, 250.0);
    QCOMPARE(log.InvalidRanges[0].Value, 300.5);
}

void TstMvEdit::mvEditDoesNotRewriteOrReport()
{
    TMvEdit edit(TVariant::MvEdit);
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 0);
    edit.setText(QStringLiteral("1234"));
    edit.Validate();
    QCOMPARE(edit.text(), QStringLiteral("1234"));
    edit.setText(QString());
    edit.Validate();
    QCOMPARE(edit.text(), QString());
    QVERIFY(log.Validations.isEmpty());
}

void TstMvEdit::numEditEnter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("asInteger");
    QTest::addColumn<QString>("shownAfterSecondEnter");

    QTest::newRow("two digits stay") << "50"
                                     << "50" << 50 << "50";
    QTest::newRow("three digits in exponent form") << "100"
                                                   << "1E002" << 100 << "1E002";
    // A second Enter keeps the value.
    QTest::newRow("four digits rounded") << "1234"
                                         << "1.2E003" << 1200 << "1.2E003";
    QTest::newRow("fraction cut first") << "7.9"
                                        << "7" << 7 << "7";
    QTest::newRow("zero") << "0"
                          << "0" << 0 << "0";
}

void TstMvEdit::numEditEnter()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, asInteger);
    QFETCH(QString, shownAfterSecondEnter);

    // The wait-time field.
    TMvEdit edit(TVariant::NumEdit);
    MakeNumeric(edit, 0);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), typed);

    QSignalSpy returnPressed(&edit, &QLineEdit::returnPressed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(edit.AsInteger(), asInteger);
    QCOMPARE(returnPressed.count(), 0);

    QTest::keyClick(&edit, Qt::Key_Enter);
    QCOMPARE(edit.text(), shownAfterSecondEnter);
}

void TstMvEdit::numEditEnterGerman()
{
    QLocale::setDefault(German());
    TMvEdit edit(TVariant::NumEdit);
    MakeNumeric(edit, 0);
    QTest::keyClicks(&edit, QStringLiteral("1234"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), QStringLiteral("1,2E003"));
    QCOMPARE(edit.AsInteger(), 1200);
    QCOMPARE(edit.AsFloat(), 1200.0);
}

void TstMvEdit::numEditReportsValidation()
{
    TMvEdit edit(TVariant::NumEdit);
    TEventLog log;
    log.Attach(edit);
    // Text first: changing Decimals validates, and an empty wait-time field cannot be.
    edit.setText(QStringLiteral("3.14159"));
    MakeNumeric(edit, -1);
    QCOMPARE(log.Validations.size(), 1);
    QCOMPARE(edit.text(), QStringLiteral("3.14159"));
    edit.SetDecimals(2);
    QCOMPARE(log.Validations.size(), 2);
    log.Validations.clear();
    edit.setText(QStringLiteral("3.14159"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(log.Validations.size(), 1);
    QCOMPARE(log.Validations[0].Entered, 3.14159);
    QCOMPARE(log.Validations[0].Validated, 3.14);
    // Two decimals also means two significant digits when the text is rewritten.
    QCOMPARE(edit.text(), QStringLiteral("3.1"));

    edit.SetMinValue(10);
    edit.setText(QStringLiteral("4"));
    edit.Validate();
    QCOMPARE(log.Validations.size(), 2);
    QCOMPARE(log.Validations[1].Entered, 4.0);
    QCOMPARE(log.Validations[1].Validated, 10.0);
    QCOMPARE(edit.text(), QStringLiteral("10"));
}

void TstMvEdit::numEditBareSignIsAnError()
{
    TScriptedDialogs prompts;
    TMvEdit edit(TVariant::NumEdit);
    TEventLog log;
    log.Attach(edit);
    MakeNumeric(edit, 0);
    edit.setText(QStringLiteral("-"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(prompts.Errors, QStringList{QStringLiteral("'-' ist kein gültiger Gleitkommawert")});
    QCOMPARE(edit.text(), QStringLiteral("-"));
    QVERIFY(log.Validations.isEmpty());

    edit.setText(QString());
    QVERIFY_THROWS_EXCEPTION(EVarnexError, edit.Validate());
    QCOMPARE(edit.text(), QString());
    // Changing Decimals validates too, so it passes the error on to its caller.
    QVERIFY_THROWS_EXCEPTION(EVarnexError, edit.SetDecimals(3));
    QCOMPARE(edit.Decimals(), 3);
    QVERIFY(log.Validations.isEmpty());

    // With validation on every change the error box comes from the change itself.
    edit.SetValidateMode(TMvEdit::vmInput);
    QTest::keyClicks(&edit, QStringLiteral("+"));
    QCOMPARE(prompts.Errors.size(), 2);
    QCOMPARE(prompts.Errors.last(), QStringLiteral("'+' ist kein gültiger Gleitkommawert"));
    QCOMPARE(edit.text(), QStringLiteral("+"));
}

void TstMvEdit::mvEditLeavesEnterAlone()
{
    TMvEdit edit(TVariant::MvEdit);
    MakeNumeric(edit, 0);
    edit.setText(QStringLiteral("12.5"));
    QSignalSpy returnPressed(&edit, &QLineEdit::returnPressed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), QStringLiteral("12.5"));
    QCOMPARE(returnPressed.count(), 1);
}

void TstMvEdit::exitModeValidatesOnLeaving()
{
    TFocusWindow w;
    MakeNumeric(*w.Edit, 0, TMvEdit::vmExit);
    QVERIFY(w.Activate());
    w.Edit->setFocus();
    QVERIFY(w.Edit->hasFocus());
    QTest::keyClicks(w.Edit, QStringLiteral("12.5"));
    QCOMPARE(w.Edit->text(), QStringLiteral("12.5"));
    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("12"));
    // The temporary switch to checking on exit only is undone.
    QCOMPARE(w.Edit->ValidateMode(), TMvEdit::vmExit);

    // vmNone never validates on its own.
    w.Edit->SetValidateMode(TMvEdit::vmNone);
    w.Edit->setFocus();
    w.Edit->setText(QStringLiteral("7.5"));
    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("7.5"));

    w.Edit->SetValidateMode(TMvEdit::vmInput);
    w.Edit->setFocus();
    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("7"));
    QCOMPARE(w.Edit->ValidateMode(), TMvEdit::vmInput);
}

void TstMvEdit::focusInRemembersShownValue()
{
    TScriptedDialogs prompts;
    TFocusWindow w;
    TEventLog log;
    log.Attach(*w.Edit);
    MakeNumeric(*w.Edit, 0, TMvEdit::vmExit);
    w.Edit->setText(QStringLiteral("7"));
    QVERIFY(w.Activate());
    w.Edit->setFocus();
    w.Edit->setText(QStringLiteral("7x"));
    w.Other->setFocus();
    QCOMPARE(log.InvalidInputs, QStringList{QStringLiteral("7x")});
    QCOMPARE(w.Edit->text(), QStringLiteral("7"));
}

void TstMvEdit::infoTextPlaceholder()
{
    TFocusWindow w;
    const QColor normal = w.Edit->palette().color(QPalette::Text);
    QVERIFY(normal != TMvEdit::InfoTextColor());
    QVERIFY(w.Activate());

    w.Edit->SetInfoText(QStringLiteral("Name"));
    QCOMPARE(w.Edit->text(), QStringLiteral("Name"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), TMvEdit::InfoTextColor());

    w.Edit->setFocus();
    QVERIFY(w.Edit->hasFocus());
    QCOMPARE(w.Edit->text(), QString());
    QCOMPARE(w.Edit->palette().color(QPalette::Text), normal);

    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("Name"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), TMvEdit::InfoTextColor());

    // Real input is kept and shown normally.
    w.Edit->setFocus();
    QTest::keyClicks(w.Edit, QStringLiteral("Otto"));
    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("Otto"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), normal);

    // Emptied from outside while not focused: the hint only returns on leaving.
    w.Edit->clear();
    QCOMPARE(w.Edit->palette().color(QPalette::Text), normal);

    // A new hint replaces the old one that is showing.
    w.Edit->SetInfoText(QStringLiteral("Vorname"));
    QCOMPARE(w.Edit->text(), QStringLiteral("Vorname"));
    w.Edit->SetInfoText(QStringLiteral("Nachname"));
    QCOMPARE(w.Edit->text(), QStringLiteral("Nachname"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), TMvEdit::InfoTextColor());
    w.Edit->SetInfoText(QString());
    QCOMPARE(w.Edit->text(), QString());
    QCOMPARE(w.Edit->palette().color(QPalette::Text), normal);
}

void TstMvEdit::infoTextMatchesAnyCase()
{
    TFocusWindow w;
    const QColor normal = w.Edit->palette().color(QPalette::Text);
    QVERIFY(w.Activate());
    w.Edit->setText(QStringLiteral("x"));
    w.Edit->SetInfoText(QStringLiteral("Name"));
    QCOMPARE(w.Edit->text(), QStringLiteral("x"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), normal);

    w.Edit->setText(QStringLiteral("NAME"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), TMvEdit::InfoTextColor());
    w.Edit->setFocus();
    QCOMPARE(w.Edit->text(), QString());
}

void TstMvEdit::infoTextInNumericField()
{
    TScriptedDialogs prompts;
    TFocusWindow w;
    TEventLog log;
    log.Attach(*w.Edit);
    MakeNumeric(*w.Edit, 2, TMvEdit::vmInput);
    QVERIFY(w.Activate());
    // The hint is no input, so it must not be rejected as one.
    w.Edit->SetInfoText(QStringLiteral("Wert"));
    QCOMPARE(w.Edit->text(), QStringLiteral("Wert"));
    QCOMPARE(w.Edit->palette().color(QPalette::Text), TMvEdit::InfoTextColor());
    w.Edit->setFocus();
    QCOMPARE(w.Edit->text(), QString());
    w.Other->setFocus();
    QCOMPARE(w.Edit->text(), QStringLiteral("Wert"));
    QVERIFY(log.InvalidInputs.isEmpty());
    QVERIFY(prompts.Errors.isEmpty());
}

QTEST_MAIN(TstMvEdit)
#include "tst_MvEdit.moc"
