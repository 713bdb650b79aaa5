#include "pascal/Checker.h"

#include "pascal/BuiltinNodes.h"
#include "pascal/CallNodes.h"
#include "pascal/ExceptionNodes.h"
#include "pascal/StmtNodes.h"
#include "pascal/StringListNodes.h"
#include "pascal/VarNodes.h"

#include <cstring>

namespace pascal {

PExpr TChecker::CheckCall(const TAstExpr& aCallee, const std::vector<PAstExpr>& aArgs, TSourcePos aPos,
                          bool aHasParens, bool aStatement)
{
    if (aCallee.Kind == TAstExprKind::Field)
        return CheckMember(aCallee, &aArgs, aPos);
    if (aCallee.Kind != TAstExprKind::Ident) {
        PExpr callee = CheckExpr(aCallee); // Handlers[i](x)
        if (callee->Type->Kind == TTypeKind::Procedural)
            return CallProcedural(std::move(callee), aArgs, aPos);
        if (!callee->Type->IsError())
            Error(aPos, QStringLiteral("Routine erwartet"));
        return ErrorExpr(aPos);
    }
    TSymbol* sym = Resolve(aCallee.Name);
    if (sym == nullptr) {
        for (const PAstExpr& a : aArgs)
            CheckExpr(*a);
        return ErrorExpr(aPos);
    }
    if (sym->Kind == TSymKind::Var && sym->Type && sym->Type->Kind == TTypeKind::Procedural
        && (aHasParens || aStatement || !aArgs.empty()))
        return CallProcedural(CheckIdent(aCallee), aArgs, aPos);
    switch (sym->Kind) {
    case TSymKind::Type:
        if (aStatement) {
            Error(aPos,
                  QStringLiteral("Anweisung erwartet, aber Typbezeichner '%1' gefunden").arg(sym->Name));
            return ErrorExpr(aPos);
        }
        return Typecast(sym->Type, aArgs, aPos);
    case TSymKind::Routine: return CallRoutine(sym, aArgs, aPos);
    case TSymKind::Builtin:
        if (sym->Builtin >= 1000)
            return CallBuiltinFunc(sym, aArgs, aPos);
        return CheckMagic(TMagic(sym->Builtin), aArgs, aPos, aStatement);
    default: break;
    }
    if (aHasParens) {
        Error(aPos, QStringLiteral("'%1' ist keine Routine und kann nicht aufgerufen werden").arg(sym->Name));
        return ErrorExpr(aPos);
    }
    PExpr value = CheckIdent(aCallee);
    if (aStatement && !value->Type->IsError())
        Error(
            aPos,
            QStringLiteral("Anweisung erwartet, aber Ausdruck vom Typ '%1' gefunden").arg(TypeName(*value)));
    return ErrorExpr(aPos);
}

TSymbol* TChecker::PickOverload(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    // The arguments' own types; a bad argument is reported once, here.
    std::vector<const TType*> types;
    std::vector<bool> lvalues;
    for (const PAstExpr& a : aArgs) {
        if (a->Kind == TAstExprKind::SetCtor) { // [...] is a set or an array by what it is given to
            types.push_back(nullptr);
            lvalues.push_back(false);
            continue;
        }
        const PExpr e = CheckExpr(*a);
        if (e->Type->IsError())
            return nullptr;
        types.push_back(e->Type);
        lvalues.push_back(e->IsLValue);
    }
    // How well a value of type s fits a parameter of type t: 3 the same type, 2 another
    // integer or string type, 1 by conversion, 0 not at all.
    auto fit = [this](const TType* t, const TType* s) {
        if (s == nullptr)
            return t->OpenArray || t->Kind == TTypeKind::DynArray || t->Kind == TTypeKind::Set
                    || t->Kind == TTypeKind::ArrayOfConst
                ? 2
                : 0;
        if (SameType(t, s))
            return 3;
        if ((t->IsInteger() && s->IsInteger()) || (t->IsString() && s->IsStringLike()))
            return 2;
        if ((t->IsReal() && s->IsNumeric()) || (t->Kind == TTypeKind::DynArray && s->Kind == TTypeKind::Nil)
            || (t->Kind == TTypeKind::Class && s->Kind == TTypeKind::Nil)
            || (t->Kind == TTypeKind::StringList && s->Kind == TTypeKind::Nil)
            || (t->OpenArray && s->IsArray() && SameType(t->Element, s->Element)))
            return 1;
        return 0;
    };
    std::vector<TSymbol*> candidates{aSymbol};
    candidates.insert(candidates.end(), aSymbol->Overloads.begin(), aSymbol->Overloads.end());
    TSymbol* best = nullptr;
    int bestScore = -1;
    bool tie = false;
    for (TSymbol* c : candidates) {
        const TRoutine& r = *c->Routine;
        if (types.size() > r.Params.size())
            continue;
        bool viable = true;
        int score = 0;
        for (std::size_t i = 0; viable && i < r.Params.size(); ++i) {
            const TParamInfo& p = r.Params[i];
            if (i >= types.size()) {
                viable = p.Default != nullptr;
                continue;
            }
            const int f = fit(p.Type, types[i]);
            viable = f > 0 && (!p.IsByRef() || (f == 3 && lvalues[i]));
            score += f;
        }
        if (!viable)
            continue;
        if (score > bestScore) {
            best = c;
            bestScore = score;
            tie = false;
        } else if (score == bestScore) {
            tie = true;
        }
    }
    if (best == nullptr)
        Error(aPos,
              QStringLiteral("Keine der überladenen Routinen '%1' passt zu diesen Argumenten")
                  .arg(aSymbol->Name));
    else if (tie)
        Error(aPos,
              QStringLiteral("Mehrdeutiger Aufruf: mehrere überladene Routinen '%1' passen gleich gut")
                  .arg(aSymbol->Name));
    return tie ? nullptr : best;
}

PExpr TChecker::CallProcedural(PExpr aCallee, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    const TRoutine* r = aCallee->Type->Signature;
    if (aArgs.size() > r->Params.size()) {
        Error(aArgs[r->Params.size()]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aPos);
    }
    if (aArgs.size() < r->Params.size()) {
        Error(aPos, QStringLiteral("Nicht genügend wirkliche Parameter"));
        return ErrorExpr(aPos);
    }
    std::vector<PExpr> args;
    for (std::size_t i = 0; i < r->Params.size(); ++i) {
        args.push_back(CheckArgument(r->Params[i], *aArgs[i]));
        if (args.back()->Type->IsError())
            return ErrorExpr(aPos);
    }
    const TType* type = r->IsFunction ? r->ResultType : FTypes.Void();
    auto call = std::make_unique<TCallNode>(type, aPos, r, std::move(args), -1);
    call->Callee = std::move(aCallee);
    return call;
}

PExpr TChecker::CallRoutine(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    if (!aSymbol->Overloads.empty()) {
        aSymbol = PickOverload(aSymbol, aArgs, aPos);
        if (aSymbol == nullptr)
            return ErrorExpr(aPos);
    }
    const TRoutine* r = aSymbol->Routine;
    if (aArgs.size() > r->Params.size()) {
        Error(aArgs[r->Params.size()]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aPos);
    }
    std::vector<PExpr> args;
    bool failed = false;
    for (std::size_t i = 0; i < r->Params.size(); ++i) {
        const TParamInfo& p = r->Params[i];
        if (i < aArgs.size()) {
            args.push_back(CheckArgument(p, *aArgs[i]));
            failed = failed || args.back()->Type->IsError();
        } else if (p.Default) {
            args.push_back(MakeConst(p.Type, aPos, *p.Default->ConstValue()));
        } else {
            Error(aPos, QStringLiteral("Nicht genügend wirkliche Parameter"));
            return ErrorExpr(aPos);
        }
    }
    if (failed)
        return ErrorExpr(aPos);
    const TType* type = r->IsFunction ? r->ResultType : FTypes.Void();
    if (r->IsHost)
        return std::make_unique<THostCallNode>(type, aPos, r, std::move(args));
    const int hops = r->Level == 1 ? -1 : FCtx->Level - (r->Level - 1);
    return std::make_unique<TCallNode>(type, aPos, r, std::move(args), hops);
}

PExpr TChecker::CheckArgument(const TParamInfo& aParam, const TAstExpr& aArg)
{
    const TType* t = aParam.Type;
    if (t->Kind == TTypeKind::ArrayOfConst) {
        // [a, b, ...] made into a list of values with their kinds, or such a list passed on
        if (aArg.Kind == TAstExprKind::SetCtor) {
            std::vector<PExpr> items;
            if (PExpr err = FormatArgs(aArg, items))
                return err;
            return std::make_unique<TConstArrayNode>(t, aArg.Pos, std::move(items));
        }
        PExpr e = CheckExpr(aArg);
        if (!e->Type->IsError() && e->Type->Kind != TTypeKind::ArrayOfConst) {
            Incompatible(aArg.StartPos(), t, *e);
            return ErrorExpr(aArg.Pos);
        }
        return e;
    }
    if (t->OpenArray) {
        // static and dynamic arrays of the element type fit; the routine sees them from 0
        PExpr e = aParam.IsByRef() ? CheckVarArgument(nullptr, aArg, false) : CheckExpr(aArg, t);
        if (e->Type->IsError())
            return e;
        if (!e->Type->IsArray() || !SameType(t->Element, e->Type->Element)) {
            if (aParam.IsByRef())
                Error(aArg.StartPos(),
                      QStringLiteral("Die Typen der tatsächlichen und formalen var-Parameter müssen "
                                     "übereinstimmen: '%1' und '%2'")
                          .arg(t->Name, TypeName(*e)));
            else
                Incompatible(aArg.StartPos(), t, *e);
            return ErrorExpr(aArg.Pos);
        }
        if (aParam.IsByRef())
            return std::make_unique<TOpenArrayNode>(t, std::move(e), false);
        if (aParam.Mode == TParamMode::Value)
            return std::make_unique<TOpenArrayNode>(t, std::move(e), true);
        return std::make_unique<TRetypeNode>(t, std::move(e));
    }
    if (aParam.IsByRef())
        return CheckVarArgument(t, aArg, true);
    PExpr e = CheckExpr(aArg, t);
    return Convert(std::move(e), t, aArg.StartPos());
}

PExpr TChecker::CheckVarArgument(const TType* aType, const TAstExpr& aArg, bool aExactType)
{
    TSymbol* root = RootSymbol(aArg);
    PExpr e = CheckExpr(aArg);
    if (e->Type->IsError())
        return e;
    if (!e->IsLValue) {
        Error(aArg.StartPos(), QStringLiteral("Variable erforderlich"));
        return ErrorExpr(aArg.Pos);
    }
    if (root) {
        if (root->ReadOnly) {
            Error(aArg.StartPos(),
                  QStringLiteral("Konstante Parameter können nicht als var-Parameter weitergegeben werden"));
            return ErrorExpr(aArg.Pos);
        }
        if (root->LoopActive && aArg.Kind == TAstExprKind::Ident) {
            Error(aArg.StartPos(),
                  QStringLiteral("Der FOR-Schleifenvariablen '%1' kann nichts zugewiesen werden")
                      .arg(root->Name));
            return ErrorExpr(aArg.Pos);
        }
        root->Written = true;
        root->PassedByRef = true;
    }
    if (aType && aExactType && !SameType(aType, e->Type)) {
        Error(
            aArg.StartPos(),
            QStringLiteral(
                "Die Typen der tatsächlichen und formalen var-Parameter müssen übereinstimmen: '%1' und '%2'")
                .arg(aType->Name, TypeName(*e)));
        return ErrorExpr(aArg.Pos);
    }
    return e;
}

PExpr TChecker::Typecast(const TType* aType, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    if (aArgs.size() != 1) {
        Error(aPos,
              aArgs.empty() ? QStringLiteral("Nicht genügend wirkliche Parameter")
                            : QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aPos);
    }
    PExpr e = CheckExpr(*aArgs[0]);
    const TType* s = e->Type;
    if (s->IsError() || aType->IsError())
        return ErrorExpr(aPos);
    const bool isConst = IsConst(*e);
    if (aType->IsOrdinal() && s->IsOrdinal()) {
        PExpr r = std::make_unique<TOrdCastNode>(aType, aPos, std::move(e));
        return isConst ? Fold(std::move(r)) : std::move(r);
    }
    if (aType->IsReal() && s->IsNumeric()) {
        if (s->IsInteger()) {
            PExpr r = std::make_unique<TIntToRealNode>(aType, std::move(e));
            return isConst ? Fold(std::move(r)) : std::move(r);
        }
        return std::make_unique<TRetypeNode>(aType, std::move(e));
    }
    if (aType->IsString() && s->IsStringLike())
        return Convert(std::move(e), aType, aPos);
    if (aType->Kind == TTypeKind::Class && s->Kind == TTypeKind::Class)
        return std::make_unique<TRetypeNode>(aType, std::move(e));
    if (aType->Kind == s->Kind && SameType(aType, s))
        return std::make_unique<TRetypeNode>(aType, std::move(e));
    Error(aPos, QStringLiteral("Ungültige Typumwandlung von '%1' nach '%2'").arg(TypeName(*e), aType->Name));
    return ErrorExpr(aPos);
}

PExpr TChecker::FormatArgs(const TAstExpr& aArg, std::vector<PExpr>& aOut)
{
    if (aArg.Kind != TAstExprKind::SetCtor) {
        Error(aArg.StartPos(),
              QStringLiteral("'[' erwartet: die Argumente von Format stehen in eckigen Klammern"));
        return ErrorExpr(aArg.Pos);
    }
    for (const PAstExpr& a : aArg.Args) {
        PExpr e = CheckExpr(*a);
        if (e->Type->IsError())
            return ErrorExpr(aArg.Pos);
        if (!e->Type->IsOrdinal() && !e->Type->IsReal() && !e->Type->IsString()) {
            Error(a->StartPos(),
                  QStringLiteral("Ein Argument vom Typ '%1' passt in keine Format-Angabe").arg(TypeName(*e)));
            return ErrorExpr(aArg.Pos);
        }
        aOut.push_back(std::move(e));
    }
    return nullptr;
}

PExpr TChecker::CheckMember(const TAstExpr& aField, const std::vector<PAstExpr>* aArgs, TSourcePos aPos)
{
    static const std::vector<PAstExpr> kNone;
    const std::vector<PAstExpr>& args = aArgs ? *aArgs : kNone;
    const QString& name = aField.Name.Lower;
    const TAstExpr& base = *aField.Left;
    if (base.Kind == TAstExprKind::Ident) {
        TSymbol* sym = FScope->Lookup(base.Name.Lower);
        if (sym && sym->Kind == TSymKind::Type && sym->Type->Kind == TTypeKind::StringList) {
            if (name != QLatin1String("create")) {
                Error(aField.Name.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(aField.Name.Name));
                return ErrorExpr(aPos);
            }
            if (!args.empty()) {
                Error(args[0]->StartPos(), QStringLiteral("Zu viele Parameter"));
                return ErrorExpr(aPos);
            }
            return std::make_unique<TListNode>(sym->Type, aPos, TListOp::Create, nullptr,
                                               std::vector<PExpr>());
        }
        if (sym && sym->Kind == TSymKind::Type && sym->Type->Kind == TTypeKind::Class) {
            const TType* cls = sym->Type;
            if (name == QLatin1String("create")) {
                if (args.size() != 1) {
                    Error(aPos,
                          args.empty() ? QStringLiteral("Nicht genügend wirkliche Parameter")
                                       : QStringLiteral("Zu viele Parameter"));
                    return ErrorExpr(aPos);
                }
                PExpr msg =
                    Convert(CheckExpr(*args[0], FTypes.String()), FTypes.String(), args[0]->StartPos());
                return std::make_unique<TExcCreateNode>(cls, aPos, std::move(msg));
            }
            if (name == QLatin1String("createfmt")) {
                if (args.size() != 2) {
                    Error(aPos,
                          args.size() < 2 ? QStringLiteral("Nicht genügend wirkliche Parameter")
                                          : QStringLiteral("Zu viele Parameter"));
                    return ErrorExpr(aPos);
                }
                PExpr format =
                    Convert(CheckExpr(*args[0], FTypes.String()), FTypes.String(), args[0]->StartPos());
                std::vector<PExpr> items;
                if (PExpr err = FormatArgs(*args[1], items))
                    return err;
                PExpr msg =
                    std::make_unique<TFormatNode>(FTypes.String(), aPos, std::move(format), std::move(items));
                return std::make_unique<TExcCreateNode>(cls, aPos, std::move(msg));
            }
            if (name == QLatin1String("classname"))
                return MakeConst(FTypes.String(), aPos, TValue::FromStr(TStr(cls->Name.toLatin1())));
            Error(aField.Name.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(aField.Name.Name));
            return ErrorExpr(aPos);
        }
    }
    PExpr object = CheckExpr(base);
    if (object->Type->IsError())
        return ErrorExpr(aPos);
    if (object->Type->Kind == TTypeKind::StringList)
        return CheckListMember(std::move(object), aField, aArgs, aPos);
    if (object->Type->Kind != TTypeKind::Class) {
        if (object->Type->Kind == TTypeKind::Record && aArgs == nullptr)
            Error(aPos,
                  QStringLiteral("Anweisung erwartet, aber Ausdruck vom Typ '%1' gefunden")
                      .arg(TypeName(*object)));
        else
            Error(aField.Name.Pos,
                  aArgs ? QStringLiteral("Methoden werden nicht unterstützt")
                        : QStringLiteral("Record, Objekt oder Klassentyp erforderlich"));
        return ErrorExpr(aPos);
    }
    if (!args.empty()) {
        Error(args[0]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aPos);
    }
    using W = TExcPropertyNode::TWhat;
    if (name == QLatin1String("message"))
        return std::make_unique<TExcPropertyNode>(FTypes.String(), aPos, std::move(object), W::Message);
    if (name == QLatin1String("classname"))
        return std::make_unique<TExcPropertyNode>(FTypes.String(), aPos, std::move(object), W::ClassName);
    if (name == QLatin1String("free") || name == QLatin1String("destroy"))
        return MakeConst(FTypes.Void(), aPos, TValue()); // objects are counted; freeing is not needed
    Error(aField.Name.Pos, QStringLiteral("Unbekannter Bezeichner '%1'").arg(aField.Name.Name));
    return ErrorExpr(aPos);
}

PExpr TChecker::CheckListMember(PExpr aList, const TAstExpr& aField, const std::vector<PAstExpr>* aArgs,
                                TSourcePos aPos)
{
    enum TArg : char { S = 's', I = 'i', L = 'l' }; // string, integer, another list
    struct TMember
    {
        const char* Name;
        TListOp Op;
        const char* Params; // one letter per parameter
        const char* Result; // "" for a procedure
    };
    static const TMember kMembers[] = {
        {"add", TListOp::Add, "s", "Integer"},
        {"append", TListOp::Append, "s", ""},
        {"insert", TListOp::Insert, "is", ""},
        {"delete", TListOp::Delete, "i", ""},
        {"clear", TListOp::Clear, "", ""},
        {"exchange", TListOp::Exchange, "ii", ""},
        {"indexof", TListOp::IndexOf, "s", "Integer"},
        {"indexofname", TListOp::IndexOfName, "s", "Integer"},
        {"sort", TListOp::Sort, "", ""},
        {"assign", TListOp::Assign, "l", ""},
        {"addstrings", TListOp::AddStrings, "l", ""},
        {"free", TListOp::Free, "", ""},
        {"destroy", TListOp::Free, "", ""},
        {"count", TListOp::Count, "", "Integer"},
        {"strings", TListOp::Strings, "", "string"},
        {"names", TListOp::Names, "", "string"},
        {"valuefromindex", TListOp::ValueFromIndex, "", "string"},
        {"values", TListOp::Values, "", "string"},
        {"text", TListOp::Text, "", "string"},
        {"commatext", TListOp::CommaText, "", "string"},
        {"delimitedtext", TListOp::DelimitedText, "", "string"},
        {"delimiter", TListOp::Delimiter, "", "Char"},
        {"quotechar", TListOp::QuoteChar, "", "Char"},
        {"namevalueseparator", TListOp::NameValueSeparator, "", "Char"},
        {"strictdelimiter", TListOp::StrictDelimiter, "", "Boolean"},
        {"sorted", TListOp::Sorted, "", "Boolean"},
        {"duplicates", TListOp::Duplicates, "", "TDuplicates"},
        {"casesensitive", TListOp::CaseSensitive, "", "Boolean"},
    };
    const QString& name = aField.Name.Lower;
    const TMember* member = nullptr;
    for (const TMember& m : kMembers)
        if (name == QLatin1String(m.Name))
            member = &m;
    if (member == nullptr) {
        Error(aField.Name.Pos,
              QStringLiteral("'%1' gibt es bei TStringList nicht (Klassen werden sonst nicht unterstützt)")
                  .arg(aField.Name.Name));
        return ErrorExpr(aPos);
    }
    const bool indexed = member->Op == TListOp::Strings || member->Op == TListOp::Names
        || member->Op == TListOp::Values || member->Op == TListOp::ValueFromIndex;
    if (indexed && &aField != FIndexedBase) {
        Error(aField.Name.Pos,
              QStringLiteral("'%1' braucht einen Index: Liste.%1[...]").arg(aField.Name.Name));
        return ErrorExpr(aPos);
    }
    static const std::vector<PAstExpr> kNone;
    const std::vector<PAstExpr>& given = aArgs ? *aArgs : kNone;
    const std::size_t wanted = std::strlen(member->Params);
    if (given.size() != wanted) {
        Error(given.size() > wanted ? given[wanted]->StartPos() : aPos,
              given.size() > wanted ? QStringLiteral("Zu viele Parameter")
                                    : QStringLiteral("Nicht genügend wirkliche Parameter"));
        return ErrorExpr(aPos);
    }
    std::vector<PExpr> args;
    for (std::size_t i = 0; i < wanted; ++i) {
        const TType* t = member->Params[i] == S ? FTypes.String()
            : member->Params[i] == I            ? FTypes.Integer()
                                                : FTypes.StringList();
        args.push_back(Convert(CheckExpr(*given[i], t), t, given[i]->StartPos()));
        if (args.back()->Type->IsError())
            return ErrorExpr(aPos);
    }
    const TType* result = *member->Result ? BuiltinType(member->Result) : FTypes.Void();
    return std::make_unique<TListNode>(result, aPos, member->Op, std::move(aList), std::move(args));
}

PStmt TChecker::ListSetter(PExpr aTarget, const TAstExpr& aValue, TSourcePos aPos)
{
    auto* getter = static_cast<TListNode*>(aTarget.get());
    const TListOp setter = TListNode::Setter(getter->Op);
    if (setter == TListOp::Create) {
        Error(aPos, QStringLiteral("Der linken Seite kann nichts zugewiesen werden"));
        CheckExpr(aValue);
        return nullptr;
    }
    const TType* t = getter->Type;
    PExpr value = Convert(CheckExpr(aValue, t), t, aValue.StartPos());
    if (value->Type->IsError())
        return nullptr;
    std::vector<PExpr> args = std::move(getter->Args);
    args.push_back(std::move(value));
    return std::make_unique<TExprStmt>(
        std::make_unique<TListNode>(FTypes.Void(), aPos, setter, std::move(getter->List), std::move(args)));
}

PExpr TChecker::CallBuiltinFunc(TSymbol* aSymbol, const std::vector<PAstExpr>& aArgs, TSourcePos aPos)
{
    const TBuiltinFunc* fn = &BuiltinFuncs()[std::size_t(aSymbol->Builtin - 1000)];
    if (aArgs.size() > fn->Params.size()) {
        Error(aArgs[fn->Params.size()]->StartPos(), QStringLiteral("Zu viele Parameter"));
        return ErrorExpr(aPos);
    }
    if (int(aArgs.size()) < fn->MinArgs) {
        Error(aPos, QStringLiteral("Nicht genügend wirkliche Parameter"));
        return ErrorExpr(aPos);
    }
    std::vector<PExpr> args;
    for (std::size_t i = 0; i < aArgs.size(); ++i)
        args.push_back(CheckExpr(*aArgs[i], BuiltinType(fn->Params[i])));
    if (qstrcmp(fn->Name, "IntToStr") == 0 && args[0]->Type->IntKind == TIntKind::U64) {
        // IntToStr of a QWord prints it unsigned, as Free Pascal's overload for it does
        for (const TBuiltinFunc& other : BuiltinFuncs())
            if (qstrcmp(other.Name, "UIntToStr") == 0)
                fn = &other;
    }
    const TBuiltinFunc& f = *fn;
    std::vector<const TType*> types;
    bool failed = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const TType* t = BuiltinType(f.Params[i]);
        args[i] = Convert(std::move(args[i]), t, aArgs[i]->StartPos());
        failed = failed || args[i]->Type->IsError();
        types.push_back(t);
    }
    if (failed)
        return ErrorExpr(aPos);
    const TType* result = *f.Result ? BuiltinType(f.Result) : FTypes.Void();
    return std::make_unique<TBuiltinCallNode>(result, aPos, f.Fn, std::move(args), std::move(types));
}

} // namespace pascal
