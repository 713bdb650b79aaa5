#pragma once

#include "pascal/PascalEngine.h"
#include "pascal/SourcePos.h"
#include "pascal/Types.h"
#include "pascal/Value.h"
#include "pascal/ValueStack.h"

#include <QElapsedTimer>

#include <algorithm>

#include <vector>

namespace pascal {

// The lowest address this thread's stack may be used down to, keeping a reserve for the
// host's callbacks below it.
const char* StackLimitHere();

// The activation of a routine: its slots (parameters, result, locals) and the frame of
// the routine it is nested in.
struct TFrame
{
    TValue* Slots = nullptr;
    TFrame* Outer = nullptr;
};

// A script exception in flight: catchable by try/except.
struct EScriptError
{
    TValue Object; // a TExcRec
    TSourcePos Pos;
};

// Ends the run whatever the script does (the time limit).
struct EScriptAbort
{
    QString Message;
    TSourcePos Pos;
};

// Halt: the run ends successfully.
struct EScriptHalt
{
};

// Everything one run needs besides the compiled program.
class TRuntime
{
public:
    TRuntime(const TEngineLimits& aLimits, const TTypes& aTypes);
    ~TRuntime();
    TRuntime(const TRuntime&) = delete;
    TRuntime& operator=(const TRuntime&) = delete;

    TValue* Globals = nullptr;
    TFrame* Frame = nullptr;
    TValueStack Stack;
    int Depth = 0;
    int Steps = kStepsPerCheck;
    TSourcePos CurrentPos;
    // Exceptions whose handlers are running, innermost last: what a bare "raise" raises.
    std::vector<EScriptError> Handling;
    quint32 RandSeed = 0;
    const TEngineLimits& Limits;
    const TTypes& Types;

    // Time the run's limit already paid for (compiling), counted as if the run had taken it.
    qint64 SpentBeforeMs = 0;
    // Starts the clock and measures the stack; call at the start of a run.
    void Start();

    // Counts one unit of work; now and then looks at the clock.
    void Tick(TSourcePos aPos)
    {
        if (--Steps <= 0)
            CheckTime(aPos);
    }
    // Counts work proportional to aBytes (copying, searching).
    void Charge(qint64 aBytes, TSourcePos aPos)
    {
        Steps -= int(std::min<qint64>(aBytes >> 8, 1 << 20));
        if (Steps <= 0)
            CheckTime(aPos);
    }
    void CheckTime(TSourcePos aPos);
    // The run's time so far, without the time the host says does not count.
    qint64 ElapsedMs() const
    {
        return SpentBeforeMs + FTimer.elapsed()
            - (Limits.UncountedMs ? Limits.UncountedMs() - FUncountedAtStart : 0);
    }

    // Entering and leaving a script routine: recursion depth and the machine stack.
    void EnterCall(TSourcePos aPos)
    {
        char probe;
        if (++Depth > Limits.MaxCallDepth || &probe < FStackLimit)
            StackOverflow(aPos);
    }
    void LeaveCall() { --Depth; }
    // Ends the run with an error unless the machine stack has aBytes to spare.
    void EnsureStack(qint64 aBytes, TSourcePos aPos)
    {
        char probe;
        if (reinterpret_cast<quintptr>(&probe) < reinterpret_cast<quintptr>(FStackLimit) + quintptr(aBytes))
            ExpressionTooDeep(aPos);
    }

    // Refuses a string or array of more than the allowed bytes.
    void CheckSize(qint64 aBytes, TSourcePos aPos)
    {
        if (aBytes > Limits.MaxStringOrArrayBytes || aBytes < 0)
            TooLarge(aPos);
    }

    [[noreturn]] void Raise(const char* aClassName, const QString& aMessage, TSourcePos aPos);
    [[noreturn]] void RaiseObject(const TValue& aObject, TSourcePos aPos);
    [[noreturn]] void DivByZero(TSourcePos aPos);
    [[noreturn]] void IndexError(qint64 aIndex, TSourcePos aPos);
    [[noreturn]] void InvalidFloat(TSourcePos aPos);
    [[noreturn]] void TooLarge(TSourcePos aPos);
    [[noreturn]] void StackOverflow(TSourcePos aPos);
    [[noreturn]] void ExpressionTooDeep(TSourcePos aPos);
    [[noreturn]] void TimeLimit(TSourcePos aPos);
    [[noreturn]] void Internal(const char* aWhat, TSourcePos aPos);

    static constexpr int kStepsPerCheck = 1024;

private:
    static void HeapExhausted(void* aContext);

    QElapsedTimer FTimer;
    qint64 FUncountedAtStart = 0;
    const char* FStackLimit = nullptr;
    THeapBudget FBudget;
    THeapBudget* FPreviousBudget = nullptr;
};

} // namespace pascal
