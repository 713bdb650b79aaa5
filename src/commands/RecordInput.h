#pragma once

#include "commands/RecordFields.h"

#include <QDialog>
#include <QString>

#include <memory>

class QModelIndex;

namespace Ui {
class TfrmRecordInput;
}

// Asks for a record of named values (TRecordFields). The caller adds items, shows the dialog
// once and reads the values back by name. The tree only shows the Fields document. The
// dialog has no cancel: however it is closed, it holds the values the user left in it.
class TfrmRecordInput : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmRecordInput(QWidget* aOwner = nullptr);
    ~TfrmRecordInput() override;

    TRecordFields& Fields() { return FFields; }
    pugi::xml_document& Dom() { return FFields.Dom(); }
    const pugi::xml_document& Dom() const { return FFields.Dom(); }

    void AddItem(const QString& aName) { FFields.AddItem(aName); }
    void AddItem(const QString& aName, const QString& aValue, TPropDataType aDataType)
    {
        FFields.AddItem(aName, aValue, aDataType);
    }
    void AddEnum(const QString& aName, int aValue, const QString& aEnumValues)
    {
        FFields.AddEnum(aName, aValue, aEnumValues);
    }
    void AddEnum(const QString& aName, int aValue, const QMetaEnum& aEnum)
    {
        FFields.AddEnum(aName, aValue, aEnum);
    }

    // Raises EVarnexError for an item whose type cannot be shown, before anything is shown.
    void BuildTree();
    void ShowRecord();

    QString ValueByName(const QString& aName, const QString& aDefault) const
    {
        return FFields.ValueByName(aName, aDefault);
    }
    static QString GetValueFromNode(pugi::xml_node aItem) { return TRecordFields::GetValueFromNode(aItem); }

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
    void butOKClick();
    void vtRecordInputChange(const QModelIndex& aCurrent);
    void vtRecordInputClicked(const QModelIndex& aIndex);
    void StartEdit(const QModelIndex& aIndex);
    // Stores what the open editor holds and closes it; false when none was open.
    bool EndEdit();

    class TFieldsModel;
    class TPropertyEditLink;

    std::unique_ptr<Ui::TfrmRecordInput> ui;
    TRecordFields FFields;
    TFieldsModel* mModel = nullptr;
    TPropertyEditLink* mEditLink = nullptr;
};
