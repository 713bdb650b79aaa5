#pragma once

#include "pascal/Diagnostics.h"
#include "pascal/Token.h"

#include <QString>

#include <vector>

namespace pascal {

// Splits a script into tokens. Reserved words and identifiers are case-insensitive; string
// literals become bytes (Latin-1, the terminal's view of characters).
class TLexer
{
public:
    TLexer(const QString& aSource, TDiagnostics& aDiagnostics);

    // Every token up to and including the final EndOfFile. After a lexical error the list
    // ends at the error.
    std::vector<TToken> Tokenize();

private:
    QChar Peek(int aAhead = 0) const;
    QChar Take();
    TSourcePos Here() const { return {FLine, FCol}; }
    bool SkipBlanksAndComments();
    bool ReadNumber(TToken& aToken);
    bool ReadString(TToken& aToken);
    bool ReadSymbol(TToken& aToken);
    void ReadIdentifier(TToken& aToken);
    void Fail(TSourcePos aPos, const QString& aText);

    const QString& FSource;
    TDiagnostics& FDiagnostics;
    int FIndex = 0;
    int FLine = 1;
    int FCol = 1;
    bool FFailed = false;
};

} // namespace pascal
