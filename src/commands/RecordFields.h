#pragma once

#include <QMetaEnum>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

// How a value item is shown and edited; stored in the Fields document by name.
enum TPropDataType { dtNone, dtNumber, dtString, dtEnum };

QString PropDataTypeName(TPropDataType aType);
// False when aName is no type name; an empty name counts as dtNone.
bool PropDataTypeFromName(const QString& aName, TPropDataType& aType);

// A record of named values to be asked from the user, as one document:
//
//   <Fields>
//     <Item Name="Port" Title="true"/>
//     <Item Name="Baud" Value="9600" DataType="dtNumber"/>
//     <Item Name="Parity" Value="0" DataType="dtEnum"><Enum Name="None" Value="0"/>...</Item>
//   </Fields>
//
// The document is the one place the values live: the input dialog edits it in place and the
// caller reads the values back by name.
class TRecordFields
{
public:
    TRecordFields();

    pugi::xml_document& Dom() { return FDom; }
    const pugi::xml_document& Dom() const { return FDom; }
    pugi::xml_node Root() const { return FDom.document_element(); }

    // A heading: the items after it are listed below it until the next heading.
    void AddItem(const QString& aName);
    void AddItem(const QString& aName, const QString& aValue, TPropDataType aDataType);
    // A choice among the entries of a comma text ("a,b" or "a b"; quoted entries may hold
    // both); aValue is the index of the chosen entry.
    void AddEnum(const QString& aName, int aValue, const QString& aEnumValues);
    // A choice among the identifiers of an enumeration, lowest value first; aValue is the
    // enumeration value itself.
    void AddEnum(const QString& aName, int aValue, const QMetaEnum& aEnum);

    // The value of the first value item called aName; aDefault when there is none or it
    // holds no value.
    QString ValueByName(const QString& aName, const QString& aDefault) const;
    // Raises EVarnexError for the first item whose type cannot be shown.
    void CheckItems() const;

    // The text shown for an item; raises EVarnexError for an unknown data type.
    static QString GetValueFromNode(pugi::xml_node aItem);
    static bool IsHeading(pugi::xml_node aItem);
    static TPropDataType DataTypeOf(pugi::xml_node aItem);
    static bool IsEditable(pugi::xml_node aItem);
    // The choice an enumeration item's "Value" points at; empty when it matches none.
    static pugi::xml_node ChosenEnum(pugi::xml_node aItem);

private:
    pugi::xml_node AppendItem(const QString& aName);

    pugi::xml_document FDom;
};
