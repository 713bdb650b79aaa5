#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// How long the event loop was kept from running anything else. A precise 1 ms timer ticks
// whenever the loop gets round to timers; Qt fires an overdue timer at the next chance and
// schedules the one after from then on, so the gap between two ticks minus the 1 ms interval
// is the time the loop was busy elsewhere: in the poll, a paint, a read notification, a
// rebuild slice. The ticks cost the process a little CPU themselves (see Sustained()).
class TStallProbe : public QObject
{
public:
    TStallProbe()
    {
        FTimer.setTimerType(Qt::PreciseTimer);
        FTimer.setInterval(1);
        connect(&FTimer, &QTimer::timeout, this, [this] {
            const qint64 now = FClock.nsecsElapsed();
            FWorstNs = qMax(FWorstNs, now - FLastNs - 1'000'000);
            FLastNs = now;
        });
        FClock.start();
    }
    // Forgets what was seen so far; the first gap runs from here.
    void Start()
    {
        FWorstNs = 0;
        FLastNs = FClock.nsecsElapsed();
        FTimer.start();
    }
    void Stop() { FTimer.stop(); }
    double WorstMs() const { return FWorstNs / 1e6; }

private:
    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLastNs = 0;
    qint64 FWorstNs = 0;
};
