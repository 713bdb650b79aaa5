#pragma once

#include <QKeyCombination>
#include <QList>
#include <QString>

#include <pugixml.hpp>

#include <functional>

// Operations on the command tree, which lives in the settings document as the "MRU"
// elements below "/Body/SendMRU": a command when the element has a "Text" attribute, else a
// group. Nothing here keeps a copy; every call works on the document it is handed.
namespace CommandTree {

// True for an element with a "Text" attribute (its value may be empty).
bool IsCommandElement(pugi::xml_node aElement);

// The group's "Expanded" flag; an unreadable one counts as closed.
bool IsExpanded(pugi::xml_node aElement);

// The "MRU" children of a group or of the root, in display order.
QList<pugi::xml_node> Children(pugi::xml_node aParent);

// Places a copy of aNew (an element of any document): after aFirstSelected when that is a
// command, as the last child when it is a group, at the end of aRoot when nothing is
// selected. Returns the placed element.
pugi::xml_node AddElement(pugi::xml_node aRoot, pugi::xml_node aFirstSelected, pugi::xml_node aNew);

// Removes the elements (given in tree order) from the last to the first, so a group and
// selected nodes inside it go without error.
void RemoveElements(const QList<pugi::xml_node>& aInTreeOrder);
void RemoveAll(pugi::xml_node aRoot);

// Moves the elements (given in tree order, processed last to first) onto aTarget: directly
// before it when it is a command, as last child otherwise (a group, or aRoot itself). Stops
// at the first move the document refuses (a group into itself or its descendants) and
// returns the message for the user; elements moved before it stay moved.
QString MoveElements(const QList<pugi::xml_node>& aInTreeOrder, pugi::xml_node aTarget);

// The first element in document order whose "ShortCut" is exactly aText (none for an empty
// text).
pugi::xml_node FindByShortCut(pugi::xml_node aRoot, const QString& aText);

// Removes "ShortCut" from every command below aRoot; groups keep theirs.
void RemoveShortCuts(pugi::xml_node aRoot);

// The n-th generated shortcut (1 … 96): F1 … F12, then with Shift, Ctrl, Alt, Shift+Ctrl,
// Shift+Alt, Ctrl+Alt and Shift+Ctrl+Alt.
QKeyCombination GenerateShortCut(int aNumber);
inline constexpr int kGeneratedShortCuts = 96;

// Gives the commands below aRoot the generated shortcuts in document order, skipping the
// combinations aTaken reports as used by a menu action. Commands after the last free
// candidate keep what they had.
void Renumber(pugi::xml_node aRoot, const std::function<bool(QKeyCombination)>& aTaken);

// Command files: a "Body" holding copies of the top-level nodes, then "Interface" (written
// by the caller). The document is replaced.
void CopyTreeInto(pugi::xml_node aRoot, pugi::xml_document& aFile);

// Reads a command file. False with the reason in aError when the file cannot be read, does
// not parse, has no "Body" root or nests groups deeper than kMaxNesting; aFile is then
// unusable.
inline constexpr int kMaxNesting = 100;
bool ReadCommandFile(const QString& aPath, pugi::xml_document& aFile, QString* aError);

// Replaces the tree by the "MRU" children of the file's root, in order. Anything inside them
// that is not an "MRU" element (comments, text) is dropped, so that a node's position among
// its siblings always addresses its element.
void ReplaceTree(pugi::xml_node aRoot, const pugi::xml_document& aFile);

} // namespace CommandTree
