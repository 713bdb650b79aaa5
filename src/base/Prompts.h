#pragma once

#include <QList>
#include <QString>

#include <optional>

// Every question and notice for the user goes through this service. The program installs
// message boxes at start; tests answer from a script; without either (the script runner on
// the command line) notices go to the standard error output.
class IPrompts
{
public:
    enum class TButton { Ok, Cancel, Yes, No, Abort, Retry, Ignore };
    enum class TKind { Information, Warning, Error, Question };

    virtual ~IPrompts() = default;

    // A plain notice with an OK button.
    virtual void ShowMessage(const QString& aText) = 0;
    // The standard error box for an exception that reached an event handler.
    virtual void ShowError(const QString& aText) = 0;
    // A question with the given buttons; returns the button chosen. An empty title means
    // the program's name; aDefault is the button Enter chooses (the box decides without it).
    virtual TButton Ask(TKind aKind, const QString& aText, const QList<TButton>& aButtons,
                        const QString& aTitle = QString(),
                        std::optional<TButton> aDefault = std::nullopt) = 0;
};

// The process-wide prompt service. Every call counts as time spent waiting for the user
// (see TUserWait).
IPrompts& Prompts();
// Installs aPrompts (not owned); nullptr restores the plain text output.
void SetPrompts(IPrompts* aPrompts);

// Marks a stretch of time in which the program waits for the user: a message box, a dialog.
// Script time limits leave these stretches out, so a script is not stopped because its user
// read a message slowly.
class TUserWait
{
public:
    TUserWait();
    ~TUserWait();
    TUserWait(const TUserWait&) = delete;
    TUserWait& operator=(const TUserWait&) = delete;

    // Milliseconds spent waiting for the user since the program started, the running wait
    // included. Only differences mean anything.
    static qint64 TotalMs();
};
