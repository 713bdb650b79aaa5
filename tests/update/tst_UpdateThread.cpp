// The check on its worker thread: what the user is asked and told, on the GUI thread, and a
// stop that ends a check whatever it is waiting for.
#include "FakeUpdateService.h"
#include "ScriptedPrompts.h"
#include "TempSettings.h"

#include "settings/VarnexSettings.h"
#include "update/UpdateHandler.h"
#include "update/UpdateThread.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TstUpdateThread : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TFakeUpdateService> FService;
    std::unique_ptr<QTemporaryDir> FProgramDir;

    std::unique_ptr<TUpdateThread> Thread(bool aManual, const QString& aAddress = QString())
    {
        auto thread = std::make_unique<TUpdateThread>(aManual);
        thread->SetUpdateUrl(aAddress.isEmpty() ? FService->Address() : aAddress);
        thread->SetProgramDir(FProgramDir->path());
        thread->SetCurrentVersion(QStringLiteral("1.2.3.4"));
        thread->SetTimeoutMs(2'000);
        return thread;
    }

    static void RunToEnd(TUpdateThread& aThread)
    {
        aThread.start();
        QTRY_VERIFY_WITH_TIMEOUT(aThread.isFinished(), 20'000);
    }

    QStringList Downloaded() const
    {
        return QDir(FProgramDir->filePath(QStringLiteral("Update"))).entryList(QDir::Files | QDir::Hidden);
    }

private slots:
    void init()
    {
        FService = std::make_unique<TFakeUpdateService>();
        FService->Files = {{FService->FileName, "package"}};
        FProgramDir = std::make_unique<QTemporaryDir>();
    }

    void onlyAManualCheckSpeaks_data()
    {
        QTest::addColumn<bool>("manual");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("said");
        QTest::newRow("manual, nothing new") << true << true << "Es steht keine neuere Version zur Verfügung";
        QTest::newRow("manual, no server") << true << false << "Der Update-Server ist nicht erreichbar.";
        QTest::newRow("automatic, nothing new") << false << true << "";
        QTest::newRow("automatic, no server") << false << false << "";
    }

    void onlyAManualCheckSpeaks()
    {
        QFETCH(bool, manual);
        QFETCH(bool, reachable);
        QFETCH(QString, said);
        TScriptedPrompts prompts;
        TTempSettings settings;
        FService->Version = QStringLiteral("1.2.3.4");
        auto thread =
            Thread(manual, reachable ? QString() : QStringLiteral("http://127.0.0.1:1/UpdateService"));
        RunToEnd(*thread);
        QCOMPARE(prompts.Questions.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty())
            QVERIFY2(prompts.Questions.constFirst().startsWith(said),
                     qPrintable(prompts.Questions.constFirst()));
        QCOMPARE(VarnexSettings()->NextUpdateUrl(), TVarnexSettings::DefaultUpdateUrl());
    }

    void noToTheDownloadStillStoresTheNextAddress()
    {
        TScriptedPrompts prompts;
        TTempSettings settings;
        prompts.Answers = {IPrompts::TButton::No};
        auto thread = Thread(false);
        RunToEnd(*thread);
        QCOMPARE(
            prompts.Questions,
            QStringList{QStringLiteral("Es steht eine neuere Programmversion (1.2.3.5) zum Download zur "
                                       "Verfügung.\r\nSoll die neue Version  herunter geladen werden?\r\nDie "
                                       "Installation wird anschliessend automatisch ausgeführt.")});
        QCOMPARE(VarnexSettings()->NextUpdateUrl(), FService->NextUrl);
        QCOMPARE(Downloaded(), QStringList());
        QCOMPARE(FService->Requests().size(), 5);
    }

    void yesDownloadsAndSaysWhereTheUpdateLiesWithoutAnUpdater()
    {
        TScriptedPrompts prompts;
        TTempSettings settings;
        prompts.Answers = {IPrompts::TButton::Yes, IPrompts::TButton::Ok};
        auto thread = Thread(false);
        RunToEnd(*thread);
        QCOMPARE(Downloaded(), QStringList{FService->FileName});
        QCOMPARE(prompts.Questions.size(), 2);
        QVERIFY(prompts.Questions.last().contains(QDir::toNativeSeparators(FProgramDir->filePath("Update"))));
    }

    void aRefusedDownloadIsToldEvenAfterAnAutomaticCheck()
    {
        TScriptedPrompts prompts;
        TTempSettings settings;
        prompts.Answers = {IPrompts::TButton::Yes};
        FService->Additional = {{FService->FileUrl(FService->FileName), QStringLiteral("../evil")}};
        auto thread = Thread(false);
        RunToEnd(*thread);
        QCOMPARE(prompts.Questions.size(), 2);
        QVERIFY(prompts.Questions.last().contains(QStringLiteral("../evil")));
        QCOMPARE(Downloaded(), QStringList());
    }

    void aStopEndsAHangingCheck()
    {
        TScriptedPrompts prompts;
        TTempSettings settings;
        FService->Failures.insert(QStringLiteral("GetVarnexVersion"), TFakeUpdateService::TFailure::Hang);
        auto thread = Thread(true);
        thread->SetTimeoutMs(120'000);
        thread->start();
        QTRY_COMPARE_WITH_TIMEOUT(FService->Requests().size(), 1, 20'000);
        thread->Stop();
        // Far less than the transfer's own timeout.
        QVERIFY(thread->wait(10'000));
        QCoreApplication::processEvents();
        QCOMPARE(prompts.Questions, QStringList());
    }

    void anAnswerAfterTheStopDownloadsNothing()
    {
        TScriptedPrompts prompts;
        TTempSettings settings;
        auto thread = Thread(true);
        prompts.OnAsk = [&] { thread->Stop(); };
        prompts.Answers = {IPrompts::TButton::Yes};
        RunToEnd(*thread);
        QCOMPARE(prompts.Questions.size(), 1);
        QCOMPARE(Downloaded(), QStringList());
        QCOMPARE(FService->Requests().size(), 5);
    }
};

QTEST_MAIN(TstUpdateThread)
#include "tst_UpdateThread.moc"
