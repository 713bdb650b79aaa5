#pragma once

#include "pascal/SourcePos.h"
#include "pascal/Token.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The parsed script before names and types mean anything: the parser builds it, the checker
// reads it once and turns it into executable nodes.
namespace pascal {

struct TAstExpr;
struct TAstStmt;
struct TAstType;
struct TAstBlock;
struct TAstRoutine;
using PAstExpr = std::unique_ptr<TAstExpr>;
using PAstStmt = std::unique_ptr<TAstStmt>;
using PAstType = std::unique_ptr<TAstType>;

struct TAstName
{
    QString Name;  // as written
    QString Lower; // for lookups
    TSourcePos Pos;
};

enum class TAstExprKind : unsigned char {
    IntLit,  // Int
    QWordLit, // Int: the bits of a constant above High(Int64)
    RealLit, // Real
    StrLit,  // Str (one byte is also a Char constant)
    Nil,
    Ident,      // Name
    Unary,      // Op Left
    Binary,     // Left Op Right; Pos is the operator's
    Call,       // Left(Args); HasParens when written with ()
    Index,      // Left[Args]
    Field,      // Left.Name
    SetCtor,    // [Args], an element may be a Range
    Range,      // Left..Right
    InitList,   // (Args) of a typed constant or initialised variable
    InitRecord, // (FieldNames[i]: Args[i]; ...)
    Formatted,  // Left:Args[0] or Left:Args[0]:Args[1], as Str takes its value
};

struct TAstExpr
{
    TAstExprKind Kind = TAstExprKind::Nil;
    TSourcePos Pos;
    TTokenKind Op = TTokenKind::EndOfFile;
    qint64 Int = 0;
    double Real = 0;
    QByteArray Str;
    TAstName Name;
    PAstExpr Left;
    PAstExpr Right;
    std::vector<PAstExpr> Args;
    std::vector<TAstName> FieldNames;
    bool HasParens = false;
    int Depth = 1; // levels of operands below and including this node

    TAstExpr() = default;
    ~TAstExpr();
    TAstExpr(TAstExpr&&) = default;
    TAstExpr& operator=(TAstExpr&&) = default;

    // Where the whole expression starts (the leftmost operand).
    TSourcePos StartPos() const;
};

enum class TAstStmtKind : unsigned char {
    Empty,
    Assign,     // Target := Expr
    Call,       // Expr
    Compound,   // Body
    If,         // if Expr then Then else Else
    Case,       // case Expr of Branches else ElseBody
    For,        // for Target := Expr to/downto Expr2 do Then
    ForIn,      // for Target in Expr do Then
    While,      // while Expr do Then
    Repeat,     // repeat Body until Expr
    TryExcept,  // try Body except Handlers else ElseBody / plain Handler end
    TryFinally, // try Body finally Handler end
    Raise,      // raise Expr (none: re-raise)
    With,       // with Expr do Then (one record per statement: "with a, b" nests)
};

struct TAstCaseBranch
{
    std::vector<PAstExpr> Labels; // constants or Ranges
    PAstStmt Body;
};

struct TAstHandler // on Var: ClassName do Body
{
    TAstName Var; // empty when written without a name
    TAstName ClassName;
    PAstStmt Body;
};

struct TAstStmt
{
    TAstStmtKind Kind = TAstStmtKind::Empty;
    TSourcePos Pos;
    TSourcePos EndPos; // the closing word of a compound, repeat, case or try
    PAstExpr Target;
    PAstExpr Expr;
    PAstExpr Expr2;
    bool Down = false;
    std::vector<PAstStmt> Body;
    PAstStmt Then;
    PAstStmt Else;
    std::vector<TAstCaseBranch> Branches;
    std::vector<PAstStmt> ElseBody;
    bool HasElse = false;
    std::vector<TAstHandler> Handlers;
    std::vector<PAstStmt> Handler;

    TAstStmt() = default;
    ~TAstStmt();
    TAstStmt(TAstStmt&&) = default;
    TAstStmt& operator=(TAstStmt&&) = default;
};

enum class TAstTypeKind : unsigned char {
    Named,    // Name
    String,   // string, or string[High]: at most High characters
    Subrange, // Low..High
    Enum,     // (EnumNames)
    Array,    // array[Indexes] of Element; no Indexes: dynamic (or an open parameter)
    ArrayOfConst,
    Record,     // Fields
    Set,        // set of Element
    Class,      // class(ParentName) end: an exception class
    Procedural, // procedure(...) / function(...): T, in Heading
};

struct TAstFieldGroup
{
    std::vector<TAstName> Names;
    PAstType Type;
};

struct TAstType
{
    TAstTypeKind Kind = TAstTypeKind::Named;
    TSourcePos Pos;
    TAstName Name;
    PAstExpr Low;
    PAstExpr High;
    std::vector<TAstName> EnumNames;
    std::vector<PAstType> Indexes;
    PAstType Element;
    std::vector<TAstFieldGroup> Fields;
    TAstName ParentName;
    std::shared_ptr<TAstRoutine> Heading; // Procedural: the parameters and the result
};

enum class TParamMode : unsigned char { Value, Var, Const, Out };

struct TAstParam
{
    std::vector<TAstName> Names;
    TParamMode Mode = TParamMode::Value;
    PAstType Type;
    PAstExpr Default;
};

struct TAstRoutine
{
    TSourcePos Pos; // the word procedure or function
    bool IsFunction = false;
    TAstName Name;
    std::vector<TAstParam> Params;
    PAstType Result;
    bool Forward = false;
    bool Overload = false;
    std::unique_ptr<TAstBlock> Block; // none for a forward declaration or a host routine
};

enum class TAstDeclKind : unsigned char { Const, Type, Var, Routine };

struct TAstDecl
{
    TAstDeclKind Kind = TAstDeclKind::Const;
    std::vector<TAstName> Names; // Const and Type: exactly one
    PAstType Type;               // Type, Var, typed Const
    PAstExpr Value;              // Const, initialised Var
    std::unique_ptr<TAstRoutine> Routine;
};

struct TAstBlock
{
    std::vector<TAstDecl> Decls;
    // A Compound. The checker frees a routine's statements once it has compiled them, so a
    // large script never holds its whole tree and all its nodes at once.
    mutable PAstStmt Body;
};

struct TAstProgram
{
    TAstName Name;
    TAstBlock Block;
};

} // namespace pascal
