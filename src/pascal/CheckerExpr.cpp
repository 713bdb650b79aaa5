#include "pascal/Checker.h"

#include "pascal/AccessNodes.h"
#include "pascal/ArithNodes.h"
#include "pascal/BuiltinNodes.h"
#include "pascal/CompileGuard.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/HeapValues.h"
#include "pascal/SetNodes.h"
#include "pascal/StringListNodes.h"
#include "pascal/StringNodes.h"
#include "pascal/VarNodes.h"

#include <utility>

namespace pascal {

namespace {
// Levels of a deep expression between two looks at the stack while it runs.
constexpr int kStackGuardLevels = 64;
} // namespace

// ---- entry -------------------------------------------------------------------------------

PExpr TChecker::CheckExpr(const TAstExpr& aExpr, const TType* aExpected)
{
    TCompileGuard::EnsureStack(aExpr.Pos);
    TCompileGuard::Tick(aExpr.Pos);
    if (aExpected && aExpected->Kind == TTypeKind::Procedural && aExpr.Kind == TAstExprKind::Ident)
        if (TSymbol* sym = FScope->Lookup(aExpr.Name.Lower); sym && sym->Kind == TSymKind::Routine)
            return RoutineValue(sym, aExpected, aExpr.Pos);
    PExpr e;
    switch (aExpr.Kind) {
    case TAstExprKind::IntLit: return MakeIntConst(aExpr.Int, aExpr.Pos);
    case TAstExprKind::QWordLit: return MakeConst(FTypes.QWord(), aExpr.Pos, TValue::FromInt(aExpr.Int));
    case TAstExprKind::RealLit: return MakeConst(FTypes.Double(), aExpr.Pos, TValue::FromReal(aExpr.Real));
    case TAstExprKind::StrLit:
        if (aExpr.Str.size() == 1)
            return MakeConst(FTypes.Char(), aExpr.Pos,
                             TValue::FromInt(static_cast<unsigned char>(aExpr.Str.at(0))));
        return MakeConst(FTypes.String(), aExpr.Pos, TValue::FromStr(TStr(aExpr.Str)));
    case TAstExprKind::Nil: {
        TValue v;
        v.K = TVKind::Obj;
        return MakeConst(FTypes.Nil(), aExpr.Pos, v);
    }
    case TAstExprKind::Ident: e = CheckIdent(aExpr); break;
    case TAstExprKind::Unary: e = CheckUnary(aExpr); break;
    case TAstExprKind::Binary:
        e = CheckBinary(aExpr);
        // A long chain is evaluated by recursion as deep as the chain: every so many levels
        // the run makes sure the stack has room for the next ones.
        if (aExpr.Depth % kStackGuardLevels == 0 && !IsConst(*e) && !e->IsLValue && !e->Type->IsError())
            e = std::make_unique<TStackGuardNode>(std::move(e), kStackGuardLevels);
        break;
    case TAstExprKind::Call: e = CheckCall(*aExpr.Left, aExpr.Args, aExpr.Pos, true, false); break;
    case TAstExprKind::Index: e = CheckIndex(aExpr); break;
    case TAstExprKind::Field: e = CheckField(aExpr); break;
    case TAstExprKind::SetCtor:
        if (aExpected && aExpected->Kind == TTypeKind::DynArray)
            e = CheckArrayCtor(aExpr, aExpected);
        else
            e = CheckSetCtor(aExpr, aExpected);
        break;
    case TAstExprKind::Range:
        Error(aExpr.Pos, QStringLiteral("Ein Bereich '..' ist hier nicht erlaubt"));
        return ErrorExpr(aExpr.Pos);
    case TAstExprKind::InitList:
    case TAstExprKind::Formatted:
        Error(aExpr.Pos,
              QStringLiteral("Formatangaben wie x:8:2 gibt es nur bei Str; sonst Format() verwenden"));
        return ErrorExpr(aExpr.Pos);
    case TAstExprKind::InitRecord:
        Error(aExpr.Pos, QStringLiteral("Ausdruck erwartet, aber eine Liste gefunden"));
        return ErrorExpr(aExpr.Pos);
    }
    return RequireValue(std::move(e));
}

PExpr TChecker::RequireValue(PExpr aExpr)
{
    if (aExpr->Type->Kind == TTypeKind::Void) {
        Error(aExpr->Pos,
              QStringLiteral("Ausdruck erwartet, aber ein Prozeduraufruf gefunden (er liefert keinen Wert)"));
        return ErrorExpr(aExpr->Pos);
    }
    return aExpr;
}

PExpr TChecker::VarNode(TSymbol* aSymbol, TSourcePos aPos)
{
    const TType* t = aSymbol->Type;
    if (aSymbol->Level == 0)
        return std::make_unique<TGlobalVarNode>(t, aPos, aSymbol->Slot);
    const int hops = FCtx->Level - aSymbol->Level;
    if (aSymbol->ByRef)
        return std::make_unique<TVarParamNode>(t, aPos, hops, aSymbol->Slot);
    if (hops == 0)
        return std::make_unique<TLocalVarNode>(t, aPos, aSymbol->Slot);
    return std::make_unique<TOuterVarNode>(t, aPos, hops, aSymbol->Slot);
}

PExpr TChecker::CheckIdent(const TAstExpr& aExpr)
{
    if (FWithVisible > 0)
        if (PExpr field = WithField(aExpr.Name))
            return field;
    TSymbol* sym = Resolve(aExpr.Name);
    if (sym == nullptr)
        return ErrorExpr(aExpr.Pos);
    switch (sym->Kind) {
    case TSymKind::Const:
        if (sym->Value.K == TVKind::Str) // the shared outermost scope's strings are not shared further
            return MakeConst(sym->Type, aExpr.Pos,
                             TValue::FromStr(TStr(sym->Value.StrData(), sym->Value.StrLength())));
        return MakeConst(sym->Type, aExpr.Pos, sym->Value);
    case TSymKind::Var:
        if (!sym->Read)
            sym->FirstRead = aExpr.Pos;
        sym->Read = true;
        return VarNode(sym, aExpr.Pos);
    case TSymKind::Type:
        Error(aExpr.Pos,
              QStringLiteral("Ausdruck erwartet, aber Typbezeichner '%1' gefunden").arg(aExpr.Name.Name));
        return ErrorExpr(aExpr.Pos);
    case TSymKind::Routine:
    case TSymKind::Builtin: return CheckCall(aExpr, {}, aExpr.Pos, false, false);
    }
    return ErrorExpr(aExpr.Pos);
}

// ---- element access ----------------------------------------------------------------------

PExpr TChecker::CheckIndex(const TAstExpr& aExpr)
{
    // list.Strings[i], list.Values['x']: the property takes the index
    const TAstExpr* indexed = std::exchange(FIndexedBase, aExpr.Left.get());
    PExpr base = CheckExpr(*aExpr.Left);
    FIndexedBase = indexed;
    for (const PAstExpr& index : aExpr.Args) {
        base = IndexOnce(std::move(base), *index, aExpr.Pos);
        if (base->Type->IsError())
            break;
    }
    return base;
}

PExpr TChecker::IndexOnce(PExpr aBase, const TAstExpr& aIndex, TSourcePos aPos)
{
    const TType* t = aBase->Type;
    if (t->IsError())
        return aBase;
    if (auto* list = dynamic_cast<TListNode*>(aBase.get()); list && list->Args.empty()
        && (list->Op == TListOp::Strings || list->Op == TListOp::Names || list->Op == TListOp::Values
            || list->Op == TListOp::ValueFromIndex)) {
        const TType* indexType = list->Op == TListOp::Values ? FTypes.String() : FTypes.Integer();
        PExpr index = Convert(CheckExpr(aIndex, indexType), indexType, aIndex.StartPos());
        if (index->Type->IsError())
            return ErrorExpr(aPos);
        std::vector<PExpr> args;
        args.push_back(std::move(index));
        return std::make_unique<TListNode>(FTypes.String(), aPos, list->Op, std::move(list->List),
                                           std::move(args));
    }
    if (t->Kind == TTypeKind::StringList) { // list[i] is list.Strings[i]
        PExpr index = Convert(CheckExpr(aIndex, FTypes.Integer()), FTypes.Integer(), aIndex.StartPos());
        if (index->Type->IsError())
            return ErrorExpr(aPos);
        std::vector<PExpr> args;
        args.push_back(std::move(index));
        return std::make_unique<TListNode>(FTypes.String(), aPos, TListOp::Strings, std::move(aBase),
                                           std::move(args));
    }
    PExpr index = CheckExpr(aIndex);
    if (index->Type->IsError())
        return ErrorExpr(aPos);
    if (t->Kind == TTypeKind::String || t->Kind == TTypeKind::Char) {
        if (!index->Type->IsInteger()) {
            Incompatible(aIndex.StartPos(), FTypes.Integer(), *index);
            return ErrorExpr(aPos);
        }
        if (t->Kind == TTypeKind::Char)
            aBase = Convert(std::move(aBase), FTypes.String(), aPos);
        const bool fold = IsConst(*aBase) && IsConst(*index);
        PExpr e = std::make_unique<TStrIndexNode>(FTypes.Char(), aPos, std::move(aBase), std::move(index));
        return fold ? Fold(std::move(e)) : std::move(e);
    }
    if (t->Kind == TTypeKind::StaticArray) {
        if (!OrdinalCompatible(t->Index, index->Type)) {
            Incompatible(aIndex.StartPos(), t->Index, *index);
            return ErrorExpr(aPos);
        }
        if (const TValue* v = index->ConstValue())
            if (v->I < t->Low || v->I > t->High) {
                Error(aIndex.StartPos(),
                      QStringLiteral("Index %1 liegt außerhalb des Bereichs %2..%3")
                          .arg(v->I)
                          .arg(t->Low)
                          .arg(t->High));
                return ErrorExpr(aPos);
            }
        return std::make_unique<TIndexNode>(t->Element, aPos, std::move(aBase), std::move(index), t->Low,
                                            true);
    }
    if (t->Kind == TTypeKind::DynArray) {
        if (!index->Type->IsInteger()) {
            Incompatible(aIndex.StartPos(), FTypes.Integer(), *index);
            return ErrorExpr(aPos);
        }
        return std::make_unique<TIndexNode>(t->Element, aPos, std::move(aBase), std::move(index), 0, false);
    }
    Error(aPos, QStringLiteral("Array-Typ erforderlich, aber '%1' gefunden").arg(TypeName(*aBase)));
    return ErrorExpr(aPos);
}

PExpr TChecker::CheckField(const TAstExpr& aExpr)
{
    if (aExpr.Left->Kind == TAstExprKind::Ident) {
        TSymbol* sym = FScope->Lookup(aExpr.Left->Name.Lower);
        if (sym && sym->Kind == TSymKind::Type
            && (sym->Type->Kind == TTypeKind::Class || sym->Type->Kind == TTypeKind::StringList))
            return CheckMember(aExpr, nullptr, aExpr.Pos);
    }
    PExpr base = CheckExpr(*aExpr.Left);
    const TType* t = base->Type;
    if (t->IsError())
        return base;
    if (t->Kind == TTypeKind::StringList)
        return CheckListMember(std::move(base), aExpr, nullptr, aExpr.Pos);
    if (t->Kind == TTypeKind::Class)
        return CheckMember(aExpr, nullptr, aExpr.Pos);
    if (t->Kind != TTypeKind::Record) {
        Error(aExpr.Name.Pos, QStringLiteral("Record, Objekt oder Klassentyp erforderlich"));
        return ErrorExpr(aExpr.Pos);
    }
    for (std::size_t i = 0; i < t->Fields.size(); ++i)
        if (t->Fields[i].Lower == aExpr.Name.Lower)
            return std::make_unique<TFieldNode>(t->Fields[i].Type, aExpr.Pos, std::move(base), int(i));
    Error(aExpr.Name.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(aExpr.Name.Name));
    return ErrorExpr(aExpr.Pos);
}

PExpr TChecker::CheckSetCtor(const TAstExpr& aExpr, const TType* aExpected)
{
    const TType* element = aExpected && aExpected->Kind == TTypeKind::Set ? aExpected->Element : nullptr;
    std::vector<TSetCtorNode::TElement> items;
    bool allConst = true;
    bool failed = false;
    for (const PAstExpr& a : aExpr.Args) {
        TSetCtorNode::TElement item;
        const bool range = a->Kind == TAstExprKind::Range;
        item.Low = CheckExpr(range ? *a->Left : *a);
        if (range)
            item.High = CheckExpr(*a->Right);
        for (const PExpr* p : {&item.Low, &item.High}) {
            if (!*p)
                continue;
            const TType* t = (*p)->Type;
            if (t->IsError()) {
                failed = true;
                continue;
            }
            if (!t->IsOrdinal()) {
                Error((*p)->Pos, QStringLiteral("Ordinaltyp erforderlich"));
                failed = true;
                continue;
            }
            if (element == nullptr)
                element = t->Kind == TTypeKind::Integer ? FTypes.Byte() : t->Base;
            else if (!OrdinalCompatible(element, t)) {
                Incompatible((*p)->Pos, element, **p);
                failed = true;
                continue;
            }
            if (const TValue* v = (*p)->ConstValue()) {
                if (v->I < 0 || v->I > 255) {
                    Error((*p)->Pos,
                          QStringLiteral("Mengenelemente liegen zwischen 0 und 255, nicht bei %1").arg(v->I));
                    failed = true;
                }
            } else {
                allConst = false;
            }
        }
        items.push_back(std::move(item));
    }
    if (failed)
        return ErrorExpr(aExpr.Pos);
    const TType* type = aExpected && aExpected->Kind == TTypeKind::Set
        ? aExpected
        : FTypes.NewSet(element ? element : FTypes.Byte());
    PExpr e = std::make_unique<TSetCtorNode>(type, aExpr.Pos, std::move(items));
    return allConst ? Fold(std::move(e)) : std::move(e);
}

PExpr TChecker::CheckArrayCtor(const TAstExpr& aExpr, const TType* aArrayType)
{
    std::vector<PExpr> items;
    for (const PAstExpr& a : aExpr.Args) {
        if (a->Kind == TAstExprKind::Range) {
            Error(a->Pos, QStringLiteral("Ein Bereich '..' ist in einem Array-Konstruktor nicht erlaubt"));
            return ErrorExpr(aExpr.Pos);
        }
        items.push_back(Convert(CheckExpr(*a, aArrayType->Element), aArrayType->Element, a->StartPos()));
    }
    return std::make_unique<TArrayCtorNode>(aArrayType, aExpr.Pos, std::move(items));
}

// ---- assignment compatibility ------------------------------------------------------------

bool TChecker::SameType(const TType* a, const TType* b) const
{
    if (a == b || a->IsError() || b->IsError())
        return true;
    if (a->Kind != b->Kind)
        return false;
    switch (a->Kind) {
    case TTypeKind::Integer: return a->IntKind == b->IntKind && a->Low == b->Low && a->High == b->High;
    case TTypeKind::Char:
    case TTypeKind::Boolean:
    case TTypeKind::Enum: return a->Base == b->Base && a->Low == b->Low && a->High == b->High;
    case TTypeKind::Real: return a->Single == b->Single && a->Currency == b->Currency;
    case TTypeKind::String: return true;
    case TTypeKind::DynArray: return SameType(a->Element, b->Element);
    case TTypeKind::StaticArray:
        return a->Low == b->Low && a->High == b->High && SameType(a->Element, b->Element);
    case TTypeKind::Set: return OrdinalCompatible(a->Element, b->Element);
    case TTypeKind::Procedural: return SameSignature(*a->Signature, *b->Signature);
    default: return false;
    }
}

// A routine's name where a procedural type is expected: the routine itself, not a call.
PExpr TChecker::RoutineValue(TSymbol* aSymbol, const TType* aType, TSourcePos aPos)
{
    std::vector<TSymbol*> candidates{aSymbol};
    candidates.insert(candidates.end(), aSymbol->Overloads.begin(), aSymbol->Overloads.end());
    for (TSymbol* c : candidates) {
        const TRoutine* r = c->Routine;
        if (!SameSignature(*r, *aType->Signature))
            continue;
        if (r->IsHost || r->Level != 1) {
            Error(
                aPos,
                QStringLiteral("Nur Routinen des Programms selbst (nicht verschachtelte oder Host-Routinen) "
                               "passen in eine Prozedurvariable: '%1'")
                    .arg(aSymbol->Name));
            return ErrorExpr(aPos);
        }
        return MakeConst(aType, aPos, TValue::FromInt(qint64(reinterpret_cast<quintptr>(r))));
    }
    Error(aPos,
          QStringLiteral("'%1' passt nicht zum Prozedurtyp '%2': Parameter oder Ergebnis sind anders")
              .arg(aSymbol->Name, aType->Name));
    return ErrorExpr(aPos);
}

bool TChecker::SameSignature(const TRoutine& a, const TRoutine& b) const
{
    if (a.IsFunction != b.IsFunction || a.Params.size() != b.Params.size()
        || (a.IsFunction && !SameType(a.ResultType, b.ResultType)))
        return false;
    for (std::size_t i = 0; i < a.Params.size(); ++i)
        if (a.Params[i].Mode != b.Params[i].Mode || !SameType(a.Params[i].Type, b.Params[i].Type))
            return false;
    return true;
}

bool TChecker::Assignable(const TType* aTarget, const TExprNode& aSource) const
{
    const TType* s = aSource.Type;
    const TType* t = aTarget;
    if (t == s || t->IsError() || s->IsError())
        return true;
    switch (t->Kind) {
    case TTypeKind::Integer: return s->Kind == TTypeKind::Integer;
    case TTypeKind::Char:
        return s->Kind == TTypeKind::Char
            || (s->Kind == TTypeKind::String && aSource.ConstValue()
                && aSource.ConstValue()->StrLength() == 1);
    case TTypeKind::Boolean:
    case TTypeKind::Enum: return s->Kind == t->Kind && s->Base == t->Base;
    case TTypeKind::Real: return s->Kind == TTypeKind::Real || s->Kind == TTypeKind::Integer;
    case TTypeKind::String: return s->IsStringLike();
    case TTypeKind::StaticArray:
    case TTypeKind::DynArray:
        return s->Kind == TTypeKind::Nil && t->Kind == TTypeKind::DynArray ? true : SameType(t, s);
    case TTypeKind::Record: return false;
    case TTypeKind::Set: return s->Kind == TTypeKind::Set && SameType(t, s);
    case TTypeKind::Class:
        return s->Kind == TTypeKind::Nil || (s->Kind == TTypeKind::Class && s->Class->InheritsFrom(t->Class));
    case TTypeKind::StringList: return s->Kind == TTypeKind::Nil || s->Kind == TTypeKind::StringList;
    case TTypeKind::Procedural: return s->Kind == TTypeKind::Nil || SameType(t, s);
    default: return false;
    }
}

PExpr TChecker::Convert(PExpr aExpr, const TType* aTarget, TSourcePos aPos)
{
    const TType* s = aExpr->Type;
    if (aTarget->IsError() || s->IsError() || aTarget == s)
        return aExpr;
    if (!Assignable(aTarget, *aExpr)) {
        Incompatible(aPos, aTarget, *aExpr);
        return ErrorExpr(aPos);
    }
    const bool isConst = IsConst(*aExpr);
    switch (aTarget->Kind) {
    case TTypeKind::Real:
        if (s->Kind == TTypeKind::Integer) {
            PExpr e = std::make_unique<TIntToRealNode>(aTarget, std::move(aExpr));
            return isConst ? Fold(std::move(e)) : std::move(e);
        }
        break;
    case TTypeKind::String:
        if (s->Kind == TTypeKind::Char) {
            PExpr e = std::make_unique<TCharToStrNode>(aTarget, std::move(aExpr));
            return isConst ? Fold(std::move(e)) : std::move(e);
        }
        break;
    case TTypeKind::Char:
        if (s->Kind == TTypeKind::String)
            return MakeConst(FTypes.Char(), aExpr->Pos,
                             TValue::FromInt(static_cast<unsigned char>(aExpr->ConstValue()->StrData()[0])));
        break;
    case TTypeKind::DynArray:
    case TTypeKind::Class:
        if (s->Kind == TTypeKind::Nil) {
            TValue v = aTarget->Default;
            return MakeConst(aTarget, aExpr->Pos, v);
        }
        break;
    default: break;
    }
    return aExpr;
}

} // namespace pascal
