#include "serial/PortRegistry.h"

#include "serial/LoopbackDevice.h"
#include "serial/QtSerialDevice.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

namespace {

struct TFixedRange
{
    const char* Prefix;
    int First;
};

#if !defined(Q_OS_WIN)
// Linux device families with fixed numbers; each family covers 32 numbers.
constexpr TFixedRange kRanges[] = {{"/dev/ttyS", 1}, {"/dev/ttyUSB", 33}, {"/dev/ttyACM", 65}};
constexpr int kRangeSize = 32;
#endif

} // namespace

TPortRegistry& TPortRegistry::Instance()
{
    static TPortRegistry registry;
    return registry;
}

QString TPortRegistry::DevicePath(int aPort) const
{
    if (aPort == kLoopbackPort)
        return {};
    if (aPort >= kFirstBoundPort)
        return FBindings.value(aPort);
#if defined(Q_OS_WIN)
    return aPort > 0 ? QStringLiteral("COM%1").arg(aPort) : QString();
#else
    for (const TFixedRange& range : kRanges)
        if (aPort >= range.First && aPort < range.First + kRangeSize)
            return QString::fromLatin1(range.Prefix) + QString::number(aPort - range.First);
    return {};
#endif
}

int TPortRegistry::PortNumberOf(const QString& aPath) const
{
    for (auto it = FBindings.cbegin(); it != FBindings.cend(); ++it)
        if (it.value() == aPath)
            return it.key();
#if defined(Q_OS_WIN)
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM(\\d+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(aPath);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
#else
    for (const TFixedRange& range : kRanges) {
        const QString prefix = QString::fromLatin1(range.Prefix);
        if (!aPath.startsWith(prefix))
            continue;
        bool ok = false;
        const int index = aPath.mid(prefix.size()).toInt(&ok);
        if (ok && index >= 0 && index < kRangeSize && QString::number(index) == aPath.mid(prefix.size()))
            return range.First + index;
    }
    return -1;
#endif
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
#if defined(Q_OS_WIN)
        result << info.portName();
#else
        const QString path = info.systemLocation();
        if (PortNumberOf(path) < 0)
            Bind(path);
        result << path;
#endif
    }
    return result;
}
