#pragma once

#include "ui/Prompts.h"
#include "ui/VarnexError.h"

#include <exception>
#include <utility>

class QWidget;

// Runs an event handler so that no exception crosses into Qt: an error is shown in the
// standard error box and the program goes on.
template <class F>
bool Guarded(QWidget* aParent, F&& aHandler)
{
    try {
        std::forward<F>(aHandler)();
        return true;
    } catch (const EVarnexError& e) {
        Prompts().ShowError(aParent, e.Message());
    } catch (const std::exception& e) {
        Prompts().ShowError(aParent, QString::fromLocal8Bit(e.what()));
    }
    return false;
}
