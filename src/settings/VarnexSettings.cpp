#include "settings/VarnexSettings.h"

#include "VarnexVersion.h"

#include "base/VarnexError.h"
#include "notation/StringEncoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include "log/Log.h"
#include <QStandardPaths>

#include <array>
#include <iterator>
#include <type_traits>
#include <variant>

namespace {

const QString kFileName = QStringLiteral("Varnex Settings.xml");

constexpr std::array<const char*, 3> kStopBitNames = {"sb1_0", "sb1_5", "sb2_0"};
constexpr std::array<const char*, 5> kParityNames = {"paNone", "paOdd", "paEven", "paMark", "paSpace"};

// The enumerator for a stored name; -1 when the name is none of them.
template <size_t N>
int EnumFromName(const std::array<const char*, N>& aNames, const QString& aName)
{
    for (size_t i = 0; i < N; ++i)
        if (aName == QLatin1String(aNames[i]))
            return int(i);
    return -1;
}

QString ProgramDirectory()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

// An installed program's directory is not ours to write: its files then go to the user's folders.
bool ProgramDirectoryWritable()
{
    const QFileInfo dir(ProgramDirectory());
    return dir.isDir() && dir.isWritable();
}

QString DefaultHistoryDir()
{
    // Worked out on every read, so that the default follows the program when it is moved.
    const QString base = ProgramDirectoryWritable()
        ? ProgramDirectory()
        : QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return QDir::toNativeSeparators(base + QStringLiteral("/History"));
}

using TSetting = TVarnexSettings::TSetting;

// A setting's value when its attribute is missing. Its kind is the setting's type: int, bool,
// text (kNoText: a null string) or, worked out when read, text or date-time.
using TDefault = std::variant<int, bool, QStringView, QString (*)(), QDateTime (*)()>;

struct TSettingRow
{
    TSetting Setting;
    QStringView Element;
    QStringView Attribute;
    TDefault Default;
};

constexpr QStringView kGeneral = u"/Body/General";
constexpr QStringView kHistory = u"/Body/History";
constexpr QStringView kScript = u"/Body/Script";
constexpr QStringView kNoText;

// Names and places are those of files already written: never change one.
constexpr TSettingRow kSettings[] = {
    {TSetting::NormalFontName, kGeneral, u"NormalReceiveFont", u"Arial"},
    {TSetting::NormalFontSize, kGeneral, u"NormalReceiveFontSize", 8},
    {TSetting::DumpFontName, kGeneral, u"DumpReceiveFont", u"Courier New"},
    {TSetting::DumpFontSize, kGeneral, u"DumpReceiveFontSize", 8},
    {TSetting::AutoUpdate, kGeneral, u"AutoUpdate", true},
    {TSetting::LastAutoUpdate, kGeneral, u"LastAutoUpdate", ZeroDateTime},
    {TSetting::LastSentFileName, kGeneral, u"LastSentFileName", kNoText},
    {TSetting::NextUpdateUrl, kGeneral, u"NextUpdateUrl", TVarnexSettings::DefaultUpdateUrl},
    {TSetting::HistoryDir, kHistory, u"Directoryname", DefaultHistoryDir},
    {TSetting::HistoryHoures, kHistory, u"houres", 24},
    {TSetting::HistoryMinutes, kHistory, u"minutes", 0},
    {TSetting::HistorySeconds, kHistory, u"seconds", 0},
    {TSetting::SendScriptFileName, kScript, u"Filename", kNoText},
    {TSetting::UseScript, kScript, u"UseScript", false},
    {TSetting::ReceiveScriptFileName, kScript, u"ReceiveScriptName", kNoText},
    {TSetting::UseReceiveScript, kScript, u"UseReceiveScript", false},
    {TSetting::ReceiveTriggerType, kScript, u"ReceiveTriggerType", 0},
    {TSetting::ReceiveTriggerWaitTime, kScript, u"ReceiveTriggerWaitTime", 100},
    {TSetting::ReceiveTriggerChars, kScript, u"ReceiveTriggerChars", u"\r\n"},
    {TSetting::MaxRunTimeMs, kScript, u"MaxRunTimeMs", 5000},
    {TSetting::AutoReconnect, kGeneral, u"AutoReconnect", false},
    {TSetting::Timestamps, kGeneral, u"Timestamps", false},
};

constexpr bool OneRowPerSettingInOrder()
{
    for (size_t i = 0; i < std::size(kSettings); ++i)
        if (kSettings[i].Setting != TSetting(i))
            return false;
    return std::size(kSettings) == size_t(TSetting::Timestamps) + 1;
}
static_assert(OneRowPerSettingInOrder(), "kSettings must list every TSetting in its order");

const TSettingRow& RowOf(TSetting aSetting)
{
    return kSettings[size_t(aSetting)];
}

// The table's texts are literals that outlive every string made from them, so settings are
// read without copying names and defaults.
QString Literal(QStringView aText)
{
    return QString::fromRawData(aText.data(), aText.size());
}

QString TextDefault(const TDefault& aDefault)
{
    if (const auto* compute = std::get_if<QString (*)()>(&aDefault))
        return (*compute)();
    return Literal(std::get<QStringView>(aDefault));
}

} // namespace

QString TVarnexSettings::sLastSaveError;

TVarnexSettings::TVarnexSettings(bool aXMLEnabled)
    : TBaseXMLSettings(aXMLEnabled)
{
}

TBaseXMLSettings* TVarnexSettings::CreateInstance()
{
    auto* settings = new TVarnexSettings();
    settings->SetVersion(1);
    return settings;
}

TVarnexSettings* TVarnexSettings::Instance()
{
    return static_cast<TVarnexSettings*>(AccessInstance(1, &TVarnexSettings::CreateInstance));
}

TVarnexSettings::~TVarnexSettings()
{
    try {
        SaveSettings();
        sLastSaveError.clear();
    } catch (const EVarnexError& e) {
        sLastSaveError = e.Message();
    } catch (const std::exception& e) {
        sLastSaveError = QString::fromLocal8Bit(e.what());
    }
}

void TVarnexSettings::ReleaseInstance()
{
    TBaseXMLSettings::ReleaseInstance();
}

QString TVarnexSettings::GetSettingsFilePath() const
{
    QString path = qEnvironmentVariable("VARNEX_SETTINGS");
    if (!path.isEmpty()) {
        path = QFileInfo(path).absoluteFilePath();
    } else {
        path = ProgramDirectoryWritable()
            ? QDir(ProgramDirectory()).filePath(kFileName)
            : QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(kFileName);
    }
    qCDebug(lcSettings) << "Settings =" << path;
    return path;
}

QString TVarnexSettings::DefaultUpdateUrl()
{
    return QStringLiteral(VARNEX_UPDATE_ENDPOINT);
}

bool TVarnexSettings::ReadBool(pugi::xml_node aElement, const QString& aName, bool aDefault)
{
    try {
        return GetAttrBool(aName, aElement, aDefault);
    } catch (const EVarnexError& e) {
        AddNotice(QStringLiteral("Einstellung \"%1\" in <%2>: %3. Es gilt der Standardwert \"%4\".")
                      .arg(aName, FromXml(aElement.name()), e.Message(),
                           aDefault ? QStringLiteral("true") : QStringLiteral("false")));
        return aDefault;
    }
}

// --- Settings table --------------------------------------------------------------------

template <class T>
T TVarnexSettings::Read(TSetting aSetting)
{
    const TSettingRow& row = RowOf(aSetting);
    const QString name = Literal(row.Attribute);
    const pugi::xml_node element = GetElement(Literal(row.Element), true);
    if constexpr (std::is_same_v<T, int>)
        return GetAttrInt(name, element, std::get<int>(row.Default));
    else if constexpr (std::is_same_v<T, bool>)
        return ReadBool(element, name, std::get<bool>(row.Default));
    else if constexpr (std::is_same_v<T, QDateTime>)
        return GetAttrDateTime(name, element, std::get<QDateTime (*)()>(row.Default)());
    else
        return GetAttrString(name, element, TextDefault(row.Default));
}

template <class T>
void TVarnexSettings::Write(TSetting aSetting, const T& aValue)
{
    const TSettingRow& row = RowOf(aSetting);
    const QString name = Literal(row.Attribute);
    const pugi::xml_node element = GetElement(Literal(row.Element), true);
    if constexpr (std::is_same_v<T, int>)
        SetAttrInt(element, name, aValue);
    else if constexpr (std::is_same_v<T, bool>)
        SetAttrBool(element, name, aValue);
    else if constexpr (std::is_same_v<T, QDateTime>)
        SetAttrDateTime(element, name, aValue);
    else
        SetAttrString(element, name, aValue);
}

template QString TVarnexSettings::Read<QString>(TSetting);
template int TVarnexSettings::Read<int>(TSetting);
template bool TVarnexSettings::Read<bool>(TSetting);
template QDateTime TVarnexSettings::Read<QDateTime>(TSetting);
template void TVarnexSettings::Write<QString>(TSetting, const QString&);
template void TVarnexSettings::Write<int>(TSetting, const int&);
template void TVarnexSettings::Write<bool>(TSetting, const bool&);
template void TVarnexSettings::Write<QDateTime>(TSetting, const QDateTime&);

bool TVarnexSettings::IsStored(TSetting aSetting)
{
    const TSettingRow& row = RowOf(aSetting);
    return HasAttribute(Literal(row.Attribute), GetElement(Literal(row.Element), true));
}

// --- Operations ------------------------------------------------------------------------

QString TVarnexSettings::GetEncodedReceiveTriggerChars()
{
    return TStringEncoder().EncodeString(ReceiveTriggerChars());
}

void TVarnexSettings::InsertNewMRUString(const QString& aText)
{
    pugi::xml_node root = SendMRURoot();
    if (!root)
        return;
    const QByteArray text = ToXml(aText);
    for (pugi::xml_node entry : root.children("MRU")) {
        const pugi::xml_attribute stored = entry.attribute("Text");
        if (stored && text == stored.value())
            return;
    }
    root.prepend_child("MRU").append_attribute("Text").set_value(text.constData());
}

void TVarnexSettings::SaveRecentFiles(const QString& aFileName, pugi::xml_node aElement)
{
    if (!aElement)
        return;
    const QByteArray name = ToXml(aFileName);
    pugi::xml_node entry;
    for (pugi::xml_node file : aElement.children("RecentFile"))
        if (name == file.attribute("Name").value()) {
            entry = file;
            break;
        }
    if (entry) {
        aElement.prepend_move(entry);
    } else {
        aElement.prepend_child("RecentFile").append_attribute("Name").set_value(name.constData());
    }
    int count = 0;
    pugi::xml_node last;
    for (pugi::xml_node file : aElement.children("RecentFile")) {
        ++count;
        last = file;
    }
    if (count > kMaxRecentFiles)
        aElement.remove_child(last);
}

void TVarnexSettings::LoadCom(TTermCom* aCom, pugi::xml_document* aDom)
{
    pugi::xml_document* document = aDom ? aDom : GetDOM();
    if (!document || !aCom)
        return;
    const pugi::xml_node element = SelectSingleNode(*document, QStringLiteral("/Body/Interface"));
    if (!element)
        return;
    aCom->SetPort(GetAttrInt(QStringLiteral("Port"), element, aCom->Port()));
    aCom->SetBaud(GetAttrInt(QStringLiteral("Baud"), element, aCom->Baud()));
    aCom->SetFlag(quint32(GetAttrInt(QStringLiteral("Flags"), element, int(aCom->Flag()))));
    // A name the port does not know leaves that parameter as it is.
    const int stop = EnumFromName(
        kStopBitNames,
        GetAttrString(QStringLiteral("Stop"), element, QLatin1String(kStopBitNames[aCom->StopBits()])));
    if (stop >= 0)
        aCom->SetStopBits(TStopBit(stop));
    const int parity = EnumFromName(
        kParityNames,
        GetAttrString(QStringLiteral("Parity"), element, QLatin1String(kParityNames[aCom->Parity()])));
    if (parity >= 0)
        aCom->SetParity(TParity(parity));
    aCom->SetDataBits(GetAttrInt(QStringLiteral("Data"), element, aCom->DataBits()));
    aCom->SetRTS(ReadBool(element, QStringLiteral("RTS"), aCom->RTS()));
    aCom->SetDTR(ReadBool(element, QStringLiteral("DTR"), aCom->DTR()));
}

void TVarnexSettings::SaveCom(TTermCom* aCom, pugi::xml_document* aDom)
{
    pugi::xml_document* document = aDom ? aDom : GetDOM();
    if (!document || !aCom)
        return;
    pugi::xml_node element = GetOrCreateElement(QStringLiteral("/Body/Interface"), document);
    SetAttrInt(element, QStringLiteral("Port"), aCom->Port());
    SetAttrInt(element, QStringLiteral("Baud"), aCom->Baud());
    SetAttrInt(element, QStringLiteral("Flags"), int(aCom->Flag()));
    SetAttrInt(element, QStringLiteral("Data"), aCom->DataBits());
    SetAttrBool(element, QStringLiteral("RTS"), aCom->RTS());
    SetAttrBool(element, QStringLiteral("DTR"), aCom->DTR());
    SetAttrString(element, QStringLiteral("Stop"), QLatin1String(kStopBitNames[aCom->StopBits()]));
    SetAttrString(element, QStringLiteral("Parity"), QLatin1String(kParityNames[aCom->Parity()]));
}

pugi::xml_node TVarnexSettings::ResetActionElement()
{
    pugi::xml_node actions = GetElement(QStringLiteral("/Body/Actions"), false);
    if (actions)
        actions.parent().remove_child(actions);
    return GetActionElement();
}

void TVarnexSettings::LoadPortBindings(TPortRegistry& aRegistry)
{
    const pugi::xml_node ports = GetElement(QStringLiteral("/Body/Ports"), false);
    for (pugi::xml_node port : ports.children("Port"))
        aRegistry.Bind(GetAttrInt(QStringLiteral("Number"), port, -1),
                       GetAttrString(QStringLiteral("Device"), port, QString()));
}

void TVarnexSettings::SavePortBindings(const TPortRegistry& aRegistry)
{
    pugi::xml_node ports = GetElement(QStringLiteral("/Body/Ports"), false);
    if (ports)
        ports.parent().remove_child(ports);
    const QMap<int, QString> bindings = aRegistry.Bindings();
    if (bindings.isEmpty())
        return;
    ports = GetElement(QStringLiteral("/Body/Ports"), true);
    for (auto it = bindings.cbegin(); it != bindings.cend(); ++it) {
        pugi::xml_node port = ports.append_child("Port");
        SetAttrInt(port, QStringLiteral("Number"), it.key());
        SetAttrString(port, QStringLiteral("Device"), it.value());
    }
}
