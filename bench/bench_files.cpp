// Files going out and history files: prints "name: value unit" lines.
//
//   files_send_*    MB (default 50) sent through a pty whose far end a thread reads as fast as
//                   it can, by `cat FILE > PTY` and by the file sender, in the same run: both
//                   rates, their ratio and the sender's peak memory growth
//   history_*       a receive view holding MB of text written into a history file: time until
//                   the file is complete and the longest stall of the event loop meanwhile
//
// VARNEX_BENCH_MB replaces the default size.
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/FileSender.h"
#include "terminal/HistoryRecorder.h"
#include "terminal/ReceiveView.h"
#include "terminal/TerminalSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

qint64 BenchBytes()
{
    bool ok = false;
    const qint64 mb = qEnvironmentVariable("VARNEX_BENCH_MB").toLongLong(&ok);
    return (ok && mb > 0 ? mb : 50) * 1000 * 1000;
}

// Resident memory of this process in bytes.
qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

// Reads the pty's master end on a thread of its own until aBytes have come.
class TDrain
{
public:
    TDrain(int aMaster, qint64 aBytes)
        : FThread([this, aMaster, aBytes] {
            char buffer[1 << 16];
            qint64 got = 0;
            while (got < aBytes) {
                const ssize_t n = ::read(aMaster, buffer, sizeof buffer);
                if (n > 0)
                    got += n;
                else if (n < 0 && errno != EINTR && errno != EAGAIN)
                    break;
            }
            FDone = true;
        })
    {
    }
    ~TDrain() { FThread.join(); }
    bool Done() const { return FDone; }

private:
    std::atomic<bool> FDone{false};
    std::thread FThread;
};

void RunUntil(const std::function<bool()>& aDone)
{
    while (!aDone())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Print(const char* aName, double aValue, const char* aUnit)
{
    std::printf("%s: %.3g %s\n", aName, aValue, aUnit);
    std::fflush(stdout);
}

void SendFiles(const QString& aFile, qint64 aBytes)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pty");
        return;
    }
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    // Raw both ways, held by an open descriptor, so cat's bytes arrive as they are.
    const int hold = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(hold, &tio);
    cfmakeraw(&tio);
    tcsetattr(hold, TCSANOW, &tio);

    double catSeconds = 0;
    {
        TDrain drain(master, aBytes);
        QElapsedTimer clock;
        clock.start();
        QProcess cat;
        cat.setStandardOutputFile(slave, QIODevice::Append);
        cat.start(QStringLiteral("cat"), {aFile});
        cat.waitForFinished(-1);
        RunUntil([&] { return drain.Done(); });
        catSeconds = clock.nsecsElapsed() / 1e9;
    }

    TTerminalSession session;
    const int port = TPortRegistry::Instance().Bind(slave);
    session.Com()->SetPort(port);
    session.Com()->SetBaud(115200);
    if (!session.Com()->Open()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(slave));
        return;
    }
    TFileSender sender(session);
    const qint64 before = ResidentBytes();
    qint64 peak = before;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&] { peak = qMax(peak, ResidentBytes()); });
    sample.start(20);
    double sendSeconds = 0;
    {
        TDrain drain(master, aBytes);
        QElapsedTimer clock;
        clock.start();
        sender.Start(aFile);
        RunUntil([&] { return !sender.IsSending() && drain.Done(); });
        sendSeconds = clock.nsecsElapsed() / 1e9;
    }
    peak = qMax(peak, ResidentBytes());
    Print("files_send_rate", aBytes / 1e6 / sendSeconds, "MB/s");
    Print("files_send_cat_rate", aBytes / 1e6 / catSeconds, "MB/s");
    Print("files_send_ratio", 100.0 * catSeconds / sendSeconds, "% of cat");
    Print("files_send_memory_growth", (peak - before) / 1e6, "MB");
    session.Com()->Close();
    ::close(hold);
    ::close(master);
}

void WriteHistory(qint64 aBytes, const QTemporaryDir& aDir)
{
    TReceiveView view;
    view.resize(1000, 600);
    view.show();
    QString line = QStringLiteral("Messwert 0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKL\r\n");
    for (qint64 shown = 0; shown < aBytes; shown += line.size())
        view.AppendText(line);
    TTerminalSession session;
    session.SetView(&view);
    VarnexSettings()->SetHistoryDir(aDir.filePath(QStringLiteral("History")));
    THistoryRecorder recorder(session);

    qint64 longestStallNs = 0;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longestStallNs = qMax(longestStallNs, sinceTick.nsecsElapsed());
        sinceTick.start();
    });
    bool written = false;
    QObject::connect(&recorder, &THistoryRecorder::Written, [&] { written = true; });
    probe.start(1);
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    recorder.Write();
    // The window goes on meanwhile: data keeps arriving.
    QTimer arriving;
    QObject::connect(&arriving, &QTimer::timeout, [&] { view.AppendText(line); });
    arriving.start(5);
    RunUntil([&] { return written; });
    const double seconds = clock.nsecsElapsed() / 1e9;
    longestStallNs = qMax(longestStallNs, sinceTick.nsecsElapsed());
    Print("history_write_seconds", seconds, "s");
    Print("history_longest_stall", longestStallNs / 1e6, "ms");
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir dir;
    qputenv("VARNEX_SETTINGS", dir.filePath(QStringLiteral("Varnex Settings.xml")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 bytes = BenchBytes();

    const QString file = dir.filePath(QStringLiteral("send.bin"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return 1;
        QRandomGenerator random(7);
        QByteArray block(1 << 20, '\0');
        for (qint64 written = 0; written < bytes; written += block.size()) {
            random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            out.write(block.constData(), qMin<qint64>(block.size(), bytes - written));
        }
    }
    SendFiles(file, bytes);
    WriteHistory(bytes, dir);
    return 0;
}
