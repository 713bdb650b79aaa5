// Through a real pty pair made by socat, with peer processes on the far end: every byte
// value crosses unchanged in both directions, bytes from the peer show decoded in the main
// window, and a device that vanishes closes the port with one message.
#include "PtyPair.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "notation/StringDecoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"
#include "terminal/Token.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int kPort = 100;

QString AllByteValues()
{
    QString text;
    for (int i = 0; i < 256; ++i)
        text += QChar(char16_t(i));
    return text;
}

} // namespace

class TstPtyEndToEnd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TPtyPair> FPair;

    // A peer process that copies what arrives at the far end into aFile.
    void StartRecorder(QProcess& aPeer, const QString& aFile)
    {
        aPeer.start(QStringLiteral("socat"),
                    {QStringLiteral("-u"), QStringLiteral("OPEN:%1,raw,echo=0").arg(FPair->PeerEnd()),
                     QStringLiteral("CREATE:%1").arg(aFile)});
        QVERIFY(aPeer.waitForStarted());
    }

    // A peer process that writes aBytes into the far end and ends.
    void SendFromPeer(const QByteArray& aBytes)
    {
        const QString data = FPair->Path(QStringLiteral("peerdata.bin"));
        QFile file(data);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(aBytes);
        file.close();
        QProcess peer;
        peer.start(QStringLiteral("socat"),
                   {QStringLiteral("-u"), QStringLiteral("OPEN:%1").arg(data),
                    QStringLiteral("OPEN:%1,raw,echo=0").arg(FPair->PeerEnd())});
        QVERIFY(peer.waitForFinished(10000));
        QCOMPARE(peer.exitCode(), 0);
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
            QFAIL("socat is needed for the pty tests (./test installs it)");
    }

    void init()
    {
        FPair = std::make_unique<TPtyPair>();
        QString why;
        QVERIFY2(FPair->Start(&why), qPrintable(why));
        QVERIFY(TPortRegistry::Instance().Bind(kPort, FPair->ProgramEnd()));
    }

    void cleanup()
    {
        TPortRegistry::Instance().Unbind(kPort);
        FPair.reset();
    }

    void everyByteValueArrivesExactly()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TTermCom com;
        com.SetPort(kPort);
        com.SetBaud(115200);
        QVERIFY(com.Open());

        const QString out = FPair->Path(QStringLiteral("received.bin"));
        QProcess recorder;
        StartRecorder(recorder, out);
        QTest::qWait(200); // let the recorder open its end

        const QString all = AllByteValues();
        QVERIFY(com.Write(all + all, false));
        QByteArray expected = all.toLatin1();
        expected += expected;
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(out).size(), qint64(expected.size()), 10000);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);

        // Slash notation goes out encoded.
        QVERIFY(com.Write(QStringLiteral("/$ff//0//cr/"), true));
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(out).size(), qint64(expected.size() + 3), 10000);
        file.seek(expected.size());
        QCOMPARE(file.readAll(), QByteArray("\xff\x00\r", 3));

        recorder.terminate();
        recorder.waitForFinished();
        QVERIFY(prompts.Messages.isEmpty());
    }

    void everyByteValueComesInAndModemLinesReadOff()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TTermCom com;
        com.SetPort(kPort);
        com.SetRTS(true);
        QVERIFY(com.Open());
        // A pty has no modem lines: they read as off, silently.
        QVERIFY(!com.CTS() && !com.DSR() && !com.Ring());

        const QByteArray all = AllByteValues().toLatin1();
        SendFromPeer(all);
        QString raw;
        QString shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown += com.Read(), raw += com.OriginalRead(), raw.size() >= 256), 10000);
        QCOMPARE(raw.toLatin1(), all);
        QCOMPARE(shown, TStringDecoder().DecodeStringSymbol(raw));
        QVERIFY(prompts.Messages.isEmpty());
    }

    void peerBytesAppearDecodedInTheMainWindow()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmMainWindow window(kPort);
        window.show();
        WithoutPostfix(window);
        window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        QVERIFY(window.Com()->Opened());

        SendFromPeer(QByteArray("Hi/\x1b\x07\r\nzwei\xe4", 12));
        auto* view = window.findChild<TReceiveView*>(QStringLiteral("memReceive"));
        QTRY_COMPARE_WITH_TIMEOUT(view->Text(), QStringLiteral("Hi///esc//bel/\r\nzwei\u00e4"), 10000);

        // The window answers with the send field through the same pty.
        const QString out = FPair->Path(QStringLiteral("answer.bin"));
        QProcess recorder;
        StartRecorder(recorder, out);
        QTest::qWait(200);
        window.SendStringToCom(QStringLiteral("ok/13/"), QStringLiteral("Direkt"), true);
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(out).size(), qint64(3), 10000);
        QFile answer(out);
        QVERIFY(answer.open(QIODevice::ReadOnly));
        QCOMPARE(answer.readAll(), QByteArray("ok\r"));
        recorder.terminate();
        recorder.waitForFinished();
        QVERIFY(prompts.Messages.isEmpty());
    }

    void sendFieldWithPrefixAndPostfixGoesOnTheWire()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmMainWindow window(kPort);
        window.show();
        WithoutPostfix(window);
        window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        QVERIFY(window.Com()->Opened());
        const QString out = FPair->Path(QStringLiteral("wire.bin"));
        QProcess recorder;
        StartRecorder(recorder, out);
        QTest::qWait(200);

        window.findChild<QToolButton*>(QStringLiteral("bEcho"))->setChecked(true);
        window.findChild<QComboBox*>(QStringLiteral("cbPrefix"))->setEditText(QStringLiteral("AT"));
        window.findChild<QComboBox*>(QStringLiteral("cbPostfix"))->setEditText(QStringLiteral("/cr//lf/"));
        window.findChild<QLineEdit*>(QStringLiteral("edSend"))->setText(QStringLiteral("I"));
        window.findChild<QAction*>(QStringLiteral("acSend"))->trigger();

        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(out).size(), qint64(5), 10000);
        QFile wire(out);
        QVERIFY(wire.open(QIODevice::ReadOnly));
        QCOMPARE(wire.readAll(), QByteArray("ATI\r\n"));
        QCOMPARE(window.TokenList()->CurrentToken()->Content(), QStringLiteral("ATI/cr//lf/"));
        QCOMPARE(window.findChild<TReceiveView*>(QStringLiteral("memReceive"))->Text(),
                 QStringLiteral("Gesendet: ATI/cr//lf/\r\n"));
        QCOMPARE(window.findChild<QComboBox*>(QStringLiteral("cbPrefix"))->itemText(0), QStringLiteral("AT"));
        recorder.terminate();
        recorder.waitForFinished();
    }

    void vanishingDeviceClosesThePortOnceAndCanBeSwitchedOnAgain()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmMainWindow window(kPort);
        window.show();
        WithoutPostfix(window);
        QAction* on = window.findChild<QAction*>(QStringLiteral("acComOn"));
        on->trigger();
        QVERIFY(window.Com()->Opened());

        FPair->Stop(); // the device disappears, as with a USB unplug
        QTRY_VERIFY_WITH_TIMEOUT(!window.Com()->Opened(), 10000);
        QTest::qWait(300);
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Kommunikationsfehler")});
        QVERIFY(window.windowTitle().endsWith(QStringLiteral("Not Open]")));

        // The device comes back under the same name.
        FPair = std::make_unique<TPtyPair>();
        QString why;
        QVERIFY2(FPair->Start(&why), qPrintable(why));
        TPortRegistry::Instance().Bind(kPort, FPair->ProgramEnd());
        on->trigger();
        QVERIFY(window.Com()->Opened());
        SendFromPeer("wieder da");
        auto* view = window.findChild<TReceiveView*>(QStringLiteral("memReceive"));
        QTRY_VERIFY_WITH_TIMEOUT(view->Text().endsWith(QStringLiteral("wieder da")), 10000);
        QCOMPARE(prompts.Messages.size(), 1);
    }

    void aScriptSendingWhenTheDeviceVanishesEndsAndTheWindowGoesOn()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("send.pas"));
        QFile source(script);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write("var i: Integer;\r\nbegin\r\n  writeln('los');\r\n"
                     "  for i := 1 to 100 do begin Send('x'); Sleep(20); end;\r\n"
                     "  writeln('fertig');\r\nend.\r\n");
        source.close();
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetSendScriptFileName(script);
        TfrmMainWindow window(kPort);
        window.show();
        WithoutPostfix(window);
        window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        QVERIFY(window.Com()->Opened());
        // The device goes the moment the script starts sending.
        auto* messages = window.findChild<QPlainTextEdit*>(QStringLiteral("edCompilerMsg"));
        connect(messages, &QPlainTextEdit::textChanged, this, [&] {
            if (messages->toPlainText().contains(QStringLiteral("los")) && FPair)
                FPair->Stop();
        });
        window.SendStringToCom(QStringLiteral("go"), QStringLiteral("Direkt"), true);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Com()->Opened(), 10000);
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Kommunikationsfehler")});
        QVERIFY2(messages->toPlainText().endsWith(QStringLiteral("fertig")),
                 qPrintable(messages->toPlainText()));
        // The window goes on: the loopback works at once.
        window.Com()->SetPort(0);
        window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        QVERIFY(window.Com()->Opened());
    }

    void aViewSavedAsTheDeviceVanishesIsSavedWholeAndKept()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmMainWindow window(kPort);
        window.show();
        window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        QByteArray data;
        for (int i = 0; data.size() < (2 << 20); ++i)
            data += "Messwert " + QByteArray::number(i) + " = " + QByteArray::number(i * 7 % 1000) + "\r\n";
        data += "ENDE";
        // More than the pty holds: the peer writes while the window reads.
        const QString source = FPair->Path(QStringLiteral("viel.bin"));
        QFile out(source);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(data);
        out.close();
        QProcess peer;
        peer.start(QStringLiteral("socat"),
                   {QStringLiteral("-u"), QStringLiteral("OPEN:%1").arg(source),
                    QStringLiteral("OPEN:%1,raw,echo=0").arg(FPair->PeerEnd())});
        QVERIFY(peer.waitForStarted());
        auto* view = window.findChild<TReceiveView*>(QStringLiteral("memReceive"));
        QTRY_VERIFY_WITH_TIMEOUT(view->Text().endsWith(QStringLiteral("ENDE")), 20000);
        const QString shown = view->Text();
        QTRY_VERIFY_WITH_TIMEOUT(peer.state() == QProcess::NotRunning, 10000);

        FPair->Stop(); // gone while the save runs; the poll only notices afterwards
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("empfang.txt"));
        window.SaveReceiveToFile(file);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), shown.toLatin1());
        QTRY_VERIFY_WITH_TIMEOUT(!window.Com()->Opened(), 10000);
        QCOMPARE(prompts.Messages, QStringList{QStringLiteral("Kommunikationsfehler")});
        QCOMPARE(view->Text(), shown);
    }
};

QTEST_MAIN(TstPtyEndToEnd)
#include "tst_PtyEndToEnd.moc"
