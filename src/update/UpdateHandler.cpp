#include "update/UpdateHandler.h"

#include "log/Log.h"
#include "update/UpdateTransfer.h"

#include "VarnexVersion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// A name from the service names a file in the update folder and nothing else.
bool IsPlainFileName(const QString& aName)
{
    if (aName.isEmpty() || aName.contains(QLatin1String("..")) || QDir::isAbsolutePath(aName))
        return false;
    for (const QChar c : aName)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.unicode() < 0x20)
            return false;
    return true;
}

QUrl FollowedUrl(const QString& aAddress)
{
    const QUrl url(aAddress, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()
        || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        throw EUpdateError(
            EUpdateError::TKind::Refused,
            QStringLiteral("Das Update wurde nicht geladen: Die Adresse \"%1\" vom Update-Server ist "
                           "keine http- oder https-Adresse.")
                .arg(aAddress));
    return url;
}

void CheckName(const QString& aName)
{
    if (!IsPlainFileName(aName))
        throw EUpdateError(
            EUpdateError::TKind::Refused,
            QStringLiteral("Das Update wurde nicht geladen: Der Dateiname \"%1\" vom Update-Server ist "
                           "nicht zulässig.")
                .arg(aName));
}

QString DefaultProgramDir()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

} // namespace

TUpdateHandler::TUpdateHandler(TStopSignal* aStop)
    : FStop(aStop)
    , FProgramDir(DefaultProgramDir())
    , FCurrentVersion(QStringLiteral(VARNEX_VERSION_STRING))
    , FTimeoutMs(TUpdateTransfer::kDefaultTimeoutMs)
{
}

quint64 TUpdateHandler::VersionNumber(const QString& aDotted)
{
    const QStringList parts = aDotted.split(QLatin1Char('.'));
    quint64 number = 0;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int part = i < parts.size() ? parts.at(i).trimmed().toInt(&ok) : 0;
        // A part beyond 16 bits would spill into its neighbour.
        number = (number << 16) | quint64(ok ? std::clamp(part, 0, 0xFFFF) : 0);
    }
    return number;
}

QString TUpdateHandler::UpdaterName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("VarnexUpdater.exe");
#else
    return QStringLiteral("VarnexUpdater");
#endif
}

bool TUpdateHandler::CheckForUpdate(const QString& aUpdateUrl)
{
    FNextUrl.clear();
    qCDebug(lcUpdate) << "Update Url = " << aUpdateUrl;
    TUpdateTransfer transfer(FStop);
    transfer.SetTimeoutMs(FTimeoutMs);
    TUpdateServiceClient service(transfer, aUpdateUrl);
    FNewVersion = service.GetVarnexVersion().trimmed();
    qCDebug(lcUpdate) << "Version = " << FNewVersion;
    FNextUrl = service.GetNextVarnexUpdateUrl().trimmed();
    FDownloadUrl = service.GetVarnexDownloadPath().trimmed();
    qCDebug(lcUpdate) << "Next Update URL = " << FNextUrl;
    FFilename = service.GetVarnexDownloadFileName().trimmed();
    FAdditionalFiles = service.GetAdditionalFiles();
    return VersionNumber(FCurrentVersion) < VersionNumber(FNewVersion);
}

QString TUpdateHandler::UpdateDir() const
{
    return QDir(FProgramDir).filePath(QStringLiteral("Update"));
}

void TUpdateHandler::StartDownload()
{
    struct TFile
    {
        QUrl Url;
        QString Name;
    };
    std::vector<TFile> files;
    files.push_back({FollowedUrl(FDownloadUrl), FFilename});
    CheckName(FFilename);
    for (const TAdditionalItem& item : FAdditionalFiles) {
        files.push_back({FollowedUrl(item.DownloadPath), item.Name});
        CheckName(item.Name);
    }

    const QString target = UpdateDir();
    if (!QDir().mkpath(target))
        throw EUpdateError(EUpdateError::TKind::Download,
                           QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.").arg(target));
    TUpdateTransfer transfer(FStop);
    transfer.SetTimeoutMs(FTimeoutMs);
    // Each file arrives under a temporary name; all of them take their names at the end, so
    // an update that fails half-way leaves nothing an updater could take for complete.
    std::vector<std::unique_ptr<QSaveFile>> arrived;
    for (const TFile& file : files) {
        auto save = std::make_unique<QSaveFile>(QDir(target).filePath(file.Name));
        if (!save->open(QIODevice::WriteOnly))
            throw EUpdateError(EUpdateError::TKind::Download,
                               QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                                   .arg(save->fileName(), save->errorString()));
        qCDebug(lcUpdate) << "Download" << file.Url << "->" << save->fileName();
        transfer.Download(file.Url, *save);
        arrived.push_back(std::move(save));
    }
    for (const auto& save : arrived)
        if (!save->commit())
            throw EUpdateError(EUpdateError::TKind::Download,
                               QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                                   .arg(save->fileName(), save->errorString()));
}

QString TUpdateHandler::InstallUpdate(quint64 aWindowHandle)
{
    qCDebug(lcUpdate) << "Start Install";
    const QString updater = QDir(FProgramDir).filePath(UpdaterName());
    const QStringList arguments = {QDir::toNativeSeparators(UpdateDir()), QString::number(aWindowHandle)};
    if (!QFileInfo(updater).isFile()) {
        qCDebug(lcUpdate) << "Updater nicht gefunden - Programmname = " << updater;
        return QStringLiteral(
                   "Das Update liegt in \"%1\".\nDas Installationsprogramm \"%2\" fehlt, bitte das "
                   "Update von Hand installieren.")
            .arg(QDir::toNativeSeparators(UpdateDir()), QDir::toNativeSeparators(updater));
    }
    if (!QProcess::startDetached(updater, arguments, FProgramDir)) {
        qCDebug(lcUpdate) << "Updater startet nicht:" << updater;
        return QStringLiteral("Das Update liegt in \"%1\".\nDas Installationsprogramm \"%2\" konnte nicht "
                              "gestartet werden, bitte das Update von Hand installieren.")
            .arg(QDir::toNativeSeparators(UpdateDir()), QDir::toNativeSeparators(updater));
    }
    qCDebug(lcUpdate) << "Updater = " << updater;
    return {};
}

QString TUpdateHandler::GetUpdateBatFileName()
{
    return QDir(DefaultProgramDir()).filePath(QStringLiteral("Update.bat"));
}

void TUpdateHandler::DeleteUpdateBat()
{
    const QString name = GetUpdateBatFileName();
    if (QFileInfo::exists(name))
        QFile::remove(name);
}
