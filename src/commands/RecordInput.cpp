#include "commands/RecordInput.h"
#include "ui_RecordInput.h"

#include "base/Prompts.h"
#include "base/VarnexError.h"
#include "controls/MvEdit.h"
#include "log/Log.h"
#include "settings/XMLGlobal.h"
#include "ui/Dialogs.h"

#include <QAbstractItemModel>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

// The Fields document as a tree: headings at the top level, every other item below the
// heading before it, or at the top level while no heading has come yet.
class TfrmRecordInput::TFieldsModel final : public QAbstractItemModel
{
public:
    using QAbstractItemModel::QAbstractItemModel;

    void Rebuild(pugi::xml_node aRoot)
    {
        beginResetModel();
        FNodes.clear();
        FTopLevel.clear();
        int heading = -1;
        for (pugi::xml_node item : aRoot.children("Item")) {
            const int id = int(FNodes.size());
            TNode node{item, -1, 0, {}};
            QList<int>& siblings =
                TRecordFields::IsHeading(item) || heading < 0 ? FTopLevel : FNodes[heading].Children;
            if (!TRecordFields::IsHeading(item) && heading >= 0)
                node.Parent = heading;
            node.Row = int(siblings.size());
            siblings << id;
            FNodes.push_back(std::move(node));
            if (TRecordFields::IsHeading(item))
                heading = id;
        }
        endResetModel();
    }

    pugi::xml_node ItemOf(const QModelIndex& aIndex) const
    {
        return aIndex.isValid() ? FNodes[aIndex.internalId()].Item : pugi::xml_node();
    }

    QModelIndex index(int aRow, int aColumn, const QModelIndex& aParent) const override
    {
        const QList<int>& rows = aParent.isValid() ? FNodes[aParent.internalId()].Children : FTopLevel;
        if (aRow < 0 || aRow >= rows.size() || aColumn < 0 || aColumn > 1)
            return {};
        return createIndex(aRow, aColumn, quintptr(rows[aRow]));
    }

    QModelIndex parent(const QModelIndex& aChild) const override
    {
        if (!aChild.isValid())
            return {};
        const int parentId = FNodes[aChild.internalId()].Parent;
        if (parentId < 0)
            return {};
        return createIndex(FNodes[parentId].Row, 0, quintptr(parentId));
    }

    int rowCount(const QModelIndex& aParent) const override
    {
        if (!aParent.isValid())
            return int(FTopLevel.size());
        return aParent.column() == 0 ? int(FNodes[aParent.internalId()].Children.size()) : 0;
    }

    int columnCount(const QModelIndex&) const override { return 2; }

    QVariant data(const QModelIndex& aIndex, int aRole) const override
    {
        const pugi::xml_node item = ItemOf(aIndex);
        if (!item)
            return {};
        if (aRole == Qt::DisplayRole) {
            if (aIndex.column() == 0)
                return GetAttrString(QStringLiteral("Name"), item, QString());
            if (TRecordFields::IsHeading(item))
                return {};
            // Painting must not throw; BuildTree has already reported unknown types.
            try {
                return TRecordFields::GetValueFromNode(item);
            } catch (const EVarnexError&) {
                return {};
            }
        }
        if (aRole == Qt::FontRole && aIndex.column() == 0 && TRecordFields::IsHeading(item)) {
            QFont font;
            font.setBold(true);
            font.setUnderline(true);
            return font;
        }
        return {};
    }

    bool setData(const QModelIndex& aIndex, const QVariant& aValue, int aRole) override
    {
        if (aRole != Qt::EditRole || !(flags(aIndex) & Qt::ItemIsEditable))
            return false;
        SetAttrString(ItemOf(aIndex), QStringLiteral("Value"), aValue.toString());
        emit dataChanged(aIndex, aIndex);
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& aIndex) const override
    {
        if (!aIndex.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (aIndex.column() == 1 && TRecordFields::IsEditable(ItemOf(aIndex)))
            result |= Qt::ItemIsEditable;
        return result;
    }

    QVariant headerData(int aSection, Qt::Orientation aOrientation, int aRole) const override
    {
        if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole)
            return {};
        return aSection == 0 ? QStringLiteral("Name") : QStringLiteral("Wert");
    }

private:
    struct TNode
    {
        pugi::xml_node Item;
        int Parent;
        int Row;
        QList<int> Children;
    };
    std::vector<TNode> FNodes;
    QList<int> FTopLevel;
};

// The in-place value editor: a numeric edit for numbers and texts, a drop-down list for
// enumerations. Keys in the editor move through the tree like a property grid.
class TfrmRecordInput::TPropertyEditLink final : public QStyledItemDelegate
{
public:
    TPropertyEditLink(TfrmRecordInput* aParent, QTreeView* aTree)
        : QStyledItemDelegate(aParent)
        , mTree(aTree)
    {
    }

    QWidget* Link() const { return mLink; }
    QModelIndex Node() const { return mLink ? QModelIndex(mNode) : QModelIndex(); }

    bool EndEdit()
    {
        if (!mLink)
            return false;
        QWidget* editor = mLink;
        emit commitData(editor);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
        mLink = nullptr;
        return true;
    }

    void CancelEdit()
    {
        if (!mLink)
            return;
        QWidget* editor = mLink;
        emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        mLink = nullptr;
    }

    QWidget* createEditor(QWidget* aParent, const QStyleOptionViewItem&,
                          const QModelIndex& aIndex) const override
    {
        mNode = aIndex;
        mItemElement = static_cast<const TFieldsModel*>(aIndex.model())->ItemOf(aIndex);
        const TPropDataType type = TRecordFields::DataTypeOf(mItemElement);
        if (type == dtNumber || type == dtString) {
            auto* edit = new TMvEdit(TMvEdit::TVariant::MvEdit, aParent);
            edit->SetNumMode(type == dtNumber);
            mLink = edit;
        } else if (type == dtEnum) {
            auto* list = new QComboBox(aParent);
            list->setEditable(false);
            for (pugi::xml_node choice : mItemElement.children("Enum"))
                list->addItem(GetAttrString(QStringLiteral("Name"), choice, QString()),
                              GetAttrString(QStringLiteral("Value"), choice, QString()));
            mLink = list;
        } else {
            return nullptr;
        }
        return mLink;
    }

    void setEditorData(QWidget* aEditor, const QModelIndex&) const override
    {
        if (auto* edit = qobject_cast<TMvEdit*>(aEditor)) {
            edit->setText(GetAttrString(QStringLiteral("Value"), mItemElement, QString()));
            // Typing replaces the old value; the arrow keys keep it.
            edit->selectAll();
        } else if (auto* list = qobject_cast<QComboBox*>(aEditor)) {
            const pugi::xml_node chosen = TRecordFields::ChosenEnum(mItemElement);
            list->setCurrentIndex(
                chosen ? list->findData(GetAttrString(QStringLiteral("Value"), chosen, QString())) : -1);
        }
    }

    void setModelData(QWidget* aEditor, QAbstractItemModel* aModel, const QModelIndex& aIndex) const override
    {
        if (auto* edit = qobject_cast<TMvEdit*>(aEditor)) {
            aModel->setData(aIndex, edit->text());
        } else if (auto* list = qobject_cast<QComboBox*>(aEditor)) {
            // The choice's own value, not its place in the list: enumerations may have gaps.
            if (list->currentIndex() >= 0)
                aModel->setData(aIndex, list->currentData());
        }
    }

    void destroyEditor(QWidget* aEditor, const QModelIndex& aIndex) const override
    {
        if (aEditor == mLink)
            mLink = nullptr;
        QStyledItemDelegate::destroyEditor(aEditor, aIndex);
    }

protected:
    bool eventFilter(QObject* aObject, QEvent* aEvent) override
    {
        // Leaving the editor (for the Close button, say) does not end the edit: Close first
        // stores the value and only a second Close shuts the dialog.
        if (aEvent->type() == QEvent::FocusOut)
            return false;
        if (aEvent->type() != QEvent::KeyPress)
            return QStyledItemDelegate::eventFilter(aObject, aEvent);
        const auto* key = static_cast<QKeyEvent*>(aEvent);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            EndEdit();
            mTree->setFocus();
            return true;
        case Qt::Key_Escape:
            CancelEdit();
            mTree->setFocus();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            // A drop-down list needs its arrow keys to choose.
            if (!qobject_cast<TMvEdit*>(aObject))
                break;
            MoveFocus(key->key() == Qt::Key_Down);
            return true;
        default: break;
        }
        return QStyledItemDelegate::eventFilter(aObject, aEvent);
    }

private:
    void MoveFocus(bool aDown)
    {
        const QModelIndex from = mNode;
        EndEdit();
        mTree->setFocus();
        const QModelIndex to = aDown ? mTree->indexBelow(from) : mTree->indexAbove(from);
        QItemSelectionModel* selection = mTree->selectionModel();
        selection->clearSelection();
        if (to.isValid())
            selection->setCurrentIndex(to.siblingAtColumn(0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        else
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    }

    QTreeView* mTree;
    mutable QPersistentModelIndex mNode;
    mutable pugi::xml_node mItemElement;
    mutable QPointer<QWidget> mLink;
};

TfrmRecordInput::TfrmRecordInput(QWidget* aOwner)
    : QDialog(aOwner)
    , ui(std::make_unique<Ui::TfrmRecordInput>())
{
    ui->setupUi(this);

    QTreeView* tree = ui->vtRecordInput;
    mModel = new TFieldsModel(this);
    tree->setModel(mModel);
    mEditLink = new TPropertyEditLink(this, tree);
    tree->setItemDelegate(mEditLink);

    QHeaderView* header = tree->header();
    header->setSectionsMovable(true);
    header->setFirstSectionMovable(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setDefaultSectionSize(150);
    header->resizeSection(0, 150);
    header->resizeSection(1, 150);

    connect(tree->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& aCurrent) { vtRecordInputChange(aCurrent); });
    connect(tree, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& aIndex) { vtRecordInputClicked(aIndex); });
    connect(ui->butOK, &QPushButton::clicked, this, [this] { butOKClick(); });
}

TfrmRecordInput::~TfrmRecordInput() = default;

void TfrmRecordInput::BuildTree()
{
    EndEdit();
    // An item the tree cannot show is reported once, here, instead of on every repaint.
    FFields.CheckItems();
    mModel->Rebuild(FFields.Root());
    ui->vtRecordInput->expandAll();
}

void TfrmRecordInput::ShowRecord()
{
    BuildTree();
    ExecDialog(this);
    qCDebug(lcCommands).noquote() << FormatXMLText(DocumentToXML(FFields.Dom()), QStringLiteral("\t"));
}

bool TfrmRecordInput::IsEditing() const
{
    return mEditLink->Link() != nullptr;
}

QWidget* TfrmRecordInput::Editor() const
{
    return mEditLink->Link();
}

void TfrmRecordInput::reject()
{
    butOKClick();
}

void TfrmRecordInput::done(int)
{
    EndEdit();
    // Callers read the values whichever way the dialog went.
    QDialog::done(QDialog::Accepted);
}

void TfrmRecordInput::showEvent(QShowEvent* aEvent)
{
    QDialog::showEvent(aEvent);
    QTreeView* tree = ui->vtRecordInput;
    for (QModelIndex node = mModel->index(0, 0, {}); node.isValid(); node = tree->indexBelow(node)) {
        if (TRecordFields::IsEditable(mModel->ItemOf(node))) {
            tree->selectionModel()->setCurrentIndex(
                node, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            // The node may have been current already, which starts nothing.
            StartEdit(node);
            break;
        }
    }
}

void TfrmRecordInput::closeEvent(QCloseEvent* aEvent)
{
    // Otherwise the window's close button would only end the edit, as Close does.
    EndEdit();
    QDialog::closeEvent(aEvent);
}

void TfrmRecordInput::butOKClick()
{
    if (EndEdit()) {
        ui->vtRecordInput->setFocus();
        return;
    }
    accept();
}

void TfrmRecordInput::vtRecordInputChange(const QModelIndex& aCurrent)
{
    StartEdit(aCurrent);
}

void TfrmRecordInput::vtRecordInputClicked(const QModelIndex& aIndex)
{
    // A click into the row being edited must leave that edit alone.
    if (!IsEditing())
        StartEdit(aIndex);
}

void TfrmRecordInput::StartEdit(const QModelIndex& aIndex)
{
    const QModelIndex value = aIndex.siblingAtColumn(1);
    if (IsEditing() && mEditLink->Node() == value)
        return;
    EndEdit();
    if (value.isValid() && (value.flags() & Qt::ItemIsEditable))
        ui->vtRecordInput->edit(value);
}

bool TfrmRecordInput::EndEdit()
{
    return mEditLink->EndEdit();
}
