// Action enabling, window and task-bar titles, the status bar and the menu hints.
#include "terminal/MainWindow.h"

#include "serial/TermCom.h"
#include "terminal/FileSender.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPrinterInfo>

namespace {
constexpr int kStatusPanel0Width = 150;
constexpr int kPrinterRefreshMs = 10000;
const char* const kHintProperty = "Hint";
} // namespace

void TfrmMainWindow::SetUpStatusBar()
{
    mStatusPanel0 = new QLabel(this);
    mStatusPanel0->setObjectName(QStringLiteral("sbPanel0"));
    mStatusPanel0->setFixedWidth(kStatusPanel0Width);
    mStatusPanel1 = new QLabel(this);
    mStatusPanel1->setObjectName(QStringLiteral("sbPanel1"));
    ui->sb->addWidget(mStatusPanel0);
    ui->sb->addWidget(mStatusPanel1, 1);
}

void TfrmMainWindow::SetUpMenuHints()
{
    const auto menus = ui->mMenuMain->findChildren<QMenu*>();
    for (QMenu* menu : menus)
        connect(menu, &QMenu::hovered, this, &TfrmMainWindow::MenuItemSelected);
    connect(ui->mMenuMain, &QMenuBar::hovered, this, &TfrmMainWindow::MenuItemSelected);
}

void TfrmMainWindow::MenuItemSelected(QAction* aAction)
{
    // A menu title or anything that is no item of the menus clears the hint; an item
    // without a hint of its own leaves it as it is.
    if (!aAction || aAction->menu() || aAction->isSeparator()) {
        mStatusPanel1->clear();
        return;
    }
    const QVariant hint = aAction->property(kHintProperty);
    if (hint.isValid())
        mStatusPanel1->setText(hint.toString());
}

void TfrmMainWindow::ActionListUpdate()
{
    if (ui->bExecuteControlCode->isChecked())
        ui->bExecuteCrlf->setChecked(false);
    const bool dump = ui->cbDump->isChecked();
    ui->bExecuteCrlf->setEnabled(!ui->bExecuteControlCode->isChecked() && !dump);
    ui->bExecuteControlCode->setEnabled(!dump);

    const bool open = mCom->Opened();
    ui->bSend->setEnabled(open);
    ui->acSendFile->setEnabled(open && !mSender->IsSending());
    ui->acDeleteReceive->setEnabled(ui->memReceive->LineCount() > 0);

    const QString title = QStringLiteral("Varnex [%1]").arg(mCom->CommStatus());
    if (windowTitle() != title)
        setWindowTitle(title);
    ui->acPortProp->setEnabled(open);

    // Asking the print system is slow; the printers rarely change while the program runs.
    if (!mPrinterAge.isValid() || mPrinterAge.elapsed() > kPrinterRefreshMs) {
        // Without a default printer the print dialog offers the first one.
        const QStringList printers = QPrinterInfo::availablePrinterNames();
        mAnyPrinter = !printers.isEmpty();
        mPrinterName = QPrinterInfo::defaultPrinterName();
        if (mPrinterName.isEmpty() && mAnyPrinter)
            mPrinterName = printers.first();
        mPrinterAge.start();
    }
    ui->acPrintReceive->setEnabled(mAnyPrinter);
    ui->acPrintReceive->setToolTip(
        QStringLiteral("Druckt das Empfangsfenster aus (%1)")
            .arg(mPrinterName.isEmpty() ? QStringLiteral("Kein Drucker installiert") : mPrinterName));

    ui->rgDumpStyle->setEnabled(dump);
    ui->acSetDumpFont->setEnabled(dump);
    ui->acSetNormalFont->setEnabled(!dump);

    if (QGuiApplication::applicationDisplayName() != ui->edTitle->text())
        QGuiApplication::setApplicationDisplayName(ui->edTitle->text());
    const QString status = mCom->CommStatus();
    if (mStatusPanel0->text() != status)
        mStatusPanel0->setText(status);

    // The script controls follow their switches.
    const bool useScript = ui->cbUseScript->isChecked();
    ui->edSendScriptFileName->setEnabled(useScript);
    ui->bBrowseForScript->setEnabled(ui->edSendScriptFileName->isEnabled());
    ui->cbUseReceiveScript->setEnabled(useScript);
    const bool receiveScript = ui->cbUseReceiveScript->isChecked();
    ui->edReceiveScriptName->setEnabled(useScript && receiveScript);
    ui->bBrowseForReceiveScript->setEnabled(ui->edReceiveScriptName->isEnabled());
    ui->rgReceiveScriptTrigger->setEnabled(receiveScript);
    const bool triggerGroup = ui->rgReceiveScriptTrigger->isEnabled();
    ui->laTimeTriggerLabel->setEnabled(triggerGroup && ui->rbTriggerTime->isChecked());
    ui->edTimeTriggerTime->setEnabled(triggerGroup && ui->rbTriggerTime->isChecked());
    ui->edTriggerChars->setEnabled(triggerGroup && ui->rbTriggerChars->isChecked());

    UpdateCommandActions();
}
