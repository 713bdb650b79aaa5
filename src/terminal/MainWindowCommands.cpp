// The command library in the main window: the tree's actions, command files and sending a
// command. The document work itself is in commands/CommandTree.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "commands/CommandEdit.h"
#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "ui/Dialogs.h"
#include "ui/RecentFiles.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {

constexpr int kTagSave = 1;
constexpr int kTagLoad = 2;

} // namespace

TCommandTreeView* TfrmMainWindow::CommandTreeView() const
{
    return ui->vtSend;
}

void TfrmMainWindow::SetUpCommandTree()
{
    TCommandTreeView* tree = ui->vtSend;
    mTreeModel = new TCommandTreeModel(this);
    QStyle* style = tree->style();
    mTreeModel->SetIcons(style->standardIcon(QStyle::SP_DirClosedIcon),
                         style->standardIcon(QStyle::SP_DirOpenIcon),
                         style->standardIcon(QStyle::SP_FileIcon));
    mTreeModel->OnNewShortCut = [this](pugi::xml_node aElement, const QString& aText) {
        Guarded([&] { vtSendNewShortCut(aElement, aText); });
    };
    tree->SetCommandModel(mTreeModel);
    QHeaderView* header = tree->header();
    header->resizeSection(TCommandTreeModel::colName, 161);
    header->resizeSection(TCommandTreeModel::colCommand, 100);
    header->resizeSection(TCommandTreeModel::colShortCut, 70);
    // The shortcut column is shown first.
    header->moveSection(header->visualIndex(TCommandTreeModel::colShortCut), 0);
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    SetUpTreeMenus();
    SetUpTreeToolBar();

    if (!VarnexSettings()->XMLEnabled()) {
        for (QAction* action :
             {ui->acDeleteNode, ui->acNewGroup, ui->acNewCommand, ui->acSaveTree, ui->acLoadTree,
              ui->acEditName, ui->acEditSC, ui->acEditCommand, ui->acRenumber, ui->acDeleteShortcuts,
              ui->acEditElement, ui->acHideParameter, ui->acDeleteAll})
            action->setEnabled(false);
        return;
    }
    mTreeModel->SetRoot(VarnexSettings()->SendMRURoot());
    UpdateCommandActions(true);
}

void TfrmMainWindow::SetUpTreeMenus()
{
    pmTree = new QMenu(this);
    pmTree->setObjectName(QStringLiteral("pmTree"));
    pmTree->addAction(ui->acEditElement);
    pmTree->addSeparator();
    pmTree->addAction(ui->acNewGroup);
    pmTree->addAction(ui->acNewCommand);
    pmTree->addSeparator();
    pmTree->addAction(ui->acHideParameter);
    pmTree->addSeparator();
    pmTree->addAction(ui->acEditName);
    pmTree->addAction(ui->acEditSC);
    pmTree->addAction(ui->acEditCommand);
    pmTree->addSeparator();
    pmTree->addAction(ui->acDeleteShortcuts);
    pmTree->addSeparator();
    pmTree->addAction(ui->acDeleteNode);
    pmTree->addAction(ui->acDeleteAll);

    pmRecentFilesLoad = new QMenu(this);
    pmRecentFilesLoad->setObjectName(QStringLiteral("pmRecentFilesLoad"));
    pmRecentFilesLoad->setProperty("Tag", kTagLoad);
    pmRecentFileSave = new QMenu(this);
    pmRecentFileSave->setObjectName(QStringLiteral("pmRecentFileSave"));
    pmRecentFileSave->setProperty("Tag", kTagSave);
}

void TfrmMainWindow::SetUpTreeToolBar()
{
    QStyle* style = ui->vtSend->style();
    // Pictures from the style keep the tool bar as narrow as the tree beside it.
    const std::pair<QAction*, QStyle::StandardPixmap> pictures[] = {
        {ui->acLoadTree, QStyle::SP_DialogOpenButton},
        {ui->acSaveTree, QStyle::SP_DialogSaveButton},
        {ui->acNewGroup, QStyle::SP_FileDialogNewFolder},
        {ui->acNewCommand, QStyle::SP_FileIcon},
        {ui->acEditElement, QStyle::SP_FileDialogContentsView},
        {ui->acDeleteNode, QStyle::SP_DialogDiscardButton},
        {ui->acDeleteAll, QStyle::SP_TrashIcon},
        {ui->acRenumber, QStyle::SP_BrowserReload},
        {ui->acHideParameter, QStyle::SP_FileDialogInfoView},
    };
    for (const auto& [action, picture] : pictures)
        action->setIcon(style->standardIcon(picture));
    QToolBar* bar = ui->tbSendMRU;
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(16, 16));
    bar->addAction(ui->acLoadTree);
    bar->addAction(ui->acSaveTree);
    for (auto [action, menu] :
         {std::pair{ui->acLoadTree, pmRecentFilesLoad}, std::pair{ui->acSaveTree, pmRecentFileSave}}) {
        if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
            button->setMenu(menu);
            button->setPopupMode(QToolButton::MenuButtonPopup);
        }
    }
    bar->addSeparator();
    bar->addAction(ui->acNewGroup);
    bar->addAction(ui->acNewCommand);
    bar->addAction(ui->acEditElement);
    bar->addSeparator();
    bar->addAction(ui->acDeleteNode);
    bar->addAction(ui->acDeleteAll);
    bar->addSeparator();
    bar->addAction(ui->acRenumber);
    bar->addSeparator();
    auto* hideParameter = new QToolButton(bar);
    hideParameter->setObjectName(QStringLiteral("bHideParameter"));
    hideParameter->setDefaultAction(ui->acHideParameter);
    hideParameter->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->addWidget(hideParameter);
}

void TfrmMainWindow::ConnectCommandActions()
{
    auto guarded = [this](auto aHandler) {
        return [this, aHandler] {
            // A tool button leaves the cell editor open; what it holds counts first.
            ui->vtSend->FinishEditing();
            Guarded(aHandler);
            ActionListUpdate();
        };
    };
    connect(ui->acNewGroup, &QAction::triggered, this, guarded([this] { acNewCommandExecute(false); }));
    connect(ui->acNewCommand, &QAction::triggered, this, guarded([this] { acNewCommandExecute(true); }));
    connect(ui->acEditElement, &QAction::triggered, this, guarded([this] { acEditElementExecute(); }));
    connect(ui->acDeleteNode, &QAction::triggered, this, guarded([this] { acDeleteNodeExecute(); }));
    connect(ui->acDeleteAll, &QAction::triggered, this, guarded([this] { acDeleteAllExecute(); }));
    connect(ui->acLoadTree, &QAction::triggered, this, guarded([this] { acLoadTreeExecute(); }));
    connect(ui->acSaveTree, &QAction::triggered, this, guarded([this] { acSaveTreeExecute(); }));
    connect(ui->acRenumber, &QAction::triggered, this, guarded([this] { acRenumberExecute(); }));
    connect(ui->acDeleteShortcuts, &QAction::triggered, this,
            guarded([this] { acDeleteShortcutsExecute(); }));
    connect(ui->acHideParameter, &QAction::triggered, this, guarded([this] { acHideParameterExecute(); }));
    connect(ui->acEditName, &QAction::triggered, this,
            guarded([this] { acEditCellExecute(TCommandTreeModel::colName); }));
    connect(ui->acEditCommand, &QAction::triggered, this,
            guarded([this] { acEditCellExecute(TCommandTreeModel::colCommand); }));
    connect(ui->acEditSC, &QAction::triggered, this,
            guarded([this] { acEditCellExecute(TCommandTreeModel::colShortCut); }));
    for (QMenu* menu : {pmRecentFilesLoad, pmRecentFileSave})
        connect(menu, &QMenu::aboutToShow, this,
                [this, menu] { Guarded([&] { pmRecentFilesLoadPopup(menu); }); });

    TCommandTreeView* tree = ui->vtSend;
    connect(tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& aPos) { Guarded([&] { pmTreePopup(aPos); }); });
    connect(tree, &QTreeView::expanded, this, [this](const QModelIndex& i) { vtSendExpanded(i, true); });
    connect(tree, &QTreeView::collapsed, this, [this](const QModelIndex& i) { vtSendExpanded(i, false); });
    connect(tree, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& aIndex) {
        Guarded([&] { vtSendDblClick(aIndex); });
        ActionListUpdate();
    });
    connect(tree, &TCommandTreeView::NodesDropped, this, [this](const QModelIndex& aTarget) {
        Guarded([&] { vtSendDragDrop(aTarget); });
        ActionListUpdate();
    });
    connect(tree, &TCommandTreeView::EditingChanged, this, [this](bool aEditing) {
        if (aEditing)
            ui->acDeleteNode->setShortcut(QKeySequence()); // the editor gets Del
        SetShortcutState(!aEditing);
    });
    connect(mTreeModel, &TCommandTreeModel::DisplayErrors, this, [this] { ShowTreeDisplayErrors(); });
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateCommandActions(true); });
}

void TfrmMainWindow::UpdateCommandActions(bool aSelectionChanged)
{
    if (!VarnexSettings()->XMLEnabled() || !mTreeModel)
        return;
    SetShortcutState(!ui->vtSend->IsEditing());
    const bool any = mTreeModel->rowCount() > 0;
    ui->acDeleteAll->setEnabled(any);
    ui->acDeleteShortcuts->setEnabled(any);
    // Counting the selection is left to selection changes: the idle update runs with every poll.
    if (!aSelectionChanged)
        return;
    QItemSelectionModel* selection = ui->vtSend->selectionModel();
    const qsizetype selected = selection ? selection->selectedRows().size() : 0;
    ui->acDeleteNode->setEnabled(selected > 0);
    ui->acEditElement->setEnabled(selected == 1);
}

pugi::xml_node TfrmMainWindow::GetNodeElement(const QModelIndex& aNode) const
{
    return mTreeModel ? mTreeModel->Element(aNode) : pugi::xml_node();
}

bool TfrmMainWindow::IsCommandElement(pugi::xml_node aElement)
{
    return CommandTree::IsCommandElement(aElement);
}

void TfrmMainWindow::RefreshCommandTree()
{
    if (!mTreeModel || !VarnexSettings()->XMLEnabled())
        return;
    TCommandTreeView* tree = ui->vtSend;
    tree->FinishEditing();
    // The nodes are rebuilt; the selection follows its elements. Every operation that
    // removes elements clears the selection first, so no handle here is stale.
    QList<pugi::xml_node> selected;
    for (const QModelIndex& index : tree->SelectedNodes())
        selected.append(GetNodeElement(index));
    const pugi::xml_node current =
        tree->currentIndex().isValid() ? GetNodeElement(tree->currentIndex()) : pugi::xml_node();

    mRefreshingTree = true;
    mTreeModel->SetRoot(VarnexSettings()->SendMRURoot());
    const QModelIndexList nodes = mTreeModel->AllIndexes();
    for (const QModelIndex& node : nodes)
        if (mTreeModel->rowCount(node) > 0)
            tree->setExpanded(node, CommandTree::IsExpanded(GetNodeElement(node)));
    mRefreshingTree = false;

    QItemSelection restored;
    for (const QModelIndex& index : mTreeModel->IndexesOf(selected))
        restored.select(index, index.siblingAtColumn(TCommandTreeModel::colCount - 1));
    const QModelIndexList currentIndex = mTreeModel->IndexesOf({current});
    if (!currentIndex.isEmpty())
        tree->selectionModel()->setCurrentIndex(currentIndex.first(), QItemSelectionModel::NoUpdate);
    tree->selectionModel()->select(restored, QItemSelectionModel::ClearAndSelect);
    UpdateCommandActions(true);
}

void TfrmMainWindow::AddElementToTree(pugi::xml_node aNewElement)
{
    const QModelIndexList selected = ui->vtSend->SelectedNodes();
    const pugi::xml_node first = selected.isEmpty() ? pugi::xml_node() : GetNodeElement(selected.first());
    const pugi::xml_node placed =
        CommandTree::AddElement(VarnexSettings()->SendMRURoot(), first, aNewElement);
    RefreshCommandTree();
    // The new node becomes the one selected, so the next action works on it.
    const QModelIndex index = mTreeModel->IndexOf(placed);
    if (index.isValid()) {
        ui->vtSend->scrollTo(index);
        ui->vtSend->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

bool TfrmMainWindow::EditElement(pugi::xml_node aElement)
{
    TfrmCommandEdit editor(this);
    editor.SetCommandElement(aElement);
    const bool ok = editor.ShowCommandEdit();
    RefreshCommandTree();
    return ok;
}

void TfrmMainWindow::acNewCommandExecute(bool aCommand)
{
    if (!VarnexSettings()->XMLEnabled())
        return;
    // The element is edited outside the tree and only placed there when the editor says OK.
    pugi::xml_document scratch;
    pugi::xml_node element = scratch.append_child("MRU");
    if (aCommand)
        SetAttrString(element, QStringLiteral("Text"), QStringLiteral("Neues Kommando"));
    if (EditElement(element))
        AddElementToTree(element);
}

void TfrmMainWindow::acEditElementExecute()
{
    const pugi::xml_node element = GetNodeElement(ui->vtSend->currentIndex());
    if (element && element != VarnexSettings()->SendMRURoot())
        EditElement(element);
}

void TfrmMainWindow::acDeleteNodeExecute()
{
    QList<pugi::xml_node> elements;
    for (const QModelIndex& index : ui->vtSend->SelectedNodes())
        elements.append(GetNodeElement(index));
    if (elements.isEmpty())
        return;
    ui->vtSend->selectionModel()->clear();
    CommandTree::RemoveElements(elements);
    RefreshCommandTree();
}

void TfrmMainWindow::acDeleteAllExecute()
{
    if (Prompts().Ask(IPrompts::TKind::Question, QStringLiteral("Wirklich alle Kommandos löschen?"),
                      {IPrompts::TButton::Yes, IPrompts::TButton::No},
                      QStringLiteral("Alle Kommandos Löschen"), IPrompts::TButton::No)
        != IPrompts::TButton::Yes)
        return;
    ui->vtSend->selectionModel()->clear();
    CommandTree::RemoveAll(VarnexSettings()->SendMRURoot());
    RefreshCommandTree();
}

void TfrmMainWindow::SendElement(pugi::xml_node aElement)
{
    if (!aElement || !mCom->Opened() || !IsCommandElement(aElement))
        return;
    SendStringToCom(GetAttrString(QStringLiteral("Text"), aElement, QString()),
                    GetAttrString(QStringLiteral("Name"), aElement, QStringLiteral("Kein Name")), true);
}

void TfrmMainWindow::SaveCommandFile(const QString& aFileName)
{
    TVarnexSettings* settings = VarnexSettings();
    pugi::xml_document file;
    CommandTree::CopyTreeInto(settings->SendMRURoot(), file);
    settings->SaveCom(mCom, &file);
    SaveXMLFile(file, aFileName);
    settings->SaveRecentFiles(aFileName, settings->RecentFilesMRU());
}

void TfrmMainWindow::LoadCommandFile(const QString& aFileName)
{
    TVarnexSettings* settings = VarnexSettings();
    pugi::xml_document file;
    QString error;
    if (!CommandTree::ReadCommandFile(aFileName, file, &error)) {
        // Nothing is touched: the tree and the line settings stay as they were.
        Prompts().ShowMessage(error);
        return;
    }
    // A command file brings line settings but never switches the port.
    if (pugi::xml_node port = file.document_element().child("Interface"))
        SetAttrInt(port, QStringLiteral("Port"), mCom->Port());
    settings->LoadCom(mCom, &file);
    ui->bRTS->setChecked(mCom->RTS());
    ui->bDTR->setChecked(mCom->DTR());
    ShowSettingsNotices();

    ui->vtSend->selectionModel()->clear();
    CommandTree::ReplaceTree(settings->SendMRURoot(), file);
    RefreshCommandTree();
    settings->SaveRecentFiles(aFileName, settings->RecentFilesMRU());
}

void TfrmMainWindow::acLoadTreeExecute()
{
    const QString file = AskForCommandFile(false);
    if (!file.isEmpty())
        LoadCommandFile(file);
}

void TfrmMainWindow::acSaveTreeExecute()
{
    const QString file = AskForCommandFile(true);
    if (!file.isEmpty())
        SaveCommandFile(file);
}

QString TfrmMainWindow::AskForCommandFile(bool aSave)
{
    TFileDialogSetup setup;
    setup.Title = aSave ? QStringLiteral("Setting speichern") : QStringLiteral("Setting laden");
    setup.ObjectName = aSave ? QStringLiteral("SaveDialogTree") : QStringLiteral("OpenDialogTree");
    setup.Save = aSave;
    setup.Filters = {QStringLiteral("Settings Dateien (*.xml)"), QStringLiteral("Alle Dateien (*)")};
    setup.Suffixes = {QStringLiteral("xml")};
    // Both start at the last command file used, else beside the program.
    setup.Preset = NewestRecentFile(VarnexSettings()->RecentFilesMRU());
    return AskForFile(this, setup);
}

void TfrmMainWindow::pmRecentFilesLoadPopup(QMenu* aMenu)
{
    const bool load = aMenu->property("Tag").toInt() == kTagLoad;
    // Saving from this menu overwrites without asking.
    FillRecentFilesMenu(aMenu, VarnexSettings()->RecentFilesMRU(), true, [this, load](const QString& aFile) {
        if (load)
            LoadCommandFile(aFile);
        else
            SaveCommandFile(aFile);
        ActionListUpdate();
    });
}

QModelIndex TfrmMainWindow::GetNodeAtCursor() const
{
    TCommandTreeView* tree = ui->vtSend;
    return tree->indexAt(tree->viewport()->mapFromGlobal(QCursor::pos())).siblingAtColumn(0);
}

void TfrmMainWindow::pmTreePopup(const QPoint& aPos)
{
    TCommandTreeView* tree = ui->vtSend;
    const QModelIndex node = tree->indexAt(aPos).siblingAtColumn(0);
    const bool xml = VarnexSettings()->XMLEnabled();
    const bool command = IsCommandElement(GetNodeElement(node)) && node.isValid();
    ui->acEditName->setEnabled(xml && node.isValid());
    ui->acEditCommand->setEnabled(xml && command);
    ui->acEditSC->setEnabled(xml && command);
    UpdateCommandActions(true);
    pmTree->popup(tree->viewport()->mapToGlobal(aPos));
}

void TfrmMainWindow::acEditCellExecute(int aColumn)
{
    TCommandTreeView* tree = ui->vtSend;
    tree->setFocus();
    tree->EditCell(tree->currentIndex(), aColumn);
}

void TfrmMainWindow::acDeleteShortcutsExecute()
{
    CommandTree::RemoveShortCuts(VarnexSettings()->SendMRURoot());
    RefreshCommandTree();
}

void TfrmMainWindow::acHideParameterExecute()
{
    mTreeModel->SetHideParameter(ui->acHideParameter->isChecked());
    RefreshCommandTree();
}

void TfrmMainWindow::ShowTreeDisplayErrors()
{
    for (const QString& error : mTreeModel->TakeDisplayErrors())
        Prompts().ShowMessage(error);
}

void TfrmMainWindow::vtSendExpanded(const QModelIndex& aIndex, bool aExpanded)
{
    if (mRefreshingTree)
        return;
    pugi::xml_node element = GetNodeElement(aIndex);
    if (element && element != VarnexSettings()->SendMRURoot())
        SetAttrBool(element, QStringLiteral("Expanded"), aExpanded);
}

void TfrmMainWindow::vtSendDblClick(const QModelIndex& aIndex)
{
    // A group is only opened or closed by the view.
    SendElement(GetNodeElement(aIndex.siblingAtColumn(0)));
}

void TfrmMainWindow::vtSendDragDrop(const QModelIndex& aTarget)
{
    QList<pugi::xml_node> elements;
    for (const QModelIndex& index : ui->vtSend->SelectedNodes())
        elements.append(GetNodeElement(index));
    const pugi::xml_node target = GetNodeElement(aTarget);
    const QString refused = CommandTree::MoveElements(elements, target);
    RefreshCommandTree();
    if (!refused.isEmpty())
        Prompts().ShowMessage(refused);
}
