// The settings store: the singleton, elements on request, old files brought up to date,
// the MRU lists, every application setting with its default and its way
// through the file, the port's line settings and the port bindings.
#include "TempSettings.h"

#include "base/VarnexError.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <functional>
#include <memory>

using TGetter = std::function<QVariant(TVarnexSettings&)>;
using TSetter = std::function<void(TVarnexSettings&, const QVariant&)>;
Q_DECLARE_METATYPE(TGetter)
Q_DECLARE_METATYPE(TSetter)

namespace {

template <class F>
QString ErrorOf(F aWork)
{
    try {
        aWork();
    } catch (const EVarnexError& e) {
        return e.Message();
    }
    return QStringLiteral("<none>");
}

// Every attribute below aElement as "/Path/To/Element/@Name=value".
QStringList AttributesBelow(pugi::xml_node aElement, const QString& aPath)
{
    QStringList found;
    for (pugi::xml_node child : aElement.children()) {
        const QString path = aPath + QLatin1Char('/') + FromXml(child.name());
        for (pugi::xml_attribute a : child.attributes())
            found << path + QStringLiteral("/@") + FromXml(a.name()) + QLatin1Char('=') + FromXml(a.value());
        found << AttributesBelow(child, path);
    }
    return found;
}

QDateTime SomeDateTime()
{
    return QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
}

struct TLineSettings
{
    int Port;
    int Baud;
    quint32 Flag;
    int DataBits;
    bool RTS;
    bool DTR;
    TStopBit StopBits;
    TParity Parity;

    void ApplyTo(TTermCom& aCom) const
    {
        aCom.SetPort(Port);
        aCom.SetBaud(Baud);
        aCom.SetFlag(Flag);
        aCom.SetDataBits(DataBits);
        aCom.SetRTS(RTS);
        aCom.SetDTR(DTR);
        aCom.SetStopBits(StopBits);
        aCom.SetParity(Parity);
    }
    static TLineSettings Of(const TTermCom& aCom)
    {
        return {aCom.Port(), aCom.Baud(), aCom.Flag(),     aCom.DataBits(),
                aCom.RTS(),  aCom.DTR(),  aCom.StopBits(), aCom.Parity()};
    }
    bool operator==(const TLineSettings&) const = default;
};

char* toString(const TLineSettings& a)
{
    return qstrdup(
        qPrintable(QStringLiteral("port %1 baud %2 flag %3 data %4 rts %5 dtr %6 stop %7 parity %8")
                       .arg(a.Port)
                       .arg(a.Baud)
                       .arg(a.Flag)
                       .arg(a.DataBits)
                       .arg(a.RTS)
                       .arg(a.DTR)
                       .arg(int(a.StopBits))
                       .arg(int(a.Parity))));
}

} // namespace

Q_DECLARE_METATYPE(TLineSettings)

class TstXMLSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { FLocale = QLocale(); }
    void init();
    void cleanup();

    // The singleton
    void instanceIsOne();
    void createRaises();
    void illegalRequestRaises_data();
    void illegalRequestRaises();
    void forgottenInstanceIsReplaced();

    // Elements and old files
    void getElement();
    void formsMovedUnderForms_data();
    void formsMovedUnderForms();

    // Window placement

    // MRU lists
    void saveMRU_data();
    void saveMRU();
    void insertNewMRUString();
    void saveRecentFiles();

    // Application settings
    void freshDefaults_data();
    void freshDefaults();
    void offlineDefaults_data();
    void offlineDefaults();
    void settingsSurviveTheFile_data();
    void settingsSurviveTheFile();
    void settingPlacesInTheFile_data();
    void settingPlacesInTheFile();
    void autoUpdateEntry();
    void appVersionWritten();

    // Line settings and ports
    void comRoundTrip_data();
    void comRoundTrip();
    void loadComWithoutInterface();
    void loadComUnknownNames_data();
    void loadComUnknownNames();
    void resetActionElement();
    void portBindingsRoundTrip();

private:
    void AddPropertyRows();
    // Writes aText as the settings file, drops the store; the next Instance() reads it.
    void WriteSettingsFile(const QByteArray& aText);
    // Saves, forgets the store and starts a new one from the file.
    TVarnexSettings* Reload();

    std::unique_ptr<TTempSettings> FTemp;
    QLocale FLocale;
};

void TstXMLSettings::init()
{
    FTemp = std::make_unique<TTempSettings>();
}

void TstXMLSettings::cleanup()
{
    FTemp.reset();
    QLocale::setDefault(FLocale);
}

void TstXMLSettings::WriteSettingsFile(const QByteArray& aText)
{
    delete TVarnexSettings::AccessInstance(0);
    QFile file(FTemp->FilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(aText);
}

TVarnexSettings* TstXMLSettings::Reload()
{
    VarnexSettings()->SaveSettings();
    delete TVarnexSettings::AccessInstance(0);
    return VarnexSettings();
}

// ---------------------------------------------------------------------------------------------
// The singleton

void TstXMLSettings::instanceIsOne()
{
    TVarnexSettings* first = TVarnexSettings::Instance();
    QVERIFY(first);
    QCOMPARE(TVarnexSettings::Instance(), first);
    QCOMPARE(VarnexSettings(), first);
    QCOMPARE(TBaseXMLSettings::AccessInstance(0), static_cast<TBaseXMLSettings*>(first));
    QCOMPARE(first->ClassName(), QStringLiteral("TVarnexSettings"));
}

void TstXMLSettings::createRaises()
{
    QCOMPARE(ErrorOf([] { TVarnexSettings::Create(); }),
             QStringLiteral("Access class TVarnexSettings through Instance only"));
    QCOMPARE(ErrorOf([] { TBaseXMLSettings::Create(); }),
             QStringLiteral("Access class TBaseXMLSettings through Instance only"));
    QVERIFY(!TBaseXMLSettings::AccessInstance(0));
}

void TstXMLSettings::illegalRequestRaises_data()
{
    QTest::addColumn<int>("request");
    QTest::newRow("3") << 3;
    QTest::newRow("-1") << -1;
    QTest::newRow("100") << 100;
}

void TstXMLSettings::illegalRequestRaises()
{
    QFETCH(int, request);
    TVarnexSettings* instance = VarnexSettings();
    QCOMPARE(ErrorOf([&] { TBaseXMLSettings::AccessInstance(request); }),
             QStringLiteral("Illegal request %1 in AccessInstance").arg(request));
    QCOMPARE(VarnexSettings(), instance);
}

void TstXMLSettings::forgottenInstanceIsReplaced()
{
    std::unique_ptr<TBaseXMLSettings> old(VarnexSettings());
    old->GetDOM();
    QCOMPARE(TBaseXMLSettings::AccessInstance(2), nullptr);
    QCOMPARE(TBaseXMLSettings::AccessInstance(0), nullptr);
    TVarnexSettings* fresh = VarnexSettings();
    QVERIFY(fresh != old.get());
    // Without a factory there is nothing to make one from.
    TBaseXMLSettings::AccessInstance(2);
    QVERIFY(ErrorOf([] { TBaseXMLSettings::AccessInstance(1); }) != QLatin1String("<none>"));
    delete fresh;
}

// ---------------------------------------------------------------------------------------------
// Elements and old files

void TstXMLSettings::getElement()
{
    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(!settings->GetElement(QStringLiteral("/Body/General"), false));
    const pugi::xml_node general = settings->GetElement(QStringLiteral("/Body/General"), true);
    QVERIFY(general);
    QCOMPARE(FromXml(general.parent().name()), QStringLiteral("Body"));
    QCOMPARE(settings->GetElement(QStringLiteral("/Body/General"), false), general);
    QCOMPARE(settings->GetElement(QStringLiteral("/Body/General"), true), general);
    QCOMPARE(settings->GeneralRoot(), general);
    // Only elements are handed out.
    QVERIFY(!settings->GetElement(QStringLiteral("/Body/@Version"), false));
}

void TstXMLSettings::formsMovedUnderForms_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<int>("elsewhere");

    QTest::newRow("old file") << QByteArray(
        "<?xml version=\"1.0\"?><Body><Form Name=\"A\" Left=\"1\"/><General/>"
        "<Other><Form Name=\"B\"><Position Name=\"Min\"/></Form></Other>"
        "<Forms><Form Name=\"C\"/></Forms><Form Name=\"D\"/></Body>")
                              << QStringList{"A", "B", "C", "D"} << 0;
    QTest::newRow("old file without Forms")
        << QByteArray("<Body><Form Name=\"Main\"/><Form Name=\"Dialog\"/></Body>")
        << QStringList{"Main", "Dialog"} << 0;
    QTest::newRow("version 2 stays") << QByteArray(
        "<Body Version=\"2\"><Form Name=\"A\"/><Forms><Form Name=\"C\"/></Forms></Body>")
                                     << QStringList{"C"} << 1;
}

void TstXMLSettings::formsMovedUnderForms()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, forms);
    QFETCH(int, elsewhere);

    WriteSettingsFile(file);
    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    const pugi::xml_node root = settings->GetFormsRoot();
    QCOMPARE(ChildValues(root, "Form", "Name"), forms);
    int outside = 0;
    for (const pugi::xpath_node& form : settings->GetDOM()->select_nodes("//Form"))
        outside += form.node().parent() != root;
    QCOMPARE(outside, elsewhere);
    QCOMPARE(settings->GetDOM()->select_nodes("/Body/Forms").size(), size_t(1));
    // What a form held came along.
    if (forms.contains(QLatin1String("B")))
        QCOMPARE(FromXml(root.find_child_by_attribute("Form", "Name", "B").first_child().name()),
                 QStringLiteral("Position"));
}








// ---------------------------------------------------------------------------------------------
// MRU lists

void TstXMLSettings::saveMRU_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("expected");

    QStringList ten;
    for (int i = 1; i <= 10; ++i)
        ten << QStringLiteral("entry %1").arg(i);
    QStringList nine;
    for (int i = 10; i >= 2; --i)
        nine << QStringLiteral("entry %1").arg(i);

    QTest::newRow("newest first") << 0 << QStringList{"a", "b", "c"} << QStringList{"c", "b", "a"};
    QTest::newRow("existing moves to the front")
        << 0 << QStringList{"a", "b", "c", "a"} << QStringList{"a", "c", "b"};
    QTest::newRow("front saved again") << 0 << QStringList{"a", "b", "b"} << QStringList{"b", "a"};
    QTest::newRow("tenth drops the oldest") << 0 << ten << nine;
    QTest::newRow("given length") << 3 << QStringList{"a", "b", "c", "d"} << QStringList{"d", "c", "b"};
    QTest::newRow("quotes") << 0 << QStringList{"it's", "\"x\"", "it's"} << QStringList{"it's", "\"x\""};
    QTest::newRow("case counts") << 0 << QStringList{"a", "A"} << QStringList{"A", "a"};
}

void TstXMLSettings::saveMRU()
{
    QFETCH(int, length);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, expected);

    TVarnexSettings* settings = VarnexSettings();
    const pugi::xml_node root = settings->GetElement(QStringLiteral("/Body/TestMRU"), true);
    for (const QString& entry : entries) {
        const pugi::xml_node saved = settings->SaveMRU(entry, root, length);
        QCOMPARE(saved, root.child("MRUList").first_child());
    }
    QCOMPARE(ChildValues(root.child("MRUList"), "MRU", "Name"), expected);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(settings->LoadMRU(root, i + 1), expected.at(i));
    QCOMPARE(settings->LoadMRU(root, int(expected.size()) + 1), QString());

    // The same list after the file.
    const pugi::xml_node reloaded = Reload()->GetElement(QStringLiteral("/Body/TestMRU"), false);
    QCOMPARE(ChildValues(reloaded.child("MRUList"), "MRU", "Name"), expected);
}

void TstXMLSettings::insertNewMRUString()
{
    TVarnexSettings* settings = VarnexSettings();
    const QStringList texts = {QStringLiteral("AT\\0D"),        QStringLiteral("ATZ"),
                               QStringLiteral("say \"hi\""),    QStringLiteral("it's"),
                               QStringLiteral("both ' and \""), QStringLiteral("<tag> & more")};
    for (const QString& text : texts)
        settings->InsertNewMRUString(text);
    QStringList newestFirst = texts;
    std::reverse(newestFirst.begin(), newestFirst.end());
    QCOMPARE(ChildValues(settings->SendMRURoot(), "MRU", "Text"), newestFirst);

    // Known texts are found and stay where they are.
    for (const QString& text : texts)
        settings->InsertNewMRUString(text);
    QCOMPARE(ChildValues(settings->SendMRURoot(), "MRU", "Text"), newestFirst);

    // Also when read from the file, and the comparison heeds case.
    settings = Reload();
    settings->InsertNewMRUString(QStringLiteral("it's"));
    settings->InsertNewMRUString(QStringLiteral("both ' and \""));
    QCOMPARE(ChildValues(settings->SendMRURoot(), "MRU", "Text"), newestFirst);
    settings->InsertNewMRUString(QStringLiteral("atz"));
    QCOMPARE(ChildValues(settings->SendMRURoot(), "MRU", "Text"), QStringList{"atz"} + newestFirst);
}

void TstXMLSettings::saveRecentFiles()
{
    TVarnexSettings* settings = VarnexSettings();
    const pugi::xml_node element = settings->RecentFilesMRU();
    for (int i = 1; i <= 10; ++i)
        settings->SaveRecentFiles(QStringLiteral("/data/file%1.txt").arg(i), element);
    QStringList expected;
    for (int i = 10; i >= 2; --i)
        expected << QStringLiteral("/data/file%1.txt").arg(i);
    QCOMPARE(ChildValues(element, "RecentFile", "Name"), expected);

    settings->SaveRecentFiles(QStringLiteral("/data/file5.txt"), element);
    expected.move(expected.indexOf(QStringLiteral("/data/file5.txt")), 0);
    QCOMPARE(ChildValues(element, "RecentFile", "Name"), expected);

    // Another spelling is another file; the oldest goes.
    settings->SaveRecentFiles(QStringLiteral("/data/FILE5.txt"), element);
    expected.prepend(QStringLiteral("/data/FILE5.txt"));
    expected.removeLast();
    QCOMPARE(ChildValues(element, "RecentFile", "Name"), expected);
    QCOMPARE(expected.size(), qsizetype(TVarnexSettings::kMaxRecentFiles));

    // The received-files list is its own.
    settings->SaveRecentFiles(QStringLiteral("/data/in.bin"), settings->RecentFilesReceive());
    QCOMPARE(ChildValues(Reload()->RecentFilesMRU(), "RecentFile", "Name"), expected);
    QCOMPARE(ChildValues(VarnexSettings()->RecentFilesReceive(), "RecentFile", "Name"),
             QStringList{"/data/in.bin"});
}

// ---------------------------------------------------------------------------------------------
// Application settings

void TstXMLSettings::AddPropertyRows()
{
    QTest::addColumn<TGetter>("getter");
    QTest::addColumn<TSetter>("setter");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("changed");

#define VARNEX_PROPERTY(name, type, def, changed)                                                            \
    QTest::newRow(#name) << TGetter([](TVarnexSettings& s) {                                                 \
        return QVariant::fromValue(s.name());                                                                \
    }) << TSetter([](TVarnexSettings& s, const QVariant& v) { s.Set##name(v.value<type>()); })               \
                         << QVariant::fromValue<type>(def) << QVariant::fromValue<type>(changed)

    const QString programDir = QCoreApplication::applicationDirPath();
    VARNEX_PROPERTY(NormalFontName, QString, "Arial", "DejaVu Sans");
    VARNEX_PROPERTY(NormalFontSize, int, 8, 11);
    VARNEX_PROPERTY(DumpFontName, QString, "Courier New", "Liberation Mono");
    VARNEX_PROPERTY(DumpFontSize, int, 8, 10);
    VARNEX_PROPERTY(AutoUpdate, bool, true, false);
    VARNEX_PROPERTY(LastAutoUpdate, QDateTime, ZeroDateTime(), SomeDateTime());
    VARNEX_PROPERTY(LastSentFileName, QString, "", "/tmp/a \"b\" & c.txt");
    VARNEX_PROPERTY(NextUpdateUrl, QString, TVarnexSettings::DefaultUpdateUrl(),
                    "https://example.invalid/u?a=1&b=2");
    VARNEX_PROPERTY(HistoryDir, QString, QDir::toNativeSeparators(programDir + QStringLiteral("/History")),
                    "/var/tmp/Verlauf/");
    VARNEX_PROPERTY(HistoryHoures, int, 24, 2);
    VARNEX_PROPERTY(HistoryMinutes, int, 0, 30);
    VARNEX_PROPERTY(HistorySeconds, int, 0, 15);
    VARNEX_PROPERTY(SendScriptFileName, QString, "", "send script.js");
    VARNEX_PROPERTY(UseScript, bool, false, true);
    VARNEX_PROPERTY(ReceiveScriptFileName, QString, "", "receive.js");
    VARNEX_PROPERTY(UseReceiveScript, bool, false, true);
    VARNEX_PROPERTY(ReceiveTriggerType, int, 0, 2);
    VARNEX_PROPERTY(ReceiveTriggerWaitTime, int, 100, 250);
    VARNEX_PROPERTY(ReceiveTriggerChars, QString, "\r\n", "OK\r\n\t>");
#undef VARNEX_PROPERTY
}

void TstXMLSettings::freshDefaults_data()
{
    AddPropertyRows();
}

void TstXMLSettings::freshDefaults()
{
    QFETCH(TGetter, getter);
    QFETCH(QVariant, defaultValue);
    QCOMPARE(getter(*VarnexSettings()), defaultValue);
    // Reading is not writing: a default does not appear in the file.
    const pugi::xml_document* document = VarnexSettings()->GetDOM();
    for (const char* path : {"/Body/General", "/Body/History", "/Body/Script"}) {
        const pugi::xml_node element = document->select_node(path).node();
        QVERIFY(!element || !element.first_attribute());
    }
    QVERIFY(VarnexSettings()->TakeNotices().isEmpty());
}

void TstXMLSettings::offlineDefaults_data()
{
    AddPropertyRows();
}

void TstXMLSettings::offlineDefaults()
{
    QFETCH(TGetter, getter);
    QFETCH(TSetter, setter);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, changed);
    {
        TOfflineSettings offline;
        QVERIFY(!offline.XMLEnabled());
        QVERIFY(!offline.GetDOM());
        QCOMPARE(getter(offline), defaultValue);
        setter(offline, changed);
        QCOMPARE(getter(offline), defaultValue);
        QVERIFY(!offline.GetDOM());
        QVERIFY(!offline.GetElement(QStringLiteral("/Body/General"), true));
        offline.SaveSettings();
        QVERIFY(offline.TakeNotices().isEmpty());

        TTermCom com;
        com.SetPort(4);
        offline.LoadCom(&com);
        offline.SaveCom(&com);
        QCOMPARE(com.Port(), 4);
        offline.InsertNewMRUString(QStringLiteral("x"));
        QVERIFY(!offline.SendMRURoot());
    }
    // Neither using nor dropping it wrote a file.
    QVERIFY(!QFile::exists(FTemp->FilePath()));
}

void TstXMLSettings::settingsSurviveTheFile_data()
{
    AddPropertyRows();
}

void TstXMLSettings::settingsSurviveTheFile()
{
    QFETCH(TGetter, getter);
    QFETCH(TSetter, setter);
    QFETCH(QVariant, changed);
    // In both locales the program speaks.
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(locale);
        setter(*VarnexSettings(), changed);
        QCOMPARE(getter(*VarnexSettings()), changed);
        QCOMPARE(getter(*Reload()), changed);
        QVERIFY(VarnexSettings()->TakeNotices().isEmpty());
        delete TVarnexSettings::AccessInstance(0);
        QFile::remove(FTemp->FilePath());
    }
}

void TstXMLSettings::settingPlacesInTheFile_data()
{
    QTest::addColumn<TGetter>("getter");
    QTest::addColumn<TSetter>("setter");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

#define VARNEX_PLACE(row, getter, setter, type, element, attribute, byDefault, changed, text)                \
    QTest::newRow(row) << TGetter([](TVarnexSettings& s) { return QVariant::fromValue(s.getter()); })        \
                       << TSetter(setter) << QStringLiteral(element) << QStringLiteral(attribute)            \
                       << QVariant::fromValue<type>(byDefault) << QVariant::fromValue<type>(changed)         \
                       << QString(text)
#define VARNEX_SETTING(name, type, element, attribute, byDefault, changed, text)                             \
    VARNEX_PLACE(                                                                                            \
        #name, name, [](TVarnexSettings& s, const QVariant& v) { s.Set##name(v.value<type>()); }, type,      \
        element, attribute, byDefault, changed, text)

    const QString programDir = QCoreApplication::applicationDirPath();
    VARNEX_SETTING(NormalFontName, QString, "/Body/General", "NormalReceiveFont", "Arial", "DejaVu Sans",
                   "DejaVu Sans");
    VARNEX_SETTING(NormalFontSize, int, "/Body/General", "NormalReceiveFontSize", 8, 11, "11");
    VARNEX_SETTING(DumpFontName, QString, "/Body/General", "DumpReceiveFont", "Courier New",
                   "Liberation Mono", "Liberation Mono");
    VARNEX_SETTING(DumpFontSize, int, "/Body/General", "DumpReceiveFontSize", 8, 10, "10");
    VARNEX_SETTING(AutoUpdate, bool, "/Body/General", "AutoUpdate", true, false, "false");
    VARNEX_SETTING(LastAutoUpdate, QDateTime, "/Body/General", "LastAutoUpdate", ZeroDateTime(),
                   SomeDateTime(), DateTimeToText(SomeDateTime()));
    VARNEX_SETTING(LastSentFileName, QString, "/Body/General", "LastSentFileName", QString(),
                   "/tmp/a & b.txt", "/tmp/a & b.txt");
    VARNEX_SETTING(NextUpdateUrl, QString, "/Body/General", "NextUpdateUrl",
                   TVarnexSettings::DefaultUpdateUrl(), "https://example.invalid/u",
                   "https://example.invalid/u");
    VARNEX_SETTING(HistoryDir, QString, "/Body/History", "Directoryname",
                   QDir::toNativeSeparators(programDir + QStringLiteral("/History")), "/var/tmp/Verlauf/",
                   "/var/tmp/Verlauf/");
    VARNEX_SETTING(HistoryHoures, int, "/Body/History", "houres", 24, 2, "2");
    VARNEX_SETTING(HistoryMinutes, int, "/Body/History", "minutes", 0, 30, "30");
    VARNEX_SETTING(HistorySeconds, int, "/Body/History", "seconds", 0, 15, "15");
    VARNEX_SETTING(SendScriptFileName, QString, "/Body/Script", "Filename", QString(), "send.js", "send.js");
    VARNEX_SETTING(UseScript, bool, "/Body/Script", "UseScript", false, true, "true");
    VARNEX_SETTING(ReceiveScriptFileName, QString, "/Body/Script", "ReceiveScriptName", QString(),
                   "receive.js", "receive.js");
    VARNEX_SETTING(UseReceiveScript, bool, "/Body/Script", "UseReceiveScript", false, true, "true");
    VARNEX_SETTING(ReceiveTriggerType, int, "/Body/Script", "ReceiveTriggerType", 0, 2, "2");
    VARNEX_SETTING(ReceiveTriggerWaitTime, int, "/Body/Script", "ReceiveTriggerWaitTime", 100, 250, "250");
    VARNEX_SETTING(ReceiveTriggerChars, QString, "/Body/Script", "ReceiveTriggerChars", "\r\n", "OK>\r\n",
                   "OK>\r\n");
    // The program only reads these; the file is written by hand.
    VARNEX_PLACE("MaxRunTimeMs", MaxRunTimeMs, nullptr, int, "/Body/Script", "MaxRunTimeMs", 5000, 1500,
                 "1500");
    VARNEX_PLACE("MaxRunTimeMs at least 1", MaxRunTimeMs, nullptr, int, "/Body/Script", "MaxRunTimeMs", 5000,
                 1, "0");
#undef VARNEX_SETTING
#undef VARNEX_PLACE
}

void TstXMLSettings::settingPlacesInTheFile()
{
    QFETCH(TGetter, getter);
    QFETCH(TSetter, setter);
    QFETCH(QString, element);
    QFETCH(QString, attribute);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, value);
    QFETCH(QString, text);

    TVarnexSettings* settings = VarnexSettings();
    QCOMPARE(getter(*settings), defaultValue);
    if (setter)
        setter(*settings, value);
    else
        SetAttrString(settings->GetElement(element, true), attribute, text);
    // One attribute in one element, and nothing else.
    QCOMPARE(AttributesBelow(settings->GetDOM()->document_element(), QStringLiteral("/Body")),
             QStringList{element + QStringLiteral("/@") + attribute + QLatin1Char('=') + text});
    QCOMPARE(getter(*Reload()), value);
    QVERIFY(VarnexSettings()->TakeNotices().isEmpty());
}

void TstXMLSettings::autoUpdateEntry()
{
    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(!settings->AutoUpdateEntryExists());
    QVERIFY(settings->AutoUpdate());
    QVERIFY(!settings->AutoUpdateEntryExists());
    settings->SetAutoUpdate(false);
    QVERIFY(settings->AutoUpdateEntryExists());
    QVERIFY(!settings->AutoUpdate());
    settings = Reload();
    QVERIFY(settings->AutoUpdateEntryExists());
    QVERIFY(!settings->AutoUpdate());
}

void TstXMLSettings::appVersionWritten()
{
    TVarnexSettings* settings = VarnexSettings();
    QCOMPARE(settings->GetVersion(), 1);
    QCOMPARE(FromXml(settings->GetDOM()->document_element().attribute("AppVersion").value()),
             QStringLiteral("1"));
    QCOMPARE(settings->BaseVersion(), 1);
    settings->SaveSettings();
    QFile file(FTemp->FilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.startsWith("<?xml version=\"1.0\"?><Body AppVersion=\"1\""), text.constData());
    QCOMPARE(Reload()->GetVersion(), 1);
}

// ---------------------------------------------------------------------------------------------
// Line settings and ports

void TstXMLSettings::comRoundTrip_data()
{
    QTest::addColumn<TLineSettings>("line");
    QTest::addColumn<QString>("where");

    const TLineSettings rows[] = {
        {7, 115200, 0x1234, 7, true, true, sb2_0, paEven},
        {33, 300, 0, 5, false, true, sb1_5, paMark},
        {101, 2400, 0x80000011u, 6, true, false, sb1_0, paSpace},
        {2, 57600, 7, 8, false, false, sb2_0, paOdd},
    };
    for (const char* where : {"settings", "file", "separate document"})
        for (const TLineSettings& row : rows)
            QTest::addRow("%s port %d", where, row.Port) << row << QString::fromLatin1(where);
}

void TstXMLSettings::comRoundTrip()
{
    QFETCH(TLineSettings, line);
    QFETCH(QString, where);

    TTermCom written;
    line.ApplyTo(written);
    QCOMPARE(TLineSettings::Of(written), line);

    TTermCom read;
    const TLineSettings before = TLineSettings::Of(read);
    QVERIFY(before != line);
    if (where == QLatin1String("separate document")) {
        pugi::xml_document document;
        VarnexSettings()->SaveCom(&written, &document);
        QVERIFY(document.select_node("/Body/Interface"));
        // The settings document was not touched.
        QVERIFY(!VarnexSettings()->GetElement(QStringLiteral("/Body/Interface"), false));
        VarnexSettings()->LoadCom(&read);
        QCOMPARE(TLineSettings::Of(read), before);
        VarnexSettings()->LoadCom(&read, &document);
    } else {
        VarnexSettings()->SaveCom(&written);
        QVERIFY(VarnexSettings()->GetElement(QStringLiteral("/Body/Interface"), false));
        if (where == QLatin1String("file"))
            Reload();
        VarnexSettings()->LoadCom(&read);
    }
    QCOMPARE(TLineSettings::Of(read), line);
    QVERIFY(VarnexSettings()->TakeNotices().isEmpty());
}

void TstXMLSettings::loadComWithoutInterface()
{
    TTermCom com;
    const TLineSettings line{9, 4800, 3, 7, true, false, sb2_0, paOdd};
    line.ApplyTo(com);
    VarnexSettings()->LoadCom(&com);
    QCOMPARE(TLineSettings::Of(com), line);
    pugi::xml_document empty;
    VarnexSettings()->LoadCom(&com, &empty);
    QCOMPARE(TLineSettings::Of(com), line);
    VarnexSettings()->LoadCom(nullptr);
}

void TstXMLSettings::loadComUnknownNames_data()
{
    QTest::addColumn<QByteArray>("attributes");
    QTest::addColumn<TLineSettings>("expected");
    QTest::addColumn<bool>("notice");

    const QByteArray rest = "Port=\"3\" Baud=\"19200\" Flags=\"5\" Data=\"7\" RTS=\"true\" DTR=\"true\" ";
    // Before loading: port 9, 4800 baud, flag 0, 8 data bits, lines off, one stop bit, odd parity.
    QTest::newRow("unknown parity") << rest + "Stop=\"sb2_0\" Parity=\"paFoo\""
                                    << TLineSettings{3, 19200, 5, 7, true, true, sb2_0, paOdd} << false;
    QTest::newRow("unknown stop bits") << rest + "Stop=\"sb3_0\" Parity=\"paEven\""
                                       << TLineSettings{3, 19200, 5, 7, true, true, sb1_0, paEven} << false;
    QTest::newRow("no names") << rest << TLineSettings{3, 19200, 5, 7, true, true, sb1_0, paOdd} << false;
    QTest::newRow("unreadable numbers")
        << QByteArray("Port=\"x\" Baud=\"schnell\" Data=\"9\" Parity=\"paNone\"")
        << TLineSettings{9, 4800, 0, 8, false, false, sb1_0, paNone} << false;
    QTest::newRow("unreadable line state") << QByteArray("RTS=\"vielleicht\" DTR=\"1\"")
                                           << TLineSettings{9, 4800, 0, 8, false, true, sb1_0, paOdd} << true;
}

void TstXMLSettings::loadComUnknownNames()
{
    QFETCH(QByteArray, attributes);
    QFETCH(TLineSettings, expected);
    QFETCH(bool, notice);

    WriteSettingsFile("<?xml version=\"1.0\"?><Body><Interface " + attributes + "/></Body>");
    TTermCom com;
    const TLineSettings before{9, 4800, 0, 8, false, false, sb1_0, paOdd};
    before.ApplyTo(com);
    VarnexSettings()->LoadCom(&com);
    QCOMPARE(TLineSettings::Of(com), expected);
    QCOMPARE(VarnexSettings()->TakeNotices().size(), notice ? 1 : 0);
}

void TstXMLSettings::resetActionElement()
{
    WriteSettingsFile("<Body><General/><Actions><Action Name=\"a\"/><Action Name=\"b\"/></Actions>"
                      "<Script UseScript=\"true\"/></Body>");
    TVarnexSettings* settings = VarnexSettings();
    const pugi::xml_node actions = settings->ResetActionElement();
    QVERIFY(actions);
    QVERIFY(!actions.first_child());
    QVERIFY(!actions.first_attribute());
    const pugi::xml_node body = settings->GetDOM()->document_element();
    QCOMPARE(body.last_child(), actions);
    QCOMPARE(body.select_nodes("Actions").size(), size_t(1));
    QCOMPARE(settings->GetActionElement(), actions);
    QVERIFY(settings->UseScript());

    // Without one before, the same result.
    delete TVarnexSettings::AccessInstance(0);
    QFile::remove(FTemp->FilePath());
    settings = VarnexSettings();
    settings->SetUseScript(true);
    const pugi::xml_node fresh = settings->ResetActionElement();
    QCOMPARE(settings->GetDOM()->document_element().last_child(), fresh);
    QVERIFY(!fresh.first_child());
}

void TstXMLSettings::portBindingsRoundTrip()
{
    TPortRegistry saved;
    QVERIFY(saved.Bind(100, QStringLiteral("/tmp/ttyA")));
    QVERIFY(saved.Bind(105, QStringLiteral("/dev/serial/by-id/usb-FTDI \"x\" & y")));
    QVERIFY(saved.Bind(250, QStringLiteral("/dev/ttyUSB40")));
    VarnexSettings()->SavePortBindings(saved);

    TPortRegistry loaded;
    Reload()->LoadPortBindings(loaded);
    QCOMPARE(loaded.Bindings(), saved.Bindings());

    // Saving again replaces the list; an empty registry leaves none.
    saved.Unbind(105);
    VarnexSettings()->SavePortBindings(saved);
    QCOMPARE(VarnexSettings()->GetDOM()->select_nodes("/Body/Ports/Port").size(), size_t(2));
    VarnexSettings()->SavePortBindings(TPortRegistry());
    QVERIFY(!VarnexSettings()->GetElement(QStringLiteral("/Body/Ports"), false));
    TPortRegistry none;
    Reload()->LoadPortBindings(none);
    QVERIFY(none.Bindings().isEmpty());
}

QTEST_MAIN(TstXMLSettings)
#include "tst_XMLSettings.moc"
