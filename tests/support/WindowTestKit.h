#pragma once

#include "FakeSerialDevice.h"

#include <QtGlobal>
#include <QWidget>

// A child of a window by object name; a missing one ends the test run loudly.
template <class T>
T* FindChildOrDie(QWidget& aWindow, const char* aName)
{
    T* child = aWindow.findChild<T*>(QLatin1String(aName));
    if (!child)
        qFatal("no child %s", aName);
    return child;
}
