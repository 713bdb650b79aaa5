#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

class TCommandTreeModel;

// The tree view of the command library (vtSend). It shows a TCommandTreeModel and reports
// what the user does; the main window decides what happens.
class TCommandTreeView : public QTreeView
{
    Q_OBJECT
public:
    explicit TCommandTreeView(QWidget* aParent = nullptr);

    void SetCommandModel(TCommandTreeModel* aModel);
    TCommandTreeModel* CommandModel() const { return FModel; }

    // A cell editor is open.
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    // Starts the in-place editor of a cell; false when the cell may not be edited.
    bool EditCell(const QModelIndex& aIndex, int aColumn);
    // Selected nodes (column 0) in tree order.
    QModelIndexList SelectedNodes() const;
    // Stores what an open cell editor holds and closes it, before anything reads or rebuilds
    // the tree.
    void FinishEditing();

signals:
    // A cell editor was opened or closed.
    void EditingChanged(bool aEditing);
    // Nodes from this view were dropped on aTarget (invalid: below the last node).
    void NodesDropped(const QModelIndex& aTarget);

protected:
    bool edit(const QModelIndex& aIndex, EditTrigger aTrigger, QEvent* aEvent) override;
    void closeEditor(QWidget* aEditor, QAbstractItemDelegate::EndEditHint aHint) override;
    void drawBranches(QPainter* aPainter, const QRect& aRect, const QModelIndex& aIndex) const override;
    void startDrag(Qt::DropActions aSupportedActions) override;
    void dragEnterEvent(QDragEnterEvent* aEvent) override;
    void dragMoveEvent(QDragMoveEvent* aEvent) override;
    void dropEvent(QDropEvent* aEvent) override;

private:
    TCommandTreeModel* FModel = nullptr;
};

// Cell editors of the command tree: the key-capture field for the shortcut column, a plain
// line edit for the others.
class TShortCutEditLink : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* aParent, const QStyleOptionViewItem& aOption,
                          const QModelIndex& aIndex) const override;
    void setEditorData(QWidget* aEditor, const QModelIndex& aIndex) const override;
    void setModelData(QWidget* aEditor, QAbstractItemModel* aModel, const QModelIndex& aIndex) const override;
    void updateEditorGeometry(QWidget* aEditor, const QStyleOptionViewItem& aOption,
                              const QModelIndex& aIndex) const override;
    bool eventFilter(QObject* aObject, QEvent* aEvent) override;
    // A lean painter for the three plain columns: the style's item painting lays out every
    // cell as rich text, which a tree of thousands of commands feels when scrolling.
    void paint(QPainter* aPainter, const QStyleOptionViewItem& aOption,
               const QModelIndex& aIndex) const override;
};
