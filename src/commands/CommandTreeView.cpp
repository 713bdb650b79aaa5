#include "commands/CommandTreeView.h"

#include "commands/CommandTreeModel.h"
#include "commands/ShortCutEdit.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QGlyphRun>
#include <QMimeData>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QVarLengthArray>

namespace {

constexpr int kMinEditorWidth = 30;

// The two fonts the cells are drawn in, prepared once for the view's font. Names, commands
// and shortcuts are plain single-line text: no shaping is needed for fonts that need none.
struct TCellFont
{
    QFont Font;
    QRawFont Raw;
    QGlyphRun Run; // reused for every cell, pointing at the cell's glyphs while it is drawn
    quint32 Dots = 0;
    qreal DotsAdvance = 0;

    void Prepare(const QFont& aFont)
    {
        Font = aFont;
        Font.setStyleStrategy(QFont::PreferNoShaping);
        Raw = QRawFont::fromFont(Font);
        Run.setRawFont(Raw);
        const QChar dots(0x2026);
        int one = 1;
        QPointF advance;
        Dots = 0;
        if (Raw.isValid() && Raw.glyphIndexesForChars(&dots, 1, &Dots, &one)
            && Raw.advancesForGlyphIndexes(&Dots, &advance, 1))
            DotsAdvance = advance.x();
    }
};

TCellFont& CellFont(const QFont& aViewFont, bool aBold)
{
    static QFont sViewFont;
    static bool sPrepared = false;
    static TCellFont sPlain;
    static TCellFont sBold;
    if (!sPrepared || aViewFont != sViewFont) {
        sViewFont = aViewFont;
        sPrepared = true;
        sPlain.Prepare(aViewFont);
        QFont bold = aViewFont;
        bold.setBold(true);
        sBold.Prepare(bold);
    }
    return aBold ? sBold : sPlain;
}

// Plain Latin text whose every character the font has goes from the font's glyph table
// straight to the painter, without the text engine's itemizing and shaping, which is what
// painting a long tree mostly spends its time on. False: the engine is needed.
bool DrawPlainGlyphs(QPainter* aPainter, const QRect& aArea, const QString& aText, bool aCut,
                     TCellFont& aFont)
{
    for (const QChar c : aText)
        if (c.unicode() < 0x20 || c.unicode() >= 0x250)
            return false;
    const QRawFont& raw = aFont.Raw;
    if (!raw.isValid() || aFont.Dots == 0)
        return false;
    const int size = int(aText.size());
    QVarLengthArray<quint32, 256> glyphs(size + 1);
    QVarLengthArray<QPointF, 256> positions(size + 1);
    int count = size;
    if (!raw.glyphIndexesForChars(aText.constData(), size, glyphs.data(), &count) || count != size)
        return false;
    for (int i = 0; i < size; ++i)
        if (glyphs[i] == 0)
            return false;
    if (!raw.advancesForGlyphIndexes(glyphs.constData(), positions.data(), size))
        return false;
    qreal x = 0;
    for (int i = 0; i < size; ++i) {
        const qreal advance = positions[i].x();
        positions[i] = QPointF(x, 0);
        x += advance;
    }
    int shown = size;
    if (x > aArea.width() || aCut) {
        // Elided: as many glyphs as leave room for the ellipsis, then the ellipsis.
        const qreal room = aArea.width() - aFont.DotsAdvance;
        int kept = 0;
        while (kept < size && (kept + 1 < size ? positions[kept + 1].x() : x) <= room)
            ++kept;
        const qreal end = kept < size ? positions[kept].x() : x;
        glyphs[kept] = aFont.Dots;
        positions[kept] = QPointF(end, 0);
        shown = kept + 1;
    }
    aFont.Run.setRawData(glyphs.constData(), positions.constData(), shown);
    const qreal height = raw.ascent() + raw.descent();
    aPainter->drawGlyphRun(QPointF(aArea.left(), aArea.top() + (aArea.height() - height) / 2 + raw.ascent()),
                           aFont.Run);
    return true;
}

// The tree shows three pictures thousands of times; asking the icon engine each time costs.
QPixmap IconPixmap(const QIcon& aIcon, const QSize& aSize, QIcon::Mode aMode)
{
    struct TEntry
    {
        qint64 Key;
        QSize Size;
        QIcon::Mode Mode;
        QPixmap Picture;
    };
    static QList<TEntry> sPictures;
    for (const TEntry& entry : sPictures)
        if (entry.Key == aIcon.cacheKey() && entry.Size == aSize && entry.Mode == aMode)
            return entry.Picture;
    if (sPictures.size() > 16)
        sPictures.removeFirst();
    sPictures.append({aIcon.cacheKey(), aSize, aMode, aIcon.pixmap(aSize, aMode)});
    return sPictures.constLast().Picture;
}

void DrawCellText(QPainter* aPainter, const QRect& aArea, const QString& aText, TCellFont& aFont)
{
    if (aText.isEmpty() || aText == QLatin1String(" ") || aArea.width() <= 0)
        return;
    // A command text may be very long; only what can show in the cell is looked at (no glyph
    // is narrower than two pixels).
    const qsizetype fitting = aArea.width() / 2 + 2;
    const bool cut = aText.size() > fitting;
    const QString text = cut ? aText.left(fitting) : aText;
    if (DrawPlainGlyphs(aPainter, aArea, text, cut, aFont))
        return;
    // Other text goes through the text engine: one layout serves both the measuring and the
    // drawing; only a text that does not fit is laid out again, elided.
    aPainter->setFont(aFont.Font);
    QTextLayout layout(text, aFont.Font);
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
    const QFontMetrics metrics(aFont.Font);
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
    std::sort(nodes.begin(), nodes.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.internalId() < b.internalId(); });
    return nodes;
}

void TCommandTreeView::FinishEditing()
{
    if (!IsEditing())
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
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

void TCommandTreeView::drawBranches(QPainter* aPainter, const QRect& aRect, const QModelIndex& aIndex) const
{
    // Only groups carry a branch mark (their open/close arrow); asking the style for every
    // command's indentation costs long trees noticeably while scrolling.
    if (model() && model()->hasChildren(aIndex))
        QTreeView::drawBranches(aPainter, aRect, aIndex);
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
    // The model is not asked to move anything: the window moves the elements and refreshes,
    // once the drag has ended (a message about a refused move must not open inside it).
    const QPersistentModelIndex target = indexAt(aEvent->position().toPoint()).siblingAtColumn(0);
    aEvent->setDropAction(Qt::IgnoreAction);
    aEvent->accept();
    setState(QAbstractItemView::NoState);
    viewport()->update();
    QMetaObject::invokeMethod(
        this, [this, target] { emit NodesDropped(target); }, Qt::QueuedConnection);
}

QWidget* TShortCutEditLink::createEditor(QWidget* aParent, const QStyleOptionViewItem& aOption,
                                         const QModelIndex& aIndex) const
{
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
    connect(edit, &TShortCutEdit::EditCancelled, link,
            [link, edit] { emit link->closeEditor(edit, QAbstractItemDelegate::RevertModelCache); });
    return edit;
}

bool TShortCutEditLink::eventFilter(QObject* aObject, QEvent* aEvent)
{
    // The key-capture field keeps every key: the standard handling would end the edit on
    // Tab and on any Enter and commit it a second time later. The field itself ends the edit
    // on a plain Enter and cancels it on Escape.
    if (aEvent->type() == QEvent::KeyPress && qobject_cast<TShortCutEdit*>(aObject))
        return false;
    return QStyledItemDelegate::eventFilter(aObject, aEvent);
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
        : (state & QStyle::State_Active)                                ? QPalette::Active
                                                                        : QPalette::Inactive;
    const bool selected = state & QStyle::State_Selected;
    if (selected)
        aPainter->fillRect(aOption.rect, aOption.palette.brush(group, QPalette::Highlight));

    constexpr int kMargin = 3;
    QRect area = aOption.rect.adjusted(kMargin, 0, -kMargin, 0);
    // The command model hands out a cell's text, weight and picture in one go; any other
    // model answers through its roles.
    TCommandTreeModel::TCellLook look;
    QIcon roleIcon;
    if (auto* model = qobject_cast<const TCommandTreeModel*>(aIndex.model())) {
        look = model->CellLook(aIndex);
    } else {
        look.Text = aIndex.data(Qt::DisplayRole).toString();
        const QVariant font = aIndex.data(Qt::FontRole);
        look.Bold = font.isValid() && font.value<QFont>().bold();
        roleIcon = aIndex.data(Qt::DecorationRole).value<QIcon>();
        look.Icon = roleIcon.isNull() ? nullptr : &roleIcon;
    }
    if (look.Icon) {
        const QSize size = aOption.decorationSize;
        const QPixmap picture = IconPixmap(*look.Icon, size, selected ? QIcon::Selected : QIcon::Normal);
        aPainter->drawPixmap(
            QRect(area.left(), area.top() + (area.height() - size.height()) / 2, size.width(), size.height()),
            picture);
        area.setLeft(area.left() + size.width() + kMargin);
    }
    aPainter->setPen(aOption.palette.color(group,
                                           selected         ? QPalette::HighlightedText
                                               : look.Faint ? QPalette::PlaceholderText
                                                            : QPalette::Text));
    DrawCellText(aPainter, area, look.Text, CellFont(aOption.font, look.Bold));

    if (state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(aOption);
        focus.rect = aOption.rect;
        focus.backgroundColor =
            aOption.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        const QWidget* widget = aOption.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, aPainter, widget);
    }
}
