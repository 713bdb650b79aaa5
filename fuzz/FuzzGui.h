#pragma once

// Targets that need widgets or text layout: one QApplication on the offscreen platform, so
// no display is needed.

#include "FuzzSupport.h"

#include <QApplication>

namespace fuzz {

inline void EnsureGuiApp()
{
    if (QCoreApplication::instance())
        return;
    QuietStart();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "varnex-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace fuzz
