#include "pascal/Parser.h"

namespace pascal {

std::vector<TAstName> TParser::ParseNameList()
{
    std::vector<TAstName> names;
    names.push_back(ExpectIdentifier());
    while (Accept(TTokenKind::Comma))
        names.push_back(ExpectIdentifier());
    return names;
}

void TParser::ParseBlock(TAstBlock& aBlock, bool aIsProgram)
{
    std::size_t handedOn = 0;
    for (;;) {
        // The program's declarations go to the checker as soon as they are read, so a routine's
        // statements are compiled and freed before the next routine is read.
        if (aIsProgram && OnProgramDecl)
            for (; handedOn < aBlock.Decls.size(); ++handedOn)
                OnProgramDecl(aBlock.Decls[handedOn]);
        switch (Tok().Kind) {
        case TTokenKind::kwConst:
            Next();
            ParseConstSection(aBlock);
            break;
        case TTokenKind::kwType:
            Next();
            ParseTypeSection(aBlock);
            break;
        case TTokenKind::kwVar:
        case TTokenKind::kwThreadvar:
            Next();
            ParseVarSection(aBlock);
            break;
        case TTokenKind::kwProcedure:
        case TTokenKind::kwFunction: {
            TAstDecl decl;
            decl.Kind = TAstDeclKind::Routine;
            decl.Routine = ParseRoutineHeading();
            Expect(TTokenKind::Semicolon);
            ParseDirectives(*decl.Routine, true);
            if (!decl.Routine->Forward) {
                // Routines nest like statements: each level costs the compiler stack.
                Enter(decl.Routine->Name.Pos);
                decl.Routine->Block = std::make_unique<TAstBlock>();
                ParseBlock(*decl.Routine->Block, false);
                Expect(TTokenKind::Semicolon);
                Leave();
            }
            aBlock.Decls.push_back(std::move(decl));
            break;
        }
        case TTokenKind::kwLabel:
            Fail(Tok().Pos, QStringLiteral("Sprungmarken (label/goto) werden nicht unterstützt"));
        case TTokenKind::kwUses:
            Fail(Tok().Pos, QStringLiteral("'uses' ist nur am Anfang des Programms erlaubt"));
        case TTokenKind::kwBegin: aBlock.Body = ParseCompound(); return;
        default:
            if (Tok().IsWord("resourcestring")) {
                Next();
                ParseConstSection(aBlock);
                break;
            }
            FailExpected(aIsProgram ? QStringLiteral("'begin'")
                                    : QStringLiteral("'begin' oder eine Deklaration"));
        }
    }
}

void TParser::ParseConstSection(TAstBlock& aBlock)
{
    do {
        TAstDecl decl;
        decl.Kind = TAstDeclKind::Const;
        decl.Names.push_back(ExpectIdentifier());
        if (Accept(TTokenKind::Colon)) {
            decl.Type = ParseType();
            Expect(TTokenKind::Equal);
            decl.Value = ParseInitValue();
        } else {
            Expect(TTokenKind::Equal);
            decl.Value = ParseExpression();
        }
        Expect(TTokenKind::Semicolon);
        aBlock.Decls.push_back(std::move(decl));
    } while (At(TTokenKind::Identifier));
}

void TParser::ParseTypeSection(TAstBlock& aBlock)
{
    do {
        TAstDecl decl;
        decl.Kind = TAstDeclKind::Type;
        decl.Names.push_back(ExpectIdentifier());
        Expect(TTokenKind::Equal);
        Accept(TTokenKind::kwType); // "type TFoo = type Integer" makes a distinct alias
        decl.Type = ParseType();
        Expect(TTokenKind::Semicolon);
        aBlock.Decls.push_back(std::move(decl));
    } while (At(TTokenKind::Identifier));
}

void TParser::ParseVarSection(TAstBlock& aBlock)
{
    do {
        TAstDecl decl;
        decl.Kind = TAstDeclKind::Var;
        decl.Names = ParseNameList();
        Expect(TTokenKind::Colon);
        decl.Type = ParseType();
        if (Accept(TTokenKind::Equal))
            decl.Value = ParseInitValue();
        Expect(TTokenKind::Semicolon);
        aBlock.Decls.push_back(std::move(decl));
    } while (At(TTokenKind::Identifier));
}

std::unique_ptr<TAstRoutine> TParser::ParseRoutineHeading()
{
    auto routine = std::make_unique<TAstRoutine>();
    routine->Pos = Tok().Pos;
    routine->IsFunction = Next().Is(TTokenKind::kwFunction);
    routine->Name = ExpectIdentifier();
    if (At(TTokenKind::Dot))
        Fail(Tok().Pos, QStringLiteral("Methoden werden nicht unterstützt"));
    if (Accept(TTokenKind::LParen)) {
        if (!At(TTokenKind::RParen))
            ParseParams(*routine);
        Expect(TTokenKind::RParen);
    }
    if (routine->IsFunction) {
        Expect(TTokenKind::Colon);
        routine->Result = ParseType();
    } else if (At(TTokenKind::Colon)) {
        Fail(Tok().Pos,
             QStringLiteral("Eine Prozedur hat keinen Ergebnistyp; für ein Ergebnis 'function' verwenden"));
    }
    return routine;
}

void TParser::ParseParams(TAstRoutine& aRoutine)
{
    do {
        TAstParam param;
        if (Accept(TTokenKind::kwVar))
            param.Mode = TParamMode::Var;
        else if (Accept(TTokenKind::kwConst))
            param.Mode = TParamMode::Const;
        else if (Tok().IsWord("out") && PeekTok().Is(TTokenKind::Identifier)) {
            Next();
            param.Mode = TParamMode::Out;
        }
        param.Names = ParseNameList();
        if (!At(TTokenKind::Colon))
            Fail(Tok().Pos,
                 QStringLiteral("Parameter ohne Typ werden nicht unterstützt: ':' und ein Typ erwartet"));
        Next();
        if (At(TTokenKind::kwArray) && PeekTok().Is(TTokenKind::kwOf)) {
            auto type = std::make_unique<TAstType>();
            type->Pos = Next().Pos;
            Next();
            if (At(TTokenKind::kwConst)) {
                Next();
                type->Kind = TAstTypeKind::ArrayOfConst;
            } else {
                type->Kind = TAstTypeKind::Array;
                type->Element = ParseType();
            }
            param.Type = std::move(type);
        } else {
            param.Type = ParseType();
        }
        if (Accept(TTokenKind::Equal))
            param.Default = ParseExpression();
        aRoutine.Params.push_back(std::move(param));
    } while (Accept(TTokenKind::Semicolon));
}

void TParser::ParseDirectives(TAstRoutine& aRoutine, bool aAllowForward)
{
    while (At(TTokenKind::Identifier)) {
        const TToken& t = Tok();
        if (aAllowForward && t.IsWord("forward")) {
            aRoutine.Forward = true;
        } else if (t.IsWord("overload")) {
            aRoutine.Overload = true;
        } else if (t.IsWord("inline") || t.IsWord("register") || t.IsWord("stdcall") || t.IsWord("cdecl")
                   || t.IsWord("pascal") || t.IsWord("safecall") || t.IsWord("assembler")) {
            // calling conventions mean nothing to the interpreter
        } else if (t.IsWord("external")) {
            Fail(t.Pos, QStringLiteral("Externe Routinen werden nicht unterstützt"));
        } else {
            return;
        }
        Next();
        Expect(TTokenKind::Semicolon);
    }
}

PAstType TParser::ParseType()
{
    Enter(Tok().Pos);
    auto type = std::make_unique<TAstType>();
    type->Pos = Tok().Pos;
    Accept(TTokenKind::kwPacked);
    switch (Tok().Kind) {
    case TTokenKind::kwString:
        Next();
        type->Kind = TAstTypeKind::String;
        if (Accept(TTokenKind::LBracket)) {
            type->High = ParseExpression();
            Expect(TTokenKind::RBracket);
        }
        break;
    case TTokenKind::kwArray: type = ParseArrayType(Next().Pos); break;
    case TTokenKind::kwRecord: type = ParseRecordType(Next().Pos); break;
    case TTokenKind::kwClass: type = ParseClassType(Next().Pos); break;
    case TTokenKind::kwObject:
        Fail(Tok().Pos, QStringLiteral("Objekttypen ('object') werden nicht unterstützt"));
    case TTokenKind::kwInterface: Fail(Tok().Pos, QStringLiteral("Interfaces werden nicht unterstützt"));
    case TTokenKind::kwSet:
        Next();
        Expect(TTokenKind::kwOf);
        type->Kind = TAstTypeKind::Set;
        type->Element = ParseType();
        break;
    case TTokenKind::kwFile:
        Fail(Tok().Pos, QStringLiteral("Skripte haben keinen Dateizugriff: 'file' gibt es nicht"));
    case TTokenKind::Caret: Fail(Tok().Pos, QStringLiteral("Zeiger werden nicht unterstützt"));
    case TTokenKind::kwProcedure:
    case TTokenKind::kwFunction: {
        // procedure(a: Integer) / function(const s: string): Boolean
        auto heading = std::make_shared<TAstRoutine>();
        heading->Pos = Tok().Pos;
        heading->IsFunction = Next().Is(TTokenKind::kwFunction);
        if (Accept(TTokenKind::LParen)) {
            if (!At(TTokenKind::RParen))
                ParseParams(*heading);
            Expect(TTokenKind::RParen);
        }
        if (heading->IsFunction) {
            Expect(TTokenKind::Colon);
            heading->Result = ParseType();
        }
        if (At(TTokenKind::kwOf))
            Fail(Tok().Pos, QStringLiteral("Methodenzeiger ('of object') werden nicht unterstützt"));
        type->Kind = TAstTypeKind::Procedural;
        type->Heading = std::move(heading);
        break;
    }
    case TTokenKind::LParen: {
        Next();
        type->Kind = TAstTypeKind::Enum;
        do {
            type->EnumNames.push_back(ExpectIdentifier());
            if (At(TTokenKind::Equal))
                Fail(Tok().Pos, QStringLiteral("Aufzählungen mit festen Werten werden nicht unterstützt"));
        } while (Accept(TTokenKind::Comma));
        Expect(TTokenKind::RParen);
        break;
    }
    default: {
        PAstExpr low = ParseSimpleExpression();
        if (Accept(TTokenKind::DotDot)) {
            type->Kind = TAstTypeKind::Subrange;
            type->Low = std::move(low);
            type->High = ParseSimpleExpression();
        } else if (low->Kind == TAstExprKind::Ident) {
            type->Kind = TAstTypeKind::Named;
            type->Name = low->Name;
        } else {
            Fail(low->Pos, QStringLiteral("Typ erwartet"));
        }
        break;
    }
    }
    Leave();
    return type;
}

PAstType TParser::ParseArrayType(TSourcePos aPos)
{
    auto type = std::make_unique<TAstType>();
    type->Kind = TAstTypeKind::Array;
    type->Pos = aPos;
    if (Accept(TTokenKind::LBracket)) {
        do
            type->Indexes.push_back(ParseType());
        while (Accept(TTokenKind::Comma));
        Expect(TTokenKind::RBracket);
    }
    Expect(TTokenKind::kwOf);
    if (At(TTokenKind::kwConst))
        Fail(Tok().Pos, QStringLiteral("'array of const' gibt es nur als Parametertyp"));
    type->Element = ParseType();
    return type;
}

PAstType TParser::ParseRecordType(TSourcePos aPos)
{
    const TToken opener = Previous();
    auto type = std::make_unique<TAstType>();
    type->Kind = TAstTypeKind::Record;
    type->Pos = aPos;
    while (At(TTokenKind::Identifier)) {
        TAstFieldGroup group;
        group.Names = ParseNameList();
        Expect(TTokenKind::Colon);
        group.Type = ParseType();
        type->Fields.push_back(std::move(group));
        if (!Accept(TTokenKind::Semicolon))
            break;
    }
    if (At(TTokenKind::kwCase))
        Fail(Tok().Pos, QStringLiteral("Variante Records werden nicht unterstützt"));
    ExpectClosing(TTokenKind::kwEnd, opener);
    return type;
}

PAstType TParser::ParseClassType(TSourcePos aPos)
{
    const TToken opener = Previous();
    auto type = std::make_unique<TAstType>();
    type->Kind = TAstTypeKind::Class;
    type->Pos = aPos;
    if (!At(TTokenKind::LParen))
        Fail(Tok().Pos,
             QStringLiteral(
                 "Klassen werden nicht unterstützt, nur Ausnahmeklassen: 'class(Exception)' erwartet"));
    Next();
    type->ParentName = ExpectIdentifier();
    Expect(TTokenKind::RParen);
    if (At(TTokenKind::Semicolon))
        return type; // EMyError = class(Exception);
    if (!At(TTokenKind::kwEnd))
        Fail(Tok().Pos,
             QStringLiteral("Klassen werden nicht unterstützt: eine Ausnahmeklasse hat keine eigenen "
                            "Felder oder Methoden ('end' erwartet)"));
    ExpectClosing(TTokenKind::kwEnd, opener);
    return type;
}

PAstExpr TParser::ParseInitValue()
{
    if (!At(TTokenKind::LParen))
        return ParseExpression();
    Enter(Tok().Pos);
    auto init = std::make_unique<TAstExpr>();
    const TToken opener = Next();
    init->Pos = opener.Pos;
    if (At(TTokenKind::Identifier) && PeekTok().Is(TTokenKind::Colon)) {
        init->Kind = TAstExprKind::InitRecord;
        while (At(TTokenKind::Identifier)) {
            init->FieldNames.push_back(ExpectIdentifier());
            Expect(TTokenKind::Colon);
            init->Args.push_back(ParseInitValue());
            if (!Accept(TTokenKind::Semicolon))
                break;
        }
    } else {
        init->Kind = TAstExprKind::InitList;
        do
            init->Args.push_back(ParseInitValue());
        while (Accept(TTokenKind::Comma));
    }
    ExpectClosing(TTokenKind::RParen, opener);
    Leave();
    return init;
}

} // namespace pascal
