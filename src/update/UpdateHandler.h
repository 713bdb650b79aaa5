#pragma once

#include "update/UpdateService.h"

#include <QList>
#include <QString>

class TStopSignal;

// One update check: asks the service what it offers, compares it with this program's
// version, fetches the package and its further files into the "Update" folder and starts
// the updater.
class TUpdateHandler
{
public:
    explicit TUpdateHandler(TStopSignal* aStop = nullptr);

    // True when the service offers a newer version than this program's.
    bool CheckForUpdate(const QString& aUpdateUrl);
    // Fetches the package and the further files. Every address and name is checked first;
    // a file appears under its name only once all have arrived whole.
    void StartDownload();
    // Starts the updater beside the program with the update folder and aWindowHandle. Returns
    // what the user should be told when it cannot be started; empty when it runs.
    QString InstallUpdate(quint64 aWindowHandle);

    QString NewVersion() const { return FNewVersion; }
    QString DownloadUrl() const { return FDownloadUrl; }
    QString Filename() const { return FFilename; }
    QString NextUrl() const { return FNextUrl; }
    QList<TAdditionalItem> AdditionalFiles() const { return FAdditionalFiles; }
    QString UpdateBatFileName() const { return GetUpdateBatFileName(); }

    static QString GetUpdateBatFileName();
    static void DeleteUpdateBat();

    // (major, minor, release, build) in one number, each part 16 bits; parts that are no
    // number count as 0, parts beyond the fourth are ignored.
    static quint64 VersionNumber(const QString& aDotted);
    // The updater's file name ("VarnexUpdater", with ".exe" on Windows).
    static QString UpdaterName();

    // Where the program lies (the update folder and the updater are beside it) and what it
    // counts as its own version; tests choose both.
    void SetProgramDir(const QString& aDir) { FProgramDir = aDir; }
    QString ProgramDir() const { return FProgramDir; }
    QString UpdateDir() const;
    void SetCurrentVersion(const QString& aVersion) { FCurrentVersion = aVersion; }
    void SetTimeoutMs(int aMs) { FTimeoutMs = aMs; }

private:
    TStopSignal* FStop;
    QString FNewVersion;
    QString FDownloadUrl;
    QString FFilename;
    QString FNextUrl;
    QList<TAdditionalItem> FAdditionalFiles;
    QString FProgramDir;
    QString FCurrentVersion;
    int FTimeoutMs;
};
