#pragma once

#include "pascal/Node.h"

#include <vector>

// try/except, try/finally, raise and the exception objects.
namespace pascal {

class TTryExceptNode final : public TStmtNode
{
public:
    struct THandler
    {
        const TClassInfo* Class = nullptr;
        PExpr Var; // the "E" of "on E: Exception do", or null
        PStmt Body;
    };
    TTryExceptNode(TSourcePos aPos, PStmt aBody, std::vector<THandler> aHandlers, PStmt aOtherwise,
                   bool aCatchAll)
        : TStmtNode(aPos)
        , Body(std::move(aBody))
        , Handlers(std::move(aHandlers))
        , Otherwise(std::move(aOtherwise))
        , CatchAll(aCatchAll)
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PStmt Body;
    std::vector<THandler> Handlers;
    PStmt Otherwise;     // the else part, or the whole except part when there are no handlers
    const bool CatchAll; // an except part without "on": catches everything
};

class TTryFinallyNode final : public TStmtNode
{
public:
    TTryFinallyNode(TSourcePos aPos, PStmt aBody, PStmt aFinally)
        : TStmtNode(aPos)
        , Body(std::move(aBody))
        , Finally(std::move(aFinally))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PStmt Body;
    PStmt Finally;
};

// raise X; without X: raises again the exception being handled.
class TRaiseNode final : public TStmtNode
{
public:
    TRaiseNode(TSourcePos aPos, PExpr aObject)
        : TStmtNode(aPos)
        , Object(std::move(aObject))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Object;
};

// Exception.Create(msg), EConvertError.Create(msg), ...
class TExcCreateNode final : public TExprNode
{
public:
    TExcCreateNode(const TType* aType, TSourcePos aPos, PExpr aMessage)
        : TExprNode(aType, aPos)
        , Message(std::move(aMessage))
    {
    }
    TValue Eval(TRuntime& aRt) const override;

    PExpr Message;
};

// E.Message, E.ClassName
class TExcPropertyNode final : public TExprNode
{
public:
    enum class TWhat : unsigned char { Message, ClassName };
    TExcPropertyNode(const TType* aType, TSourcePos aPos, PExpr aObject, TWhat aWhat)
        : TExprNode(aType, aPos)
        , Object(std::move(aObject))
        , What(aWhat)
    {
    }
    TStr EvalStr(TRuntime& aRt) const override;

    PExpr Object;
    const TWhat What;
};

// E.Message := text
class TExcSetMessageNode final : public TStmtNode
{
public:
    TExcSetMessageNode(TSourcePos aPos, PExpr aObject, PExpr aText)
        : TStmtNode(aPos)
        , Object(std::move(aObject))
        , Text(std::move(aText))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Object;
    PExpr Text;
};

// E is EConvertError
class TIsNode final : public TExprNode
{
public:
    TIsNode(const TType* aType, TSourcePos aPos, PExpr aObject, const TClassInfo* aClass)
        : TExprNode(aType, aPos)
        , Object(std::move(aObject))
        , Class(aClass)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;

    PExpr Object;
    const TClassInfo* Class;
};

// Object comparison: identity (also with nil).
class TObjEqualNode final : public TExprNode
{
public:
    TObjEqualNode(const TType* aType, TSourcePos aPos, PExpr aLeft, PExpr aRight, bool aNegate)
        : TExprNode(aType, aPos)
        , Left(std::move(aLeft))
        , Right(std::move(aRight))
        , Negate(aNegate)
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override
    {
        const TValue a = Left->Eval(aRt);
        const TValue b = Right->Eval(aRt);
        return ((a.K == TVKind::Obj ? a.O : nullptr) == (b.K == TVKind::Obj ? b.O : nullptr)) != Negate;
    }

    PExpr Left;
    PExpr Right;
    const bool Negate;
};

} // namespace pascal
