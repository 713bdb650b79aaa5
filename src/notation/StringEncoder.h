#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <string_view>

// Slash notation -> the characters to send (one character per byte).
// "/cr//lf/", "/13/", "/$0D/", "/0x0d/" each stand for one character; "//" is a slash.
class TStringEncoder
{
public:
    QString EncodeString(QStringView aText) const;

    // The code a token between two slashes stands for (0 for anything unrecognised).
    static int TokenToCode(QStringView aToken);

    // Integer syntax of Delphi's StrToInt: leading blanks, a sign, decimal digits or hex digits
    // after "$", "x" or "0x"; hex up to FFFFFFFF wraps to negative. False when not a valid
    // 32-bit integer.
    static bool TryStrToInt(QStringView aText, qint32& aValue);

    // Names of the control characters 0..31 as they appear between slashes (the decoder writes
    // them this way; the encoder accepts them in any case).
    static constexpr std::array<std::string_view, 32> ControlNames = {
        "nul", "soh", "stx", "etx", "eot", "enq", "ack", "bel", "bs",  "ht",  "lf",
        "vt",  "ff",  "cr",  "so",  "si",  "dle", "dc1", "dc2", "dc3", "dc4", "nak",
        "syn", "etb", "can", "em",  "sub", "esc", "fs",  "gs",  "rs",  "us"};
};
