// The command editor: what it writes back into the element, how the parameter page follows
// the caret, and how parameters are composed, inserted, replaced and tried out.
#include "commands/CommandEdit.h"

#include "commands/CommandTextEdit.h"
#include "commands/RecordInput.h"
#include "commands/ShortCutEdit.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"

#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include <sstream>

namespace {

const QString kTwoParams = QStringLiteral(
    "AT/Param Name=\"Baud\" Default=\"9600\" /Param,/Param Name=\"Bits\" Group=\"Port\" /Param/cr/");

// One dialog on one element, with the prompts answered from a script.
struct TEditor
{
    explicit TEditor(const QString& aElementXml)
    {
        Doc.load_string(aElementXml.toUtf8().constData());
        Form.SetCommandElement(Doc.first_child());
    }
    // Opens the dialog; aWhileOpen works in it and returns the result the dialog closed with.
    bool Open(std::function<int(QDialog*)> aWhileOpen = {})
    {
        if (aWhileOpen)
            Prompts.DialogHandler = aWhileOpen;
        else
            Prompts.DialogHandler = [](QDialog*) { return int(QDialog::Rejected); };
        return Form.ShowCommandEdit();
    }
    template <class T>
    T* Get(const char* aName)
    {
        return Form.findChild<T*>(QString::fromLatin1(aName));
    }
    TCommandTextEdit* Command() { return Get<TCommandTextEdit>("edCommand"); }
    QAction* Action(const char* aName) { return Get<QAction>(aName); }
    QSpinBox* ParamNr() { return Get<QSpinBox>("edParamNr"); }
    QStringList Fields()
    {
        return {Get<QLineEdit>("edParamName")->text(), Get<QLineEdit>("edParamGroupName")->text(),
                Get<QLineEdit>("edParamDefault")->text()};
    }
    void SetFields(const QStringList& aValues)
    {
        Get<QLineEdit>("edParamName")->setText(aValues.value(0));
        Get<QLineEdit>("edParamGroupName")->setText(aValues.value(1));
        Get<QLineEdit>("edParamDefault")->setText(aValues.value(2));
    }
    QByteArray Xml()
    {
        std::ostringstream out;
        Doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
        return QByteArray::fromStdString(out.str());
    }

    TScriptedDialogs Prompts;
    pugi::xml_document Doc;
    TfrmCommandEdit Form;
};

QString CommandXml(const QString& aText)
{
    QString escaped = aText.toHtmlEscaped();
    return QStringLiteral("<MRU Name=\"n\" Text=\"%1\"/>").arg(escaped);
}

// Test access to the paste path.
class TPasteEdit : public TCommandTextEdit
{
public:
    using TCommandTextEdit::insertFromMimeData;
};

} // namespace

class TstCommandEdit : public QObject
{
    Q_OBJECT

private slots:
    void groupEditsNameOnly();
    void closeWrites_data();
    void closeWrites();
    void oneLineText();
    void assembleParam_data();
    void assembleParam();
    void valuesSurviveTheMarkup_data();
    void valuesSurviveTheMarkup();
    void insertFollowsCaret();
    void slotBeyondLastClears();
    void replace();
    void unclosedMarkupIsNotReplaced();
    void composedParameterSurvivesClick();
    void parseErrorsReportedOnce();
    void testShowsFilledText();
    void positionKept();
};

void TstCommandEdit::groupEditsNameOnly()
{
    TEditor editor(QStringLiteral("<MRU Name=\"Modem\"/>"));
    QVERIFY(editor.Open([&](QDialog*) {
        for (const char* name : {"edCommand", "edShortCut", "laShortcut", "laCommand", "PageControl"})
            [&] { QVERIFY2(!editor.Get<QWidget>(name)->isEnabled(), name); }();
        editor.Get<QLineEdit>("edName")->setText(QStringLiteral("Geräte"));
        editor.Get<QPushButton>("butOK")->click();
        return editor.Form.result();
    }));
    QCOMPARE(editor.Xml(), QByteArray("<MRU Name=\"Geräte\"/>"));
}

void TstCommandEdit::closeWrites_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("key");       // pressed in the shortcut field; 0 for none
    QTest::addColumn<QString>("close"); // a button, or "Enter" in the text field
    QTest::addColumn<QByteArray>("expected");

    const QString plain = QStringLiteral("<MRU Name=\"a\" Text=\"ATZ\"/>");
    const QString withKey = QStringLiteral("<MRU Name=\"a\" Text=\"ATZ\" ShortCut=\"Strg+F2\"/>");
    QTest::newRow("no shortcut, written empty")
        << plain << 0 << "butOK" << QByteArray("<MRU Name=\"a\" Text=\"AT+CSQ/cr/\" ShortCut=\"\"/>");
    QTest::newRow("shortcut kept") << withKey << 0 << "butOK"
                                   << QByteArray(
                                          "<MRU Name=\"a\" Text=\"AT+CSQ/cr/\" ShortCut=\"Strg+F2\"/>");
    QTest::newRow("Backspace clears") << withKey << int(Qt::Key_Backspace) << "butOK"
                                      << QByteArray("<MRU Name=\"a\" Text=\"AT+CSQ/cr/\" ShortCut=\"\"/>");
    // The tree's own shortcut editor would make this Alt+F5.
    QTest::newRow("F5 as pressed") << plain << int(Qt::Key_F5) << "butOK"
                                   << QByteArray("<MRU Name=\"a\" Text=\"AT+CSQ/cr/\" ShortCut=\"F5\"/>");
    QTest::newRow("Enter in the text is OK")
        << plain << 0 << "Enter" << QByteArray("<MRU Name=\"a\" Text=\"AT+CSQ/cr/\" ShortCut=\"\"/>");
    QTest::newRow("cancel writes nothing") << withKey << int(Qt::Key_F5) << "butCancel" << withKey.toUtf8();
}

void TstCommandEdit::closeWrites()
{
    QFETCH(QString, element);
    QFETCH(int, key);
    QFETCH(QString, close);
    QFETCH(QByteArray, expected);
    TTempSettings settings;
    TEditor editor(element);
    editor.Open([&](QDialog* aDialog) {
        aDialog->show();
        if (key)
            QTest::keyClick(editor.Get<TShortCutEdit>("edShortCut"), Qt::Key(key));
        editor.Command()->SetText(QStringLiteral("AT+CSQ/cr/  "));
        if (close == u"Enter")
            QTest::keyClick(editor.Command(), Qt::Key_Return);
        else
            editor.Get<QPushButton>(qPrintable(close))->click();
        return aDialog->result();
    });
    QCOMPARE(editor.Xml(), expected);
}

void TstCommandEdit::oneLineText()
{
    TPasteEdit edit;
    edit.SetText(QStringLiteral("A\tB"));
    edit.SetCaretOffset(3);
    QMimeData pasted;
    pasted.setText(QStringLiteral("C\r\nD\nE\u2029F"));
    edit.insertFromMimeData(&pasted);
    QTest::keyClick(&edit, Qt::Key_Return);
    edit.insertPlainText(QStringLiteral("\u00a0\n \t "));
    QCOMPARE(edit.document()->blockCount(), 1);
    // No-break space is byte 160 of a command, not a blank.
    QCOMPARE(edit.Text(), QStringLiteral("A BCDEF\u00a0"));
}

void TstCommandEdit::assembleParam_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("markup");
    QTest::newRow("name and default")
        << QStringList{"Baud", "", "9600"} << "/Param Name=\"Baud\" Default=\"9600\" /Param";
    QTest::newRow("all, in order") << QStringList{"Baud", "Port", "1"}
                                   << "/Param Name=\"Baud\" Group=\"Port\" Default=\"1\" /Param";
    QTest::newRow("group only") << QStringList{"", "Port", ""} << "/Param Group=\"Port\" /Param";
    QTest::newRow("all empty") << QStringList{"", "", ""} << "";
}

void TstCommandEdit::assembleParam()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, markup);
    TEditor editor(CommandXml(QString()));
    editor.SetFields(fields);
    QCOMPARE(editor.Form.assembleParam(), markup);
}

void TstCommandEdit::valuesSurviveTheMarkup_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quote") << "9\"6";
    QTest::newRow("entity, bracket") << "a&amp;<b>";
    QTest::newRow("marker, percent") << "x/Param %1";
}

void TstCommandEdit::valuesSurviveTheMarkup()
{
    // Whatever is typed into the fields must come back from the text unchanged.
    QFETCH(QString, value);
    TEditor editor(CommandXml(QStringLiteral("AT")));
    editor.Open();
    editor.Command()->SetCaretOffset(2);
    editor.SetFields({value, value, value});
    editor.Action("acParamInsert")->trigger();
    QVERIFY(editor.Prompts.Messages.isEmpty());
    editor.SetFields({});
    editor.Form.ShowParameter(0);
    QCOMPARE(editor.Fields(), QStringList({value, value, value}));
}

void TstCommandEdit::insertFollowsCaret()
{
    const QString text = QStringLiteral("AT/Param Name=\"Baud\" /Param/cr/");
    TEditor editor(CommandXml(text));
    editor.Open();
    QAction* insert = editor.Action("acParamInsert");
    editor.Command()->SetCaretOffset(1);
    QTest::keyClick(editor.Command(), Qt::Key_Right);
    QVERIFY(insert->isEnabled());
    editor.ParamNr()->setValue(2);
    QTest::keyClick(editor.Command(), Qt::Key_Right);
    QVERIFY(!insert->isEnabled());
    QCOMPARE(editor.ParamNr()->value(), 1);
    QCOMPARE(editor.Fields(), QStringList({"Baud", "", ""}));
    // Right after the closing marker the caret is outside again.
    editor.Command()->SetCaretOffset(text.indexOf(u"/cr/") - 1);
    QTest::keyClick(editor.Command(), Qt::Key_Right);
    QVERIFY(insert->isEnabled());

    editor.SetFields({"Bits", "", "8"});
    insert->trigger();
    QCOMPARE(editor.Command()->Text(),
             QString("AT/Param Name=\"Baud\" /Param/Param Name=\"Bits\" Default=\"8\" /Param/cr/"));
    QCOMPARE(editor.Form.ParamArray().size(), 2);

    // A selection reaching into markup would cut it apart.
    const QString before = editor.Command()->Text();
    QTextCursor cursor = editor.Command()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    editor.Command()->setTextCursor(cursor);
    QVERIFY(!insert->isEnabled());
    editor.Form.acParamInsertExecute();
    QCOMPARE(editor.Command()->Text(), before);
}

void TstCommandEdit::slotBeyondLastClears()
{
    TEditor editor(CommandXml(kTwoParams));
    editor.Open();
    QSpinBox* number = editor.ParamNr();
    QCOMPARE(number->maximum(), 3);
    QCOMPARE(editor.Fields(), QStringList({"Baud", "", "9600"}));
    number->setValue(2);
    QCOMPARE(editor.Fields(), QStringList({"Bits", "Port", ""}));
    number->setValue(3);
    QCOMPARE(editor.Fields(), QStringList({"", "", ""}));
    QVERIFY(!editor.Action("acParamReplace")->isEnabled());
    QVERIFY(editor.Action("acParamTest")->isEnabled() && number->isEnabled());

    editor.Command()->SetText(QStringLiteral("ATZ"));
    QVERIFY(!editor.Action("acParamTest")->isEnabled() && !number->isEnabled());
}

void TstCommandEdit::replace()
{
    TEditor editor(CommandXml(kTwoParams));
    editor.Open();
    editor.ParamNr()->setValue(2);
    editor.SetFields({"Bits", "", "8"});
    editor.Action("acParamReplace")->trigger();
    QCOMPARE(editor.Command()->Text(),
             QString("AT/Param Name=\"Baud\" Default=\"9600\" /Param,"
                     "/Param Name=\"Bits\" Default=\"8\" /Param/cr/"));
    editor.ParamNr()->setValue(1);
    editor.SetFields({});
    editor.Action("acParamReplace")->trigger();
    QCOMPARE(editor.Command()->Text(), QString("AT,/Param Name=\"Bits\" Default=\"8\" /Param/cr/"));
    QCOMPARE(editor.Form.ParamArray().size(), 1);
    QCOMPARE(editor.ParamNr()->maximum(), 2);
}

void TstCommandEdit::unclosedMarkupIsNotReplaced()
{
    const QString text = QStringLiteral("AT/Param Name=\"x\" /cr/");
    TEditor editor(CommandXml(text));
    editor.Open();
    QCOMPARE(editor.Form.ParamArray().size(), 1);
    QVERIFY(!editor.Action("acParamReplace")->isEnabled());
    editor.SetFields({"y"});
    editor.Form.acParamReplaceExecute();
    QCOMPARE(editor.Command()->Text(), text);
}

void TstCommandEdit::composedParameterSurvivesClick()
{
    TTempSettings settings;
    TEditor editor(CommandXml(QStringLiteral("AT/Param Name=\"Baud\" /Param/cr/")));
    editor.Open();
    editor.Form.show();
    editor.ParamNr()->setValue(2);
    editor.SetFields({"Neu", "", "1"});
    TCommandTextEdit* text = editor.Command();
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(text->textCursor()).center());
    QTest::keyClick(text, Qt::Key_Left);
    QCOMPARE(editor.Fields(), QStringList({"Neu", "", "1"}));
    // Moving into a parameter shows it.
    text->SetCaretOffset(4);
    QTest::keyClick(text, Qt::Key_Right);
    QCOMPARE(editor.Fields(), QStringList({"Baud", "", ""}));
}

void TstCommandEdit::parseErrorsReportedOnce()
{
    TEditor editor(CommandXml(QStringLiteral("/Param Name=\"x /Param")));
    editor.Open();
    QCOMPARE(editor.Prompts.Messages.size(), 1);
    TCommandTextEdit* text = editor.Command();
    text->SetCaretOffset(0);
    QTest::keyClicks(text, QStringLiteral("AT"));
    QCOMPARE(editor.Prompts.Messages.size(), 1);
    // Typing inside the broken markup moves the parser's position, not the problem.
    text->SetCaretOffset(int(QStringLiteral("AT/Param Name=\"x").size()));
    QTest::keyClicks(text, QStringLiteral("yz"));
    QCOMPARE(editor.Prompts.Messages.size(), 1);
    QVERIFY(!editor.Form.ParamArray()[0].XMLElement);
    text->SetText(QStringLiteral("/Param /Param"));
    text->SetText(QStringLiteral("/Param Name=\"x /Param"));
    QCOMPARE(editor.Prompts.Messages.size(), 2);
}

void TstCommandEdit::testShowsFilledText()
{
    TTempSettings settings; // the input dialog keeps its placement
    TEditor editor(QStringLiteral("<MRU Name=\"Modem\" Text=\"AT+BAUD=/Param Name=&quot;Baud&quot; "
                                  "Default=&quot;9600&quot; /Param/cr/\"/>"));
    QString inputTitle;
    editor.Open([&](QDialog* aDialog) {
        if (qobject_cast<TfrmRecordInput*>(aDialog)) {
            inputTitle = aDialog->windowTitle();
            aDialog->accept();
            return aDialog->result();
        }
        editor.Action("acParamTest")->trigger();
        return int(QDialog::Rejected);
    });
    QCOMPARE(inputTitle, QStringLiteral("Input (Modem)"));
    QCOMPARE(editor.Prompts.Questions, QStringList("AT+BAUD=9600/cr/"));
    QCOMPARE(editor.Prompts.Titles, QStringList("Test für Parameter"));
}

void TstCommandEdit::positionKept()
{
    TTempSettings settings;
    {
        // Never on screen: nothing to keep.
        TEditor editor(CommandXml(QStringLiteral("ATZ")));
        editor.Open([](QDialog* aDialog) {
            aDialog->accept();
            return aDialog->result();
        });
        QVERIFY(
            !VarnexSettings()->GetElement(QStringLiteral("/Body/Forms/Form[@Name='frmCommandEdit']"), false));
    }
    QPoint placed;
    {
        TEditor editor(CommandXml(QStringLiteral("ATZ")));
        editor.Open([&](QDialog* aDialog) {
            aDialog->show();
            aDialog->move(aDialog->pos() + QPoint(17, 23));
            placed = aDialog->pos();
            aDialog->reject();
            return aDialog->result();
        });
    }
    TEditor editor(CommandXml(QStringLiteral("ATZ")));
    editor.Open([&](QDialog* aDialog) {
        aDialog->show();
        [&] { QCOMPARE(aDialog->pos(), placed); }();
        return int(QDialog::Rejected);
    });
}

QTEST_MAIN(TstCommandEdit)
#include "tst_CommandEdit.moc"
