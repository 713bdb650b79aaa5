#include "serial/PortRegistry.h"

#include "serial/LoopbackDevice.h"
#include "serial/PortNames.h"
#include "serial/QtSerialDevice.h"

#include <QFileInfo>
#include <QSerialPortInfo>

TPortRegistry& TPortRegistry::Instance()
{
    static TPortRegistry registry;
    return registry;
}

QString TPortAvailability::Why(const QString& aPath) const
{
    switch (State) {
    case TState::Free: return {};
    case TState::Missing: return QStringLiteral("Das Gerät %1 ist nicht vorhanden.").arg(aPath);
    case TState::NoAccess:
        // the usual cure on Linux is membership in the device's group; never suggest root's
        if (!Group.isEmpty() && Group != QLatin1String("root"))
            return QStringLiteral("Keine Berechtigung für %1: das Gerät gehört der Gruppe „%2“. "
                                  "Abhilfe: sudo usermod -aG %2 %3, danach neu anmelden.")
                .arg(aPath, Group, User.isEmpty() ? QStringLiteral("$USER") : User);
        if (!Group.isEmpty())
            return QStringLiteral("Keine Berechtigung für %1 (Gruppe „%2“).").arg(aPath, Group);
        return QStringLiteral("Keine Berechtigung, %1 zu lesen und zu schreiben.").arg(aPath);
    case TState::Locked:
        if (LockOwner > 0)
            return QStringLiteral("%1 wird von Prozess %2 benutzt (Sperrdatei %3).")
                .arg(aPath)
                .arg(LockOwner)
                .arg(LockFile);
        return QStringLiteral("%1 wird von einem anderen Programm benutzt.").arg(aPath);
    }
    return {};
}

QHash<QString, QString> PortNames::UsbDetails()
{
    QHash<QString, QString> details;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        QStringList parts;
        if (!info.description().isEmpty())
            parts << info.description();
        else if (!info.manufacturer().isEmpty())
            parts << info.manufacturer();
        if (!info.serialNumber().isEmpty())
            parts << QStringLiteral("S/N %1").arg(info.serialNumber());
        if (parts.isEmpty())
            continue;
        const QString path = QFileInfo(info.systemLocation()).canonicalFilePath();
        details.insert(path.isEmpty() ? info.systemLocation() : path, parts.join(QStringLiteral(", ")));
    }
    return details;
}

QString TPortRegistry::OpenFailure(int aPort, const ISerialDevice* aDevice) const
{
    const QString path = DevicePath(aPort);
    if (path.isEmpty() && aPort != kLoopbackPort)
        return QStringLiteral("Port %1 gehört zu keinem Gerät.").arg(aPort);
    const QString name = path.isEmpty() ? QStringLiteral("COM%1").arg(aPort) : path;
    const TPortAvailability availability = Availability(aPort);
    if (!availability.IsFree())
        return availability.Why(name);
    // nothing to see from outside: the device's own answer is all there is
    const ISerialDevice::TOpenError error =
        aDevice ? aDevice->LastOpenError() : ISerialDevice::TOpenError::Other;
    switch (error) {
    case ISerialDevice::TOpenError::NotFound: return QStringLiteral("Das Gerät %1 ist nicht vorhanden.").arg(name);
    case ISerialDevice::TOpenError::Busy:
        return QStringLiteral("%1 wird von einem anderen Programm benutzt.").arg(name);
    default: break;
    }
    const QString text = aDevice ? aDevice->LastOpenErrorText() : QString();
    return text.isEmpty() ? QStringLiteral("%1 lässt sich nicht öffnen.").arg(name)
                          : QStringLiteral("%1 lässt sich nicht öffnen: %2").arg(name, text);
}

TPortAvailability TPortRegistry::Availability(int aPort) const
{
    // The loopback is the program's own; looking at it changes nothing.
    if (aPort == kLoopbackPort)
        return {};
    return PortNames::Availability(DevicePath(aPort));
}

QString TPortRegistry::DevicePath(int aPort) const
{
    if (aPort == kLoopbackPort)
        return {};
    if (aPort >= kFirstBoundPort)
        return FBindings.value(aPort);
    return PortNames::FixedDevicePath(aPort);
}

int TPortRegistry::PortNumberOf(const QString& aPath) const
{
    for (auto it = FBindings.cbegin(); it != FBindings.cend(); ++it)
        if (it.value() == aPath)
            return it.key();
    return PortNames::FixedPortNumber(aPath);
}

bool TPortRegistry::Bind(int aPort, const QString& aPath)
{
    if (aPort < kFirstBoundPort || aPath.isEmpty())
        return false;
    FBindings.insert(aPort, aPath);
    return true;
}

int TPortRegistry::Bind(const QString& aPath)
{
    const int known = PortNumberOf(aPath);
    if (known >= 0)
        return known;
    int port = kFirstBoundPort;
    while (FBindings.contains(port))
        ++port;
    FBindings.insert(port, aPath);
    return port;
}

QStringList TPortRegistry::BindFromText(const QString& aText)
{
    QStringList rejected;
    const QStringList entries = aText.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& raw : entries) {
        const QString entry = raw.trimmed();
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        bool ok = false;
        const int port = eq > 0 ? entry.left(eq).trimmed().toInt(&ok) : -1;
        if (!ok || !Bind(port, entry.mid(eq + 1).trimmed()))
            rejected << entry;
    }
    return rejected;
}

void TPortRegistry::Unbind(int aPort)
{
    FBindings.remove(aPort);
}

std::unique_ptr<ISerialDevice> TPortRegistry::CreateDevice(int aPort) const
{
    if (FFactory)
        return FFactory(aPort);
    if (aPort == kLoopbackPort)
        return std::make_unique<TLoopbackDevice>();
    const QString path = DevicePath(aPort);
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<TQtSerialDevice>(path);
}

QStringList TPortRegistry::MachinePorts()
{
    QStringList result;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        const QString name = PortNames::SystemName(info);
        if (PortNumberOf(name) < 0)
            Bind(name);
        result << name;
    }
    return result;
}
