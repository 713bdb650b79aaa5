#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QSet>
#include <QStringList>

#include <pugixml.hpp>

#include <functional>
#include <optional>
#include <vector>

// The command tree as the view sees it: three columns ("Name", "Kommando", "Shortcut") over
// the "MRU" elements below the root. Names, texts and shortcuts are read from the document
// on every request; only the shape of the tree (which element sits where) is resolved once
// per Refresh, so painting never walks the document by position.
//
// Every change of the document's shape must be followed by Refresh() before the event loop
// runs again: the resolved shape holds element handles.
class TCommandTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum TColumn { colName = 0, colCommand = 1, colShortCut = 2, colCount = 3 };
    static constexpr const char* kMimeType = "application/x-varnex-command-nodes";

    explicit TCommandTreeModel(QObject* aParent = nullptr);

    // "/Body/SendMRU"; an empty handle when the settings store is not available.
    void SetRoot(pugi::xml_node aRoot);
    pugi::xml_node Root() const { return FRoot; }

    // Re-reads the shape of the tree from the document (a model reset).
    void Refresh();

    // The element of a node; the root for the invalid index.
    pugi::xml_node Element(const QModelIndex& aIndex) const;
    // The node of an element (column 0); invalid for the root or an unknown element.
    QModelIndex IndexOf(pugi::xml_node aElement, int aColumn = colName) const;
    // The nodes of several elements at once (column 0); elements not in the tree are left out.
    QModelIndexList IndexesOf(const QList<pugi::xml_node>& aElements) const;
    // The positional address of a node: "/Body/SendMRU/MRU[2]/MRU[5]".
    QString NodePath(const QModelIndex& aIndex) const;
    // Every node in tree order (pre-order), column 0.
    QModelIndexList AllIndexes() const;
    int NodeCount() const { return int(FItems.size()) - 1; }

    // What the painter needs of a cell, in one look at the document.
    struct TCellLook
    {
        QString Text;
        bool Bold = false;
        // Shown lighter: a command without a name shows its text in the name column, so that
        // no row is blank however narrow the list.
        bool Faint = false;
        const QIcon* Icon = nullptr;
    };
    TCellLook CellLook(const QModelIndex& aIndex) const;

    // While on, the command column shows each parameter's default instead of its markup.
    bool HideParameter() const { return FHideParameter; }
    void SetHideParameter(bool aValue);

    void SetIcons(const QIcon& aGroupClosed, const QIcon& aGroupOpen, const QIcon& aCommand);

    // Runs when an edit of the shortcut column is committed; without it the text is stored.
    std::function<void(pugi::xml_node aElement, const QString& aText)> OnNewShortCut;

    // Parse errors met while showing default values, each reported once; taken by the
    // window after the DisplayErrors signal.
    QStringList TakeDisplayErrors();

    QModelIndex index(int aRow, int aColumn, const QModelIndex& aParent = {}) const override;
    QModelIndex parent(const QModelIndex& aIndex) const override;
    int rowCount(const QModelIndex& aParent = {}) const override;
    int columnCount(const QModelIndex& aParent = {}) const override;
    QVariant data(const QModelIndex& aIndex, int aRole = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& aIndex, const QVariant& aValue, int aRole = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& aIndex) const override;
    QVariant headerData(int aSection, Qt::Orientation aOrientation, int aRole) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& aIndexes) const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* aData, Qt::DropAction aAction, int aRow, int aColumn,
                         const QModelIndex& aParent) const override;

signals:
    void DisplayErrors();

private:
    struct TItem
    {
        pugi::xml_node Element;
        int Parent = -1;
        int Row = 0;
        std::vector<int> Children;
    };

    void Build(int aItem);
    QString CommandDisplayText(int aItem) const;

    pugi::xml_node FRoot;
    std::vector<TItem> FItems; // item 0 is the root
    bool FHideParameter = false;
    QIcon FGroupClosed;
    QIcon FGroupOpen;
    QIcon FCommand;
    mutable std::vector<std::optional<QString>> FDefaultTexts;
    mutable QSet<QString> FReportedTexts;
    mutable QStringList FDisplayErrors;
    mutable bool FErrorSignalPending = false;
};
