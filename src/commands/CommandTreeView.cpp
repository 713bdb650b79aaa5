#include "commands/CommandTreeView.h"

#include "commands/CommandTreeModel.h"
#include "commands/ShortCutEdit.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int kMinEditorWidth = 30;

// One layout serves both the measuring and the drawing; only a text that does not fit is
// laid out again, elided.
void DrawCellText(QPainter* aPainter, const QRect& aArea, const QString& aText, const QFont& aFont)
{
    if (aText.isEmpty() || aText == QLatin1String(" ") || aArea.width() <= 0)
        return;
    // A command text may be very long; only what can show in the cell is laid out (no glyph
    // is narrower than two pixels).
    const qsizetype fitting = aArea.width() / 2 + 2;
    const bool cut = aText.size() > fitting;
    const QString text = cut ? aText.left(fitting) : aText;
    QTextLayout layout(text, aFont);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    if (!cut && line.naturalTextWidth() <= aArea.width()) {
        layout.draw(aPainter, QPointF(aArea.left(), aArea.top() + (aArea.height() - line.height()) / 2));
        return;
    }
    const QFontMetrics metrics(aFont);
    aPainter->drawText(aArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       metrics.elidedText(text, Qt::ElideRight, aArea.width()));
}

} // namespace

TCommandTreeView::TCommandTreeView(QWidget* aParent)
    : QTreeView(aParent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setExpandsOnDoubleClick(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    setAutoExpandDelay(500);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setItemDelegate(new TShortCutEditLink(this));
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
}

void TCommandTreeView::SetCommandModel(TCommandTreeModel* aModel)
{
    FModel = aModel;
    setModel(aModel);
}

bool TCommandTreeView::EditCell(const QModelIndex& aIndex, int aColumn)
{
    if (!aIndex.isValid())
        return false;
    const QModelIndex cell = aIndex.siblingAtColumn(aColumn);
    if (!(cell.flags() & Qt::ItemIsEditable))
        return false;
    setCurrentIndex(cell);
    return edit(cell, QAbstractItemView::AllEditTriggers, nullptr);
}

QModelIndexList TCommandTreeView::SelectedNodes() const
{
    if (!FModel || !selectionModel())
        return {};
    QModelIndexList nodes = selectionModel()->selectedRows(0);
    // Tree order is the order in which the model numbered its items.
    std::sort(nodes.begin(), nodes.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.internalId() < b.internalId();
    });
    return nodes;
}

bool TCommandTreeView::edit(const QModelIndex& aIndex, EditTrigger aTrigger, QEvent* aEvent)
{
    const bool wasEditing = IsEditing();
    const bool started = QTreeView::edit(aIndex, aTrigger, aEvent);
    if (!wasEditing && IsEditing())
        emit EditingChanged(true);
    return started;
}

void TCommandTreeView::closeEditor(QWidget* aEditor, QAbstractItemDelegate::EndEditHint aHint)
{
    const bool wasEditing = IsEditing();
    QTreeView::closeEditor(aEditor, aHint);
    if (wasEditing && !IsEditing())
        emit EditingChanged(false);
}

void TCommandTreeView::startDrag(Qt::DropActions aSupportedActions)
{
    if (!FModel || SelectedNodes().isEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(FModel->mimeData({}));
    drag->exec(aSupportedActions & Qt::MoveAction, Qt::MoveAction);
}

void TCommandTreeView::dragEnterEvent(QDragEnterEvent* aEvent)
{
    // Only nodes of this very tree are taken.
    if (aEvent->source() != this) {
        aEvent->ignore();
        return;
    }
    QTreeView::dragEnterEvent(aEvent);
}

void TCommandTreeView::dragMoveEvent(QDragMoveEvent* aEvent)
{
    if (aEvent->source() != this) {
        aEvent->ignore();
        return;
    }
    QTreeView::dragMoveEvent(aEvent);
    // A drop below the last node is welcome too: it goes to the end of the top level.
    aEvent->setDropAction(Qt::MoveAction);
    aEvent->accept();
}

void TCommandTreeView::dropEvent(QDropEvent* aEvent)
{
    if (aEvent->source() != this) {
        aEvent->ignore();
        return;
    }
    // The model is not asked to move anything: the window moves the elements and refreshes.
    const QModelIndex target = indexAt(aEvent->position().toPoint()).siblingAtColumn(0);
    aEvent->setDropAction(Qt::IgnoreAction);
    aEvent->accept();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    emit NodesDropped(target);
}

QWidget* TShortCutEditLink::createEditor(QWidget* aParent, const QStyleOptionViewItem& aOption,
                                         const QModelIndex& aIndex) const
{
    emit EditorCreated();
    if (aIndex.column() != TCommandTreeModel::colShortCut)
        return QStyledItemDelegate::createEditor(aParent, aOption, aIndex);
    auto* edit = new TShortCutEdit(TShortCutEdit::TMode::InPlace, aParent);
    edit->setObjectName(QStringLiteral("edShortCutCell"));
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, Qt::black);
    edit->setPalette(palette);
    auto* link = const_cast<TShortCutEditLink*>(this);
    connect(edit, &TShortCutEdit::EditFinished, link, [link, edit] {
        emit link->commitData(edit);
        emit link->closeEditor(edit, QAbstractItemDelegate::NoHint);
    });
    connect(edit, &TShortCutEdit::EditCancelled, link, [link, edit] {
        emit link->closeEditor(edit, QAbstractItemDelegate::RevertModelCache);
    });
    return edit;
}

void TShortCutEditLink::setEditorData(QWidget* aEditor, const QModelIndex& aIndex) const
{
    if (auto* edit = qobject_cast<TShortCutEdit*>(aEditor)) {
        edit->SetShortCutText(aIndex.data(Qt::EditRole).toString());
        return;
    }
    QStyledItemDelegate::setEditorData(aEditor, aIndex);
}

void TShortCutEditLink::setModelData(QWidget* aEditor, QAbstractItemModel* aModel,
                                     const QModelIndex& aIndex) const
{
    if (auto* edit = qobject_cast<TShortCutEdit*>(aEditor)) {
        aModel->setData(aIndex, edit->ShortCutText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(aEditor, aModel, aIndex);
}

void TShortCutEditLink::updateEditorGeometry(QWidget* aEditor, const QStyleOptionViewItem& aOption,
                                             const QModelIndex& aIndex) const
{
    QStyledItemDelegate::updateEditorGeometry(aEditor, aOption, aIndex);
    if (!qobject_cast<TShortCutEdit*>(aEditor))
        return;
    QRect r = aEditor->geometry();
    const int clientWidth = aEditor->parentWidget() ? aEditor->parentWidget()->width() : r.right();
    if (r.left() < 0)
        r.setLeft(0);
    if (r.width() < kMinEditorWidth) {
        if (aOption.displayAlignment & Qt::AlignRight)
            r.setLeft(std::max(0, r.right() - kMinEditorWidth + 1));
        else
            r.setWidth(kMinEditorWidth);
    }
    if (r.right() >= clientWidth)
        r.setRight(clientWidth - 1);
    aEditor->setGeometry(r);
}

void TShortCutEditLink::paint(QPainter* aPainter, const QStyleOptionViewItem& aOption,
                              const QModelIndex& aIndex) const
{
    const QStyle::State state = aOption.state;
    const QPalette::ColorGroup group = !(state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (state & QStyle::State_Active) ? QPalette::Active
                                                                        : QPalette::Inactive;
    const bool selected = state & QStyle::State_Selected;
    if (selected)
        aPainter->fillRect(aOption.rect, aOption.palette.brush(group, QPalette::Highlight));

    constexpr int kMargin = 3;
    QRect area = aOption.rect.adjusted(kMargin, 0, -kMargin, 0);
    const QVariant decoration = aIndex.data(Qt::DecorationRole);
    if (decoration.isValid()) {
        const QIcon icon = decoration.value<QIcon>();
        const QSize size = aOption.decorationSize;
        icon.paint(aPainter, QRect(area.left(), area.top() + (area.height() - size.height()) / 2,
                                   size.width(), size.height()),
                   Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
        area.setLeft(area.left() + size.width() + kMargin);
    }
    const QVariant font = aIndex.data(Qt::FontRole);
    QFont textFont = font.isValid() ? font.value<QFont>().resolve(aOption.font) : aOption.font;
    // Names, commands and shortcuts are plain single-line text: skipping the shaping engine
    // for fonts that need none keeps long trees quick to scroll.
    textFont.setStyleStrategy(QFont::PreferNoShaping);
    aPainter->setFont(textFont);
    aPainter->setPen(aOption.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QString text = aIndex.data(Qt::DisplayRole).toString();
    DrawCellText(aPainter, area, text, textFont);

    if (state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(aOption);
        focus.rect = aOption.rect;
        focus.backgroundColor = aOption.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        const QWidget* widget = aOption.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, aPainter, widget);
    }
}
