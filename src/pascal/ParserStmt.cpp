#include "pascal/Parser.h"

namespace pascal {

namespace {

PAstStmt MakeStmt(TAstStmtKind aKind, TSourcePos aPos)
{
    auto s = std::make_unique<TAstStmt>();
    s->Kind = aKind;
    s->Pos = aPos;
    return s;
}

} // namespace

bool TParser::CanStartStatement() const
{
    switch (Tok().Kind) {
    case TTokenKind::Identifier:
    case TTokenKind::kwBegin:
    case TTokenKind::kwIf:
    case TTokenKind::kwCase:
    case TTokenKind::kwFor:
    case TTokenKind::kwWhile:
    case TTokenKind::kwRepeat:
    case TTokenKind::kwTry:
    case TTokenKind::kwRaise:
    case TTokenKind::kwWith:
    case TTokenKind::kwGoto:
    case TTokenKind::kwInherited: return true;
    default: return false;
    }
}

void TParser::ParseStatementList(std::vector<PAstStmt>& aList, std::initializer_list<TTokenKind> aTerminators,
                                 const TToken& aOpener)
{
    auto atTerminator = [&] {
        for (TTokenKind k : aTerminators)
            if (At(k))
                return true;
        return false;
    };
    for (;;) {
        if (atTerminator())
            return;
        PAstStmt s = ParseStatement();
        if (s->Kind != TAstStmtKind::Empty)
            aList.push_back(std::move(s));
        if (Accept(TTokenKind::Semicolon))
            continue;
        if (atTerminator())
            return;
        if (CanStartStatement())
            FailExpected(QStringLiteral("';'"));
        ExpectClosing(*aTerminators.begin(), aOpener);
    }
}

PAstStmt TParser::ParseStatement()
{
    Enter(Tok().Pos);
    PAstStmt s;
    switch (Tok().Kind) {
    case TTokenKind::kwBegin: s = ParseCompound(); break;
    case TTokenKind::kwIf: s = ParseIf(); break;
    case TTokenKind::kwCase: s = ParseCase(); break;
    case TTokenKind::kwFor: s = ParseFor(); break;
    case TTokenKind::kwWhile: s = ParseWhile(); break;
    case TTokenKind::kwRepeat: s = ParseRepeat(); break;
    case TTokenKind::kwTry: s = ParseTry(); break;
    case TTokenKind::kwRaise: s = ParseRaise(); break;
    case TTokenKind::kwWith: s = ParseWith(); break;
    case TTokenKind::kwGoto:
        Fail(Tok().Pos, QStringLiteral("Sprungmarken (label/goto) werden nicht unterstützt"));
    case TTokenKind::kwInherited:
        Fail(Tok().Pos,
             QStringLiteral("'inherited' gibt es nur in Klassen, und die werden nicht unterstützt"));
    case TTokenKind::kwAsm: Fail(Tok().Pos, QStringLiteral("Assembler wird nicht unterstützt"));
    case TTokenKind::kwVar:
    case TTokenKind::kwConst:
        Fail(Tok().Pos,
             QStringLiteral(
                 "Deklarationen stehen vor dem 'begin' (Inline-Variablen werden nicht unterstützt)"));
    case TTokenKind::Identifier:
    case TTokenKind::LParen: s = ParseSimpleStatement(); break;
    default: s = MakeStmt(TAstStmtKind::Empty, Tok().Pos); break;
    }
    Leave();
    return s;
}

PAstStmt TParser::ParseCompound()
{
    const TToken opener = Expect(TTokenKind::kwBegin);
    PAstStmt s = MakeStmt(TAstStmtKind::Compound, opener.Pos);
    ParseStatementList(s->Body, {TTokenKind::kwEnd}, opener);
    s->EndPos = Next().Pos;
    return s;
}

PAstStmt TParser::ParseSimpleStatement()
{
    const TSourcePos pos = Tok().Pos;
    PAstExpr target = ParseFactor();
    if (At(TTokenKind::Assign)) {
        PAstStmt s = MakeStmt(TAstStmtKind::Assign, Next().Pos);
        s->Target = std::move(target);
        s->Expr = ParseExpression();
        return s;
    }
    if (At(TTokenKind::Equal))
        Fail(Tok().Pos,
             QStringLiteral("':=' erwartet, aber '=' gefunden (eine Zuweisung schreibt sich ':=')"));
    PAstStmt s = MakeStmt(TAstStmtKind::Call, pos);
    s->Expr = std::move(target);
    return s;
}

PAstStmt TParser::ParseIf()
{
    PAstStmt first = MakeStmt(TAstStmtKind::If, Next().Pos);
    // "else if" continues a chain rather than nesting one level deeper: each link hangs on
    // the one before, read in a loop.
    for (TAstStmt* s = first.get();;) {
        s->Expr = ParseExpression();
        Expect(TTokenKind::kwThen);
        s->Then = ParseStatement();
        if (!Accept(TTokenKind::kwElse))
            break;
        if (!At(TTokenKind::kwIf)) {
            s->Else = ParseStatement();
            break;
        }
        s->Else = MakeStmt(TAstStmtKind::If, Next().Pos);
        s = s->Else.get();
    }
    return first;
}

PAstStmt TParser::ParseCase()
{
    const TToken opener = Next();
    PAstStmt s = MakeStmt(TAstStmtKind::Case, opener.Pos);
    s->Expr = ParseExpression();
    Expect(TTokenKind::kwOf);
    while (!At(TTokenKind::kwElse) && !At(TTokenKind::kwEnd) && !Tok().IsWord("otherwise")) {
        TAstCaseBranch branch;
        do {
            PAstExpr label = ParseExpression();
            if (At(TTokenKind::DotDot)) {
                auto range = std::make_unique<TAstExpr>();
                range->Kind = TAstExprKind::Range;
                range->Pos = Next().Pos;
                range->Left = std::move(label);
                range->Right = ParseExpression();
                label = std::move(range);
            }
            branch.Labels.push_back(std::move(label));
        } while (Accept(TTokenKind::Comma));
        Expect(TTokenKind::Colon);
        branch.Body = ParseStatement();
        s->Branches.push_back(std::move(branch));
        if (!Accept(TTokenKind::Semicolon))
            break;
    }
    if (At(TTokenKind::kwElse) || Tok().IsWord("otherwise")) {
        const TToken elseTok = Next();
        s->HasElse = true;
        ParseStatementList(s->ElseBody, {TTokenKind::kwEnd}, opener);
        (void)elseTok;
    }
    s->EndPos = ExpectClosing(TTokenKind::kwEnd, opener).Pos;
    return s;
}

PAstStmt TParser::ParseFor()
{
    const TSourcePos pos = Next().Pos;
    if (At(TTokenKind::kwVar))
        Fail(Tok().Pos,
             QStringLiteral("Inline-Variablen werden nicht unterstützt: die Schleifenvariable vor dem "
                            "'begin' deklarieren"));
    auto var = std::make_unique<TAstExpr>();
    var->Kind = TAstExprKind::Ident;
    var->Name = ExpectIdentifier();
    var->Pos = var->Name.Pos;
    if (Accept(TTokenKind::kwIn)) {
        PAstStmt s = MakeStmt(TAstStmtKind::ForIn, pos);
        s->Target = std::move(var);
        s->Expr = ParseExpression();
        Expect(TTokenKind::kwDo);
        s->Then = ParseStatement();
        return s;
    }
    PAstStmt s = MakeStmt(TAstStmtKind::For, pos);
    s->Target = std::move(var);
    Expect(TTokenKind::Assign);
    s->Expr = ParseExpression();
    if (Accept(TTokenKind::kwDownto))
        s->Down = true;
    else if (!Accept(TTokenKind::kwTo))
        FailExpected(QStringLiteral("'to' oder 'downto'"));
    s->Expr2 = ParseExpression();
    Expect(TTokenKind::kwDo);
    s->Then = ParseStatement();
    return s;
}

PAstStmt TParser::ParseWhile()
{
    PAstStmt s = MakeStmt(TAstStmtKind::While, Next().Pos);
    s->Expr = ParseExpression();
    Expect(TTokenKind::kwDo);
    s->Then = ParseStatement();
    return s;
}

PAstStmt TParser::ParseRepeat()
{
    const TToken opener = Next();
    PAstStmt s = MakeStmt(TAstStmtKind::Repeat, opener.Pos);
    ParseStatementList(s->Body, {TTokenKind::kwUntil}, opener);
    s->EndPos = Next().Pos;
    s->Expr = ParseExpression();
    return s;
}

PAstStmt TParser::ParseTry()
{
    const TToken opener = Next();
    PAstStmt s = MakeStmt(TAstStmtKind::TryExcept, opener.Pos);
    ParseStatementList(s->Body, {TTokenKind::kwExcept, TTokenKind::kwFinally}, opener);
    if (Next().Is(TTokenKind::kwFinally)) {
        s->Kind = TAstStmtKind::TryFinally;
        ParseStatementList(s->Handler, {TTokenKind::kwEnd}, opener);
    } else if (Tok().IsWord("on")) {
        while (Tok().IsWord("on")) {
            Next();
            TAstHandler handler;
            TAstName first = ExpectIdentifier();
            if (Accept(TTokenKind::Colon)) {
                handler.Var = first;
                handler.ClassName = ExpectIdentifier();
            } else {
                handler.ClassName = first;
            }
            Expect(TTokenKind::kwDo);
            handler.Body = ParseStatement();
            s->Handlers.push_back(std::move(handler));
            if (!Accept(TTokenKind::Semicolon))
                break;
        }
        if (Accept(TTokenKind::kwElse)) {
            s->HasElse = true;
            ParseStatementList(s->ElseBody, {TTokenKind::kwEnd}, opener);
        }
    } else {
        ParseStatementList(s->Handler, {TTokenKind::kwEnd}, opener);
    }
    s->EndPos = ExpectClosing(TTokenKind::kwEnd, opener).Pos;
    return s;
}

PAstStmt TParser::ParseWith()
{
    const TSourcePos pos = Next().Pos;
    std::vector<PAstExpr> records;
    do
        records.push_back(ParseExpression());
    while (Accept(TTokenKind::Comma));
    Expect(TTokenKind::kwDo);
    PAstStmt body = ParseStatement();
    // with a, b do S  is  with a do with b do S
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        PAstStmt w = MakeStmt(TAstStmtKind::With, pos);
        w->Expr = std::move(*it);
        w->Then = std::move(body);
        body = std::move(w);
    }
    return body;
}

PAstStmt TParser::ParseRaise()
{
    PAstStmt s = MakeStmt(TAstStmtKind::Raise, Next().Pos);
    if (!At(TTokenKind::Semicolon) && !At(TTokenKind::kwEnd) && !At(TTokenKind::kwElse)
        && !At(TTokenKind::kwUntil) && !At(TTokenKind::kwExcept) && !At(TTokenKind::kwFinally)) {
        s->Expr = ParseExpression();
        if (Tok().IsWord("at"))
            Fail(Tok().Pos, QStringLiteral("'raise ... at' wird nicht unterstützt"));
    }
    return s;
}

} // namespace pascal
