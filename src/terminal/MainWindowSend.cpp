// The send path: the send field, prefix and postfix with their histories.
#include "terminal/MainWindow.h"

#include "settings/VarnexSettings.h"
#include "terminal/TerminalSession.h"
#include "ui_MainWindow.h"

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
    connect(ui->cbPrefix, &QComboBox::editTextChanged, mSession, &TTerminalSession::SetPrefix);
    connect(ui->cbPostfix, &QComboBox::editTextChanged, mSession, &TTerminalSession::SetPostfix);
    mSession->SetPrefix(ui->cbPrefix->currentText());
    mSession->SetPostfix(ui->cbPostfix->currentText());
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
    mSession->SendStringToCom(aText, aName, aCanUseScript);
}

void TfrmMainWindow::WriteSendEcho(const QString& aText)
{
    mSession->WriteSendEcho(aText);
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
