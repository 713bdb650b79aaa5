#include "serial/ReadPump.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

// The port's reader thread on a kernel pty pair, opened as the serial port opens a tty:
// non-blocking, raw, reads return at once.
class TstReadPump : public QObject
{
    Q_OBJECT

    struct TPty
    {
        int Master = -1;
        int Slave = -1;
        bool Open()
        {
            Master = posix_openpt(O_RDWR | O_NOCTTY);
            if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
                return false;
            Slave = ::open(ptsname(Master), O_RDWR | O_NOCTTY | O_NONBLOCK);
            termios raw{};
            if (Slave < 0 || tcgetattr(Slave, &raw) != 0)
                return false;
            cfmakeraw(&raw);
            raw.c_cc[VMIN] = 0;
            raw.c_cc[VTIME] = 0;
            return tcsetattr(Slave, TCSANOW, &raw) == 0;
        }
        void CloseMaster()
        {
            if (Master >= 0)
                ::close(Master);
            Master = -1;
        }
        ~TPty()
        {
            CloseMaster();
            if (Slave >= 0)
                ::close(Slave);
        }
    };

    // Waits (without a fixed sleep) until aDone holds; false after 20 s.
    template <class TDone>
    static bool Eventually(TDone aDone)
    {
        QElapsedTimer clock;
        clock.start();
        while (!aDone()) {
            if (clock.elapsed() > 20000)
                return false;
            std::this_thread::yield();
        }
        return true;
    }

private slots:
    // 2 MB through a 4 KB ring: the thread stops reading while the ring is full, so the
    // writer waits in the driver, and every byte arrives once, in order.
    void deliversEverythingInOrderThroughASmallRing()
    {
        TPty pty;
        QVERIFY(pty.Open());
        QByteArray sent(2 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < sent.size(); ++i)
            sent[i] = char((i * 7 + i / 4099) & 0xFF);
        TReadPump pump(pty.Slave, 4096);
        QVERIFY(pump.Running());
        std::thread writer([&] {
            for (qsizetype at = 0; at < sent.size();) {
                const ssize_t n = ::write(pty.Master, sent.constData() + at, size_t(sent.size() - at));
                if (n <= 0)
                    return;
                at += n;
            }
        });
        QByteArray got;
        char piece[1500]; // not a divisor of the ring: reads wrap around its end
        qint64 mostWaiting = 0;
        QVERIFY(Eventually([&] {
            mostWaiting = qMax(mostWaiting, pump.Available());
            got.append(piece, pump.Read(piece, sizeof piece));
            return got.size() >= sent.size();
        }));
        writer.join();
        QVERIFY(mostWaiting <= 4096);
        QCOMPARE(got.size(), sent.size());
        QVERIFY(got == sent);
        QVERIFY(!pump.Broken());
    }

    // A burst is told when it piles up past the mark (once until the owner reads) and again
    // when it pauses with data still waiting; input below the mark is never told.
    void aBurstIsToldAndSoIsItsPause()
    {
        TPty pty;
        QVERIFY(pty.Open());
        std::atomic<int> told{0};
        TReadPump pump(pty.Slave, 1 << 16, [&] { ++told; }, 100);
        const QByteArray burst(150, 'b');
        QCOMPARE(::write(pty.Master, burst.constData(), 50), 50);
        QVERIFY(Eventually([&] { return pump.Available() == 50; }));
        QCOMPARE(told.load(), 0);
        QCOMPARE(::write(pty.Master, burst.constData(), 150), 150);
        QVERIFY(Eventually([&] { return told.load() == 2; })); // the mark, then the pause
        QCOMPARE(::write(pty.Master, burst.constData(), 150), 150);
        QVERIFY(Eventually([&] { return pump.Available() == 350; }));
        QCOMPARE(told.load(), 2); // not read since
        char buffer[400];
        QCOMPARE(pump.Read(buffer, sizeof buffer), 350);
        QCOMPARE(::write(pty.Master, burst.constData(), 150), 150);
        QVERIFY(Eventually([&] { return told.load() == 4; }));
    }

    // What waits can be thrown away; what comes after is read as before. A hang-up (the
    // other side gone) ends the reading, but what came before it is still there to take.
    void clearDropsWhatWaitsAndAHangUpKeepsWhatCameBefore()
    {
        TPty pty;
        QVERIFY(pty.Open());
        TReadPump pump(pty.Slave, 1 << 16);
        QCOMPARE(::write(pty.Master, "alt und verworfen", 17), 17);
        QVERIFY(Eventually([&] { return pump.Available() == 17; }));
        pump.Clear();
        QCOMPARE(pump.Available(), 0);

        QCOMPARE(::write(pty.Master, "Ende", 4), 4);
        QVERIFY(Eventually([&] { return pump.Available() == 4; }));
        pty.CloseMaster();
        QVERIFY(Eventually([&] { return pump.Broken(); }));
        QCOMPARE(pump.Error(), EIO);
        char buffer[16];
        QCOMPARE(pump.Read(buffer, sizeof buffer), 4);
        QCOMPARE(QByteArray(buffer, 4), QByteArray("Ende"));
    }
};

QTEST_GUILESS_MAIN(TstReadPump)
#include "tst_ReadPump.moc"
