#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QTextBrowser;

namespace Ui {
class TfrmHelpWindow;
}

// The help on writing scripts: which routines a script can call, what the variable Text
// holds and an example. The text comes from "ScriptHelpText.rtf" in the program's directory
// when that file is there and readable, so it can be edited with any word processor;
// otherwise the window shows the text built into the program.
class TfrmHelpWindow : public QDialog
{
    Q_OBJECT

public:
    // aDirectory: where to look for the help file; empty means the program's directory.
    explicit TfrmHelpWindow(QWidget* aParent = nullptr, const QString& aDirectory = QString());
    ~TfrmHelpWindow() override;

    static QString HelpFileName() { return QStringLiteral("ScriptHelpText.rtf"); }
    // The built-in help as HTML.
    static QString BuiltInHelpText();
    // The example of the built-in help as a complete script: it appends the CRC16 of Text
    // to Text, high byte first, after showing the checksum.
    static QString ExampleScript();

    QTextBrowser* edHelpText() const;
    // True when the text was read from the help file.
    bool HelpTextFromFile() const { return FFromFile; }

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    void LoadHelpText(const QString& aDirectory);
    void CenterOnParent();

    std::unique_ptr<Ui::TfrmHelpWindow> ui;
    bool FFromFile = false;
};
