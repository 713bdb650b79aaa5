#include "serial/ComMv.h"

#include "serial/PortDialogs.h"
#include "serial/PortRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocale>
#include <QThread>

#include <memory>

TComMv::TComMv(QObject* aOwner)
    : T_QCCom32(aOwner)
{
}

bool TComMv::Eigenschaften()
{
    IPortDialogs* dialogs = PortDialogs();
    if (!dialogs)
        return false;
    nPortAlt = Port();
    lBaudAlt = Baud();
    lDataBitsAlt = DataBits();
    lStopBitsAlt = StopBits();
    lParityAlt = Parity();

    QStringList texts;
    GetRegistryPortList(texts);
    if (texts.isEmpty())
        GetProbedPortList(texts);

    // Looking at a port never opens it: that would toggle DTR and RTS on every device listed.
    const TPortRegistry& registry = TPortRegistry::Instance();
    const QHash<QString, QString> usb = PortNames::UsbDetails();
    QList<TPortEntry> entries;
    for (QString text : std::as_const(texts)) {
        const int number = PortNumberFromEntry(text);
        TPortAvailability availability;
        if (number >= 0)
            availability = registry.Availability(number);
        else
            availability.State = TPortAvailability::TState::Missing;
        // The port in use holds its own lock and may refuse a second open; it stays
        // selectable all the same.
        const bool current = number >= 0 && number == Port();
        // the adapter's name and serial number tell two alike devices apart
        const QString device = number >= 0 ? registry.DevicePath(number) : QString();
        if (!device.isEmpty()) {
            const QString detail = usb.value(QFileInfo(device).canonicalFilePath());
            if (!detail.isEmpty())
                text += QStringLiteral(" – ") + detail;
        }
        entries << TPortEntry{text, availability.IsFree() || current, current,
                              current ? QString() : availability.Why(registry.DevicePath(number))};
    }
    dialogs->SelectPort(*this, entries);
    return true;
}

QString TComMv::CommStatus() const
{
    return QStringLiteral("Port: %1 - %2")
        .arg(Port())
        .arg(Opened() ? PortString() : QStringLiteral("Not Open"));
}

QString TComMv::PortString() const
{
    static const char kParityLetters[] = {'N', 'O', 'E', 'M', 'S'};
    const int parity = int(Parity());
    const QChar letter = parity >= 0 && parity < 5 ? QChar::fromLatin1(kParityLetters[parity]) : QChar(u'?');
    const double stopBits = int(StopBits()) / 2.0 + 1;
    return QStringLiteral("%1, %2, %3, %4")
        .arg(Baud())
        .arg(DataBits())
        .arg(letter)
        .arg(QLocale().toString(stopBits, 'g', 3));
}

QByteArray TComMv::ReadBinary(int& aCount)
{
    aCount = 0;
    const qint64 waiting = InCount();
    if (waiting <= 0)
        return {};
    QByteArray block(kBinaryBlockSize, '\0');
    const qint64 got = handle()->Read(block.data(), qMin<qint64>(waiting, kBinaryBlockSize));
    aCount = got > 0 ? int(got) : 0;
    return block;
}

bool TComMv::WriteBinary(char aData)
{
    if (!Opened())
        return false;
    return handle()->Write(&aData, 1) == 1;
}

void TComMv::Delay(int aMilliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < aMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        int(qMax<qint64>(1, aMilliseconds - clock.elapsed())));
        QThread::msleep(1);
    }
}
