#pragma once

#include "ScriptedPrompts.h"

#include "ui/Dialogs.h"
#include "ui/WidgetServices.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

// Scripted prompts for window tests: the program's own dialogs are installed, and every modal
// dialog is filled and closed by DialogHandler (rejected without one).
class TScriptedDialogs final : public TScriptedPrompts, public IDialogRunner
{
public:
    TScriptedDialogs()
    {
        InstallWidgetServices();
        SetPrompts(this);
        SetDialogRunner(this);
    }
    ~TScriptedDialogs() override { SetDialogRunner(nullptr); }

    TButton Ask(TKind aKind, const QString& aText, const QList<TButton>& aButtons, const QString& aTitle,
                std::optional<TButton> aDefault) override
    {
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
        return TScriptedPrompts::Ask(aKind, aText, aButtons, aTitle, aDefault);
    }
    int Exec(QDialog* aDialog) override
    {
        ++DialogsShown;
        if (DialogHandler)
            return DialogHandler(aDialog);
        return QDialog::Rejected;
    }

    bool RunEventLoopWhenAsked = false;
    int DialogsShown = 0;
    // Fills and closes a dialog; returns its result code.
    std::function<int(QDialog*)> DialogHandler;
};
