#pragma once

#include "notation/TermComOptions.h"

#include <QString>
#include <QStringView>

// Received characters -> display text: slash notation (control characters by name, a slash
// doubled) or one of the three dump forms, as the options say.
class TStringDecoder
{
public:
    TTermComOptions Options() const { return FOptions; }
    void SetOptions(TTermComOptions aOptions) { FOptions = aOptions; }

    QString DecodeStringSymbol(QStringView aText) const;

private:
    TTermComOptions FOptions;
};
