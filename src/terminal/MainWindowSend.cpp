// The send path: the send field, prefix and postfix with their histories, sending a file.
#include "terminal/MainWindow.h"

#include "settings/VarnexSettings.h"
#include "base/Prompts.h"
#include "terminal/FileSender.h"
#include "terminal/TerminalSession.h"
#include "ui/Dialogs.h"
#include "ui_MainWindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>

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
    // An entry that differs only in case keeps its own spelling in the list.
    const int existing = aCombo->findText(text, Qt::MatchFixedString);
    const QString item = existing >= 0 ? aCombo->itemText(existing) : text;
    if (existing >= 0)
        aCombo->removeItem(existing);
    aCombo->insertItem(0, item);
    aCombo->setCurrentIndex(0);
    aCombo->setEditText(text);
}

void TfrmMainWindow::acSendFileExecute()
{
    TVarnexSettings* settings = VarnexSettings();
    const QString last = settings->LastSentFileName();
    QFileDialog dialog(this, QStringLiteral("File senden"), QFileInfo(last).absolutePath());
    dialog.setObjectName(QStringLiteral("OpenDialogSendFile"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!last.isEmpty())
        dialog.selectFile(last);
    if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().constFirst();
    if (!QFileInfo::exists(file))
        return;
    settings->SetLastSentFileName(file);
    mSender->Start(file);
}

void TfrmMainWindow::ShowFileProgress(qint64 aSent, qint64 aTotal)
{
    mStatusPanel1->setText(TFileSender::ProgressText(aSent, aTotal));
}

void TfrmMainWindow::FileSent(const QString& aError)
{
    mStatusPanel1->clear();
    ActionListUpdate();
    if (!aError.isEmpty())
        Prompts().ShowError(aError);
}
