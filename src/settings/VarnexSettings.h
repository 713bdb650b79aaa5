#pragma once

#include "settings/BaseXMLSettings.h"

#include <QDateTime>
#include <QString>

class TTermCom;
class TPortRegistry;

// The application's settings: where the file lives and every setting with its place in the
// document and its default. All other code reads and writes settings only through Instance().
class TVarnexSettings : public TBaseXMLSettings
{
public:
    static TVarnexSettings* Instance();
    [[noreturn]] static void Create() { TBaseXMLSettings::Create(QStringLiteral("TVarnexSettings")); }
    // Saves (see LastSaveError) and frees the instance.
    static void ReleaseInstance();
    // Why the save at release failed; empty when it worked.
    static QString LastSaveError() { return sLastSaveError; }

    ~TVarnexSettings() override;

    QString ClassName() const override { return QStringLiteral("TVarnexSettings"); }
    bool XMLOptional() const override { return true; }
    // "Varnex Settings.xml" beside the program, or in the user's configuration directory when
    // the program's directory is not writable; VARNEX_SETTINGS names another file.
    QString GetSettingsFilePath() const override;

    pugi::xml_node GeneralRoot() { return GetElement(QStringLiteral("/Body/General"), true); }
    pugi::xml_node HistoryElement() { return GetElement(QStringLiteral("/Body/History"), true); }
    pugi::xml_node ScriptElement() { return GetElement(QStringLiteral("/Body/Script"), true); }
    pugi::xml_node SendMRURoot() { return GetElement(QStringLiteral("/Body/SendMRU"), true); }
    pugi::xml_node RecentFilesMRU() { return GetElement(QStringLiteral("/Body/RecentFilesMRU"), true); }
    pugi::xml_node RecentFilesReceive()
    {
        return GetElement(QStringLiteral("/Body/RecentFilesReceive"), true);
    }
    pugi::xml_node GetActionElement() { return GetElement(QStringLiteral("/Body/Actions"), true); }

    QString NormalFontName();
    void SetNormalFontName(const QString& aValue);
    int NormalFontSize();
    void SetNormalFontSize(int aValue);
    QString DumpFontName();
    void SetDumpFontName(const QString& aValue);
    int DumpFontSize();
    void SetDumpFontSize(int aValue);
    bool AutoUpdate();
    void SetAutoUpdate(bool aValue);
    QDateTime LastAutoUpdate();
    void SetLastAutoUpdate(const QDateTime& aValue);
    QString LastSentFileName();
    void SetLastSentFileName(const QString& aValue);
    QString NextUpdateUrl();
    void SetNextUpdateUrl(const QString& aValue);

    QString HistoryDir();
    void SetHistoryDir(const QString& aValue);
    int HistoryHoures();
    void SetHistoryHoures(int aValue);
    int HistoryMinutes();
    void SetHistoryMinutes(int aValue);
    int HistorySeconds();
    void SetHistorySeconds(int aValue);

    QString SendScriptFileName();
    void SetSendScriptFileName(const QString& aValue);
    bool UseScript();
    void SetUseScript(bool aValue);
    QString ReceiveScriptFileName();
    void SetReceiveScriptFileName(const QString& aValue);
    bool UseReceiveScript();
    void SetUseReceiveScript(bool aValue);
    int ReceiveTriggerType();
    void SetReceiveTriggerType(int aValue);
    int ReceiveTriggerWaitTime();
    void SetReceiveTriggerWaitTime(int aValue);
    QString ReceiveTriggerChars();
    void SetReceiveTriggerChars(const QString& aValue);
    // How long one script run may take before it is stopped.
    int MaxRunTimeMs();

    bool AutoUpdateEntryExists();
    QString GetEncodedReceiveTriggerChars();
    void InsertNewMRUString(const QString& aText);
    void SaveRecentFiles(const QString& aFileName, pugi::xml_node aElement);
    // Port settings from and to "Interface" of aDom (the settings document when null).
    void LoadCom(TTermCom* aCom, pugi::xml_document* aDom = nullptr);
    void SaveCom(TTermCom* aCom, pugi::xml_document* aDom = nullptr);
    pugi::xml_node ResetActionElement();

    // Device paths bound to port numbers from 100 up, kept under "/Body/Ports".
    void LoadPortBindings(TPortRegistry& aRegistry);
    void SavePortBindings(const TPortRegistry& aRegistry);

    // A boolean read that never stops the program: unreadable text gives the default and
    // leaves a notice for the user.
    bool ReadBool(pugi::xml_node aElement, const QString& aName, bool aDefault);

    static constexpr int kMaxRecentFiles = 9;
    static QString DefaultUpdateUrl();

protected:
    explicit TVarnexSettings(bool aXMLEnabled = true);
    static TBaseXMLSettings* CreateInstance();

private:
    static QString sLastSaveError;
};

// The same object as TVarnexSettings::Instance().
inline TVarnexSettings* VarnexSettings()
{
    return TVarnexSettings::Instance();
}
