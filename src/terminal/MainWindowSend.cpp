// The send path: prefix and postfix with their histories, the send script, the write, the
// send token, the echo; the script message area.
#include "terminal/MainWindow.h"

#include "commands/ParameterHandler.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/Token.h"
#include "ui_MainWindow.h"

#include <QScrollBar>

void TfrmMainWindow::SetUpSendArea()
{
    ui->bHelpSend->SetTitle(QStringLiteral("Senden von Sonderzeichen"));
    ui->bHelpSend->SetText(QStringLiteral(
        "Sonderzeichen können als ASCII Code mit \r\nSchrägstrichen eingefasst werden "
        "(Slashes).\r\nEs kann auch ein HEX Code mit dem Präfix\r\n'$' oder '0x' verwendet "
        "werden. Ein \r\nCARRIAGE RETURN und LINE FEED kann \r\nsomit mit einer der "
        "Kombinationen\r\n\r\n  '/13//10/'  oder \r\n  '/$D//$A/' oder \r\n  '/0xD//0xA/'\r\n\r\n"
        "gesendet werden. Wie zu sehen ist, muss\r\njedes einzelne Zeichen mit Schrägstrichen "
        "\r\neingefasst werde.\r\n\r\nUm einen Schrägstrich zu senden, muss dieser\r\n"
        "Wiederholt werden. Um den Text 'A/B' zu senden\r\nmuss 'A//B' gesendet werden.\r\n"));
    ui->bHelpSend->SetShowDelayMs(50);
    ui->acSend->setToolTip(QStringLiteral("Sendet den eingegebenen Text über die Schnittstelle."));
}

void TfrmMainWindow::acSendExecute()
{
    const QString text = ui->edSend->text();
    SendStringToCom(text, QStringLiteral("Direkt"), true);
    if (VarnexSettings()->XMLEnabled())
        AddSentText(text);
    ui->edSend->setFocus();
    ui->edSend->end(false);
}

void TfrmMainWindow::AddSentText(const QString& aText)
{
    VarnexSettings()->InsertNewMRUString(aText);
    RefreshCommandTree();
}

void TfrmMainWindow::SendStringToCom(const QString& aText, const QString& aName, bool aCanUseScript)
{
    QString text = ui->cbPrefix->currentText() + aText + ui->cbPostfix->currentText();
    // Parameters may stand in the prefix and postfix too; the dialog is titled by the name.
    TParameterHandler parameters(this);
    parameters.SetName(aName);
    text = parameters.CheckForParameter(text);
    bool scriptRan = false;
    if (aCanUseScript)
        text = StartScript(text, VarnexSettings()->SendScriptFileName(), &scriptRan);
    // A script works on the bytes already decoded from slash notation; decoding its result a
    // second time would turn every slash it leaves into the start of a sequence.
    mCom->Write(text, !scriptRan); // a closed port sends nothing and says nothing
    mTokenList->AddContent(text, ctSend);
    // During a rebuild the echo comes from the token when the rebuild reaches it.
    if (ui->bEcho->isChecked() && !mRebuild.Active)
        WriteSendEcho(text);
    MoveToTop(ui->cbPrefix);
    MoveToTop(ui->cbPostfix);
}

void TfrmMainWindow::WriteSendEcho(const QString& aText)
{
    const qsizetype lines = ui->memReceive->LineCount();
    QString echo;
    if (lines > 0 && !ui->memReceive->Line(lines - 1).isEmpty())
        echo = QStringLiteral("\r\n");
    echo += QStringLiteral("Gesendet: ") + aText + QStringLiteral("\r\n");
    AppendToReceive(echo, true);
}

void TfrmMainWindow::MoveToTop(QComboBox* aCombo)
{
    const QString text = aCombo->currentText();
    const int existing = aCombo->findText(text, Qt::MatchFixedString);
    if (existing >= 0)
        aCombo->removeItem(existing);
    aCombo->insertItem(0, text);
    aCombo->setCurrentIndex(0);
    aCombo->setEditText(text);
}

void TfrmMainWindow::WriteLine(const QString& aMsg)
{
    ui->edCompilerMsg->appendPlainText(aMsg);
    QScrollBar* bar = ui->edCompilerMsg->verticalScrollBar();
    bar->setValue(bar->maximum());
}
