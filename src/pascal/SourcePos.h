#pragma once

#include <QString>

namespace pascal {

// Where something stands in the script; lines and columns count from 1, 0 means unknown.
struct TSourcePos
{
    int Line = 0;
    int Col = 0;

    bool IsValid() const { return Line > 0; }
    // "(12:7)", the form every message carries.
    QString Text() const { return QStringLiteral("(%1:%2)").arg(Line).arg(Col); }
};

} // namespace pascal
