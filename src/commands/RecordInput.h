#pragma once

#include <QDialog>
#include <QMetaEnum>
#include <QString>

#include <pugixml.hpp>

#include <memory>

class QModelIndex;

namespace Ui {
class TfrmRecordInput;
}

// How a value item is shown and edited; stored in the Fields document by name.
enum TPropDataType { dtNone, dtNumber, dtString, dtEnum };

QString PropDataTypeName(TPropDataType aType);
// False when aName is no type name; an empty name counts as dtNone.
bool PropDataTypeFromName(const QString& aName, TPropDataType& aType);

// Asks for a record of named values. The caller adds items to the Fields document, shows
// the dialog once and reads the values back by name:
//
//   <Fields>
//     <Item Name="Port" Title="true"/>
//     <Item Name="Baud" Value="9600" DataType="dtNumber"/>
//     <Item Name="Parity" Value="0" DataType="dtEnum"><Enum Name="None" Value="0"/>...</Item>
//   </Fields>
//
// The document is the one place the values live; the tree only shows it. The dialog has no
// cancel: however it is closed, it holds the values the user left in it.
class TfrmRecordInput : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmRecordInput(QWidget* aOwner = nullptr);
    ~TfrmRecordInput() override;

    pugi::xml_document& Dom() { return FDom; }
    const pugi::xml_document& Dom() const { return FDom; }

    // A heading: the items after it are listed below it until the next heading.
    void AddItem(const QString& aName);
    void AddItem(const QString& aName, const QString& aValue, TPropDataType aDataType);
    // A choice among the entries of a comma text ("a,b" or "a b"; quoted entries may hold
    // both); aValue is the index of the chosen entry.
    void AddEnum(const QString& aName, int aValue, const QString& aEnumValues);
    // A choice among the identifiers of an enumeration, lowest value first; aValue is the
    // enumeration value itself.
    void AddEnum(const QString& aName, int aValue, const QMetaEnum& aEnum);

    // Raises EVarnexError for an item whose type cannot be shown, before anything is shown.
    void BuildTree();
    void ShowRecord();

    // The value of the first value item called aName; aDefault when there is none or it
    // holds no value.
    QString ValueByName(const QString& aName, const QString& aDefault) const;
    // The text shown for an item; raises EVarnexError for an unknown data type.
    static QString GetValueFromNode(pugi::xml_node aItem);

    // True while a value is being edited in the tree.
    bool IsEditing() const;
    QWidget* Editor() const;

public slots:
    // Escape without an open editor: there is nothing to cancel, so it closes like Close.
    void reject() override;
    void done(int aResult) override;

protected:
    void showEvent(QShowEvent* aEvent) override;
    void closeEvent(QCloseEvent* aEvent) override;

private:
    void InitDom();
    pugi::xml_node AppendItem(const QString& aName);
    void butOKClick();
    void vtRecordInputChange(const QModelIndex& aCurrent);
    void vtRecordInputClicked(const QModelIndex& aIndex);
    void StartEdit(const QModelIndex& aIndex);
    // Stores what the open editor holds and closes it; false when none was open.
    bool EndEdit();

    class TFieldsModel;
    class TPropertyEditLink;

    std::unique_ptr<Ui::TfrmRecordInput> ui;
    pugi::xml_document FDom;
    TFieldsModel* mModel = nullptr;
    TPropertyEditLink* mEditLink = nullptr;
};
