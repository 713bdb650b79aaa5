#pragma once

#include "terminal/TerminalView.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

class QIODevice;

// What the receive view holds, without the widget: text as 8 bits per character in one buffer
// (characters Latin-1 cannot hold are kept aside by position), split into paragraphs at
// executed line breaks, with bold runs for the echo. Copies share the buffers until one side
// changes, so a copy is a cheap snapshot (a history file is written from one while the view
// goes on).
//
// Offsets count characters without the line breaks.
class TReceiveText
{
public:
    struct TStyleRun
    {
        qint64 Start;
        bool Bold;
    };

    // The stored byte of a character Latin-1 cannot hold; CharAt gives the character itself.
    static constexpr uchar WidePlaceholder = 0x1A;

    TReceiveText();

    // Appends aText; CR, LF and CR LF start a new paragraph, also across two appends.
    void Append(QStringView aText, bool aBold);
    // The same for Latin-1 text, one byte a character, not bold: stored without widening.
    void AppendLatin1(QByteArrayView aText);
    // Appends text of the ASCII dump (no line breaks): aNumbers marks, one byte per character,
    // what shows a byte's number. Costs a bit per character, only once numbers were marked.
    void AppendNumbers(QStringView aText, const QByteArray& aNumbers);
    bool IsNumber(qint64 aOffset) const
    {
        return (aOffset >> 3) < FNumberBits.size() && (uchar(FNumberBits[aOffset >> 3]) >> (aOffset & 7)) & 1;
    }
    void Clear();
    // True when there is no character and no line break.
    bool IsEmpty() const { return FText.isEmpty() && FParagraphs.size() <= 1; }

    // The end as it is now, and going back to it.
    TReceiveMark End() const { return {FText.size(), FParagraphs.size(), FPendingCr}; }
    bool IsValidMark(const TReceiveMark& aMark) const;
    // Cuts the text back to aMark; false (and nothing changed) for a mark that does not fit.
    bool TruncateTo(const TReceiveMark& aMark);
    // Drops everything before aMark; what came after it stays, starting a line where the mark
    // was. False (and nothing changed) for a mark that does not fit.
    bool DropFront(const TReceiveMark& aMark);
    // What a reader holding offsets needs to follow the text: cuts (clearing and cutting back)
    // may leave an offset naming other text, so they are counted; dropping the front moves
    // every offset back by the characters dropped, which are summed up.
    quint64 Cuts() const { return FCuts; }
    qint64 DroppedChars() const { return FDropped; }

    // Paragraphs (lines between executed breaks); an empty text has none.
    qsizetype LineCount() const { return FParagraphs.size(); }
    qint64 ParagraphStart(qsizetype aParagraph) const { return FParagraphs[aParagraph]; }
    qint64 ParagraphEnd(qsizetype aParagraph) const
    {
        return aParagraph + 1 < FParagraphs.size() ? FParagraphs[aParagraph + 1] : FText.size();
    }
    // True when the text is empty or its last line is.
    bool AtLineStart() const
    {
        return FParagraphs.isEmpty() || ParagraphEnd(FParagraphs.size() - 1) == FParagraphs.last();
    }
    // Characters held (without the line breaks).
    qint64 Size() const { return FText.size(); }
    // The stored bytes, one per character; a character beyond Latin-1 stands as a placeholder.
    const uchar* Bytes() const { return reinterpret_cast<const uchar*>(FText.constData()); }
    char16_t CharAt(qint64 aOffset) const;
    QString DisplayText(qint64 aFrom, qint64 aTo) const;
    QString Line(qsizetype aIndex) const { return DisplayText(FParagraphs[aIndex], ParagraphEnd(aIndex)); }
    // The whole text, paragraphs joined by CR LF.
    QString Text() const;
    // The paragraph a character belongs to (the last one starting at or before aOffset).
    qsizetype ParagraphAt(qint64 aOffset) const;
    // The character the view draws for a stored one: bytes 0x80-0x9F as the glyphs of code
    // page 1252 where it has one, everything else as itself.
    static char16_t ShownChar(char16_t aStored);

    bool BoldAt(qint64 aOffset) const;
    // Where the style found at aOffset ends, at aLimit at the latest.
    qint64 StyleEnd(qint64 aOffset, qint64 aLimit) const;

    // Plain text, paragraphs joined by CR LF: Latin-1 bytes when every character fits, UTF-8
    // otherwise. RTF with the bold runs, in the given font. Both stream; false when writing
    // failed.
    bool SaveText(QIODevice* aOut) const;
    bool SaveRtf(QIODevice* aOut, const QString& aFontFamily, int aPointSize) const;
    // Writes the file whole or not at all (the old file stays until the new one is complete):
    // RTF when the name ends in ".rtf" (any case), plain text otherwise. Returns why it failed,
    // empty when it worked. Safe on any thread.
    QString WriteFile(const QString& aFileName, const QString& aFontFamily, int aPointSize) const;

private:
    void StartParagraph() { FParagraphs.append(FText.size()); }
    void AppendChars(QStringView aText);
    void AppendBytes(QByteArrayView aText);
    template <class TChar, class TAppendSpan>
    void AppendLines(const TChar* aText, qsizetype aSize, bool aBold, TAppendSpan&& aAppendSpan);

    QByteArray FText;
    QHash<qint64, char16_t> FWide;
    QList<qint64> FParagraphs;
    QList<TStyleRun> FRuns;
    // One bit per character, set where the ASCII dump shows a byte's number; empty until used.
    QByteArray FNumberBits;
    bool FPendingCr = false;
    quint64 FCuts = 0;
    qint64 FDropped = 0;
};
