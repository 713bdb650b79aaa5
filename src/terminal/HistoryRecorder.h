#pragma once

#include "terminal/TerminalView.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;
class QTimer;
class TTerminalSession;

// Archives the receive view: while it is on, the view's text goes at every interval into a new
// rich-text file in the history folder, and the view keeps only what came after. The tokens
// stay, so a rebuild of the view shows the archived text again.
//
// The file is written from a snapshot on a thread of its own, so a view of many megabytes never
// stalls the window; data arriving meanwhile stays in the view. Only a complete file takes the
// text out of the view; a failed one leaves the view as it was.
class THistoryRecorder : public QObject
{
    Q_OBJECT
public:
    explicit THistoryRecorder(TTerminalSession& aSession, QObject* aParent = nullptr);
    ~THistoryRecorder() override;

    QTimer* Timer() const { return FTimer; }
    // The interval from the settings: hours, minutes and seconds. 0 means the timer never fires.
    static qint64 IntervalMs(int aHours, int aMinutes, int aSeconds);
    void ApplyInterval();

    bool IsOn() const { return FOn; }
    // Switches the timer, then writes once (both on and off).
    void Switch(bool aOn);
    // Starts one write when the view holds text. Raises EVarnexError when the folder cannot be
    // made; a file that cannot be written is reported by Failed.
    void Write();
    bool IsWriting() const { return FThread != nullptr; }
    // Waits for the file in progress and finishes it (program end, tests).
    void FinishWriting();

    // "yy-mm-dd-hh-nn-ss": 26-12-08-14-05-09.
    static QString FileNameFor(const QDateTime& aTime);
    // Where "now" comes from; tests put in their own.
    void SetClock(std::function<QDateTime()> aClock) { FClock = std::move(aClock); }

signals:
    void Written(const QString& aFileName);
    void Failed(const QString& aMessage);

private:
    void Completed();
    QString FreeFileName(const QString& aDirectory) const;

    TTerminalSession& FSession;
    QTimer* FTimer = nullptr;
    bool FOn = false;
    std::function<QDateTime()> FClock;

    // The write in progress.
    QThread* FThread = nullptr;
    QString FFileName;
    TReceiveMark FMark;
    quint64 FViewEdits = 0;
    std::shared_ptr<QString> FError;
    bool FWriteAgain = false;
};
