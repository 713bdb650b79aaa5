#include "commands/CommandTree.h"

#include "base/VarnexError.h"
#include "commands/ShortCutText.h"
#include "settings/XMLGlobal.h"

#include <QFile>

#include <cstring>
#include <vector>

namespace CommandTree {

namespace {

bool IsMRU(pugi::xml_node aNode)
{
    return aNode.type() == pugi::node_element && std::strcmp(aNode.name(), "MRU") == 0;
}

void DropForeignChildren(pugi::xml_node aElement)
{
    std::vector<pugi::xml_node> pending{aElement};
    while (!pending.empty()) {
        pugi::xml_node element = pending.back();
        pending.pop_back();
        for (pugi::xml_node child = element.first_child(); child;) {
            const pugi::xml_node next = child.next_sibling();
            if (IsMRU(child))
                pending.push_back(child);
            else
                element.remove_child(child);
            child = next;
        }
    }
}

int NestingDepth(pugi::xml_node aRoot)
{
    int deepest = 0;
    std::vector<std::pair<pugi::xml_node, int>> pending{{aRoot, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        deepest = std::max(deepest, depth);
        for (pugi::xml_node child : node.children("MRU"))
            pending.push_back({child, depth + 1});
    }
    return deepest;
}

// Pre-order walk over aRoot and every element below it.
template <class F>
void VisitElements(pugi::xml_node aRoot, F&& aVisit)
{
    pugi::xml_node node = aRoot;
    while (node) {
        if (node.type() == pugi::node_element)
            aVisit(node);
        pugi::xml_node next = node.first_child();
        if (!next) {
            while (node && node != aRoot && !node.next_sibling())
                node = node.parent();
            if (!node || node == aRoot)
                return;
            next = node.next_sibling();
        }
        node = next;
    }
}

bool IsAncestorOrSelf(pugi::xml_node aCandidate, pugi::xml_node aNode)
{
    for (pugi::xml_node n = aNode; n; n = n.parent())
        if (n == aCandidate)
            return true;
    return false;
}

} // namespace

bool IsCommandElement(pugi::xml_node aElement)
{
    return aElement && aElement.type() == pugi::node_element && aElement.attribute("Text");
}

bool IsExpanded(pugi::xml_node aElement)
{
    if (!aElement.attribute("Expanded"))
        return false;
    try {
        return GetAttrBool(QStringLiteral("Expanded"), aElement, false);
    } catch (const EVarnexError&) {
        return false; // only decides whether the group shows open
    }
}

QList<pugi::xml_node> Children(pugi::xml_node aParent)
{
    QList<pugi::xml_node> children;
    for (pugi::xml_node child : aParent.children("MRU"))
        children.append(child);
    return children;
}

pugi::xml_node AddElement(pugi::xml_node aRoot, pugi::xml_node aFirstSelected, pugi::xml_node aNew)
{
    if (!aFirstSelected)
        return aRoot.append_copy(aNew);
    if (IsCommandElement(aFirstSelected))
        return aFirstSelected.parent().insert_copy_after(aNew, aFirstSelected);
    return aFirstSelected.append_copy(aNew);
}

void RemoveElements(const QList<pugi::xml_node>& aInTreeOrder)
{
    for (qsizetype i = aInTreeOrder.size() - 1; i >= 0; --i) {
        pugi::xml_node node = aInTreeOrder[i];
        if (node && node.parent())
            node.parent().remove_child(node);
    }
}

void RemoveAll(pugi::xml_node aRoot)
{
    while (aRoot.first_child())
        aRoot.remove_child(aRoot.first_child());
}

QString MoveElements(const QList<pugi::xml_node>& aInTreeOrder, pugi::xml_node aTarget)
{
    const bool before = IsCommandElement(aTarget);
    pugi::xml_node destination = before ? aTarget.parent() : aTarget;
    for (qsizetype i = aInTreeOrder.size() - 1; i >= 0; --i) {
        pugi::xml_node node = aInTreeOrder[i];
        // Only a command may be dropped onto itself (a no-op); a group onto itself is a move
        // into itself and must be refused like a move into its descendants.
        if (!node || (before && node == aTarget))
            continue;
        if (IsAncestorOrSelf(node, destination))
            return QStringLiteral("\"%1\" kann nicht in sich selbst oder in eine eigene "
                                  "Untergruppe verschoben werden.")
                .arg(GetAttrString(QStringLiteral("Name"), node, QStringLiteral("Gruppe")));
        const pugi::xml_node moved =
            before ? destination.insert_move_before(node, aTarget) : destination.append_move(node);
        if (!moved)
            return QStringLiteral("Das Element konnte nicht verschoben werden.");
    }
    return {};
}

pugi::xml_node FindByShortCut(pugi::xml_node aRoot, const QString& aText)
{
    if (aText.isEmpty())
        return {};
    const QByteArray text = ToXml(aText);
    pugi::xml_node found;
    VisitElements(aRoot, [&](pugi::xml_node aElement) {
        if (!found && IsMRU(aElement) && text == aElement.attribute("ShortCut").value()
            && aElement.attribute("ShortCut"))
            found = aElement;
    });
    return found;
}

void RemoveShortCuts(pugi::xml_node aRoot)
{
    VisitElements(aRoot, [](pugi::xml_node aElement) {
        if (IsCommandElement(aElement))
            aElement.remove_attribute("ShortCut");
    });
}

QKeyCombination GenerateShortCut(int aNumber)
{
    if (aNumber < 1 || aNumber > kGeneratedShortCuts)
        return kNoShortCut;
    static const Qt::KeyboardModifiers kBlocks[] = {
        Qt::NoModifier,
        Qt::ShiftModifier,
        Qt::ControlModifier,
        Qt::AltModifier,
        Qt::ShiftModifier | Qt::ControlModifier,
        Qt::ShiftModifier | Qt::AltModifier,
        Qt::ControlModifier | Qt::AltModifier,
        Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier,
    };
    const int index = aNumber - 1;
    return QKeyCombination(kBlocks[index / 12], Qt::Key(Qt::Key_F1 + index % 12));
}

void Renumber(pugi::xml_node aRoot, const std::function<bool(QKeyCombination)>& aTaken)
{
    int number = 1;
    VisitElements(aRoot, [&](pugi::xml_node aElement) {
        while (number <= kGeneratedShortCuts && aTaken && aTaken(GenerateShortCut(number)))
            ++number;
        if (number > kGeneratedShortCuts || !IsCommandElement(aElement))
            return;
        SetAttrString(aElement, QStringLiteral("ShortCut"), ShortCutToText(GenerateShortCut(number)));
        ++number;
    });
}

void CopyTreeInto(pugi::xml_node aRoot, pugi::xml_document& aFile)
{
    aFile.reset();
    NewDocument(aFile, QStringLiteral("Body"));
    pugi::xml_node body = aFile.document_element();
    for (pugi::xml_node child : aRoot.children())
        body.append_copy(child);
}

bool ReadCommandFile(const QString& aPath, pugi::xml_document& aFile, QString* aError)
{
    QFile probe(aPath);
    if (!probe.open(QIODevice::ReadOnly)) {
        if (aError)
            *aError = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                          .arg(aPath, probe.errorString());
        return false;
    }
    probe.close();
    if (!LoadXMLFile(aFile, aPath, aError))
        return false;
    if (std::strcmp(aFile.document_element().name(), "Body") != 0) {
        if (aError)
            *aError = QStringLiteral("Die Datei \"%1\" ist keine Kommandodatei: das Wurzelelement "
                                     "\"Body\" fehlt.")
                          .arg(aPath);
        return false;
    }
    // A tree nested this deep is no command library; it would only exhaust the view.
    if (NestingDepth(aFile.document_element()) > kMaxNesting) {
        if (aError)
            *aError = QStringLiteral("Die Datei \"%1\" ist zu tief verschachtelt (mehr als %2 "
                                     "Ebenen).")
                          .arg(aPath)
                          .arg(kMaxNesting);
        aFile.reset();
        return false;
    }
    return true;
}

void ReplaceTree(pugi::xml_node aRoot, const pugi::xml_document& aFile)
{
    RemoveAll(aRoot);
    for (pugi::xml_node child : aFile.document_element().children("MRU"))
        DropForeignChildren(aRoot.append_copy(child));
}

} // namespace CommandTree
