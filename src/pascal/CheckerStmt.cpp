#include "pascal/Checker.h"

#include "pascal/AccessNodes.h"
#include "pascal/CompileGuard.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/StmtNodes.h"
#include "pascal/StringListNodes.h"
#include "pascal/StringNodes.h"
#include "pascal/VarNodes.h"

#include <algorithm>
#include <map>

namespace pascal {

PStmt TChecker::CheckStmt(const TAstStmt& aStmt)
{
    TCompileGuard::EnsureStack(aStmt.Pos);
    TCompileGuard::Tick(aStmt.Pos);
    switch (aStmt.Kind) {
    case TAstStmtKind::Empty: return nullptr;
    case TAstStmtKind::Assign: return CheckAssign(aStmt);
    case TAstStmtKind::Call: return CheckCallStmt(aStmt);
    case TAstStmtKind::Compound: return CheckBlockStmts(aStmt.Body, aStmt.Pos);
    case TAstStmtKind::If: return CheckIf(aStmt);
    case TAstStmtKind::Case: return CheckCase(aStmt);
    case TAstStmtKind::For: return CheckFor(aStmt);
    case TAstStmtKind::ForIn: return CheckForIn(aStmt);
    case TAstStmtKind::While: return CheckWhile(aStmt);
    case TAstStmtKind::Repeat: return CheckRepeat(aStmt);
    case TAstStmtKind::TryExcept: return CheckTryExcept(aStmt);
    case TAstStmtKind::TryFinally: return CheckTryFinally(aStmt);
    case TAstStmtKind::Raise: return CheckRaise(aStmt);
    case TAstStmtKind::With: return CheckWith(aStmt);
    }
    return nullptr;
}

PStmt TChecker::CheckBlockStmts(const std::vector<PAstStmt>& aBody, TSourcePos aPos)
{
    std::vector<PStmt> body;
    for (const PAstStmt& s : aBody)
        if (PStmt n = CheckStmt(*s))
            body.push_back(std::move(n));
    if (body.size() == 1)
        return std::move(body.front());
    return std::make_unique<TCompoundNode>(aPos, std::move(body));
}

PExpr TChecker::CheckCondition(const TAstExpr& aExpr)
{
    PExpr e = CheckExpr(aExpr);
    if (!e->Type->IsError() && e->Type->Kind != TTypeKind::Boolean) {
        Incompatible(aExpr.StartPos(), FTypes.Boolean(), *e);
        return ErrorExpr(aExpr.Pos);
    }
    return e;
}

void TChecker::MarkWritten(TSymbol* aSymbol, TSourcePos aPos)
{
    aSymbol->Written = true;
    aSymbol->Writes.push_back(aPos);
}

TSymbol* TChecker::RootSymbol(const TAstExpr& aExpr)
{
    const TAstExpr* e = &aExpr;
    while ((e->Kind == TAstExprKind::Index || e->Kind == TAstExprKind::Field) && e->Left)
        e = e->Left.get();
    if (e->Kind != TAstExprKind::Ident)
        return nullptr;
    if (FWithVisible > 0)
        if (const TAstExpr* base = WithBase(e->Name)) {
            const std::size_t visible = FWithVisible;
            FWithVisible = 0; // a designator never names a field of its own record
            TSymbol* root = RootSymbol(*base);
            FWithVisible = visible;
            return root;
        }
    TSymbol* sym = FScope->Lookup(e->Name.Lower);
    return sym && sym->Kind == TSymKind::Var ? sym : nullptr;
}

// The place an assignment or a var argument writes to.
PExpr TChecker::CheckTarget(const TAstExpr& aExpr, TSymbol** aRoot)
{
    if (aRoot)
        *aRoot = nullptr;
    if (aExpr.Kind == TAstExprKind::Ident && FWithVisible > 0) {
        if (const TAstExpr* base = WithBase(aExpr.Name)) {
            TSymbol* root = RootSymbol(*base);
            if (aRoot)
                *aRoot = root;
            if (root)
                root->Written = true;
            return WithField(aExpr.Name);
        }
    }
    if (aExpr.Kind == TAstExprKind::Ident) {
        TSymbol* sym = Resolve(aExpr.Name);
        if (sym == nullptr)
            return ErrorExpr(aExpr.Pos);
        if (sym->Kind == TSymKind::Routine && sym->Routine->IsFunction) {
            // inside a function its name stands for its result
            for (TRoutineCtx* c = FCtx; c; c = c->Outer)
                if (c->Symbol == sym && c->Result) {
                    MarkWritten(c->Result, aExpr.Pos);
                    return VarNode(c->Result, aExpr.Pos);
                }
        }
        if (sym->Kind != TSymKind::Var) {
            Error(aExpr.Pos, QStringLiteral("Der linken Seite kann nichts zugewiesen werden"));
            return ErrorExpr(aExpr.Pos);
        }
        if (aRoot)
            *aRoot = sym;
        MarkWritten(sym, aExpr.Pos);
        return VarNode(sym, aExpr.Pos);
    }
    TSymbol* root = RootSymbol(aExpr);
    if (aRoot)
        *aRoot = root;
    PExpr e = CheckExpr(aExpr);
    if (root)
        root->Written = true;
    return e;
}

PStmt TChecker::CheckAssign(const TAstStmt& aStmt)
{
    TSymbol* root = nullptr;
    PExpr target = CheckTarget(*aStmt.Target, &root);
    const TSourcePos pos = aStmt.Target->StartPos();
    if (target->Type->IsError()) {
        CheckExpr(*aStmt.Expr);
        return nullptr;
    }
    // list.Strings[i] := ..., list.Delimiter := ...: a list is a reference, so even a const
    // parameter's list may be changed
    if (dynamic_cast<TListNode*>(target.get()))
        return ListSetter(std::move(target), *aStmt.Expr, pos);
    if (root && root->ReadOnly) {
        Error(pos,
              QStringLiteral("Der linken Seite kann nichts zugewiesen werden (const-Parameter '%1')")
                  .arg(root->Name));
        return nullptr;
    }
    if (target->Type->OpenArray && aStmt.Target->Kind == TAstExprKind::Ident) {
        Error(pos, QStringLiteral("Einem offenen Array-Parameter kann kein ganzes Array zugewiesen werden"));
        return nullptr;
    }
    if (root && root->LoopActive && aStmt.Target->Kind == TAstExprKind::Ident) {
        Error(
            pos,
            QStringLiteral("Der FOR-Schleifenvariablen '%1' kann nichts zugewiesen werden").arg(root->Name));
        return nullptr;
    }
    if (auto* ch = dynamic_cast<TStrIndexNode*>(target.get())) {
        if (!ch->Base->IsLValue) {
            Error(pos, QStringLiteral("Der linken Seite kann nichts zugewiesen werden"));
            return nullptr;
        }
        PExpr value = Convert(CheckExpr(*aStmt.Expr, FTypes.Char()), FTypes.Char(), aStmt.Expr->StartPos());
        return std::make_unique<TAssignCharNode>(pos, std::move(ch->Base), std::move(ch->Index),
                                                 std::move(value));
    }
    if (auto* prop = dynamic_cast<TExcPropertyNode*>(target.get())) {
        if (prop->What != TExcPropertyNode::TWhat::Message) {
            Error(pos, QStringLiteral("Der linken Seite kann nichts zugewiesen werden"));
            return nullptr;
        }
        PExpr value =
            Convert(CheckExpr(*aStmt.Expr, FTypes.String()), FTypes.String(), aStmt.Expr->StartPos());
        return std::make_unique<TExcSetMessageNode>(pos, std::move(prop->Object), std::move(value));
    }
    if (!target->IsLValue) {
        Error(pos, QStringLiteral("Der linken Seite kann nichts zugewiesen werden"));
        CheckExpr(*aStmt.Expr);
        return nullptr;
    }
    if (target->Type->Kind == TTypeKind::String && target->Type->High == 0
        && aStmt.Target->Kind == TAstExprKind::Ident)
        if (PStmt append = MakeAppend(pos, *aStmt.Target, root, *aStmt.Expr))
            return append;
    PExpr value = Convert(CheckExpr(*aStmt.Expr, target->Type), target->Type, aStmt.Expr->StartPos());
    return std::make_unique<TAssignNode>(pos, std::move(target), std::move(value));
}

// s := s + x + y: the parts after the leading s are appended in place.
PStmt TChecker::MakeAppend(TSourcePos aPos, const TAstExpr& aTarget, TSymbol* aRoot, const TAstExpr& aValue)
{
    if (aRoot == nullptr || aValue.Kind != TAstExprKind::Binary || aValue.Op != TTokenKind::Plus)
        return nullptr;
    std::vector<const TAstExpr*> operands;
    const TAstExpr* e = &aValue;
    while (e->Kind == TAstExprKind::Binary && e->Op == TTokenKind::Plus) {
        operands.push_back(e->Right.get());
        e = e->Left.get();
    }
    if (e->Kind != TAstExprKind::Ident || e->Name.Lower != aTarget.Name.Lower)
        return nullptr;
    std::reverse(operands.begin(), operands.end());
    std::vector<PExpr> parts;
    for (const TAstExpr* o : operands) {
        PExpr p = CheckExpr(*o);
        if (p->Type->IsError())
            return std::make_unique<TCompoundNode>(aPos, std::vector<PStmt>());
        if (!p->Type->IsStringLike()) {
            Incompatible(o->StartPos(), FTypes.String(), *p);
            return std::make_unique<TCompoundNode>(aPos, std::vector<PStmt>());
        }
        parts.push_back(std::move(p));
    }
    if (!aRoot->Read)
        aRoot->FirstRead = e->Pos;
    aRoot->Read = true;
    return std::make_unique<TAppendNode>(aPos, VarNode(aRoot, aPos), std::move(parts));
}

PStmt TChecker::CheckCallStmt(const TAstStmt& aStmt)
{
    const TAstExpr& e = *aStmt.Expr;
    PExpr node;
    if (e.Kind == TAstExprKind::Call) {
        // Exit, Break and Continue steer the flow and are statements of their own
        if (e.Left->Kind == TAstExprKind::Ident) {
            TSymbol* sym = FScope->Lookup(e.Left->Name.Lower);
            if (sym && sym->Kind == TSymKind::Builtin && sym->Builtin == int(TMagic::Exit))
                return CheckExit(e.Args, e.Pos);
            if (sym && sym->Kind == TSymKind::Builtin && sym->Builtin == int(TMagic::Halt)) {
                for (const PAstExpr& a : e.Args)
                    CheckExpr(*a);
                return std::make_unique<THaltNode>(e.Pos);
            }
        }
        node = CheckCall(*e.Left, e.Args, e.Pos, true, true);
    } else if (e.Kind == TAstExprKind::Ident) {
        TSymbol* sym = FScope->Lookup(e.Name.Lower);
        if (sym && sym->Kind == TSymKind::Builtin) {
            const TMagic m = TMagic(sym->Builtin);
            if (m == TMagic::Exit)
                return CheckExit({}, e.Pos);
            if (m == TMagic::Halt)
                return std::make_unique<THaltNode>(e.Pos);
            if (m == TMagic::Break || m == TMagic::Continue) {
                if (FCtx->Loops == 0) {
                    Error(e.Pos, QStringLiteral("BREAK oder CONTINUE außerhalb einer Schleife"));
                    return nullptr;
                }
                return std::make_unique<TFlowNode>(e.Pos,
                                                   m == TMagic::Break ? TFlow::Break : TFlow::Continue);
            }
        }
        node = CheckCall(e, {}, e.Pos, false, true);
    } else if (e.Kind == TAstExprKind::Field) {
        node = CheckMember(e, nullptr, e.Pos);
    } else {
        PExpr value = CheckExpr(e);
        if (!value->Type->IsError())
            Error(e.StartPos(),
                  QStringLiteral("Anweisung erwartet, aber Ausdruck vom Typ '%1' gefunden")
                      .arg(TypeName(*value)));
        return nullptr;
    }
    if (!node || node->Type->IsError())
        return nullptr;
    return std::make_unique<TExprStmt>(std::move(node));
}

PStmt TChecker::CheckExit(const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    if (aArgs.empty())
        return std::make_unique<TFlowNode>(aPos, TFlow::Exit);
    if (aArgs.size() > 1) {
        Error(aArgs[1]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return nullptr;
    }
    if (FCtx->Result == nullptr) {
        Error(aArgs[0]->StartPos(), QStringLiteral("Exit mit einem Wert gibt es nur in Funktionen"));
        return nullptr;
    }
    TSymbol* result = FCtx->Result;
    PExpr value = Convert(CheckExpr(*aArgs[0], result->Type), result->Type, aArgs[0]->StartPos());
    FCtx->ExitWithValue = true;
    result->Written = true;
    PStmt assign = std::make_unique<TAssignNode>(aPos, VarNode(result, aPos), std::move(value));
    return std::make_unique<TFlowNode>(aPos, TFlow::Exit, std::move(assign));
}

PStmt TChecker::CheckWith(const TAstStmt& aStmt)
{
    PExpr record = CheckExpr(*aStmt.Expr);
    if (record->Type->IsError())
        return aStmt.Then ? CheckStmt(*aStmt.Then) : nullptr;
    if (record->Type->Kind != TTypeKind::Record) {
        Error(aStmt.Expr->StartPos(), QStringLiteral("Record erforderlich: 'with' gibt es nur für Records"));
        return nullptr;
    }
    // the record's designator is checked again at every use of a field: cheap, and each use
    // gets nodes of its own
    const std::size_t visible = FWithVisible;
    FWiths.resize(visible);
    FWiths.push_back({aStmt.Expr.get(), record->Type});
    FWithVisible = FWiths.size();
    PStmt body = aStmt.Then ? CheckStmt(*aStmt.Then) : nullptr;
    FWiths.pop_back();
    FWithVisible = visible;
    return body;
}

// The with record that has a field aName, if any.
const TAstExpr* TChecker::WithBase(const TAstName& aName)
{
    for (std::size_t i = FWithVisible; i-- > 0;)
        for (const TField& f : FWiths[i].Type->Fields)
            if (f.Lower == aName.Lower)
                return FWiths[i].Record;
    return nullptr;
}

// A bare name that is a field of a with record: the field node; else null.
PExpr TChecker::WithField(const TAstName& aName)
{
    for (std::size_t i = FWithVisible; i-- > 0;) {
        const TType* t = FWiths[i].Type;
        for (std::size_t f = 0; f < t->Fields.size(); ++f) {
            if (t->Fields[f].Lower != aName.Lower)
                continue;
            const std::size_t visible = FWithVisible;
            FWithVisible = i; // the designator sees only the with statements around it
            PExpr base = CheckExpr(*FWiths[i].Record);
            FWithVisible = visible;
            if (base->Type->IsError())
                return base;
            return std::make_unique<TFieldNode>(t->Fields[f].Type, aName.Pos, std::move(base), int(f));
        }
    }
    return nullptr;
}

PStmt TChecker::CheckIf(const TAstStmt& aStmt)
{
    // An else-if chain is checked link by link in a loop, then built from its end.
    struct TLink
    {
        TSourcePos Pos;
        PExpr Cond;
        PStmt Then;
    };
    std::vector<TLink> links;
    const TAstStmt* s = &aStmt;
    for (;;) {
        PExpr cond = CheckCondition(*s->Expr);
        PStmt then = s->Then ? CheckStmt(*s->Then) : nullptr;
        links.push_back({s->Pos, std::move(cond), std::move(then)});
        if (!s->Else || s->Else->Kind != TAstStmtKind::If)
            break;
        s = s->Else.get();
    }
    PStmt node = s->Else ? CheckStmt(*s->Else) : nullptr;
    for (auto link = links.rbegin(); link != links.rend(); ++link)
        node = std::make_unique<TIfNode>(link->Pos, std::move(link->Cond), std::move(link->Then),
                                         std::move(node));
    return node;
}

PStmt TChecker::CheckCase(const TAstStmt& aStmt)
{
    PExpr selector = CheckExpr(*aStmt.Expr);
    const TType* st = selector->Type;
    const bool isString = st->Kind == TTypeKind::String;
    if (!st->IsError() && !st->IsOrdinal() && !isString) {
        Error(aStmt.Expr->StartPos(), QStringLiteral("Ordinaltyp erforderlich"));
        st = FTypes.Error();
    }
    std::vector<TCaseNode::TRange> ranges;
    std::vector<TStrCaseNode::TLabel> labels;
    std::vector<PStmt> branches;
    std::map<qint64, qint64> taken; // low -> high of every label range so far
    auto label = [&](const TAstExpr& aLabel, TValue& aValue) -> bool {
        PExpr e = CheckExpr(aLabel);
        if (e->Type->IsError() || st->IsError())
            return false;
        if (!IsConst(*e)) {
            Error(aLabel.StartPos(), QStringLiteral("Konstantenausdruck erwartet"));
            return false;
        }
        if (isString) {
            if (!e->Type->IsStringLike()) {
                Incompatible(aLabel.StartPos(), st, *e);
                return false;
            }
            e = Convert(std::move(e), FTypes.String(), aLabel.StartPos());
        } else if (!OrdinalCompatible(st, e->Type)) {
            Incompatible(aLabel.StartPos(), st, *e);
            return false;
        }
        aValue = *e->ConstValue();
        return true;
    };
    for (const TAstCaseBranch& b : aStmt.Branches) {
        const int index = int(branches.size());
        for (const PAstExpr& l : b.Labels) {
            const bool range = l->Kind == TAstExprKind::Range;
            TValue low;
            TValue high;
            if (!label(range ? *l->Left : *l, low))
                continue;
            if (range && !label(*l->Right, high))
                continue;
            if (!range)
                high = low;
            if (isString) {
                labels.push_back({low.Str(), high.Str(), index});
                continue;
            }
            if (low.I > high.I) {
                Error(l->Pos, QStringLiteral("Die untere Grenze ist größer als die obere"));
                continue;
            }
            // The labels so far are disjoint ranges: only the last one starting at or before
            // this one's end can overlap it.
            auto next = taken.upper_bound(high.I);
            if (next != taken.begin() && std::prev(next)->second >= low.I) {
                Error(l->StartPos(), QStringLiteral("Doppelte case-Marke"));
                continue;
            }
            taken.emplace(low.I, high.I);
            ranges.push_back({low.I, high.I, index});
        }
        branches.push_back(b.Body ? CheckStmt(*b.Body) : nullptr);
    }
    PStmt otherwise;
    if (aStmt.HasElse)
        otherwise = CheckBlockStmts(aStmt.ElseBody, aStmt.Pos);
    if (isString)
        return std::make_unique<TStrCaseNode>(aStmt.Pos, std::move(selector), std::move(labels),
                                              std::move(branches), std::move(otherwise));
    return std::make_unique<TCaseNode>(aStmt.Pos, std::move(selector), std::move(ranges), std::move(branches),
                                       std::move(otherwise));
}

PStmt TChecker::CheckFor(const TAstStmt& aStmt)
{
    TSymbol* sym = Resolve(aStmt.Target->Name);
    PExpr from = CheckExpr(*aStmt.Expr);
    PExpr to = CheckExpr(*aStmt.Expr2);
    if (sym == nullptr)
        return nullptr;
    if (sym->Kind != TSymKind::Var || sym->ByRef || !sym->Type->IsOrdinal()) {
        if (!sym->Type || !sym->Type->IsError())
            Error(aStmt.Target->Pos,
                  QStringLiteral(
                      "Die FOR-Schleifenvariable muss eine einfache Variable eines Ordinaltyps sein"));
        return nullptr;
    }
    if (sym->LoopActive) {
        Error(aStmt.Target->Pos,
              QStringLiteral("Der FOR-Schleifenvariablen '%1' kann nichts zugewiesen werden").arg(sym->Name));
        return nullptr;
    }
    PExpr var = VarNode(sym, aStmt.Target->Pos);
    sym->Read = sym->Written = true;
    for (PExpr* bound : {&from, &to}) {
        if ((*bound)->Type->IsError())
            continue;
        if (!OrdinalCompatible(sym->Type, (*bound)->Type)) {
            Incompatible((*bound)->Pos, sym->Type, **bound);
            *bound = ErrorExpr((*bound)->Pos);
        }
    }
    sym->LoopActive = true;
    ++FCtx->Loops;
    PStmt body = aStmt.Then ? CheckStmt(*aStmt.Then) : nullptr;
    --FCtx->Loops;
    sym->LoopActive = false;
    return std::make_unique<TForNode>(aStmt.Pos, std::move(var), std::move(from), std::move(to), aStmt.Down,
                                      std::move(body));
}

PStmt TChecker::CheckForIn(const TAstStmt& aStmt)
{
    TSymbol* sym = Resolve(aStmt.Target->Name);
    PExpr collection = CheckExpr(*aStmt.Expr);
    if (sym == nullptr || collection->Type->IsError())
        return nullptr;
    if (sym->Kind != TSymKind::Var || sym->ByRef) {
        Error(aStmt.Target->Pos, QStringLiteral("Die Schleifenvariable muss eine einfache Variable sein"));
        return nullptr;
    }
    const TType* ct = collection->Type;
    const TType* element = ct->Kind == TTypeKind::String ? FTypes.Char()
        : ct->Kind == TTypeKind::StringList              ? FTypes.String()
        : ct->IsArray() || ct->Kind == TTypeKind::Set    ? ct->Element
                                                         : nullptr;
    if (element == nullptr) {
        Error(aStmt.Expr->StartPos(),
              QStringLiteral("for-in braucht einen String, ein Array, eine Menge oder eine TStringList"));
        return nullptr;
    }
    const bool fits = ct->Kind == TTypeKind::Set || ct->Kind == TTypeKind::String
        ? OrdinalCompatible(sym->Type, element)
        : SameType(sym->Type, element) || (sym->Type->IsNumeric() && element->IsInteger());
    if (!fits) {
        Error(aStmt.Target->Pos,
              QStringLiteral("Inkompatible Typen: '%1' und '%2'").arg(sym->Type->Name, element->Name));
        return nullptr;
    }
    PExpr var = VarNode(sym, aStmt.Target->Pos);
    sym->Read = sym->Written = true;
    sym->LoopActive = true;
    ++FCtx->Loops;
    PStmt body = aStmt.Then ? CheckStmt(*aStmt.Then) : nullptr;
    --FCtx->Loops;
    sym->LoopActive = false;
    return std::make_unique<TForInNode>(aStmt.Pos, std::move(var), std::move(collection), std::move(body));
}

PStmt TChecker::CheckWhile(const TAstStmt& aStmt)
{
    PExpr cond = CheckCondition(*aStmt.Expr);
    ++FCtx->Loops;
    PStmt body = aStmt.Then ? CheckStmt(*aStmt.Then) : nullptr;
    --FCtx->Loops;
    return std::make_unique<TWhileNode>(aStmt.Pos, std::move(cond), std::move(body));
}

PStmt TChecker::CheckRepeat(const TAstStmt& aStmt)
{
    ++FCtx->Loops;
    std::vector<PStmt> body;
    for (const PAstStmt& s : aStmt.Body)
        if (PStmt n = CheckStmt(*s))
            body.push_back(std::move(n));
    --FCtx->Loops;
    PExpr cond = CheckCondition(*aStmt.Expr);
    return std::make_unique<TRepeatNode>(aStmt.Pos, std::move(body), std::move(cond));
}

PStmt TChecker::CheckTryExcept(const TAstStmt& aStmt)
{
    PStmt body = CheckBlockStmts(aStmt.Body, aStmt.Pos);
    std::vector<TTryExceptNode::THandler> handlers;
    for (const TAstHandler& h : aStmt.Handlers) {
        TTryExceptNode::THandler handler;
        TSymbol* cls = Resolve(h.ClassName);
        if (cls && (cls->Kind != TSymKind::Type || cls->Type->Kind != TTypeKind::Class)) {
            Error(h.ClassName.Pos,
                  QStringLiteral("Ausnahmeklasse erwartet, aber '%1' gefunden").arg(h.ClassName.Name));
            cls = nullptr;
        }
        const TType* type = cls ? cls->Type : FTypes.ExceptionType();
        handler.Class = type->Class;
        PushScope();
        if (!h.Var.Name.isEmpty()) {
            TSymbol* var = Declare(TSymKind::Var, h.Var);
            var->Type = type;
            var->Level = FCtx->Level;
            var->Slot = AllocSlot(type);
            var->Read = var->Written = true;
            handler.Var = VarNode(var, h.Var.Pos);
        }
        handler.Body = h.Body ? CheckStmt(*h.Body) : nullptr;
        PopScope();
        if (cls)
            handlers.push_back(std::move(handler));
    }
    PStmt otherwise;
    const bool catchAll = aStmt.Handlers.empty();
    if (catchAll)
        otherwise = CheckBlockStmts(aStmt.Handler, aStmt.Pos);
    else if (aStmt.HasElse)
        otherwise = CheckBlockStmts(aStmt.ElseBody, aStmt.Pos);
    return std::make_unique<TTryExceptNode>(aStmt.Pos, std::move(body), std::move(handlers),
                                            std::move(otherwise), catchAll);
}

PStmt TChecker::CheckTryFinally(const TAstStmt& aStmt)
{
    PStmt body = CheckBlockStmts(aStmt.Body, aStmt.Pos);
    PStmt fin = CheckBlockStmts(aStmt.Handler, aStmt.Pos);
    return std::make_unique<TTryFinallyNode>(aStmt.Pos, std::move(body), std::move(fin));
}

PStmt TChecker::CheckRaise(const TAstStmt& aStmt)
{
    if (!aStmt.Expr)
        return std::make_unique<TRaiseNode>(aStmt.Pos, nullptr);
    PExpr object = CheckExpr(*aStmt.Expr);
    if (object->Type->IsError())
        return nullptr;
    if (object->Type->Kind != TTypeKind::Class) {
        Error(aStmt.Expr->StartPos(),
              QStringLiteral("Ausnahmeobjekt erwartet, aber Ausdruck vom Typ '%1' gefunden")
                  .arg(TypeName(*object)));
        return nullptr;
    }
    return std::make_unique<TRaiseNode>(aStmt.Pos, std::move(object));
}

} // namespace pascal
