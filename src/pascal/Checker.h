#pragma once

#include "pascal/Ast.h"
#include "pascal/Builtins.h"
#include "pascal/Diagnostics.h"
#include "pascal/Node.h"
#include "pascal/PascalEngine.h"
#include "pascal/Program.h"
#include "pascal/Scope.h"

#include <deque>
#include <memory>
#include <vector>

namespace pascal {

// Gives the parsed script its meaning: resolves every name, checks every type, reports
// errors, warnings and hints, and builds the executable nodes of the program. Errors do not
// stop it; an erroneous expression gets the error type, which fits everywhere, so one
// mistake is reported once.
class TChecker
{
public:
    TChecker(TProgram& aProgram, TDiagnostics& aDiagnostics, const TEngineLimits& aLimits);
    ~TChecker();
    TChecker(const TChecker&) = delete;
    TChecker& operator=(const TChecker&) = delete;

    bool AddHostRoutine(const TAstRoutine& aHeading, THostFunction aFunction);
    bool AddHostStringVariable(const QString& aName, QByteArray* aStorage);
    // One of the program's declarations, in order; then the program, whose declarations
    // were all handed in this way.
    void CheckProgramDecl(const TAstDecl& aDecl);
    void CheckProgram(const TAstProgram& aProgram);

private:
    // The routine being compiled.
    struct TRoutineCtx
    {
        TRoutine* Routine = nullptr; // null for the main block
        TSymbol* Symbol = nullptr;
        TSymbol* Result = nullptr;
        int Level = 0;
        int Loops = 0;
        bool ExitWithValue = false;
        std::vector<TSymbol*> Locals;
        TRoutineCtx* Outer = nullptr;
    };

    // Checker.cpp: names, slots, messages, constants
    TSymbol* NewSymbol(TSymKind aKind, const TAstName& aName);
    TSymbol* Declare(TSymKind aKind, const TAstName& aName);
    TSymbol* Resolve(const TAstName& aName);
    void PushScope();
    void PopScope();
    int AllocSlot(const TType* aType);
    void Error(TSourcePos aPos, const QString& aText);
    PExpr ErrorExpr(TSourcePos aPos);
    QString TypeName(const TExprNode& aExpr) const;
    void Incompatible(TSourcePos aPos, const TType* aTarget, const TExprNode& aSource);
    PExpr Fold(PExpr aExpr, bool aRetypeInteger = false);
    PExpr MakeConst(const TType* aType, TSourcePos aPos, TValue aValue);
    PExpr MakeIntConst(qint64 aValue, TSourcePos aPos);
    static bool IsConst(const TExprNode& aExpr) { return aExpr.ConstValue() != nullptr; }
    const TType* BuiltinType(const char* aName);
    void ReportUsage(TRoutineCtx& aCtx);
    TRuntime& FoldRuntime();

    // CheckerDecl.cpp
    void CheckDecls(const TAstBlock& aBlock);
    void CheckDecl(const TAstDecl& aDecl);
    void CheckForwardsDefined(const TAstBlock& aBlock);
    void DeclareConst(const TAstDecl& aDecl);
    void DeclareType(const TAstDecl& aDecl);
    void DeclareVar(const TAstDecl& aDecl);
    void DeclareRoutine(const TAstRoutine& aAst);
    TRoutine* MakeRoutine(const TAstRoutine& aAst, int aLevel);
    bool SameHeading(const TRoutine& aForward, const TRoutine& aFull) const;
    void CompileBody(TSymbol* aSymbol, const TAstRoutine& aAst);
    const TType* ResolveType(const TAstType& aAst, const QString& aName = QString());
    const TType* ResolveIndexType(const TAstType& aAst);
    bool ConstOrdinal(const TAstExpr& aExpr, qint64& aValue, const TType** aType = nullptr);
    TValue ConstInit(const TAstExpr& aInit, const TType* aType);

    // CheckerStmt.cpp
    PStmt CheckStmt(const TAstStmt& aStmt);
    PStmt CheckBlockStmts(const std::vector<PAstStmt>& aBody, TSourcePos aPos);
    PStmt CheckAssign(const TAstStmt& aStmt);
    PStmt CheckCallStmt(const TAstStmt& aStmt);
    PStmt CheckIf(const TAstStmt& aStmt);
    PStmt CheckCase(const TAstStmt& aStmt);
    PStmt CheckFor(const TAstStmt& aStmt);
    PStmt CheckForIn(const TAstStmt& aStmt);
    PStmt CheckWhile(const TAstStmt& aStmt);
    PStmt CheckRepeat(const TAstStmt& aStmt);
    PStmt CheckTryExcept(const TAstStmt& aStmt);
    PStmt CheckTryFinally(const TAstStmt& aStmt);
    PStmt CheckRaise(const TAstStmt& aStmt);
    PStmt CheckExit(const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    PStmt CheckWith(const TAstStmt& aStmt);
    PExpr WithField(const TAstName& aName);
    const TAstExpr* WithBase(const TAstName& aName);
    PExpr CheckCondition(const TAstExpr& aExpr);
    PExpr CheckTarget(const TAstExpr& aExpr, TSymbol** aRoot = nullptr);
    void MarkWritten(TSymbol* aSymbol, TSourcePos aPos);
    TSymbol* RootSymbol(const TAstExpr& aExpr);
    PStmt MakeAppend(TSourcePos aPos, const TAstExpr& aTarget, TSymbol* aRoot, const TAstExpr& aValue);

    // CheckerExpr.cpp
    PExpr CheckExpr(const TAstExpr& aExpr, const TType* aExpected = nullptr);
    PExpr CheckIdent(const TAstExpr& aExpr);
    PExpr VarNode(TSymbol* aSymbol, TSourcePos aPos);
    PExpr CheckIndex(const TAstExpr& aExpr);
    PExpr IndexOnce(PExpr aBase, const TAstExpr& aIndex, TSourcePos aPos);
    PExpr CheckField(const TAstExpr& aExpr);
    PExpr CheckSetCtor(const TAstExpr& aExpr, const TType* aExpected);
    PExpr CheckArrayCtor(const TAstExpr& aExpr, const TType* aArrayType);
    PExpr Convert(PExpr aExpr, const TType* aTarget, TSourcePos aPos);
    bool Assignable(const TType* aTarget, const TExprNode& aSource) const;
    bool SameType(const TType* a, const TType* b) const;
    PExpr RequireValue(PExpr aExpr);

    // CheckerOps.cpp
    PExpr CheckBinary(const TAstExpr& aExpr);
    PExpr CheckArithmetic(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight);
    PExpr CheckLogical(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight);
    PExpr CheckShift(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight);
    PExpr CheckRelational(TTokenKind aOp, TSourcePos aPos, PExpr aLeft, PExpr aRight);
    PExpr CheckIn(const TAstExpr& aExpr);
    PExpr CheckIs(const TAstExpr& aExpr);
    PExpr CheckUnary(const TAstExpr& aExpr);
    PExpr MakeConcat(TSourcePos aPos, PExpr aLeft, PExpr aRight);
    bool OrdinalCompatible(const TType* a, const TType* b) const;
    const TType* LogicalType(const TType* a, const TType* b) const;
    PExpr OperandError(TSourcePos aPos, const TExprNode& aLeft, const TExprNode* aRight);

    // CheckerCall.cpp
    PExpr CheckCall(const TAstExpr& aCallee, const std::vector<PAstExpr>& aArgs, TSourcePos aPos,
                    bool aHasParens, bool aStatement);
    PExpr CallRoutine(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    PExpr CheckArgument(const TParamInfo& aParam, const TAstExpr& aArg);
    PExpr CheckVarArgument(const TType* aType, const TAstExpr& aArg, bool aExactType);
    PExpr Typecast(const TType* aType, const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    PExpr CheckMember(const TAstExpr& aField, const std::vector<PAstExpr>* aArgs, TSourcePos aPos);
    PExpr CallBuiltinFunc(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    PExpr FormatArgs(const TAstExpr& aArg, std::vector<PExpr>& aOut);

    // CheckerBuiltin.cpp: CheckMagic looks up the check of a built-in in its table and counts
    // the arguments, so each check gets a call with a number of arguments it accepts
    struct TMagicCall;
    using TMagicCheck = PExpr (TChecker::*)(const TMagicCall& aCall);
    PExpr CheckMagic(TMagic aMagic, const std::vector<PAstExpr>& aArgs, TSourcePos aPos, bool aStatement);
    bool ArgCount(const std::vector<PAstExpr>& aArgs, std::size_t aMin, std::size_t aMax, TSourcePos aPos);
    const TType* TypeArgument(const TAstExpr& aArg);
    PExpr ConvertedArg(const TMagicCall& aCall, std::size_t aIndex, const TType* aType);
    PExpr OptionalArg(const TMagicCall& aCall, std::size_t aIndex, const TType* aType);
    PExpr OrdinalArg(const TMagicCall& aCall, bool aInteger);
    PExpr FillCharTarget(const TAstExpr& aFirst, PExpr& aStart);
    PExpr CheckLength(const TMagicCall& aCall);
    PExpr CheckSetLength(const TMagicCall& aCall);
    PExpr CheckHighLow(const TMagicCall& aCall);
    PExpr CheckIncDec(const TMagicCall& aCall);
    PExpr CheckOrd(const TMagicCall& aCall);
    PExpr CheckChr(const TMagicCall& aCall);
    PExpr CheckSuccPred(const TMagicCall& aCall);
    PExpr CheckOdd(const TMagicCall& aCall);
    PExpr CheckMath(const TMagicCall& aCall);
    PExpr CheckRound(const TMagicCall& aCall);
    PExpr CheckCopy(const TMagicCall& aCall);
    PExpr CheckPos(const TMagicCall& aCall);
    PExpr CheckDelete(const TMagicCall& aCall);
    PExpr CheckInsert(const TMagicCall& aCall);
    PExpr CheckConcat(const TMagicCall& aCall);
    PExpr CheckFormat(const TMagicCall& aCall);
    PExpr CheckSizeOf(const TMagicCall& aCall);
    PExpr CheckFlowAsCall(const TMagicCall& aCall);
    PExpr CheckIncludeExclude(const TMagicCall& aCall);
    PExpr CheckRandom(const TMagicCall& aCall);
    PExpr CheckAssert(const TMagicCall& aCall);
    PExpr CheckTryStrTo(const TMagicCall& aCall);
    PExpr CheckVal(const TMagicCall& aCall);
    PExpr CheckStr(const TMagicCall& aCall);
    PExpr CheckAssigned(const TMagicCall& aCall);
    PExpr CheckIntToHex(const TMagicCall& aCall);
    PExpr CheckHiLo(const TMagicCall& aCall);
    PExpr CheckSwap(const TMagicCall& aCall);
    // TStringList: a method or property of aList (checked); null arguments for a property.
    PExpr CheckListMember(PExpr aList, const TAstExpr& aField, const std::vector<PAstExpr>* aArgs,
                          TSourcePos aPos);
    PStmt ListSetter(PExpr aTarget, const TAstExpr& aValue, TSourcePos aPos);
    void DeclareOverload(TSymbol* aExisting, const TAstRoutine& aAst);
    bool SameSignature(const TRoutine& a, const TRoutine& b) const;
    PExpr RoutineValue(TSymbol* aSymbol, const TType* aType, TSourcePos aPos);
    // A call through a procedural value.
    PExpr CallProcedural(PExpr aCallee, const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    // Of a name's overloaded routines, the one whose parameters fit aArgs best; null (and the
    // error reported) when none or several fit equally.
    TSymbol* PickOverload(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos);
    PExpr CheckIfThen(const TMagicCall& aCall);
    PExpr CheckFreeAndNil(const TMagicCall& aCall);
    PExpr CheckDecode(const TMagicCall& aCall);
    PExpr CheckDefault(const TMagicCall& aCall);
    PExpr CheckFillChar(const TMagicCall& aCall);

    TProgram& FProgram;
    TTypes& FTypes;
    TDiagnostics& FDiag;
    const TEngineLimits& FLimits;
    std::deque<std::unique_ptr<TSymbol>> FSymbols;
    std::deque<std::unique_ptr<TScope>> FScopes;
    TScope* FGlobalScope = nullptr;
    TScope* FScope = nullptr;
    TRoutineCtx* FCtx = nullptr;
    std::unique_ptr<TRoutineCtx> FMainCtx;
    std::unique_ptr<TRuntime> FFoldRuntime;
    // the records of the enclosing with statements, innermost last; names are looked up in
    // the first FWithVisible of them
    struct TWith
    {
        const TAstExpr* Record;
        const TType* Type;
    };
    std::vector<TWith> FWiths;
    std::size_t FWithVisible = 0;
    // The designator an index follows while it is checked: an indexed list property may stand there.
    const TAstExpr* FIndexedBase = nullptr;
};

} // namespace pascal
