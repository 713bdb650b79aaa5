#pragma once

#include "FakeSerialDevice.h"

#include "terminal/MainWindow.h"

#include <QComboBox>
#include <QtGlobal>
#include <QtTest>
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

// The postfix starts as CR LF; tests that send bare texts take it away.
inline void WithoutPostfix(QWidget& aWindow)
{
    FindChildOrDie<QComboBox>(aWindow, "cbPostfix")->setEditText(QString());
}

// A shown, active window whose port 7 is a fake device; aState is what the test controls.
inline std::unique_ptr<TfrmMainWindow> FakePortWindow(std::shared_ptr<TFakeDeviceState>& aState)
{
    aState = InstallFakePorts();
    auto window = std::make_unique<TfrmMainWindow>(7);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("window did not become active");
    return window;
}
