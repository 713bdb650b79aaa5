#include "ui/MessageBoxPrompts.h"

#include <QApplication>
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

// A box belongs to the dialog or window the user is working in.
QWidget* BoxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

void TMessageBoxPrompts::ShowMessage(const QString& aText)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), aText, QMessageBox::Ok,
                    BoxParent());
    box.exec();
}

void TMessageBoxPrompts::ShowError(const QString& aText)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), aText, QMessageBox::Ok,
                    BoxParent());
    box.exec();
}

IPrompts::TButton TMessageBoxPrompts::Ask(TKind aKind, const QString& aText, const QList<TButton>& aButtons,
                                          const QString& aTitle, std::optional<TButton> aDefault)
{
    static const QMessageBox::Icon icons[] = {QMessageBox::Information, QMessageBox::Warning,
                                              QMessageBox::Critical, QMessageBox::Question};
    QMessageBox box(icons[int(aKind)], aTitle.isEmpty() ? QApplication::applicationName() : aTitle, aText,
                    QMessageBox::NoButton, BoxParent());
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
