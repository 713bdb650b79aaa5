#pragma once

#include "pascal/SourcePos.h"

#include <QByteArray>
#include <QString>

namespace pascal {

enum class TTokenKind : unsigned char {
    EndOfFile,
    Identifier,
    IntLiteral,
    RealLiteral,
    StringLiteral, // also a single character: 'a', #13
    // symbols
    Plus,
    Minus,
    Star,
    Slash,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Assign,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Comma,
    Semicolon,
    Colon,
    Dot,
    DotDot,
    Caret,
    At,
    // reserved words
    kwAnd,
    kwArray,
    kwAs,
    kwAsm,
    kwBegin,
    kwCase,
    kwClass,
    kwConst,
    kwConstructor,
    kwDestructor,
    kwDiv,
    kwDo,
    kwDownto,
    kwElse,
    kwEnd,
    kwExcept,
    kwFile,
    kwFinalization,
    kwFinally,
    kwFor,
    kwFunction,
    kwGoto,
    kwIf,
    kwImplementation,
    kwIn,
    kwInherited,
    kwInitialization,
    kwInterface,
    kwIs,
    kwLabel,
    kwLibrary,
    kwMod,
    kwNil,
    kwNot,
    kwObject,
    kwOf,
    kwOr,
    kwPacked,
    kwProcedure,
    kwProgram,
    kwProperty,
    kwRaise,
    kwRecord,
    kwRepeat,
    kwSet,
    kwShl,
    kwShr,
    kwString,
    kwThen,
    kwThreadvar,
    kwTo,
    kwTry,
    kwType,
    kwUnit,
    kwUntil,
    kwUses,
    kwVar,
    kwWhile,
    kwWith,
    kwXor,
};

struct TToken
{
    TTokenKind Kind = TTokenKind::EndOfFile;
    TSourcePos Pos;
    QString Text;     // identifiers as written; reserved words lower case
    QString Lower;    // identifiers in lower case, the form every lookup uses
    qint64 Int = 0;   // IntLiteral
    double Real = 0;  // RealLiteral
    QByteArray Bytes; // StringLiteral, one byte per character
    bool IntTooBig = false;
    bool IntUnsigned = false; // a decimal IntLiteral above High(Int64): its bits as a QWord

    bool Is(TTokenKind aKind) const { return Kind == aKind; }
    // Identifiers that act as keywords only in one place ("on", "forward", "out", ...).
    bool IsWord(const char* aLower) const
    {
        return Kind == TTokenKind::Identifier && Lower == QLatin1String(aLower);
    }
};

// How a kind of token is named in a message: "'begin'", "';'".
QString TokenKindText(TTokenKind aKind);
// How a found token is named in a message: "Bezeichner 'x'", "Dateiende", "'end'".
QString TokenDescription(const TToken& aToken);
// The reserved word spelled aLower, or Identifier.
TTokenKind KeywordKind(const QString& aLower);

} // namespace pascal
