#pragma once

class QDialog;

// Runs modal dialogs. Tests install a runner of their own that fills and closes them.
class IDialogRunner
{
public:
    virtual ~IDialogRunner() = default;
    virtual int Exec(QDialog* aDialog) = 0;
};

// Runs aDialog modally and returns its result code; the time counts as waiting for the user.
int ExecDialog(QDialog* aDialog);
// Installs aRunner (not owned); nullptr restores QDialog::exec.
void SetDialogRunner(IDialogRunner* aRunner);
