// Sending a file through a socat pty: blocks of 1024 bytes with their progress, the echo of each
// block, every byte value unchanged, a line that does not drain (true progress, flat memory), a
// stop by the user and a peer that goes away.
#include "FakeSerialDevice.h"
#include "PtyPair.h"
#include "ScriptedPrompts.h"
#include "TempSettings.h"
#include "TextView.h"

#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "terminal/FileSender.h"
#include "terminal/TerminalSession.h"

#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

class TstFileSender : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TScriptedPrompts> FPrompts;
    std::unique_ptr<TTempSettings> FSettings;
    std::unique_ptr<TPtyPair> FPair;
    std::unique_ptr<TTerminalSession> FSession;
    std::unique_ptr<TFileSender> FSender;
    TTextView FView;
    QTemporaryDir FDir;
    int FPeer = -1;
    int FPort = -1;
    QByteArray FReceived;

    QString File(const QByteArray& aContent)
    {
        const QString path = FDir.filePath(QStringLiteral("file%1.bin").arg(aContent.size()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(aContent) != aContent.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // Takes what the peer end has got so far.
    void ReadPeer()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(FPeer, buffer, sizeof buffer);
            if (n <= 0)
                return;
            FReceived.append(buffer, n);
        }
    }

    // Sends aContent with the peer reading all the while; aProgress receives what was reported.
    void SendAll(const QByteArray& aContent, QList<std::pair<qint64, qint64>>* aProgress = nullptr)
    {
        QSignalSpy progress(FSender.get(), &TFileSender::Progress);
        FSender->Start(File(aContent));
        QTRY_VERIFY_WITH_TIMEOUT((ReadPeer(), !FSender->IsSending()), 20000);
        QTRY_COMPARE_WITH_TIMEOUT((ReadPeer(), FReceived.size()), aContent.size(), 20000);
        if (aProgress)
            for (const QList<QVariant>& signal : progress)
                aProgress->append({signal.at(0).toLongLong(), signal.at(1).toLongLong()});
    }

    QStringList EchoLines() const
    {
        QStringList lines;
        qsizetype at = 0;
        while ((at = FView.Text.indexOf(QStringLiteral("Gesendet: "), at)) >= 0) {
            at += 10;
            lines << FView.Text.mid(at, FView.Text.indexOf(QStringLiteral("\r\n</b>"), at) - at);
        }
        return lines;
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
            QFAIL("socat is needed for the pty tests (./test installs it)");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void init()
    {
        FPrompts = std::make_unique<TScriptedPrompts>();
        FSettings = std::make_unique<TTempSettings>();
        FPair = std::make_unique<TPtyPair>();
        QString why;
        QVERIFY2(FPair->Start(&why), qPrintable(why));
        FPort = TPortRegistry::Instance().Bind(FPair->ProgramEnd());
        FSession = std::make_unique<TTerminalSession>();
        FView = TTextView();
        FSession->SetView(&FView);
        FSession->Com()->SetPort(FPort);
        QVERIFY(FSession->Com()->Open());
        FSender = std::make_unique<TFileSender>(*FSession);
        FPeer = FPair->OpenPeer();
        QVERIFY(FPeer >= 0);
        FReceived.clear();
    }

    void cleanup()
    {
        FSender.reset();
        FSession.reset();
        if (FPeer >= 0)
            ::close(FPeer);
        FPeer = -1;
        TPortRegistry::Instance().Unbind(FPort);
        FPair.reset();
        FSettings.reset();
        FPrompts.reset();
    }

    void goesOutInBlocksOf1024WithTheirProgress()
    {
        FSession->SetEcho(true);
        const QByteArray content(2500, 'x');
        QList<std::pair<qint64, qint64>> progress;
        SendAll(content, &progress);
        QStringList texts;
        for (const auto& [sent, total] : progress)
            texts << TFileSender::ProgressText(sent, total);
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("Abbruch mit 'ESC' (1,024KB von 2,500KB)"),
                              QStringLiteral("Abbruch mit 'ESC' (2,048KB von 2,500KB)"),
                              QStringLiteral("Abbruch mit 'ESC' (2,500KB von 2,500KB)")}));
        QCOMPARE(EchoLines(), (QStringList{QString(1024, 'x'), QString(1024, 'x'), QString(452, 'x')}));
        QCOMPARE(FReceived, content);
    }

    void aFileOfWholeBlocksEndsWithAnEmptyReadAndAnEmptyFileWithOneEcho()
    {
        FSession->SetEcho(true);
        SendAll(QByteArray(2048, 'y'));
        QCOMPARE(EchoLines(), (QStringList{QString(1024, 'y'), QString(1024, 'y'), QString()}));
        FView = TTextView();
        QSignalSpy finished(FSender.get(), &TFileSender::Finished);
        FSender->Start(File(QByteArray()));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QString());
        QCOMPARE(EchoLines(), QStringList{QString()});
    }

    void everyByteValueArrivesUnchangedAndEchoesAsLatin1()
    {
        FSession->SetEcho(true);
        QByteArray content;
        for (int i = 0; i < 256; ++i)
            content.append(char(i));
        SendAll(content);
        QCOMPARE(FReceived, content);
        QVERIFY(FView.Text.contains(QChar(0xE4)));
    }

    void aLineThatDoesNotDrainHoldsTheTransferWithMemoryFlatThenItFinishes()
    {
        QByteArray content(1 << 20, '\0');
        for (int i = 0; i < content.size(); ++i)
            content[i] = char(i * 7 % 251);
        QSignalSpy finished(FSender.get(), &TFileSender::Finished);
        FSender->Start(File(content));
        // The peer reads nothing: the pty fills up, then the port's own queue.
        TTermCom* com = FSession->Com();
        QTRY_VERIFY_WITH_TIMEOUT(com->OutCount() >= TFileSender::kMaxQueued, 20000);
        for (int i = 0; i < 20; ++i)
            FSender->Step();
        QVERIFY(com->OutCount() < TFileSender::kMaxQueued + TFileSender::kBlockSize);
        QVERIFY(FSender->Sent() < content.size() / 2);
        QVERIFY(FSender->IsSending());
        QTRY_VERIFY_WITH_TIMEOUT((ReadPeer(), !FSender->IsSending()), 30000);
        QTRY_COMPARE_WITH_TIMEOUT((ReadPeer(), FReceived.size()), content.size(), 20000);
        QCOMPARE(FReceived, content);
    }

    void stoppingDropsWhatWaitsForTheLine()
    {
        QSignalSpy finished(FSender.get(), &TFileSender::Finished);
        FSender->Start(File(QByteArray(1 << 20, 'z')));
        QTRY_VERIFY_WITH_TIMEOUT(FSession->Com()->OutCount() >= TFileSender::kMaxQueued, 20000);
        FSender->Abort();
        QVERIFY(!FSender->IsSending());
        QCOMPARE(FSession->Com()->OutCount(), qint64(0));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toString(), QString());
    }

    void aPeerThatGoesAwayStopsTheTransferWithAMessage()
    {
        QSignalSpy finished(FSender.get(), &TFileSender::Finished);
        FSender->Start(File(QByteArray(1 << 20, 'w')));
        QTRY_VERIFY_WITH_TIMEOUT(FSession->Com()->OutCount() >= TFileSender::kMaxQueued, 20000);
        ::close(FPeer);
        FPeer = -1;
        FPair->Stop();
        // The poll notices the device is gone and closes the port; the transfer cannot go on.
        QTRY_VERIFY_WITH_TIMEOUT((FSession->Poll(25), !FSender->IsSending()), 20000);
        QCOMPARE(finished.count(), 1);
        QVERIFY2(finished.first().first().toString().contains(QStringLiteral("nicht vollständig gesendet")),
                 qPrintable(finished.first().first().toString()));
    }
};

QTEST_MAIN(TstFileSender)
#include "tst_FileSender.moc"
