#pragma once

#include "FakeSerialDevice.h"

#include "serial/PortRegistry.h"

#include <QtGlobal>
#include <QWidget>

#include <memory>

// A child of a window by object name; a missing one ends the test run loudly.
template <class T>
T* FindChildOrDie(QWidget& aWindow, const char* aName)
{
    T* child = aWindow.findChild<T*>(QLatin1String(aName));
    if (!child)
        qFatal("no child %s", aName);
    return child;
}

// Puts a fake device behind every port number; returns the state the test controls.
inline std::shared_ptr<TFakeDeviceState> InstallFakePorts()
{
    auto state = std::make_shared<TFakeDeviceState>();
    TPortRegistry::Instance().SetDeviceFactory(
        [state](int) { return std::make_unique<TFakeSerialDevice>(state); });
    return state;
}
