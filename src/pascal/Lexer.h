#pragma once

#include "pascal/Diagnostics.h"
#include "pascal/Token.h"

#include <QString>

#include <string_view>
#include <unordered_map>
#include <vector>

namespace pascal {

// Splits a script into tokens. Reserved words and identifiers are case-insensitive; string
// literals become bytes (Latin-1, the terminal's view of characters).
class TLexer
{
public:
    TLexer(const QString& aSource, TDiagnostics& aDiagnostics);

    // The next token; at the end an EndOfFile token, again and again. False after a lexical
    // error (reported to the diagnostics); every later call is false too.
    bool NextToken(TToken& aToken);

private:
    QChar Peek(int aAhead = 0) const;
    QChar Take();
    TSourcePos Here() const { return {FLine, FCol}; }
    bool SkipBlanksAndComments();
    bool ReadNumber(TToken& aToken);
    bool ReadString(TToken& aToken);
    bool ReadSymbol(TToken& aToken);
    void ReadIdentifier(TToken& aToken);
    bool AtControlChar() const;
    void Fail(TSourcePos aPos, const QString& aText);

    const QString& FSource;
    TDiagnostics& FDiagnostics;
    int FIndex = 0;
    int FLine = 1;
    int FCol = 1;
    bool FFailed = false;
    TTokenKind FLastKind = TTokenKind::EndOfFile; // of the token before
    struct TSpelling
    {
        QString Text;
        QString Lower;
        TTokenKind Kind;
    };
    // Identifiers and reserved words by their spelling in the source (which outlives the lexer).
    std::unordered_map<std::u16string_view, TSpelling> FSpellings;
};

} // namespace pascal
