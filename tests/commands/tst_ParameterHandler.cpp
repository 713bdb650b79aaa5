// Parameters in texts to send: finding the markup, filling in defaults, asking for values in
// the input dialog and putting them in the right places, and texts that only look like markup.
#include "commands/ParameterHandler.h"

#include "commands/RecordInput.h"
#include "ScriptedDialogs.h"
#include "settings/FormPlacement.h"
#include "TempSettings.h"

#include <QApplication>
#include <QtTest>

namespace {

const QString kBaudText = QStringLiteral("AT+BAUD=/Param Name=\"Baud\" Default=\"9600\" /Param/cr/");

// One item of the dialog's Fields document: "Name=Value", or "#Name" for a heading.
QStringList Items(QDialog* aDialog)
{
    QStringList items;
    auto* dialog = static_cast<TfrmRecordInput*>(aDialog);
    for (pugi::xml_node item : dialog->Dom().document_element().children("Item")) {
        const QString name = QString::fromUtf8(item.attribute("Name").value());
        items << (item.attribute("Title") ? QLatin1Char('#') + name
                                          : name + QLatin1Char('=') + item.attribute("Value").value());
    }
    return items;
}

// Sets the values of the value items in order, as if the user had typed them.
void Answer(QDialog* aDialog, const QStringList& aValues)
{
    auto* dialog = static_cast<TfrmRecordInput*>(aDialog);
    int i = 0;
    for (pugi::xml_node item : dialog->Dom().document_element().children("Item"))
        if (!item.attribute("Title") && i < aValues.size())
            item.attribute("Value").set_value(aValues[i++].toUtf8().constData());
}

} // namespace

class TstParameterHandler : public QObject
{
    Q_OBJECT

private slots:
    void DefaultValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no markup") << "AT+CSQ/cr/"
                                   << "AT+CSQ/cr/";
        QTest::newRow("named with default") << kBaudText << "AT+BAUD=9600/cr/";
        QTest::newRow("no attributes") << "A/Param /ParamB"
                                       << "A0B";
        QTest::newRow("escaped slash") << "a//Param b"
                                       << "a//Param b";
        QTest::newRow("two, longer first") << "x/Param Default=\"12345\" /Param-/Param Default=\"\" /Param!"
                                           << "x12345-!";
        QTest::newRow("percent in value") << "/Param Default=\"%1\" /Param"
                                          << "%1";
        QTest::newRow("closing marker right before a slash item") << "/Param Default=\"5\"/Param/lf/"
                                                                  << "5/lf/";
        QTest::newRow("unterminated opening marker") << "AT/Param Name=\"x\""
                                                     << "AT/Param Name=\"x\"";
        QTest::newRow("closed, then unterminated") << "/Param /Param x /Param y"
                                                   << "0 x /Param y";
        QTest::newRow("unparsable attributes") << "<"
                                                  "/Param Default=\"7 /Param>"
                                               << "<0>";
    }
    void DefaultValues()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        TScriptedDialogs prompts;
        TParameterHandler handler;
        handler.SetQuiet(true);
        QCOMPARE(handler.GetTextWithDefaultValues(text), expected);
        QCOMPARE(prompts.DialogsShown, 0);
    }

    void HandlerUsedTwiceReplacesInTheNewText()
    {
        TParameterHandler handler;
        handler.GetTextWithDefaultValues(QStringLiteral("long prefix /Param Default=\"1\" /Param"));
        QCOMPARE(handler.GetTextWithDefaultValues(QStringLiteral("/Param Default=\"2\" /Param")),
                 QStringLiteral("2"));
    }

    void ParseErrorsAreShownUnlessQuiet_data()
    {
        QTest::addColumn<bool>("quiet");
        QTest::newRow("loud") << false;
        QTest::newRow("quiet") << true;
    }
    void ParseErrorsAreShownUnlessQuiet()
    {
        QFETCH(bool, quiet);
        TScriptedDialogs prompts;
        TParameterHandler handler;
        handler.SetQuiet(quiet);
        handler.ParseForParameters(QStringLiteral("/Param Name=\"x /Param"));
        QCOMPARE(handler.ParseErrors().size(), 1);
        QVERIFY(!handler.ParseErrors().first().isEmpty());
        QCOMPARE(prompts.Messages, quiet ? QStringList() : handler.ParseErrors());
    }

    void TextsWithoutParametersAskNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "AT+CSQ/cr/";
        QTest::newRow("escaped slash") << "//Param";
        QTest::newRow("unterminated") << "AT/Param Name=\"x\" Default=\"1\"/cr/";
    }
    void TextsWithoutParametersAskNothing()
    {
        QFETCH(QString, text);
        TTempSettings settings;
        TScriptedDialogs prompts;
        TParameterHandler handler;
        QCOMPARE(handler.CheckForParameter(text), text);
        QCOMPARE(prompts.DialogsShown, 0);
    }

    void ValueTypedInTheDialogIsSent()
    {
        TTempSettings settings;
        TScriptedDialogs prompts;
        QStringList shown;
        QString caption;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            shown = Items(aDialog);
            caption = aDialog->windowTitle();
            aDialog->show();
            aDialog->activateWindow();
            if (!QTest::qWaitForWindowActive(aDialog))
                return int(QDialog::Rejected);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19200"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            return aDialog->result();
        };
        TParameterHandler handler;
        handler.SetName(QStringLiteral("Modem"));
        QCOMPARE(handler.CheckForParameter(kBaudText), QStringLiteral("AT+BAUD=19200/cr/"));
        QCOMPARE(shown, QStringList{QStringLiteral("Baud=9600")});
        QCOMPARE(caption, QStringLiteral("Input (Modem)"));
    }

    void AnswersReplaceEachParameter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("expected");
        QTest::newRow("longer, then shorter")
            << "a/Param Name=\"p\" /Param-/Param Name=\"q\" Default=\"long\" /Param!"
            << QStringList{"p=0", "q=long"} << QStringList{"1234567", ""} << "a1234567-!";
        QTest::newRow("no attributes")
            << "/Param /Param" << QStringList{"Parameter(0)=0"} << QStringList{"5"} << "5";
        QTest::newRow("each group its own heading")
            << "/Param Name=\"Baud\" Group=\"Port\" Default=\"9600\" /Param,"
               "/Param Name=\"Bits\" Group=\"Port\" Default=\"8\" /Param"
            << QStringList{"#Port", "Baud=9600", "#Port", "Bits=8"} << QStringList{"300", "7"} << "300,7";
        QTest::newRow("shared name takes the first value")
            << "/Param Name=\"x\" /Param+/Param Name=\"x\" /Param" << QStringList{"x=0", "x=0"}
            << QStringList{"1", "2"} << "1+1";
        QTest::newRow("apostrophe and quotes")
            << "/Param Name=\"it's\" /Param|/Param Name='say \"hi\"' /Param"
            << QStringList{"it's=0", "say \"hi\"=0"} << QStringList{"A", "B"} << "A|B";
    }
    void AnswersReplaceEachParameter()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QFETCH(QStringList, answers);
        QFETCH(QString, expected);
        TTempSettings settings;
        TScriptedDialogs prompts;
        QStringList shown;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            shown = Items(aDialog);
            Answer(aDialog, answers);
            return int(QDialog::Accepted);
        };
        TParameterHandler handler;
        QCOMPARE(handler.CheckForParameter(text), expected);
        QCOMPARE(prompts.DialogsShown, 1);
        QCOMPARE(shown, items);
    }

    void BadAttributesAreReportedThenAskedFor()
    {
        TTempSettings settings;
        TScriptedDialogs prompts;
        int messagesBeforeDialog = -1;
        QStringList shown;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            messagesBeforeDialog = int(prompts.Messages.size());
            shown = Items(aDialog);
            Answer(aDialog, {QStringLiteral("42")});
            return int(QDialog::Accepted);
        };
        TParameterHandler handler;
        QCOMPARE(handler.CheckForParameter(QStringLiteral("v=/Param Name=\"Baud /Param;")),
                 QStringLiteral("v=42;"));
        QCOMPARE(messagesBeforeDialog, 1);
        QCOMPARE(prompts.Messages, handler.ParseErrors());
        QCOMPARE(shown, QStringList{QStringLiteral("Parameter(0)=0")});
    }

    void DialogPlacementIsRestoredAndKept()
    {
        TTempSettings settings;
        TScriptedDialogs prompts;
        QWidget earlier;
        earlier.setGeometry(40, 30, 320, 240);
        SaveForm(*VarnexSettings(), &earlier, QStringLiteral("frmRecordInput"));
        QPoint shownAt;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            shownAt = aDialog->geometry().topLeft();
            aDialog->move(70, 50);
            return int(QDialog::Accepted);
        };
        TParameterHandler handler;
        handler.CheckForParameter(kBaudText);
        QCOMPARE(shownAt, QPoint(40, 30));

        QWidget later;
        LoadForm(*VarnexSettings(), &later, QStringLiteral("frmRecordInput"), false);
        QCOMPARE(later.geometry().topLeft(), QPoint(70, 50));
    }
};

QTEST_MAIN(TstParameterHandler)
#include "tst_ParameterHandler.moc"
