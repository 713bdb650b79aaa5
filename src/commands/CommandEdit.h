#pragma once

#include "commands/ParameterHandler.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <memory>

class TParamHighlight;

namespace Ui {
class TfrmCommandEdit;
}

// Creates or changes one element of the command tree: the name of a group, or the name,
// text and shortcut of a command. The "Parameter" page lists the parameters of the text,
// shows the one at the caret and composes, inserts, replaces and tries out parameters.
//
// Usage: SetCommandElement(element); if (ShowCommandEdit()) ... the element was written.
class TfrmCommandEdit : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmCommandEdit(QWidget* aParent = nullptr);
    ~TfrmCommandEdit() override;

    // An "MRU" element: a command when it has a "Text" attribute, else a group.
    pugi::xml_node CommandElement() const { return FCommandElement; }
    void SetCommandElement(pugi::xml_node aElement) { FCommandElement = aElement; }
    // The parameters of the current text.
    const TTermParameters& ParamArray() const { return FParamArray; }
    TParamHighlight* Highlighter() const { return mHighlight; }

    // Fills the fields from the element and runs the dialog; true when closed with OK, the
    // element then holds the new values.
    bool ShowCommandEdit();

    // The markup the parameter fields describe; empty when they are all empty.
    QString assembleParam() const;
    void ShowParameter(int aParameterIndex);
    // The parameter whose markup the caret at aPosition (characters before it) lies
    // inside; -1 for none.
    int CommandIndexFromPos(int aPosition) const;

    void butOKClick();
    void acParamRefreshExecute();
    void acParamInsertExecute();
    void acParamReplaceExecute();
    void acParamTestExecute();
    void edParamNrChange();
    // Enables the parameter controls for the current text, caret and selection.
    void ActionList1Update();
    void edCommandChange();
    void edCommandKeyUp(int aKey);
    void edCommandMouseUp();

    // " Name=\"value\"" with the value written so that the markup parses back to it.
    static QString AttributeText(const QString& aName, const QString& aValue);

public slots:
    // Every way of closing passes here: the position is stored before the dialog goes.
    void done(int aResult) override;

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    void FormShow();
    bool FormCloseQuery();
    bool IsCommand() const;
    QString CommandText() const;
    void SyncWithCaret();
    void ReportParseErrors(const QStringList& aErrors);
    // What the parameter fields were last filled from; see acParamRefreshExecute.
    QString ShownKey(int aParameterIndex) const;
    // True when the caret or either end of the selection lies inside markup.
    bool SelectionCutsParameter() const;

    std::unique_ptr<Ui::TfrmCommandEdit> ui;
    pugi::xml_node FCommandElement;
    TTermParameters FParamArray;
    TParamHighlight* mHighlight = nullptr;
    QString mShownKey;
    // The parameters whose parse error was shown and that are still broken.
    QList<int> mReportedErrors;
};
