#include "LocalHttpServer.h"

#include <QTcpSocket>

TLocalHttpServer::TLocalHttpServer(THandler aHandler, QObject* aParent)
    : QObject(aParent)
    , FHandler(std::move(aHandler))
{
    if (!FServer.listen(QHostAddress::LocalHost))
        qFatal("the test server cannot listen: %s", qPrintable(FServer.errorString()));
    connect(&FServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = FServer.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl TLocalHttpServer::Url(const QString& aPath) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(FServer.serverPort()).arg(aPath));
}

void TLocalHttpServer::Read(QTcpSocket* aSocket)
{
    QByteArray& pending = FPending[aSocket];
    pending += aSocket->readAll();
    const qsizetype headerEnd = pending.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    TRequest request;
    const QList<QByteArray> lines = pending.left(headerEnd).split('\n');
    const QList<QByteArray> start = lines.value(0).trimmed().split(' ');
    request.Method = start.value(0);
    request.Path = start.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.Headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                   lines.at(i).mid(colon + 1).trimmed());
    }
    const qsizetype length = request.Headers.value("content-length", "0").toLongLong();
    if (pending.size() < headerEnd + 4 + length)
        return;
    request.Body = pending.mid(headerEnd + 4, length);
    FPending.remove(aSocket);
    FRequests.append(request);

    const TResponse response = FHandler(request);
    if (response.Mode == TResponse::TMode::Hang)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.Status) + " X\r\n";
    head += "Content-Type: " + response.ContentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.Body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    aSocket->write(head);
    aSocket->write(response.Mode == TResponse::TMode::Truncated ? response.Body.left(response.Body.size() / 2)
                                                                : response.Body);
    aSocket->disconnectFromHost();
}
