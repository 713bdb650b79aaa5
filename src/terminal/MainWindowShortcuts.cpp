// Keyboard shortcuts of the command library: firing a command from any key in the window,
// parking the menu shortcuts while a cell is edited, the clash with menu shortcuts and the
// generated F-key shortcuts.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "commands/ShortCutKeys.h"
#include "log/Log.h"
#include "settings/VarnexSettings.h"
#include "terminal/FileSender.h"
#include "terminal/ReceiveFindBar.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>

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
    // The command gets the shortcut whatever the answer; the question only decides whether
    // the menu keeps it. It is asked once the cell editor has closed: a message box inside
    // the editor's commit would take its focus and have it destroyed under the commit.
    SetAttrString(aElement, QStringLiteral("ShortCut"), aText);
    const QKeyCombination key = TextToShortCut(aText);
    QAction* clash = FindActionByShortCut(key);
    if (!clash)
        return;
    QTimer::singleShot(0, this, [this, action = QPointer<QAction>(clash), key, aText] {
        if (action)
            Guarded([&] { ConfirmShortCutConflict(action, key, aText); });
    });
}

void TfrmMainWindow::ConfirmShortCutConflict(QAction* aAction, QKeyCombination aKey, const QString& aText)
{
    const QString question =
        QStringLiteral("Der Shortcut (%1) ist bereits einem Menübefehl zugeordnet (Befehl = %2). "
                       "\r\nSoll der Shortcut für den Befehl deaktiviert und dem Kommando "
                       "zugewiesen werden?")
            .arg(aText, aAction->text());
    if (Prompts().Ask(IPrompts::TKind::Question, question, {IPrompts::TButton::Yes, IPrompts::TButton::No})
        != IPrompts::TButton::Yes)
        return;
    // The action loses only this combination, active or parked, so it stays without it once
    // parked shortcuts come back.
    auto without = [aKey](const QList<QKeySequence>& aSequences) {
        QList<QKeySequence> remaining;
        for (const QKeySequence& sequence : aSequences)
            if (!(sequence.count() == 1 && sequence[0] == aKey))
                remaining.append(sequence);
        return remaining;
    };
    aAction->setShortcuts(without(aAction->shortcuts()));
    const QVariant parked = aAction->property(kParkedShortCuts);
    if (parked.isValid())
        aAction->setProperty(kParkedShortCuts,
                             QVariant::fromValue(without(parked.value<QList<QKeySequence>>())));
}

void TfrmMainWindow::acRenumberExecute()
{
    CommandTree::Renumber(VarnexSettings()->SendMRURoot(),
                          [this](QKeyCombination aKey) { return FindActionByShortCut(aKey) != nullptr; });
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
    Guarded([&] { SendElement(element); });
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
        // Enter and Escape in the find bar step through the matches and close it, nothing else.
        if (mFindBar && mFindBar->OwnsKey(widget, static_cast<QKeyEvent*>(aEvent)))
            return QMainWindow::eventFilter(aWatched, aEvent);
        // ESC stops a file transfer, wherever the focus is in this window.
        if (mSender->IsSending() && static_cast<QKeyEvent*>(aEvent)->key() == Qt::Key_Escape
            && widget->window() == this) {
            mSender->Abort();
            return true;
        }
        QWidget* focus = QApplication::focusWidget();
        const bool first = focus ? widget == focus : widget == this;
        if (first && widget->window() == this && FormKeyDown(static_cast<QKeyEvent*>(aEvent)))
            return true;
    }
    return QMainWindow::eventFilter(aWatched, aEvent);
}
