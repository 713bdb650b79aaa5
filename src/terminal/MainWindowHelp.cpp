// The "Hilfe" menu: the update check (by hand and once a month), release notes, the web
// page and the Info window.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "log/Log.h"
#include "settings/VarnexSettings.h"
#include "ui/AboutWindow.h"
#include "ui/Dialogs.h"
#include "ui_MainWindow.h"
#include "update/UpdateHandler.h"
#include "update/UpdateThread.h"

#include "VarnexVersion.h"

#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace {
constexpr int kDaysBetweenChecks = 30;
} // namespace

void TfrmMainWindow::ConnectHelpActions()
{
    auto guarded = [this](void (TfrmMainWindow::*aHandler)()) {
        return [this, aHandler] { Guarded([this, aHandler] { (this->*aHandler)(); }); };
    };
    connect(ui->acCheckUpdate, &QAction::triggered, this, guarded(&TfrmMainWindow::acCheckUpdateExecute));
    connect(ui->acReleaseNotes, &QAction::triggered, this, guarded(&TfrmMainWindow::acReleaseNotesExecute));
    connect(ui->acHelpOnline, &QAction::triggered, this, guarded(&TfrmMainWindow::acHelpOnlineExecute));
    connect(ui->acShowAbout, &QAction::triggered, this, guarded(&TfrmMainWindow::acShowAboutExecute));
}

QString TfrmMainWindow::UpdateAddress()
{
    // A site with its own server, or a test, names it for the whole run.
    const QString fromEnvironment = qEnvironmentVariable("VARNEX_UPDATE_URL");
    return fromEnvironment.isEmpty() ? VarnexSettings()->NextUpdateUrl() : fromEnvironment;
}

TUpdateThread* TfrmMainWindow::StartUpdateThread(bool aManualUpdate)
{
    auto* thread = new TUpdateThread(aManualUpdate, this);
    thread->SetUpdateUrl(UpdateAddress());
    thread->SetWindowHandle(quint64(winId()));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return thread;
}

bool TfrmMainWindow::StopUpdateChecks(int aWaitMs)
{
    const QList<TUpdateThread*> threads = findChildren<TUpdateThread*>(Qt::FindDirectChildrenOnly);
    for (TUpdateThread* thread : threads)
        thread->Stop();
    const QDeadlineTimer deadline(aWaitMs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(aWaitMs));
    bool ended = true;
    for (TUpdateThread* thread : threads)
        ended = thread->wait(deadline) && ended;
    return ended;
}

void TfrmMainWindow::acCheckUpdateExecute()
{
    StartUpdateThread(true);
}

void TfrmMainWindow::AutoUpdateAtStart()
{
    TVarnexSettings* settings = VarnexSettings();
    if (!settings->AutoUpdateEntryExists()) {
        const bool agreed =
            Prompts().Ask(
                IPrompts::TKind::Question,
                QStringLiteral("Soll einmal monatlich automatisch nach einer neuen Programmversion gesucht "
                               "werden?\r\n(Kann im Einstellungs-Dialog unter 'Allgemein' geändert "
                               "werden.)\r\n\r\nDie Suche nach einem Update kann auch von Hand ausgeführt "
                               "werden (Menü 'Hilfe')"),
                {IPrompts::TButton::Yes, IPrompts::TButton::No})
            == IPrompts::TButton::Yes;
        settings->SetAutoUpdate(agreed);
    }
    const QDateTime now = QDateTime::currentDateTime();
    if (settings->AutoUpdate() && now > settings->LastAutoUpdate().addDays(kDaysBetweenChecks)) {
        StartUpdateThread(false);
        // Taken at the start, whatever the check finds: a month until the next one.
        settings->SetLastAutoUpdate(now);
    }
}

void TfrmMainWindow::acReleaseNotesExecute()
{
    const QString name = QStringLiteral("ReleaseNotes.html");
    // The working folder first, then beside the program, where the build puts them, then
    // among the documents of an installed program.
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {QDir::currentPath(), programDir,
                               QDir(programDir).filePath(QStringLiteral(VARNEX_DOC_DIR_FROM_PROGRAM))}) {
        const QFileInfo file(QDir(dir).filePath(name));
        if (file.isFile()) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
            return;
        }
    }
    Prompts().ShowMessage(QStringLiteral("Die Release Notes (%1) wurden nicht gefunden.").arg(name));
}

void TfrmMainWindow::acHelpOnlineExecute()
{
    const QUrl page(QStringLiteral(VARNEX_HOMEPAGE));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = QDesktopServices::openUrl(page);
    QGuiApplication::restoreOverrideCursor();
    if (!opened)
        Prompts().ShowMessage(QStringLiteral("Die Seite %1 konnte nicht im Browser geöffnet werden.")
                                  .arg(page.toDisplayString()));
}

void TfrmMainWindow::acShowAboutExecute()
{
    TfrmAbout about(this);
    ExecDialog(&about);
}
