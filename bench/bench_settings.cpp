// The settings store with a large command list: start-up load, typed look-ups and the save,
// best of five runs each.

#include "settings/VarnexSettings.h"

#include "BestTime.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr int kGroups = 100;
constexpr int kCommandsPerGroup = 100;
constexpr int kLookups = 1000;

// The usual settings and a command tree of kGroups groups of kCommandsPerGroup commands.
QByteArray SettingsFile()
{
    QByteArray text =
        "<?xml version=\"1.0\"?><Body AppVersion=\"1\">"
        "<General NormalReceiveFont=\"DejaVu Sans\" NormalReceiveFontSize=\"10\" "
        "DumpReceiveFont=\"DejaVu Sans Mono\" DumpReceiveFontSize=\"9\" AutoUpdate=\"false\" "
        "LastSentFileName=\"/home/user/commands.txt\"/>"
        "<History Directoryname=\"/var/tmp/History/\" houres=\"12\" minutes=\"30\" seconds=\"0\"/>"
        "<Script Filename=\"send.js\" UseScript=\"true\" ReceiveScriptName=\"receive.js\" "
        "UseReceiveScript=\"false\" ReceiveTriggerType=\"1\" ReceiveTriggerWaitTime=\"250\" "
        "ReceiveTriggerChars=\"&#13;&#10;\"/>"
        "<Interface Port=\"33\" Baud=\"115200\" Flags=\"0\" Data=\"8\" RTS=\"true\" DTR=\"true\" "
        "Stop=\"sb1_0\" Parity=\"paNone\"/>"
        "<Forms><Form Name=\"frmMainWindow\" Left=\"10\" Top=\"20\" Right=\"1010\" Bottom=\"720\" "
        "State=\"1\" Flags=\"0\"><Position Name=\"Min\" Left=\"10\" Top=\"20\"/>"
        "<Position Name=\"Max\" Left=\"10\" Top=\"20\"/></Form></Forms>"
        "<RecentFilesMRU><RecentFile Name=\"/home/user/a.txt\"/></RecentFilesMRU>"
        "<SendMRU>";
    for (int group = 1; group <= kGroups; ++group) {
        text += "<MRU Name=\"Gruppe " + QByteArray::number(group) + "\">";
        for (int command = 1; command <= kCommandsPerGroup; ++command) {
            const QByteArray n = QByteArray::number(group) + "." + QByteArray::number(command);
            text += "<MRU Name=\"Befehl " + n + "\" Text=\"AT+CMD=" + n
                + ",&quot;value&quot;\\0D\\0A\" "
                  "ShortCut=\"Ctrl+"
                + QByteArray::number(command % 10) + "\"/>";
        }
        text += "</MRU>";
    }
    text += "</SendMRU><Ports><Port Number=\"100\" Device=\"/dev/ttyUSB40\"/></Ports></Body>";
    return text;
}

void Forget()
{
    // Drop the store; the save its destructor makes falls outside the timed part.
    TBaseXMLSettings* instance = TVarnexSettings::AccessInstance(0);
    TVarnexSettings::AccessInstance(2);
    delete instance;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("Varnex Settings.xml"));
    const QByteArray original = SettingsFile();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(original) != original.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    qputenv("VARNEX_SETTINGS", QFile::encodeName(path));

    // Start-up: a fresh store reading the file on first use.
    const double loadMs = BestMs(Forget, [] { VarnexSettings()->GetDOM(); });
    TVarnexSettings* settings = VarnexSettings();
    const size_t commands = settings->SendMRURoot().select_nodes("MRU/MRU").size();
    if (commands != size_t(kGroups * kCommandsPerGroup)) {
        std::fprintf(stderr, "loaded %zu commands instead of %d\n", commands, kGroups * kCommandsPerGroup);
        return 1;
    }

    // Typed look-ups through the properties, cycling over the kinds of values.
    long long sink = 0;
    const double lookupMs = BestMs(nullptr, [&] {
        for (int i = 0; i < kLookups; ++i) {
            switch (i % 8) {
            case 0: sink += VarnexSettings()->NormalFontName().size(); break;
            case 1: sink += VarnexSettings()->ReceiveTriggerWaitTime(); break;
            case 2: sink += VarnexSettings()->UseScript(); break;
            case 3: sink += VarnexSettings()->HistoryHoures(); break;
            case 4: sink += VarnexSettings()->ReceiveTriggerChars().size(); break;
            case 5: sink += VarnexSettings()->DumpFontSize(); break;
            case 6: sink += VarnexSettings()->AutoUpdate(); break;
            case 7: sink += VarnexSettings()->LastAutoUpdate().date().year(); break;
            }
        }
    });
    if (sink == 0 || !VarnexSettings()->TakeNotices().isEmpty()) {
        std::fprintf(stderr, "look-ups read nothing\n");
        return 1;
    }

    const double saveMs = BestMs(nullptr, [] { VarnexSettings()->SaveSettings(); });
    const qint64 size = QFileInfo(path).size();
    Forget();
    if (VarnexSettings()->SendMRURoot().select_nodes("MRU/MRU").size() != commands) {
        std::fprintf(stderr, "the saved file lost commands\n");
        return 1;
    }
    Forget();

    std::printf("settings_load: %.2f ms\n", loadMs);
    std::printf("settings_lookup_1000: %.3f ms\n", lookupMs);
    std::printf("settings_save: %.2f ms\n", saveMs);
    std::printf("settings_file: %.2f MB\n", double(size) / (1024.0 * 1024.0));
    return 0;
}
