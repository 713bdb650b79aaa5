#include "serial/Reconnector.h"

#include "serial/PortNames.h"
#include "serial/PortRegistry.h"
#include "serial/QCCom32.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString& ByIdDir()
{
    static QString dir = QStringLiteral("/dev/serial/by-id");
    return dir;
}
} // namespace

TReconnector::TReconnector(T_QCCom32& aCom)
    : FCom(aCom)
{
}

QString TReconnector::ByIdDirectory()
{
    return ByIdDir();
}

void TReconnector::SetByIdDirectory(const QString& aDir)
{
    ByIdDir() = aDir;
}

QString TReconnector::ByIdNameOf(const QString& aPath)
{
    const QString target = QFileInfo(aPath).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir dir(ByIdDir());
    const QFileInfoList links = dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo& link : links)
        if (link.canonicalFilePath() == target)
            return link.fileName();
    return {};
}

void TReconnector::Remember()
{
    if (!FCom.Opened() || FWaiting)
        return;
    // The poll asks on every tick: nothing is looked up while the port stays the same (a
    // number keeps its device while it is open).
    const int port = FCom.Port();
    if (port == FPort)
        return;
    FPort = port;
    FPath = TPortRegistry::Instance().DevicePath(port);
    FById = ByIdNameOf(FPath);
}

void TReconnector::Start()
{
    // the loopback never vanishes, and a port without a device has nothing to come back
    FWaiting = FPort == FCom.Port() && !FPath.isEmpty();
}

void TReconnector::Stop()
{
    FWaiting = false;
}

bool TReconnector::Attempt()
{
    if (!FWaiting)
        return false;
    TPortRegistry& registry = TPortRegistry::Instance();
    int port = FPort;
    if (!QFileInfo::exists(FPath) && !FById.isEmpty()) {
        // the adapter may be back under another name
        const QString path = QFileInfo(QDir(ByIdDir()).filePath(FById)).canonicalFilePath();
        if (path.isEmpty())
            return false;
        port = registry.PortNumberOf(path);
        if (port < 0)
            port = registry.Bind(path);
        if (port < 0)
            return false;
    }
    // a node that is there but not yet ours (udev sets its rights a moment later) is tried
    // again on the next attempt; so is one another program took meanwhile
    if (!registry.Availability(port).IsFree())
        return false;
    const bool showErrors = FCom.ShowErrors();
    FCom.SetShowErrors(false);
    if (FCom.Port() != port)
        FCom.SetPort(port);
    const bool opened = FCom.Open();
    FCom.SetShowErrors(showErrors);
    if (!opened)
        return false;
    FWaiting = false;
    Remember();
    return true;
}
