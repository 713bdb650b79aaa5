#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <pugixml.hpp>

#include <memory>

// Routines shared by everything that keeps XML: typed attribute reads with defaults,
// element creation along a path, new documents, files, and the indented text for the trace.
// An empty node handle stands for "no element" everywhere.

using TXMLDocument = std::shared_ptr<pugi::xml_document>;

// The date-time a missing or unreadable date gives by default (day zero of the old format).
QDateTime ZeroDateTime();

bool HasAttribute(const QString& aName, pugi::xml_node aElement);
int GetAttrInt(const QString& aName, pugi::xml_node aElement, int aDefault);
// Raises EVarnexError when the text is neither a boolean word nor an integer.
bool GetAttrBool(const QString& aName, pugi::xml_node aElement, bool aDefault);
QDateTime GetAttrDateTime(const QString& aName, pugi::xml_node aElement, const QDateTime& aDefault);
QString GetAttrString(const QString& aName, pugi::xml_node aElement, const QString& aDefault);
QVariant GetAttrVariant(const QString& aName, pugi::xml_node aElement, const QVariant& aDefault);

void SetAttrInt(pugi::xml_node aElement, const QString& aName, int aValue);
void SetAttrBool(pugi::xml_node aElement, const QString& aName, bool aValue);
void SetAttrString(pugi::xml_node aElement, const QString& aName, const QString& aValue);
void SetAttrDateTime(pugi::xml_node aElement, const QString& aName, const QDateTime& aValue);

// Date-times as the user's locale writes them: short date, long time (left out at midnight).
QString DateTimeToText(const QDateTime& aValue);
bool TextToDateTime(const QString& aText, QDateTime& aValue);

// The first node the XPath selects below aContext; raises EVarnexError for a bad path.
pugi::xml_node SelectSingleNode(pugi::xml_node aContext, const QString& aPath);

// The first child element aElement of aParent whose "Name" is aName; none when there is none.
pugi::xml_node ChildByName(pugi::xml_node aParent, const char* aElement, const QString& aName);

// Finds aPath below aContext (or the document); missing steps are created as elements.
pugi::xml_node GetOrCreateElement(const QString& aPath, pugi::xml_document* aDocument,
                                  pugi::xml_node aContext = {});

// Appends the declaration and a root element of that name (creating the document if null).
TXMLDocument NewDocument(TXMLDocument aDocument, const QString& aRootName);
void NewDocument(pugi::xml_document& aDocument, const QString& aRootName);
TXMLDocument CreateDOMDocument();

// Loading keeps comments and the declaration and drops whitespace between elements.
// On failure aError receives the parser's reason with its position.
// Files nested deeper than this are refused when read (see XMLDepth).
inline constexpr int kMaxXMLDepth = 1000;
// The number of node levels below aNode, counted without recursion.
int XMLDepth(const pugi::xml_node& aNode);
bool LoadXMLFile(pugi::xml_document& aDocument, const QString& aPath, QString* aError);
bool LoadXMLText(pugi::xml_document& aDocument, const QString& aText, QString* aError);
// Writes UTF-8 without added indentation, atomically (the old file stays whole until the
// new one is complete); raises EVarnexError when that fails.
void SaveXMLFile(const pugi::xml_document& aDocument, const QString& aPath);
QString DocumentToXML(const pugi::xml_node& aNode);

QString FormatXMLText(const QString& aXMLText, const QString& aIndent);
QString DocumentToText(const pugi::xml_document& aDocument, const QString& aIndent);
QString ElementToText(pugi::xml_node aElement, const QString& aIndent);

// Expands %NAME% and $NAME / ${NAME} from the environment.
QString ExpandEnvironmentPath(const QString& aText);

inline QString FromXml(const char* aText)
{
    return QString::fromUtf8(aText);
}
inline QByteArray ToXml(const QString& aText)
{
    return aText.toUtf8();
}
