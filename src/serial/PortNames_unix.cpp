#include "serial/PortNames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

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
