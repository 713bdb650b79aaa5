// Received data into the token list, the receive triggers and the script panel's controls.
#include "terminal/MainWindow.h"

#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/Token.h"
#include "ui/ErrorGuard.h"
#include "ui_MainWindow.h"
#include "controls/MvExpandingPanel.h"
#include "notation/StringEncoder.h"
#include "scripting/HelpWindow.h"
#include "scripting/VarnexScript.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kTriggerTime = 0;
constexpr int kTriggerChars = 1;
constexpr int kScriptPanelHeight = 220;
} // namespace

void TfrmMainWindow::SetUpScriptPanel()
{
    // The script controls live in a panel that folds down to its title strip.
    paScriptPanel = new TmvExpandingPanel(ui->paMain);
    paScriptPanel->setObjectName(QStringLiteral("paScriptPanel"));
    paScriptPanel->SetTitle(QStringLiteral("Script"));
    ui->layMain->replaceWidget(ui->paScriptBody, paScriptPanel);
    auto* body = new QVBoxLayout(paScriptPanel->Content());
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(ui->paScriptBody);
    paScriptPanel->SetExpandedHeight(kScriptPanelHeight);
    paScriptPanel->SetExpanded(false);
    connect(ui->bInfoScript, &QToolButton::clicked, this, [this] {
        Guarded(this, [this] {
            TfrmHelpWindow help(this);
            Prompts().ExecDialog(&help);
        });
    });

    timerReceiveTrigger = new QTimer(this);
    timerReceiveTrigger->setObjectName(QStringLiteral("timerReceiveTrigger"));
    timerReceiveTrigger->setSingleShot(true);
    connect(timerReceiveTrigger, &QTimer::timeout, this,
            [this] { Guarded(this, [this] { timerReceiveTriggerTimer(); }); });

    mTriggerGroup = new QButtonGroup(this);
    mTriggerGroup->addButton(ui->rbTriggerTime, kTriggerTime);
    mTriggerGroup->addButton(ui->rbTriggerChars, kTriggerChars);

    ui->edTimeTriggerTime->SetVariant(TMvEdit::TVariant::NumEdit);
    ui->edTimeTriggerTime->SetNumMode(true);
    ui->edTimeTriggerTime->SetDecimals(0);

    auto changed = [this](QObject* aSender) {
        return [this, aSender] {
            if (!mLoadingScriptPanel)
                Guarded(this, [this, aSender] { rgReceiveScriptTriggerClick(aSender); });
        };
    };
    connect(mTriggerGroup, &QButtonGroup::idClicked, this, changed(ui->rgReceiveScriptTrigger));
    connect(ui->edTimeTriggerTime, &QLineEdit::textChanged, this, changed(ui->edTimeTriggerTime));
    connect(ui->edTriggerChars, &QLineEdit::textChanged, this, changed(ui->edTriggerChars));
    connect(ui->cbUseScript, &QCheckBox::clicked, this,
            [this] { Guarded(this, [this] { cbUseScriptClick(); }); });
    connect(ui->edSendScriptFileName, &QLineEdit::textChanged, this, [this] {
        if (!mLoadingScriptPanel)
            Guarded(this,
                    [this] { VarnexSettings()->SetSendScriptFileName(ui->edSendScriptFileName->text()); });
    });
    connect(ui->bBrowseForScript, &QToolButton::clicked, this,
            [this] { Guarded(this, [this] { BrowseForScript(ui->edSendScriptFileName); }); });
    connect(ui->bBrowseForReceiveScript, &QToolButton::clicked, this,
            [this] { Guarded(this, [this] { BrowseForScript(ui->edReceiveScriptName); }); });
    connect(ui->cbUseReceiveScript, &QCheckBox::clicked, this,
            [this] { Guarded(this, [this] { cbUseReceiveScriptClick(); }); });
    connect(ui->edReceiveScriptName, &QLineEdit::textChanged, this, [this] {
        if (!mLoadingScriptPanel)
            Guarded(this, [this] { edReceiveScriptNameChange(); });
    });
}

void TfrmMainWindow::LoadScriptPanel()
{
    TVarnexSettings* settings = VarnexSettings();
    mLoadingScriptPanel = true;
    const int type = settings->ReceiveTriggerType();
    if (QAbstractButton* button = mTriggerGroup->button(type))
        button->setChecked(true);
    ui->edTriggerChars->setText(settings->ReceiveTriggerChars());
    ui->cbUseScript->setChecked(settings->UseScript());
    ui->paScriptMessages->setVisible(settings->UseScript());
    ui->edSendScriptFileName->setText(settings->SendScriptFileName());
    ui->cbUseReceiveScript->setChecked(settings->UseReceiveScript());
    ui->edReceiveScriptName->setText(settings->ReceiveScriptFileName());
    mLoadingScriptPanel = false;
    // Loading the wait time counts as a change of the field: it sets the silence timer and
    // the token expiry.
    ui->edTimeTriggerTime->setText(QString::number(settings->ReceiveTriggerWaitTime()));
    rgReceiveScriptTriggerClick(ui->edTimeTriggerTime);

    mUseScript = settings->UseScript();
    mUseReceiveScript = settings->UseReceiveScript();
    mReceiveTriggerType = type;
    mEncodedTriggerChars = settings->GetEncodedReceiveTriggerChars();
    mReceiveScriptName = settings->ReceiveScriptFileName();
    mMaxRunTimeMs = settings->MaxRunTimeMs();
}

void TfrmMainWindow::rgReceiveScriptTriggerClick(QObject* aSender)
{
    TVarnexSettings* settings = VarnexSettings();
    if (aSender == ui->rgReceiveScriptTrigger) {
        mReceiveTriggerType = mTriggerGroup->checkedId();
        settings->SetReceiveTriggerType(mReceiveTriggerType);
        timerReceiveTrigger->stop();
        if (mReceiveTriggerType == kTriggerTime)
            mTokenList->SetContentExpiredMs(settings->ReceiveTriggerWaitTime() + 1);
    } else if (aSender == ui->edTimeTriggerTime) {
        settings->SetReceiveTriggerWaitTime(ui->edTimeTriggerTime->AsInteger());
        const int waitTime = settings->ReceiveTriggerWaitTime();
        timerReceiveTrigger->setInterval(waitTime);
        mTokenList->SetContentExpiredMs(waitTime + 1);
    } else if (aSender == ui->edTriggerChars) {
        settings->SetReceiveTriggerChars(ui->edTriggerChars->text());
        mEncodedTriggerChars = settings->GetEncodedReceiveTriggerChars();
    }
}

void TfrmMainWindow::cbUseScriptClick()
{
    mUseScript = ui->cbUseScript->isChecked();
    VarnexSettings()->SetUseScript(mUseScript);
    ui->paScriptMessages->setVisible(VarnexSettings()->UseScript());
}

void TfrmMainWindow::BrowseForScript(QLineEdit* aTarget)
{
    QFileDialog dialog(this, QStringLiteral("Script auswählen"), QCoreApplication::applicationDirPath());
    dialog.setNameFilter(QStringLiteral("Pascaöl Dateien (*.pas)"));
    dialog.setDefaultSuffix(QStringLiteral("pas"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (Prompts().ExecDialog(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        aTarget->setText(dialog.selectedFiles().first());
}

void TfrmMainWindow::cbUseReceiveScriptClick()
{
    mUseReceiveScript = ui->cbUseReceiveScript->isChecked();
    VarnexSettings()->SetUseReceiveScript(mUseReceiveScript);
}

void TfrmMainWindow::edReceiveScriptNameChange()
{
    mReceiveScriptName = ui->edReceiveScriptName->text();
    VarnexSettings()->SetReceiveScriptFileName(mReceiveScriptName);
}

QString TfrmMainWindow::FeedReceived(const QString& aDisplayText)
{
    mTokenList->AddContent(mCom->OriginalRead(), ctReceive);
    // The receive script needs the master switch too.
    if (!mUseScript || !mUseReceiveScript)
        return aDisplayText;
    if (mReceiveTriggerType == kTriggerTime) {
        timerReceiveTrigger->stop();
        // A wait time of 0 switches the silence timer off.
        if (timerReceiveTrigger->interval() > 0)
            timerReceiveTrigger->start();
    } else if (mReceiveTriggerType == kTriggerChars
               && mTokenList->CurrentTokenContains(mEncodedTriggerChars)) {
        // The whole token as the script leaves it takes the place of this read's text.
        return StartScript(mTokenList->CurrentToken()->Content(), mReceiveScriptName, nullptr, false);
    }
    return aDisplayText;
}

void TfrmMainWindow::timerReceiveTriggerTimer()
{
    timerReceiveTrigger->stop();
    if (mReceiveTriggerType != kTriggerTime)
        return;
    for (int i = mTokenList->Count() - 1; i >= 0; --i) {
        const TBaseToken* token = mTokenList->GetToken(i);
        if (token->ContentType() != ctReceive)
            continue;
        if (mUseScript && mUseReceiveScript)
            StartScript(token->Content(), mReceiveScriptName, nullptr, false); // the view is not touched
        return;
    }
}

QString TfrmMainWindow::StartScript(const QString& aText, const QString& aScriptToUse, bool* aRan,
                                    bool aEncode)
{
    if (aRan)
        *aRan = false;
    if (mScriptRunner)
        return mScriptRunner(aText, aScriptToUse, aRan);
    if (!mUseScript || !QFileInfo::exists(aScriptToUse))
        return aText;
    TVarnexScript script;
    script.OnSendString = [this](const QString& aSent, const QString& aName) {
        SendStringToCom(aSent, aName, false);
    };
    script.OnSetModemLine = [this](TModemLineType aType, bool aSet) { SetModemLine(aType, aSet); };
    script.OnGetModemLine = [this](TModemLineType aType) { return GetModemLine(aType); };
    script.OnWriteLn = [this](const QString& aMsg) { WriteLine(aMsg); };
    script.OnShowMessage = [this](const QString& aMsg) { Prompts().ShowMessage(this, aMsg); };
    script.SetText(aEncode ? TStringEncoder().EncodeString(aText) : aText);
    TVarnexScript::TMessageOutput output;
    output.Clear = [this] { ui->edCompilerMsg->clear(); };
    output.Add = [this](const QString& aLines) {
        QString lines = aLines;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (lines.endsWith(QLatin1Char('\n')))
            lines.chop(1);
        WriteLine(lines);
    };
    script.ExecuteScript(TVarnexScript::ReadScriptFile(aScriptToUse), &output, mMaxRunTimeMs);
    if (aRan)
        *aRan = true;
    return script.Text();
}
