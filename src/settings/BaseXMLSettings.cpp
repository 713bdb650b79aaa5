#include "settings/BaseXMLSettings.h"

#include "base/VarnexError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TBaseXMLSettings* TBaseXMLSettings::sInstance = nullptr;

TBaseXMLSettings::TBaseXMLSettings(bool aXMLEnabled)
    : FXMLEnabled(aXMLEnabled)
{
}

TBaseXMLSettings::~TBaseXMLSettings()
{
    if (sInstance == this)
        sInstance = nullptr;
}

void TBaseXMLSettings::Create(const QString& aClassName)
{
    throw EVarnexError(QStringLiteral("Access class %1 through Instance only").arg(aClassName));
}

TBaseXMLSettings* TBaseXMLSettings::AccessInstance(int aRequest, TFactory aFactory)
{
    switch (aRequest) {
    case 0: return sInstance;
    case 1:
        if (!sInstance) {
            if (!aFactory)
                throw EVarnexError(QStringLiteral("No settings class to create"));
            // The factory's construction may already ask for the instance; keep its result.
            TBaseXMLSettings* created = aFactory();
            if (!sInstance)
                sInstance = created;
        }
        return sInstance;
    case 2: sInstance = nullptr; return nullptr;
    default: throw EVarnexError(QStringLiteral("Illegal request %1 in AccessInstance").arg(aRequest));
    }
}

void TBaseXMLSettings::ReleaseInstance()
{
    delete AccessInstance(0);
}

void TBaseXMLSettings::AddNotice(const QString& aText)
{
    if (!FNotices.contains(aText))
        FNotices << aText;
}

QStringList TBaseXMLSettings::TakeNotices()
{
    return std::exchange(FNotices, {});
}

pugi::xml_document* TBaseXMLSettings::GetDOM()
{
    if (!FXMLEnabled) {
        FDOM.reset();
        return nullptr;
    }
    if (!FDOM)
        LoadDocument();
    return FDOM.get();
}

void TBaseXMLSettings::LoadDocument()
{
    FDOM = std::make_unique<pugi::xml_document>();
    const QString path = GetSettingsFilePath();
    if (!QFileInfo::exists(path)) {
        NewDocument(*FDOM, QStringLiteral("Body"));
        return;
    }
    QString error;
    if (LoadXMLFile(*FDOM, path, &error)) {
        UpgradeDocument();
        return;
    }
    // Keep the damaged file for the user before anything can overwrite it.
    QString kept = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = path + QStringLiteral(".bad%1").arg(n);
    if (QFile::copy(path, kept))
        AddNotice(QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt (%2).\n"
                                 "Sie wurde als \"%3\" aufbewahrt; es gelten die Standardeinstellungen.")
                      .arg(QDir::toNativeSeparators(path), error, QDir::toNativeSeparators(kept)));
    else
        AddNotice(QStringLiteral("Die Einstellungsdatei \"%1\" ist beschädigt (%2) und konnte nicht "
                                 "gesichert werden; es gelten die Standardeinstellungen.")
                      .arg(QDir::toNativeSeparators(path), error));
    NewDocument(*FDOM, QStringLiteral("Body"));
}

void TBaseXMLSettings::UpgradeDocument()
{
    const pugi::xml_node root = FDOM->document_element();
    if (GetAttrInt(QStringLiteral("Version"), root, 0) >= 2)
        return;
    const pugi::xpath_node_set forms = FDOM->select_nodes("//Form");
    if (forms.empty())
        return;
    pugi::xml_node formsRoot = GetElement(QStringLiteral("/Body/Forms"), true);
    for (const pugi::xpath_node& form : forms)
        formsRoot.append_move(form.node());
}

pugi::xml_node TBaseXMLSettings::GetElement(const QString& aSelPath, bool aCreate)
{
    pugi::xml_document* document = GetDOM();
    if (!document)
        return {};
    pugi::xml_node node =
        aCreate ? GetOrCreateElement(aSelPath, document) : SelectSingleNode(*document, aSelPath);
    return node.type() == pugi::node_element ? node : pugi::xml_node();
}

pugi::xml_node TBaseXMLSettings::GetFormsRoot()
{
    return GetElement(QStringLiteral("/Body/Forms"), true);
}

pugi::xml_node TBaseXMLSettings::FindFormElement(const QString& aName)
{
    return ChildByName(GetFormsRoot(), "Form", aName);
}

QString TBaseXMLSettings::LoadMRU(pugi::xml_node aMRURootElement, int aElementIndex)
{
    if (!aMRURootElement)
        return {};
    const pugi::xml_node entry =
        SelectSingleNode(aMRURootElement, QStringLiteral("MRUList/MRU[%1]").arg(aElementIndex));
    return entry ? FromXml(entry.attribute("Name").value()) : QString();
}

pugi::xml_node TBaseXMLSettings::SaveMRU(const QString& aMRUEntry, pugi::xml_node aMRURootElement,
                                         int aMRULength)
{
    if (!aMRURootElement)
        return {};
    pugi::xml_node list = GetOrCreateElement(QStringLiteral("MRUList"), GetDOM(), aMRURootElement);
    pugi::xml_node entry = ChildByName(list, "MRU", aMRUEntry);
    if (entry)
        entry = list.prepend_move(entry);
    else
        entry = list.prepend_child("MRU");
    SetAttrString(entry, QStringLiteral("Name"), aMRUEntry);
    const int length = aMRULength == 0 ? FMRULength : aMRULength;
    int count = 0;
    pugi::xml_node last;
    for (pugi::xml_node mru : list.children("MRU")) {
        ++count;
        last = mru;
    }
    if (count > length)
        list.remove_child(last);
    return entry;
}

void TBaseXMLSettings::SaveSettings()
{
    pugi::xml_document* document = GetDOM();
    if (!document)
        return;
    const QString path = GetSettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    SaveXMLFile(*document, path);
}

int TBaseXMLSettings::GetVersion()
{
    pugi::xml_document* document = GetDOM();
    return GetAttrInt(QStringLiteral("AppVersion"),
                      document ? document->document_element() : pugi::xml_node(), BaseVersion());
}

void TBaseXMLSettings::SetVersion(int aVersion)
{
    pugi::xml_document* document = GetDOM();
    if (document && document->document_element())
        SetAttrInt(document->document_element(), QStringLiteral("AppVersion"), aVersion);
}

int TBaseXMLSettings::BaseVersion()
{
    pugi::xml_document* document = GetDOM();
    if (!document)
        return 0;
    return GetAttrInt(QStringLiteral("Version"), document->document_element(), 1);
}
