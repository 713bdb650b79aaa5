#pragma once

#include "commands/ParamTokenizer.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QTextDocument;

// Colours parameter markup in a command text: the word Param, the attribute names and the
// quoted values stand out from the slash notation around them. The tokenizer's open
// comment state is carried from block to block as the block state.
class TParamHighlight : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    explicit TParamHighlight(QTextDocument* aParent = nullptr);

    // The format a token kind is drawn with (an empty format for tkNull).
    static QTextCharFormat FormatFor(TtkTokenKind aKind);

protected:
    void highlightBlock(const QString& aText) override;
};
