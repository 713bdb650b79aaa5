#include "commands/ParamTokenizer.h"

namespace {

enum TAttributeIndex { aiBeginParam, aiComment, aiIdentifier, aiReservedWord, aiParam, aiString };

const QList<TParamAttribute>& AttributeTable()
{
    static const QList<TParamAttribute> table = {
        {QStringLiteral("BeginParam"), QStringLiteral("BeginParam"), true, false, QColor(0x80, 0x00, 0x00)},
        {QStringLiteral("Comment"), QStringLiteral("Comment"), false, true, QColor(0x00, 0x80, 0x00)},
        {QStringLiteral("Identifier"), QStringLiteral("Identifier"), false, false, QColor()},
        {QStringLiteral("ReservedWord"), QStringLiteral("Reserved Word"), true, false, QColor()},
        {QStringLiteral("Param"), QStringLiteral("Param"), true, true, QColor(0x00, 0x00, 0x80)},
        {QStringLiteral("String"), QStringLiteral("String"), false, false, QColor(0xFF, 0x00, 0x00)},
    };
    return table;
}

bool IsLineBreak(QChar aChar)
{
    return aChar == u'\n' || aChar == u'\r';
}

bool IsIdentifierStart(QChar aChar)
{
    return aChar.isLetter() || aChar == u'_';
}

bool IsIdentifierChar(QChar aChar)
{
    return aChar.isLetterOrNumber() || aChar == u'_';
}

} // namespace

void TParamTokenizer::SetLine(const QString& aLine, TRangeState aRange)
{
    FLine = aLine;
    FRun = 0;
    FTokenPos = 0;
    // A string never stays open across lines.
    FRange = aRange == rsString ? rsUnKnown : aRange;
    Next();
}

void TParamTokenizer::Next()
{
    FTokenPos = FRun;
    if (AtLineEnd()) {
        FTokenKind = tkNull;
        FRun = FLine.size() + 1;
        return;
    }
    const QChar c = FLine.at(FRun);
    if (IsLineBreak(c)) {
        LineBreak();
        return;
    }
    switch (FRange) {
    case rsBraceComment: CommentUntil(u"}"); return;
    case rsCStyleComment: CommentUntil(u"*/"); return;
    case rsUnKnown:
    case rsString: break;
    }

    if (c == u'"') {
        StringToken();
    } else if (c == u'/' && At(FRun + 1) == u'*') {
        FTokenKind = tkComment;
        FRun += 2;
        FRange = rsCStyleComment;
    } else if (c == u'/') {
        FTokenKind = tkIdentifier;
        ++FRun;
    } else if (c == u'{') {
        FTokenKind = tkComment;
        ++FRun;
        FRange = rsBraceComment;
    } else if (IsIdentifierStart(c)) {
        IdentifierToken();
    } else {
        FTokenKind = tkUnknown;
        ++FRun;
    }
}

void TParamTokenizer::CommentUntil(QStringView aClose)
{
    FTokenKind = tkComment;
    while (!AtLineEnd() && !IsLineBreak(FLine.at(FRun))) {
        if (QStringView(FLine).mid(FRun).startsWith(aClose)) {
            FRun += aClose.size();
            FRange = rsUnKnown;
            return;
        }
        ++FRun;
    }
}

void TParamTokenizer::LineBreak()
{
    FTokenKind = tkUnknown;
    if (FLine.at(FRun) == u'\r' && At(FRun + 1) == u'\n')
        ++FRun;
    ++FRun;
}

void TParamTokenizer::StringToken()
{
    FTokenKind = tkString;
    ++FRun;
    while (!AtLineEnd() && !IsLineBreak(FLine.at(FRun))) {
        if (FLine.at(FRun++) == u'"')
            return;
    }
}

void TParamTokenizer::IdentifierToken()
{
    while (!AtLineEnd() && IsIdentifierChar(FLine.at(FRun)))
        ++FRun;
    FTokenKind = IdentifierKind(QStringView(FLine).mid(FTokenPos, FRun - FTokenPos));
}

QList<TParamTokenizer::TToken> TParamTokenizer::Tokenize(const QString& aLine, TRangeState& aRange)
{
    QList<TToken> tokens;
    TParamTokenizer tokenizer;
    tokenizer.SetLine(aLine, aRange);
    while (!tokenizer.Eol()) {
        tokens.append({tokenizer.TokenPos(), tokenizer.TokenLength(), tokenizer.TokenKind()});
        tokenizer.Next();
    }
    aRange = tokenizer.Range();
    return tokens;
}

TtkTokenKind TParamTokenizer::IdentifierKind(QStringView aWord)
{
    static const struct
    {
        QStringView Word;
        TtkTokenKind Kind;
    } keywords[] = {
        {u"param", tkBeginParam}, {u"name", tkParam}, {u"group", tkParam},
        {u"default", tkParam},    {u"hello", tkKey},
    };
    for (const auto& keyword : keywords)
        if (aWord.compare(keyword.Word, Qt::CaseInsensitive) == 0)
            return keyword.Kind;
    return tkIdentifier;
}

const TParamAttribute* TParamTokenizer::AttributeFor(TtkTokenKind aKind)
{
    const QList<TParamAttribute>& table = AttributeTable();
    switch (aKind) {
    case tkBeginParam: return &table[aiBeginParam];
    case tkComment: return &table[aiComment];
    case tkIdentifier:
    case tkUnknown: return &table[aiIdentifier];
    case tkKey: return &table[aiReservedWord];
    case tkParam: return &table[aiParam];
    case tkString: return &table[aiString];
    case tkNull: break;
    }
    return nullptr;
}

const QList<TParamAttribute>& TParamTokenizer::Attributes()
{
    return AttributeTable();
}
