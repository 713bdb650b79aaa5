#pragma once

#include "ui/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QList>
#include <QStringList>

#include <functional>

// Answers message boxes and dialogs from a script and records what was shown.
// Installs itself for its lifetime.
class TScriptedPrompts final : public IPrompts
{
public:
    TScriptedPrompts() { SetPrompts(this); }
    ~TScriptedPrompts() override { SetPrompts(nullptr); }

    void ShowMessage(QWidget*, const QString& aText) override { Messages << aText; }
    void ShowError(QWidget*, const QString& aText) override { Errors << aText; }
    TButton Ask(QWidget*, TKind, const QString& aText, const QList<TButton>& aButtons, const QString& aTitle,
                std::optional<TButton> aDefault) override
    {
        Questions << aText;
        Titles << aTitle;
        Defaults << aDefault;
        if (RunEventLoopWhenAsked) {
            // A real message box takes the focus and runs an event loop: focus-out handlers,
            // queued work and deferred deletions happen while it is open.
            QWidget box;
            box.setFocusPolicy(Qt::StrongFocus);
            box.show();
            QApplication::setActiveWindow(&box);
            box.setFocus();
            QEventLoop loop;
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (!Answers.isEmpty())
            return Answers.takeFirst();
        return aButtons.isEmpty() ? TButton::Ok : aButtons.first();
    }
    int ExecDialog(QDialog* aDialog) override
    {
        ++DialogsShown;
        if (DialogHandler)
            return DialogHandler(aDialog);
        return QDialog::Rejected;
    }

    QStringList Messages;
    QStringList Errors;
    QStringList Questions;
    QStringList Titles;
    QList<TButton> Answers;
    QList<std::optional<TButton>> Defaults;
    bool RunEventLoopWhenAsked = false;
    int DialogsShown = 0;
    // Fills and closes a dialog; returns its result code.
    std::function<int(QDialog*)> DialogHandler;
};
