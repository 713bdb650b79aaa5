#pragma once

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Reads a tty's descriptor on a thread of its own into a bounded ring, so the line keeps
// being drained while the window is busy showing what came before. When the ring is full the
// thread stops reading and the data waits in the driver (and the sender's flow control), not in
// our memory. One thread fills, one (the owner's) empties; the descriptor stays the owner's and
// must stay open until the pump is destroyed.
class TReadPump
{
public:
    // aCapacity is rounded up to a power of two. aOnBacklog, when given, is called on the
    // reading thread once aBacklogBytes wait, and not again before the next Read: a burst
    // the owner may want to start on before its next look; and once more when such a burst
    // pauses with data still waiting, for its tail.
    TReadPump(int aDescriptor, qint64 aCapacity, std::function<void()> aOnBacklog = {},
              qint64 aBacklogBytes = 0);
    ~TReadPump();
    TReadPump(const TReadPump&) = delete;
    TReadPump& operator=(const TReadPump&) = delete;

    // False when the thread could not be started; then nothing is read.
    bool Running() const { return FThread.joinable(); }

    qint64 Available() const;
    qint64 Read(char* aBuffer, qint64 aMaxSize);
    // Drops what was read and not yet taken.
    void Clear();

    // The descriptor reported an error or its end (a device unplugged, a pty whose other side
    // closed); reading stopped there, what came before stays to be taken.
    bool Broken() const { return FBroken.load(std::memory_order_acquire); }
    // The system's error number of that (EIO for an end without one).
    int Error() const { return FError.load(std::memory_order_acquire); }

private:
    void Run();
    void WakeFiller();
    // Waits until the ring has room or the pump is stopping; true when there is room.
    bool WaitForRoom();
    void Fail(int aError, const char* aWhat);

    const int FDescriptor;
    quint64 FMask = 0;
    std::unique_ptr<char[]> FRing;
    // Positions count bytes ever written and taken; their difference is what waits.
    std::atomic<quint64> FHead{0};
    std::atomic<quint64> FTail{0};
    std::atomic<bool> FStop{false};
    std::atomic<bool> FBroken{false};
    std::atomic<int> FError{0};
    const std::function<void()> FOnBacklog;
    const quint64 FBacklogBytes;
    std::atomic<bool> FBacklogTold{false};
    int FWake[2] = {-1, -1};
    std::mutex FRoomMutex;
    std::condition_variable FRoom;
    std::thread FThread;
};
