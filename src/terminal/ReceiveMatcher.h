#pragma once

#include "terminal/ReceiveText.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

// Finds a text in what the receive view holds, as the view shows it: a byte of 0x80-0x9F
// matches the code page 1252 glyph it is drawn as, characters beyond Latin-1 match themselves.
// A match lies within one paragraph (wrapped rows do not matter; executed line breaks do).
// Matches may overlap: every place where the text occurs is one, so counting, stepping and
// highlighting agree whatever place a search starts from.
class TReceiveMatcher
{
public:
    TReceiveMatcher() = default;
    TReceiveMatcher(const QString& aPattern, bool aCaseSensitive);

    bool IsEmpty() const { return FLength == 0; }
    qint64 Length() const { return FLength; }

    // Calls aFound(start) for every match that starts in [aFrom, aTo), in order; a false
    // answer stops the scan.
    template <class TFound>
    void Scan(const TReceiveText& aText, qint64 aFrom, qint64 aTo, TFound&& aFound) const;

    // The first and the last match starting in [aFrom, aTo); -1 when there is none.
    qint64 FindFirst(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const;
    qint64 FindLast(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const;
    qint64 Count(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const;
    bool IsMatchAt(const TReceiveText& aText, qint64 aStart) const;
    // One past the last place a match can start in the text as it is now.
    qint64 ScanEnd(const TReceiveText& aText) const;

private:
    // What a stored byte at one place of the pattern does: no match, match, or match when the
    // character kept aside for a placeholder is the pattern's.
    enum TAccept : uchar { acNo, acYes, acWide };

    bool Accepts(const TReceiveText& aText, const uchar* aBytes, qint64 aAt, qint64 aIndex) const;
    bool WideMatches(char16_t aStored, char16_t aWanted) const;
    qint64 FindEdge(const TReceiveText& aText, qint64 aFrom, qint64 aTo, bool aLast) const;

    qint64 FLength = 0;
    bool FCaseSensitive = false;
    QString FPattern;
    // 256 entries a pattern place.
    std::vector<TAccept> FAccept;
    // How far the window moves on when its last byte is the index (Horspool).
    std::array<qint64, 256> FShift{};
};

// The scan is a Horspool search over the stored bytes with a table of accepted bytes for each
// pattern place (case folding and the code page glyphs make more than one byte fit a place).
template <class TFound>
void TReceiveMatcher::Scan(const TReceiveText& aText, qint64 aFrom, qint64 aTo, TFound&& aFound) const
{
    aFrom = qMax<qint64>(0, aFrom);
    aTo = qMin(aTo, ScanEnd(aText));
    if (FLength == 0 || aFrom >= aTo)
        return;
    const uchar* text = aText.Bytes();
    const qint64 last = FLength - 1;
    const TAccept* lastPlace = FAccept.data() + last * 256;
    // The end of the paragraph the latest candidate lies in; candidates only move forward.
    qint64 paragraphEnd = -1;
    for (qint64 at = aFrom; at < aTo;) {
        const uchar c = text[at + last];
        if (lastPlace[c] != acNo) {
            qint64 i = last;
            while (i >= 0 && Accepts(aText, text, at + i, i))
                --i;
            if (i < 0) {
                if (at >= paragraphEnd)
                    paragraphEnd = aText.ParagraphEnd(aText.ParagraphAt(at));
                if (at + FLength <= paragraphEnd && !aFound(at))
                    return;
            }
        }
        at += FShift[c];
    }
}

inline bool TReceiveMatcher::Accepts(const TReceiveText& aText, const uchar* aBytes, qint64 aAt,
                                     qint64 aIndex) const
{
    const TAccept accept = FAccept[size_t(aIndex * 256 + aBytes[aAt])];
    return accept == acYes
        || (accept == acWide && WideMatches(aText.CharAt(aAt), FPattern[aIndex].unicode()));
}
