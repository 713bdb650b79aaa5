#pragma once

#include <QList>
#include <QString>

#include <pugixml.hpp>

class TUpdateTransfer;

// One further file of an update: where it comes from and the name it is stored under.
struct TAdditionalItem
{
    QString DownloadPath;
    QString Name;
};

// Client of the SOAP 1.2 service "UpdateService" (document/literal wrapped, UTF-8; see
// docs/UpdateService.wsdl). Every call throws EUpdateError when it gets no usable answer.
class TUpdateServiceClient
{
public:
    // The service's XML namespace; an operation's SOAP action is this followed by its name.
    static QString Namespace();

    // aAddress empty: the built-in address.
    TUpdateServiceClient(TUpdateTransfer& aTransfer, const QString& aAddress);

    QString Address() const { return FAddress; }

    QString GetVarnexVersion() { return CallForText(QStringLiteral("GetVarnexVersion")); }
    QString GetVarnexDownloadPath() { return CallForText(QStringLiteral("GetVarnexDownloadPath")); }
    QString GetNextVarnexUpdateUrl() { return CallForText(QStringLiteral("GetNextVarnexUpdateUrl")); }
    QString GetVarnexDownloadFileName() { return CallForText(QStringLiteral("GetVarnexDownloadFileName")); }
    QList<TAdditionalItem> GetAdditionalFiles();

    // The request envelope of an operation without arguments.
    static QByteArray RequestEnvelope(const QString& aOperation);

private:
    QString CallForText(const QString& aOperation);
    // The operation's result element in aDocument (empty when the service left it out).
    pugi::xml_node Call(const QString& aOperation, pugi::xml_document& aDocument);

    TUpdateTransfer& FTransfer;
    QString FAddress;
};
