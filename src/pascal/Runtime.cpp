#include "pascal/Runtime.h"

#include "pascal/CompileGuard.h"
#include "pascal/HeapValues.h"

#include <algorithm>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(Q_OS_MACOS)
#include <pthread.h>
#else
#include <pthread.h>
#endif

namespace pascal {

namespace {

// Stack kept free below the deepest script call: for the nodes between two checks, host
// callbacks and the events Sleep lets through.
constexpr qint64 kStackReserve = 512 * 1024;

// The lowest address this thread's stack may reach, or null when the system does not say.
const char* QueryStackLowEnd()
{
#if defined(Q_OS_WIN)
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    return reinterpret_cast<const char*>(low);
#elif defined(Q_OS_MACOS)
    pthread_t self = pthread_self();
    const char* high = static_cast<const char*>(pthread_get_stackaddr_np(self));
    return high - pthread_get_stacksize_np(self);
#else
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return nullptr;
    void* addr = nullptr;
    size_t size = 0;
    const bool ok = pthread_attr_getstack(&attr, &addr, &size) == 0;
    pthread_attr_destroy(&attr);
    return ok ? static_cast<const char*>(addr) : nullptr;
#endif
}

// Asking is slow on some systems (Linux reads /proc for the main thread); a thread's stack
// does not move, so once per thread will do.
const char* StackLowEnd()
{
    thread_local const char* const low = QueryStackLowEnd();
    return low;
}

} // namespace

TRuntime::TRuntime(const TEngineLimits& aLimits, const TTypes& aTypes)
    : Limits(aLimits)
    , Types(aTypes)
{
    FBudget.Limit = std::max<qint64>(4 * aLimits.MaxStringOrArrayBytes, 256ll << 20);
    FBudget.Exhausted = &TRuntime::HeapExhausted;
    FBudget.Context = this;
    FBudget.Steps = &Steps;
    FPreviousBudget = gHeapBudget;
    gHeapBudget = &FBudget;
}

TRuntime::~TRuntime()
{
    Handling.clear();
    gHeapBudget = FPreviousBudget;
}

const char* StackLimitHere()
{
    char probe;
    const quintptr here = reinterpret_cast<quintptr>(&probe);
    const quintptr low = reinterpret_cast<quintptr>(StackLowEnd());
    if (low != 0 && low < here) {
        // a small stack (Windows gives its main thread 1 MB) keeps a quarter in reserve
        const quintptr reserve = std::min<quintptr>(kStackReserve, (here - low) / 4);
        return reinterpret_cast<const char*>(low + reserve);
    }
    return reinterpret_cast<const char*>(here - 512 * 1024); // unknown stack: assume a small one
}

void TRuntime::Start()
{
    FTimer.start();
    FUncountedAtStart = Limits.UncountedMs ? Limits.UncountedMs() : 0;
    FStackLimit = StackLimitHere();
}

void TRuntime::HeapExhausted(void* aContext)
{
    auto* self = static_cast<TRuntime*>(aContext);
    self->Raise("EOutOfMemory",
                QStringLiteral("Zu wenig Arbeitsspeicher: das Skript belegt mehr als %1 MB")
                    .arg(self->FBudget.Limit >> 20),
                self->CurrentPos);
}

void TRuntime::CheckTime(TSourcePos aPos)
{
    Steps = kStepsPerCheck;
    if (ElapsedMs() > Limits.MaxRunTimeMs)
        TimeLimit(aPos);
}

void TRuntime::Raise(const char* aClassName, const QString& aMessage, TSourcePos aPos)
{
    const TType* cls = Types.ErrorClass(aClassName);
    // the exception object is outside the script's budget: raising must not fail for lack
    // of memory
    THeapBudget* budget = gHeapBudget;
    gHeapBudget = nullptr;
    TValue obj = TValue::FromObj(NewObj(cls->Class, TStr(aMessage.toLatin1())));
    gHeapBudget = budget;
    throw EScriptError{std::move(obj), aPos};
}

void TRuntime::RaiseObject(const TValue& aObject, TSourcePos aPos)
{
    throw EScriptError{aObject, aPos};
}

void TRuntime::DivByZero(TSourcePos aPos)
{
    Raise("EDivByZero", QStringLiteral("Division durch Null"), aPos);
}

void TRuntime::IndexError(qint64 aIndex, TSourcePos aPos)
{
    Raise("ERangeError", QStringLiteral("Bereichsüberschreitung bei Index %1").arg(aIndex), aPos);
}

void TRuntime::InvalidFloat(TSourcePos aPos)
{
    Raise("EInvalidOp", QStringLiteral("Ungültige Gleitkommaoperation"), aPos);
}

void TRuntime::TooLarge(TSourcePos aPos)
{
    Raise("EOutOfMemory",
          QStringLiteral("String oder Array größer als %1 MB").arg(Limits.MaxStringOrArrayBytes >> 20), aPos);
}

void TRuntime::StackOverflow(TSourcePos aPos)
{
    --Depth; // the call that failed did not start
    Raise("EStackOverflow", QStringLiteral("Rekursion zu tief"), aPos);
}

void TRuntime::ExpressionTooDeep(TSourcePos aPos)
{
    Raise("EStackOverflow", QStringLiteral("Ausdruck zu tief verschachtelt"), aPos);
}

void TRuntime::TimeLimit(TSourcePos aPos)
{
    throw EScriptAbort{QStringLiteral("Zeitlimit von %1 ms überschritten").arg(Limits.MaxRunTimeMs), aPos};
}

void TRuntime::Internal(const char* aWhat, TSourcePos aPos)
{
    throw EScriptAbort{
        QStringLiteral("Interner Fehler des Skript-Interpreters: %1").arg(QLatin1String(aWhat)), aPos};
}

TCompileGuard::TCompileGuard(qint64 aLimitMs, const char* aStackLimit)
    : FPrevious(sCurrent)
    , FLimitMs(aLimitMs)
    , FStackLimit(aStackLimit)
{
    FTimer.start();
    sCurrent = this;
}

TCompileGuard::~TCompileGuard()
{
    sCurrent = FPrevious;
}

void TCompileGuard::CheckTime(TSourcePos aPos)
{
    FSteps = kStepsPerCheck;
    if (FTimer.elapsed() > FLimitMs)
        throw ECompileAbort{QStringLiteral("Zeitlimit von %1 ms beim Übersetzen überschritten").arg(FLimitMs),
                            aPos};
}

} // namespace pascal
