#pragma once

#include "notation/TermComOptions.h"
#include "serial/SerialTypes.h"
#include "terminal/TerminalView.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class QTimer;
class TBaseToken;
class TReconnector;
class TTermCom;
class TTokenList;

// The terminal without its window: the port, the log of all traffic (tokens), the receive
// triggers, the script runs and the rebuild of the view from the tokens. The window drives it
// (the poll timer, the send field, the display buttons) and shows what it reports; tests drive
// it directly.
//
// One script runs at a time. Scripts pump events while they sleep or show a message, so
// whatever asks for a send or a receive script meanwhile waits in a queue and runs, in order,
// when the running one is done. The poll goes on reading and showing data meanwhile.
class TTerminalSession : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTriggerTime = 0;
    static constexpr int kTriggerChars = 1;
    // The longest wait time the trigger accepts (one day); longer values are cut to it.
    static constexpr int kMaxWaitTimeMs = 24 * 60 * 60 * 1000;

    explicit TTerminalSession(QObject* aParent = nullptr);
    ~TTerminalSession() override;

    TTermCom* Com() const { return FCom.get(); }
    TTokenList* TokenList() const { return FTokenList.get(); }
    // The view the traffic goes to (not owned); none shows nothing.
    void SetView(ITerminalView* aView) { FView = aView; }

    // How received data is shown, and whether sent text is echoed.
    TTermComOptions DisplayOptions() const { return FDisplayOptions; }
    void SetDisplayOptions(TTermComOptions aOptions) { FDisplayOptions = aOptions; }
    bool Echo() const { return FEcho; }
    // Received lines start with the time their first byte came ("hh:mm:ss.zzz "), in a dump
    // each token; the times are kept with the traffic, so a rebuild shows them too.
    bool Timestamps() const { return FTimestamps; }
    void SetTimestamps(bool aOn) { FTimestamps = aOn; }
    void SetEcho(bool aEcho) { FEcho = aEcho; }
    // Put around every text sent.
    void SetPrefix(const QString& aPrefix) { FPrefix = aPrefix; }
    void SetPostfix(const QString& aPostfix) { FPostfix = aPostfix; }

    // The script switches and the receive trigger. Each setter writes the settings store;
    // LoadScriptSettings reads them all from it.
    void LoadScriptSettings();
    bool UseScript() const { return FUseScript; }
    void SetUseScript(bool aUse);
    bool UseReceiveScript() const { return FUseReceiveScript; }
    void SetUseReceiveScript(bool aUse);
    void SetReceiveScriptName(const QString& aFileName);
    int ReceiveTriggerType() const { return FTriggerType; }
    void SetReceiveTriggerType(int aType);
    // Milliseconds without data after which the receive script runs ("Zeit"), and after which
    // a received token is closed; clamped to 0 .. kMaxWaitTimeMs.
    int WaitTime() const { return FWaitTimeMs; }
    void SetWaitTime(qint64 aMilliseconds);
    // The trigger text in slash notation.
    void SetTriggerChars(const QString& aSlashNotation);

    // One tick of the receive poll: reads what waits (for at most about aBudgetMs; a negative
    // budget reads everything), logs it, shows it and applies the trigger rules. A device that
    // failed is read to the end, then closed, and CommunicationError is reported (PortLost
    // with automatic reconnect; then later polls look for the device). True when the budget
    // (or a trigger) ended it with data still waiting: a backlog the caller may work off with
    // another poll as soon as the event loop has had its turn.
    bool Poll(int aBudgetMs);
    // Sends prefix + aText + postfix: parameters asked for, the send script (when allowed),
    // the write, the token and the echo. Waits in the queue while a script runs.
    void SendStringToCom(const QString& aText, const QString& aName, bool aCanUseScript);
    // A device that vanishes is waited for and its port reopened once it is back, instead of
    // CommunicationError; how often Poll looks for it (tests look on every poll).
    void SetAutoReconnect(bool aOn);
    bool AutoReconnect() const { return FAutoReconnect; }
    void SetReconnectInterval(int aMilliseconds) { FReconnectIntervalMs = aMilliseconds; }
    bool IsWaitingForDevice() const;
    // The user switched the port off while it was waited for.
    void StopWaitingForDevice();
    // What the status bar says about the port beyond its settings: the device waited for, or
    // why it did not open; empty when there is nothing to say.
    QString PortNote() const;
    // The silence timer ran out ("Zeit"): the receive script runs on the newest receive token.
    void SilenceExpired();
    QTimer* SilenceTimer() const { return FSilenceTimer; }

    // Re-shows every token in the view with the current display options. The rebuild runs in
    // slices on the event loop; the poll appends nothing meanwhile.
    void StartRebuild();
    // One slice; false once the rebuild has caught up with the tokens.
    bool ContinueRebuild();
    // Runs the rebuild to its end at once (before the view is saved or printed).
    void FinishRebuild();
    bool IsRebuilding() const { return FRebuild.Active; }
    // Tests drive the slices themselves: without, slices only run when asked.
    void SetRebuildOnEventLoop(bool aOn) { FRebuildOnEventLoop = aOn; }
    void SetRebuildSlice(qint64 aChars, int aMilliseconds);

    // Empties the token list and the view.
    void ClearTraffic();
    // Writes everything received (and echoed) to aFileName, RTF or plain text by its extension,
    // and notes it among the recent files; a running rebuild is finished first. Raises
    // EVarnexError when the file cannot be written.
    void SaveReceiveToFile(const QString& aFileName);
    ITerminalView* View() const { return FView; }
    // Drops from the view what was shown before aMark (archived); the tokens stay.
    void DropViewFront(const TReceiveMark& aMark);
    // Counts every change of the view other than appending; a mark taken before a change
    // means nothing after it.
    quint64 ViewEdits() const { return FGeneration; }

    // While a file is being sent, texts asked for wait until it is done, like during a script.
    void SetTransferring(bool aOn);
    bool IsTransferring() const { return FTransferring; }

    // One script run on one text; returns the text the script leaves (the text itself while
    // no script runs). aRan tells whether a script ran. The send path hands slash notation,
    // which the script gets decoded (aEncode); received data is handed over as it came.
    QString StartScript(const QString& aText, const QString& aScriptToUse, bool* aRan = nullptr,
                        bool aEncode = true);
    // Who runs scripts for StartScript: (text, script file, ran) -> text. Tests put their own.
    using TScriptRunner = std::function<QString(const QString&, const QString&, bool*)>;
    void SetScriptRunner(TScriptRunner aRunner) { FScriptRunner = std::move(aRunner); }
    bool IsScriptRunning() const { return FBusy > 0; }

    void SetModemLine(TModemLineType aModemLineType, bool aSet);
    bool GetModemLine(TModemLineType aModemLineType);

    // Shows aText as the echo of a sent text.
    void WriteSendEcho(const QString& aText);

signals:
    // The port failed and was closed.
    void CommunicationError();
    // A burst of received data waits: a poll now rather than at the next tick takes it.
    void BacklogWaiting();
    // The port's device vanished; the port is closed and waits for it (automatic reconnect).
    void PortLost();
    // The device waited for is back and the port open again.
    void PortRestored();
    // A text was handed to the send path (the window moves prefix and postfix to the top of
    // their histories).
    void TextSent();
    // A script switched RTS or DTR.
    void ModemLineSet(TModemLineType aType, bool aOn);
    // The script message area: emptied at the start of each run, then lines added.
    void ScriptMessagesCleared();
    void ScriptMessage(const QString& aLines);

private:
    struct TRebuild
    {
        bool Active = false;
        int Token = 0;
        qint64 Offset = 0;
    };
    class TBusy;

    // Logs one read and shows it (aShown: as decoded for the view, one byte a character);
    // true when the trigger text is now in the current token.
    bool FeedReceived(const QByteArray& aShown);
    void RunCharTrigger(TBaseToken* aToken);
    void RunSilenceScript();
    void SendFramed(const QString& aText, const QString& aName, bool aCanUseScript);
    void SendFromScript(const QString& aText, const QString& aName);
    void Enqueue(std::function<void()> aWork);
    void RunQueued();
    void Show(const QString& aText, bool aBold);
    // Received data on its way to the view, decoded with the display options (the ASCII dump
    // with its numbers marked).
    // aArrivalMs is when the data came; aTokenStart tells that it begins a token.
    void ShowReceived(const QString& aDisplayText, const QByteArray& aNumbers, qint64 aArrivalMs,
                      bool aTokenStart);
    void ShowDecoded(QStringView aRaw, qint64 aArrivalMs, bool aTokenStart);
    const QString& StampText(qint64 aMs);
    bool RebuildSlice(qint64 aMaxChars, int aMaxMs);
    void MarkToken(const TBaseToken* aToken);

    std::unique_ptr<TTermCom> FCom;
    std::unique_ptr<TTokenList> FTokenList;
    std::unique_ptr<TReconnector> FReconnector;
    bool FAutoReconnect = false;
    int FReconnectIntervalMs = 250;
    QElapsedTimer FLastReconnectAttempt;
    ITerminalView* FView = nullptr;
    QTimer* FSilenceTimer = nullptr;
    QTimer* FRebuildTimer = nullptr;

    TTermComOptions FDisplayOptions;
    bool FEcho = false;
    bool FTimestamps = false;
    // The last time stamp made: lines of one poll share it.
    qint64 FStampMs = -1;
    QString FStampText;
    QString FPrefix;
    QString FPostfix;

    // The settings the poll needs, kept here so the poll never reads the settings document.
    bool FUseScript = false;
    bool FUseReceiveScript = false;
    int FTriggerType = kTriggerTime;
    int FWaitTimeMs = 100;
    QString FEncodedTriggerChars;
    QString FReceiveScriptName;
    int FMaxRunTimeMs = 5000;

    TScriptRunner FScriptRunner;
    bool FInPoll = false;
    bool FTransferring = false;
    int FBusy = 0;
    bool FRunningQueue = false;
    std::deque<std::function<void()>> FQueue;
    const TBaseToken* FQueuedTriggerToken = nullptr;
    bool FSilenceQueued = false;

    TRebuild FRebuild;
    bool FRebuildOnEventLoop = true;
    qint64 FRebuildSliceChars;
    int FRebuildSliceMs;

    // Where the view shows the current receive token, so a receive script's result can take
    // its place.
    const TBaseToken* FMarkedToken = nullptr;
    TReceiveMark FTokenMark;
    // Counts clears and rebuilds of the view, after which earlier marks mean nothing.
    quint64 FGeneration = 0;
};
