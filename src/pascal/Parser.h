#pragma once

#include "pascal/Ast.h"
#include "pascal/Diagnostics.h"
#include "pascal/Token.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace pascal {

// Recursive descent over the token list. The first syntax error ends the parse: later
// messages after a syntax error would mostly be noise.
class TParser
{
public:
    TParser(std::vector<TToken> aTokens, TDiagnostics& aDiagnostics);

    // A whole script; null after a syntax error (reported in the diagnostics).
    std::unique_ptr<TAstProgram> ParseProgram();
    // A host's declaration "procedure Name(params);" or "function Name(params): Type;".
    std::unique_ptr<TAstRoutine> ParseHeadingOnly();

    // Deeper nesting of statements or expressions is refused: the compiler and the
    // interpreter recurse along it.
    static constexpr int kMaxNesting = 256;

private:
    struct ESyntax
    {
    };

    // ParserDecl.cpp
    void ParseBlock(TAstBlock& aBlock, bool aIsProgram);
    void ParseConstSection(TAstBlock& aBlock);
    void ParseTypeSection(TAstBlock& aBlock);
    void ParseVarSection(TAstBlock& aBlock);
    std::unique_ptr<TAstRoutine> ParseRoutineHeading();
    void ParseParams(TAstRoutine& aRoutine);
    void ParseDirectives(TAstRoutine& aRoutine, bool aAllowForward);
    PAstType ParseType();
    PAstType ParseArrayType(TSourcePos aPos);
    PAstType ParseRecordType(TSourcePos aPos);
    PAstType ParseClassType(TSourcePos aPos);
    PAstExpr ParseInitValue();
    std::vector<TAstName> ParseNameList();

    // ParserStmt.cpp
    PAstStmt ParseStatement();
    PAstStmt ParseCompound();
    void ParseStatementList(std::vector<PAstStmt>& aList, std::initializer_list<TTokenKind> aTerminators,
                            const TToken& aOpener);
    PAstStmt ParseIf();
    PAstStmt ParseCase();
    PAstStmt ParseFor();
    PAstStmt ParseWhile();
    PAstStmt ParseRepeat();
    PAstStmt ParseTry();
    PAstStmt ParseRaise();
    PAstStmt ParseWith();
    PAstStmt ParseSimpleStatement();
    bool CanStartStatement() const;

    // ParserExpr.cpp
    PAstExpr ParseExpression();
    PAstExpr ParseSimpleExpression();
    PAstExpr ParseTerm();
    PAstExpr ParseFactor();
    PAstExpr ParsePostfix(PAstExpr aBase);
    PAstExpr ParseSetConstructor();
    void ParseArguments(TAstExpr& aCall, TTokenKind aClose);
    PAstExpr MakeBinary(TTokenKind aOp, TSourcePos aPos, PAstExpr aLeft, PAstExpr aRight);
    void SetDepth(TAstExpr& aExpr);

    // Parser.cpp
    const TToken& Tok() const { return FTokens[FIndex]; }
    const TToken& PeekTok(int aAhead = 1) const;
    bool At(TTokenKind aKind) const { return FTokens[FIndex].Kind == aKind; }
    const TToken& Next();
    bool Accept(TTokenKind aKind);
    const TToken& Expect(TTokenKind aKind);
    // As Expect, but a miss names the construct that is left open.
    const TToken& ExpectClosing(TTokenKind aKind, const TToken& aOpener);
    TAstName ExpectIdentifier();
    [[noreturn]] void Fail(TSourcePos aPos, const QString& aText);
    [[noreturn]] void FailExpected(const QString& aWhat);
    void Enter(TSourcePos aPos);
    void Leave() { --FNesting; }

    std::vector<TToken> FTokens;
    TDiagnostics& FDiagnostics;
    std::size_t FIndex = 0;
    int FNesting = 0;
};

} // namespace pascal
