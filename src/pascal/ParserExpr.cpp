#include "pascal/Parser.h"

#include <algorithm>

namespace pascal {

namespace {

PAstExpr MakeExpr(TAstExprKind aKind, TSourcePos aPos)
{
    auto e = std::make_unique<TAstExpr>();
    e->Kind = aKind;
    e->Pos = aPos;
    return e;
}

bool IsRelational(TTokenKind k)
{
    switch (k) {
    case TTokenKind::Equal:
    case TTokenKind::NotEqual:
    case TTokenKind::Less:
    case TTokenKind::Greater:
    case TTokenKind::LessEqual:
    case TTokenKind::GreaterEqual:
    case TTokenKind::kwIn:
    case TTokenKind::kwIs: return true;
    default: return false;
    }
}

bool IsAdding(TTokenKind k)
{
    return k == TTokenKind::Plus || k == TTokenKind::Minus || k == TTokenKind::kwOr || k == TTokenKind::kwXor;
}

bool IsMultiplying(TTokenKind k)
{
    switch (k) {
    case TTokenKind::Star:
    case TTokenKind::Slash:
    case TTokenKind::kwDiv:
    case TTokenKind::kwMod:
    case TTokenKind::kwAnd:
    case TTokenKind::kwShl:
    case TTokenKind::kwShr: return true;
    default: return false;
    }
}

} // namespace

void TParser::SetDepth(TAstExpr& aExpr)
{
    int depth = 0;
    if (aExpr.Left)
        depth = aExpr.Left->Depth;
    if (aExpr.Right)
        depth = std::max(depth, aExpr.Right->Depth);
    for (const PAstExpr& a : aExpr.Args)
        depth = std::max(depth, a->Depth);
    // Not a limit: a flat chain (a + b + c ...) grows the tree without nesting; brackets and
    // calls count toward the nesting limit as they are read. The checker guards its stack.
    aExpr.Depth = depth + 1;
}

PAstExpr TParser::MakeBinary(TTokenKind aOp, TSourcePos aPos, PAstExpr aLeft, PAstExpr aRight)
{
    PAstExpr e = MakeExpr(TAstExprKind::Binary, aPos);
    e->Op = aOp;
    e->Left = std::move(aLeft);
    e->Right = std::move(aRight);
    SetDepth(*e);
    return e;
}

PAstExpr TParser::ParseExpression()
{
    PAstExpr left = ParseSimpleExpression();
    if (IsRelational(Tok().Kind)) {
        const TToken& op = Next();
        const TTokenKind kind = op.Kind;
        const TSourcePos pos = op.Pos;
        PAstExpr right = ParseSimpleExpression();
        left = MakeBinary(kind, pos, std::move(left), std::move(right));
        if (IsRelational(Tok().Kind))
            Fail(Tok().Pos,
                 QStringLiteral(
                     "Vergleiche lassen sich nicht verketten: Klammern setzen, z. B. (a < b) and (b < c)"));
    }
    return left;
}

PAstExpr TParser::ParseSimpleExpression()
{
    PAstExpr left = ParseTerm();
    while (IsAdding(Tok().Kind)) {
        const TToken& op = Next();
        const TTokenKind kind = op.Kind;
        const TSourcePos pos = op.Pos;
        PAstExpr right = ParseTerm();
        left = MakeBinary(kind, pos, std::move(left), std::move(right));
    }
    return left;
}

PAstExpr TParser::ParseTerm()
{
    PAstExpr left = ParseFactor();
    while (IsMultiplying(Tok().Kind)) {
        const TToken& op = Next();
        const TTokenKind kind = op.Kind;
        const TSourcePos pos = op.Pos;
        PAstExpr right = ParseFactor();
        left = MakeBinary(kind, pos, std::move(left), std::move(right));
    }
    if (At(TTokenKind::kwAs))
        Fail(Tok().Pos, QStringLiteral("'as' wird nicht unterstützt"));
    return left;
}

PAstExpr TParser::ParseFactor()
{
    Enter(Tok().Pos);
    const TToken& t = Tok();
    PAstExpr e;
    switch (t.Kind) {
    case TTokenKind::IntLiteral:
        e = MakeExpr(t.IntUnsigned ? TAstExprKind::QWordLit : TAstExprKind::IntLit, t.Pos);
        e->Int = t.Int;
        Next();
        break;
    case TTokenKind::RealLiteral:
        e = MakeExpr(TAstExprKind::RealLit, t.Pos);
        e->Real = t.Real;
        Next();
        break;
    case TTokenKind::StringLiteral:
        e = MakeExpr(TAstExprKind::StrLit, t.Pos);
        e->Str = t.Bytes;
        Next();
        e = ParsePostfix(std::move(e));
        break;
    case TTokenKind::kwNil:
        e = MakeExpr(TAstExprKind::Nil, t.Pos);
        Next();
        break;
    case TTokenKind::Identifier:
    case TTokenKind::kwString: {
        e = MakeExpr(TAstExprKind::Ident, t.Pos);
        e->Name = {t.Text, t.Kind == TTokenKind::kwString ? QStringLiteral("string") : t.Lower, t.Pos};
        Next();
        e = ParsePostfix(std::move(e));
        break;
    }
    case TTokenKind::LParen: {
        const TToken opener = Next();
        e = ParseExpression();
        ExpectClosing(TTokenKind::RParen, opener);
        e = ParsePostfix(std::move(e));
        break;
    }
    case TTokenKind::kwNot:
    case TTokenKind::Minus:
    case TTokenKind::Plus: {
        e = MakeExpr(TAstExprKind::Unary, t.Pos);
        e->Op = Next().Kind;
        e->Left = ParseFactor();
        SetDepth(*e);
        break;
    }
    case TTokenKind::LBracket: e = ParseSetConstructor(); break;
    case TTokenKind::At: Fail(t.Pos, QStringLiteral("Zeiger werden nicht unterstützt: '@' gibt es nicht"));
    case TTokenKind::kwInherited:
        Fail(t.Pos, QStringLiteral("'inherited' gibt es nur in Klassen, und die werden nicht unterstützt"));
    default: FailExpected(QStringLiteral("Ausdruck"));
    }
    Leave();
    return e;
}

PAstExpr TParser::ParsePostfix(PAstExpr aBase)
{
    for (;;) {
        switch (Tok().Kind) {
        case TTokenKind::LBracket: {
            PAstExpr e = MakeExpr(TAstExprKind::Index, aBase->Pos);
            e->Left = std::move(aBase);
            ParseArguments(*e, TTokenKind::RBracket);
            if (e->Args.empty())
                Fail(Tok().Pos, QStringLiteral("Index erwartet"));
            SetDepth(*e);
            aBase = std::move(e);
            break;
        }
        case TTokenKind::LParen: {
            PAstExpr e = MakeExpr(TAstExprKind::Call, aBase->Pos);
            e->Left = std::move(aBase);
            e->HasParens = true;
            ParseArguments(*e, TTokenKind::RParen);
            SetDepth(*e);
            aBase = std::move(e);
            break;
        }
        case TTokenKind::Dot: {
            Next();
            PAstExpr e = MakeExpr(TAstExprKind::Field, aBase->Pos);
            e->Name = ExpectIdentifier();
            e->Left = std::move(aBase);
            SetDepth(*e);
            aBase = std::move(e);
            break;
        }
        case TTokenKind::Caret:
            Fail(Tok().Pos, QStringLiteral("Zeiger werden nicht unterstützt: '^' gibt es nicht"));
        default: return aBase;
        }
    }
}

void TParser::ParseArguments(TAstExpr& aCall, TTokenKind aClose)
{
    const TToken opener = Next();
    if (!At(aClose)) {
        do {
            PAstExpr arg = ParseExpression();
            if (At(TTokenKind::Colon)) { // Str(x:8:2, s)
                PAstExpr formatted = MakeExpr(TAstExprKind::Formatted, Next().Pos);
                formatted->Left = std::move(arg);
                formatted->Args.push_back(ParseExpression());
                if (Accept(TTokenKind::Colon))
                    formatted->Args.push_back(ParseExpression());
                SetDepth(*formatted);
                arg = std::move(formatted);
            }
            aCall.Args.push_back(std::move(arg));
        } while (Accept(TTokenKind::Comma));
    }
    ExpectClosing(aClose, opener);
}

PAstExpr TParser::ParseSetConstructor()
{
    const TToken opener = Next();
    PAstExpr set = MakeExpr(TAstExprKind::SetCtor, opener.Pos);
    if (!At(TTokenKind::RBracket)) {
        do {
            PAstExpr element = ParseExpression();
            if (At(TTokenKind::DotDot)) {
                PAstExpr range = MakeExpr(TAstExprKind::Range, Next().Pos);
                range->Left = std::move(element);
                range->Right = ParseExpression();
                SetDepth(*range);
                element = std::move(range);
            }
            set->Args.push_back(std::move(element));
        } while (Accept(TTokenKind::Comma));
    }
    ExpectClosing(TTokenKind::RBracket, opener);
    SetDepth(*set);
    return set;
}

} // namespace pascal
