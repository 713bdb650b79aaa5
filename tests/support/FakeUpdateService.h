#pragma once

#include "LocalHttpServer.h"

#include "update/UpdateService.h"

#include <QHash>
#include <QString>

// The update service as a test server: answers the five operations from its fields and
// serves files below "/files/". An operation can be made to fail in one of the ways a real
// server fails.
class TFakeUpdateService
{
public:
    enum class TFailure { None, Fault, Garbage, Truncated, Hang };

    QString Version = QStringLiteral("1.2.3.5");
    QString NextUrl = QStringLiteral("http://127.0.0.1:1/next");
    QString FileName = QStringLiteral("Varnex-Setup.bin");
    QList<TAdditionalItem> Additional;
    // Set: the download address of the package (default: the served file FileName).
    QString DownloadPath;
    QHash<QString, QByteArray> Files;  // path below /files/ -> content
    QHash<QString, TFailure> Failures; // operation or "/files/<name>" -> how it fails

    TFakeUpdateService()
        : FServer([this](const TLocalHttpServer::TRequest& aRequest) { return Answer(aRequest); })
    {
    }

    QString Address() const { return FServer.Url(QStringLiteral("/UpdateService")).toString(); }
    QString FileUrl(const QString& aName) const
    {
        return FServer.Url(QStringLiteral("/files/") + aName).toString();
    }
    QList<TLocalHttpServer::TRequest> Requests() const { return FServer.Requests(); }
    // The SOAP actions asked for, in order.
    QStringList Actions() const
    {
        QStringList actions;
        for (const auto& request : FServer.Requests()) {
            const QByteArray type = request.Headers.value("content-type");
            const qsizetype at = type.indexOf("action=\"");
            if (at >= 0)
                actions << QString::fromUtf8(type.mid(at + 8, type.indexOf('"', at + 8) - at - 8));
        }
        return actions;
    }

private:
    static QByteArray Escaped(const QString& aText) { return aText.toHtmlEscaped().toUtf8(); }

    TLocalHttpServer::TResponse Failed(TFailure aFailure, QByteArray aBody) const
    {
        TLocalHttpServer::TResponse response;
        response.ContentType = "application/soap+xml; charset=utf-8";
        switch (aFailure) {
        case TFailure::Fault:
            response.Status = 500;
            response.Body =
                "<?xml version=\"1.0\"?><soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/"
                "soap-envelope\"><soap:Body><soap:Fault><soap:Code><soap:Value>soap:Receiver"
                "</soap:Value></soap:Code><soap:Reason><soap:Text xml:lang=\"de\">Wartung bis 12 Uhr"
                "</soap:Text></soap:Reason></soap:Fault></soap:Body></soap:Envelope>";
            break;
        case TFailure::Garbage: response.Body = "<html><body>Bitte melden Sie sich an</body></html>"; break;
        case TFailure::Truncated:
            response.Mode = TLocalHttpServer::TResponse::TMode::Truncated;
            response.Body = aBody;
            break;
        case TFailure::Hang: response.Mode = TLocalHttpServer::TResponse::TMode::Hang; break;
        case TFailure::None: response.Body = aBody; break;
        }
        return response;
    }

    TLocalHttpServer::TResponse Answer(const TLocalHttpServer::TRequest& aRequest) const
    {
        const QString path = QString::fromUtf8(aRequest.Path);
        if (path.startsWith(QLatin1String("/files/"))) {
            const QString name = path.mid(7);
            if (!Files.contains(name)) {
                TLocalHttpServer::TResponse missing;
                missing.Status = 404;
                return missing;
            }
            TLocalHttpServer::TResponse file =
                Failed(Failures.value(path, TFailure::None), Files.value(name));
            file.ContentType = "application/octet-stream";
            return file;
        }
        const QByteArray body = aRequest.Body;
        const qsizetype open = body.indexOf("<soap12:Body><") + 14;
        const QString operation = QString::fromUtf8(body.mid(open, body.indexOf(' ', open) - open));
        QByteArray result;
        if (operation == QLatin1String("GetVarnexVersion"))
            result = Escaped(Version);
        else if (operation == QLatin1String("GetNextVarnexUpdateUrl"))
            result = Escaped(NextUrl);
        else if (operation == QLatin1String("GetVarnexDownloadPath"))
            result = Escaped(DownloadPath.isEmpty() ? FileUrl(FileName) : DownloadPath);
        else if (operation == QLatin1String("GetVarnexDownloadFileName"))
            result = Escaped(FileName);
        else if (operation == QLatin1String("GetAdditionalFiles"))
            for (const TAdditionalItem& item : Additional)
                result += "<AdditionalItem><DownloadPath>" + Escaped(item.DownloadPath)
                    + "</DownloadPath><Name>" + Escaped(item.Name) + "</Name></AdditionalItem>";
        const QByteArray op = operation.toUtf8();
        const QByteArray envelope = "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
                                    "xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><"
            + op + "Response xmlns=\"urn:varnex:update:\"><" + op + "Result>" + result + "</" + op
            + "Result></" + op + "Response></soap:Body></soap:Envelope>";
        return Failed(Failures.value(operation, TFailure::None), envelope);
    }

    TLocalHttpServer FServer;
};
