#pragma once

#include "pascal/Node.h"

#include <vector>

// Statements: assignments, calls, blocks, branches, loops.
namespace pascal {

class TExprStmt final : public TStmtNode
{
public:
    explicit TExprStmt(PExpr aExpr)
        : TStmtNode(aExpr->Pos)
        , Expr(std::move(aExpr))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Expr;
};

// Target := Source, converted as StoreValue does. The source is evaluated first, so the
// place it goes to cannot move meanwhile.
class TAssignNode final : public TStmtNode
{
public:
    enum class TMode : unsigned char {
        Int,
        Bool,
        Real,
        Single /* or Currency: rounded */,
        Str,
        ShortStr,
        Value
    };
    TAssignNode(TSourcePos aPos, PExpr aTarget, PExpr aSource);
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Target;
    PExpr Source;
    const TMode Mode;
    const TIntKind Kind;

private:
    TValue* Place(TRuntime& aRt) const
    {
        switch (FTarget) {
        case 1: return &aRt.Globals[FSlot];
        case 2: return &aRt.Frame->Slots[FSlot];
        default: return Target->Ref(aRt, true);
        }
    }

    int FTarget = 0; // 1: a global, 2: a local of this routine, 0: anything else
    int FSlot = 0;
};

// s[i] := c
class TAssignCharNode final : public TStmtNode
{
public:
    TAssignCharNode(TSourcePos aPos, PExpr aString, PExpr aIndex, PExpr aSource)
        : TStmtNode(aPos)
        , String(std::move(aString))
        , Index(std::move(aIndex))
        , Source(std::move(aSource))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr String;
    PExpr Index;
    PExpr Source;
};

// s := s + a + b ...: appends in place, so building a string piece by piece is linear.
class TAppendNode final : public TStmtNode
{
public:
    TAppendNode(TSourcePos aPos, PExpr aTarget, std::vector<PExpr> aParts)
        : TStmtNode(aPos)
        , Target(std::move(aTarget))
        , Parts(std::move(aParts))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Target;
    std::vector<PExpr> Parts;
};

class TCompoundNode final : public TStmtNode
{
public:
    TCompoundNode(TSourcePos aPos, std::vector<PStmt> aBody)
        : TStmtNode(aPos)
        , Body(std::move(aBody))
    {
    }
    TFlow Exec(TRuntime& aRt) const override
    {
        for (const PStmt& s : Body) {
            const TFlow f = s->Exec(aRt);
            if (f != TFlow::Normal)
                return f;
        }
        return TFlow::Normal;
    }

    std::vector<PStmt> Body;
};

class TIfNode final : public TStmtNode
{
public:
    TIfNode(TSourcePos aPos, PExpr aCond, PStmt aThen, PStmt aElse)
        : TStmtNode(aPos)
        , Cond(std::move(aCond))
        , Then(std::move(aThen))
        , Else(std::move(aElse))
        , ElseIf(dynamic_cast<const TIfNode*>(Else.get()))
    {
    }
    ~TIfNode() override;
    TFlow Exec(TRuntime& aRt) const override
    {
        // An else-if chain runs in a loop, however long it is.
        const TIfNode* n = this;
        while (n->Cond->EvalInt(aRt) == 0) {
            if (!n->ElseIf)
                return n->Else ? n->Else->Exec(aRt) : TFlow::Normal;
            n = n->ElseIf;
        }
        return n->Then ? n->Then->Exec(aRt) : TFlow::Normal;
    }

    PExpr Cond;
    PStmt Then;
    PStmt Else;

private:
    const TIfNode* ElseIf; // Else when it is the next link of an else-if chain
};

class TWhileNode final : public TStmtNode
{
public:
    TWhileNode(TSourcePos aPos, PExpr aCond, PStmt aBody)
        : TStmtNode(aPos)
        , Cond(std::move(aCond))
        , Body(std::move(aBody))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Cond;
    PStmt Body;
};

class TRepeatNode final : public TStmtNode
{
public:
    TRepeatNode(TSourcePos aPos, std::vector<PStmt> aBody, PExpr aCond)
        : TStmtNode(aPos)
        , Body(std::move(aBody))
        , Cond(std::move(aCond))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    std::vector<PStmt> Body;
    PExpr Cond;
};

// for v := a to/downto b: the bounds are evaluated once; v is a plain variable.
class TForNode final : public TStmtNode
{
public:
    TForNode(TSourcePos aPos, PExpr aVar, PExpr aFrom, PExpr aTo, bool aDown, PStmt aBody)
        : TStmtNode(aPos)
        , Var(std::move(aVar))
        , From(std::move(aFrom))
        , To(std::move(aTo))
        , Down(aDown)
        , Body(std::move(aBody))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Var;
    PExpr From;
    PExpr To;
    const bool Down;
    PStmt Body;
};

// for v in s / a / set
class TForInNode final : public TStmtNode
{
public:
    TForInNode(TSourcePos aPos, PExpr aVar, PExpr aCollection, PStmt aBody)
        : TStmtNode(aPos)
        , Var(std::move(aVar))
        , Collection(std::move(aCollection))
        , Body(std::move(aBody))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Var;
    PExpr Collection;
    PStmt Body;
};

class TCaseNode final : public TStmtNode
{
public:
    struct TRange
    {
        qint64 Low;
        qint64 High;
        int Branch;
    };
    TCaseNode(TSourcePos aPos, PExpr aSelector, std::vector<TRange> aRanges, std::vector<PStmt> aBranches,
              PStmt aElse);
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Selector;
    std::vector<TRange> Ranges; // sorted by Low, not overlapping
    std::vector<PStmt> Branches;
    PStmt Else;

private:
    std::vector<int> FTable; // dense labels: branch by value - FTableLow
    qint64 FTableLow = 0;
};

// case s of 'abc': ... (strings compared as they are)
class TStrCaseNode final : public TStmtNode
{
public:
    struct TLabel
    {
        TStr Low;
        TStr High;
        int Branch;
    };
    TStrCaseNode(TSourcePos aPos, PExpr aSelector, std::vector<TLabel> aLabels, std::vector<PStmt> aBranches,
                 PStmt aElse)
        : TStmtNode(aPos)
        , Selector(std::move(aSelector))
        , Labels(std::move(aLabels))
        , Branches(std::move(aBranches))
        , Else(std::move(aElse))
    {
    }
    TFlow Exec(TRuntime& aRt) const override;

    PExpr Selector;
    std::vector<TLabel> Labels;
    std::vector<PStmt> Branches;
    PStmt Else;
};

class TFlowNode final : public TStmtNode
{
public:
    TFlowNode(TSourcePos aPos, TFlow aFlow, PStmt aBefore = nullptr)
        : TStmtNode(aPos)
        , Flow(aFlow)
        , Before(std::move(aBefore))
    {
    }
    TFlow Exec(TRuntime& aRt) const override
    {
        if (Before)
            Before->Exec(aRt);
        return Flow;
    }

    const TFlow Flow;
    PStmt Before; // Exit(x): the assignment to Result
};

class THaltNode final : public TStmtNode
{
public:
    using TStmtNode::TStmtNode;
    TFlow Exec(TRuntime&) const override { throw EScriptHalt{}; }
};

} // namespace pascal
