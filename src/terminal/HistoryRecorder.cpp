#include "terminal/HistoryRecorder.h"

#include "base/ErrorGuard.h"
#include "base/VarnexError.h"
#include "settings/VarnexSettings.h"
#include "terminal/ReceiveText.h"
#include "terminal/TerminalSession.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <limits>

THistoryRecorder::THistoryRecorder(TTerminalSession& aSession, QObject* aParent)
    : QObject(aParent)
    , FSession(aSession)
    , FClock([] { return QDateTime::currentDateTime(); })
{
    FTimer = new QTimer(this);
    FTimer->setObjectName(QStringLiteral("timerHistory"));
    FTimer->setInterval(int(IntervalMs(1, 0, 0)));
    connect(FTimer, &QTimer::timeout, this, [this] { Guarded([this] { Write(); }); });
}

THistoryRecorder::~THistoryRecorder()
{
    // The file must be complete before the program goes; the view may be gone by now.
    if (FThread) {
        FThread->wait();
        delete FThread;
    }
}

qint64 THistoryRecorder::IntervalMs(int aHours, int aMinutes, int aSeconds)
{
    return qint64(aHours) * 3'600'000 + qint64(aMinutes) * 60'000 + qint64(aSeconds) * 1'000;
}

void THistoryRecorder::ApplyInterval()
{
    TVarnexSettings* settings = VarnexSettings();
    const qint64 ms =
        IntervalMs(settings->HistoryHoures(), settings->HistoryMinutes(), settings->HistorySeconds());
    // Negative settings count as nothing; a timer cannot wait longer than about 24 days.
    FTimer->setInterval(int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max())));
    if (FOn && FTimer->interval() > 0)
        FTimer->start();
    else
        FTimer->stop();
}

void THistoryRecorder::Switch(bool aOn)
{
    FOn = aOn;
    if (aOn && FTimer->interval() > 0)
        FTimer->start();
    else
        FTimer->stop();
    Write();
}

QString THistoryRecorder::FileNameFor(const QDateTime& aTime)
{
    return aTime.toString(QStringLiteral("yy-MM-dd-hh-mm-ss"));
}

QString THistoryRecorder::FreeFileName(const QString& aDirectory) const
{
    // Two writes in one second must not overwrite an archive: the later gets "-2", "-3", ...
    const QString base = QDir(aDirectory).filePath(FileNameFor(FClock()));
    QString name = base + QStringLiteral(".rtf");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QStringLiteral("%1-%2.rtf").arg(base).arg(n);
    return name;
}

void THistoryRecorder::Write()
{
    if (FThread) {
        // The next write follows the one in progress, so switching off always archives.
        FWriteAgain = true;
        return;
    }
    ITerminalView* view = FSession.View();
    if (!view)
        return;
    FSession.FinishRebuild();
    TReceiveText content = view->ReceiveContent();
    if (content.IsEmpty())
        return;
    const QString directory = VarnexSettings()->HistoryDir();
    if (directory.isEmpty())
        throw EVarnexError(QStringLiteral("Unable to create directory"));
    if (!QDir().mkpath(directory))
        throw EVarnexError(QStringLiteral("Unable to create directory \"%1\"").arg(directory));

    FFileName = FreeFileName(directory);
    FMark = view->ReceiveEnd();
    FViewEdits = FSession.ViewEdits();
    FError = std::make_shared<QString>();
    FThread = QThread::create(
        [content = std::move(content), file = FFileName, error = FError, family = view->ReceiveFontFamily(),
         size = view->ReceiveFontSize()] { *error = content.WriteFile(file, family, size); });
    connect(FThread, &QThread::finished, this, &THistoryRecorder::Completed);
    FThread->start();
}

void THistoryRecorder::FinishWriting()
{
    if (!FThread)
        return;
    FThread->wait();
    Completed();
}

void THistoryRecorder::Completed()
{
    // Called twice for one write when a test waited for it: the second call finds nothing.
    if (!FThread || !FThread->isFinished())
        return;
    FThread->deleteLater();
    FThread = nullptr;
    if (!FError->isEmpty()) {
        emit Failed(*FError);
    } else {
        // A view that was rebuilt or cut meanwhile keeps all it shows: a second copy in the next
        // file is better than a gap.
        if (FSession.ViewEdits() == FViewEdits)
            FSession.DropViewFront(FMark);
        TVarnexSettings* settings = VarnexSettings();
        if (settings->XMLEnabled())
            settings->SaveRecentFiles(FFileName, settings->RecentFilesReceive());
        emit Written(FFileName);
    }
    if (FWriteAgain) {
        FWriteAgain = false;
        Guarded([this] { Write(); });
    }
}
