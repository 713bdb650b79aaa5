#pragma once

#include "FakeSerialDevice.h"

#include <QComboBox>
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

// The postfix starts as CR LF; tests that send bare texts take it away.
inline void WithoutPostfix(QWidget& aWindow)
{
    FindChildOrDie<QComboBox>(aWindow, "cbPostfix")->setEditText(QString());
}
