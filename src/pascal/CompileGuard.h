#pragma once

#include "pascal/SourcePos.h"

#include <QElapsedTimer>
#include <QString>

namespace pascal {

// Ends a compile early: out of time or out of stack. The compile fails with this message.
struct ECompileAbort
{
    QString Message;
    TSourcePos Pos;
};

// Bounds one compile on this thread the way a run is bounded: the lexer, parser and checker
// tick it as they go, and the checker asks for stack before it goes one level deeper.
// Without a guard in place (a host routine's heading, for one) ticks cost nothing.
class TCompileGuard
{
public:
    TCompileGuard(qint64 aLimitMs, const char* aStackLimit);
    ~TCompileGuard();
    TCompileGuard(const TCompileGuard&) = delete;
    TCompileGuard& operator=(const TCompileGuard&) = delete;

    qint64 ElapsedMs() const { return FTimer.elapsed(); }

    static void Tick(TSourcePos aPos)
    {
        TCompileGuard* guard = sCurrent;
        if (guard && --guard->FSteps <= 0)
            guard->CheckTime(aPos);
    }
    // Room for one more level of nesting; the checker's frames are the largest.
    static void EnsureStack(TSourcePos aPos)
    {
        char probe;
        TCompileGuard* guard = sCurrent;
        if (guard
            && reinterpret_cast<quintptr>(&probe)
                < reinterpret_cast<quintptr>(guard->FStackLimit) + quintptr(kBytesPerLevel))
            throw ECompileAbort{QStringLiteral("Ausdruck zu tief verschachtelt"), aPos};
    }

private:
    static constexpr int kStepsPerCheck = 4096;
    static constexpr qint64 kBytesPerLevel = 16 * 1024;
    void CheckTime(TSourcePos aPos);

    static inline thread_local TCompileGuard* sCurrent = nullptr;
    TCompileGuard* FPrevious;
    QElapsedTimer FTimer;
    qint64 FLimitMs;
    int FSteps = kStepsPerCheck;
    const char* FStackLimit;
};

} // namespace pascal
