#include "ui/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton ToStandard(IPrompts::TButton aButton)
{
    switch (aButton) {
    case IPrompts::TButton::Ok: return QMessageBox::Ok;
    case IPrompts::TButton::Cancel: return QMessageBox::Cancel;
    case IPrompts::TButton::Yes: return QMessageBox::Yes;
    case IPrompts::TButton::No: return QMessageBox::No;
    case IPrompts::TButton::Abort: return QMessageBox::Abort;
    case IPrompts::TButton::Retry: return QMessageBox::Retry;
    case IPrompts::TButton::Ignore: return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

class TMessageBoxPrompts final : public IPrompts
{
public:
    void ShowMessage(QWidget* aParent, const QString& aText) override
    {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), aText, QMessageBox::Ok,
                        aParent);
        box.exec();
    }

    void ShowError(QWidget* aParent, const QString& aText) override
    {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), aText, QMessageBox::Ok,
                        aParent);
        box.exec();
    }

    TButton Ask(QWidget* aParent, TKind aKind, const QString& aText, const QList<TButton>& aButtons,
                const QString& aTitle, std::optional<TButton> aDefault) override
    {
        static const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical, QMessageBox::Question};
        QMessageBox box(icons[int(aKind)], aTitle.isEmpty() ? QApplication::applicationName() : aTitle, aText,
                        QMessageBox::NoButton, aParent);
        for (TButton b : aButtons)
            box.addButton(ToStandard(b));
        if (aDefault)
            box.setDefaultButton(ToStandard(*aDefault));
        const int chosen = box.exec();
        for (TButton b : aButtons)
            if (chosen == ToStandard(b))
                return b;
        return aButtons.isEmpty() ? TButton::Ok : aButtons.last();
    }

    int ExecDialog(QDialog* aDialog) override { return aDialog->exec(); }
};

TMessageBoxPrompts gMessageBoxes;
IPrompts* gPrompts = nullptr;

} // namespace

IPrompts& Prompts()
{
    return gPrompts ? *gPrompts : static_cast<IPrompts&>(gMessageBoxes);
}

void SetPrompts(IPrompts* aPrompts)
{
    gPrompts = aPrompts;
}
