#include "commands/RecordFields.h"

#include "base/VarnexError.h"
#include "settings/CommaText.h"
#include "settings/XMLGlobal.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {
const char* const kDataTypeNames[] = {"dtNone", "dtNumber", "dtString", "dtEnum"};
} // namespace

bool TRecordFields::IsHeading(pugi::xml_node aItem)
{
    return aItem.attribute("Title");
}

TPropDataType TRecordFields::DataTypeOf(pugi::xml_node aItem)
{
    TPropDataType type = dtNone;
    PropDataTypeFromName(GetAttrString(QStringLiteral("DataType"), aItem, QString()), type);
    return type;
}

bool TRecordFields::IsEditable(pugi::xml_node aItem)
{
    if (!aItem || IsHeading(aItem))
        return false;
    const TPropDataType type = DataTypeOf(aItem);
    return type == dtNumber || type == dtString || type == dtEnum;
}

pugi::xml_node TRecordFields::ChosenEnum(pugi::xml_node aItem)
{
    const pugi::xml_attribute value = aItem.attribute("Value");
    if (!value)
        return {};
    for (pugi::xml_node choice : aItem.children("Enum")) {
        const pugi::xml_attribute choiceValue = choice.attribute("Value");
        if (choiceValue && std::strcmp(choiceValue.value(), value.value()) == 0)
            return choice;
    }
    return {};
}

QString PropDataTypeName(TPropDataType aType)
{
    return QString::fromLatin1(kDataTypeNames[std::clamp(int(aType), 0, int(dtEnum))]);
}

bool PropDataTypeFromName(const QString& aName, TPropDataType& aType)
{
    if (aName.isEmpty()) {
        aType = dtNone;
        return true;
    }
    for (int i = dtNone; i <= dtEnum; ++i) {
        if (aName == QLatin1String(kDataTypeNames[i])) {
            aType = TPropDataType(i);
            return true;
        }
    }
    return false;
}

TRecordFields::TRecordFields()
{
    NewDocument(FDom, QStringLiteral("Fields"));
}

pugi::xml_node TRecordFields::AppendItem(const QString& aName)
{
    pugi::xml_node item = FDom.document_element().append_child("Item");
    SetAttrString(item, QStringLiteral("Name"), aName);
    return item;
}

void TRecordFields::AddItem(const QString& aName)
{
    SetAttrBool(AppendItem(aName), QStringLiteral("Title"), true);
}

void TRecordFields::AddItem(const QString& aName, const QString& aValue, TPropDataType aDataType)
{
    pugi::xml_node item = AppendItem(aName);
    SetAttrString(item, QStringLiteral("Value"), aValue);
    SetAttrString(item, QStringLiteral("DataType"), PropDataTypeName(aDataType));
}

void TRecordFields::AddEnum(const QString& aName, int aValue, const QString& aEnumValues)
{
    pugi::xml_node item = AppendItem(aName);
    SetAttrInt(item, QStringLiteral("Value"), aValue);
    SetAttrString(item, QStringLiteral("DataType"), PropDataTypeName(dtEnum));
    const QStringList choices = FromCommaText(aEnumValues);
    for (int i = 0; i < choices.size(); ++i) {
        pugi::xml_node choice = item.append_child("Enum");
        SetAttrString(choice, QStringLiteral("Name"), choices[i]);
        SetAttrInt(choice, QStringLiteral("Value"), i);
    }
}

void TRecordFields::AddEnum(const QString& aName, int aValue, const QMetaEnum& aEnum)
{
    std::vector<std::pair<int, QString>> choices;
    for (int i = 0; i < aEnum.keyCount(); ++i)
        choices.emplace_back(aEnum.value(i), QString::fromLatin1(aEnum.key(i)));
    std::stable_sort(choices.begin(), choices.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    pugi::xml_node item = AppendItem(aName);
    SetAttrInt(item, QStringLiteral("Value"), aValue);
    SetAttrString(item, QStringLiteral("DataType"), PropDataTypeName(dtEnum));
    for (const auto& [value, key] : choices) {
        pugi::xml_node choice = item.append_child("Enum");
        SetAttrString(choice, QStringLiteral("Name"), key);
        SetAttrInt(choice, QStringLiteral("Value"), value);
    }
}

void TRecordFields::CheckItems() const
{
    for (pugi::xml_node item : Root().children("Item"))
        GetValueFromNode(item);
}

QString TRecordFields::ValueByName(const QString& aName, const QString& aDefault) const
{
    // Compared in code rather than through an XPath literal, so that names holding quotes
    // or apostrophes find their items too.
    const QByteArray name = ToXml(aName);
    for (pugi::xml_node item : FDom.document_element().children("Item")) {
        const pugi::xml_attribute itemName = item.attribute("Name");
        if (IsHeading(item) || !itemName || name != itemName.value())
            continue;
        return GetAttrString(QStringLiteral("Value"), item, aDefault);
    }
    return aDefault;
}

QString TRecordFields::GetValueFromNode(pugi::xml_node aItem)
{
    TPropDataType type = dtNone;
    if (!PropDataTypeFromName(GetAttrString(QStringLiteral("DataType"), aItem, QString()), type))
        throw EVarnexError(QStringLiteral("TfrmRecordInput.GetValueFromNode: Datentyp niht definiert."));
    if (type == dtEnum)
        return GetAttrString(QStringLiteral("Name"), ChosenEnum(aItem), QString());
    return GetAttrString(QStringLiteral("Value"), aItem, QString());
}
