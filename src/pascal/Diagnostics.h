#pragma once

#include "pascal/SourcePos.h"

#include <QStringList>

namespace pascal {

// The compiler's messages in the order they arise, each already formatted as one line.
class TDiagnostics
{
public:
    void Error(TSourcePos aPos, const QString& aText);
    void Warning(TSourcePos aPos, const QString& aText);
    void Hint(TSourcePos aPos, const QString& aText);

    int ErrorCount() const { return FErrorCount; }
    const QStringList& Lines() const { return FLines; }
    void Clear();
    // Another's messages after these.
    void Append(const TDiagnostics& aOther);

    // Errors past this many are dropped: a broken script should not drown the user.
    static constexpr int kMaxErrors = 50;

private:
    void Add(const char* aKind, TSourcePos aPos, const QString& aText);

    QStringList FLines;
    int FErrorCount = 0;
};

} // namespace pascal
