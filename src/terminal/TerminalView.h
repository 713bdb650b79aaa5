#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

class TReceiveText;

// A place in what a receive view holds, taken at its end; each view reads its own fields.
struct TReceiveMark
{
    qint64 Chars = 0;
    qint64 Lines = 0;
    bool PendingCr = false;
};

// Where a terminal session shows its traffic: received text and, in bold, the echo of sent
// text. The window's receive view is one; tests use a plain text buffer.
class ITerminalView
{
public:
    virtual ~ITerminalView() = default;

    virtual void AppendToReceive(QStringView aText, bool aBold) = 0;
    // Received text in the ASCII dump: aNumbers marks (1 per character) what shows a byte's
    // number, so the view can tell byte 5 from the digit '5'. A view that cannot show the
    // difference shows the text.
    virtual void AppendNumbersToReceive(QStringView aText, const QByteArray& aNumbers)
    {
        Q_UNUSED(aNumbers);
        AppendToReceive(aText, false);
    }
    // Received text of one byte a character (Latin-1), as a read shows it without time
    // stamps; a view that stores such text can take it without widening it first.
    virtual void AppendLatin1ToReceive(QByteArrayView aText)
    {
        AppendToReceive(QString::fromLatin1(aText), false);
    }
    virtual void ClearReceive() = 0;
    // True when the view is empty or its last line is, so an echo needs no line break first.
    virtual bool ReceiveAtLineStart() const = 0;
    // The end of what the view holds now, and cutting the view back to such a mark (a mark
    // from before a clear is ignored).
    virtual TReceiveMark ReceiveEnd() const = 0;
    virtual void TruncateReceive(const TReceiveMark& aMark) = 0;

    // What the view holds: a snapshot the view's later changes do not touch (cheap: it shares
    // the buffers until the view changes). Files are written from it, also on another thread.
    virtual TReceiveText ReceiveContent() const = 0;
    // The font the view shows text in, for rich-text files.
    virtual QString ReceiveFontFamily() const = 0;
    virtual int ReceiveFontSize() const = 0;
    // Drops what the view held before aMark (written away); what came after it stays.
    virtual void DropReceiveFront(const TReceiveMark& aMark) = 0;
};
