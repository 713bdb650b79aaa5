#include "serial/PortNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <csignal>
#include <cstring>
#include <limits>
#include <unistd.h>

namespace {

struct TFixedRange
{
    const char* Prefix;
    int First;
};

// Device families with fixed numbers; each family covers 32 numbers.
constexpr TFixedRange kRanges[] = {{"/dev/ttyS", 1}, {"/dev/ttyUSB", 33}, {"/dev/ttyACM", 65}};
constexpr int kRangeSize = 32;

} // namespace

namespace PortNames {

QString FixedDevicePath(int aPort)
{
    for (const TFixedRange& range : kRanges)
        if (aPort >= range.First && aPort < range.First + kRangeSize)
            return QString::fromLatin1(range.Prefix) + QString::number(aPort - range.First);
    return {};
}

int FixedPortNumber(const QString& aPath)
{
    for (const TFixedRange& range : kRanges) {
        const QString prefix = QString::fromLatin1(range.Prefix);
        if (!aPath.startsWith(prefix))
            continue;
        const QString digits = aPath.mid(prefix.size());
        bool ok = false;
        const int index = digits.toInt(&ok);
        // "/dev/ttyS01" is another device than "/dev/ttyS1".
        if (ok && index >= 0 && index < kRangeSize && QString::number(index) == digits)
            return range.First + index;
    }
    return -1;
}

QString SystemName(const QSerialPortInfo& aInfo)
{
    return aInfo.systemLocation();
}

QString EntryDetail(const QString& aPath, bool aBound)
{
    if (aPath.isEmpty())
        return {};
    return aBound ? aPath : QFileInfo(aPath).fileName();
}

} // namespace PortNames

namespace {

QStringList& LockDirs()
{
    // The folders serial programs write "LCK..name" into (QSerialPort's choice among them is
    // the first it may write to).
    static QStringList dirs = {QStringLiteral("/var/lock"),       QStringLiteral("/run/lock"),
                               QStringLiteral("/etc/locks"),      QStringLiteral("/var/spool/locks"),
                               QStringLiteral("/var/spool/uucp"), QDir::tempPath()};
    return dirs;
}

// The process a lock file names: ASCII decimal (QLockFile, UUCP style) or, in old files, a
// binary int.
qint64 LockOwner(const QString& aFile)
{
    QFile file(aFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(64);
    bool ok = false;
    const qint64 pid =
        head.left(head.indexOf('\n') < 0 ? head.size() : head.indexOf('\n')).trimmed().toLongLong(&ok);
    if (ok)
        return pid;
    if (head.size() == int(sizeof(qint32))) {
        qint32 binary = 0;
        std::memcpy(&binary, head.constData(), sizeof binary);
        return binary;
    }
    return 0;
}

bool IsAlive(qint64 aPid)
{
    if (aPid <= 0 || aPid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(aPid), 0) == 0 || errno == EPERM;
}

} // namespace

namespace PortNames {

QStringList LockDirectories()
{
    return LockDirs();
}

void SetLockDirectories(const QStringList& aDirs)
{
    LockDirs() = aDirs;
}

TPortAvailability Availability(const QString& aPath)
{
    TPortAvailability result;
    const QByteArray native = QFile::encodeName(aPath);
    if (aPath.isEmpty() || ::access(native.constData(), F_OK) != 0) {
        result.State = TPortAvailability::TState::Missing;
        return result;
    }
    if (::access(native.constData(), R_OK | W_OK) != 0) {
        result.State = TPortAvailability::TState::NoAccess;
        // serial devices belong to a group ("dialout") whose members may use them
        struct stat info = {};
        if (::stat(native.constData(), &info) == 0)
            if (const group* g = ::getgrgid(info.st_gid); g && g->gr_name)
                result.Group = QString::fromLocal8Bit(g->gr_name);
        if (const passwd* p = ::getpwuid(::getuid()); p && p->pw_name)
            result.User = QString::fromLocal8Bit(p->pw_name);
        return result;
    }
    // A lock of a process that has ended is stale: the next program to open the port takes
    // it over.
    const QString lockName = QStringLiteral("LCK..") + QFileInfo(aPath).fileName();
    for (const QString& dir : LockDirs()) {
        const QString file = QDir(dir).filePath(lockName);
        if (!QFileInfo::exists(file))
            continue;
        const qint64 owner = LockOwner(file);
        if (IsAlive(owner)) {
            result.State = TPortAvailability::TState::Locked;
            result.LockOwner = owner;
            result.LockFile = file;
            return result;
        }
    }
    return result;
}

} // namespace PortNames
