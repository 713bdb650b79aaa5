// Receive path: a peer process writes N MB of random bytes into a pty as fast as it takes
// them; the running main window (offscreen) has the other end open. Reports the rate until
// the last byte is in the view, CPU seconds per MB and peak memory per received MB.
//   bench_receive [text|hex] [MB]
#include "notation/StringDecoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QToolButton>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

qint64 StatusKb(const char* aField)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(aField))
            return line.mid(qstrlen(aField)).trimmed().split(' ').first().toLongLong();
    return 0;
}

// The peer: waits for the go byte on aGo, writes aData into the pty master, then keeps the
// master open until the parent ends it (closing it would hang up the line).
[[noreturn]] void RunPeer(int aMaster, int aGo, const QByteArray& aData)
{
    char go = 0;
    if (::read(aGo, &go, 1) != 1)
        _exit(1);
    qint64 done = 0;
    while (done < aData.size()) {
        const ssize_t n = ::write(aMaster, aData.constData() + done,
                                  size_t(qMin<qint64>(aData.size() - done, 1 << 16)));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            _exit(2);
        }
        done += n;
    }
    for (;;)
        pause();
}

} // namespace

int main(int argc, char* argv[])
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray("text");
    const qint64 megabytes = argc > 2 ? QByteArray(argv[2]).toLongLong() : 50;
    const qint64 total = megabytes * 1000 * 1000;

    QByteArray data(total, Qt::Uninitialized);
    QRandomGenerator random(4711);
    random.fillRange(reinterpret_cast<quint32*>(data.data()), total / 4);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pty");
        return 1;
    }
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    int go[2];
    if (pipe(go) != 0)
        return 1;
    const pid_t peer = fork();
    if (peer == 0) {
        ::close(go[1]);
        RunPeer(master, go[0], data);
    }
    ::close(go[0]);

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TPortRegistry::Instance().Bind(100, slave);
    TfrmMainWindow window(100);
    window.resize(1200, 800);
    window.show();
    // Text display without executed line breaks keeps every character countable.
    window.findChild<QToolButton*>(QStringLiteral("bExecuteCrlf"))->setChecked(false);
    if (mode == "hex")
        window.findChild<QCheckBox*>(QStringLiteral("cbDump"))->setChecked(true);
    window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
    if (!window.Com()->Opened()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slave));
        kill(peer, SIGKILL);
        return 1;
    }
    auto* view = window.findChild<TReceiveView*>(QStringLiteral("memReceive"));

    TStringDecoder decoder;
    decoder.SetOptions(window.GetDisplayOptions());
    qint64 expected = 0;
    for (qint64 at = 0; at < total; at += 1 << 20)
        expected += decoder.DecodeStringSymbol(QString::fromLatin1(data.mid(at, 1 << 20))).size();
    data = QByteArray(); // the peer has its own copy

    app.processEvents();
    // Start the peak-memory count afresh: the set-up above held the data twice.
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    const qint64 baseKb = StatusKb("VmRSS:");
    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    if (::write(go[1], "g", 1) != 1)
        return 1;
    while (view->CharacterCount() < expected && clock.elapsed() < 600000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 100);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    const qint64 peakKb = StatusKb("VmHWM:");
    kill(peer, SIGKILL);
    waitpid(peer, nullptr, 0);
    if (view->CharacterCount() != expected) {
        std::fprintf(stderr, "incomplete: %lld of %lld characters in the view\n",
                     static_cast<long long>(view->CharacterCount()),
                     static_cast<long long>(expected));
        return 1;
    }
    const double mb = total / 1e6;
    std::printf("receive_%s_rate: %.1f MB/s\n", mode.constData(), mb / seconds);
    std::printf("receive_%s_cpu: %.3f s/MB\n", mode.constData(), cpu / mb);
    std::printf("receive_%s_memory: %.2f bytes/byte\n", mode.constData(),
                double(peakKb - baseKb) * 1024 / total);
    std::printf("receive_%s_view: %.1f MB in the view\n", mode.constData(), expected / 1e6);
    return 0;
}
