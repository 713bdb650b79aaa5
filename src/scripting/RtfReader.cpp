#include "scripting/RtfReader.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace {

// Code page 1252 at 0x80..0x9F; the five unused positions stay the C1 characters, as Windows
// maps them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t FromCp1252(quint8 aByte)
{
    return aByte >= 0x80 && aByte < 0xA0 ? kCp1252High[aByte - 0x80] : char16_t(aByte);
}

// Far deeper than any real document; keeps a stream of braces from eating the memory.
constexpr int kMaxDepth = 10000;
// "\fs24": twelve points.
constexpr int kDefaultHalfPoints = 24;

enum class TDestination { Text, Skip, FontTable, ColorTable };

struct TCharState
{
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strike = false;
    QTextCharFormat::VerticalAlignment Script = QTextCharFormat::AlignNormal;
    int HalfPoints = kDefaultHalfPoints;
    int Font = -1; // -1: the document's default font
    int Color = 0; // 0: automatic
    bool operator==(const TCharState&) const = default;
};

struct TGroupState
{
    TCharState Char;
    Qt::Alignment Align = Qt::AlignLeft;
    int Uc = 1;
    TDestination Destination = TDestination::Text;
};

// Destinations whose content is not part of the text. Groups starting with \* are skipped
// as well, whatever their name.
bool IsSkippedDestination(QByteArrayView aWord)
{
    static const QList<QByteArrayView> words = [] {
        QList<QByteArrayView> list = {
            "stylesheet",
            "info",
            "pict",
            "object",
            "objdata",
            "result",
            "shppict",
            "nonshppict",
            "shp",
            "shpinst",
            "shptxt",
            "header",
            "headerl",
            "headerr",
            "headerf",
            "footer",
            "footerl",
            "footerr",
            "footerf",
            "footnote",
            "fldinst",
            "xmlnstbl",
            "listtable",
            "listoverridetable",
            "rsidtbl",
            "revtbl",
            "filetbl",
            "themedata",
            "colorschememapping",
            "latentstyles",
            "datastore",
            "generator",
            "pgdsctbl",
            "bkmkstart",
            "bkmkend",
            "template",
            "comment",
            "private",
            "userprops",
            "docvar",
            "ftnsep",
            "ftnsepc",
            "ftncn",
            "aftnsep",
            "aftnsepc",
            "aftncn",
            "annotation",
            "atnid",
            "atnauthor",
            "atrfstart",
            "atrfend",
            "txe",
            "xe",
            "tc",
            "rxe",
            "fontemb",
            "fontfile",
            "falt",
            "panose",
            "leveltext",
            "levelnumbers",
            "nonesttables",
            "author",
            "title",
            "subject",
            "operator",
            "keywords",
            "doccomm",
            "company",
            "buptim",
            "creatim",
            "printim",
            "revtim",
            "hlinkbase",
            "mmathPr",
            "ud",
            "passwordhash",
            "wgrffmtfilter",
            "pnseclvl",
            "blipuid",
        };
        std::sort(list.begin(), list.end());
        return list;
    }();
    // Looked up for most control words, so kept sorted.
    return std::binary_search(words.begin(), words.end(), aWord);
}

char16_t NamedCharacter(QByteArrayView aWord)
{
    struct TNamedChar
    {
        QByteArrayView Word;
        char16_t Char;
    };
    static const TNamedChar names[] = {
        {"emdash", 0x2014},    {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
        {"qmspace", 0x2005},   {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
        {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D},     {"zwnj", 0x200C},
        {"ltrmark", 0x200E},   {"rtlmark", 0x200F},
    };
    for (const TNamedChar& named : names) {
        if (named.Word == aWord)
            return named.Char;
    }
    return 0;
}

class TRtfReader
{
public:
    TRtfReader(const QByteArray& aRtf, QTextDocument& aDocument)
        : FData(aRtf.constData())
        , FEnd(aRtf.constData() + aRtf.size())
        , FPos(FData)
        , FCursor(&aDocument)
    {
    }

    bool Read(QString* aError);

private:
    void OpenGroup();
    bool CloseGroup();
    void ControlSymbol();
    void ControlWord();
    void Word(QByteArrayView aWord, bool aHasParam, int aParam);
    void Emit(char16_t aChar);
    void Paragraph();
    void Flush();
    QTextCharFormat Format(const TCharState& aState) const;
    void CommitFont();
    bool Fail(QString* aError, const QString& aMessage);

    const char* const FData;
    const char* const FEnd;
    const char* FPos;
    QTextCursor FCursor;

    TGroupState FState;
    QList<TGroupState> FStack;
    // Replacement characters after a \u still to be skipped.
    int FSkip = 0;
    // \* was just read: the next control word starts a destination to skip.
    bool FIgnorable = false;
    bool FTruncated = false;

    // Text gathered in one format, inserted when the format changes or a paragraph ends.
    QString FRun;
    TCharState FRunFormat;

    QHash<int, QString> FFonts;
    int FDefaultFont = 0;
    int FFontNumber = -1;
    QString FFontName;

    QList<QColor> FColors;
    int FRed = 0;
    int FGreen = 0;
    int FBlue = 0;
    bool FColorGiven = false;
};

bool TRtfReader::Fail(QString* aError, const QString& aMessage)
{
    if (aError)
        *aError = aMessage;
    return false;
}

bool TRtfReader::Read(QString* aError)
{
    // Leading white space and a byte-order mark are tolerated.
    while (FPos != FEnd && (*FPos == ' ' || *FPos == '\t' || *FPos == '\r' || *FPos == '\n'))
        ++FPos;
    if (FEnd - FPos >= 3 && quint8(FPos[0]) == 0xEF && quint8(FPos[1]) == 0xBB && quint8(FPos[2]) == 0xBF)
        FPos += 3;
    if (FEnd - FPos < 5 || QByteArrayView(FPos, 5) != QByteArrayView("{\\rtf"))
        return Fail(aError, QStringLiteral("Die Datei ist kein RTF-Dokument."));

    bool ended = false;
    while (FPos != FEnd && !ended && !FTruncated) {
        const char c = *FPos++;
        switch (c) {
        case '{':
            if (FStack.size() >= kMaxDepth) {
                Flush();
                return Fail(aError, QStringLiteral("Das RTF-Dokument ist zu tief verschachtelt."));
            }
            OpenGroup();
            break;
        case '}': ended = CloseGroup(); break;
        case '\\':
            if (FPos == FEnd) {
                FTruncated = true;
                break;
            }
            if ((*FPos >= 'a' && *FPos <= 'z') || (*FPos >= 'A' && *FPos <= 'Z'))
                ControlWord();
            else
                ControlSymbol();
            break;
        case '\r':
        case '\n':
        case '\0': break;
        case '\t': Emit(u'\t'); break;
        default: Emit(FromCp1252(quint8(c))); break;
        }
    }
    Flush();
    if (FState.Align != Qt::AlignLeft) {
        QTextBlockFormat block = FCursor.blockFormat();
        block.setAlignment(FState.Align);
        FCursor.setBlockFormat(block);
    }

    if (!ended) {
        const qsizetype open = FTruncated ? std::max<qsizetype>(FStack.size(), 1) : FStack.size();
        return Fail(aError,
                    QStringLiteral("Das RTF-Dokument ist unvollständig: %1 Gruppe(n) "
                                   "nicht geschlossen.")
                        .arg(open));
    }
    // After the closing brace only white space (and padding zeros) may follow.
    for (const char* p = FPos; p != FEnd; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != '\0') {
            return Fail(aError,
                        QStringLiteral("Nach dem Ende des RTF-Dokuments folgen weitere "
                                       "Daten (Position %1); die Klammern passen nicht "
                                       "zusammen.")
                            .arg(p - FData));
        }
    }
    return true;
}

void TRtfReader::OpenGroup()
{
    FStack.append(FState);
    FSkip = 0;
    FIgnorable = false;
}

// True when the outermost group, the document itself, has been closed.
bool TRtfReader::CloseGroup()
{
    if (FState.Destination == TDestination::FontTable)
        CommitFont();
    FSkip = 0;
    FIgnorable = false;
    if (FStack.isEmpty())
        return true;
    FState = FStack.takeLast();
    return FStack.isEmpty();
}

void TRtfReader::ControlSymbol()
{
    const char c = *FPos++;
    switch (c) {
    case '\\':
    case '{':
    case '}': Emit(char16_t(c)); break;
    case '\'': {
        auto hex = [](char aDigit) {
            if (aDigit >= '0' && aDigit <= '9')
                return aDigit - '0';
            if (aDigit >= 'a' && aDigit <= 'f')
                return aDigit - 'a' + 10;
            if (aDigit >= 'A' && aDigit <= 'F')
                return aDigit - 'A' + 10;
            return -1;
        };
        if (FEnd - FPos < 2) {
            FTruncated = true;
            FPos = FEnd;
            break;
        }
        const int high = hex(FPos[0]);
        const int low = hex(FPos[1]);
        if (high < 0 || low < 0)
            break; // not a character; the digits are read as text
        FPos += 2;
        Emit(FromCp1252(quint8(high * 16 + low)));
        break;
    }
    case '*': FIgnorable = true; break;
    case '~': Emit(0x00A0); break;
    case '-': Emit(0x00AD); break;
    case '_': Emit(0x2011); break;
    case '\r':
    case '\n':
        if (FSkip > 0)
            --FSkip;
        else
            Paragraph();
        break;
    default:
        // \| \: and unknown symbols carry no text; like a control word they count as one
        // replacement character.
        if (FSkip > 0)
            --FSkip;
        break;
    }
}

void TRtfReader::ControlWord()
{
    const char* start = FPos;
    while (FPos != FEnd && ((*FPos >= 'a' && *FPos <= 'z') || (*FPos >= 'A' && *FPos <= 'Z')))
        ++FPos;
    const QByteArrayView word(start, FPos - start);
    bool hasParam = false;
    bool negative = false;
    qint64 param = 0;
    if (FPos != FEnd && *FPos == '-' && FPos + 1 != FEnd && FPos[1] >= '0' && FPos[1] <= '9') {
        negative = true;
        ++FPos;
    }
    while (FPos != FEnd && *FPos >= '0' && *FPos <= '9') {
        hasParam = true;
        if (param < std::numeric_limits<int>::max())
            param = param * 10 + (*FPos - '0');
        ++FPos;
    }
    param = std::min<qint64>(param, std::numeric_limits<int>::max());
    if (negative)
        param = -param;
    if (FPos != FEnd && *FPos == ' ')
        ++FPos;
    Word(word, hasParam, int(param));
}

void TRtfReader::Word(QByteArrayView aWord, bool aHasParam, int aParam)
{
    // Binary data is skipped wherever it stands.
    if (aWord == "bin") {
        const qint64 length = std::max(0, aParam);
        if (length > FEnd - FPos) {
            FPos = FEnd;
            FTruncated = true;
        } else {
            FPos += length;
        }
        return;
    }
    if (FIgnorable) {
        FIgnorable = false;
        FState.Destination = TDestination::Skip;
        return;
    }
    if (FState.Destination == TDestination::Skip)
        return;
    if (aWord == "u") {
        // A UTF-16 code unit as a signed 16-bit number; the replacement characters for
        // readers without Unicode follow.
        if (FSkip > 0) {
            --FSkip;
            return;
        }
        Emit(char16_t(aParam < 0 ? aParam + 0x10000 : aParam));
        FSkip = FState.Uc;
        return;
    }
    if (FSkip > 0) {
        --FSkip;
        return;
    }
    if (aWord == "uc") {
        FState.Uc = std::max(0, aParam);
        return;
    }
    if (IsSkippedDestination(aWord)) {
        FState.Destination = TDestination::Skip;
        return;
    }
    if (aWord == "fonttbl") {
        FState.Destination = TDestination::FontTable;
        FFontNumber = -1;
        FFontName.clear();
        return;
    }
    if (aWord == "colortbl") {
        FState.Destination = TDestination::ColorTable;
        FColors.clear();
        FColorGiven = false;
        FRed = FGreen = FBlue = 0;
        return;
    }

    if (FState.Destination == TDestination::FontTable) {
        if (aWord == "f") {
            CommitFont();
            FFontNumber = aParam;
        }
        return;
    }
    if (FState.Destination == TDestination::ColorTable) {
        const int value = std::clamp(aParam, 0, 255);
        if (aWord == "red")
            FRed = value;
        else if (aWord == "green")
            FGreen = value;
        else if (aWord == "blue")
            FBlue = value;
        else
            return;
        FColorGiven = true;
        return;
    }

    TCharState& chr = FState.Char;
    const bool on = !aHasParam || aParam != 0;
    if (aWord == "par" || aWord == "sect" || aWord == "page" || aWord == "row") {
        Paragraph();
    } else if (aWord == "line") {
        Emit(QChar::LineSeparator);
    } else if (aWord == "tab" || aWord == "cell" || aWord == "nestcell") {
        Emit(u'\t');
    } else if (aWord == "b") {
        chr.Bold = on;
    } else if (aWord == "i") {
        chr.Italic = on;
    } else if (aWord == "ulnone") {
        chr.Underline = false;
    } else if (aWord.startsWith("ul") && aWord != "ulc") {
        // \ul and its dotted, double, wavy ... kinds
        chr.Underline = on;
    } else if (aWord == "strike" || aWord == "striked") {
        chr.Strike = on;
    } else if (aWord == "super") {
        chr.Script = QTextCharFormat::AlignSuperScript;
    } else if (aWord == "sub") {
        chr.Script = QTextCharFormat::AlignSubScript;
    } else if (aWord == "nosupersub") {
        chr.Script = QTextCharFormat::AlignNormal;
    } else if (aWord == "fs") {
        chr.HalfPoints = aHasParam && aParam > 0 ? std::min(aParam, 3276) : kDefaultHalfPoints;
    } else if (aWord == "f") {
        chr.Font = aParam;
    } else if (aWord == "cf") {
        chr.Color = aParam;
    } else if (aWord == "plain") {
        chr = TCharState();
    } else if (aWord == "pard") {
        FState.Align = Qt::AlignLeft;
    } else if (aWord == "ql") {
        FState.Align = Qt::AlignLeft;
    } else if (aWord == "qc") {
        FState.Align = Qt::AlignHCenter;
    } else if (aWord == "qr") {
        FState.Align = Qt::AlignRight;
    } else if (aWord == "qj") {
        FState.Align = Qt::AlignJustify;
    } else if (aWord == "deff") {
        FDefaultFont = aParam;
    } else if (const char16_t named = NamedCharacter(aWord)) {
        Emit(named);
    }
    // Everything else - page layout, tables, spacing, languages - is not shown.
}

void TRtfReader::Emit(char16_t aChar)
{
    if (FSkip > 0) {
        --FSkip;
        return;
    }
    switch (FState.Destination) {
    case TDestination::Text:
        if (!FRun.isEmpty() && !(FRunFormat == FState.Char))
            Flush();
        if (FRun.isEmpty())
            FRunFormat = FState.Char;
        // The text document marks the start and end of a frame with these: in the text they
        // would end the paragraph.
        if (aChar == 0xFDD0 || aChar == 0xFDD1)
            aChar = 0xFFFD;
        FRun.append(QChar(aChar));
        break;
    case TDestination::FontTable:
        if (aChar == u';')
            CommitFont();
        else if (FFontNumber >= 0)
            FFontName.append(QChar(aChar));
        break;
    case TDestination::ColorTable:
        if (aChar == u';') {
            // An entry without values is the automatic colour.
            FColors.append(FColorGiven ? QColor(FRed, FGreen, FBlue) : QColor());
            FColorGiven = false;
            FRed = FGreen = FBlue = 0;
        }
        break;
    case TDestination::Skip: break;
    }
}

void TRtfReader::CommitFont()
{
    const QString name = FFontName.trimmed();
    if (FFontNumber >= 0 && !name.isEmpty() && !FFonts.contains(FFontNumber))
        FFonts.insert(FFontNumber, name);
    FFontName.clear();
}

void TRtfReader::Paragraph()
{
    if (FState.Destination != TDestination::Text)
        return;
    Flush();
    // The paragraph's properties are those in force where it ends.
    if (FCursor.blockFormat().alignment() != FState.Align) {
        QTextBlockFormat block = FCursor.blockFormat();
        block.setAlignment(FState.Align);
        FCursor.setBlockFormat(block);
    }
    FCursor.insertBlock(QTextBlockFormat(), Format(FState.Char));
}

void TRtfReader::Flush()
{
    if (FRun.isEmpty())
        return;
    FCursor.insertText(FRun, Format(FRunFormat));
    FRun.clear();
}

QTextCharFormat TRtfReader::Format(const TCharState& aState) const
{
    QTextCharFormat format;
    format.setFontWeight(aState.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(aState.Italic);
    format.setFontUnderline(aState.Underline);
    format.setFontStrikeOut(aState.Strike);
    if (aState.Script != QTextCharFormat::AlignNormal)
        format.setVerticalAlignment(aState.Script);
    format.setFontPointSize(aState.HalfPoints / 2.0);
    const int font = aState.Font >= 0 ? aState.Font : FDefaultFont;
    const auto family = FFonts.constFind(font);
    if (family != FFonts.constEnd())
        format.setFontFamilies(QStringList{*family});
    if (aState.Color > 0 && aState.Color < FColors.size() && FColors[aState.Color].isValid())
        format.setForeground(FColors[aState.Color]);
    return format;
}

} // namespace

bool LoadRtf(const QByteArray& aRtf, QTextDocument& aDocument, QString* aError)
{
    if (aError)
        aError->clear();
    aDocument.clear();
    TRtfReader reader(aRtf, aDocument);
    // One edit block: otherwise every insert lays the paragraph out anew, and a paragraph
    // with many style changes reads in quadratic time.
    QTextCursor block(&aDocument);
    block.beginEditBlock();
    const bool read = reader.Read(aError);
    block.endEditBlock();
    return read;
}

QString RtfToHtml(const QByteArray& aRtf, QString* aError)
{
    QTextDocument document;
    LoadRtf(aRtf, document, aError);
    return document.toHtml();
}
