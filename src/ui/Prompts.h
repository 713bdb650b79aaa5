#pragma once

#include <QList>
#include <QString>

#include <optional>

class QDialog;
class QWidget;

// Every message box and modal dialog goes through this service, so tests can answer them.
class IPrompts
{
public:
    enum class TButton { Ok, Cancel, Yes, No, Abort, Retry, Ignore };
    enum class TKind { Information, Warning, Error, Question };

    virtual ~IPrompts() = default;

    // A plain notice with an OK button.
    virtual void ShowMessage(QWidget* aParent, const QString& aText) = 0;
    // The standard error box for an exception that reached an event handler.
    virtual void ShowError(QWidget* aParent, const QString& aText) = 0;
    // A question with the given buttons; returns the button chosen. An empty title means
    // the program's name; aDefault is the button Enter chooses (the box decides without it).
    virtual TButton Ask(QWidget* aParent, TKind aKind, const QString& aText, const QList<TButton>& aButtons,
                        const QString& aTitle = QString(),
                        std::optional<TButton> aDefault = std::nullopt) = 0;
    // Runs a modal dialog and returns its result code.
    virtual int ExecDialog(QDialog* aDialog) = 0;
};

// The process-wide prompt service (message boxes unless a test installed its own).
IPrompts& Prompts();
// Installs aPrompts (not owned); nullptr restores the message boxes.
void SetPrompts(IPrompts* aPrompts);
