// Scripts in the main window: the send script, its Send, the modem lines on the loopback, the
// receive script in "Trigger" mode, and what the message area shows.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "scripting/Crc.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TstScriptHost : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FDir;
    std::shared_ptr<TFakeDeviceState> FState;

    QString Script(const QString& aName, const QByteArray& aSource)
    {
        const QString path = FDir.filePath(aName);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the script");
        file.write(aSource);
        return path;
    }

    std::unique_ptr<TfrmMainWindow> Window(int aPort)
    {
        auto window = std::make_unique<TfrmMainWindow>(aPort);
        window->show();
        WithoutPostfix(*window);
        window->findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        return window;
    }

    void UseFakePort() { FState = InstallFakePorts(); }

    static QString Messages(TfrmMainWindow& aWindow)
    {
        return aWindow.findChild<QPlainTextEdit*>(QStringLiteral("edCompilerMsg"))->toPlainText();
    }

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void sendScriptRewritesAndItsSendSkipsTheScript()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        UseFakePort();
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetSendScriptFileName(Script(QStringLiteral("send.pas"),
                                                       "// appends a slash and the sum byte\r\n"
                                                       "begin\r\n"
                                                       "  if Text = 'go' then Send('side/13/');\r\n"
                                                       "  Text := Text + '/' + Chr(Length(Text));\r\n"
                                                       "  writeln('done');\r\n"
                                                       "end.\r\n"));
        auto window = Window(7);
        window->SendStringToCom(QStringLiteral("go"), QStringLiteral("Direkt"), true);
        // The script's own Send goes first, through the send path but without the script;
        // the script's result is written as it left it.
        QCOMPARE(FState->Written, QByteArray("side\r") + QByteArray("go/\x02", 4));
        QVERIFY(Messages(*window).contains(QStringLiteral("Kompilierung erfolgreich")));
        QVERIFY(Messages(*window).endsWith(QStringLiteral("done")));

        // A syntax error: the compiler's lines only, and the text goes out as handed in.
        VarnexSettings()->SetSendScriptFileName(
            Script(QStringLiteral("broken.pas"), "begin\r\n  Text := ;\r\nend.\r\n"));
        FState->Written.clear();
        window->SendStringToCom(QStringLiteral("a/13/"), QStringLiteral("Direkt"), true);
        QCOMPARE(FState->Written, QByteArray("a\r"));
        QVERIFY(Messages(*window).startsWith(QStringLiteral("[Error] (2:")));
        QVERIFY(!Messages(*window).contains(QStringLiteral("Kompilierung erfolgreich")));

        // The master switch off: no script at all.
        VarnexSettings()->SetUseScript(false);
        window.reset();
        window = Window(7);
        FState->Written.clear();
        window->SendStringToCom(QStringLiteral("x"), QStringLiteral("Direkt"), true);
        QCOMPARE(FState->Written, QByteArray("x"));
    }

    void modemLinesFromAScriptOnTheLoopback()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetUseScript(true);
        VarnexSettings()->SetSendScriptFileName(
            Script(QStringLiteral("lines.pas"),
                   "begin\r\n"
                   "  SetRTS(true);\r\n"
                   "  if GetCTS then Text := 'cts on' else Text := 'cts off';\r\n"
                   "end.\r\n"));
        auto window = Window(0); // the loopback: RTS is wired to CTS
        window->SendStringToCom(QString(), QStringLiteral("Direkt"), true);
        QVERIFY(window->Com()->RTS());
        QVERIFY(window->findChild<QToolButton*>(QStringLiteral("bRTS"))->isChecked());
        window->timerPollEventTimer();
        QVERIFY(window->findChild<TReceiveView*>(QStringLiteral("memReceive"))
                    ->Text()
                    .endsWith(QStringLiteral("cts on")));
    }

    void receiveScriptInTriggerModeReplacesTheView()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        UseFakePort();
        TVarnexSettings* s = VarnexSettings();
        s->SetUseScript(true);
        s->SetUseReceiveScript(true);
        s->SetReceiveTriggerType(1);
        s->SetReceiveScriptFileName(
            Script(QStringLiteral("receive.pas"),
                   "begin Text := '[' + IntToHex(CRC16(0, Text), 4) + ']'; end.\r\n"));
        auto window = Window(7);
        window->findChild<QToolButton*>(QStringLiteral("bExecuteCrlf"))->setChecked(false);
        FState->Incoming = "abc";
        window->timerPollEventTimer();
        FState->Incoming = "\r\n";
        window->timerPollEventTimer();
        // The script saw the raw token "abc" CR LF; its text takes the whole token's place.
        const QString crc =
            QStringLiteral("%1").arg(Crc16(0, QByteArray("abc\r\n")), 4, 16, QLatin1Char('0')).toUpper();
        QCOMPARE(window->findChild<TReceiveView*>(QStringLiteral("memReceive"))->Text(),
                 QStringLiteral("[%1]").arg(crc));
    }
};

QTEST_MAIN(TstScriptHost)
#include "tst_ScriptHost.moc"
