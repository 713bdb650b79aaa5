#include "terminal/ReceiveMatcher.h"

#include <QChar>

TReceiveMatcher::TReceiveMatcher(const QString& aPattern, bool aCaseSensitive)
    : FLength(aPattern.size())
    , FCaseSensitive(aCaseSensitive)
    , FPattern(aPattern)
{
    // How each byte shows, folded once rather than at every pattern place.
    std::array<char32_t, 256> shown{};
    for (int b = 0; b < 256; ++b) {
        const char16_t glyph = TReceiveText::ShownChar(char16_t(b));
        shown[size_t(b)] = aCaseSensitive ? glyph : QChar::toCaseFolded(char32_t(glyph));
    }
    FAccept.assign(size_t(FLength) * 256, acNo);
    for (qint64 i = 0; i < FLength; ++i) {
        const char16_t wanted = FPattern[i].unicode();
        const char32_t key = aCaseSensitive ? wanted : QChar::toCaseFolded(char32_t(wanted));
        TAccept* place = FAccept.data() + i * 256;
        for (int b = 0; b < 256; ++b)
            if (shown[size_t(b)] == key)
                place[b] = acYes;
        // The placeholder's real character is looked up where it stands.
        place[TReceiveText::WidePlaceholder] = acWide;
    }
    FShift.fill(qMax<qint64>(1, FLength));
    for (qint64 i = 0; i + 1 < FLength; ++i) {
        const TAccept* place = FAccept.data() + i * 256;
        for (int b = 0; b < 256; ++b)
            if (place[b] != acNo)
                FShift[size_t(b)] = FLength - 1 - i;
    }
}

bool TReceiveMatcher::WideMatches(char16_t aStored, char16_t aWanted) const
{
    const char16_t shown = TReceiveText::ShownChar(aStored);
    if (FCaseSensitive)
        return shown == aWanted;
    return QChar::toCaseFolded(char32_t(shown)) == QChar::toCaseFolded(char32_t(aWanted));
}

qint64 TReceiveMatcher::ScanEnd(const TReceiveText& aText) const
{
    return FLength == 0 ? 0 : qMax<qint64>(0, aText.Size() - FLength + 1);
}

qint64 TReceiveMatcher::FindFirst(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const
{
    return FindEdge(aText, aFrom, aTo, false);
}

qint64 TReceiveMatcher::FindLast(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const
{
    return FindEdge(aText, aFrom, aTo, true);
}

qint64 TReceiveMatcher::FindEdge(const TReceiveText& aText, qint64 aFrom, qint64 aTo, bool aLast) const
{
    qint64 found = -1;
    Scan(aText, aFrom, aTo, [&found, aLast](qint64 aStart) {
        found = aStart;
        return aLast; // the first ends the scan; for the last it goes on
    });
    return found;
}

qint64 TReceiveMatcher::Count(const TReceiveText& aText, qint64 aFrom, qint64 aTo) const
{
    qint64 count = 0;
    Scan(aText, aFrom, aTo, [&count](qint64) {
        ++count;
        return true;
    });
    return count;
}

bool TReceiveMatcher::IsMatchAt(const TReceiveText& aText, qint64 aStart) const
{
    return aStart >= 0 && FindFirst(aText, aStart, aStart + 1) == aStart;
}
