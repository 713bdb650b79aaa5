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

    // Every setting kept in one attribute, named as its accessors; where each lives and what it
    // reads as when missing is the table in VarnexSettings.cpp, in this order.
    enum class TSetting {
        NormalFontName,
        NormalFontSize,
        DumpFontName,
        DumpFontSize,
        AutoUpdate,
        LastAutoUpdate,
        LastSentFileName,
        NextUpdateUrl,
        HistoryDir,
        HistoryHoures,
        HistoryMinutes,
        HistorySeconds,
        SendScriptFileName,
        UseScript,
        ReceiveScriptFileName,
        UseReceiveScript,
        ReceiveTriggerType,
        ReceiveTriggerWaitTime,
        ReceiveTriggerChars,
        MaxRunTimeMs,
        AutoReconnect,
        Timestamps,
    };

    QString NormalFontName() { return Read<QString>(TSetting::NormalFontName); }
    void SetNormalFontName(const QString& aValue) { Write(TSetting::NormalFontName, aValue); }
    int NormalFontSize() { return Read<int>(TSetting::NormalFontSize); }
    void SetNormalFontSize(int aValue) { Write(TSetting::NormalFontSize, aValue); }
    QString DumpFontName() { return Read<QString>(TSetting::DumpFontName); }
    void SetDumpFontName(const QString& aValue) { Write(TSetting::DumpFontName, aValue); }
    int DumpFontSize() { return Read<int>(TSetting::DumpFontSize); }
    void SetDumpFontSize(int aValue) { Write(TSetting::DumpFontSize, aValue); }
    // Reopen a port whose device vanished as soon as it is back.
    bool AutoReconnect() { return Read<bool>(TSetting::AutoReconnect); }
    void SetAutoReconnect(bool aValue) { Write(TSetting::AutoReconnect, aValue); }
    // Received lines start with the time they arrived.
    bool Timestamps() { return Read<bool>(TSetting::Timestamps); }
    void SetTimestamps(bool aValue) { Write(TSetting::Timestamps, aValue); }
    bool AutoUpdate() { return Read<bool>(TSetting::AutoUpdate); }
    void SetAutoUpdate(bool aValue) { Write(TSetting::AutoUpdate, aValue); }
    QDateTime LastAutoUpdate() { return Read<QDateTime>(TSetting::LastAutoUpdate); }
    void SetLastAutoUpdate(const QDateTime& aValue) { Write(TSetting::LastAutoUpdate, aValue); }
    QString LastSentFileName() { return Read<QString>(TSetting::LastSentFileName); }
    void SetLastSentFileName(const QString& aValue) { Write(TSetting::LastSentFileName, aValue); }
    QString NextUpdateUrl() { return Read<QString>(TSetting::NextUpdateUrl); }
    void SetNextUpdateUrl(const QString& aValue) { Write(TSetting::NextUpdateUrl, aValue); }

    QString HistoryDir() { return Read<QString>(TSetting::HistoryDir); }
    void SetHistoryDir(const QString& aValue) { Write(TSetting::HistoryDir, aValue); }
    int HistoryHoures() { return Read<int>(TSetting::HistoryHoures); }
    void SetHistoryHoures(int aValue) { Write(TSetting::HistoryHoures, aValue); }
    int HistoryMinutes() { return Read<int>(TSetting::HistoryMinutes); }
    void SetHistoryMinutes(int aValue) { Write(TSetting::HistoryMinutes, aValue); }
    int HistorySeconds() { return Read<int>(TSetting::HistorySeconds); }
    void SetHistorySeconds(int aValue) { Write(TSetting::HistorySeconds, aValue); }

    QString SendScriptFileName() { return Read<QString>(TSetting::SendScriptFileName); }
    void SetSendScriptFileName(const QString& aValue) { Write(TSetting::SendScriptFileName, aValue); }
    bool UseScript() { return Read<bool>(TSetting::UseScript); }
    void SetUseScript(bool aValue) { Write(TSetting::UseScript, aValue); }
    QString ReceiveScriptFileName() { return Read<QString>(TSetting::ReceiveScriptFileName); }
    void SetReceiveScriptFileName(const QString& aValue) { Write(TSetting::ReceiveScriptFileName, aValue); }
    bool UseReceiveScript() { return Read<bool>(TSetting::UseReceiveScript); }
    void SetUseReceiveScript(bool aValue) { Write(TSetting::UseReceiveScript, aValue); }
    int ReceiveTriggerType() { return Read<int>(TSetting::ReceiveTriggerType); }
    void SetReceiveTriggerType(int aValue) { Write(TSetting::ReceiveTriggerType, aValue); }
    int ReceiveTriggerWaitTime() { return Read<int>(TSetting::ReceiveTriggerWaitTime); }
    void SetReceiveTriggerWaitTime(int aValue) { Write(TSetting::ReceiveTriggerWaitTime, aValue); }
    QString ReceiveTriggerChars() { return Read<QString>(TSetting::ReceiveTriggerChars); }
    void SetReceiveTriggerChars(const QString& aValue) { Write(TSetting::ReceiveTriggerChars, aValue); }
    // How long one script run may take before it is stopped; never less than 1 ms, whatever the
    // file says.
    int MaxRunTimeMs() { return qMax(1, Read<int>(TSetting::MaxRunTimeMs)); }

    bool AutoUpdateEntryExists() { return IsStored(TSetting::AutoUpdate); }
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
    // T is the setting's type in the table: QString, int, bool or QDateTime.
    template <class T>
    T Read(TSetting aSetting);
    template <class T>
    void Write(TSetting aSetting, const T& aValue);
    // Whether the file has the setting rather than leaving it to its default.
    bool IsStored(TSetting aSetting);

    static QString sLastSaveError;
};

// The same object as TVarnexSettings::Instance().
inline TVarnexSettings* VarnexSettings()
{
    return TVarnexSettings::Instance();
}
