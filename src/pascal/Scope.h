#pragma once

#include "pascal/SourcePos.h"
#include "pascal/Types.h"
#include "pascal/Value.h"

#include <QString>

#include <unordered_map>
#include <vector>

namespace pascal {

struct TRoutine;

enum class TSymKind : unsigned char { Const, Type, Var, Routine, Builtin };

// A declared name and everything the checker knows about it.
struct TSymbol
{
    TSymKind Kind = TSymKind::Const;
    QString Name;
    TSourcePos Pos;
    const TType* Type = nullptr;

    // Const
    TValue Value;

    // Var
    int Level = 0; // 0: global; n: local to a routine of level n
    int Slot = -1;
    bool ByRef = false;    // var and out parameters
    bool ReadOnly = false; // const parameters
    bool IsParam = false;
    bool IsResult = false;
    bool LoopActive = false; // the counter of a for loop being compiled
    bool Read = false;
    bool Written = false;
    bool PassedByRef = false;
    TSourcePos FirstRead;
    std::vector<TSourcePos> Writes;

    // Routine
    TRoutine* Routine = nullptr;
    bool Overload = false; // declared with "overload"
    // The other routines of the same name ("overload"), each with a symbol of its own that
    // no scope holds; a call picks among this one and them by the arguments.
    std::vector<TSymbol*> Overloads;

    // Builtin
    int Builtin = -1;
};

// FNV-1a over the characters: names are short, and Qt's seeded hash costs more than the
// lookup it serves.
struct TNameHash
{
    std::size_t operator()(const QString& aName) const noexcept
    {
        std::size_t h = 1469598103934665603ull;
        for (QChar c : aName)
            h = (h ^ c.unicode()) * 1099511628211ull;
        return h;
    }
};

// One level of names. Lookups walk outwards through the parents.
class TScope
{
public:
    explicit TScope(const TScope* aParent)
        : FParent(aParent)
    {
    }

    const TScope* Parent() const { return FParent; }
    TSymbol* Find(const QString& aLower) const
    {
        auto it = FNames.find(aLower);
        return it == FNames.end() ? nullptr : it->second;
    }
    TSymbol* Lookup(const QString& aLower) const
    {
        for (const TScope* s = this; s; s = s->FParent)
            if (TSymbol* sym = s->Find(aLower))
                return sym;
        return nullptr;
    }
    void Add(const QString& aLower, TSymbol* aSymbol) { FNames[aLower] = aSymbol; }

private:
    const TScope* FParent;
    std::unordered_map<QString, TSymbol*, TNameHash> FNames;
};

} // namespace pascal
