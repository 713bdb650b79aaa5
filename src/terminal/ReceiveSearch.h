#pragma once

#include "terminal/ReceiveMatcher.h"

#include <QList>
#include <QObject>
#include <QString>

class QTimer;
class TReceiveText;

// Searching what the receive view holds, without the view: the current match, stepping to the
// next and the previous one round the ends, and the count of all matches. A view may hold
// hundreds of megabytes, so the work runs in slices on the event loop, as the view's rebuild
// does, and is reported after each slice. The text may grow, lose its front or be cut back
// meanwhile (call TextChanged after each change): offsets follow a dropped front, a cut starts
// the count over, and text that arrives is searched too.
//
// Offsets count characters without the line breaks, as in TReceiveText.
class TReceiveSearch : public QObject
{
    Q_OBJECT
public:
    struct TMatch
    {
        qint64 Start = -1;
        qint64 Length = 0;
        bool IsValid() const { return Start >= 0; }
        qint64 End() const { return Start + Length; }
    };

    explicit TReceiveSearch(const TReceiveText& aText, QObject* aParent = nullptr);

    // Searches for aPattern afresh: the current match becomes the first at or after aFrom
    // (round the end if need be) and the count starts over. An empty pattern stops.
    void Start(const QString& aPattern, bool aCaseSensitive, qint64 aFrom);
    // Ends the search; CurrentChanged is not reported for it.
    void Stop();
    bool IsActive() const { return !FMatcher.IsEmpty(); }
    // The match after (before) the current one, round the end (the start); without a current
    // match the first one at or after aFrom.
    void FindNext(qint64 aFrom);
    void FindPrevious(qint64 aFrom);

    TMatch Current() const { return FCurrent; }
    // The current match's place among all (1 is the first); 0 while it is not known yet.
    qint64 CurrentNumber() const { return FNumber; }
    // Matches counted so far; the count is complete when IsCounting is false.
    qint64 Count() const { return FCount; }
    bool IsCounting() const;
    // A step to the next or previous match is on its way.
    bool IsFinding() const { return FFind.Phase == fpAhead || FFind.Phase == fpRound; }
    // The matches that overlap [aFrom, aTo), for painting a few rows.
    QList<TMatch> MatchesIn(qint64 aFrom, qint64 aTo) const;

    // The text changed: follows a dropped front or a cut, and goes on with the work.
    void TextChanged();

    // One slice; false once nothing is left to do for now.
    bool Continue();
    // Tests drive the slices themselves: without, slices only run when asked.
    void SetOnEventLoop(bool aOn) { FOnEventLoop = aOn; }
    void SetSlice(qint64 aChars, int aMilliseconds);

signals:
    // The count or the state moved on (after a slice).
    void Progress();
    // Another match is current, or none is.
    void CurrentChanged();

private:
    // A step from one match to another. Forward: ahead to the end, then round from the start
    // to where it began. Backward: back to the start, then round from the end down to where it
    // began. A step that found nothing waits at the end for text still to come.
    enum TFindPhase { fpNone, fpAhead, fpRound, fpWaiting };
    struct TFind
    {
        TFindPhase Phase = fpNone;
        bool Backward = false;
        qint64 Pos = 0;
        qint64 Origin = 0;
        // Where the text ended when the step went round: the waiting goes on from there.
        qint64 WaitFrom = 0;
        // The number of the match the step started from (0: not known).
        qint64 FromNumber = 0;
    };
    // Counting back from a new current match to where the count has got, to learn its number.
    struct TNumbering
    {
        bool Active = false;
        qint64 Pos = 0;
        qint64 End = 0;
        qint64 CountAtEnd = 0;
        qint64 Found = 0;
    };

    void Sync();
    bool HasWork() const;
    bool FindPending() const;
    void StartFind(bool aBackward, qint64 aFrom, qint64 aOrigin, qint64 aFromNumber);
    qint64 FindStep(qint64 aChars, bool* aMoved);
    void Found(qint64 aStart, TFindPhase aPhase);
    qint64 NumberingStep(qint64 aChars);
    qint64 CountStep(qint64 aChars);
    void Schedule();

    const TReceiveText& FText;
    TReceiveMatcher FMatcher;
    QString FPattern;
    bool FCaseSensitive = false;
    TMatch FCurrent;
    qint64 FNumber = 0;
    qint64 FCount = 0;
    qint64 FCountPos = 0;
    TFind FFind;
    TNumbering FNumbering;
    // What the text had cut and dropped when last looked at.
    quint64 FCuts = 0;
    qint64 FDropped = 0;

    QTimer* FTimer = nullptr;
    bool FOnEventLoop = true;
    qint64 FSliceChars;
    int FSliceMs;
};
