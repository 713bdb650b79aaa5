#include "commands/CommandTreeModel.h"

#include "commands/CommandTree.h"
#include "commands/ParameterHandler.h"
#include "settings/XMLGlobal.h"

#include <QFont>
#include <QHash>
#include <QMimeData>
#include <QTimer>

namespace {

QString Attr(pugi::xml_node aElement, const char* aName)
{
    return QString::fromUtf8(aElement.attribute(aName).value());
}

} // namespace

TCommandTreeModel::TCommandTreeModel(QObject* aParent)
    : QAbstractItemModel(aParent)
{
    FItems.resize(1);
}

void TCommandTreeModel::SetRoot(pugi::xml_node aRoot)
{
    FRoot = aRoot;
    Refresh();
}

void TCommandTreeModel::Refresh()
{
    beginResetModel();
    FItems.clear();
    FItems.push_back(TItem{FRoot, -1, 0, {}});
    if (FRoot)
        Build(0);
    FDefaultTexts.assign(FItems.size(), std::nullopt);
    endResetModel();
}

void TCommandTreeModel::Build(int aItem)
{
    // Pre-order numbering (a node before its children) is tree order; an explicit stack keeps
    // deep nesting off the call stack.
    struct TPending
    {
        int Item;
        pugi::xml_node Next;
    };
    std::vector<TPending> pending{{aItem, FItems[size_t(aItem)].Element.child("MRU")}};
    while (!pending.empty()) {
        TPending& top = pending.back();
        if (!top.Next) {
            pending.pop_back();
            continue;
        }
        const pugi::xml_node child = top.Next;
        top.Next = child.next_sibling("MRU");
        const int parent = top.Item;
        const int id = int(FItems.size());
        FItems.push_back(TItem{child, parent, int(FItems[size_t(parent)].Children.size()), {}});
        FItems[size_t(parent)].Children.push_back(id);
        pending.push_back({id, child.child("MRU")});
    }
}

pugi::xml_node TCommandTreeModel::Element(const QModelIndex& aIndex) const
{
    if (!aIndex.isValid() || aIndex.model() != this)
        return FRoot;
    return FItems[size_t(aIndex.internalId())].Element;
}

QModelIndex TCommandTreeModel::IndexOf(pugi::xml_node aElement, int aColumn) const
{
    if (!aElement || aElement == FRoot)
        return {};
    for (size_t i = 1; i < FItems.size(); ++i)
        if (FItems[i].Element == aElement)
            return createIndex(FItems[i].Row, aColumn, quintptr(i));
    return {};
}

QModelIndexList TCommandTreeModel::IndexesOf(const QList<pugi::xml_node>& aElements) const
{
    QHash<pugi::xml_node_struct*, int> wanted;
    for (int i = 0; i < aElements.size(); ++i)
        if (aElements[i])
            wanted.insert(aElements[i].internal_object(), i);
    QModelIndexList found;
    for (size_t i = 1; i < FItems.size() && !wanted.isEmpty(); ++i)
        if (wanted.remove(FItems[i].Element.internal_object()))
            found.append(createIndex(FItems[i].Row, 0, quintptr(i)));
    return found;
}

QString TCommandTreeModel::NodePath(const QModelIndex& aIndex) const
{
    QString path;
    for (QModelIndex index = aIndex.siblingAtColumn(0); index.isValid(); index = index.parent())
        path.prepend(QStringLiteral("/MRU[%1]").arg(index.row() + 1));
    return QStringLiteral("/Body/SendMRU") + path;
}

QModelIndexList TCommandTreeModel::AllIndexes() const
{
    QModelIndexList result;
    result.reserve(int(FItems.size()) - 1);
    // Items were numbered in pre-order while building.
    for (size_t i = 1; i < FItems.size(); ++i)
        result.append(createIndex(FItems[i].Row, 0, quintptr(i)));
    return result;
}

void TCommandTreeModel::SetHideParameter(bool aValue)
{
    FHideParameter = aValue;
}

void TCommandTreeModel::SetIcons(const QIcon& aGroupClosed, const QIcon& aGroupOpen, const QIcon& aCommand)
{
    FGroupClosed = aGroupClosed;
    FGroupOpen = aGroupOpen;
    FCommand = aCommand;
}

QStringList TCommandTreeModel::TakeDisplayErrors()
{
    FErrorSignalPending = false;
    return std::exchange(FDisplayErrors, {});
}

QModelIndex TCommandTreeModel::index(int aRow, int aColumn, const QModelIndex& aParent) const
{
    if (aColumn < 0 || aColumn >= colCount || aRow < 0)
        return {};
    const size_t parent = aParent.isValid() ? size_t(aParent.internalId()) : 0;
    if (parent >= FItems.size() || aRow >= int(FItems[parent].Children.size()))
        return {};
    return createIndex(aRow, aColumn, quintptr(FItems[parent].Children[size_t(aRow)]));
}

QModelIndex TCommandTreeModel::parent(const QModelIndex& aIndex) const
{
    if (!aIndex.isValid())
        return {};
    const int parent = FItems[size_t(aIndex.internalId())].Parent;
    if (parent <= 0)
        return {};
    return createIndex(FItems[size_t(parent)].Row, 0, quintptr(parent));
}

int TCommandTreeModel::rowCount(const QModelIndex& aParent) const
{
    if (aParent.isValid() && aParent.column() != 0)
        return 0;
    const size_t item = aParent.isValid() ? size_t(aParent.internalId()) : 0;
    return item < FItems.size() ? int(FItems[item].Children.size()) : 0;
}

int TCommandTreeModel::columnCount(const QModelIndex&) const
{
    return colCount;
}

QString TCommandTreeModel::CommandDisplayText(int aItem) const
{
    const pugi::xml_node element = FItems[size_t(aItem)].Element;
    if (!FHideParameter)
        return Attr(element, "Text");
    std::optional<QString>& cached = FDefaultTexts[size_t(aItem)];
    if (!cached) {
        const QString text = Attr(element, "Text");
        TParameterHandler handler;
        handler.SetQuiet(true);
        cached = handler.GetTextWithDefaultValues(text);
        // A message box while painting would come back with every repaint: the window
        // shows these once, after the paint.
        if (!handler.ParseErrors().isEmpty() && !FReportedTexts.contains(text)) {
            FReportedTexts.insert(text);
            FDisplayErrors += handler.ParseErrors();
            if (!FErrorSignalPending) {
                FErrorSignalPending = true;
                QTimer::singleShot(0, const_cast<TCommandTreeModel*>(this),
                                   [this] { emit const_cast<TCommandTreeModel*>(this)->DisplayErrors(); });
            }
        }
    }
    return *cached;
}

TCommandTreeModel::TCellLook TCommandTreeModel::CellLook(const QModelIndex& aIndex) const
{
    TCellLook look;
    if (!aIndex.isValid())
        return look;
    const int item = int(aIndex.internalId());
    const pugi::xml_node element = FItems[size_t(item)].Element;
    const bool command = CommandTree::IsCommandElement(element);
    switch (aIndex.column()) {
    case colName:
        look.Text = Attr(element, "Name");
        look.Bold = !command;
        look.Icon = command ? nullptr : CommandTree::IsExpanded(element) ? &FGroupOpen : &FGroupClosed;
        if (command && look.Text.isEmpty()) {
            look.Text = CommandDisplayText(item);
            look.Faint = true;
        }
        break;
    case colCommand:
        if (command) {
            look.Text = CommandDisplayText(item);
            look.Icon = &FCommand;
        }
        break;
    case colShortCut: look.Text = Attr(element, "ShortCut"); break;
    }
    return look;
}

QVariant TCommandTreeModel::data(const QModelIndex& aIndex, int aRole) const
{
    if (!aIndex.isValid())
        return {};
    const int item = int(aIndex.internalId());
    const pugi::xml_node element = FItems[size_t(item)].Element;
    const bool command = CommandTree::IsCommandElement(element);
    switch (aRole) {
    case Qt::DisplayRole: {
        QString text;
        switch (aIndex.column()) {
        case colName: return Attr(element, "Name");
        case colCommand: text = command ? CommandDisplayText(item) : QString(); break;
        case colShortCut: text = Attr(element, "ShortCut"); break;
        }
        // An empty cell of a command shows a blank, so the row still reads as a command.
        if (command && text.isEmpty())
            return QStringLiteral(" ");
        return text;
    }
    case Qt::EditRole:
        switch (aIndex.column()) {
        case colName: return Attr(element, "Name");
        case colCommand: return Attr(element, "Text");
        case colShortCut: return Attr(element, "ShortCut");
        }
        return {};
    case Qt::DecorationRole:
        if (aIndex.column() == colName && !command)
            return CommandTree::IsExpanded(element) ? FGroupOpen : FGroupClosed;
        if (aIndex.column() == colCommand && command)
            return FCommand;
        return {};
    case Qt::FontRole:
        if (aIndex.column() == colName && !command) {
            static const QFont kBold = [] {
                QFont bold;
                bold.setBold(true);
                return bold;
            }();
            return kBold;
        }
        return {};
    default: return {};
    }
}

bool TCommandTreeModel::setData(const QModelIndex& aIndex, const QVariant& aValue, int aRole)
{
    if (!aIndex.isValid() || aRole != Qt::EditRole || !(flags(aIndex) & Qt::ItemIsEditable))
        return false;
    const int item = int(aIndex.internalId());
    pugi::xml_node element = FItems[size_t(item)].Element;
    const QString text = aValue.toString();
    // An editor left without a change writes nothing: a command without "Name" keeps being
    // sent as "Kein Name".
    static const char* const kAttributes[colCount] = {"Name", "Text", "ShortCut"};
    if (text == Attr(element, kAttributes[aIndex.column()]))
        return true;
    switch (aIndex.column()) {
    case colName: SetAttrString(element, QStringLiteral("Name"), text); break;
    case colCommand:
        SetAttrString(element, QStringLiteral("Text"), text);
        FDefaultTexts[size_t(item)].reset();
        break;
    case colShortCut:
        if (OnNewShortCut)
            OnNewShortCut(element, text);
        else
            SetAttrString(element, QStringLiteral("ShortCut"), text);
        break;
    }
    emit dataChanged(aIndex.siblingAtColumn(0), aIndex.siblingAtColumn(colCount - 1));
    return true;
}

Qt::ItemFlags TCommandTreeModel::flags(const QModelIndex& aIndex) const
{
    if (!aIndex.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags result =
        Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    const bool command = CommandTree::IsCommandElement(Element(aIndex));
    if (aIndex.column() == colName || command)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TCommandTreeModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
    if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole)
        return {};
    switch (aSection) {
    case colName: return QStringLiteral("Name");
    case colCommand: return QStringLiteral("Kommando");
    case colShortCut: return QStringLiteral("Shortcut");
    }
    return {};
}

QStringList TCommandTreeModel::mimeTypes() const
{
    return {QString::fromLatin1(kMimeType)};
}

QMimeData* TCommandTreeModel::mimeData(const QModelIndexList&) const
{
    // The drop takes the view's selection; the data only marks where the drag came from.
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), QByteArray());
    return data;
}

Qt::DropActions TCommandTreeModel::supportedDropActions() const
{
    return Qt::MoveAction;
}

bool TCommandTreeModel::canDropMimeData(const QMimeData* aData, Qt::DropAction, int, int,
                                        const QModelIndex&) const
{
    return aData && aData->hasFormat(QString::fromLatin1(kMimeType));
}
