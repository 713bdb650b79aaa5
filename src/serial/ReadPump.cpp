#include "serial/ReadPump.h"

#include "log/Log.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace {
// Input that stops for this long after a burst has paused (a burst's data follows on within
// microseconds).
constexpr int kPauseMs = 2;
} // namespace

TReadPump::TReadPump(int aDescriptor, qint64 aCapacity, std::function<void()> aOnBacklog, qint64 aBacklogBytes)
    : FDescriptor(aDescriptor)
    , FOnBacklog(std::move(aOnBacklog))
    , FBacklogBytes(quint64(qMax<qint64>(aBacklogBytes, 1)))
{
    quint64 capacity = 4096;
    while (capacity < quint64(aCapacity))
        capacity <<= 1;
    FMask = capacity - 1;
    FRing = std::make_unique<char[]>(capacity);
    if (::pipe2(FWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcSerialDevice) << "no wake pipe for the reader:" << std::strerror(errno);
        FWake[0] = FWake[1] = -1;
        return;
    }
    try {
        FThread = std::thread([this] { Run(); });
    } catch (const std::system_error& e) {
        qCWarning(lcSerialDevice) << "no reader thread:" << e.what();
    }
}

TReadPump::~TReadPump()
{
    FStop.store(true);
    WakeFiller();
    if (FThread.joinable())
        FThread.join();
    for (int fd : FWake)
        if (fd >= 0)
            ::close(fd);
}

void TReadPump::WakeFiller()
{
    {
        const std::lock_guard<std::mutex> lock(FRoomMutex);
    }
    FRoom.notify_one();
    if (FWake[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(FWake[1], &byte, 1);
    }
}

qint64 TReadPump::Available() const
{
    return qint64(FTail.load(std::memory_order_acquire) - FHead.load(std::memory_order_relaxed));
}

qint64 TReadPump::Read(char* aBuffer, qint64 aMaxSize)
{
    const quint64 head = FHead.load(std::memory_order_relaxed);
    const quint64 waiting = FTail.load(std::memory_order_acquire) - head;
    const quint64 n = qMin<quint64>(waiting, quint64(qMax<qint64>(aMaxSize, 0)));
    if (n == 0)
        return 0;
    const quint64 at = head & FMask;
    const quint64 first = qMin<quint64>(n, FMask + 1 - at);
    std::memcpy(aBuffer, FRing.get() + at, first);
    std::memcpy(aBuffer + first, FRing.get(), n - first);
    FHead.store(head + n, std::memory_order_release);
    FBacklogTold.store(false, std::memory_order_release);
    {
        const std::lock_guard<std::mutex> lock(FRoomMutex);
    }
    FRoom.notify_one();
    return qint64(n);
}

void TReadPump::Clear()
{
    FHead.store(FTail.load(std::memory_order_acquire), std::memory_order_release);
    {
        const std::lock_guard<std::mutex> lock(FRoomMutex);
    }
    FRoom.notify_one();
}

bool TReadPump::WaitForRoom()
{
    std::unique_lock<std::mutex> lock(FRoomMutex);
    FRoom.wait(lock, [this] {
        return FStop.load() || FTail.load(std::memory_order_relaxed) - FHead.load() <= FMask;
    });
    return !FStop.load();
}

void TReadPump::Run()
{
    pthread_setname_np(pthread_self(), "varnex-read");
    pollfd fds[2] = {{FDescriptor, POLLIN, 0}, {FWake[0], POLLIN, 0}};
    // While data streams in, the next read usually finds some: wait only once it finds none.
    bool dry = true;
    // A burst was told: when it pauses with data still waiting, that is told too, so its tail
    // does not wait for the owner's next regular look.
    bool burst = false;
    while (!FStop.load(std::memory_order_relaxed)) {
        if (!WaitForRoom())
            break;
        short events = 0;
        if (dry) {
            const bool tailWaits = burst && Available() > 0;
            const int ready = ::poll(fds, 2, tailWaits ? kPauseMs : -1);
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                Fail(errno, "waiting for input failed");
                break;
            }
            if (ready == 0) {
                burst = false;
                FOnBacklog();
                continue;
            }
            if (fds[1].revents) {
                char drain[64];
                while (::read(FWake[0], drain, sizeof drain) > 0) {
                }
                continue; // stopping: looked at by the loop
            }
            events = fds[0].revents;
            if (!events)
                continue;
        }
        const quint64 tail = FTail.load(std::memory_order_relaxed);
        const quint64 used = tail - FHead.load(std::memory_order_acquire);
        const quint64 at = tail & FMask;
        const quint64 room = qMin(FMask + 1 - used, FMask + 1 - at);
        const ssize_t got = ::read(FDescriptor, FRing.get() + at, room);
        if (got > 0) {
            FTail.store(tail + quint64(got), std::memory_order_release);
            if (FOnBacklog && used + quint64(got) >= FBacklogBytes && !FBacklogTold.exchange(true)) {
                burst = true;
                FOnBacklog();
            }
            dry = false;
            continue;
        }
        // A tty read without VMIN or VTIME returns 0 when nothing waits (or EAGAIN); only a
        // hang-up or error flagged by poll makes it the end.
        const bool ended = events & (POLLHUP | POLLERR | POLLNVAL);
        if (got == 0 && !ended) {
            dry = true;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN && !ended) {
            dry = true;
            continue;
        }
        Fail(got < 0 ? errno : EIO, "input ended");
        break;
    }
}

void TReadPump::Fail(int aError, const char* aWhat)
{
    FError.store(aError, std::memory_order_release);
    FBroken.store(true, std::memory_order_release);
    qCInfo(lcSerialDevice) << aWhat << std::strerror(aError);
}
