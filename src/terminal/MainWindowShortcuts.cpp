// Keyboard shortcuts of the command library: firing a command from any key in the window,
// parking the menu shortcuts while a cell is edited, the clash with menu shortcuts and the
// generated F-key shortcuts.
#include "terminal/MainWindow.h"

#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "commands/ShortCutText.h"
#include "log/Log.h"
#include "settings/VarnexSettings.h"
#include "ui/ErrorGuard.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QKeyEvent>

namespace {
// Where an action keeps its shortcuts while they are parked.
const char* const kParkedShortCuts = "ParkedShortCuts";

bool SequencesHold(const QList<QKeySequence>& aSequences, QKeyCombination aKey)
{
    for (const QKeySequence& sequence : aSequences)
        if (sequence.count() == 1 && sequence[0] == aKey)
            return true;
    return false;
}
} // namespace

QList<QAction*> TfrmMainWindow::ActionList() const
{
    QList<QAction*> actions;
    for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly))
        if (action->objectName().startsWith(QLatin1String("ac")))
            actions.append(action);
    return actions;
}

void TfrmMainWindow::SetShortcutState(bool aEnabled)
{
    if (aEnabled == !mShortcutsSuspended)
        return;
    for (QAction* action : ActionList()) {
        if (aEnabled) {
            action->setShortcuts(action->property(kParkedShortCuts).value<QList<QKeySequence>>());
            action->setProperty(kParkedShortCuts, QVariant());
        } else {
            action->setProperty(kParkedShortCuts, QVariant::fromValue(action->shortcuts()));
            action->setShortcuts(QList<QKeySequence>());
        }
    }
    mShortcutsSuspended = !aEnabled;
    qCDebug(lcCommands) << (aEnabled ? "Normal" : "Suspended");
}

QAction* TfrmMainWindow::FindActionByShortCut(QKeyCombination aKey) const
{
    if (!IsShortCut(aKey))
        return nullptr;
    for (QAction* action : ActionList()) {
        if (SequencesHold(action->shortcuts(), aKey)
            || SequencesHold(action->property(kParkedShortCuts).value<QList<QKeySequence>>(), aKey))
            return action;
    }
    return nullptr;
}

void TfrmMainWindow::vtSendNewShortCut(pugi::xml_node aElement, const QString& aText)
{
    const QKeyCombination key = TextToShortCut(aText);
    if (QAction* action = FindActionByShortCut(key)) {
        const QString question =
            QStringLiteral("Der Shortcut (%1) ist bereits einem Menübefehl zugeordnet (Befehl = %2). "
                           "\r\nSoll der Shortcut für den Befehl deaktiviert und dem Kommando "
                           "zugewiesen werden?")
                .arg(aText, action->text());
        if (Prompts().Ask(this, IPrompts::TKind::Question, question,
                          {IPrompts::TButton::Yes, IPrompts::TButton::No})
            == IPrompts::TButton::Yes) {
            // The action loses only this combination; it stays without it once the parked
            // shortcuts come back.
            QList<QKeySequence> remaining;
            const QList<QKeySequence> source =
                mShortcutsSuspended ? action->property(kParkedShortCuts).value<QList<QKeySequence>>()
                                    : action->shortcuts();
            for (const QKeySequence& sequence : source)
                if (!(sequence.count() == 1 && sequence[0] == key))
                    remaining.append(sequence);
            if (mShortcutsSuspended)
                action->setProperty(kParkedShortCuts, QVariant::fromValue(remaining));
            else
                action->setShortcuts(remaining);
        }
    }
    SetAttrString(aElement, QStringLiteral("ShortCut"), aText);
}

void TfrmMainWindow::acRenumberExecute()
{
    CommandTree::Renumber(VarnexSettings()->SendMRURoot(), [this](QKeyCombination aKey) {
        return FindActionByShortCut(aKey) != nullptr;
    });
    RefreshCommandTree();
}

bool TfrmMainWindow::FormKeyDown(QKeyEvent* aEvent)
{
    const QString text = ShortCutToText(KeyEventToShortCut(aEvent));
    if (text.isEmpty() || ui->vtSend->IsEditing() || !VarnexSettings()->XMLEnabled())
        return false;
    const pugi::xml_node element = CommandTree::FindByShortCut(VarnexSettings()->SendMRURoot(), text);
    if (!element)
        return false;
    qCDebug(lcCommands) << "Pressed key =" << text;
    Guarded(this, [&] { SendElement(element); });
    ActionListUpdate();
    return true;
}

bool TfrmMainWindow::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    // Keys of this window reach the command shortcuts before the focused control; menu
    // shortcuts were matched earlier still. A key travels up the parent chain when it is
    // not taken, so only its first receiver is looked at.
    if (aEvent->type() == QEvent::KeyPress && aWatched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(aWatched);
        QWidget* focus = QApplication::focusWidget();
        const bool first = focus ? widget == focus : widget == this;
        if (first && widget->window() == this && FormKeyDown(static_cast<QKeyEvent*>(aEvent)))
            return true;
    }
    return QMainWindow::eventFilter(aWatched, aEvent);
}
