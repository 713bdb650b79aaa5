#pragma once

#include "base/VarnexError.h"

#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <atomic>

class QIODevice;
class QNetworkAccessManager;
class QNetworkReply;

// Why an update step failed; the check decides from it what the user is told.
class EUpdateError : public EVarnexError
{
public:
    enum class TKind {
        Unreachable, // no connection, no answer in time
        BadAnswer,   // an answer that is not what the service sends
        Fault,       // the service reported an error
        Refused,     // an address or file name from the service that is not followed
        Download,    // a file could not be fetched or written
        Stopped      // the program is ending
    };
    EUpdateError(TKind aKind, const QString& aMessage)
        : EVarnexError(aMessage)
        , FKind(aKind)
    {
    }
    TKind Kind() const { return FKind; }

private:
    TKind FKind;
};

// Asks a running check to end. Stop() may come from any thread; the transfer waiting on the
// network aborts at once.
class TStopSignal final : public QObject
{
    Q_OBJECT
public:
    void Stop()
    {
        FStopped = true;
        emit Stopped();
    }
    bool IsStopped() const { return FStopped; }

signals:
    void Stopped();

private:
    std::atomic<bool> FStopped = false;
};

// HTTP for the update check, synchronous on the calling thread: each call runs its own event
// loop until the reply is complete, the time without progress runs out or a stop arrives.
class TUpdateTransfer
{
public:
    static constexpr int kDefaultTimeoutMs = 30'000;

    explicit TUpdateTransfer(TStopSignal* aStop = nullptr);
    ~TUpdateTransfer();
    TUpdateTransfer(const TUpdateTransfer&) = delete;
    TUpdateTransfer& operator=(const TUpdateTransfer&) = delete;

    void SetTimeoutMs(int aMs) { FTimeoutMs = aMs; }

    struct TAnswer
    {
        int Status = 0; // HTTP status; 0 when there was none
        QByteArray Body;
        QString Error; // empty when the transfer itself went well
        bool TimedOut = false;
    };
    // Posts aBody; a complete answer with an error status is an answer, not an exception.
    TAnswer Post(const QUrl& aUrl, const QByteArray& aContentType, const QByteArray& aBody);
    // Fetches aUrl into aTarget. Throws unless every byte arrived and was written.
    void Download(const QUrl& aUrl, QIODevice& aTarget);

private:
    // Runs until aReply has finished; false when it was stopped.
    bool Wait(QNetworkReply* aReply);

    TStopSignal* FStop;
    QNetworkAccessManager* FNetwork;
    int FTimeoutMs = kDefaultTimeoutMs;
};
