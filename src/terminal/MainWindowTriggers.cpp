// The script panel: the send and receive scripts and the receive trigger.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "controls/MvExpandingPanel.h"
#include "scripting/HelpWindow.h"
#include "settings/VarnexSettings.h"
#include "terminal/TerminalSession.h"
#include "ui/Dialogs.h"
#include "ui_MainWindow.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileDialog>
#include <QVBoxLayout>

namespace {
constexpr int kTriggerTime = TTerminalSession::kTriggerTime;
constexpr int kTriggerChars = TTerminalSession::kTriggerChars;
constexpr int kScriptPanelHeight = 220;
} // namespace

void TfrmMainWindow::SetUpScriptPanel()
{
    // The script controls live in a panel that folds down to its title strip.
    paScriptPanel = new TmvExpandingPanel(ui->paMain);
    paScriptPanel->setObjectName(QStringLiteral("paScriptPanel"));
    paScriptPanel->SetTitle(QStringLiteral("Script"));
    delete ui->layMain->replaceWidget(ui->paScriptBody, paScriptPanel); // the item that held the body
    auto* body = new QVBoxLayout(paScriptPanel->Content());
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(ui->paScriptBody);
    paScriptPanel->SetExpandedHeight(kScriptPanelHeight);
    paScriptPanel->SetExpanded(false);
    connect(ui->bInfoScript, &QToolButton::clicked, this, [this] {
        Guarded([this] {
            TfrmHelpWindow help(this);
            ExecDialog(&help);
        });
    });

    mTriggerGroup = new QButtonGroup(this);
    mTriggerGroup->addButton(ui->rbTriggerTime, kTriggerTime);
    mTriggerGroup->addButton(ui->rbTriggerChars, kTriggerChars);

    ui->edTimeTriggerTime->SetVariant(TMvEdit::TVariant::NumEdit);
    ui->edTimeTriggerTime->SetNumMode(true);
    ui->edTimeTriggerTime->SetDecimals(0);
    ui->edTimeTriggerTime->SetMaxValue(TTerminalSession::kMaxWaitTimeMs);
    ui->edTimeTriggerTime->SetInvalidRangeMessage(
        QStringLiteral("Die Wartezeit darf höchstens %1 Millisekunden (ein Tag) betragen.")
            .arg(TTerminalSession::kMaxWaitTimeMs));

    auto changed = [this](QObject* aSender) {
        return [this, aSender] {
            if (!mLoadingScriptPanel)
                Guarded([this, aSender] { rgReceiveScriptTriggerClick(aSender); });
        };
    };
    connect(mTriggerGroup, &QButtonGroup::idClicked, this, changed(ui->rgReceiveScriptTrigger));
    connect(ui->edTimeTriggerTime, &QLineEdit::textChanged, this, changed(ui->edTimeTriggerTime));
    connect(ui->edTriggerChars, &QLineEdit::textChanged, this, changed(ui->edTriggerChars));
    connect(ui->cbUseScript, &QCheckBox::clicked, this, [this] { Guarded([this] { cbUseScriptClick(); }); });
    connect(ui->edSendScriptFileName, &QLineEdit::textChanged, this, [this] {
        if (!mLoadingScriptPanel)
            Guarded([this] { VarnexSettings()->SetSendScriptFileName(ui->edSendScriptFileName->text()); });
    });
    connect(ui->bBrowseForScript, &QToolButton::clicked, this,
            [this] { Guarded([this] { BrowseForScript(ui->edSendScriptFileName); }); });
    connect(ui->bBrowseForReceiveScript, &QToolButton::clicked, this,
            [this] { Guarded([this] { BrowseForScript(ui->edReceiveScriptName); }); });
    connect(ui->cbUseReceiveScript, &QCheckBox::clicked, this,
            [this] { Guarded([this] { cbUseReceiveScriptClick(); }); });
    connect(ui->edReceiveScriptName, &QLineEdit::textChanged, this, [this] {
        if (!mLoadingScriptPanel)
            Guarded([this] { edReceiveScriptNameChange(); });
    });
}

void TfrmMainWindow::LoadScriptPanel()
{
    TVarnexSettings* settings = VarnexSettings();
    // The session takes its part from the settings: switches, trigger, the silence timer and
    // the token expiry, which follow the stored wait time.
    mSession->LoadScriptSettings();
    mLoadingScriptPanel = true;
    if (QAbstractButton* button = mTriggerGroup->button(settings->ReceiveTriggerType()))
        button->setChecked(true);
    ui->edTriggerChars->setText(settings->ReceiveTriggerChars());
    ui->cbUseScript->setChecked(settings->UseScript());
    ui->paScriptMessages->setVisible(settings->UseScript());
    ui->edSendScriptFileName->setText(settings->SendScriptFileName());
    ui->cbUseReceiveScript->setChecked(settings->UseReceiveScript());
    ui->edReceiveScriptName->setText(settings->ReceiveScriptFileName());
    ui->edTimeTriggerTime->setText(QString::number(mSession->WaitTime()));
    mLoadingScriptPanel = false;
}

void TfrmMainWindow::rgReceiveScriptTriggerClick(QObject* aSender)
{
    if (aSender == ui->rgReceiveScriptTrigger)
        mSession->SetReceiveTriggerType(mTriggerGroup->checkedId());
    else if (aSender == ui->edTimeTriggerTime)
        mSession->SetWaitTime(ui->edTimeTriggerTime->AsInteger());
    else if (aSender == ui->edTriggerChars)
        mSession->SetTriggerChars(ui->edTriggerChars->text());
}

void TfrmMainWindow::cbUseScriptClick()
{
    mSession->SetUseScript(ui->cbUseScript->isChecked());
    ui->paScriptMessages->setVisible(mSession->UseScript());
}

void TfrmMainWindow::BrowseForScript(QLineEdit* aTarget)
{
    QFileDialog dialog(this, QStringLiteral("Script auswählen"), QCoreApplication::applicationDirPath());
    dialog.setNameFilter(QStringLiteral("Pascaöl Dateien (*.pas)"));
    dialog.setDefaultSuffix(QStringLiteral("pas"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (ExecDialog(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        aTarget->setText(dialog.selectedFiles().first());
}

void TfrmMainWindow::cbUseReceiveScriptClick()
{
    mSession->SetUseReceiveScript(ui->cbUseReceiveScript->isChecked());
}

void TfrmMainWindow::edReceiveScriptNameChange()
{
    mSession->SetReceiveScriptName(ui->edReceiveScriptName->text());
}
