#include "pascal/Checker.h"

#include "pascal/HeapValues.h"
#include "pascal/VarNodes.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace pascal {

namespace {

// The names every script knows: built-in types, constants and routines. Made once; nothing
// in it changes afterwards, so all compilations share it.
struct TSystemScope
{
    std::deque<TSymbol> Symbols;
    TScope Scope{nullptr};

    TSymbol* Add(TSymKind aKind, const QString& aName)
    {
        Symbols.emplace_back();
        TSymbol* sym = &Symbols.back();
        sym->Kind = aKind;
        sym->Name = aName;
        Scope.Add(aName.toLower(), sym);
        return sym;
    }

    TSystemScope()
    {
        const TTypes& types = TTypes::Shared();
        for (auto it = types.BuiltinNames().cbegin(); it != types.BuiltinNames().cend(); ++it) {
            TSymbol* sym = Add(TSymKind::Type, it.value()->Name);
            Scope.Add(it.key(), sym); // aliases such as LongInt keep their own spelling
            sym->Type = it.value();
        }
        auto constant = [&](const char* aName, const TType* aType, TValue aValue) {
            TSymbol* sym = Add(TSymKind::Const, QString::fromLatin1(aName));
            sym->Type = aType;
            sym->Value = std::move(aValue);
        };
        constant("False", types.Boolean(), TValue::FromInt(0));
        constant("True", types.Boolean(), TValue::FromInt(1));
        constant("MaxInt", types.Integer(), TValue::FromInt(2147483647));
        constant("MaxLongInt", types.Integer(), TValue::FromInt(2147483647));
        constant("Pi", types.Double(), TValue::FromReal(M_PI));
        constant("sLineBreak", types.String(), TValue::FromStr(TStr("\r\n", 2)));
        const TType* flag = types.BuiltinNames().value(QStringLiteral("treplaceflag"));
        constant("rfReplaceAll", flag, TValue::FromInt(0));
        constant("rfIgnoreCase", flag, TValue::FromInt(1));
        const TType* floatFormat = types.BuiltinNames().value(QStringLiteral("tfloatformat"));
        int formatValue = 0;
        for (const char* f : {"ffGeneral", "ffExponent", "ffFixed", "ffNumber", "ffCurrency"})
            constant(f, floatFormat, TValue::FromInt(formatValue++));
        const TType* duplicates = types.BuiltinNames().value(QStringLiteral("tduplicates"));
        int duplicatesValue = 0;
        for (const char* d : {"dupIgnore", "dupAccept", "dupError"})
            constant(d, duplicates, TValue::FromInt(duplicatesValue++));
        constant("MaxDouble", types.Double(), TValue::FromReal(1.7976931348623157e+308));
        for (int m = 0; m < int(TMagic::Count); ++m)
            Add(TSymKind::Builtin, QString::fromLatin1(MagicName(TMagic(m))))->Builtin = m;
        const std::vector<TBuiltinFunc>& funcs = BuiltinFuncs();
        for (std::size_t i = 0; i < funcs.size(); ++i)
            Add(TSymKind::Builtin, QString::fromLatin1(funcs[i].Name))->Builtin = 1000 + int(i);
    }
};

const TScope* SystemScope()
{
    static const TSystemScope system;
    return &system.Scope;
}

} // namespace

TChecker::TChecker(TProgram& aProgram, TDiagnostics& aDiagnostics, const TEngineLimits& aLimits)
    : FProgram(aProgram)
    , FTypes(*aProgram.Types)
    , FDiag(aDiagnostics)
    , FLimits(aLimits)
{
    FScopes.push_back(std::make_unique<TScope>(SystemScope()));
    FGlobalScope = FScopes.back().get();
    FScope = FGlobalScope;
    FMainCtx = std::make_unique<TRoutineCtx>();
    FCtx = FMainCtx.get();
}

TChecker::~TChecker() = default;

// ---- names -------------------------------------------------------------------------------

TSymbol* TChecker::NewSymbol(TSymKind aKind, const TAstName& aName)
{
    auto sym = std::make_unique<TSymbol>();
    sym->Kind = aKind;
    sym->Name = aName.Name;
    sym->Pos = aName.Pos;
    FSymbols.push_back(std::move(sym));
    return FSymbols.back().get();
}

TSymbol* TChecker::Declare(TSymKind aKind, const TAstName& aName)
{
    TSymbol* sym = NewSymbol(aKind, aName);
    if (FScope->Find(aName.Lower)) {
        Error(aName.Pos, QStringLiteral("Bezeichner doppelt deklariert: '%1'").arg(aName.Name));
        return sym; // usable, but not findable
    }
    FScope->Add(aName.Lower, sym);
    return sym;
}

TSymbol* TChecker::Resolve(const TAstName& aName)
{
    TSymbol* sym = FScope->Lookup(aName.Lower);
    if (sym != nullptr)
        return sym;
    // The library's classes a ported script is likely to name: say why they are missing.
    static const QSet<QString> kClasses{
        QStringLiteral("tobject"),           QStringLiteral("tlist"),          QStringLiteral("tobjectlist"),
        QStringLiteral("tstrings"),          QStringLiteral("tstream"),        QStringLiteral("tfilestream"),
        QStringLiteral("tmemorystream"),     QStringLiteral("tstringstream"),  QStringLiteral("tthread"),
        QStringLiteral("tcomponent"),        QStringLiteral("tinifile"),       QStringLiteral("tregistry"),
        QStringLiteral("tdictionary"),       QStringLiteral("tstringbuilder"), QStringLiteral("tpersistent"),
        QStringLiteral("tinterfacedobject"), QStringLiteral("tcollection"),    QStringLiteral("tbits")};
    if (kClasses.contains(aName.Lower))
        Error(aName.Pos,
              QStringLiteral("Klassen werden nicht unterstützt: '%1' gibt es hier nicht").arg(aName.Name));
    else
        Error(aName.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(aName.Name));
    return nullptr;
}

void TChecker::PushScope()
{
    FScopes.push_back(std::make_unique<TScope>(FScope));
    FScope = FScopes.back().get();
}

void TChecker::PopScope()
{
    // the scope itself stays alive until the compilation ends
    FScope = const_cast<TScope*>(FScope->Parent());
}

int TChecker::AllocSlot(const TType* aType)
{
    if (FCtx->Routine == nullptr) {
        FProgram.GlobalDefaults.push_back(aType->Default);
        return int(FProgram.GlobalDefaults.size()) - 1;
    }
    FCtx->Routine->SlotDefaults.push_back(aType->Default);
    return int(FCtx->Routine->SlotDefaults.size()) - 1;
}

// ---- messages ----------------------------------------------------------------------------

void TChecker::Error(TSourcePos aPos, const QString& aText)
{
    FDiag.Error(aPos, aText);
}

PExpr TChecker::ErrorExpr(TSourcePos aPos)
{
    return std::make_unique<TConstNode>(FTypes.Error(), aPos, TValue());
}

QString TChecker::TypeName(const TExprNode& aExpr) const
{
    const TType* t = aExpr.Type;
    if (auto* c = dynamic_cast<const TConstNode*>(&aExpr)) {
        // An untyped integer constant is an 'Integer' to the user, whatever size it fits.
        if (t->Kind == TTypeKind::Integer && t != FTypes.Int64() && t != FTypes.Cardinal()
            && (c->Value.I >= -2147483648ll && c->Value.I <= 2147483647ll))
            return QStringLiteral("Integer");
    }
    return t->Name;
}

void TChecker::Incompatible(TSourcePos aPos, const TType* aTarget, const TExprNode& aSource)
{
    if (aTarget->IsError() || aSource.Type->IsError())
        return;
    Error(aPos, QStringLiteral("Inkompatible Typen: '%1' und '%2'").arg(aTarget->Name, TypeName(aSource)));
}

// ---- constants ---------------------------------------------------------------------------

TRuntime& TChecker::FoldRuntime()
{
    if (!FFoldRuntime) {
        FFoldRuntime = std::make_unique<TRuntime>(FLimits, FTypes);
        FFoldRuntime->Start();
    }
    return *FFoldRuntime;
}

PExpr TChecker::MakeConst(const TType* aType, TSourcePos aPos, TValue aValue)
{
    return std::make_unique<TConstNode>(aType, aPos, std::move(aValue));
}

PExpr TChecker::MakeIntConst(qint64 aValue, TSourcePos aPos)
{
    return MakeConst(FTypes.ForConstant(aValue), aPos, TValue::FromInt(aValue));
}

PExpr TChecker::Fold(PExpr aExpr, bool aRetypeInteger)
{
    if (aExpr->Type->IsError() || aExpr->Type->Kind == TTypeKind::Void)
        return aExpr;
    TRuntime& rt = FoldRuntime();
    try {
        TValue v = aExpr->Eval(rt);
        const TType* t = aExpr->Type;
        // a QWord above High(Int64) stays a QWord: as a signed number it would turn negative
        if (aRetypeInteger && t->Kind == TTypeKind::Integer && !(t->IntKind == TIntKind::U64 && v.I < 0))
            t = FTypes.ForConstant(v.I);
        return MakeConst(t, aExpr->Pos, std::move(v));
    } catch (const EScriptError& e) {
        const TExcRec* obj = e.Object.K == TVKind::Obj ? e.Object.O : nullptr;
        Error(e.Pos.IsValid() ? e.Pos : aExpr->Pos,
              obj && obj->Message ? QString::fromLatin1(obj->Message->Data(), qsizetype(obj->Message->Length))
                                  : QStringLiteral("Fehler im konstanten Ausdruck"));
    } catch (const EScriptAbort& e) {
        Error(aExpr->Pos, e.Message);
    }
    return ErrorExpr(aExpr->Pos);
}

// ---- the outermost scope -----------------------------------------------------------------

const TType* TChecker::BuiltinType(const char* aName)
{
    return FTypes.BuiltinNames().value(QString::fromLatin1(aName).toLower(), FTypes.Error());
}

// ---- host declarations -------------------------------------------------------------------

bool TChecker::AddHostRoutine(const TAstRoutine& aHeading, THostFunction aFunction)
{
    const int errors = FDiag.ErrorCount();
    TRoutine* r = MakeRoutine(aHeading, 1);
    for (const TParamInfo& p : r->Params)
        if (p.IsByRef())
            Error(aHeading.Pos, QStringLiteral("Host-Routinen haben keine var-Parameter: '%1'").arg(p.Name));
    for (const TParamInfo& p : r->Params)
        if (p.Type->IsManaged() && p.Type->Kind != TTypeKind::String)
            Error(aHeading.Pos,
                  QStringLiteral("Host-Routinen nehmen nur einfache Typen und Strings: '%1'").arg(p.Name));
    r->IsHost = true;
    r->Defined = true;
    r->Host = std::move(aFunction);
    TSymbol* sym = Declare(TSymKind::Routine, aHeading.Name);
    sym->Routine = r;
    return FDiag.ErrorCount() == errors;
}

bool TChecker::AddHostStringVariable(const QString& aName, QByteArray* aStorage)
{
    static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!ident.match(aName).hasMatch() || KeywordKind(aName.toLower()) != TTokenKind::Identifier) {
        Error({}, QStringLiteral("Ungültiger Variablenname: '%1'").arg(aName));
        return false;
    }
    const int errors = FDiag.ErrorCount();
    TSymbol* sym = Declare(TSymKind::Var, TAstName{aName, aName.toLower(), {}});
    sym->Type = FTypes.String();
    sym->Slot = AllocSlot(sym->Type);
    sym->Read = sym->Written = true;
    FProgram.HostVariables.push_back({sym->Slot, aStorage});
    return FDiag.ErrorCount() == errors;
}

// ---- the program -------------------------------------------------------------------------

void TChecker::CheckProgramDecl(const TAstDecl& aDecl)
{
    CheckDecl(aDecl);
}

void TChecker::CheckProgram(const TAstProgram& aProgram)
{
    CheckForwardsDefined(aProgram.Block);
    if (aProgram.Block.Body)
        FProgram.Main = CheckStmt(*aProgram.Block.Body);
}

void TChecker::ReportUsage(TRoutineCtx& aCtx)
{
    for (TSymbol* s : aCtx.Locals) {
        if (s->PassedByRef)
            continue;
        if (!s->Read && !s->Written) {
            FDiag.Hint(s->Pos, QStringLiteral("Variable '%1' wird nicht verwendet").arg(s->Name));
        } else if (s->Written && !s->Read) {
            for (TSourcePos p : s->Writes)
                FDiag.Hint(p, QStringLiteral("Auf '%1' zugewiesener Wert wird niemals benutzt").arg(s->Name));
        } else if (s->Read && !s->Written && !s->Type->IsManaged()) {
            FDiag.Warning(
                s->FirstRead,
                QStringLiteral("Variable '%1' ist möglicherweise nicht initialisiert worden").arg(s->Name));
        }
    }
}

} // namespace pascal
