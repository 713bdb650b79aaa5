#include "terminal/TerminalSession.h"

#include "base/ErrorGuard.h"
#include "base/VarnexError.h"
#include "commands/ParameterHandler.h"
#include "log/Log.h"
#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"
#include "scripting/VarnexScript.h"
#include "serial/Reconnector.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/ReceiveText.h"
#include "terminal/Token.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <limits>

namespace {
// The largest piece one read takes from the port.
constexpr qint64 kMaxReadBytes = 64 << 10;
// A rebuild works in slices of this many characters or milliseconds, whichever comes first,
// so the window keeps answering and the port keeps being read meanwhile.
constexpr qint64 kRebuildSliceChars = 1 << 20;
constexpr int kRebuildSliceMs = 25;
} // namespace

// Marks the one operation that may run scripts. When the outermost one ends, what waited in
// the queue runs.
class TTerminalSession::TBusy
{
public:
    explicit TBusy(TTerminalSession& aSession)
        : FSession(aSession)
    {
        ++FSession.FBusy;
    }
    ~TBusy()
    {
        if (--FSession.FBusy > 0 || FSession.FQueue.empty())
            return;
        // Never from an unwinding operation: the queue runs on the event loop then.
        if (std::uncaught_exceptions() > 0)
            QTimer::singleShot(0, &FSession, [session = &FSession] { session->RunQueued(); });
        else
            FSession.RunQueued();
    }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    TTerminalSession& FSession;
};

TTerminalSession::TTerminalSession(QObject* aParent)
    : QObject(aParent)
    , FCom(std::make_unique<TTermCom>())
    , FTokenList(std::make_unique<TTokenList>())
    , FReconnector(std::make_unique<TReconnector>(*FCom))
    , FRebuildSliceChars(kRebuildSliceChars)
    , FRebuildSliceMs(kRebuildSliceMs)
{
    FCom->SetMaxReadSize(kMaxReadBytes);
    FCom->OnBacklog = [this] { emit BacklogWaiting(); };

    FSilenceTimer = new QTimer(this);
    FSilenceTimer->setObjectName(QStringLiteral("timerReceiveTrigger"));
    FSilenceTimer->setSingleShot(true);
    FSilenceTimer->setInterval(FWaitTimeMs);
    connect(FSilenceTimer, &QTimer::timeout, this, [this] { Guarded([this] { SilenceExpired(); }); });

    FRebuildTimer = new QTimer(this);
    FRebuildTimer->setSingleShot(true);
    FRebuildTimer->setInterval(0);
    connect(FRebuildTimer, &QTimer::timeout, this, [this] { Guarded([this] { ContinueRebuild(); }); });
}

// Switches RTS off and closes the port.
TTerminalSession::~TTerminalSession() = default;

// --- Settings ------------------------------------------------------------------------------

void TTerminalSession::LoadScriptSettings()
{
    TVarnexSettings* settings = VarnexSettings();
    FUseScript = settings->UseScript();
    FUseReceiveScript = settings->UseReceiveScript();
    FReceiveScriptName = settings->ReceiveScriptFileName();
    FTriggerType = settings->ReceiveTriggerType();
    FEncodedTriggerChars = settings->GetEncodedReceiveTriggerChars();
    FMaxRunTimeMs = settings->MaxRunTimeMs();
    SetWaitTime(settings->ReceiveTriggerWaitTime());
}

void TTerminalSession::SetUseScript(bool aUse)
{
    VarnexSettings()->SetUseScript(aUse);
    FUseScript = aUse;
}

void TTerminalSession::SetUseReceiveScript(bool aUse)
{
    VarnexSettings()->SetUseReceiveScript(aUse);
    FUseReceiveScript = aUse;
}

void TTerminalSession::SetReceiveScriptName(const QString& aFileName)
{
    VarnexSettings()->SetReceiveScriptFileName(aFileName);
    FReceiveScriptName = aFileName;
}

void TTerminalSession::SetReceiveTriggerType(int aType)
{
    VarnexSettings()->SetReceiveTriggerType(aType);
    FTriggerType = aType;
    FSilenceTimer->stop();
    if (aType == kTriggerTime)
        FTokenList->SetContentExpiredMs(FWaitTimeMs + 1);
}

void TTerminalSession::SetWaitTime(qint64 aMilliseconds)
{
    // Bounded, so that the token expiry (one more) still fits.
    FWaitTimeMs = int(std::clamp<qint64>(aMilliseconds, 0, kMaxWaitTimeMs));
    VarnexSettings()->SetReceiveTriggerWaitTime(FWaitTimeMs);
    FSilenceTimer->setInterval(FWaitTimeMs);
    FTokenList->SetContentExpiredMs(FWaitTimeMs + 1);
}

void TTerminalSession::SetTriggerChars(const QString& aSlashNotation)
{
    TVarnexSettings* settings = VarnexSettings();
    settings->SetReceiveTriggerChars(aSlashNotation);
    FEncodedTriggerChars = settings->GetEncodedReceiveTriggerChars();
}

// --- Receiving -----------------------------------------------------------------------------

bool TTerminalSession::Poll(int aBudgetMs)
{
    // A message box opened from here runs its own event loop; the poll must not nest.
    if (FInPoll)
        return false;
    if (FReconnector->IsWaiting()) {
        // the user chose another port meanwhile: that one is not waited for
        if (FCom->Port() != FReconnector->Port() || FCom->Opened()) {
            FReconnector->Stop();
        } else if (!FLastReconnectAttempt.isValid()
                   || FLastReconnectAttempt.elapsed() >= FReconnectIntervalMs) {
            FLastReconnectAttempt.start();
            if (!FReconnector->Attempt())
                return false;
            qCInfo(lcPoll) << "the device is back, port reopened";
            emit PortRestored();
        } else {
            return false;
        }
    }
    FReconnector->Remember();
    bool failed = false;
    bool backlog = false;
    TBaseToken* triggered = nullptr;
    {
        const QScopedValueRollback<bool> inPoll(FInPoll, true);
        try {
            FCom->SetOptions(FDisplayOptions);
            // Reads come in bounded pieces; a flood that outlasts the tick's budget is read on
            // at the next tick, so the window stays responsive and nothing is lost. A failed
            // device is read to its end first: the last data before the fault matters most.
            failed = FCom->DeviceFailed();
            QElapsedTimer clock;
            clock.start();
            while (FCom->InCount() > 0) {
                if (FeedReceived(FCom->ReadShown()))
                    triggered = FTokenList->CurrentToken();
                if (failed)
                    continue;
                if (triggered || (aBudgetMs >= 0 && clock.elapsed() >= aBudgetMs)) {
                    backlog = FCom->InCount() > 0;
                    break;
                }
            }
            failed = failed || FCom->DeviceFailed();
        } catch (const std::exception& e) {
            qCWarning(lcPoll) << "reading the port failed:" << e.what();
            failed = true;
        }
    }
    if (failed) {
        qCWarning(lcPoll) << "closing the port";
        FCom->Close();
    }
    if (failed && FAutoReconnect) {
        FReconnector->Start();
        FLastReconnectAttempt.invalidate();
    }
    const bool lost = failed && FReconnector->IsWaiting();
    if (triggered)
        RunCharTrigger(triggered);
    if (lost)
        emit PortLost();
    else if (failed)
        emit CommunicationError();
    return backlog && !failed;
}

void TTerminalSession::SetAutoReconnect(bool aOn)
{
    FAutoReconnect = aOn;
    if (!aOn)
        FReconnector->Stop();
}

bool TTerminalSession::IsWaitingForDevice() const
{
    return FReconnector->IsWaiting();
}

void TTerminalSession::StopWaitingForDevice()
{
    FReconnector->Stop();
}

QString TTerminalSession::PortNote() const
{
    if (FReconnector->IsWaiting())
        return QStringLiteral("Verbindung verloren – warte auf %1 ...").arg(FReconnector->Device());
    return FCom->Opened() ? QString() : FCom->OpenFailure();
}

bool TTerminalSession::FeedReceived(const QByteArray& aShown)
{
    FTokenList->AddLatin1Content(FCom->OriginalBytes(), ctReceive);
    // A running rebuild shows the new data when it reaches the tokens.
    if (!FRebuild.Active) {
        const TBaseToken* token = FTokenList->CurrentToken();
        const bool tokenStart = token != FMarkedToken;
        if (tokenStart)
            MarkToken(token);
        // Plain text goes to the view as it is; time stamps and number marks take the long way.
        if (!FTimestamps && FCom->NumberMarks().isEmpty()) {
            if (FView)
                FView->AppendLatin1ToReceive(aShown);
        } else {
            ShowReceived(QString::fromLatin1(aShown), FCom->NumberMarks(),
                         FTimestamps ? token->ArrivalMs(token->Length() - 1) : 0, tokenStart);
        }
    }
    // The receive script needs the master switch too.
    if (!FUseScript || !FUseReceiveScript)
        return false;
    if (FTriggerType == kTriggerTime) {
        FSilenceTimer->stop();
        // A wait time of 0 switches the silence timer off.
        if (FSilenceTimer->interval() > 0)
            FSilenceTimer->start();
        return false;
    }
    return FTriggerType == kTriggerChars && FTokenList->CurrentTokenContains(FEncodedTriggerChars);
}

void TTerminalSession::RunCharTrigger(TBaseToken* aToken)
{
    if (FBusy > 0) {
        // Runs after the script that is running now, on the token that matched, even when
        // something was sent meanwhile; a clear of the traffic drops it.
        if (FQueuedTriggerToken != aToken) {
            FQueuedTriggerToken = aToken;
            Enqueue([this, aToken, generation = FGeneration] {
                if (FQueuedTriggerToken == aToken)
                    FQueuedTriggerToken = nullptr;
                if (generation == FGeneration && FUseScript && FUseReceiveScript
                    && FTriggerType == kTriggerChars)
                    RunCharTrigger(aToken);
            });
        }
        return;
    }
    TBusy busy(*this);
    const quint64 generation = FGeneration;
    const QString content = aToken->Content();
    const QString result = StartScript(content, FReceiveScriptName, nullptr, false);
    // A script that left the text alone changes nothing: the data is on show already.
    if (result == content || !FView)
        return;
    if (FRebuild.Active)
        FinishRebuild();
    // The view shows the token from its mark to the end, unless the traffic moved on.
    if (generation != FGeneration || aToken != FTokenList->CurrentToken() || aToken != FMarkedToken)
        return;
    FView->TruncateReceive(FTokenMark);
    ++FGeneration;
    FMarkedToken = aToken;
    // Data that came while the script ran follows the script's text.
    ShowDecoded(result + aToken->Mid(content.size()), aToken->ArrivalMs(0), true);
}

void TTerminalSession::SilenceExpired()
{
    FSilenceTimer->stop();
    if (FTriggerType == kTriggerTime)
        RunSilenceScript();
}

void TTerminalSession::RunSilenceScript()
{
    if (FBusy > 0) {
        if (!FSilenceQueued) {
            FSilenceQueued = true;
            Enqueue([this] {
                FSilenceQueued = false;
                if (FTriggerType == kTriggerTime)
                    RunSilenceScript();
            });
        }
        return;
    }
    TBusy busy(*this);
    for (int i = FTokenList->Count() - 1; i >= 0; --i) {
        const TBaseToken* token = FTokenList->GetToken(i);
        if (token->ContentType() != ctReceive)
            continue;
        // The script's text is not shown: the view is not touched.
        if (FUseScript && FUseReceiveScript)
            StartScript(token->Content(), FReceiveScriptName, nullptr, false);
        return;
    }
}

// --- Sending -------------------------------------------------------------------------------

void TTerminalSession::SendStringToCom(const QString& aText, const QString& aName, bool aCanUseScript)
{
    const QString framed = FPrefix + aText + FPostfix;
    if (FBusy > 0 || FTransferring) {
        // Asked for while a script runs (the script pumps events) or a file goes out: sent once
        // that is done, so bytes leave in the order they were asked for.
        Enqueue([this, framed, aName, aCanUseScript] { SendFramed(framed, aName, aCanUseScript); });
        emit TextSent();
        return;
    }
    SendFramed(framed, aName, aCanUseScript);
    emit TextSent();
}

void TTerminalSession::SendFromScript(const QString& aText, const QString& aName)
{
    SendFramed(FPrefix + aText + FPostfix, aName, false);
    emit TextSent();
}

void TTerminalSession::SendFramed(const QString& aText, const QString& aName, bool aCanUseScript)
{
    TBusy busy(*this);
    // Parameters may stand in the prefix and postfix too; the dialog is titled by the name.
    TParameterHandler parameters;
    parameters.SetName(aName);
    QString text = parameters.CheckForParameter(aText);
    bool scriptRan = false;
    if (aCanUseScript)
        text = StartScript(text, VarnexSettings()->SendScriptFileName(), &scriptRan);
    // A script works on the bytes already decoded from slash notation; decoding its result a
    // second time would turn every slash it leaves into the start of a sequence.
    FCom->Write(text, !scriptRan); // a closed port sends nothing and says nothing
    FTokenList->AddContent(text, ctSend);
    // During a rebuild the echo comes from the token when the rebuild reaches it.
    if (FEcho && !FRebuild.Active)
        WriteSendEcho(text);
}

void TTerminalSession::WriteSendEcho(const QString& aText)
{
    QString echo;
    if (FView && !FView->ReceiveAtLineStart())
        echo = QStringLiteral("\r\n");
    echo += QStringLiteral("Gesendet: ") + aText + QStringLiteral("\r\n");
    Show(echo, true);
}

// --- The queue -----------------------------------------------------------------------------

void TTerminalSession::Enqueue(std::function<void()> aWork)
{
    FQueue.push_back(std::move(aWork));
}

void TTerminalSession::SetTransferring(bool aOn)
{
    FTransferring = aOn;
    if (!aOn)
        RunQueued();
}

void TTerminalSession::RunQueued()
{
    // Each piece of work may end in a script of its own, whose end comes back here.
    if (FRunningQueue || FBusy > 0 || FTransferring)
        return;
    const QScopedValueRollback<bool> running(FRunningQueue, true);
    while (!FQueue.empty() && FBusy == 0 && !FTransferring) {
        std::function<void()> work = std::move(FQueue.front());
        FQueue.pop_front();
        Guarded(work);
    }
}

// --- Scripts -------------------------------------------------------------------------------

QString TTerminalSession::StartScript(const QString& aText, const QString& aScriptToUse, bool* aRan,
                                      bool aEncode)
{
    TBusy busy(*this);
    if (aRan)
        *aRan = false;
    if (FScriptRunner)
        return FScriptRunner(aText, aScriptToUse, aRan);
    if (!FUseScript || !QFileInfo::exists(aScriptToUse))
        return aText;
    TVarnexScript script;
    script.OnSendString = [this](const QString& aSent, const QString& aName) {
        SendFromScript(aSent, aName);
    };
    script.OnSetModemLine = [this](TModemLineType aType, bool aSet) { SetModemLine(aType, aSet); };
    script.OnGetModemLine = [this](TModemLineType aType) { return GetModemLine(aType); };
    script.OnWriteLn = [this](const QString& aMsg) { emit ScriptMessage(aMsg); };
    script.OnShowMessage = [](const QString& aMsg) { Prompts().ShowMessage(aMsg); };
    script.SetText(aEncode ? TStringEncoder().EncodeString(aText) : aText);
    TVarnexScript::TMessageOutput output;
    output.Clear = [this] { emit ScriptMessagesCleared(); };
    output.Add = [this](const QString& aLines) {
        QString lines = aLines;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (lines.endsWith(QLatin1Char('\n')))
            lines.chop(1);
        emit ScriptMessage(lines);
    };
    script.ExecuteScript(TVarnexScript::ReadScriptFile(aScriptToUse), &output, FMaxRunTimeMs);
    if (aRan)
        *aRan = true;
    return script.Text();
}

void TTerminalSession::SetModemLine(TModemLineType aModemLineType, bool aSet)
{
    switch (aModemLineType) {
    case mltRTS: FCom->SetRTS(aSet); break;
    case mltDTR: FCom->SetDTR(aSet); break;
    default: return;
    }
    emit ModemLineSet(aModemLineType, aSet);
}

bool TTerminalSession::GetModemLine(TModemLineType aModemLineType)
{
    switch (aModemLineType) {
    case mltRTS: return FCom->RTS();
    case mltDTR: return FCom->DTR();
    case mltCTS: return FCom->CTS();
    case mltDSR: return FCom->DSR();
    case mltRing: return FCom->Ring();
    case mltNone: break;
    }
    return false;
}

// --- The view ------------------------------------------------------------------------------

void TTerminalSession::Show(const QString& aText, bool aBold)
{
    if (FView)
        FView->AppendToReceive(aText, aBold);
}

void TTerminalSession::ShowReceived(const QString& aDisplayText, const QByteArray& aNumbers, qint64 aArrivalMs,
                                    bool aTokenStart)
{
    if (!FView || aDisplayText.isEmpty())
        return;
    auto append = [this](const QString& aText, const QByteArray& aMarks) {
        if (aMarks.isEmpty())
            FView->AppendToReceive(aText, false);
        else
            FView->AppendNumbersToReceive(aText, aMarks);
    };
    if (!FTimestamps) {
        append(aDisplayText, aNumbers);
        return;
    }
    const QString& stamp = StampText(aArrivalMs);
    if (FDisplayOptions.IsDump()) {
        // a dump has no lines of its own: each token starts one, behind its time
        if (!aTokenStart) {
            append(aDisplayText, aNumbers);
            return;
        }
        if (!FView->ReceiveAtLineStart())
            FView->AppendToReceive(u"\r\n", false);
        append(stamp + aDisplayText, aNumbers.isEmpty() ? aNumbers : QByteArray(stamp.size(), 0) + aNumbers);
        return;
    }
    // The stamp goes before the first character of each line. A line break only ends the
    // line before it; the LF of a CR LF split between two reads still belongs to the CR.
    QString text;
    text.reserve(aDisplayText.size() + stamp.size());
    bool atStart = FView->ReceiveAtLineStart();
    bool pendingCr = FView->ReceiveEnd().PendingCr;
    const QChar* chars = aDisplayText.constData();
    const qsizetype size = aDisplayText.size();
    qsizetype at = 0;
    while (at < size) {
        if (pendingCr && chars[at] == u'\n') {
            text += chars[at++];
            pendingCr = false;
            continue;
        }
        if (atStart)
            text += stamp;
        // the rest of the line, with the break that ends it
        qsizetype end = at;
        while (end < size && chars[end] != u'\r' && chars[end] != u'\n')
            ++end;
        atStart = end < size;
        pendingCr = atStart && chars[end] == u'\r';
        if (atStart)
            ++end;
        text.append(chars + at, end - at);
        at = end;
    }
    append(text, aNumbers);
}

const QString& TTerminalSession::StampText(qint64 aMs)
{
    if (aMs != FStampMs) {
        FStampMs = aMs;
        FStampText = QDateTime::fromMSecsSinceEpoch(aMs).toString(QStringLiteral("hh:mm:ss.zzz "));
    }
    return FStampText;
}

void TTerminalSession::ShowDecoded(QStringView aRaw, qint64 aArrivalMs, bool aTokenStart)
{
    TStringDecoder decoder;
    decoder.SetOptions(FDisplayOptions);
    QByteArray numbers;
    const QString text = decoder.DecodeStringSymbol(aRaw, &numbers);
    ShowReceived(text, numbers, aArrivalMs, aTokenStart);
}

void TTerminalSession::MarkToken(const TBaseToken* aToken)
{
    FMarkedToken = aToken;
    FTokenMark = FView ? FView->ReceiveEnd() : TReceiveMark();
}

void TTerminalSession::ClearTraffic()
{
    FRebuild = {};
    FRebuildTimer->stop();
    if (FView)
        FView->ClearReceive();
    FTokenList->Clear();
    FMarkedToken = nullptr;
    ++FGeneration;
}

void TTerminalSession::SaveReceiveToFile(const QString& aFileName)
{
    // A file holds everything received, not the part a running rebuild has shown so far.
    FinishRebuild();
    if (!FView)
        return;
    const QString error =
        FView->ReceiveContent().WriteFile(aFileName, FView->ReceiveFontFamily(), FView->ReceiveFontSize());
    if (!error.isEmpty())
        throw EVarnexError(error);
    TVarnexSettings* settings = VarnexSettings();
    if (settings->XMLEnabled())
        settings->SaveRecentFiles(aFileName, settings->RecentFilesReceive());
}

void TTerminalSession::DropViewFront(const TReceiveMark& aMark)
{
    if (!FView)
        return;
    FView->DropReceiveFront(aMark);
    FMarkedToken = nullptr;
    ++FGeneration;
}

void TTerminalSession::StartRebuild()
{
    if (FView)
        FView->ClearReceive();
    FMarkedToken = nullptr;
    ++FGeneration;
    FRebuild = {true, 0, 0};
    ContinueRebuild();
}

void TTerminalSession::SetRebuildSlice(qint64 aChars, int aMilliseconds)
{
    FRebuildSliceChars = aChars;
    FRebuildSliceMs = aMilliseconds;
}

bool TTerminalSession::ContinueRebuild()
{
    const bool more = RebuildSlice(FRebuildSliceChars, FRebuildSliceMs);
    if (more && FRebuildOnEventLoop)
        FRebuildTimer->start();
    return more;
}

void TTerminalSession::FinishRebuild()
{
    FRebuildTimer->stop();
    while (RebuildSlice(std::numeric_limits<qint64>::max(), -1)) {
    }
}

bool TTerminalSession::RebuildSlice(qint64 aMaxChars, int aMaxMs)
{
    if (!FRebuild.Active)
        return false;
    QElapsedTimer clock;
    clock.start();
    qint64 budget = aMaxChars;
    while (FRebuild.Token < FTokenList->Count() && budget > 0 && (aMaxMs < 0 || clock.elapsed() < aMaxMs)) {
        const TBaseToken* token = FTokenList->GetToken(FRebuild.Token);
        if (token->ContentType() == ctSend) {
            if (FEcho)
                WriteSendEcho(token->Content());
            ++FRebuild.Token;
            continue;
        }
        const bool tokenStart = FRebuild.Offset == 0;
        if (tokenStart)
            MarkToken(token);
        qint64 n = qMin(budget, token->Length() - FRebuild.Offset);
        // with times shown, each piece goes with the time it came
        const qint64 arrivalMs = FTimestamps ? token->ArrivalMs(FRebuild.Offset) : 0;
        if (FTimestamps)
            n = qMin(n, token->ArrivalEnd(FRebuild.Offset) - FRebuild.Offset);
        if (n > 0) {
            ShowDecoded(token->Mid(FRebuild.Offset, n), arrivalMs, tokenStart);
            FRebuild.Offset += n;
            budget -= n;
        }
        // The newest token may still grow: it is finished only when nothing of it is left.
        if (FRebuild.Offset >= token->Length()) {
            ++FRebuild.Token;
            FRebuild.Offset = 0;
        }
    }
    if (FRebuild.Token >= FTokenList->Count()) {
        // Caught up: from here on the poll and the send path append directly.
        FRebuild = {};
        return false;
    }
    return true;
}
