#include "commands/CommandTextEdit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

TCommandTextEdit::TCommandTextEdit(QWidget* aParent)
    : QPlainTextEdit(aParent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A tab in a one-line field of a dialog means "next field".
    setTabChangesFocus(true);
    document()->setDocumentMargin(2);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    setFont(font);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    FitHeightToLine();
    connect(this, &QPlainTextEdit::textChanged, this, &TCommandTextEdit::KeepOneLine);
}

QString TCommandTextEdit::Text() const
{
    // The raw text keeps characters such as the no-break space (byte 160) that the plain
    // text form would turn into blanks.
    QString text = document()->toRawText();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    text.truncate(end);
    return text;
}

void TCommandTextEdit::SetText(const QString& aText)
{
    setPlainText(OneLine(aText));
}

void TCommandTextEdit::SetCaretOffset(int aOffset)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(qBound(0, aOffset, document()->characterCount() - 1));
    setTextCursor(cursor);
}

void TCommandTextEdit::InsertText(const QString& aText)
{
    insertPlainText(OneLine(aText));
}

void TCommandTextEdit::ReplaceRange(int aStart, int aLength, const QString& aText)
{
    const int last = document()->characterCount() - 1;
    QTextCursor cursor(document());
    cursor.setPosition(qBound(0, aStart, last));
    cursor.setPosition(qBound(0, aStart + aLength, last), QTextCursor::KeepAnchor);
    cursor.insertText(OneLine(aText));
    setTextCursor(cursor);
}

void TCommandTextEdit::KeepOneLine()
{
    if (mKeepingOneLine)
        return;
    const QString raw = document()->toRawText();
    const QString line = OneLine(raw);
    if (line == raw)
        return;
    mKeepingOneLine = true;
    const int caret = CaretOffset();
    const int caretInLine = int(OneLine(raw.left(caret)).size());
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.insertText(line);
    SetCaretOffset(caretInLine);
    mKeepingOneLine = false;
}

QString TCommandTextEdit::OneLine(const QString& aText)
{
    QString text;
    text.reserve(aText.size());
    for (QChar c : aText) {
        if (c == u'\r' || c == u'\n' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            continue;
        text += c == u'\t' ? QChar(u' ') : c;
    }
    return text;
}

void TCommandTextEdit::keyPressEvent(QKeyEvent* aEvent)
{
    if (aEvent->key() == Qt::Key_Return || aEvent->key() == Qt::Key_Enter) {
        // Left to the dialog, whose default button takes it.
        aEvent->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(aEvent);
}

void TCommandTextEdit::keyReleaseEvent(QKeyEvent* aEvent)
{
    QPlainTextEdit::keyReleaseEvent(aEvent);
    emit KeyUp(aEvent->key());
}

void TCommandTextEdit::mouseReleaseEvent(QMouseEvent* aEvent)
{
    QPlainTextEdit::mouseReleaseEvent(aEvent);
    emit MouseUp();
}

void TCommandTextEdit::insertFromMimeData(const QMimeData* aSource)
{
    if (aSource && aSource->hasText())
        insertPlainText(OneLine(aSource->text()));
}

void TCommandTextEdit::changeEvent(QEvent* aEvent)
{
    QPlainTextEdit::changeEvent(aEvent);
    if (aEvent->type() == QEvent::FontChange || aEvent->type() == QEvent::StyleChange)
        FitHeightToLine();
}

void TCommandTextEdit::FitHeightToLine()
{
    const int margin = int(document()->documentMargin());
    setFixedHeight(fontMetrics().lineSpacing() + 2 * margin + 2 * frameWidth() + 1);
}
