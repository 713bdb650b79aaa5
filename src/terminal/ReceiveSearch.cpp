#include "terminal/ReceiveSearch.h"

#include "base/ErrorGuard.h"
#include "terminal/ReceiveText.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {
// A slice works on this many characters or milliseconds, whichever comes first, so the window
// keeps answering and the port keeps being read while hundreds of megabytes are searched.
constexpr qint64 kSliceChars = qint64(16) << 20;
constexpr int kSliceMs = 20;
// The clock is looked at after each step of this many characters.
constexpr qint64 kStepChars = qint64(1) << 20;
} // namespace

TReceiveSearch::TReceiveSearch(const TReceiveText& aText, QObject* aParent)
    : QObject(aParent)
    , FText(aText)
    , FSliceChars(kSliceChars)
    , FSliceMs(kSliceMs)
{
    FTimer = new QTimer(this);
    FTimer->setSingleShot(true);
    FTimer->setInterval(0);
    connect(FTimer, &QTimer::timeout, this, [this] { Guarded([this] { Continue(); }); });
}

void TReceiveSearch::SetSlice(qint64 aChars, int aMilliseconds)
{
    FSliceChars = aChars;
    FSliceMs = aMilliseconds;
}

void TReceiveSearch::Start(const QString& aPattern, bool aCaseSensitive, qint64 aFrom)
{
    if (aPattern.isEmpty()) {
        Stop();
        return;
    }
    FPattern = aPattern;
    FCaseSensitive = aCaseSensitive;
    FMatcher = TReceiveMatcher(aPattern, aCaseSensitive);
    FCuts = FText.Cuts();
    FDropped = FText.DroppedChars();
    const bool hadCurrent = FCurrent.IsValid();
    FCurrent = {};
    FNumber = 0;
    FCount = 0;
    FCountPos = 0;
    FNumbering = {};
    const qint64 from = qBound<qint64>(0, aFrom, FMatcher.ScanEnd(FText));
    StartFind(false, from, from, 0);
    if (hadCurrent)
        emit CurrentChanged();
    Continue();
}

void TReceiveSearch::Stop()
{
    // Ending the search is no lost match: who shows the current match keeps what it shows.
    FMatcher = {};
    FPattern.clear();
    FCurrent = {};
    FNumber = 0;
    FCount = 0;
    FCountPos = 0;
    FFind = {};
    FNumbering = {};
    FTimer->stop();
    emit Progress();
}

void TReceiveSearch::FindNext(qint64 aFrom)
{
    if (!IsActive() || (IsFinding() && !FFind.Backward))
        return;
    Sync();
    if (FCurrent.IsValid())
        StartFind(false, FCurrent.Start + 1, FCurrent.Start + 1, FNumber);
    else if (FFind.Phase == fpWaiting)
        return; // the whole text was searched in vain; new text is looked at as it comes
    else
        StartFind(false, aFrom, aFrom, 0);
    Continue();
}

void TReceiveSearch::FindPrevious(qint64 aFrom)
{
    if (!IsActive() || (IsFinding() && FFind.Backward))
        return;
    Sync();
    if (FCurrent.IsValid())
        StartFind(true, FCurrent.Start, FCurrent.Start, FNumber);
    else if (FFind.Phase == fpWaiting)
        return;
    else
        StartFind(false, aFrom, aFrom, 0);
    Continue();
}

bool TReceiveSearch::IsCounting() const
{
    return IsActive() && (FNumbering.Active || FCountPos < FMatcher.ScanEnd(FText));
}

QList<TReceiveSearch::TMatch> TReceiveSearch::MatchesIn(qint64 aFrom, qint64 aTo) const
{
    QList<TMatch> matches;
    const qint64 length = FMatcher.Length();
    FMatcher.Scan(FText, aFrom - length + 1, aTo, [&](qint64 aStart) {
        matches.append({aStart, length});
        return true;
    });
    return matches;
}

void TReceiveSearch::TextChanged()
{
    if (!IsActive())
        return;
    Sync();
    Schedule();
}

void TReceiveSearch::Sync()
{
    if (FText.Cuts() == FCuts && FText.DroppedChars() == FDropped)
        return;
    const qint64 dropped = FText.DroppedChars() - FDropped;
    FCuts = FText.Cuts();
    FDropped = FText.DroppedChars();
    const qint64 end = FMatcher.ScanEnd(FText);
    auto follow = [dropped, end](qint64 aOffset) { return qBound<qint64>(0, aOffset - dropped, end); };

    // Offsets follow the dropped front; what a cut took away is searched for again from
    // where it was.
    const bool hadCurrent = FCurrent.IsValid();
    const qint64 lostAt = follow(FCurrent.Start);
    if (hadCurrent) {
        FCurrent.Start -= dropped;
        if (!FMatcher.IsMatchAt(FText, FCurrent.Start))
            FCurrent = {};
    }
    FFind.Pos = follow(FFind.Pos);
    FFind.Origin = follow(FFind.Origin);
    FFind.WaitFrom = follow(FFind.WaitFrom);
    FFind.FromNumber = 0;
    // Which matches went is not known: the count starts over.
    FNumber = 0;
    FNumbering = {};
    FCount = 0;
    FCountPos = 0;
    if (hadCurrent && !FCurrent.IsValid()) {
        if (!IsFinding())
            StartFind(false, lostAt, lostAt, 0);
        emit CurrentChanged();
    }
    emit Progress();
}

bool TReceiveSearch::FindPending() const
{
    return IsFinding() || (FFind.Phase == fpWaiting && FFind.Pos < FMatcher.ScanEnd(FText));
}

bool TReceiveSearch::HasWork() const
{
    return IsActive() && (FindPending() || IsCounting());
}

void TReceiveSearch::Schedule()
{
    if (FOnEventLoop && HasWork() && !FTimer->isActive())
        FTimer->start();
}

bool TReceiveSearch::Continue()
{
    if (!IsActive())
        return false;
    Sync();
    QElapsedTimer clock;
    clock.start();
    qint64 budget = FSliceChars;
    bool worked = false;
    bool moved = false;
    while (budget > 0 && (FSliceMs < 0 || clock.elapsed() < FSliceMs)) {
        const qint64 step = qMin(budget, kStepChars);
        qint64 used = 0;
        if (FindPending())
            used = FindStep(step, &moved);
        else if (FNumbering.Active)
            used = NumberingStep(step);
        else if (FCountPos < FMatcher.ScanEnd(FText))
            used = CountStep(step);
        else
            break;
        budget -= qMax<qint64>(1, used);
        worked = true;
    }
    if (moved)
        emit CurrentChanged();
    if (worked)
        emit Progress();
    const bool more = HasWork();
    if (more && FOnEventLoop)
        FTimer->start();
    return more;
}

void TReceiveSearch::StartFind(bool aBackward, qint64 aFrom, qint64 aOrigin, qint64 aFromNumber)
{
    FFind = {};
    FFind.Phase = fpAhead;
    FFind.Backward = aBackward;
    FFind.Pos = qMax<qint64>(0, aFrom);
    FFind.Origin = qMax<qint64>(0, aOrigin);
    FFind.FromNumber = aFromNumber;
}

qint64 TReceiveSearch::FindStep(qint64 aChars, bool* aMoved)
{
    const qint64 end = FMatcher.ScanEnd(FText);
    TFind& find = FFind;
    qint64 from = 0;
    qint64 to = 0;
    if (find.Phase == fpWaiting || !find.Backward) {
        const qint64 limit = find.Phase == fpRound ? qMin(find.Origin, end) : end;
        from = qMin(find.Pos, limit);
        to = qMin(limit, from + aChars);
        const qint64 start = FMatcher.FindFirst(FText, from, to);
        if (start >= 0) {
            Found(start, find.Phase);
            *aMoved = true;
            return start + 1 - from;
        }
        find.Pos = to;
        if (to >= limit && find.Phase == fpAhead) {
            find.Phase = fpRound;
            find.WaitFrom = end;
            find.Pos = 0;
        } else if (to >= limit && find.Phase == fpRound) {
            find.Phase = fpWaiting;
            find.Pos = find.WaitFrom;
        }
        return to - from;
    }
    const qint64 floor = find.Phase == fpRound ? find.Origin : 0;
    to = qMin(find.Pos, end);
    from = qMax(floor, to - aChars);
    const qint64 start = from < to ? FMatcher.FindLast(FText, from, to) : -1;
    if (start >= 0) {
        Found(start, find.Phase);
        *aMoved = true;
        return to - from;
    }
    find.Pos = from;
    if (from <= floor && find.Phase == fpAhead) {
        find.Phase = fpRound;
        find.WaitFrom = end;
        find.Pos = end;
    } else if (from <= floor) {
        find.Phase = fpWaiting;
        find.Pos = find.WaitFrom;
    }
    return qMax<qint64>(0, to - from);
}

void TReceiveSearch::Found(qint64 aStart, TFindPhase aPhase)
{
    const TFind find = FFind;
    FFind = {};
    FCurrent = {aStart, FMatcher.Length()};
    FNumbering = {};
    // Stepping moves one match on, or round to the first or the last one.
    if (find.FromNumber > 0 && aPhase == fpAhead)
        FNumber = find.Backward ? find.FromNumber - 1 : find.FromNumber + 1;
    else if (aPhase == fpRound && !find.Backward)
        FNumber = 1;
    else
        FNumber = 0;
    if (FNumber > 0 || FCountPos <= aStart)
        return; // known, or the count will see it
    // The count has gone past it: count back from it to where the count is.
    FNumbering.Active = true;
    FNumbering.Pos = aStart;
    FNumbering.End = FCountPos;
    FNumbering.CountAtEnd = FCount;
}

qint64 TReceiveSearch::NumberingStep(qint64 aChars)
{
    TNumbering& numbering = FNumbering;
    const qint64 to = qMin(numbering.End, numbering.Pos + aChars);
    numbering.Found += FMatcher.Count(FText, numbering.Pos, to);
    const qint64 used = to - numbering.Pos;
    numbering.Pos = to;
    if (to >= numbering.End) {
        FNumber = numbering.CountAtEnd - numbering.Found + 1;
        numbering = {};
    }
    return used;
}

qint64 TReceiveSearch::CountStep(qint64 aChars)
{
    const qint64 to = qMin(FMatcher.ScanEnd(FText), FCountPos + aChars);
    const qint64 current = FNumber == 0 && !FNumbering.Active ? FCurrent.Start : -1;
    FMatcher.Scan(FText, FCountPos, to, [&](qint64 aStart) {
        if (aStart == current)
            FNumber = FCount + 1;
        ++FCount;
        return true;
    });
    const qint64 used = to - FCountPos;
    FCountPos = to;
    return used;
}
