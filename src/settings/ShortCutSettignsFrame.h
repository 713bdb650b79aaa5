#pragma once

#include "settings/SettingsFrame.h"

#include <QKeyCombination>
#include <QList>
#include <QPointer>

class QAction;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TShortCutEdit;

// "Tastenkürzel": the shortcuts and hints of the main window's actions. It works on the
// actions themselves; they reach the settings file with the window's state.
class TShortcutSettingsFrame final : public TSettingsFrame
{
    Q_OBJECT
public:
    explicit TShortcutSettingsFrame(QWidget* aParent = nullptr);

    void Load() override {}
    void Save() override;

    void SetActionList(const QList<QAction*>& aActions);

    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    void vtShortcutFocusChanging(QTreeWidgetItem* aNew, QTreeWidgetItem* aOld);
    QAction* ActionOf(QTreeWidgetItem* aItem) const;
    void ApplyToAction(QAction* aAction);
    void ShowRow(QTreeWidgetItem* aItem);
    // A combination the user has just pressed: asked about when something else holds it.
    void edHotkeyChanged();
    bool ConfirmTaken(QKeyCombination aKey);

    QList<QPointer<QAction>> FActionList;
    QTreeWidget* vtShortcut = nullptr;
    TShortCutEdit* edHotkey = nullptr;
    QPlainTextEdit* edHint = nullptr;
    // What the field held before the last key, for a refused combination.
    QKeyCombination FAccepted;
    bool FLoading = false;
};
