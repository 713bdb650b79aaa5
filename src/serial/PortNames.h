#pragma once

#include <QString>

class QSerialPortInfo;

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

} // namespace PortNames
