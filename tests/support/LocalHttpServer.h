#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests, served by the thread's event loop: every
// request gets one answer and the connection closes. An answer can also break the rules
// the way real servers and networks do.
class TLocalHttpServer final : public QObject
{
    Q_OBJECT
public:
    struct TRequest
    {
        QByteArray Method;
        QByteArray Path;
        QHash<QByteArray, QByteArray> Headers; // names in lower case
        QByteArray Body;
    };
    struct TResponse
    {
        enum class TMode { Normal, Truncated, Hang };
        int Status = 200;
        QByteArray ContentType = "text/plain";
        QByteArray Body;
        // Truncated: the full length is announced, half the body sent, the connection closed.
        // Hang: the request is read and never answered.
        TMode Mode = TMode::Normal;
    };
    using THandler = std::function<TResponse(const TRequest&)>;

    explicit TLocalHttpServer(THandler aHandler, QObject* aParent = nullptr);

    QUrl Url(const QString& aPath) const;
    QList<TRequest> Requests() const { return FRequests; }

private:
    void Read(QTcpSocket* aSocket);

    QTcpServer FServer;
    THandler FHandler;
    QList<TRequest> FRequests;
    QHash<QTcpSocket*, QByteArray> FPending;
};
