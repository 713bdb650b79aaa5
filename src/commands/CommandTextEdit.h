#pragma once

#include <QPlainTextEdit>
#include <QString>

// The one-line text field of a command: a plain text editor (so it can be coloured by a
// syntax highlighter) that never holds more than one line. Line breaks that are pasted or
// dropped are removed, tabs become blanks, Enter and Return go on to the dialog (default
// button), and the text it hands out has no trailing blanks.
class TCommandTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TCommandTextEdit(QWidget* aParent = nullptr);

    // The text without trailing blanks.
    QString Text() const;
    void SetText(const QString& aText);

    // Number of characters before the caret.
    int CaretOffset() const { return textCursor().position(); }
    void SetCaretOffset(int aOffset);
    int SelStart() const { return textCursor().selectionStart(); }
    int SelEnd() const { return textCursor().selectionEnd(); }
    // Replaces the selection (or inserts at the caret); the caret ends after aText.
    void InsertText(const QString& aText);
    // Replaces aLength characters from aStart; the caret ends after the new text.
    void ReplaceRange(int aStart, int aLength, const QString& aText);

    // aText as one line: line breaks removed, tabs as blanks.
    static QString OneLine(const QString& aText);

signals:
    // After a key was released in the field.
    void KeyUp(int aKey);
    // After a mouse button was released in the field.
    void MouseUp();

protected:
    void keyPressEvent(QKeyEvent* aEvent) override;
    void keyReleaseEvent(QKeyEvent* aEvent) override;
    void mouseReleaseEvent(QMouseEvent* aEvent) override;
    void insertFromMimeData(const QMimeData* aSource) override;
    void changeEvent(QEvent* aEvent) override;

private:
    void FitHeightToLine();
    // Whatever way text came in (input method, program, undo), it ends up as one line.
    void KeepOneLine();

    bool mKeepingOneLine = false;
};
