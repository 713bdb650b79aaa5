#include "ui/Dialogs.h"

#include "base/Prompts.h"

#include <QDialog>

namespace {
IDialogRunner* gRunner = nullptr;
} // namespace

int ExecDialog(QDialog* aDialog)
{
    TUserWait wait;
    return gRunner ? gRunner->Exec(aDialog) : aDialog->exec();
}

void SetDialogRunner(IDialogRunner* aRunner)
{
    gRunner = aRunner;
}
