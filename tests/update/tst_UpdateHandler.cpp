// The update check against a service on this machine: versions compared as numbers, the
// package and its further files fetched whole or not at all, nothing written outside the
// update folder, and every way a server can fail ends in a message.
#include "FakeUpdateService.h"

#include "update/UpdateHandler.h"
#include "update/UpdateTransfer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList FilesIn(const QString& aDir)
{
    return QDir(aDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Content(const QString& aFile)
{
    QFile file(aFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TstUpdateHandler : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TFakeUpdateService> FService;
    std::unique_ptr<QTemporaryDir> FProgramDir;

    TUpdateHandler Handler(const QString& aCurrent = QStringLiteral("1.2.3.4"))
    {
        TUpdateHandler handler;
        handler.SetProgramDir(FProgramDir->path());
        handler.SetCurrentVersion(aCurrent);
        handler.SetTimeoutMs(2'000);
        return handler;
    }

    // The message of the failure aCall ends in; empty when it went through.
    template <class F>
    static QString FailureOf(F aCall, EUpdateError::TKind* aKind = nullptr)
    {
        try {
            aCall();
        } catch (const EUpdateError& e) {
            if (aKind)
                *aKind = e.Kind();
            return e.Message();
        }
        return {};
    }

private slots:
    void init()
    {
        FService = std::make_unique<TFakeUpdateService>();
        FProgramDir = std::make_unique<QTemporaryDir>();
    }

    void versionsCompareAsNumbers_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("offered");
        QTest::addColumn<bool>("newer");
        QTest::newRow("next build") << "1.2.3.4"
                                    << "1.2.3.5" << true;
        QTest::newRow("equal") << "1.2.3.4"
                               << "1.2.3.4" << false;
        QTest::newRow("older") << "1.2.3.4"
                               << "1.2.2.9" << false;
        QTest::newRow("1.10 after 1.9.9.9") << "1.9.9.9"
                                            << "1.10" << true;
        QTest::newRow("2 is 2.0.0.0") << "1.9.9.9"
                                      << "2" << true;
        QTest::newRow("letters are 0.0.0.0") << "0.0.0.1"
                                             << "neu" << false;
        QTest::newRow("a fifth part is ignored") << "1.2.3.4"
                                                 << "1.2.3.4.9" << false;
        QTest::newRow("a part past 16 bits spills nowhere") << "1.3.0.0"
                                                            << "1.2.70000.0" << false;
        QTest::newRow("blanks around parts") << "1.2.3.4"
                                             << " 1.2.3.5 " << true;
    }

    void versionsCompareAsNumbers()
    {
        QFETCH(QString, current);
        QFETCH(QString, offered);
        QFETCH(bool, newer);
        FService->Version = offered;
        TUpdateHandler handler = Handler(current);
        QCOMPARE(handler.CheckForUpdate(FService->Address()), newer);
        QCOMPARE(handler.NewVersion(), offered.trimmed());
    }

    void theServiceIsAskedInItsOrderWithItsActions()
    {
        FService->Additional = {{FService->FileUrl("a.dll"), QStringLiteral("a.dll")}};
        TUpdateHandler handler = Handler();
        QVERIFY(handler.CheckForUpdate(FService->Address()));
        const QString ns = QStringLiteral("urn:varnex:update:");
        QCOMPARE(
            FService->Actions(),
            (QStringList{ns + "GetVarnexVersion", ns + "GetNextVarnexUpdateUrl", ns + "GetVarnexDownloadPath",
                         ns + "GetVarnexDownloadFileName", ns + "GetAdditionalFiles"}));
        const auto request = FService->Requests().constFirst();
        QCOMPARE(request.Method, QByteArray("POST"));
        QVERIFY(
            request.Headers.value("content-type").startsWith("application/soap+xml; charset=utf-8; action="));
        QCOMPARE(handler.NextUrl(), FService->NextUrl);
        QCOMPARE(handler.DownloadUrl(), FService->FileUrl(FService->FileName));
        QCOMPARE(handler.Filename(), FService->FileName);
        QCOMPARE(handler.AdditionalFiles().size(), 1);
        QCOMPARE(handler.AdditionalFiles().constFirst().Name, QStringLiteral("a.dll"));
    }

    void thePackageAndItsFilesArriveInTheUpdateFolder()
    {
        FService->Files = {{FService->FileName, QByteArray(300'000, 'p')},
                           {QStringLiteral("a.dll"), "AAA"},
                           {QStringLiteral("b.txt"), "BB"}};
        FService->Additional = {{FService->FileUrl("a.dll"), QStringLiteral("a.dll")},
                                {FService->FileUrl("b.txt"), QStringLiteral("Liesmich.txt")}};
        TUpdateHandler handler = Handler();
        QVERIFY(handler.CheckForUpdate(FService->Address()));
        handler.StartDownload();
        const QString update = FProgramDir->filePath(QStringLiteral("Update"));
        QCOMPARE(FilesIn(update), (QStringList{"Liesmich.txt", "Varnex-Setup.bin", "a.dll"}));
        QCOMPARE(Content(update + "/Varnex-Setup.bin"), QByteArray(300'000, 'p'));
        QCOMPARE(Content(update + "/a.dll"), QByteArray("AAA"));
        QCOMPARE(Content(update + "/Liesmich.txt"), QByteArray("BB"));
    }

    void namesAndAddressesFromTheServiceAreChecked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("parent folder") << "../varnex"
                                       << "";
        QTest::newRow("dots inside") << "a..b"
                                     << "";
        QTest::newRow("absolute") << "/tmp/varnex-update-test"
                                  << "";
        QTest::newRow("sub folder") << "lib/a.so"
                                    << "";
        QTest::newRow("backslash") << "..\\a.dll"
                                   << "";
        QTest::newRow("drive") << "C:a.dll"
                               << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("file address") << "a.dll"
                                      << "file:///etc/passwd";
        QTest::newRow("ftp address") << "a.dll"
                                     << "ftp://127.0.0.1/a.dll";
    }

    void namesAndAddressesFromTheServiceAreChecked()
    {
        QFETCH(QString, name);
        QFETCH(QString, address);
        FService->Files = {{FService->FileName, "package"}, {QStringLiteral("a.dll"), "A"}};
        FService->Additional = {{address.isEmpty() ? FService->FileUrl("a.dll") : address, name}};
        TUpdateHandler handler = Handler();
        QVERIFY(handler.CheckForUpdate(FService->Address()));
        EUpdateError::TKind kind{};
        const QString message = FailureOf([&] { handler.StartDownload(); }, &kind);
        QCOMPARE(kind, EUpdateError::TKind::Refused);
        QVERIFY2(message.contains(address.isEmpty() ? name : address), qPrintable(message));
        // Refused before anything was fetched.
        QCOMPARE(FService->Requests().size(), 5);
        QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/varnex-update-test")));
        QCOMPARE(FilesIn(FProgramDir->filePath(QStringLiteral("Update"))), QStringList());
    }

    void aBrokenDownloadLeavesNoFile_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("why");
        QTest::newRow("cut short") << int(TFakeUpdateService::TFailure::Truncated) << "";
        QTest::newRow("no answer") << int(TFakeUpdateService::TFailure::Hang)
                                   << "Keine Antwort innerhalb von";
    }

    void aBrokenDownloadLeavesNoFile()
    {
        QFETCH(int, failure);
        QFETCH(QString, why);
        FService->Files = {{FService->FileName, QByteArray(5000, 'p')}, {QStringLiteral("b.txt"), "BB"}};
        FService->Additional = {{FService->FileUrl("b.txt"), QStringLiteral("b.txt")}};
        FService->Failures.insert(QStringLiteral("/files/b.txt"), TFakeUpdateService::TFailure(failure));
        TUpdateHandler handler = Handler();
        handler.SetTimeoutMs(300);
        QVERIFY(handler.CheckForUpdate(FService->Address()));
        EUpdateError::TKind kind{};
        const QString message = FailureOf([&] { handler.StartDownload(); }, &kind);
        QCOMPARE(kind, EUpdateError::TKind::Download);
        QVERIFY2(message.contains(why), qPrintable(message));
        // The package had arrived whole, but a half update is none: no file, no leftovers.
        QCOMPARE(FilesIn(FProgramDir->filePath(QStringLiteral("Update"))), QStringList());
    }

    void aFailingServiceEndsTheCheckWithItsReason_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("soap fault") << int(TFakeUpdateService::TFailure::Fault)
                                    << int(EUpdateError::TKind::Fault) << "Wartung bis 12 Uhr";
        QTest::newRow("garbage") << int(TFakeUpdateService::TFailure::Garbage)
                                 << int(EUpdateError::TKind::BadAnswer) << "keine gültige Antwort";
        QTest::newRow("truncated") << int(TFakeUpdateService::TFailure::Truncated)
                                   << int(EUpdateError::TKind::Unreachable) << "nicht erreichbar";
        QTest::newRow("no answer") << int(TFakeUpdateService::TFailure::Hang)
                                   << int(EUpdateError::TKind::Unreachable)
                                   << "Keine Antwort innerhalb von 1 Sekunden";
    }

    void aFailingServiceEndsTheCheckWithItsReason()
    {
        QFETCH(int, failure);
        QFETCH(int, kind);
        QFETCH(QString, why);
        FService->Failures.insert(QStringLiteral("GetVarnexDownloadPath"),
                                  TFakeUpdateService::TFailure(failure));
        TUpdateHandler handler = Handler();
        handler.SetTimeoutMs(300);
        EUpdateError::TKind got{};
        const QString message = FailureOf([&] { handler.CheckForUpdate(FService->Address()); }, &got);
        QVERIFY2(message.contains(why), qPrintable(message));
        QCOMPARE(int(got), kind);
    }

    void nobodyListeningIsUnreachable()
    {
        TUpdateHandler handler = Handler();
        EUpdateError::TKind kind{};
        const QString message =
            FailureOf([&] { handler.CheckForUpdate(QStringLiteral("http://127.0.0.1:1/x")); }, &kind);
        QCOMPARE(kind, EUpdateError::TKind::Unreachable);
        QVERIFY(message.startsWith(QStringLiteral("Der Update-Server ist nicht erreichbar.")));
    }

    void theUpdaterGetsTheFolderAndTheWindow()
    {
        TUpdateHandler handler = Handler();
        // Missing: the user learns where the download lies.
        const QString missing = handler.InstallUpdate(42);
        QVERIFY(missing.contains(QDir::toNativeSeparators(handler.UpdateDir())));
        QVERIFY(missing.contains(TUpdateHandler::UpdaterName()));

#ifdef Q_OS_UNIX
        const QString record = FProgramDir->filePath(QStringLiteral("arguments.txt"));
        QFile updater(FProgramDir->filePath(TUpdateHandler::UpdaterName()));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.write("#!/bin/sh\nprintf '%s|' \"$@\" > \"" + record.toUtf8() + ".part\"\nmv \""
                      + record.toUtf8() + ".part\" \"" + record.toUtf8() + "\"\n");
        updater.close();
        updater.setPermissions(updater.permissions() | QFile::ExeOwner);
        QCOMPARE(handler.InstallUpdate(132456), QString());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 10'000);
        QCOMPARE(QString::fromUtf8(Content(record)), handler.UpdateDir() + QStringLiteral("|132456|"));
#endif
    }
};

QTEST_MAIN(TstUpdateHandler)
#include "tst_UpdateHandler.moc"
