#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QSerialPortInfo;

// Whether a device could be opened right now, told without opening it: opening a tty raises
// DTR and RTS and closing drops them, which resets most microcontroller boards and hangs up
// modems.
struct TPortAvailability
{
    enum class TState {
        Free,     // nothing known against opening it
        Missing,  // no such device
        NoAccess, // the user may not read and write it
        Locked    // another live process holds it (lock file, or in use on Windows)
    };
    TState State = TState::Free;
    qint64 LockOwner = 0; // the process named by the lock file, when known
    QString LockFile;
    QString Group; // no access: the group that owns the device ("dialout"), when known
    QString User;  // no access: who runs the program

    bool IsFree() const { return State == TState::Free; }
    // Why the device cannot be used, for the user; empty when it is free.
    QString Why(const QString& aPath) const;
};

// How the operating system names serial ports, and which port numbers are fixed to which
// device. One implementation per system family, chosen by the build (PortNames_unix.cpp,
// PortNames_windows.cpp).
namespace PortNames {

// The device behind a fixed port number ("/dev/ttyUSB0", "COM3"); empty when the number has
// no fixed device.
QString FixedDevicePath(int aPort);
// The fixed number of a device name; -1 when it has none.
int FixedPortNumber(const QString& aPath);
// The name under which a listed port is opened (a device path, or "COM3").
QString SystemName(const QSerialPortInfo& aInfo);
// Shown after "COMn" in the port list, so the user recognises the device: the device file
// for a fixed number, the whole path for a bound one. Empty where "COMn" says it all.
QString EntryDetail(const QString& aPath, bool aBound);

TPortAvailability Availability(const QString& aPath);
// What the system tells about the adapters behind the machine's ports, by device path
// (symbolic links resolved): "FT232R USB UART, S/N A50285BI". Ports it knows nothing about
// are left out.
QHash<QString, QString> UsbDetails();
// Where lock files ("LCK..ttyUSB0") are looked for; tests use folders of their own.
QStringList LockDirectories();
void SetLockDirectories(const QStringList& aDirs);

} // namespace PortNames
