#pragma once

#include "pascal/Ast.h"
#include "pascal/Node.h"
#include "pascal/PascalEngine.h"
#include "pascal/Types.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace pascal {

struct TParamInfo
{
    QString Name;
    const TType* Type = nullptr;
    TParamMode Mode = TParamMode::Value;
    PExpr Default; // a constant, or null
    bool IsByRef() const { return Mode == TParamMode::Var || Mode == TParamMode::Out; }
};

// A routine of the script or of the host.
struct TRoutine
{
    QString Name;
    TSourcePos Pos;
    int Level = 1; // routines of the program are 1, routines nested in them 2, ...
    bool IsFunction = false;
    const TType* ResultType = nullptr;
    std::vector<TParamInfo> Params;
    // The frame: parameters first, then the result, then locals and hidden temporaries.
    std::vector<TValue> SlotDefaults;
    int ResultSlot = -1;
    PStmt Body;
    bool Forward = false;
    bool Defined = false;
    // host routines
    bool IsHost = false;
    THostFunction Host;
};

struct THostVariable
{
    int Slot = -1;
    QByteArray* Storage = nullptr;
};

// What Compile produces and Run executes.
struct TProgram
{
    std::unique_ptr<TTypes> Types = std::make_unique<TTypes>();
    std::vector<TValue> GlobalDefaults;
    std::vector<THostVariable> HostVariables;
    std::deque<std::unique_ptr<TRoutine>> Routines;
    PStmt Main;
};

} // namespace pascal
