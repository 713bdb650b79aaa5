// History recording: files named by the clock in a folder made on demand, written from a
// snapshot while the view goes on, never overwriting an earlier file, and a view left as it was
// when the file cannot be made.
#include "FileSizeLimit.h"
#include "ScriptedPrompts.h"
#include "TempSettings.h"

#include "base/VarnexError.h"
#include "settings/VarnexSettings.h"
#include "terminal/HistoryRecorder.h"
#include "terminal/ReceiveView.h"
#include "terminal/TerminalSession.h"
#include "terminal/Token.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

class TstHistoryRecorder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TTempSettings> FSettings;
    std::unique_ptr<TReceiveView> FView;
    std::unique_ptr<TTerminalSession> FSession;
    std::unique_ptr<THistoryRecorder> FRecorder;
    std::unique_ptr<QTemporaryDir> FDir;
    QDateTime FNow;

    QString Folder() const { return FDir->filePath(QStringLiteral("a/b/c")); }

    QStringList Files() const { return QDir(Folder()).entryList(QDir::Files, QDir::Name); }

    QByteArray Read(const QString& aName) const
    {
        QFile file(QDir(Folder()).filePath(aName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void Write()
    {
        FRecorder->Write();
        FRecorder->FinishWriting();
    }

private slots:
    void init()
    {
        FPrompts = std::make_unique<TScriptedPrompts>();
        FSettings = std::make_unique<TTempSettings>();
        FDir = std::make_unique<QTemporaryDir>();
        VarnexSettings()->SetHistoryDir(Folder());
        FView = std::make_unique<TReceiveView>();
        FSession = std::make_unique<TTerminalSession>();
        FSession->SetView(FView.get());
        FRecorder = std::make_unique<THistoryRecorder>(*FSession);
        FNow = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 9));
        FRecorder->SetClock([this] { return FNow; });
    }

    void cleanup()
    {
        FRecorder.reset();
        FSession.reset();
        FView.reset();
        FSettings.reset();
        FPrompts.reset();
    }

    void anEmptyViewWritesNothing()
    {
        FRecorder->Switch(true);
        QVERIFY(!FRecorder->IsWriting());
        QVERIFY(!QDir(Folder()).exists());
        QVERIFY(FRecorder->Timer()->isActive());
    }

    void switchingOnWritesAtOnceIntoADeepNewFolderAndEmptiesTheView()
    {
        FSession->TokenList()->AddContent(QStringLiteral("Messwert 42\r\n"), ctReceive);
        FView->AppendText(QStringLiteral("Messwert 42\r\n"));
        FView->AppendText(QStringLiteral("Gesendet: x\r\n"), true);
        QSignalSpy written(FRecorder.get(), &THistoryRecorder::Written);
        FRecorder->Switch(true);
        FRecorder->FinishWriting();
        QCOMPARE(Files(), QStringList{QStringLiteral("26-12-08-14-05-09.rtf")});
        const QByteArray rtf = Read(QStringLiteral("26-12-08-14-05-09.rtf"));
        QVERIFY(rtf.startsWith("{\\rtf1"));
        QVERIFY(rtf.contains("Messwert 42") && rtf.contains("\\b Gesendet: x"));
        QCOMPARE(FView->Text(), QString());
        // The traffic log keeps it: a rebuild shows it again.
        QCOMPARE(FSession->TokenList()->Count(), 1);
        QCOMPARE(written.count(), 1);
        QCOMPARE(VarnexSettings()->RecentFilesReceive().child("RecentFile").attribute("Name").value(),
                 QDir(Folder()).filePath(QStringLiteral("26-12-08-14-05-09.rtf")).toStdString());
    }

    void twoWritesInOneSecondKeepBothFiles()
    {
        FView->AppendText(QStringLiteral("eins"));
        Write();
        FView->AppendText(QStringLiteral("zwei"));
        Write();
        QCOMPARE(Files(),
                 (QStringList{QStringLiteral("26-12-08-14-05-09-2.rtf"),
                              QStringLiteral("26-12-08-14-05-09.rtf")}));
        QVERIFY(Read(QStringLiteral("26-12-08-14-05-09.rtf")).contains("eins"));
        QVERIFY(Read(QStringLiteral("26-12-08-14-05-09-2.rtf")).contains("zwei"));
    }

    void dataArrivingDuringAWriteStaysInTheView()
    {
        FView->AppendText(QStringLiteral("alt\r\nhalb"));
        FRecorder->Write();
        FView->AppendText(QStringLiteral("e Zeile\r\nneu"));
        FRecorder->FinishWriting();
        QCOMPARE(FView->Text(), QStringLiteral("e Zeile\r\nneu"));
        const QByteArray rtf = Read(QStringLiteral("26-12-08-14-05-09.rtf"));
        QVERIFY(rtf.contains("halb") && !rtf.contains("neu"));
    }

    void theIntervalComesFromTheSettingsAndZeroNeverFires()
    {
        TVarnexSettings* settings = VarnexSettings();
        settings->SetHistoryHoures(0);
        settings->SetHistoryMinutes(2);
        settings->SetHistorySeconds(30);
        FRecorder->ApplyInterval();
        QCOMPARE(FRecorder->Timer()->interval(), 150'000);
        QCOMPARE(THistoryRecorder::IntervalMs(24, 0, 0), qint64(86'400'000));

        settings->SetHistoryMinutes(0);
        settings->SetHistorySeconds(0);
        FRecorder->ApplyInterval();
        FView->AppendText(QStringLiteral("x"));
        FRecorder->Switch(true);
        FRecorder->FinishWriting();
        QVERIFY(!FRecorder->Timer()->isActive());
        QCOMPARE(Files().size(), 1);
        FView->AppendText(QStringLiteral("y"));
        FNow = FNow.addSecs(1);
        FRecorder->Switch(false);
        FRecorder->FinishWriting();
        QCOMPARE(Files().size(), 2);
    }

    void aFolderThatCannotBeMadeLeavesTheView()
    {
        FView->AppendText(QStringLiteral("bleibt"));
        QFile blocker(FDir->filePath(QStringLiteral("a")));
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(EVarnexError, FRecorder->Write());
        VarnexSettings()->SetHistoryDir(QString());
        try {
            FRecorder->Write();
            QFAIL("an empty folder setting was accepted");
        } catch (const EVarnexError& e) {
            QCOMPARE(e.Message(), QStringLiteral("Unable to create directory"));
        }
        QCOMPARE(FView->Text(), QStringLiteral("bleibt"));
    }

#ifdef Q_OS_UNIX
    void aFullDiskLeavesTheViewAndNoHalfFile()
    {
        const QString text = QStringLiteral("Zeile mit Daten\r\n").repeated(20'000);
        FView->AppendText(text);
        QSignalSpy failed(FRecorder.get(), &THistoryRecorder::Failed);
        {
            TFileSizeLimit full(64 * 1024);
            Write();
        }
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
        QCOMPARE(FView->Text(), text);
        QCOMPARE(QDir(Folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
        // With room again the same view is archived whole.
        Write();
        QCOMPARE(Files().size(), 1);
        QCOMPARE(FView->Text(), QString());
    }
#endif
};

QTEST_MAIN(TstHistoryRecorder)
#include "tst_HistoryRecorder.moc"
