#include "commands/ParamHighlight.h"

TParamHighlight::TParamHighlight(QTextDocument* aParent)
    : QSyntaxHighlighter(aParent)
{
}

QTextCharFormat TParamHighlight::FormatFor(TtkTokenKind aKind)
{
    QTextCharFormat format;
    const TParamAttribute* attribute = TParamTokenizer::AttributeFor(aKind);
    if (!attribute)
        return format;
    if (attribute->Bold)
        format.setFontWeight(QFont::Bold);
    if (attribute->Italic)
        format.setFontItalic(true);
    if (attribute->Foreground.isValid())
        format.setForeground(attribute->Foreground);
    return format;
}

void TParamHighlight::highlightBlock(const QString& aText)
{
    // -1 is the state of a block nobody has coloured yet.
    const int previous = previousBlockState();
    TRangeState range = previous < 0 ? rsUnKnown : TRangeState(previous);
    for (const TParamTokenizer::TToken& token : TParamTokenizer::Tokenize(aText, range)) {
        if (token.Length > 0)
            setFormat(token.Pos, token.Length, FormatFor(token.Kind));
    }
    setCurrentBlockState(range);
}
