#pragma once

#include "notation/TermComOptions.h"

#include <QByteArray>
#include <QByteArrayView>
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
    // The same; in the ASCII dump aNumbers also receives one byte per character of the result,
    // 1 where the character belongs to a byte shown as its number (byte 5 as "5" differs from
    // the digit '5' only there), 0 elsewhere. Other forms leave it empty.
    QString DecodeStringSymbol(QStringView aText, QByteArray* aNumbers) const;
    // The same for received bytes, one character each.
    QString DecodeBytes(QByteArrayView aBytes, QByteArray* aNumbers = nullptr) const;
    // The same as Latin-1 text, one byte a character (what a byte decodes to always is).
    QByteArray DecodeToLatin1(QByteArrayView aBytes, QByteArray* aNumbers = nullptr) const;

private:
    TTermComOptions FOptions;
};
