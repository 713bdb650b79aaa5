// The 50 ms receive poll and the modem lines.
#include "terminal/MainWindow.h"

#include "serial/TermCom.h"
#include "ui/Prompts.h"
#include "ui/VarnexError.h"
#include "ui_MainWindow.h"

#include <QElapsedTimer>

namespace {
constexpr int kPollBudgetMs = 25;
} // namespace

#include "log/Log.h"

void TfrmMainWindow::timerPollEventTimer()
{
    // A message box opened below runs its own event loop; the poll must not nest.
    if (mInPoll)
        return;
    mInPoll = true;
    try {
        mCom->SetOptions(GetDisplayOptions());
        mCom->SetRTS(ui->bRTS->isChecked());
        mCom->SetDTR(ui->bDTR->isChecked());
        UpdateLeds();
        if (mCom->DeviceFailed())
            throw EVarnexError(QStringLiteral("device failed"));
        // Reads come in bounded pieces; a flood that outlasts the tick's budget is read on
        // at the next tick, so the window stays responsive and nothing is lost.
        QElapsedTimer budget;
        budget.start();
        while (mCom->InCount() > 0) {
            const QString text = FeedReceived(mCom->Read());
            // A running rebuild shows the new data when it reaches the tokens.
            if (!mRebuild.Active)
                AppendReceived(text);
            if (budget.elapsed() >= kPollBudgetMs)
                break;
        }
    } catch (const std::exception& e) {
        qCWarning(lcPoll) << "closing the port:" << e.what();
        mCom->Close();
        UpdateLeds();
        ActionListUpdate();
        Prompts().ShowMessage(this, QStringLiteral("Kommunikationsfehler"));
    }
    mInPoll = false;
    ActionListUpdate();
}

void TfrmMainWindow::UpdateLeds()
{
    const bool open = mCom->Opened();
    ui->ledOnOff->SetOn(open);
    ui->acComOn->setChecked(open);
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
    switch (aModemLineType) {
    case mltRTS:
        mCom->SetRTS(aSet);
        ui->bRTS->setChecked(aSet);
        break;
    case mltDTR:
        mCom->SetDTR(aSet);
        ui->bDTR->setChecked(aSet);
        break;
    default: break;
    }
}

bool TfrmMainWindow::GetModemLine(TModemLineType aModemLineType)
{
    switch (aModemLineType) {
    case mltRTS: return mCom->RTS();
    case mltDTR: return mCom->DTR();
    case mltCTS: return mCom->CTS();
    case mltDSR: return mCom->DSR();
    case mltRing: return mCom->Ring();
    case mltNone: break;
    }
    return false;
}
