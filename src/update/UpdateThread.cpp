#include "update/UpdateThread.h"

#include "log/Log.h"
#include "settings/VarnexSettings.h"
#include "update/UpdateHandler.h"

#include <QMutexLocker>

TUpdateThread::TUpdateThread(bool aManualUpdate, QObject* aParent)
    : QThread(aParent)
    , FManualUpdate(aManualUpdate)
{
    setObjectName(QStringLiteral("UpdateThread"));
}

TUpdateThread::~TUpdateThread()
{
    Stop();
    wait();
}

void TUpdateThread::Stop()
{
    FStop.Stop();
    QMutexLocker lock(&FAnswerLock);
    FAnswered.wakeAll();
}

void TUpdateThread::run()
{
    try {
        Check();
    } catch (const EUpdateError& e) {
        qCDebug(lcUpdate) << "Update:" << e.Message();
        // A check the user started says why it found nothing; an automatic one stays quiet
        // until the user has agreed to a download.
        if (e.Kind() != EUpdateError::TKind::Stopped && !FStop.IsStopped()
            && (FManualUpdate || e.Kind() == EUpdateError::TKind::Download
                || e.Kind() == EUpdateError::TKind::Refused))
            Tell(e.Message());
    } catch (const std::exception& e) {
        qCDebug(lcUpdate) << "Update:" << e.what();
    }
}

void TUpdateThread::Check()
{
    TUpdateHandler handler(&FStop);
    if (!FProgramDir.isEmpty())
        handler.SetProgramDir(FProgramDir);
    if (!FCurrentVersion.isEmpty())
        handler.SetCurrentVersion(FCurrentVersion);
    handler.SetTimeoutMs(FTimeoutMs);

    if (!handler.CheckForUpdate(FUpdateUrl)) {
        if (FManualUpdate)
            AskOnGui(IPrompts::TKind::Question, QStringLiteral("Es steht keine neuere Version zur Verfügung"),
                     {IPrompts::TButton::Ok});
        return;
    }
    // The store belongs to the GUI thread; this call reaches it before the question below.
    QMetaObject::invokeMethod(
        this, [next = handler.NextUrl()] { VarnexSettings()->SetNextUpdateUrl(next); }, Qt::QueuedConnection);
    const QString question =
        QStringLiteral("Es steht eine neuere Programmversion (%1) zum Download zur Verfügung.\r\n"
                       "Soll die neue Version  herunter geladen werden?\r\n"
                       "Die Installation wird anschliessend automatisch ausgeführt.")
            .arg(handler.NewVersion());
    if (AskOnGui(IPrompts::TKind::Question, question, {IPrompts::TButton::Yes, IPrompts::TButton::No})
        != IPrompts::TButton::Yes)
        return;
    handler.StartDownload();
    if (FStop.IsStopped())
        return;
    const QString problem = handler.InstallUpdate(FWindowHandle);
    if (!problem.isEmpty())
        Tell(problem);
}

std::optional<IPrompts::TButton> TUpdateThread::AskOnGui(IPrompts::TKind aKind, const QString& aText,
                                                         const QList<IPrompts::TButton>& aButtons)
{
    QMutexLocker lock(&FAnswerLock);
    if (FStop.IsStopped())
        return std::nullopt;
    FAnswer.reset();
    FAsking = true;
    // Runs on the GUI thread (this object lives there); dropped if the thread object goes first.
    QMetaObject::invokeMethod(
        this,
        [this, aKind, aText, aButtons] {
            {
                QMutexLocker stillAsking(&FAnswerLock);
                if (!FAsking)
                    return;
            }
            const IPrompts::TButton answer = Prompts().Ask(aKind, aText, aButtons);
            QMutexLocker done(&FAnswerLock);
            FAnswer = answer;
            FAnswered.wakeAll();
        },
        Qt::QueuedConnection);
    while (!FAnswer && !FStop.IsStopped())
        FAnswered.wait(&FAnswerLock);
    FAsking = false;
    return FStop.IsStopped() ? std::nullopt : FAnswer;
}

void TUpdateThread::Tell(const QString& aText)
{
    AskOnGui(IPrompts::TKind::Warning, aText, {IPrompts::TButton::Ok});
}
