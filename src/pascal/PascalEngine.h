#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>

namespace pascal {

// A value crossing between the engine and the host: the host's functions take and give
// integers, reals, booleans and 8-bit strings (the engine's "string", one byte per char).
struct THostValue
{
    enum class TKind { None, Integer, Real, Boolean, String };
    TKind Kind = TKind::None;
    qint64 Integer = 0;
    double Real = 0;
    bool Boolean = false;
    QByteArray String;

    static THostValue FromInteger(qint64 aValue)
    {
        THostValue v;
        v.Kind = TKind::Integer;
        v.Integer = aValue;
        return v;
    }
    static THostValue FromReal(double aValue)
    {
        THostValue v;
        v.Kind = TKind::Real;
        v.Real = aValue;
        return v;
    }
    static THostValue FromBoolean(bool aValue)
    {
        THostValue v;
        v.Kind = TKind::Boolean;
        v.Boolean = aValue;
        return v;
    }
    static THostValue FromString(const QByteArray& aValue)
    {
        THostValue v;
        v.Kind = TKind::String;
        v.String = aValue;
        return v;
    }
};

// The host's side of a registered routine: the arguments in declaration order (converted to
// the declared parameter types), the result for a function (ignored for a procedure).
// A host function may throw EVarnexError (base/VarnexError.h); the run then ends with that
// message as its run-time error.
using THostFunction = std::function<THostValue(const QList<THostValue>& aArguments)>;

struct TEngineLimits
{
    int MaxRunTimeMs = 5000; // a run that takes longer ends with an error
    // Milliseconds that do not count toward MaxRunTimeMs (time the host spent waiting for
    // its user), as a running total; only its growth during a run is subtracted.
    std::function<qint64()> UncountedMs;
    // Deeper recursion ends with an error; by default only the machine stack limits it.
    int MaxCallDepth = std::numeric_limits<int>::max();
    qint64 MaxStringOrArrayBytes = 64ll << 20; // larger strings and arrays end with an error
};

// Compiles and runs one Pascal-dialect program (Delphi-style: declarations, then the main
// block "begin ... end."). One engine instance serves one compile and any number of runs.
class TEngine
{
public:
    TEngine();
    ~TEngine();
    TEngine(const TEngine&) = delete;
    TEngine& operator=(const TEngine&) = delete;

    // Before Compile: a routine declared exactly as Pascal source, e.g.
    // "function CRC16(aInitCRC: cardinal; aText: String): WORD;", bound to aFunction.
    // Returns false (with a message in Messages()) when the declaration does not parse.
    bool RegisterFunction(const QString& aDeclaration, THostFunction aFunction);
    // Before Compile: a global variable of the given type name ("string", "Integer", ...)
    // whose storage is the host's: a string variable binds to aStorage, read at the start
    // of each run and written back when the run ends (also after a run-time error).
    bool RegisterStringVariable(const QString& aName, QByteArray* aStorage);

    void SetLimits(const TEngineLimits& aLimits);

    // Every message as one line: "[Error] (line:col): text", "[Warning] (line:col): text",
    // "[Hint] (line:col): text". Lines and columns count from 1.
    bool Compile(const QString& aSource);
    QStringList Messages() const;

    // Runs the main block. On failure RunError() is one line with the error and its
    // position, e.g. "Division durch Null (12:7)".
    bool Run();
    QString RunError() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace pascal
