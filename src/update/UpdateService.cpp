#include "update/UpdateService.h"

#include "log/Log.h"
#include "settings/XMLGlobal.h"
#include "update/UpdateTransfer.h"

#include "VarnexVersion.h"

#include <QUrl>

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace {

const char* const kSoapEnvelopeNs = "http://www.w3.org/2003/05/soap-envelope";

// Element names are compared without their prefix: servers choose prefixes freely.
bool IsNamed(pugi::xml_node aNode, const char* aLocalName)
{
    const char* name = aNode.name();
    const char* colon = std::strrchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, aLocalName) == 0;
}

pugi::xml_node Child(pugi::xml_node aParent, const char* aLocalName)
{
    for (pugi::xml_node child : aParent.children())
        if (child.type() == pugi::node_element && IsNamed(child, aLocalName))
            return child;
    return {};
}

pugi::xml_node FirstElement(pugi::xml_node aParent)
{
    for (pugi::xml_node child : aParent.children())
        if (child.type() == pugi::node_element)
            return child;
    return {};
}

QString Text(pugi::xml_node aElement)
{
    return FromXml(aElement.text().get());
}

EUpdateError BadAnswer(const QString& aAddress, const QString& aWhy)
{
    return EUpdateError(
        EUpdateError::TKind::BadAnswer,
        QStringLiteral("Der Update-Server hat keine gültige Antwort gegeben (%1).\n%2").arg(aWhy, aAddress));
}

} // namespace

QString TUpdateServiceClient::Namespace()
{
    return QStringLiteral("urn:varnex:update:");
}

TUpdateServiceClient::TUpdateServiceClient(TUpdateTransfer& aTransfer, const QString& aAddress)
    : FTransfer(aTransfer)
    , FAddress(aAddress.isEmpty() ? QStringLiteral(VARNEX_UPDATE_ENDPOINT) : aAddress)
{
}

QByteArray TUpdateServiceClient::RequestEnvelope(const QString& aOperation)
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "utf-8";
    pugi::xml_node envelope = document.append_child("soap12:Envelope");
    envelope.append_attribute("xmlns:soap12") = kSoapEnvelopeNs;
    pugi::xml_node body = envelope.append_child("soap12:Body");
    pugi::xml_node operation = body.append_child(ToXml(aOperation).constData());
    operation.append_attribute("xmlns") = ToXml(Namespace()).constData();
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return QByteArray::fromStdString(out.str());
}

pugi::xml_node TUpdateServiceClient::Call(const QString& aOperation, pugi::xml_document& aDocument)
{
    const QUrl url(FAddress);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        throw EUpdateError(
            EUpdateError::TKind::Refused,
            QStringLiteral("Die Adresse des Update-Servers ist keine http- oder https-Adresse:\n%1")
                .arg(FAddress));
    const QByteArray contentType =
        "application/soap+xml; charset=utf-8; action=\"" + ToXml(Namespace() + aOperation) + '"';
    const TUpdateTransfer::TAnswer answer = FTransfer.Post(url, contentType, RequestEnvelope(aOperation));

    pugi::xml_document& document = aDocument;
    const bool parsed = !answer.Body.isEmpty()
        && document.load_buffer(answer.Body.constData(), size_t(answer.Body.size()), pugi::parse_default,
                                pugi::encoding_auto);
    const pugi::xml_node body = parsed ? Child(Child(document, "Envelope"), "Body") : pugi::xml_node();
    const pugi::xml_node content = FirstElement(body);
    // A fault comes with an error status; its reason is the best explanation there is.
    if (content && IsNamed(content, "Fault")) {
        QString reason = Text(Child(Child(content, "Reason"), "Text"));
        if (reason.isEmpty())
            reason = Text(Child(content, "faultstring"));
        throw EUpdateError(EUpdateError::TKind::Fault,
                           QStringLiteral("Der Update-Server meldet einen Fehler: %1").arg(reason.trimmed()));
    }
    // No status, or a good one and then the connection broke: the server was not reached
    // properly. An error status is an answer, just not a usable one.
    if (!answer.Error.isEmpty() && (answer.Status == 0 || answer.Status / 100 == 2))
        throw EUpdateError(
            EUpdateError::TKind::Unreachable,
            QStringLiteral("Der Update-Server ist nicht erreichbar.\n%1\n%2").arg(FAddress, answer.Error));
    if (!answer.Error.isEmpty())
        throw BadAnswer(FAddress, QStringLiteral("HTTP %1").arg(answer.Status));
    if (!body)
        throw BadAnswer(FAddress, QStringLiteral("keine SOAP-Nachricht"));
    const QByteArray operation = ToXml(aOperation);
    const pugi::xml_node response = Child(body, (operation + "Response").constData());
    if (!response)
        throw BadAnswer(FAddress, QStringLiteral("%1Response fehlt").arg(aOperation));
    // A result the service leaves out is an empty one.
    return Child(response, (operation + "Result").constData());
}

QString TUpdateServiceClient::CallForText(const QString& aOperation)
{
    pugi::xml_document document;
    const QString text = Text(Call(aOperation, document));
    qCDebug(lcUpdate) << aOperation << "=" << text;
    return text;
}

QList<TAdditionalItem> TUpdateServiceClient::GetAdditionalFiles()
{
    pugi::xml_document document;
    QList<TAdditionalItem> items;
    for (pugi::xml_node item : Call(QStringLiteral("GetAdditionalFiles"), document).children()) {
        if (item.type() != pugi::node_element || !IsNamed(item, "AdditionalItem"))
            continue;
        items.append({Text(Child(item, "DownloadPath")).trimmed(), Text(Child(item, "Name")).trimmed()});
    }
    return items;
}
