// The update check as the window starts it: the first start's question, once a month, by
// hand from the menu, and a program that ends while a check hangs. The Help menu's other
// entries open what they name.
#include "FakeSerialDevice.h"
#include "FakeUpdateService.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "serial/PortRegistry.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "ui/AboutWindow.h"
#include "update/UpdateThread.h"

#include "VarnexVersion.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Takes the links the program hands to the desktop.
class TUrlCatcher final : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& aUrl) { Opened << aUrl; }
};

} // namespace

class TstUpdateActions : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TFakeDeviceState> FState;
    std::unique_ptr<TFakeUpdateService> FService;

    std::unique_ptr<TfrmMainWindow> Window()
    {
        FState = InstallFakePorts();
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        return window;
    }

    static QList<TUpdateThread*> Checks(TfrmMainWindow& aWindow)
    {
        return aWindow.findChildren<TUpdateThread*>();
    }

    // Waits until every check the window started has ended and gone.
    static bool ChecksEnded(TfrmMainWindow& aWindow)
    {
        return QTest::qWaitFor([&] { return Checks(aWindow).isEmpty(); }, 20'000);
    }

private slots:
    void init()
    {
        FService = std::make_unique<TFakeUpdateService>();
        // Nothing newer than this program: a check that runs stays quiet unless started by hand.
        FService->Version = QStringLiteral(VARNEX_VERSION_STRING);
        qputenv("VARNEX_UPDATE_URL", FService->Address().toUtf8());
    }

    void cleanup()
    {
        qunsetenv("VARNEX_UPDATE_URL");
        TPortRegistry::Instance().SetDeviceFactory({});
    }

    void theFirstStartAsksOnce_data()
    {
        QTest::addColumn<bool>("agreed");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void theFirstStartAsksOnce()
    {
        QFETCH(bool, agreed);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        QVERIFY(!VarnexSettings()->AutoUpdateEntryExists());
        prompts.Answers = {agreed ? IPrompts::TButton::Yes : IPrompts::TButton::No};
        window->AutoUpdateAtStart();
        QCOMPARE(prompts.Questions.size(), 1);
        QVERIFY(prompts.Questions.constFirst().startsWith(QStringLiteral("Soll einmal monatlich")));
        QCOMPARE(VarnexSettings()->AutoUpdate(), agreed);
        // Never checked before: a check starts at once.
        QCOMPARE(Checks(*window).size(), agreed ? 1 : 0);
        QVERIFY(ChecksEnded(*window));
        QCOMPARE(FService->Requests().size(), agreed ? 5 : 0);

        window->AutoUpdateAtStart();
        QCOMPARE(prompts.Questions.size(), 1);
        QCOMPARE(Checks(*window).size(), 0);
    }

    void aMonthPassesBetweenChecks_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<bool>("checks");
        QTest::newRow("29 days") << 29 << false;
        QTest::newRow("31 days") << 31 << true;
    }

    void aMonthPassesBetweenChecks()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, checks);
        TScriptedDialogs prompts;
        TTempSettings settings;
        const QDateTime last = QDateTime::currentDateTime().addDays(-daysAgo);
        VarnexSettings()->SetAutoUpdate(true);
        VarnexSettings()->SetLastAutoUpdate(last);
        auto window = Window();
        const QDateTime before = QDateTime::currentDateTime();
        window->AutoUpdateAtStart();
        QCOMPARE(Checks(*window).size(), checks ? 1 : 0);
        if (checks)
            QVERIFY(VarnexSettings()->LastAutoUpdate() >= before.addSecs(-1));
        else
            QCOMPARE(VarnexSettings()->LastAutoUpdate().toSecsSinceEpoch(), last.toSecsSinceEpoch());
        QVERIFY(ChecksEnded(*window));
        QCOMPARE(prompts.Questions, QStringList());
    }

    void theMenuChecksAndSaysWhenNothingIsNew()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        FindChildOrDie<QAction>(*window, "acCheckUpdate")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(prompts.Questions.size(), 1, 20'000);
        QCOMPARE(prompts.Questions.constFirst(),
                 QStringLiteral("Es steht keine neuere Version zur Verfügung"));
        QVERIFY(ChecksEnded(*window));
    }

    void theProgramEndsDuringAHangingCheck()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        FService->Failures.insert(QStringLiteral("GetVarnexVersion"), TFakeUpdateService::TFailure::Hang);
        auto window = Window();
        FindChildOrDie<QAction>(*window, "acCheckUpdate")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(FService->Requests().size(), 1, 20'000);
        // The check would wait 30 s for the silent server.
        QVERIFY(window->StopUpdateChecks(10'000));
        window.reset();
        QCoreApplication::processEvents();
        QCOMPARE(prompts.Questions, QStringList());
    }

    void theHelpMenuOpensWhatItNames()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TUrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
        auto window = Window();

        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        FindChildOrDie<QAction>(*window, "acReleaseNotes")->trigger();
        QCOMPARE(prompts.Messages.size(), 1); // none here, none beside the test
        QFile notes(folder.filePath(QStringLiteral("ReleaseNotes.html")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        FindChildOrDie<QAction>(*window, "acReleaseNotes")->trigger();
        QDir::setCurrent(previous);

        FindChildOrDie<QAction>(*window, "acHelpOnline")->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.Opened, (QList<QUrl>{QUrl::fromLocalFile(notes.fileName()), QUrl(VARNEX_HOMEPAGE)}));

        QString version;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* about = qobject_cast<TfrmAbout*>(aDialog);
            version = FindChildOrDie<QLabel>(*about, "laVersion")->text();
            const QString components = FindChildOrDie<QLabel>(*about, "laComponents")->text();
            if (!components.contains(QStringLiteral("pugixml")) || !components.contains(QStringLiteral("Qt")))
                version.clear();
            return int(QDialog::Accepted);
        };
        FindChildOrDie<QAction>(*window, "acShowAbout")->trigger();
        QCOMPARE(version, QStringLiteral("Version " VARNEX_VERSION_STRING));
    }

    void anInstalledProgramFindsItsReleaseNotesAmongItsDocuments()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TUrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
        auto window = Window();
        // The test's folder stands for the installed program's bin folder.
        const QString docs = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                                             + QStringLiteral(VARNEX_DOC_DIR_FROM_PROGRAM));
        QString outermostNew = docs;
        while (!QFileInfo::exists(QFileInfo(outermostNew).path()))
            outermostNew = QFileInfo(outermostNew).path();
        QVERIFY(!QFileInfo::exists(outermostNew));
        const auto removeDocs = qScopeGuard([&] { QDir(outermostNew).removeRecursively(); });
        QVERIFY(QDir().mkpath(docs));
        QFile notes(QDir(docs).filePath(QStringLiteral("ReleaseNotes.html")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();

        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        FindChildOrDie<QAction>(*window, "acReleaseNotes")->trigger();
        QDir::setCurrent(previous);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.Opened, QList<QUrl>{QUrl::fromLocalFile(notes.fileName())});
        QCOMPARE(prompts.Messages, QStringList());
    }
};

QTEST_MAIN(TstUpdateActions)
#include "tst_UpdateActions.moc"
