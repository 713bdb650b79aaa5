#include "pascal/Parser.h"

#include "pascal/CompileGuard.h"

namespace pascal {

namespace {
// Tokens kept behind the current one.
constexpr std::size_t kKeptBehind = 8;
} // namespace

TParser::TParser(TLexer& aLexer, TDiagnostics& aDiagnostics)
    : FLexer(aLexer)
    , FDiagnostics(aDiagnostics)
{
}

void TParser::Fill(std::size_t aIndex) const
{
    while (FBase + FWindow.size() <= aIndex) {
        if (!FWindow.empty() && FWindow.back().Is(TTokenKind::EndOfFile))
            return;
        TToken token;
        if (!FLexer.NextToken(token))
            throw ESyntax{};
        FWindow.push_back(std::move(token));
    }
}

const TToken& TParser::PeekTok(int aAhead) const
{
    const std::size_t i = FIndex + std::size_t(aAhead);
    Fill(i);
    return i < FBase + FWindow.size() ? FWindow[i - FBase] : FWindow.back();
}

const TToken& TParser::Next()
{
    const TToken& t = Tok();
    TCompileGuard::Tick(t.Pos);
    if (t.Is(TTokenKind::EndOfFile))
        return t;
    ++FIndex;
    Fill(FIndex);
    while (FIndex - FBase > kKeptBehind) {
        FWindow.pop_front();
        ++FBase;
    }
    return FWindow[FIndex - 1 - FBase];
}

bool TParser::Accept(TTokenKind aKind)
{
    if (!At(aKind))
        return false;
    Next();
    return true;
}

void TParser::Fail(TSourcePos aPos, const QString& aText)
{
    FDiagnostics.Error(aPos, aText);
    throw ESyntax{};
}

void TParser::FailExpected(const QString& aWhat)
{
    Fail(Tok().Pos, QStringLiteral("%1 erwartet, aber %2 gefunden").arg(aWhat, TokenDescription(Tok())));
}

const TToken& TParser::Expect(TTokenKind aKind)
{
    if (!At(aKind))
        FailExpected(TokenKindText(aKind));
    return Next();
}

const TToken& TParser::ExpectClosing(TTokenKind aKind, const TToken& aOpener)
{
    if (!At(aKind))
        Fail(Tok().Pos,
             QStringLiteral("%1 erwartet (zum %2 in Zeile %3)")
                 .arg(TokenKindText(aKind), TokenKindText(aOpener.Kind))
                 .arg(aOpener.Pos.Line));
    return Next();
}

TAstName TParser::ExpectIdentifier()
{
    if (!At(TTokenKind::Identifier))
        FailExpected(QStringLiteral("Bezeichner"));
    const TToken& t = Next();
    return {t.Text, t.Lower, t.Pos};
}

void TParser::Enter(TSourcePos aPos)
{
    if (++FNesting > kMaxNesting)
        Fail(aPos, QStringLiteral("Zu tief verschachtelt (mehr als %1 Ebenen)").arg(kMaxNesting));
}

std::unique_ptr<TAstProgram> TParser::ParseProgram()
{
    auto program = std::make_unique<TAstProgram>();
    try {
        Fill(0);
        if (At(TTokenKind::kwProgram)) {
            Next();
            program->Name = ExpectIdentifier();
            if (Accept(TTokenKind::LParen)) { // program X(input, output);
                ParseNameList();
                Expect(TTokenKind::RParen);
            }
            Expect(TTokenKind::Semicolon);
        } else if (At(TTokenKind::kwUnit) || At(TTokenKind::kwLibrary)) {
            Fail(Tok().Pos,
                 QStringLiteral("Ein Skript ist ein Programm: 'unit' und 'library' gibt es hier nicht"));
        }
        if (At(TTokenKind::kwUses)) {
            // SysUtils, Math and friends are always there; the list itself means nothing.
            Next();
            ParseNameList();
            Expect(TTokenKind::Semicolon);
        }
        ParseBlock(program->Block, true);
        if (!At(TTokenKind::Dot))
            FailExpected(QStringLiteral("'.'"));
        Next();
        return program;
    } catch (const ESyntax&) {
        return nullptr;
    }
}

std::unique_ptr<TAstRoutine> TParser::ParseHeadingOnly()
{
    try {
        Fill(0);
        if (!At(TTokenKind::kwProcedure) && !At(TTokenKind::kwFunction))
            FailExpected(QStringLiteral("'procedure' oder 'function'"));
        auto routine = ParseRoutineHeading();
        Accept(TTokenKind::Semicolon);
        if (!At(TTokenKind::EndOfFile))
            FailExpected(TokenKindText(TTokenKind::EndOfFile));
        return routine;
    } catch (const ESyntax&) {
        return nullptr;
    }
}

} // namespace pascal
