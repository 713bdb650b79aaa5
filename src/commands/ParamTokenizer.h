#pragma once

#include <QColor>
#include <QList>
#include <QString>

// The kinds of token the command text is split into.
enum TtkTokenKind { tkBeginParam, tkComment, tkIdentifier, tkKey, tkNull, tkParam, tkString, tkUnknown };

// What an unfinished line leaves open for the next one. Strings end with their line, so
// rsString is never the state at a line's end.
enum TRangeState { rsUnKnown, rsBraceComment, rsCStyleComment, rsString };

// How one kind of token is shown; an invalid Foreground means the editor's text colour.
struct TParamAttribute
{
    QString Name;
    QString FriendlyName;
    bool Bold = false;
    bool Italic = false;
    QColor Foreground;
};

// Splits one line of a command text into coloured tokens: the word Param, the attribute
// names of parameter markup, quoted values, comments in braces or C style, and the rest.
// No widgets here, so the colouring can be checked without an editor.
//
// Usage: SetLine(), then while (!Eol()) { use TokenKind()/TokenPos()/TokenLength(); Next(); }
// and hand Range() to the next line.
class TParamTokenizer
{
public:
    struct TToken
    {
        int Pos = 0;
        int Length = 0;
        TtkTokenKind Kind = tkNull;
        bool operator==(const TToken&) const = default;
    };

    void SetLine(const QString& aLine, TRangeState aRange = rsUnKnown);
    void Next();
    bool Eol() const { return FRun > FLine.size(); }

    TtkTokenKind TokenKind() const { return FTokenKind; }
    int TokenPos() const { return int(FTokenPos); }
    int TokenLength() const { return int(qMin(FRun, FLine.size()) - FTokenPos); }
    QString Token() const { return FLine.mid(FTokenPos, TokenLength()); }
    TRangeState Range() const { return FRange; }

    // Every token of aLine, starting in aRange; aRange receives the state at the line's end.
    static QList<TToken> Tokenize(const QString& aLine, TRangeState& aRange);

    // The kind an identifier stands for; letter case does not matter.
    static TtkTokenKind IdentifierKind(QStringView aWord);

    // The attribute a token kind is shown with; nullptr for tkNull.
    static const TParamAttribute* AttributeFor(TtkTokenKind aKind);
    static const QList<TParamAttribute>& Attributes();

private:
    QChar At(qsizetype aPos) const { return aPos < FLine.size() ? FLine.at(aPos) : QChar(); }
    bool AtLineEnd() const { return FRun >= FLine.size(); }
    void CommentUntil(QStringView aClose);
    void LineBreak();
    void StringToken();
    void IdentifierToken();

    QString FLine;
    qsizetype FRun = 0;
    qsizetype FTokenPos = 0;
    TtkTokenKind FTokenKind = tkNull;
    TRangeState FRange = rsUnKnown;
};
