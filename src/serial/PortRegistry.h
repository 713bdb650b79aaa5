#pragma once

#include "serial/ISerialDevice.h"
#include "serial/PortNames.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Port numbers and the devices behind them.
//  0        the built-in loopback device
//  Windows: n is COMn
//  Linux:   1-32 /dev/ttyS0-31, 33-64 /dev/ttyUSB0-31, 65-96 /dev/ttyACM0-31
//  >= 100   bound to any device path (command line, VARNEX_PORTS, machine ports that fit
//           no fixed range)
class TPortRegistry
{
public:
    static constexpr int kLoopbackPort = 0;
    static constexpr int kFirstBoundPort = 100;

    using TDeviceFactory = std::function<std::unique_ptr<ISerialDevice>(int aPort)>;

    static TPortRegistry& Instance();

    // The device path of a port number; empty for the loopback and for unknown numbers.
    QString DevicePath(int aPort) const;
    // The number under which a device path is reached (-1 when it has none).
    int PortNumberOf(const QString& aPath) const;

    // Binds aPath to aPort (>= 100); false for a number outside the bound range.
    bool Bind(int aPort, const QString& aPath);
    // Binds aPath to the first free number from 100 (or returns the number it has).
    int Bind(const QString& aPath);
    // Reads "100=/tmp/ttyA,101=/dev/ttyUSB7"; returns the entries it could not use.
    QStringList BindFromText(const QString& aText);
    void Unbind(int aPort);
    QMap<int, QString> Bindings() const { return FBindings; }

    // Whether the port could be opened now, without opening it.
    TPortAvailability Availability(int aPort) const;
    // Why aDevice, just refused for aPort, did not open: for the user, naming the device.
    QString OpenFailure(int aPort, const ISerialDevice* aDevice) const;

    // A new, closed device for the port; nullptr when the number names no device.
    std::unique_ptr<ISerialDevice> CreateDevice(int aPort) const;
    // Tests put their own devices behind the numbers; an empty factory restores the real ones.
    void SetDeviceFactory(TDeviceFactory aFactory) { FFactory = std::move(aFactory); }

    // The machine's serial ports as the system names them ("COM3" on Windows, the device
    // path elsewhere); ports that fit no fixed range are bound on the way.
    QStringList MachinePorts();

private:
    QMap<int, QString> FBindings;
    TDeviceFactory FFactory;
};
