// The receive path, one scenario per process run. A peer process writes random bytes into a
// pty master; the main window (offscreen) has the slave end open as port 100 and polls it
// with its own 50 ms timer, as in real use. Every figure is printed as "name: value unit".
//
//   bench_receive burst text|hex [MB]  MB (default 50) as fast as the pty takes them: rate
//                                      until the last character is in the view, CPU seconds
//                                      per MB, peak memory growth per received byte
//   bench_receive burst lines|stamped [MB]  the same with text lines (20 to 80 characters,
//                                      CR LF executed), without and with time stamps
//   bench_receive sustained [seconds]  1.2 MB/s of text for 60 s: CPU share of one core,
//                                      longest poll tick and longest event-loop stall, and
//                                      what the stall probe itself costs
//   bench_receive rebuild [MB]         MB of text received, then the switch to the hex dump:
//                                      time until the rebuild is done, longest stall meanwhile
//   bench_receive drain text|hex [MB]  MB (default 20) of 64-byte lines into a real window
//                                      (Xvfb of its own without a display, 1040x680) and into
//                                      cat on a pty filled by the same feeder (the middle of three
//                                      runs): both rates, their ratio, the time from the last byte
//                                      to idle
//   bench_receive sustained-window [seconds]  the same into a real window (Xvfb, 1040x680)
//   bench_receive flood [seconds]      40 MB/s offered into a real window for 10 s: the rate
//                                      taken, all arrived or not, the longest stall
//   bench_receive endless [seconds]    1.2 MB/s shown as hex dump (one paragraph) for 60 s:
//                                      longest tick and stall, then the re-wrap after a resize
//
// VARNEX_BENCH_MB and VARNEX_BENCH_SECONDS replace the default size and duration.
#include "StallProbe.h"
#include "base/Allocator.h"
#include "notation/StringDecoder.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <cerrno>
#include <spawn.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The paced peer: 12,000 bytes every 10 ms is 1.2 MB/s (MB = 10^6 bytes throughout).
constexpr qint64 kPacedChunkBytes = 12000;
constexpr qint64 kPacedPeriodNs = 10'000'000;
constexpr double kPacedBytesPerSecond = kPacedChunkBytes * 1e9 / kPacedPeriodNs;
// How long the sustained run measures the stall probe's own CPU use, with and without it.
constexpr qint64 kCalibrationMs = 3000;

// ---------------------------------------------------------------------------------------
// Measuring

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

// Makes the peak resident size (VmHWM) start again from the current one.
void ResetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

qint64 EnvNumber(const char* aName, qint64 aDefault)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(aName).toLongLong(&ok);
    return ok && value > 0 ? value : aDefault;
}

// The n-th command-line argument as a positive number, else aDefault.
qint64 ArgNumber(int argc, char* argv[], int aIndex, qint64 aDefault)
{
    if (aIndex >= argc)
        return aDefault;
    bool ok = false;
    const qint64 value = QByteArray(argv[aIndex]).toLongLong(&ok);
    return ok && value > 0 ? value : aDefault;
}

// How long each run of the window's poll timer takes. The timer's QTimerEvent passes this
// event filter before QTimer turns it into timeout(), so the filter stamps the start; the
// window connected its poll slot when it made the timer, and slots of one signal run in the
// order they were connected, so a slot connected here runs right after the poll and stamps
// the end. Nothing of the window is disconnected or called in its place.
class TTickProbe : public QObject
{
public:
    explicit TTickProbe(QTimer* aPollTimer)
    {
        aPollTimer->installEventFilter(this);
        connect(aPollTimer, &QTimer::timeout, this, [this] {
            if (FStartNs < 0)
                return;
            FWorstNs = qMax(FWorstNs, FClock.nsecsElapsed() - FStartNs);
            FStartNs = -1;
        });
        FClock.start();
    }
    void Reset() { FWorstNs = 0; }
    double WorstMs() const { return FWorstNs / 1e6; }

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() == QEvent::Timer)
            FStartNs = FClock.nsecsElapsed();
        return QObject::eventFilter(aWatched, aEvent);
    }

private:
    QElapsedTimer FClock;
    qint64 FStartNs = -1;
    qint64 FWorstNs = 0;
};

// ---------------------------------------------------------------------------------------
// The peer

// How the peer writes: everything at once (ChunkBytes 0), or ChunkBytes every PeriodNs.
struct TPace
{
    qint64 ChunkBytes = 0;
    qint64 PeriodNs = 0;
};

// Printable lines of 20 to 80 characters, each ending in CR LF.
QByteArray RandomLines(qint64 aCount, qint64* aLines)
{
    QByteArray data;
    data.reserve(aCount + 100);
    QRandomGenerator random(4711);
    *aLines = 0;
    while (data.size() < aCount) {
        const int length = random.bounded(20, 81);
        for (int i = 0; i < length; ++i)
            data.append(char(random.bounded(32, 127)));
        data.append("\r\n");
        ++*aLines;
    }
    return data;
}

QByteArray RandomBytes(qint64 aCount)
{
    QByteArray data(aCount, '\0');
    QRandomGenerator random(4711);
    random.fillRange(reinterpret_cast<quint32*>(data.data()), aCount / 4);
    return data;
}

void WriteAll(int aFd, const char* aData, qint64 aCount)
{
    while (aCount > 0) {
        const ssize_t n = ::write(aFd, aData, size_t(qMin<qint64>(aCount, 1 << 16)));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            _exit(2);
        }
        aData += n;
        aCount -= n;
    }
}

// Waits for the go byte on aGo, writes aData into the pty master, then keeps the master
// open until the parent ends it (closing it would hang up the line). A paced peer sleeps to
// absolute deadlines on the monotonic clock, so late wake-ups do not add up: a step that
// finds itself late is written at once.
[[noreturn]] void RunPeer(int aMaster, int aGo, const QByteArray& aData, TPace aPace, int aDone = -1)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    char go = 0;
    if (::read(aGo, &go, 1) != 1)
        _exit(1);
    timespec due{};
    clock_gettime(CLOCK_MONOTONIC, &due);
    const qint64 step = aPace.ChunkBytes > 0 ? aPace.ChunkBytes : aData.size();
    for (qint64 done = 0; done < aData.size(); done += step) {
        WriteAll(aMaster, aData.constData() + done, qMin(step, aData.size() - done));
        if (aPace.ChunkBytes <= 0)
            continue;
        due.tv_nsec += long(aPace.PeriodNs);
        due.tv_sec += due.tv_nsec / 1'000'000'000;
        due.tv_nsec %= 1'000'000'000;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
    }
    // the last byte is in the pty: the reader's time to catch up runs from here (the monotonic
    // clock is the one both processes share)
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const qint64 doneNs = qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    if (aDone >= 0 && ::write(aDone, &doneNs, sizeof doneNs) != sizeof doneNs)
        _exit(3);
    for (;;)
        pause();
}

// ---------------------------------------------------------------------------------------
// One run: the pty, the peer, a settings file of its own, the application and the window
// with the port open.

class TSession
{
public:
    // aData goes to the peer; the session keeps only the number of display characters it
    // makes in text and in hex dump display.
    TSession(int& argc, char* argv[], QByteArray aData, TPace aPace, bool aHexDump, bool aLines = false,
             bool aStamped = false, QSize aWindowSize = QSize(1200, 800))
        : FBytes(aData.size())
    {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            std::perror("pty");
            return;
        }
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        int go[2];
        int done[2];
        if (pipe(go) != 0 || pipe(done) != 0)
            return;
        std::fflush(nullptr);
        // Forked before the application exists, so the child copies no threads or windows.
        FPeer = fork();
        if (FPeer == 0) {
            ::close(go[1]);
            ::close(done[0]);
            RunPeer(master, go[0], aData, aPace, done[1]);
        }
        ::close(go[0]);
        ::close(done[1]);
        FDone = done[0];
        FMaster = master;
        FGo = go[1];
        if (FPeer < 0)
            return;

        qputenv("VARNEX_SETTINGS",
                FSettingsDir.filePath(QStringLiteral("Varnex Settings.xml")).toLocal8Bit());
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        FApp = std::make_unique<QApplication>(argc, argv);
        TPortRegistry::Instance().Bind(100, slave);
        FWindow = std::make_unique<TfrmMainWindow>(100);
        FWindow->resize(aWindowSize);
        FWindow->show();
        // Text display without executed line breaks keeps every character countable.
        FWindow->findChild<QToolButton*>(QStringLiteral("bExecuteCrlf"))->setChecked(aLines);
        FWindow->findChild<QToolButton*>(QStringLiteral("bTimestamps"))->setChecked(aStamped);
        if (aHexDump)
            FWindow->findChild<QCheckBox*>(QStringLiteral("cbDump"))->click();
        FWindow->findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
        if (!FWindow->Com()->Opened()) {
            std::fprintf(stderr, "cannot open %s\n", qPrintable(slave));
            return;
        }
        FView = FWindow->findChild<TReceiveView*>(QStringLiteral("memReceive"));
        FPollTimer = FWindow->findChild<QTimer*>(QStringLiteral("timerPollEvent"));
        if (!FView || !FPollTimer) {
            std::fprintf(stderr, "the window lacks memReceive or timerPollEvent\n");
            return;
        }

        TTermComOptions text = FWindow->GetDisplayOptions();
        text.Exclude(coHexDump);
        TTermComOptions hex = text;
        hex.Include(coHexDump);
        FTextCharacters = DisplayCharacters(aData, text);
        FHexCharacters = DisplayCharacters(aData, hex);
        aData = QByteArray(); // the peer has its own copy
        FApp->processEvents();
        FOk = true;
    }

    ~TSession()
    {
        StopPeer();
        if (FGo >= 0)
            ::close(FGo);
        if (FDone >= 0)
            ::close(FDone);
        FWindow.reset();
        if (FMaster >= 0)
            ::close(FMaster);
        // Written into the temporary directory, which goes away after.
        TVarnexSettings::ReleaseInstance();
    }

    bool Ok() const { return FOk; }
    QApplication& App() const { return *FApp; }
    TfrmMainWindow& Window() const { return *FWindow; }
    TReceiveView& View() const { return *FView; }
    QTimer* PollTimer() const { return FPollTimer; }
    qint64 Bytes() const { return FBytes; }
    double Megabytes() const { return FBytes / 1e6; }
    qint64 TextCharacters() const { return FTextCharacters; }
    qint64 HexCharacters() const { return FHexCharacters; }
    // Resident size when Go() started and the peak since, in kB.
    qint64 BaseKb() const { return FBaseKb; }
    static qint64 PeakKb() { return StatusKb("VmHWM:"); }
    // Since the peer wrote its last byte (waits for it to say so).
    double SecondsSincePeerDone() const
    {
        qint64 doneNs = 0;
        if (::read(FDone, &doneNs, sizeof doneNs) != sizeof doneNs)
            return -1;
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return (qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec - doneNs) / 1e9;
    }

    // Starts the peak-memory count afresh (the set-up held the data twice) and lets the
    // peer write.
    bool Go()
    {
        FApp->processEvents();
        ResetPeakMemory();
        FBaseKb = StatusKb("VmRSS:");
        return ::write(FGo, "g", 1) == 1;
    }

    // Runs the event loop until aDone holds, at most aTimeoutMs; false on timeout. The loop
    // sleeps between events as in real use (processEvents with a time limit would drop
    // WaitForMoreEvents and spin); the window's poll timer and a 100 ms one wake it.
    bool RunUntil(const std::function<bool()>& aDone, qint64 aTimeoutMs) const
    {
        QElapsedTimer clock;
        clock.start();
        QTimer wake;
        wake.start(100);
        while (!aDone()) {
            if (clock.elapsed() > aTimeoutMs)
                return false;
            FApp->processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }

    // Runs until the view holds aLines lines; complains on stderr when it does not.
    bool ReceiveLines(qsizetype aLines, qint64 aTimeoutMs) const
    {
        if (RunUntil([&] { return FView->LineCount() >= aLines; }, aTimeoutMs) && FView->LineCount() == aLines)
            return true;
        std::fprintf(stderr, "incomplete: %lld of %lld lines in the view\n", static_cast<long long>(FView->LineCount()),
                     static_cast<long long>(aLines));
        return false;
    }

    // Runs until the view holds aCharacters; complains on stderr when it does not.
    bool ReceiveAll(qint64 aCharacters, qint64 aTimeoutMs) const
    {
        if (RunUntil([&] { return FView->CharacterCount() >= aCharacters; }, aTimeoutMs)
            && FView->CharacterCount() == aCharacters)
            return true;
        std::fprintf(stderr, "incomplete: %lld of %lld characters in the view\n",
                     static_cast<long long>(FView->CharacterCount()), static_cast<long long>(aCharacters));
        return false;
    }

    // The share of one core the process uses while the event loop runs aMs with nothing
    // arriving.
    double IdleCpuShare(qint64 aMs) const
    {
        const double cpu0 = CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        RunUntil([&] { return clock.elapsed() >= aMs; }, aMs + 1000);
        return (CpuSeconds() - cpu0) / (clock.nsecsElapsed() / 1e9);
    }

    void StopPeer()
    {
        if (FPeer > 0) {
            kill(FPeer, SIGKILL);
            waitpid(FPeer, nullptr, 0);
            FPeer = -1;
        }
    }

private:
    static qint64 DisplayCharacters(const QByteArray& aData, TTermComOptions aOptions)
    {
        TStringDecoder decoder;
        decoder.SetOptions(aOptions);
        qint64 count = 0;
        for (qint64 at = 0; at < aData.size(); at += 1 << 20)
            count += decoder.DecodeStringSymbol(QString::fromLatin1(aData.mid(at, 1 << 20))).size();
        return count;
    }

    QTemporaryDir FSettingsDir;
    qint64 FBytes = 0;
    pid_t FPeer = -1;
    int FMaster = -1;
    int FGo = -1;
    int FDone = -1;
    std::unique_ptr<QApplication> FApp;
    std::unique_ptr<TfrmMainWindow> FWindow;
    TReceiveView* FView = nullptr;
    QTimer* FPollTimer = nullptr;
    qint64 FTextCharacters = 0;
    qint64 FHexCharacters = 0;
    qint64 FBaseKb = 0;
    bool FOk = false;
};

qint64 BenchBytes(int argc, char* argv[], int aIndex)
{
    return ArgNumber(argc, argv, aIndex, EnvNumber("VARNEX_BENCH_MB", 50)) * 1000 * 1000;
}

qint64 PacedBytes(int argc, char* argv[], int aIndex)
{
    const qint64 seconds = ArgNumber(argc, argv, aIndex, EnvNumber("VARNEX_BENCH_SECONDS", 60));
    return qint64(seconds * kPacedBytesPerSecond);
}

// Warns when the data took clearly longer than the pace allows: the figures then describe a
// slower line than intended.
void CheckPace(qint64 aBytes, double aSeconds)
{
    const double planned = aBytes / kPacedBytesPerSecond;
    if (aSeconds > planned + 1.0)
        std::fprintf(stderr, "warning: %.0f MB took %.1f s instead of %.1f s\n", aBytes / 1e6, aSeconds,
                     planned);
}

// ---------------------------------------------------------------------------------------
// Scenarios

int Burst(int argc, char* argv[])
{
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray("text");
    if (mode != "text" && mode != "hex" && mode != "lines" && mode != "stamped") {
        std::fprintf(stderr, "burst: mode is text, hex, lines or stamped\n");
        return 2;
    }
    const bool hex = mode == "hex";
    const bool lines = mode == "lines" || mode == "stamped";
    qint64 lineCount = 0;
    TSession session(argc, argv,
                     lines ? RandomLines(BenchBytes(argc, argv, 3), &lineCount)
                           : RandomBytes(BenchBytes(argc, argv, 3)),
                     {}, hex, lines, mode == "stamped");
    if (!session.Ok())
        return 1;
    const qint64 expected = hex ? session.HexCharacters() : session.TextCharacters();

    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    // text lines end in CR LF: the view has one (empty) line more once all are in
    if (!session.Go()
        || !(lines ? session.ReceiveLines(lineCount + 1, 600000) : session.ReceiveAll(expected, 600000)))
        return 1;
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    const qint64 peakKb = session.PeakKb();

    const char* m = mode.constData();
    std::printf("receive_burst_%s_rate: %.1f MB/s\n", m, session.Megabytes() / seconds);
    std::printf("receive_burst_%s_cpu: %.4f s/MB\n", m, cpu / session.Megabytes());
    std::printf("receive_burst_%s_memory: %.2f bytes/byte\n", m,
                double(peakKb - session.BaseKb()) * 1024 / session.Bytes());
    std::printf("receive_burst_%s_view: %.1f MB\n", m, (lines ? session.View().CharacterCount() : expected) / 1e6);
    std::fflush(stdout);
    return 0;
}

// 64-byte text lines (62 printable characters and CR LF), as a logging device sends them.
QByteArray FixedLines(qint64 aCount)
{
    QByteArray data;
    data.reserve(aCount + 64);
    QRandomGenerator random(4711);
    while (data.size() < aCount) {
        for (int i = 0; i < 62; ++i)
            data.append(char(random.bounded(32, 127)));
        data.append("\r\n");
    }
    return data;
}

// A display for the real-window scenarios: the one there is, else an Xvfb of our own that
// ends with the process.
class TDisplay
{
public:
    TDisplay()
    {
        if (!qEnvironmentVariableIsEmpty("DISPLAY"))
            return;
        const QByteArray display = ":" + QByteArray::number(90 + getpid() % 9);
        std::string name = display.toStdString();
        char xvfb[] = "Xvfb";
        char screen[] = "-screen";
        char zero[] = "0";
        char size[] = "1280x800x24";
        char nolisten[] = "-nolisten";
        char tcp[] = "tcp";
        char* args[] = {xvfb, name.data(), screen, zero, size, nolisten, tcp, nullptr};
        if (posix_spawnp(&FXvfb, "Xvfb", nullptr, nullptr, args, environ) != 0) {
            std::fprintf(stderr, "cannot start Xvfb (apt install xvfb)\n");
            FXvfb = 0;
            return;
        }
        const QString socket = QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(display.mid(1));
        for (int i = 0; i < 500 && !QFile::exists(socket); ++i)
            usleep(10000);
        qputenv("DISPLAY", display);
    }
    ~TDisplay()
    {
        if (FXvfb > 0) {
            kill(FXvfb, SIGTERM);
            waitpid(FXvfb, nullptr, 0);
        }
    }

private:
    pid_t FXvfb = 0;
};

// What cat drains from a pty the same feeder fills: seconds from the go until the feeder is
// through and the pty's input queue is empty. The same figure the program has to reach.
double CatDrainSeconds(const QByteArray& aData)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return -1;
    const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    termios raw{};
    if (slave < 0 || tcgetattr(slave, &raw) != 0)
        return -1;
    cfmakeraw(&raw);
    tcsetattr(slave, TCSANOW, &raw);
    int go[2];
    int done[2];
    if (pipe(go) != 0 || pipe(done) != 0)
        return -1;
    std::fflush(nullptr);
    const pid_t feeder = fork();
    if (feeder == 0) {
        ::close(go[1]);
        ::close(done[0]);
        RunPeer(master, go[0], aData, {}, done[1]);
    }
    ::close(go[0]);
    ::close(done[1]);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, slave, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    char cat[] = "cat";
    char* args[] = {cat, nullptr};
    pid_t reader = 0;
    if (posix_spawnp(&reader, "cat", &files, nullptr, args, environ) != 0)
        return -1;
    posix_spawn_file_actions_destroy(&files);
    usleep(100000); // cat is reading before the first byte comes

    QElapsedTimer clock;
    clock.start();
    double seconds = -1;
    if (::write(go[1], "g", 1) == 1) {
        qint64 doneNs = 0;
        if (::read(done[0], &doneNs, sizeof doneNs) == sizeof doneNs) {
            int waiting = 1;
            while (clock.elapsed() < 600000 && ioctl(slave, FIONREAD, &waiting) == 0 && waiting > 0)
                usleep(200);
            seconds = clock.nsecsElapsed() / 1e9;
        }
    }
    kill(reader, SIGKILL);
    waitpid(reader, nullptr, 0);
    kill(feeder, SIGKILL);
    waitpid(feeder, nullptr, 0);
    for (int fd : {go[1], done[0], slave, master})
        ::close(fd);
    return seconds;
}

// bench_receive drain text|hex [MB]: 64-byte lines as fast as the pty takes them into a real
// window (Xvfb, 1040x680), against cat on a pty filled by the same feeder in the same run.
int Drain(int argc, char* argv[])
{
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray("text");
    if (mode != "text" && mode != "hex") {
        std::fprintf(stderr, "drain: mode is text or hex\n");
        return 2;
    }
    const qint64 bytes = ArgNumber(argc, argv, 3, EnvNumber("VARNEX_BENCH_MB", 20)) * 1000 * 1000;
    QByteArray data = FixedLines(bytes);
    // cat's rate swings with where the scheduler puts it and its feeder: the middle of three
    std::array<double, 3> catRuns{};
    for (double& run : catRuns)
        run = CatDrainSeconds(data);
    std::sort(catRuns.begin(), catRuns.end());
    const double catSeconds = catRuns[1];
    if (catRuns[0] <= 0) {
        std::fprintf(stderr, "cat could not drain a pty\n");
        return 1;
    }
    TDisplay display;
    qputenv("QT_QPA_PLATFORM", "xcb");
    const bool hex = mode == "hex";
    TSession session(argc, argv, std::move(data), {}, hex, !hex, false, QSize(1040, 680));
    if (!session.Ok())
        return 1;
    const qint64 lines = session.Bytes() / 64;
    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    if (!session.Go()
        || !(hex ? session.ReceiveAll(session.HexCharacters(), 600000) : session.ReceiveLines(lines + 1, 600000)))
        return 1;
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    const double afterLast = session.SecondsSincePeerDone();
    const double mb = session.Megabytes();
    const char* m = mode.constData();
    std::printf("receive_drain_%s_rate: %.1f MB/s\n", m, mb / seconds);
    std::printf("receive_drain_%s_cat_rate: %.1f MB/s\n", m, mb / catSeconds);
    std::printf("receive_drain_%s_vs_cat: %.2f ratio\n", m, catSeconds / seconds);
    std::printf("receive_drain_%s_after_last_byte: %.0f ms\n", m, afterLast * 1e3);
    std::printf("receive_drain_%s_cpu: %.4f s/MB\n", m, cpu / mb);
    std::fflush(stdout);
    return 0;
}

// bench_receive flood [seconds]: 40 MB/s offered into a real window, 400 KB every 10 ms, as a
// serial-over-USB device at high speed delivers: the rate taken, whether everything arrived,
// and the longest time the window did not answer meanwhile.
int Flood(int argc, char* argv[])
{
    constexpr qint64 kChunk = 400'000;
    constexpr qint64 kPeriodNs = 10'000'000;
    const qint64 seconds = ArgNumber(argc, argv, 2, EnvNumber("VARNEX_BENCH_SECONDS", 10));
    TDisplay display;
    qputenv("QT_QPA_PLATFORM", "xcb");
    TSession session(argc, argv, RandomBytes(seconds * kChunk * 1'000'000'000 / kPeriodNs), {kChunk, kPeriodNs},
                     false, false, false, QSize(1040, 680));
    if (!session.Ok())
        return 1;
    TStallProbe stalls;
    QElapsedTimer clock;
    clock.start();
    stalls.Start();
    const bool complete = session.Go() && session.ReceiveAll(session.TextCharacters(), seconds * 1000 + 600000);
    const double taken = clock.nsecsElapsed() / 1e9;
    stalls.Stop();
    std::printf("receive_flood_offered: %.1f MB/s\n", kChunk * 1e9 / kPeriodNs / 1e6);
    std::printf("receive_flood_rate: %.1f MB/s\n", session.Megabytes() / taken);
    std::printf("receive_flood_complete: %d\n", complete ? 1 : 0);
    std::printf("receive_flood_longest_stall: %.1f ms\n", stalls.WorstMs());
    std::fflush(stdout);
    return complete ? 0 : 1;
}

int Sustained(int argc, char* argv[], bool aRealWindow)
{
    // the real window paints into an X server (an Xvfb of our own without a display)
    std::unique_ptr<TDisplay> display;
    if (aRealWindow) {
        display = std::make_unique<TDisplay>();
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    TSession session(argc, argv, RandomBytes(PacedBytes(argc, argv, 2)), {kPacedChunkBytes, kPacedPeriodNs},
                     false, false, false, aRealWindow ? QSize(1040, 680) : QSize(1200, 800));
    if (!session.Ok())
        return 1;
    TTickProbe ticks(session.PollTimer());
    TStallProbe stalls;
    // The stall probe's thousand wake-ups a second cost CPU of their own. They stay in the
    // CPU figure, which so errs on the high side; what they cost is measured first, with the
    // window idle and the port open, and printed on its own line.
    const double idleCpu = session.IdleCpuShare(kCalibrationMs);
    stalls.Start();
    const double probeCpu = session.IdleCpuShare(kCalibrationMs) - idleCpu;
    stalls.Stop();

    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    ticks.Reset();
    stalls.Start();
    if (!session.Go()
        || !session.ReceiveAll(session.TextCharacters(),
                               qint64(session.Bytes() / kPacedBytesPerSecond * 1000) + 60000))
        return 1;
    const double seconds = clock.nsecsElapsed() / 1e9;
    const double cpu = CpuSeconds() - cpu0;
    stalls.Stop();
    CheckPace(session.Bytes(), seconds);

    const char* name = aRealWindow ? "receive_sustained_window" : "receive_sustained";
    std::printf("%s_cpu: %.1f %%\n", name, 100 * cpu / seconds);
    std::printf("%s_longest_tick: %.1f ms\n", name, ticks.WorstMs());
    std::printf("%s_longest_stall: %.1f ms\n", name, stalls.WorstMs());
    std::printf("%s_probe_cpu: %.1f %%\n", name, 100 * qMax(0.0, probeCpu));
    std::fflush(stdout);
    return 0;
}

int Rebuild(int argc, char* argv[])
{
    TSession session(argc, argv, RandomBytes(BenchBytes(argc, argv, 2)), {}, false);
    if (!session.Ok())
        return 1;
    if (!session.Go() || !session.ReceiveAll(session.TextCharacters(), 600000))
        return 1;
    session.StopPeer();
    session.App().processEvents();

    TReceiveView& view = session.View();
    TfrmMainWindow& window = session.Window();
    auto* dump = window.findChild<QCheckBox*>(QStringLiteral("cbDump"));
    TStallProbe stalls;
    QElapsedTimer clock;
    // The click comes from the event loop, as a user's would, so the stall probe sees the
    // part of the rebuild that runs inside the click too.
    QTimer::singleShot(0, dump, [&] {
        clock.start();
        dump->click();
    });
    stalls.Start();
    const qint64 expected = session.HexCharacters();
    const bool done = session.RunUntil(
        [&] { return clock.isValid() && !window.IsRebuilding() && view.CharacterCount() >= expected; },
        600000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    stalls.Stop();
    if (!done || view.CharacterCount() != expected) {
        std::fprintf(stderr, "rebuild incomplete: %lld of %lld characters in the view\n",
                     static_cast<long long>(view.CharacterCount()), static_cast<long long>(expected));
        return 1;
    }
    std::printf("receive_rebuild_seconds: %.2f s\n", seconds);
    std::printf("receive_rebuild_longest_stall: %.1f ms\n", stalls.WorstMs());
    std::fflush(stdout);
    return 0;
}

int Endless(int argc, char* argv[])
{
    TSession session(argc, argv, RandomBytes(PacedBytes(argc, argv, 2)), {kPacedChunkBytes, kPacedPeriodNs},
                     true);
    if (!session.Ok())
        return 1;
    TTickProbe ticks(session.PollTimer());
    TStallProbe stalls;
    QElapsedTimer clock;
    clock.start();
    ticks.Reset();
    stalls.Start();
    if (!session.Go()
        || !session.ReceiveAll(session.HexCharacters(),
                               qint64(session.Bytes() / kPacedBytesPerSecond * 1000) + 60000))
        return 1;
    stalls.Stop();
    const double longestTick = ticks.WorstMs();
    const double longestStall = stalls.WorstMs();
    CheckPace(session.Bytes(), clock.nsecsElapsed() / 1e9);
    session.StopPeer();
    session.App().processEvents();

    // The view re-wraps every row in its resize event; the window's layout passes the new
    // size on from the event loop, so the loop runs until the view has its new width and
    // then once more for what the resize posted (the paint).
    TReceiveView& view = session.View();
    TfrmMainWindow& window = session.Window();
    const int oldWidth = view.viewport()->width();
    clock.restart();
    window.resize(window.width() + 100, window.height());
    const bool resized = session.RunUntil([&] { return view.viewport()->width() != oldWidth; }, 60000);
    session.App().processEvents();
    const double rewrap = clock.nsecsElapsed() / 1e9;
    if (!resized) {
        std::fprintf(stderr, "the view did not change its width\n");
        return 1;
    }

    std::printf("receive_endless_longest_tick: %.1f ms\n", longestTick);
    std::printf("receive_endless_longest_stall: %.1f ms\n", longestStall);
    std::printf("receive_endless_rewrap: %.2f s\n", rewrap);
    std::printf("receive_endless_view: %.1f MB\n", view.CharacterCount() / 1e6);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    TuneAllocator(); // as the program does at start
    const QByteArray scenario = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (scenario == "burst")
        return Burst(argc, argv);
    if (scenario == "sustained")
        return Sustained(argc, argv, false);
    if (scenario == "sustained-window")
        return Sustained(argc, argv, true);
    if (scenario == "rebuild")
        return Rebuild(argc, argv);
    if (scenario == "endless")
        return Endless(argc, argv);
    if (scenario == "drain")
        return Drain(argc, argv);
    if (scenario == "flood")
        return Flood(argc, argv);
    std::fprintf(stderr,
                 "usage: bench_receive burst text|hex [MB] | sustained [seconds] | "
                 "rebuild [MB] | endless [seconds] | drain text|hex [MB] | sustained-window [seconds] | flood [seconds]\n");
    return 2;
}
