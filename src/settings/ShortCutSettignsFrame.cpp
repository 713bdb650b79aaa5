#include "settings/ShortCutSettignsFrame.h"

#include "base/Prompts.h"
#include "commands/CommandTree.h"
#include "commands/ShortCutEdit.h"
#include "log/Log.h"
#include "settings/VarnexSettings.h"
#include "settings/XMLGlobal.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kHintProperty = "Hint";

enum { colImage, colName, colShortcut };

// A horizontal line under every row.
class TRowLines final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* aPainter, const QStyleOptionViewItem& aOption,
               const QModelIndex& aIndex) const override
    {
        QStyledItemDelegate::paint(aPainter, aOption, aIndex);
        aPainter->save();
        aPainter->setPen(aOption.palette.color(QPalette::Midlight));
        aPainter->drawLine(aOption.rect.bottomLeft(), aOption.rect.bottomRight());
        aPainter->restore();
    }
};

QString HintOf(const QAction* aAction)
{
    const QVariant hint = aAction->property(kHintProperty);
    return hint.isValid() ? hint.toString() : aAction->toolTip();
}

bool Holds(const QList<QKeySequence>& aSequences, QKeyCombination aKey)
{
    for (const QKeySequence& sequence : aSequences)
        if (sequence.count() == 1 && sequence[0] == aKey)
            return true;
    return false;
}

QList<QKeySequence> Without(const QList<QKeySequence>& aSequences, QKeyCombination aKey)
{
    QList<QKeySequence> remaining;
    for (const QKeySequence& sequence : aSequences)
        if (!(sequence.count() == 1 && sequence[0] == aKey))
            remaining.append(sequence);
    return remaining;
}

} // namespace

TShortcutSettingsFrame::TShortcutSettingsFrame(QWidget* aParent)
    : TSettingsFrame(
        3,
        QStringLiteral("Hier können Tastenkürzel für die verschiedenen Befehle in Varnex eingestellt "
                       "werden. Um ein Tastenkürzel zu löschen kann im Tastenkürzelfeld die "
                       "Leertaste gedrückt werden."),
        aParent)
{
    vtShortcut = new QTreeWidget(this);
    vtShortcut->setObjectName(QStringLiteral("vtShortcut"));
    vtShortcut->setColumnCount(3);
    vtShortcut->setHeaderLabels({QString(), QStringLiteral("Name"), QStringLiteral("Tastenkürzel")});
    vtShortcut->setRootIsDecorated(false);
    vtShortcut->setUniformRowHeights(true);
    vtShortcut->setSelectionBehavior(QAbstractItemView::SelectRows);
    vtShortcut->setSelectionMode(QAbstractItemView::SingleSelection);
    vtShortcut->setEditTriggers(QAbstractItemView::NoEditTriggers);
    vtShortcut->setItemDelegate(new TRowLines(vtShortcut));
    // The name takes what the page leaves after the picture and the shortcut.
    vtShortcut->header()->setStretchLastSection(false);
    vtShortcut->header()->setSectionResizeMode(colName, QHeaderView::Stretch);
    vtShortcut->setColumnWidth(colImage, 38);
    vtShortcut->setColumnWidth(colShortcut, 120);
    connect(vtShortcut, &QTreeWidget::currentItemChanged, this,
            &TShortcutSettingsFrame::vtShortcutFocusChanging);
    Body()->addWidget(vtShortcut, 1);

    auto* label = new QLabel(QStringLiteral("Tastenkürzel (Leertaste zum löschen):"), this);
    Body()->addWidget(label);
    edHotkey = new TShortCutEdit(TShortCutEdit::TMode::Exact, this);
    edHotkey->setObjectName(QStringLiteral("edHotkey"));
    edHotkey->installEventFilter(this);
    label->setBuddy(edHotkey);
    connect(edHotkey, &TShortCutEdit::ShortCutChanged, this, &TShortcutSettingsFrame::edHotkeyChanged);
    Body()->addWidget(edHotkey);

    edHint = new QPlainTextEdit(this);
    edHint->setObjectName(QStringLiteral("edHint"));
    edHint->setTabChangesFocus(true);
    edHint->setMaximumHeight(4 * edHint->fontMetrics().lineSpacing() + 12);
    Body()->addWidget(edHint);
}

void TShortcutSettingsFrame::SetActionList(const QList<QAction*>& aActions)
{
    FActionList.clear();
    vtShortcut->clear();
    for (QAction* action : aActions) {
        FActionList.append(action);
        auto* item = new QTreeWidgetItem(vtShortcut);
        // Separators and menus have nothing to show.
        if (!action || action->isSeparator() || action->menu())
            continue;
        item->setIcon(colImage, action->icon());
        item->setText(colName, action->text().remove(QLatin1Char('&')));
        item->setText(colShortcut, ShortCutToText(action->shortcut()));
    }
}

QAction* TShortcutSettingsFrame::ActionOf(QTreeWidgetItem* aItem) const
{
    const int row = aItem ? vtShortcut->indexOfTopLevelItem(aItem) : -1;
    if (row < 0 || row >= FActionList.size())
        return nullptr;
    QAction* action = FActionList.at(row);
    return action && !action->isSeparator() && !action->menu() ? action : nullptr;
}

void TShortcutSettingsFrame::vtShortcutFocusChanging(QTreeWidgetItem* aNew, QTreeWidgetItem* aOld)
{
    qCDebug(lcSettings) << "OldNode = " << (aOld ? vtShortcut->indexOfTopLevelItem(aOld) : -1);
    qCDebug(lcSettings) << "NewNode = " << (aNew ? vtShortcut->indexOfTopLevelItem(aNew) : -1);
    if (QAction* old = ActionOf(aOld)) {
        ApplyToAction(old);
        aOld->setText(colShortcut, ShortCutToText(old->shortcut()));
    }
    ShowRow(aNew);
}

void TShortcutSettingsFrame::ShowRow(QTreeWidgetItem* aItem)
{
    QAction* action = ActionOf(aItem);
    FLoading = true;
    edHotkey->SetShortCut(action && !action->shortcut().isEmpty() ? action->shortcut()[0] : kNoShortCut);
    FLoading = false;
    FAccepted = edHotkey->ShortCut();
    const QString hint = action ? HintOf(action) : QString();
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    edHint->setPlainText(bar < 0 ? hint : hint.mid(bar + 1));
    edHotkey->setEnabled(action != nullptr);
    edHint->setEnabled(action != nullptr);
    if (action)
        edHotkey->setFocus();
}

void TShortcutSettingsFrame::ApplyToAction(QAction* aAction)
{
    const QString text = edHotkey->ShortCutText();
    // Only a changed shortcut is written: an action may answer to more than one key (Enter on
    // the keypad as well as Return) and keeps them all while it is left alone.
    if (text != ShortCutToText(aAction->shortcut())) {
        const QKeyCombination key = edHotkey->ShortCut();
        // The user agreed to move the combination here when it was pressed.
        if (key != kNoShortCut)
            for (const QPointer<QAction>& other : FActionList)
                if (other && other != aAction && Holds(other->shortcuts(), key)) {
                    other->setShortcuts(Without(other->shortcuts(), key));
                    const int row = FActionList.indexOf(other);
                    if (QTreeWidgetItem* item = vtShortcut->topLevelItem(row))
                        item->setText(colShortcut, ShortCutToText(other->shortcut()));
                }
        aAction->setShortcuts(TextToShortcuts(text));
    }
    // The page shows the long part of the hint; the short part (the tool tip) stays.
    const QString hint = HintOf(aAction);
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    const QString edited = edHint->toPlainText();
    aAction->setProperty(kHintProperty, bar < 0 ? edited : hint.left(bar + 1) + edited);
}

void TShortcutSettingsFrame::Save()
{
    const QList<QTreeWidgetItem*> selected = vtShortcut->selectedItems();
    QTreeWidgetItem* item = selected.isEmpty() ? vtShortcut->currentItem() : selected.constFirst();
    if (QAction* action = ActionOf(item)) {
        ApplyToAction(action);
        item->setText(colShortcut, ShortCutToText(action->shortcut()));
    }
}

bool TShortcutSettingsFrame::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    // The space bar alone clears the shortcut. Enter is a key like any other here (sending
    // has it), so the dialog closes from the keyboard with Escape only.
    if (aWatched == edHotkey
        && (aEvent->type() == QEvent::KeyPress || aEvent->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(aEvent);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool space = key->key() == Qt::Key_Space;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (plain && (space || enter)) {
            if (aEvent->type() == QEvent::KeyPress)
                edHotkey->SetShortCut(space ? kNoShortCut : QKeyCombination(Qt::Key_Return));
            aEvent->accept();
            return true;
        }
    }
    return TSettingsFrame::eventFilter(aWatched, aEvent);
}

void TShortcutSettingsFrame::edHotkeyChanged()
{
    if (FLoading)
        return;
    const QKeyCombination key = edHotkey->ShortCut();
    if (key == kNoShortCut || ConfirmTaken(key)) {
        FAccepted = key;
        return;
    }
    FLoading = true;
    edHotkey->SetShortCut(FAccepted);
    FLoading = false;
}

bool TShortcutSettingsFrame::ConfirmTaken(QKeyCombination aKey)
{
    QAction* own = ActionOf(vtShortcut->currentItem());
    const QString text = ShortCutToText(aKey);
    for (const QPointer<QAction>& other : FActionList) {
        if (!other || other == own || !Holds(other->shortcuts(), aKey))
            continue;
        const QString question =
            QStringLiteral("Das Tastenkürzel (%1) ist bereits dem Menübefehl \"%2\" zugeordnet."
                           "\r\nSoll es dort entfernt und diesem Befehl zugewiesen werden?")
                .arg(text, other->text().remove(QLatin1Char('&')));
        return Prompts().Ask(IPrompts::TKind::Question, question,
                             {IPrompts::TButton::Yes, IPrompts::TButton::No})
            == IPrompts::TButton::Yes;
    }
    if (TVarnexSettings* settings = Settings()) {
        const pugi::xml_node command = CommandTree::FindByShortCut(settings->SendMRURoot(), text);
        if (command) {
            QString name = GetAttrString(QStringLiteral("Name"), command, QString());
            if (name.isEmpty())
                name = GetAttrString(QStringLiteral("Text"), command, QString());
            const QString question =
                QStringLiteral(
                    "Das Tastenkürzel (%1) ist bereits dem Kommando \"%2\" zugeordnet. Der Menübefehl "
                    "geht vor, das Kommando ist dann nicht mehr über das Tastenkürzel erreichbar."
                    "\r\nSoll es trotzdem diesem Befehl zugewiesen werden?")
                    .arg(text, name);
            return Prompts().Ask(IPrompts::TKind::Question, question,
                                 {IPrompts::TButton::Yes, IPrompts::TButton::No})
                == IPrompts::TButton::Yes;
        }
    }
    return true;
}
