// The settings store against bad files and failing disks: it always starts, keeps what it
// could not read, reports it, and never replaces a good file with a broken one.
#include "FileSizeLimit.h"
#include "TempSettings.h"

#include "base/VarnexError.h"
#include "settings/VarnexSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool WriteAll(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    return file.open(QIODevice::WriteOnly) && file.write(aBytes) == aBytes.size() && file.flush();
}

QStringList DirEntries(const QString& aPath)
{
    return QDir(aPath).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A settings file as the program writes it, with some of everything.
QByteArray GoodSettings()
{
    return "<?xml version=\"1.0\"?><Body AppVersion=\"1\">"
           "<General NormalReceiveFont=\"Old Font\" NormalReceiveFontSize=\"12\" AutoUpdate=\"false\"/>"
           "<Script UseScript=\"true\" ReceiveTriggerWaitTime=\"250\"/>"
           "<History houres=\"3\"/>"
           "<Interface Port=\"7\" Baud=\"115200\" Flags=\"0\" Data=\"8\" RTS=\"true\" DTR=\"true\" "
           "Stop=\"sb1_0\" Parity=\"paEven\"/>"
           "<SendMRU><MRU Text=\"ATZ\"/><MRU Text=\"AT\\0D\"/></SendMRU>"
           "</Body>";
}

} // namespace

class TstSettingsFailures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Files that cannot be read
    void damagedFileKeptAside_data();
    void damagedFileKeptAside();
    void secondDamagedFileKeptBesideFirst();
    void largeFileLoadsFully();
    void unreadableBoolean_data();
    void unreadableBoolean();

    // Saves that fail
    void unwritableDirectory();
    void diskFull();
    void aFileChangedMeanwhileIsReplacedWhole();
    void twoInstancesAtOnceLeaveOneWholeFile();

private:
    QString FilePath() const { return FTemp->FilePath(); }
    std::unique_ptr<TTempSettings> FTemp;
};

void TstSettingsFailures::init()
{
    FTemp = std::make_unique<TTempSettings>();
}

void TstSettingsFailures::cleanup()
{
    FTemp.reset();
}

// ---------------------------------------------------------------------------------------------
// Files that cannot be read

void TstSettingsFailures::damagedFileKeptAside_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray good = GoodSettings();
    QTest::newRow("truncated") << good.left(good.size() / 2);
    QTest::newRow("cut at the end") << good.left(good.size() - 3);
    QTest::newRow("cut inside the declaration") << good.left(10);
    QTest::newRow("empty") << QByteArray();

    QRandomGenerator random(20240315);
    QByteArray garbage(64 * 1024, Qt::Uninitialized);
    for (char& c : garbage)
        c = char(random.bounded(256));
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("garbage after a good start") << good.left(60) + garbage.left(4096);
    QTest::newRow("zero bytes") << QByteArray(4096, '\0');
    // Parses, but nested so deep that removing the old port bindings at exit would recurse
    // through the whole depth.
    const int levels = 200'000;
    QTest::newRow("nested 200000 deep in the ports") << "<Body Version=\"2\"><Ports>"
            + QByteArray("<x>").repeated(levels) + QByteArray("</x>").repeated(levels) + "</Ports></Body>";
}

void TstSettingsFailures::damagedFileKeptAside()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(WriteAll(FilePath(), bytes));

    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(settings->GetDOM());
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Arial"));
    QCOMPARE(settings->NormalFontSize(), 8);
    QVERIFY(!settings->UseScript());
    QCOMPARE(settings->GetVersion(), 1);

    const QString kept = FilePath() + QStringLiteral(".bad");
    QVERIFY(QFile::exists(kept));
    QCOMPARE(ReadAll(kept), bytes);
    const QStringList notices = settings->TakeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(QDir::toNativeSeparators(kept)), qPrintable(notices.first()));
    QVERIFY(settings->TakeNotices().isEmpty());

    // The store goes on as usual and the kept file stays as it was.
    settings->SetNormalFontName(QStringLiteral("New Font"));
    settings->SaveSettings();
    delete TVarnexSettings::AccessInstance(0);
    settings = VarnexSettings();
    QCOMPARE(settings->NormalFontName(), QStringLiteral("New Font"));
    QVERIFY(settings->TakeNotices().isEmpty());
    QCOMPARE(ReadAll(kept), bytes);
    QCOMPARE(DirEntries(FTemp->DirPath()), QStringList({"Varnex Settings.xml", "Varnex Settings.xml.bad"}));
}

void TstSettingsFailures::secondDamagedFileKeptBesideFirst()
{
    const QByteArray older = "<Body><General NormalReceiveFont=\"first damage\"";
    const QByteArray newer = "\x01\x02<Body>\xff\xfe";
    QVERIFY(WriteAll(FilePath() + QStringLiteral(".bad"), older));
    QVERIFY(WriteAll(FilePath(), newer));

    TVarnexSettings* settings = VarnexSettings();
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Arial"));
    const QString second = FilePath() + QStringLiteral(".bad2");
    QCOMPARE(ReadAll(FilePath() + QStringLiteral(".bad")), older);
    QCOMPARE(ReadAll(second), newer);
    const QStringList notices = settings->TakeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(QDir::toNativeSeparators(second)), qPrintable(notices.first()));

    // A third goes to ".bad3".
    delete TVarnexSettings::AccessInstance(0);
    QVERIFY(WriteAll(FilePath(), newer + "third"));
    VarnexSettings()->GetDOM();
    QCOMPARE(ReadAll(FilePath() + QStringLiteral(".bad3")), newer + "third");
    QCOMPARE(ReadAll(second), newer);
}

void TstSettingsFailures::largeFileLoadsFully()
{
    // Over 20 MB of sent commands, the rest of the file as usual.
    constexpr int kEntries = 220000;
    QByteArray text = "<?xml version=\"1.0\"?><Body AppVersion=\"1\">"
                      "<General NormalReceiveFont=\"Big File\"/><SendMRU>";
    text.reserve(22 * 1024 * 1024);
    for (int i = 0; i < kEntries; ++i)
        text += "<MRU Text=\"command " + QByteArray::number(i).rightJustified(6, '0')
            + " with some text behind it to make it long enough &amp; &quot;quoted&quot;\"/>";
    text += "</SendMRU><Script UseScript=\"true\"/></Body>";
    QVERIFY(text.size() > 20 * 1024 * 1024);
    QVERIFY(WriteAll(FilePath(), text));

    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Big File"));
    QVERIFY(settings->UseScript());
    const pugi::xml_node mru = settings->SendMRURoot();
    QCOMPARE(mru.select_nodes("MRU").size(), size_t(kEntries));
    QCOMPARE(FromXml(mru.last_child().attribute("Text").value()),
             QStringLiteral("command %1 with some text behind it to make it long enough & \"quoted\"")
                 .arg(kEntries - 1, 6, 10, QLatin1Char('0')));

    // Saved and read again, nothing is lost.
    settings->InsertNewMRUString(QStringLiteral("one more"));
    settings->SaveSettings();
    QVERIFY(QFileInfo(FilePath()).size() > 20 * 1024 * 1024);
    delete TVarnexSettings::AccessInstance(0);
    settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    QCOMPARE(settings->SendMRURoot().select_nodes("MRU").size(), size_t(kEntries + 1));
    QCOMPARE(FromXml(settings->SendMRURoot().first_child().attribute("Text").value()),
             QStringLiteral("one more"));
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Big File"));
    QVERIFY(!QFile::exists(FilePath() + QStringLiteral(".bad")));
}

void TstSettingsFailures::unreadableBoolean_data()
{
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<bool>("expected");

    QTest::newRow("UseScript") << QByteArray("<Script UseScript=\"vielleicht\"/>") << "UseScript" << false;
    QTest::newRow("UseReceiveScript")
        << QByteArray("<Script UseReceiveScript=\"ja\"/>") << "UseReceiveScript" << false;
    QTest::newRow("AutoUpdate") << QByteArray("<General AutoUpdate=\"vielleicht\"/>") << "AutoUpdate" << true;
    QTest::newRow("empty") << QByteArray("<Script UseScript=\"\"/>") << "UseScript" << false;
}

void TstSettingsFailures::unreadableBoolean()
{
    QFETCH(QByteArray, element);
    QFETCH(QString, attribute);
    QFETCH(bool, expected);
    QVERIFY(
        WriteAll(FilePath(), "<?xml version=\"1.0\"?><Body>" + element + "<History houres=\"5\"/></Body>"));

    TVarnexSettings* settings = VarnexSettings();
    bool value = !expected;
    try {
        if (attribute == QLatin1String("UseScript"))
            value = settings->UseScript();
        else if (attribute == QLatin1String("UseReceiveScript"))
            value = settings->UseReceiveScript();
        else
            value = settings->AutoUpdate();
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
    QCOMPARE(value, expected);
    // The rest of the file is read.
    QCOMPARE(settings->HistoryHoures(), 5);
    const QStringList notices = settings->TakeNotices();
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices.first().contains(attribute), qPrintable(notices.first()));
    // The file itself was fine; nothing is kept aside.
    QVERIFY(!QFile::exists(FilePath() + QStringLiteral(".bad")));
}

// ---------------------------------------------------------------------------------------------
// Saves that fail

void TstSettingsFailures::unwritableDirectory()
{
    const QByteArray old = GoodSettings();
    const QString dir = FTemp->DirPath();
    const bool root = geteuid() == 0;
    if (root) {
        // Root writes into read-only directories regardless, so the save is made to fail by a
        // directory standing where the file should go; what that directory holds must survive.
        QVERIFY(QDir(dir).mkdir(QFileInfo(FilePath()).fileName()));
        QVERIFY(WriteAll(QDir(FilePath()).filePath(QStringLiteral("keep.txt")), old));
    } else {
        QVERIFY(WriteAll(FilePath(), old));
    }

    TVarnexSettings* settings = VarnexSettings();
    if (!root)
        QCOMPARE(settings->NormalFontName(), QStringLiteral("Old Font"));
    settings->TakeNotices();
    settings->SetNormalFontName(QStringLiteral("Changed"));
    const QStringList before = DirEntries(dir);

    QFile::Permissions permissions = QFile::permissions(dir);
    if (!root)
        QVERIFY(QFile::setPermissions(dir,
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther));
    QString error = QStringLiteral("<none>");
    try {
        settings->SaveSettings();
    } catch (const EVarnexError& e) {
        error = e.Message();
    }
    // Dropping the store tries once more and reports instead of raising.
    TVarnexSettings::ReleaseInstance();
    const QString releaseError = TVarnexSettings::LastSaveError();
    QFile::setPermissions(dir, permissions);

    QVERIFY2(error != QLatin1String("<none>"), "the save did not fail");
    QVERIFY2(error.contains(FilePath()), qPrintable(error));
    QVERIFY(!releaseError.isEmpty());
    QVERIFY(!TBaseXMLSettings::AccessInstance(0));
    QCOMPARE(DirEntries(dir), before);
    if (root)
        QCOMPARE(ReadAll(QDir(FilePath()).filePath(QStringLiteral("keep.txt"))), old);
    else
        QCOMPARE(ReadAll(FilePath()), old);
}

void TstSettingsFailures::diskFull()
{
    const QByteArray old = GoodSettings();
    QVERIFY(WriteAll(FilePath(), old));
    TVarnexSettings* settings = VarnexSettings();
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Old Font"));
    // Far more than the disk will take.
    constexpr int kEntries = 5000;
    for (int i = 0; i < kEntries; ++i)
        settings->InsertNewMRUString(QStringLiteral("command %1 that makes the file grow").arg(i));
    settings->SetNormalFontName(QStringLiteral("Changed"));

    QString error = QStringLiteral("<none>");
    {
        TFileSizeLimit full(16 * 1024);
        QVERIFY(full.Active());
        try {
            settings->SaveSettings();
        } catch (const EVarnexError& e) {
            error = e.Message();
        }
    }
    QVERIFY2(error != QLatin1String("<none>"), "the save did not fail");
    QVERIFY2(error.contains(FilePath()), qPrintable(error));
    QCOMPARE(ReadAll(FilePath()), old);
    QCOMPARE(DirEntries(FTemp->DirPath()), QStringList{"Varnex Settings.xml"});

    // With room again the next save is complete.
    settings->SaveSettings();
    QVERIFY(QFileInfo(FilePath()).size() > 16 * 1024);
    delete TVarnexSettings::AccessInstance(0);
    settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Changed"));
    QCOMPARE(settings->SendMRURoot().select_nodes("MRU").size(), size_t(kEntries + 2));
    QCOMPARE(settings->ReceiveTriggerWaitTime(), 250);
    QCOMPARE(DirEntries(FTemp->DirPath()), QStringList{"Varnex Settings.xml"});
}

// Another instance wrote the file while this one ran: the one that ends last writes its whole
// document; nothing is merged and nothing is half.
void TstSettingsFailures::aFileChangedMeanwhileIsReplacedWhole()
{
    QVERIFY(WriteAll(FilePath(), GoodSettings()));
    TVarnexSettings* settings = VarnexSettings();
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Old Font"));
    QVERIFY(
        WriteAll(FilePath(), "<?xml version=\"1.0\"?><Body><General NormalReceiveFont=\"Other\"/></Body>"));
    settings->SetNormalFontSize(14);
    settings->SaveSettings();
    delete TVarnexSettings::AccessInstance(0);
    settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    QCOMPARE(settings->NormalFontName(), QStringLiteral("Old Font"));
    QCOMPARE(settings->NormalFontSize(), 14);
    QCOMPARE(settings->ReceiveTriggerWaitTime(), 250);
}

void TstSettingsFailures::twoInstancesAtOnceLeaveOneWholeFile()
{
    QVERIFY(WriteAll(FilePath(), GoodSettings()));
    const QString writer = QCoreApplication::applicationDirPath() + QStringLiteral("/varnex_settings_writer");
    QProcess first;
    QProcess second;
    for (auto [process, name] : {std::pair{&first, "Erste"}, std::pair{&second, "Zweite"}}) {
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(writer, {QString::fromLatin1(name), QStringLiteral("60")});
    }
    for (QProcess* process : {&first, &second}) {
        QVERIFY2(process->waitForFinished(60000), qPrintable(process->errorString()));
        QCOMPARE(process->exitCode(), 0);
    }
    TVarnexSettings* settings = VarnexSettings();
    QVERIFY(settings->TakeNotices().isEmpty());
    QVERIFY(QStringList({"Erste", "Zweite"}).contains(settings->NormalFontName()));
    QCOMPARE(settings->ReceiveTriggerWaitTime(), 250);
    QCOMPARE(DirEntries(FTemp->DirPath()), QStringList{"Varnex Settings.xml"});
}

QTEST_GUILESS_MAIN(TstSettingsFailures)
#include "tst_SettingsFailures.moc"
