// The settings file as the program meets it at start: whatever the file holds, the store
// loads it (or keeps a damaged file aside), every setting is read as the window reads it,
// the port and its bindings, the recent files and the action shortcuts are taken and written
// back, and the file is saved. A saved file must load to the same file again.

#include "FuzzSupport.h"

#include "base/VarnexError.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/CommaText.h"
#include "settings/VarnexSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QByteArray ReadAll(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ReadEverything(TVarnexSettings& aSettings)
{
    aSettings.NormalFontName();
    aSettings.NormalFontSize();
    aSettings.DumpFontName();
    aSettings.DumpFontSize();
    aSettings.AutoUpdateEntryExists();
    aSettings.AutoUpdate();
    aSettings.LastAutoUpdate();
    aSettings.LastSentFileName();
    aSettings.NextUpdateUrl();
    aSettings.HistoryDir();
    aSettings.HistoryHoures();
    aSettings.HistoryMinutes();
    aSettings.HistorySeconds();
    aSettings.SendScriptFileName();
    aSettings.UseScript();
    aSettings.ReceiveScriptFileName();
    aSettings.UseReceiveScript();
    aSettings.ReceiveTriggerType();
    aSettings.ReceiveTriggerWaitTime();
    aSettings.GetEncodedReceiveTriggerChars();
    if (aSettings.MaxRunTimeMs() < 1)
        fuzz::Fail("a script may run at least 1 ms");
    aSettings.GetVersion();

    // What the main window reads at start beside the table.
    const pugi::xml_node general = aSettings.GeneralRoot();
    for (const char* list : {"PrefixMRU", "PostfixMRU"}) {
        const QStringList items = FromCommaText(GetAttrString(QString::fromLatin1(list), general, QString()));
        if (FromCommaText(ToCommaText(items)) != items)
            fuzz::Fail("a comma text reads back as its items", ToCommaText(items));
    }
    for (const char* flag : {"ScripPanelExpanded", "HideParams", "AutoScroll", "Dump"})
        aSettings.ReadBool(general, QString::fromLatin1(flag), false);
    GetAttrInt(QStringLiteral("DumpStyle"), general, 1);
    for (int i = 0; i < 3; ++i)
        if (const pugi::xml_node column =
                SelectSingleNode(general, QStringLiteral("MRUListCol[@Number='%1']").arg(i)))
            GetAttrInt(QStringLiteral("Width"), column, 0);
    const pugi::xml_node receive = aSettings.GetElement(QStringLiteral("/Body/General/Receive"), true);
    aSettings.ReadBool(receive, QStringLiteral("ExecuteCrLf"), true);
    if (const pugi::xml_node form = aSettings.FindFormElement(QStringLiteral("frmMainWindow")))
        GetAttrInt(QStringLiteral("Left"), form, 0);
    for (pugi::xml_node item : aSettings.GetActionElement().children())
        GetAttrString(QStringLiteral("Shortcut"), item, QString());
    for (int i = 1; i <= 3; ++i)
        aSettings.LoadMRU(general, i);
}

void UseEverything(TVarnexSettings& aSettings)
{
    ReadEverything(aSettings);

    TTermCom com;
    aSettings.LoadCom(&com);
    aSettings.SaveCom(&com);

    TPortRegistry registry;
    aSettings.LoadPortBindings(registry);
    aSettings.SavePortBindings(registry);

    // The newest recent file and the newest command come to the front again.
    const pugi::xml_node recent = aSettings.RecentFilesMRU();
    aSettings.SaveRecentFiles(
        GetAttrString(QStringLiteral("Name"), recent.child("RecentFile"), QStringLiteral("x")), recent);
    aSettings.InsertNewMRUString(GetAttrString(QStringLiteral("Text"), aSettings.SendMRURoot().child("MRU"),
                                               QStringLiteral("AT/cr/")));
    aSettings.SaveMRU(QStringLiteral("eintrag"), aSettings.GeneralRoot(), 0);

    aSettings.ResetActionElement().append_child("Item").append_attribute("Name") = "acSend";
    aSettings.SetNormalFontSize(aSettings.NormalFontSize());
    aSettings.SetLastAutoUpdate(aSettings.LastAutoUpdate());
    aSettings.SetUseScript(aSettings.UseScript());
    aSettings.SetReceiveTriggerChars(aSettings.ReceiveTriggerChars());
    aSettings.SetVersion(1);
    aSettings.SaveSettings();
}

// Forgets the store as the program does at its end (which saves).
void Release()
{
    TVarnexSettings::ReleaseInstance();
    if (!TVarnexSettings::LastSaveError().isEmpty())
        fuzz::Fail("settings saved at the end", TVarnexSettings::LastSaveError());
}

// A damaged file is kept aside; the copies would pile up over the runs.
void DropKeptCopies()
{
    const QDir dir(Scratch().path());
    for (const QString& kept : dir.entryList({QStringLiteral("*.bad*")}, QDir::Files))
        QFile::remove(dir.filePath(kept));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureCoreApp();
    const QString path = Scratch().filePath(QStringLiteral("Varnex Settings.xml"));
    static const bool pointed = qputenv("VARNEX_SETTINGS", path.toLocal8Bit());
    Q_UNUSED(pointed);
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || out.write(reinterpret_cast<const char*>(aData), qint64(aSize)) != qint64(aSize))
            fuzz::Fail("scratch file written");
    }

    try {
        UseEverything(*VarnexSettings());
    } catch (const EVarnexError&) {
        // Refused with a message for the user, as the window's guard would show it.
        TVarnexSettings::ReleaseInstance();
        DropKeptCopies();
        return 0;
    }
    VarnexSettings()->TakeNotices();
    Release();

    // Loading what was saved and saving it again changes nothing.
    const QByteArray first = ReadAll(path);
    VarnexSettings()->GetDOM();
    Release();
    if (ReadAll(path) != first)
        fuzz::Fail("a saved settings file loads and saves unchanged", QString::fromUtf8(first));

    DropKeptCopies();
    return 0;
}
