#pragma once

#include "base/Prompts.h"
#include "base/VarnexError.h"

#include <exception>
#include <utility>

// Runs an event handler so that no exception crosses into Qt: an error is shown in the
// standard error box and the program goes on. False when the handler failed.
template <class F>
bool Guarded(F&& aHandler)
{
    try {
        std::forward<F>(aHandler)();
        return true;
    } catch (const EVarnexError& e) {
        Prompts().ShowError(e.Message());
    } catch (const std::exception& e) {
        Prompts().ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
