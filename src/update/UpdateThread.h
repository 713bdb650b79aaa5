#pragma once

#include "base/Prompts.h"
#include "update/UpdateTransfer.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <optional>

// One update check away from the GUI thread. Everything that touches the user or the
// settings happens on the GUI thread: the address is handed in before the start, the new
// address goes back to the store there, and the worker waits for the user's answers.
class TUpdateThread final : public QThread
{
    Q_OBJECT
public:
    // Created on the GUI thread.
    explicit TUpdateThread(bool aManualUpdate, QObject* aParent = nullptr);
    ~TUpdateThread() override;

    bool ManualUpdate() const { return FManualUpdate; }
    void SetUpdateUrl(const QString& aUrl) { FUpdateUrl = aUrl; }
    void SetWindowHandle(quint64 aHandle) { FWindowHandle = aHandle; }
    // For tests: where the program lies, its version, the time a transfer may stand still.
    void SetProgramDir(const QString& aDir) { FProgramDir = aDir; }
    void SetCurrentVersion(const QString& aVersion) { FCurrentVersion = aVersion; }
    void SetTimeoutMs(int aMs) { FTimeoutMs = aMs; }

    // Ends the check as soon as it can: transfers are aborted, a question still open is
    // taken as No. Call from the GUI thread, then wait().
    void Stop();

protected:
    void run() override;

private:
    void Check();
    // Shows aText on the GUI thread and waits for the answer (none when stopped meanwhile).
    std::optional<IPrompts::TButton> AskOnGui(IPrompts::TKind aKind, const QString& aText,
                                              const QList<IPrompts::TButton>& aButtons);
    void Tell(const QString& aText);

    const bool FManualUpdate;
    QString FUpdateUrl;
    quint64 FWindowHandle = 0;
    QString FProgramDir;
    QString FCurrentVersion;
    int FTimeoutMs = TUpdateTransfer::kDefaultTimeoutMs;
    TStopSignal FStop;

    QMutex FAnswerLock;
    QWaitCondition FAnswered;
    std::optional<IPrompts::TButton> FAnswer;
    bool FAsking = false;
};
