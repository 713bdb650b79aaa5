// The 50 ms poll, the modem lines and what the terminal session reports to the window.
#include "terminal/MainWindow.h"

#include "base/Prompts.h"
#include "serial/TermCom.h"
#include "terminal/TerminalSession.h"
#include "ui_MainWindow.h"

#include <QScrollBar>
#include <QTimer>

namespace {
constexpr int kPollBudgetMs = 25;
} // namespace

void TfrmMainWindow::ConnectSession()
{
    connect(mSession, &TTerminalSession::CommunicationError, this, &TfrmMainWindow::ShowCommunicationError);
    connect(mSession, &TTerminalSession::BacklogWaiting, this, [this] {
        if (timerCatchUp && !timerCatchUp->isActive())
            timerCatchUp->start();
    });
    for (auto signal : {&TTerminalSession::PortLost, &TTerminalSession::PortRestored})
        connect(mSession, signal, this, [this] {
            UpdateLeds();
            ActionListUpdate();
        });
    connect(mSession, &TTerminalSession::TextSent, this, [this] {
        MoveToTop(ui->cbPrefix);
        MoveToTop(ui->cbPostfix);
    });
    connect(mSession, &TTerminalSession::ModemLineSet, this, [this](TModemLineType aType, bool aOn) {
        (aType == mltRTS ? ui->bRTS : ui->bDTR)->setChecked(aOn);
    });
    connect(mSession, &TTerminalSession::ScriptMessagesCleared, ui->edCompilerMsg, &QPlainTextEdit::clear);
    connect(mSession, &TTerminalSession::ScriptMessage, this, &TfrmMainWindow::WriteLine);
}

void TfrmMainWindow::timerPollEventTimer()
{
    mSession->SetDisplayOptions(GetDisplayOptions());
    mCom->SetRTS(ui->bRTS->isChecked());
    mCom->SetDTR(ui->bDTR->isChecked());
    UpdateLeds();
    if (mSession->Poll(kPollBudgetMs))
        timerCatchUp->start();
    ActionListUpdate();
}

void TfrmMainWindow::timerCatchUpTimer()
{
    // Only the reading: lines, lamps and actions follow at the next tick.
    if (timerPollEvent->isActive() && mSession->Poll(kPollBudgetMs))
        timerCatchUp->start();
}

void TfrmMainWindow::ShowCommunicationError()
{
    UpdateLeds();
    ActionListUpdate();
    Prompts().ShowMessage(QStringLiteral("Kommunikationsfehler"));
}

void TfrmMainWindow::timerReceiveTriggerTimer()
{
    mSession->SilenceExpired();
}

void TfrmMainWindow::UpdateLeds()
{
    const bool open = mCom->Opened();
    // while a vanished device is waited for, the lamp blinks and the switch stays on
    const bool waiting = mSession->IsWaitingForDevice();
    ui->ledOnOff->SetLedStatus(waiting ? TRoundLed::lsBlink : open ? TRoundLed::lsOn : TRoundLed::lsOff);
    ui->acComOn->setChecked(open || waiting);
    ui->ledCTS->SetOn(mCom->CTS());
    ui->ledDSR->SetOn(mCom->DSR());
    ui->ledRing->SetOn(mCom->Ring());
    ui->ledRTS->SetOn(mCom->RTS() && open);
    ui->bRTS->setChecked(mCom->RTS());
    ui->ledDTR->SetOn(mCom->DTR() && open);
    ui->bDTR->setChecked(mCom->DTR());
}

void TfrmMainWindow::SetModemLine(TModemLineType aModemLineType, bool aSet)
{
    mSession->SetModemLine(aModemLineType, aSet);
}

bool TfrmMainWindow::GetModemLine(TModemLineType aModemLineType)
{
    return mSession->GetModemLine(aModemLineType);
}

QString TfrmMainWindow::StartScript(const QString& aText, const QString& aScriptToUse, bool* aRan,
                                    bool aEncode)
{
    return mSession->StartScript(aText, aScriptToUse, aRan, aEncode);
}

void TfrmMainWindow::WriteLine(const QString& aMsg)
{
    ui->edCompilerMsg->appendPlainText(aMsg);
    QScrollBar* bar = ui->edCompilerMsg->verticalScrollBar();
    bar->setValue(bar->maximum());
}
