#include "pascal/Checker.h"

#include "pascal/HeapValues.h"
#include "pascal/SetNodes.h"
#include "pascal/VarNodes.h"

#include <QSet>

namespace pascal {

void TChecker::CheckDecls(const TAstBlock& aBlock)
{
    for (const TAstDecl& d : aBlock.Decls)
        CheckDecl(d);
    CheckForwardsDefined(aBlock);
}

void TChecker::CheckDecl(const TAstDecl& aDecl)
{
    switch (aDecl.Kind) {
    case TAstDeclKind::Const: DeclareConst(aDecl); break;
    case TAstDeclKind::Type: DeclareType(aDecl); break;
    case TAstDeclKind::Var: DeclareVar(aDecl); break;
    case TAstDeclKind::Routine: DeclareRoutine(*aDecl.Routine); break;
    }
}

void TChecker::CheckForwardsDefined(const TAstBlock& aBlock)
{
    // a forward declaration without its body is an error at the end of the block
    for (const TAstDecl& d : aBlock.Decls) {
        if (d.Kind != TAstDeclKind::Routine || !d.Routine->Forward)
            continue;
        TSymbol* sym = FScope->Find(d.Routine->Name.Lower);
        if (sym && sym->Kind == TSymKind::Routine && sym->Routine && !sym->Routine->Defined) {
            Error(d.Routine->Name.Pos,
                  QStringLiteral("Ungenügende Forward-Deklaration: '%1'").arg(d.Routine->Name.Name));
            sym->Routine->Defined = true;
        }
    }
}

void TChecker::DeclareConst(const TAstDecl& aDecl)
{
    const TAstName& name = aDecl.Names.front();
    if (aDecl.Type) {
        // a typed constant is an initialised variable (writable, as in Free Pascal), kept for
        // the whole run even inside a routine
        const TType* type = ResolveType(*aDecl.Type);
        TValue value = ConstInit(*aDecl.Value, type);
        TSymbol* sym = Declare(TSymKind::Var, name);
        sym->Type = type;
        sym->Level = 0;
        FProgram.GlobalDefaults.push_back(std::move(value));
        sym->Slot = int(FProgram.GlobalDefaults.size()) - 1;
        sym->Read = sym->Written = true;
        return;
    }
    PExpr e = CheckExpr(*aDecl.Value);
    TSymbol* sym = Declare(TSymKind::Const, name);
    sym->Type = e->Type;
    if (const TValue* v = e->ConstValue()) {
        sym->Value = *v;
    } else if (!e->Type->IsError()) {
        Error(aDecl.Value->StartPos(), QStringLiteral("Konstantenausdruck erwartet"));
        sym->Type = FTypes.Error();
    }
}

void TChecker::DeclareType(const TAstDecl& aDecl)
{
    const TAstName& name = aDecl.Names.front();
    const TType* type = ResolveType(*aDecl.Type, name.Name);
    TSymbol* sym = Declare(TSymKind::Type, name);
    sym->Type = type;
}

void TChecker::DeclareVar(const TAstDecl& aDecl)
{
    const TType* type = ResolveType(*aDecl.Type);
    TValue init;
    const bool hasInit = aDecl.Value != nullptr;
    if (hasInit) {
        if (aDecl.Names.size() > 1)
            Error(aDecl.Value->Pos, QStringLiteral("Nur eine einzelne Variable kann initialisiert werden"));
        init = ConstInit(*aDecl.Value, type);
    }
    for (const TAstName& n : aDecl.Names) {
        TSymbol* sym = Declare(TSymKind::Var, n);
        sym->Type = type;
        sym->Level = FCtx->Level;
        sym->Slot = AllocSlot(type);
        if (hasInit) {
            if (FCtx->Routine)
                FCtx->Routine->SlotDefaults[std::size_t(sym->Slot)] = init;
            else
                FProgram.GlobalDefaults[std::size_t(sym->Slot)] = init;
            sym->Written = true;
        }
        if (FCtx->Routine) {
            FCtx->Locals.push_back(sym);
        }
    }
}

TRoutine* TChecker::MakeRoutine(const TAstRoutine& aAst, int aLevel)
{
    FProgram.Routines.push_back(std::make_unique<TRoutine>());
    TRoutine* r = FProgram.Routines.back().get();
    r->Name = aAst.Name.Name;
    r->Pos = aAst.Name.Pos;
    r->Level = aLevel;
    r->IsFunction = aAst.IsFunction;
    r->ResultType = aAst.IsFunction ? ResolveType(*aAst.Result) : FTypes.Void();
    QSet<QString> names;
    for (const TAstParam& group : aAst.Params) {
        const TType* type = FTypes.Error();
        if (group.Type->Kind == TAstTypeKind::ArrayOfConst) {
            if (group.Mode == TParamMode::Var || group.Mode == TParamMode::Out)
                Error(group.Type->Pos,
                      QStringLiteral("'array of const' gibt es nur als Wert- oder const-Parameter"));
            else
                type = FTypes.ArrayOfConst();
        } else if (group.Type->Kind == TAstTypeKind::Array && group.Type->Indexes.empty()) {
            type = FTypes.NewDynArray(ResolveType(*group.Type->Element), true); // an open array
        } else {
            type = ResolveType(*group.Type);
        }
        PExpr def;
        if (group.Default) {
            if (group.Mode == TParamMode::Var || group.Mode == TParamMode::Out)
                Error(group.Default->Pos, QStringLiteral("var-Parameter können keinen Vorgabewert haben"));
            def = Convert(CheckExpr(*group.Default, type), type, group.Default->StartPos());
            if (!IsConst(*def) && !def->Type->IsError()) {
                Error(group.Default->StartPos(), QStringLiteral("Konstantenausdruck erwartet"));
                def.reset();
            }
        }
        for (const TAstName& n : group.Names) {
            if (names.contains(n.Lower))
                Error(n.Pos, QStringLiteral("Bezeichner doppelt deklariert: '%1'").arg(n.Name));
            names.insert(n.Lower);
            TParamInfo p;
            p.Name = n.Name;
            p.Type = type;
            p.Mode = group.Mode;
            if (def)
                p.Default = MakeConst(type, def->Pos, *def->ConstValue());
            r->Params.push_back(std::move(p));
        }
    }
    // defaults only at the end: a parameter after one with a default needs one too
    bool seenDefault = false;
    for (const TParamInfo& p : r->Params) {
        if (p.Default)
            seenDefault = true;
        else if (seenDefault)
            Error(aAst.Name.Pos,
                  QStringLiteral("Parameter '%1' braucht einen Vorgabewert wie die vor ihm").arg(p.Name));
    }
    return r;
}

bool TChecker::SameHeading(const TRoutine& aForward, const TRoutine& aFull) const
{
    if (aForward.IsFunction != aFull.IsFunction || aForward.Params.size() != aFull.Params.size())
        return false;
    if (aForward.IsFunction && !SameType(aForward.ResultType, aFull.ResultType))
        return false;
    for (std::size_t i = 0; i < aForward.Params.size(); ++i)
        if (aForward.Params[i].Mode != aFull.Params[i].Mode
            || !SameType(aForward.Params[i].Type, aFull.Params[i].Type))
            return false;
    return true;
}

void TChecker::DeclareRoutine(const TAstRoutine& aAst)
{
    TSymbol* existing = FScope->Find(aAst.Name.Lower);
    if (existing && existing->Kind == TSymKind::Routine && existing->Routine && existing->Routine->Forward
        && !existing->Routine->Defined && !aAst.Forward) {
        // the body of an earlier forward declaration; its heading may be left out
        if (!aAst.Params.empty() || aAst.IsFunction != existing->Routine->IsFunction || aAst.Result) {
            TRoutine* full = MakeRoutine(aAst, existing->Routine->Level);
            if (!SameHeading(*existing->Routine, *full))
                Error(aAst.Name.Pos,
                      QStringLiteral("Deklaration von '%1' unterscheidet sich von vorheriger Deklaration")
                          .arg(aAst.Name.Name));
        }
        CompileBody(existing, aAst);
        return;
    }
    if (existing && existing->Kind == TSymKind::Routine && existing->Routine
        && (aAst.Overload || existing->Overload)) {
        DeclareOverload(existing, aAst);
        return;
    }
    TRoutine* r = MakeRoutine(aAst, FCtx->Level + 1);
    TSymbol* sym = Declare(TSymKind::Routine, aAst.Name);
    sym->Routine = r;
    sym->Overload = aAst.Overload;
    if (aAst.Forward) {
        r->Forward = true;
        return;
    }
    CompileBody(sym, aAst);
}

// One more routine of a name that is there already: both must say "overload", and their
// parameters must differ.
void TChecker::DeclareOverload(TSymbol* aExisting, const TAstRoutine& aAst)
{
    if (!aAst.Overload || !aExisting->Overload) {
        Error(aAst.Name.Pos,
              QStringLiteral("'%1' gibt es schon: Routinen gleichen Namens brauchen alle 'overload'")
                  .arg(aAst.Name.Name));
        return;
    }
    if (aAst.Forward || aExisting->Routine->Forward) {
        Error(aAst.Name.Pos, QStringLiteral("'forward' bei überladenen Routinen wird nicht unterstützt"));
        return;
    }
    TRoutine* r = MakeRoutine(aAst, FCtx->Level + 1);
    std::vector<TSymbol*> all{aExisting};
    all.insert(all.end(), aExisting->Overloads.begin(), aExisting->Overloads.end());
    for (const TSymbol* other : all) {
        const TRoutine& o = *other->Routine;
        bool same = o.Params.size() == r->Params.size();
        for (std::size_t i = 0; same && i < o.Params.size(); ++i)
            same = o.Params[i].Mode == r->Params[i].Mode && SameType(o.Params[i].Type, r->Params[i].Type);
        if (same) {
            Error(aAst.Name.Pos,
                  QStringLiteral("'%1' gibt es schon mit denselben Parametern").arg(aAst.Name.Name));
            return;
        }
    }
    TSymbol* sym = NewSymbol(TSymKind::Routine, aAst.Name);
    sym->Routine = r;
    sym->Overload = true;
    aExisting->Overloads.push_back(sym);
    CompileBody(sym, aAst);
}

void TChecker::CompileBody(TSymbol* aSymbol, const TAstRoutine& aAst)
{
    TRoutine* r = aSymbol->Routine;
    r->Defined = true;
    TRoutineCtx ctx;
    ctx.Routine = r;
    ctx.Symbol = aSymbol;
    ctx.Level = r->Level;
    ctx.Outer = FCtx;
    FCtx = &ctx;
    PushScope();
    r->SlotDefaults.clear();

    // parameter names: from this heading, or from the forward one when left out here
    std::vector<TAstName> names;
    for (const TAstParam& g : aAst.Params)
        for (const TAstName& n : g.Names)
            names.push_back(n);
    for (std::size_t i = 0; i < r->Params.size(); ++i) {
        const TParamInfo& p = r->Params[i];
        const TAstName name = i < names.size() ? names[i] : TAstName{p.Name, p.Name.toLower(), aAst.Name.Pos};
        TSymbol* sym = Declare(TSymKind::Var, name);
        sym->Type = p.Type;
        sym->Level = r->Level;
        sym->Slot = AllocSlot(p.IsByRef() ? FTypes.Integer() : p.Type);
        sym->ByRef = p.IsByRef();
        sym->ReadOnly = p.Mode == TParamMode::Const;
        sym->IsParam = true;
    }
    if (r->IsFunction) {
        r->ResultSlot = AllocSlot(r->ResultType);
        TSymbol* result = Declare(
            TSymKind::Var, TAstName{QStringLiteral("Result"), QStringLiteral("result"), aAst.Name.Pos});
        result->Type = r->ResultType;
        result->Level = r->Level;
        result->Slot = r->ResultSlot;
        result->IsResult = true;
        ctx.Result = result;
    }
    CheckDecls(*aAst.Block);
    if (aAst.Block->Body)
        r->Body = CheckStmt(*aAst.Block->Body);
    ReportUsage(ctx);
    if (ctx.Result && !ctx.Result->Written && !ctx.ExitWithValue && !ctx.Result->PassedByRef
        && aAst.Block->Body)
        FDiag.Warning(aAst.Block->Body->EndPos,
                      QStringLiteral("Rückgabewert der Funktion '%1' könnte undefiniert sein").arg(r->Name));
    aAst.Block->Body.reset();
    PopScope();
    FCtx = ctx.Outer;
}

// ---- types -------------------------------------------------------------------------------

const TType* TChecker::ResolveType(const TAstType& aAst, const QString& aName)
{
    switch (aAst.Kind) {
    case TAstTypeKind::Named: {
        TSymbol* sym = Resolve(aAst.Name);
        if (sym == nullptr)
            return FTypes.Error();
        if (sym->Kind != TSymKind::Type) {
            Error(aAst.Name.Pos, QStringLiteral("'%1' ist kein Typbezeichner").arg(aAst.Name.Name));
            return FTypes.Error();
        }
        return sym->Type;
    }
    case TAstTypeKind::String: {
        if (!aAst.High)
            return FTypes.String();
        qint64 length = 0;
        if (!ConstOrdinal(*aAst.High, length))
            return FTypes.Error();
        if (length < 1 || length > 255) {
            Error(aAst.High->StartPos(), QStringLiteral("Die Länge eines Strings liegt zwischen 1 und 255"));
            return FTypes.Error();
        }
        return FTypes.NewShortString(length);
    }
    case TAstTypeKind::ArrayOfConst: return FTypes.ArrayOfConst();
    case TAstTypeKind::Procedural: {
        // the signature is a routine without a body that is never called
        TRoutine* signature = MakeRoutine(*aAst.Heading, 1);
        TType* t = FTypes.NewProcedural(aName.isEmpty() ? QStringLiteral("procedure") : aName);
        t->Signature = signature;
        return t;
    }
    case TAstTypeKind::Subrange: {
        qint64 low = 0;
        qint64 high = 0;
        const TType* lowType = nullptr;
        const TType* highType = nullptr;
        if (!ConstOrdinal(*aAst.Low, low, &lowType) || !ConstOrdinal(*aAst.High, high, &highType))
            return FTypes.Error();
        if (!OrdinalCompatible(lowType, highType)) {
            Error(aAst.High->StartPos(),
                  QStringLiteral("Inkompatible Typen: '%1' und '%2'").arg(lowType->Name, highType->Name));
            return FTypes.Error();
        }
        if (low > high) {
            Error(aAst.Low->StartPos(), QStringLiteral("Die untere Grenze ist größer als die obere"));
            return FTypes.Error();
        }
        const TType* base = lowType->Kind == TTypeKind::Integer ? FTypes.Int64() : lowType->Base;
        const TType* t = FTypes.NewSubrange(base, low, high);
        if (!aName.isEmpty())
            const_cast<TType*>(t)->Name = aName;
        return t;
    }
    case TAstTypeKind::Enum: {
        std::vector<QString> names;
        for (const TAstName& n : aAst.EnumNames)
            names.push_back(n.Name);
        QString display = aName;
        if (display.isEmpty())
            display = QStringLiteral("(%1)").arg(
                QStringList(names.begin(), names.end()).join(QStringLiteral(", ")));
        TType* t = FTypes.NewEnum(display, names);
        for (std::size_t i = 0; i < aAst.EnumNames.size(); ++i) {
            TSymbol* sym = Declare(TSymKind::Const, aAst.EnumNames[i]);
            sym->Type = t;
            sym->Value = TValue::FromInt(qint64(i));
        }
        return t;
    }
    case TAstTypeKind::Array: {
        const TType* element = ResolveType(*aAst.Element);
        if (aAst.Indexes.empty()) {
            const TType* t = FTypes.NewDynArray(element);
            if (!aName.isEmpty())
                const_cast<TType*>(t)->Name = aName;
            return t;
        }
        const TType* t = element;
        for (auto it = aAst.Indexes.rbegin(); it != aAst.Indexes.rend(); ++it) {
            const TType* index = ResolveIndexType(**it);
            if (index->IsError() || t->IsError())
                return FTypes.Error();
            const qint64 count = index->Count();
            const qint64 limit = FLimits.MaxStringOrArrayBytes;
            if (count > limit / qint64(sizeof(TValue)) || count * std::max<qint64>(1, t->Size) > limit) {
                Error((*it)->Pos, QStringLiteral("Datentyp zu groß: mehr als %1 MB").arg(limit >> 20));
                return FTypes.Error();
            }
            t = FTypes.NewStaticArray(index, t);
        }
        if (!aName.isEmpty())
            const_cast<TType*>(t)->Name = aName;
        return t;
    }
    case TAstTypeKind::Record: {
        TType* t = FTypes.New(TTypeKind::Record, aName.isEmpty() ? QStringLiteral("record") : aName);
        QSet<QString> seen;
        for (const TAstFieldGroup& g : aAst.Fields) {
            const TType* ft = ResolveType(*g.Type);
            for (const TAstName& n : g.Names) {
                if (seen.contains(n.Lower))
                    Error(n.Pos, QStringLiteral("Bezeichner doppelt deklariert: '%1'").arg(n.Name));
                seen.insert(n.Lower);
                t->Fields.push_back({n.Name, n.Lower, ft});
            }
        }
        FTypes.FinishRecord(t);
        return t;
    }
    case TAstTypeKind::Set: {
        const TType* element = ResolveType(*aAst.Element);
        if (element->IsError())
            return element;
        if (!element->IsOrdinal() || element->Low < 0 || element->High > 255) {
            Error(aAst.Element->Pos,
                  QStringLiteral("Mengen gibt es nur über Ordinaltypen mit Werten von 0 bis 255"));
            return FTypes.Error();
        }
        const TType* t = FTypes.NewSet(element);
        if (!aName.isEmpty())
            const_cast<TType*>(t)->Name = aName;
        return t;
    }
    case TAstTypeKind::Class: {
        TSymbol* parent = FScope->Lookup(aAst.ParentName.Lower);
        if (parent == nullptr || parent->Kind != TSymKind::Type || parent->Type->Kind != TTypeKind::Class) {
            Error(aAst.ParentName.Pos,
                  QStringLiteral("Klassen werden nicht unterstützt, nur Ausnahmeklassen: '%1' ist keine")
                      .arg(aAst.ParentName.Name));
            return FTypes.Error();
        }
        return FTypes.NewClass(aName.isEmpty() ? QStringLiteral("class") : aName, parent->Type);
    }
    }
    return FTypes.Error();
}

const TType* TChecker::ResolveIndexType(const TAstType& aAst)
{
    const TType* t = ResolveType(aAst);
    if (t->IsError())
        return t;
    if (!t->IsOrdinal()) {
        Error(aAst.Pos, QStringLiteral("Ordinaltyp erforderlich"));
        return FTypes.Error();
    }
    if (t->Kind == TTypeKind::Integer && t->High - t->Low > (qint64(1) << 32)) {
        Error(aAst.Pos, QStringLiteral("Datentyp zu groß: der Index '%1' hat zu viele Werte").arg(t->Name));
        return FTypes.Error();
    }
    return t;
}

bool TChecker::ConstOrdinal(const TAstExpr& aExpr, qint64& aValue, const TType** aType)
{
    PExpr e = CheckExpr(aExpr);
    if (e->Type->IsError())
        return false;
    const TValue* v = e->ConstValue();
    if (v == nullptr || !e->Type->IsOrdinal()) {
        Error(aExpr.StartPos(),
              v ? QStringLiteral("Ordinaltyp erforderlich") : QStringLiteral("Konstantenausdruck erwartet"));
        return false;
    }
    aValue = v->I;
    if (aType)
        *aType = e->Type;
    return true;
}

TValue TChecker::ConstInit(const TAstExpr& aInit, const TType* aType)
{
    TValue result = aType->Default;
    if (aType->IsError())
        return result;
    if (aType->Kind == TTypeKind::StaticArray) {
        const qint64 count = aType->Count();
        if (aInit.Kind == TAstExprKind::StrLit && aType->Element->Kind == TTypeKind::Char) {
            if (aInit.Str.size() != count) {
                Error(aInit.Pos,
                      QStringLiteral("Anzahl der Elemente (%1) weicht von der Deklaration (%2) ab")
                          .arg(aInit.Str.size())
                          .arg(count));
                return result;
            }
            TArrRec* rec = UniqueArr(result);
            for (qint64 i = 0; i < count; ++i)
                rec->Items()[i].I = static_cast<unsigned char>(aInit.Str.at(qsizetype(i)));
            return result;
        }
        if (aInit.Kind != TAstExprKind::InitList) {
            Error(aInit.Pos,
                  QStringLiteral("'(' erwartet: ein Array wird mit (Wert, Wert, ...) initialisiert"));
            return result;
        }
        if (qint64(aInit.Args.size()) != count) {
            Error(aInit.Pos,
                  QStringLiteral("Anzahl der Elemente (%1) weicht von der Deklaration (%2) ab")
                      .arg(aInit.Args.size())
                      .arg(count));
            return result;
        }
        TArrRec* rec = UniqueArr(result);
        for (qint64 i = 0; i < count; ++i)
            rec->Items()[i] = ConstInit(*aInit.Args[std::size_t(i)], aType->Element);
        return result;
    }
    if (aType->Kind == TTypeKind::Record) {
        if (aInit.Kind != TAstExprKind::InitRecord) {
            Error(aInit.Pos,
                  QStringLiteral("'(' erwartet: ein Record wird mit (Feld: Wert; ...) initialisiert"));
            return result;
        }
        TArrRec* rec = UniqueArr(result);
        for (std::size_t i = 0; i < aInit.FieldNames.size(); ++i) {
            const TAstName& n = aInit.FieldNames[i];
            std::size_t f = 0;
            while (f < aType->Fields.size() && aType->Fields[f].Lower != n.Lower)
                ++f;
            if (f == aType->Fields.size()) {
                Error(n.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(n.Name));
                continue;
            }
            rec->Items()[f] = ConstInit(*aInit.Args[i], aType->Fields[f].Type);
        }
        return result;
    }
    if (aType->Kind == TTypeKind::DynArray
        && (aInit.Kind == TAstExprKind::InitList || aInit.Kind == TAstExprKind::SetCtor)) {
        if (aInit.Args.empty())
            return result;
        TValue arr = TValue::FromArr(NewArr(qint64(aInit.Args.size()), aType->Element->Default));
        for (std::size_t i = 0; i < aInit.Args.size(); ++i)
            arr.A->Items()[i] = ConstInit(*aInit.Args[i], aType->Element);
        return arr;
    }
    const TAstExpr* init = &aInit;
    if (init->Kind == TAstExprKind::InitList && init->Args.size() == 1)
        init = init->Args.front().get();
    if (init->Kind == TAstExprKind::InitList || init->Kind == TAstExprKind::InitRecord) {
        Error(init->Pos, QStringLiteral("Ausdruck erwartet, aber eine Liste gefunden"));
        return result;
    }
    PExpr e = Convert(CheckExpr(*init, aType), aType, init->StartPos());
    if (e->Type->IsError())
        return result;
    if (!IsConst(*e)) {
        Error(init->StartPos(), QStringLiteral("Konstantenausdruck erwartet"));
        return result;
    }
    StoreConverted(result, TValue(*e->ConstValue()), aType);
    return result;
}

} // namespace pascal
