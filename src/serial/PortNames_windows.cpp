#include "serial/PortNames.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

#include <windows.h>

namespace PortNames {

QString FixedDevicePath(int aPort)
{
    return aPort > 0 ? QStringLiteral("COM%1").arg(aPort) : QString();
}

int FixedPortNumber(const QString& aPath)
{
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = com.match(aPath);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString SystemName(const QSerialPortInfo& aInfo)
{
    return aInfo.portName();
}

QString EntryDetail(const QString& aPath, bool aBound)
{
    // "COMn" is the device's own name; only ports bound to other names need theirs shown.
    return aBound ? aPath : QString();
}

} // namespace PortNames

namespace PortNames {

QStringList LockDirectories()
{
    return {};
}

void SetLockDirectories(const QStringList&)
{
}

TPortAvailability Availability(const QString& aPath)
{
    // A handle without read or write access asks the driver whether the port exists and is
    // free; it does not open the line, so DTR and RTS stay as they are.
    TPortAvailability result;
    if (aPath.isEmpty()) {
        result.State = TPortAvailability::TState::Missing;
        return result;
    }
    const QString device =
        aPath.startsWith(QLatin1String("\\\\.\\")) ? aPath : QStringLiteral("\\\\.\\") + aPath;
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(device.utf16()), 0, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        return result;
    }
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: result.State = TPortAvailability::TState::Missing; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: result.State = TPortAvailability::TState::Locked; break;
    default: result.State = TPortAvailability::TState::NoAccess; break;
    }
    return result;
}

} // namespace PortNames
