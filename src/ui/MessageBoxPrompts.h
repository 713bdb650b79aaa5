#pragma once

#include "base/Prompts.h"

// The prompt service of the windowed program: message boxes over the active window.
class TMessageBoxPrompts final : public IPrompts
{
public:
    void ShowMessage(const QString& aText) override;
    void ShowError(const QString& aText) override;
    TButton Ask(TKind aKind, const QString& aText, const QList<TButton>& aButtons, const QString& aTitle,
                std::optional<TButton> aDefault) override;
};
