#include "serial/PortNames.h"

#include <QRegularExpression>
#include <QSerialPortInfo>

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
