#pragma once

#include <QtGlobal>
#include <initializer_list>

// Display options of the terminal port. Held in one byte, bit n for the n-th value, because
// the settings and the decoder compare the raw byte.
enum TTermComOption : quint8 { coNone, coCrlf, coControl, coHexDump, coDezDump, coAsciiDump };

class TTermComOptions
{
public:
    constexpr TTermComOptions() = default;
    constexpr TTermComOptions(std::initializer_list<TTermComOption> aOptions)
    {
        for (TTermComOption o : aOptions)
            Include(o);
    }

    static constexpr TTermComOptions FromBits(quint8 aBits)
    {
        TTermComOptions result;
        result.FBits = aBits;
        return result;
    }
    constexpr quint8 Bits() const { return FBits; }

    constexpr bool Contains(TTermComOption aOption) const { return (FBits >> aOption) & 1u; }
    constexpr void Include(TTermComOption aOption) { FBits = quint8(FBits | (1u << aOption)); }
    constexpr void Exclude(TTermComOption aOption) { FBits = quint8(FBits & ~(1u << aOption)); }
    constexpr bool IsDump() const
    {
        return Contains(coHexDump) || Contains(coDezDump) || Contains(coAsciiDump);
    }

    friend constexpr bool operator==(TTermComOptions, TTermComOptions) = default;

private:
    quint8 FBits = 0;
};
