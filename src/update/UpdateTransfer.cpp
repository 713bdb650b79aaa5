#include "update/UpdateTransfer.h"

#include <QEventLoop>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace {

QString TimeoutText(int aMs)
{
    return QStringLiteral("Keine Antwort innerhalb von %1 Sekunden.").arg((aMs + 999) / 1000);
}

} // namespace

TUpdateTransfer::TUpdateTransfer(TStopSignal* aStop)
    : FStop(aStop)
    , FNetwork(new QNetworkAccessManager)
{
}

TUpdateTransfer::~TUpdateTransfer()
{
    delete FNetwork;
}

bool TUpdateTransfer::Wait(QNetworkReply* aReply)
{
    QEventLoop loop;
    QObject::connect(aReply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (FStop) {
        // The stop comes from another thread: the reply is aborted in its own.
        QObject::connect(FStop, &TStopSignal::Stopped, aReply, &QNetworkReply::abort, Qt::QueuedConnection);
        if (FStop->IsStopped())
            aReply->abort();
    }
    if (!aReply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !(FStop && FStop->IsStopped());
}

TUpdateTransfer::TAnswer TUpdateTransfer::Post(const QUrl& aUrl, const QByteArray& aContentType,
                                               const QByteArray& aBody)
{
    QNetworkRequest request(aUrl);
    request.setHeader(QNetworkRequest::ContentTypeHeader, aContentType);
    request.setTransferTimeout(FTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(FNetwork->post(request, aBody));
    if (!Wait(reply.get()))
        throw EUpdateError(EUpdateError::TKind::Stopped, QStringLiteral("Abgebrochen."));
    TAnswer answer;
    answer.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->isOpen())
        answer.Body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError) {
        answer.TimedOut = reply->error() == QNetworkReply::OperationCanceledError;
        answer.Error = answer.TimedOut ? TimeoutText(FTimeoutMs) : reply->errorString();
    }
    return answer;
}

void TUpdateTransfer::Download(const QUrl& aUrl, QIODevice& aTarget)
{
    QNetworkRequest request(aUrl);
    request.setTransferTimeout(FTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(FNetwork->get(request));
    QString writeError;
    qint64 received = 0;
    // Written as it arrives: a package need not fit in memory.
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [&] {
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (writeError.isEmpty() && aTarget.write(chunk) != chunk.size()) {
            writeError = aTarget.errorString();
            reply->abort();
        }
    });
    if (!Wait(reply.get()))
        throw EUpdateError(EUpdateError::TKind::Stopped, QStringLiteral("Abgebrochen."));
    const QByteArray rest = reply->isOpen() ? reply->readAll() : QByteArray();
    received += rest.size();
    if (writeError.isEmpty() && aTarget.write(rest) != rest.size())
        writeError = aTarget.errorString();
    QString problem;
    if (!writeError.isEmpty())
        problem = QStringLiteral("Die Datei kann nicht geschrieben werden: %1").arg(writeError);
    else if (reply->error() == QNetworkReply::OperationCanceledError)
        problem = TimeoutText(FTimeoutMs);
    else if (reply->error() != QNetworkReply::NoError)
        problem = reply->errorString();
    else {
        // A connection that ends early is no complete file, even when the network layer
        // takes it calmly.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() != received)
            problem = QStringLiteral("Die Übertragung brach nach %1 von %2 Bytes ab.")
                          .arg(received)
                          .arg(length.toLongLong());
    }
    if (!problem.isEmpty())
        throw EUpdateError(EUpdateError::TKind::Download,
                           QStringLiteral("%1\n%2").arg(aUrl.toDisplayString(), problem));
}
