#include "settings/VarnexSettings.h"

#include "notation/StringEncoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "ui/VarnexError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include "log/Log.h"
#include <QStandardPaths>

#include <array>

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
        const QString programDir = ProgramDirectory();
        const QFileInfo dir(programDir);
        // An installed program's directory is not ours to write.
        path = dir.isDir() && dir.isWritable()
            ? QDir(programDir).filePath(kFileName)
            : QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(kFileName);
    }
    qCDebug(lcSettings) << "Settings =" << path;
    return path;
}

QString TVarnexSettings::DefaultUpdateUrl()
{
    return QStringLiteral("https://updates.varnex.invalid/UpdateService.asmx");
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

// --- General ---------------------------------------------------------------------------

QString TVarnexSettings::NormalFontName()
{
    return GetAttrString(QStringLiteral("NormalReceiveFont"), GeneralRoot(), QStringLiteral("Arial"));
}
void TVarnexSettings::SetNormalFontName(const QString& aValue)
{
    SetAttrString(GeneralRoot(), QStringLiteral("NormalReceiveFont"), aValue);
}
int TVarnexSettings::NormalFontSize()
{
    return GetAttrInt(QStringLiteral("NormalReceiveFontSize"), GeneralRoot(), 8);
}
void TVarnexSettings::SetNormalFontSize(int aValue)
{
    SetAttrInt(GeneralRoot(), QStringLiteral("NormalReceiveFontSize"), aValue);
}
QString TVarnexSettings::DumpFontName()
{
    return GetAttrString(QStringLiteral("DumpReceiveFont"), GeneralRoot(), QStringLiteral("Courier New"));
}
void TVarnexSettings::SetDumpFontName(const QString& aValue)
{
    SetAttrString(GeneralRoot(), QStringLiteral("DumpReceiveFont"), aValue);
}
int TVarnexSettings::DumpFontSize()
{
    return GetAttrInt(QStringLiteral("DumpReceiveFontSize"), GeneralRoot(), 8);
}
void TVarnexSettings::SetDumpFontSize(int aValue)
{
    SetAttrInt(GeneralRoot(), QStringLiteral("DumpReceiveFontSize"), aValue);
}
bool TVarnexSettings::AutoUpdate()
{
    return ReadBool(GeneralRoot(), QStringLiteral("AutoUpdate"), true);
}
void TVarnexSettings::SetAutoUpdate(bool aValue)
{
    SetAttrBool(GeneralRoot(), QStringLiteral("AutoUpdate"), aValue);
}
QDateTime TVarnexSettings::LastAutoUpdate()
{
    return GetAttrDateTime(QStringLiteral("LastAutoUpdate"), GeneralRoot(), ZeroDateTime());
}
void TVarnexSettings::SetLastAutoUpdate(const QDateTime& aValue)
{
    SetAttrDateTime(GeneralRoot(), QStringLiteral("LastAutoUpdate"), aValue);
}
QString TVarnexSettings::LastSentFileName()
{
    return GetAttrString(QStringLiteral("LastSentFileName"), GeneralRoot(), QString());
}
void TVarnexSettings::SetLastSentFileName(const QString& aValue)
{
    SetAttrString(GeneralRoot(), QStringLiteral("LastSentFileName"), aValue);
}
QString TVarnexSettings::NextUpdateUrl()
{
    return GetAttrString(QStringLiteral("NextUpdateUrl"), GeneralRoot(), DefaultUpdateUrl());
}
void TVarnexSettings::SetNextUpdateUrl(const QString& aValue)
{
    SetAttrString(GeneralRoot(), QStringLiteral("NextUpdateUrl"), aValue);
}

// --- History ---------------------------------------------------------------------------

QString TVarnexSettings::HistoryDir()
{
    const QString fallback = QDir::toNativeSeparators(ProgramDirectory() + QStringLiteral("/History"));
    return GetAttrString(QStringLiteral("Directoryname"), HistoryElement(), fallback);
}
void TVarnexSettings::SetHistoryDir(const QString& aValue)
{
    SetAttrString(HistoryElement(), QStringLiteral("Directoryname"), aValue);
}
int TVarnexSettings::HistoryHoures()
{
    return GetAttrInt(QStringLiteral("houres"), HistoryElement(), 24);
}
void TVarnexSettings::SetHistoryHoures(int aValue)
{
    SetAttrInt(HistoryElement(), QStringLiteral("houres"), aValue);
}
int TVarnexSettings::HistoryMinutes()
{
    return GetAttrInt(QStringLiteral("minutes"), HistoryElement(), 0);
}
void TVarnexSettings::SetHistoryMinutes(int aValue)
{
    SetAttrInt(HistoryElement(), QStringLiteral("minutes"), aValue);
}
int TVarnexSettings::HistorySeconds()
{
    return GetAttrInt(QStringLiteral("seconds"), HistoryElement(), 0);
}
void TVarnexSettings::SetHistorySeconds(int aValue)
{
    SetAttrInt(HistoryElement(), QStringLiteral("seconds"), aValue);
}

// --- Script ----------------------------------------------------------------------------

QString TVarnexSettings::SendScriptFileName()
{
    return GetAttrString(QStringLiteral("Filename"), ScriptElement(), QString());
}
void TVarnexSettings::SetSendScriptFileName(const QString& aValue)
{
    SetAttrString(ScriptElement(), QStringLiteral("Filename"), aValue);
}
bool TVarnexSettings::UseScript()
{
    return ReadBool(ScriptElement(), QStringLiteral("UseScript"), false);
}
void TVarnexSettings::SetUseScript(bool aValue)
{
    SetAttrBool(ScriptElement(), QStringLiteral("UseScript"), aValue);
}
QString TVarnexSettings::ReceiveScriptFileName()
{
    return GetAttrString(QStringLiteral("ReceiveScriptName"), ScriptElement(), QString());
}
void TVarnexSettings::SetReceiveScriptFileName(const QString& aValue)
{
    SetAttrString(ScriptElement(), QStringLiteral("ReceiveScriptName"), aValue);
}
bool TVarnexSettings::UseReceiveScript()
{
    return ReadBool(ScriptElement(), QStringLiteral("UseReceiveScript"), false);
}
void TVarnexSettings::SetUseReceiveScript(bool aValue)
{
    SetAttrBool(ScriptElement(), QStringLiteral("UseReceiveScript"), aValue);
}
int TVarnexSettings::ReceiveTriggerType()
{
    return GetAttrInt(QStringLiteral("ReceiveTriggerType"), ScriptElement(), 0);
}
void TVarnexSettings::SetReceiveTriggerType(int aValue)
{
    SetAttrInt(ScriptElement(), QStringLiteral("ReceiveTriggerType"), aValue);
}
int TVarnexSettings::ReceiveTriggerWaitTime()
{
    return GetAttrInt(QStringLiteral("ReceiveTriggerWaitTime"), ScriptElement(), 100);
}
void TVarnexSettings::SetReceiveTriggerWaitTime(int aValue)
{
    SetAttrInt(ScriptElement(), QStringLiteral("ReceiveTriggerWaitTime"), aValue);
}
QString TVarnexSettings::ReceiveTriggerChars()
{
    return GetAttrString(QStringLiteral("ReceiveTriggerChars"), ScriptElement(), QStringLiteral("\r\n"));
}
void TVarnexSettings::SetReceiveTriggerChars(const QString& aValue)
{
    SetAttrString(ScriptElement(), QStringLiteral("ReceiveTriggerChars"), aValue);
}

int TVarnexSettings::MaxRunTimeMs()
{
    return qMax(1, GetAttrInt(QStringLiteral("MaxRunTimeMs"), ScriptElement(), 5000));
}

// --- Operations ------------------------------------------------------------------------

bool TVarnexSettings::AutoUpdateEntryExists()
{
    return HasAttribute(QStringLiteral("AutoUpdate"), GeneralRoot());
}

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
