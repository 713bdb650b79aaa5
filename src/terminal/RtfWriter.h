#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

class QIODevice;

// Writes paragraphs of text in normal and bold runs as an RTF 1.x document.
// The receive view can hold tens of megabytes, so nothing is kept beyond one 64 KB block:
// the block goes to the device whenever it fills up.
//
// How characters are written, so that a reader gets back exactly what the view holds:
//  - '\', '{' and '}' as control symbols, 0x20..0x7E as they are;
//  - 0xA0..0xFF as \'hh: the document declares code page 1252, which agrees with Latin-1 there;
//  - 0x80..0x9F as \uN: in code page 1252 \'80..\'9f would come back as the euro sign,
//    curly quotes and so on instead of the C1 characters the view holds;
//  - everything above 0xFF as \uN of its UTF-16 code units (N as a signed 16-bit number), so
//    a character beyond the BMP is a surrogate pair of two escapes;
//  - the other control characters below 0x20 and DEL as their Unicode control pictures
//    (U+2400 + c, U+2421), as the receive view draws them: a raw control character in a
//    document would be invisible at best;
//  - tab as \tab; CR, LF and CR LF as one paragraph break, also when the CR ends one Text()
//    and the LF starts the next.
// Every \uN is followed by \'3f, a '?' for readers without Unicode (\uc1). A space after a
// space, a tab, a line break or a control word's delimiting space is written as \'20, so that
// no reader folds the run.
// Output lines are broken after about 200 bytes, between escapes and never right after an
// escaped backslash; readers ignore those line breaks.
class TRtfWriter
{
public:
    explicit TRtfWriter(QIODevice* aOut);

    // Header, font table, default font and size; comes first.
    void Begin(const QString& aFontFamily, int aPointSize);
    // A run of text; CR, LF and CR LF end a paragraph, tab is a tab. The style switches only
    // where a character needs it, so runs of nothing but breaks change nothing.
    void Text(QStringView aText, bool aBold);
    // A paragraph break of its own: an LF right after it is another one.
    void EndParagraph();
    // Closes the document and hands the rest to the device; false if any write failed.
    // Without End() the document is incomplete.
    bool End();

private:
    char* Room(int aBytes);
    void Put(const char* aBytes, int aLength);
    void Flush();
    void Paragraph();
    void PutFontName(QStringView aName);

    QIODevice* FOut;
    QByteArray FBlock;
    qsizetype FUsed = 0;
    int FLineLength = 0;
    bool FBold = false;
    bool FAfterCR = false;
    bool FSpaceBefore = true;
    bool FOk = true;
};
