#include "terminal/RtfWriter.h"

#include <QIODevice>

#include <array>
#include <cstring>

namespace {

constexpr qsizetype kBlockSize = 64 * 1024;
// Longest piece put in one go: "\u-32768\'3f" plus a line break, or a 16-byte table entry.
constexpr int kMaxPiece = 16;
constexpr int kLineLength = 200;

struct TEscape
{
    char Text[15];
    quint8 Length;
};

constexpr void SetEscape(TEscape& aEscape, const char* aText)
{
    aEscape = {};
    while (aText[aEscape.Length] != '\0') {
        aEscape.Text[aEscape.Length] = aText[aEscape.Length];
        ++aEscape.Length;
    }
}

// "\u<n>\'3f" for a UTF-16 code unit; RTF reads the number as a signed 16-bit value.
// The '?' for readers without Unicode is given as an escape: unrtf skips not one character
// after \u<n> but the whole word of plain text there, which would swallow the text after it.
constexpr int UnicodeEscape(char* aOut, char16_t aUnit)
{
    int value = aUnit < 0x8000 ? int(aUnit) : int(aUnit) - 0x10000;
    char* out = aOut;
    *out++ = '\\';
    *out++ = 'u';
    if (value < 0) {
        *out++ = '-';
        value = -value;
    }
    char digits[8] = {};
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        *out++ = digits[--count];
    for (const char c : {'\\', '\'', '3', 'f'})
        *out++ = c;
    return int(out - aOut);
}

constexpr std::array<TEscape, 256> MakeEscapes()
{
    std::array<TEscape, 256> escapes{};
    constexpr char kHex[] = "0123456789abcdef";
    for (int c = 0; c < 256; ++c) {
        TEscape& escape = escapes[c];
        if (c == '\\' || c == '{' || c == '}') {
            escape.Text[0] = '\\';
            escape.Text[1] = char(c);
            escape.Length = 2;
        } else if (c == '\t') {
            SetEscape(escape, "\\tab ");
        } else if (c < 0x20) {
            escape.Length = quint8(UnicodeEscape(escape.Text, char16_t(0x2400 + c)));
        } else if (c == 0x7F) {
            escape.Length = quint8(UnicodeEscape(escape.Text, char16_t(0x2421)));
        } else if (c < 0x7F) {
            escape.Text[0] = char(c);
            escape.Length = 1;
        } else if (c < 0xA0) {
            escape.Length = quint8(UnicodeEscape(escape.Text, char16_t(c)));
        } else {
            escape.Text[0] = '\\';
            escape.Text[1] = '\'';
            escape.Text[2] = kHex[c >> 4];
            escape.Text[3] = kHex[c & 15];
            escape.Length = 4;
        }
    }
    return escapes;
}

constexpr std::array<TEscape, 256> kEscapes = MakeEscapes();
static_assert(sizeof(TEscape) <= kMaxPiece);

} // namespace

TRtfWriter::TRtfWriter(QIODevice* aOut)
    : FOut(aOut)
{
    FBlock.resize(kBlockSize);
}

void TRtfWriter::Begin(const QString& aFontFamily, int aPointSize)
{
    static constexpr char kHead[] = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                                    "{\\fonttbl{\\f0\\fmodern\\fcharset0 ";
    Put(kHead, int(sizeof kHead - 1));
    PutFontName(aFontFamily.isEmpty() ? QStringLiteral("Courier New") : aFontFamily);
    // \fs counts half points and its parameter is a 16-bit number.
    const QByteArray size = QByteArray::number(2 * qBound(1, aPointSize, 16383));
    const QByteArray rest = ";}}\n\\f0\\fs" + size + ' ';
    Put(rest.constData(), int(rest.size()));
    FLineLength = int(rest.size()) - int(rest.indexOf('\n')) - 1;
    FBold = false;
    FAfterCR = false;
    FSpaceBefore = true;
}

void TRtfWriter::PutFontName(QStringView aName)
{
    for (const QChar ch : aName) {
        const char16_t c = ch.unicode();
        // ';' ends the name in the font table and cannot be escaped there.
        if (c == ';')
            continue;
        if (c < 256) {
            const TEscape& escape = kEscapes[c];
            Put(escape.Text, escape.Length);
        } else {
            char text[kMaxPiece];
            Put(text, UnicodeEscape(text, c));
        }
    }
}

void TRtfWriter::Text(QStringView aText, bool aBold)
{
    const char16_t* p = aText.utf16();
    const char16_t* const end = p + aText.size();
    for (; p != end; ++p) {
        const char16_t c = *p;
        if (c == u'\r') {
            Paragraph();
            FAfterCR = true;
            continue;
        }
        if (c == u'\n') {
            if (!FAfterCR)
                Paragraph();
            FAfterCR = false;
            continue;
        }
        FAfterCR = false;
        // A style change waits for a character to show, so runs of nothing but breaks add none.
        if (aBold != FBold) {
            FBold = aBold;
            if (aBold)
                Put("\\b ", 3);
            else
                Put("\\b0 ", 4);
            FLineLength += 4;
            FSpaceBefore = true;
        }
        char* out = Room(kMaxPiece);
        int length;
        if (c == u' ' && FSpaceBefore) {
            // Readers such as unrtf fold a run of spaces into one, and a terminal's columns
            // depend on them: only the first space of a run is written plainly.
            std::memcpy(out, "\\'20", 4);
            length = 4;
        } else if (c < 256) {
            const TEscape& escape = kEscapes[c];
            std::memcpy(out, &escape, sizeof escape);
            length = escape.Length;
        } else {
            length = UnicodeEscape(out, c);
        }
        FSpaceBefore = c == u' ' || c == u'\t';
        FLineLength += length;
        // Never right after "\\": unrtf takes a backslash before a line break for \par even
        // when the backslash itself is escaped.
        if (FLineLength >= kLineLength && out[length - 1] != '\\') {
            out[length++] = '\n';
            FLineLength = 0;
            FSpaceBefore = true;
        }
        FUsed += length;
    }
}

void TRtfWriter::EndParagraph()
{
    Paragraph();
    FAfterCR = false;
}

bool TRtfWriter::End()
{
    Put("}", 1);
    Flush();
    return FOk;
}

void TRtfWriter::Paragraph()
{
    Put("\\par\n", 5);
    FLineLength = 0;
    FSpaceBefore = true;
}

// Space for aBytes (at most kMaxPiece) at the end of the block, sending the block first when full.
char* TRtfWriter::Room(int aBytes)
{
    Q_ASSERT(aBytes <= kMaxPiece);
    if (FUsed + aBytes > kBlockSize)
        Flush();
    return FBlock.data() + FUsed;
}

void TRtfWriter::Put(const char* aBytes, int aLength)
{
    while (aLength > 0) {
        const int piece = qMin(aLength, kMaxPiece);
        std::memcpy(Room(piece), aBytes, piece);
        FUsed += piece;
        aBytes += piece;
        aLength -= piece;
    }
}

void TRtfWriter::Flush()
{
    // After a failure the document is lost anyway; the rest is dropped, End() reports it.
    if (FOk && FUsed > 0)
        FOk = FOut != nullptr && FOut->write(FBlock.constData(), FUsed) == FUsed;
    FUsed = 0;
}
