#include "pascal/Diagnostics.h"

namespace pascal {

void TDiagnostics::Add(const char* aKind, TSourcePos aPos, const QString& aText)
{
    FLines.append(QStringLiteral("[%1] %2: %3").arg(QLatin1String(aKind), aPos.Text(), aText));
}

void TDiagnostics::Error(TSourcePos aPos, const QString& aText)
{
    if (++FErrorCount > kMaxErrors)
        return;
    Add("Error", aPos, aText);
}

void TDiagnostics::Warning(TSourcePos aPos, const QString& aText)
{
    Add("Warning", aPos, aText);
}

void TDiagnostics::Hint(TSourcePos aPos, const QString& aText)
{
    Add("Hint", aPos, aText);
}

void TDiagnostics::Append(const TDiagnostics& aOther)
{
    FLines += aOther.FLines;
    FErrorCount += aOther.FErrorCount;
}

void TDiagnostics::Clear()
{
    FLines.clear();
    FErrorCount = 0;
}

} // namespace pascal
