#pragma once

#include "base/Prompts.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers questions from a script and records every notice and question. Installs itself for
// its lifetime.
class TScriptedPrompts : public IPrompts
{
public:
    TScriptedPrompts() { SetPrompts(this); }
    ~TScriptedPrompts() override { SetPrompts(nullptr); }

    void ShowMessage(const QString& aText) override
    {
        Messages << aText;
        if (OnMessage)
            OnMessage(aText);
    }
    void ShowError(const QString& aText) override { Errors << aText; }
    TButton Ask(TKind, const QString& aText, const QList<TButton>& aButtons, const QString& aTitle,
                std::optional<TButton> aDefault) override
    {
        Questions << aText;
        Titles << aTitle;
        if (OnAsk)
            OnAsk();
        Defaults << aDefault;
        if (!Answers.isEmpty())
            return Answers.takeFirst();
        return aButtons.isEmpty() ? TButton::Ok : aButtons.first();
    }

    QStringList Messages;
    QStringList Errors;
    QStringList Questions;
    QStringList Titles;
    QList<TButton> Answers;
    QList<std::optional<TButton>> Defaults;
    // Runs while a question is "on screen".
    std::function<void()> OnAsk;
    // Runs while a notice is "on screen", as the user would act meanwhile.
    std::function<void(const QString&)> OnMessage;
};
