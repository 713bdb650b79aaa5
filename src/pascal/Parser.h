#pragma once

#include "pascal/Ast.h"
#include "pascal/Diagnostics.h"
#include "pascal/Lexer.h"
#include "pascal/Token.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

namespace pascal {

// Recursive descent over the lexer's tokens, read as they are needed: only a few around the
// current one are kept. The first syntax error ends the parse: later messages after a syntax
// error would mostly be noise; so does a lexical error (the lexer reported it).
class TParser
{
public:
    TParser(TLexer& aLexer, TDiagnostics& aDiagnostics);

    // A whole script; null after a syntax error (reported in the diagnostics).
    std::unique_ptr<TAstProgram> ParseProgram();
    // Called with each of the program's own declarations once it is read, in order, before
    // the main block; it may throw to end the parse.
    std::function<void(const TAstDecl&)> OnProgramDecl;
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
    const TToken& Tok() const { return FWindow[FIndex - FBase]; }
    const TToken& PeekTok(int aAhead = 1) const;
    bool At(TTokenKind aKind) const { return Tok().Kind == aKind; }
    // The token before the current one.
    const TToken& Previous() const { return FWindow[FIndex - 1 - FBase]; }
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

    // Reads tokens until the window holds the one at aIndex (or ends with EndOfFile).
    void Fill(std::size_t aIndex) const;

    TLexer& FLexer;
    // Tokens FBase, FBase + 1, ...: the current one, a few before it (messages name them)
    // and those looked ahead at. A deque keeps references valid as it grows.
    mutable std::deque<TToken> FWindow;
    mutable std::size_t FBase = 0;
    TDiagnostics& FDiagnostics;
    std::size_t FIndex = 0;
    int FNesting = 0;
};

} // namespace pascal
