#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <functional>
#include <memory>
#include <vector>

enum TContentType { ctSend = 0, ctReceive = 1 };

// Where "now" comes from; tests put in a clock they can move by hand.
using TClock = std::function<QDateTime()>;

// A run of text of one direction. Text is only ever appended.
//
// Received text is one character per byte, so a token keeps its text as Latin-1 bytes as
// long as every character fits; only a character above 255 (typed text such as "€")
// turns it into a QString for good. A long receive session then costs about one byte per
// received byte instead of two.
class TBaseToken
{
public:
    virtual ~TBaseToken();
    TBaseToken(const TBaseToken&) = delete;
    TBaseToken& operator=(const TBaseToken&) = delete;

    TContentType ContentType() const { return FContentType; }
    QDateTime Created() const { return FCreated; }
    QDateTime LastUpdate() const { return FLastUpdate; }

    void AddContent(const QString& aContent) { AddContent(QStringView(aContent)); }
    void AddContent(QStringView aContent);
    // Raw received bytes, one character each.
    void AddLatin1Content(QByteArrayView aBytes);

    qsizetype Length() const { return FWide ? FWideContent.size() : FLatin1.size(); }
    // Builds the whole text; on a token of many megabytes prefer Mid() or Latin1Content().
    QString Content() const;
    // As QString::mid, so a big token can be decoded piece by piece.
    QString Mid(qsizetype aPosition, qsizetype aCount = -1) const;
    bool IsLatin1() const { return !FWide; }
    // The text while IsLatin1(); empty afterwards.
    const QByteArray& Latin1Content() const { return FLatin1; }
    // Appends the text to aTarget without building a temporary copy.
    void AppendContentTo(QString& aTarget) const;

    // Whether the whole text contains aTrigger (exact, case-sensitive; "" never matches).
    // Asked on every poll while the token grows, so only text added since the last call
    // with the same trigger is looked at.
    bool ContainsTrigger(const QString& aTrigger) const;

    // When the piece of text at aOffset came (ms since the epoch, the clock's time of the
    // append that brought it), and where that piece ends: received lines are stamped with it.
    qint64 ArrivalMs(qsizetype aOffset) const;
    qsizetype ArrivalEnd(qsizetype aOffset) const;

    // The clock stamping Created and LastUpdate; an empty one means the wall clock.
    void SetClock(TClock aClock) { FClock = std::move(aClock); }

protected:
    explicit TBaseToken(TContentType aContentType, TClock aClock = {});

private:
    struct TTriggerSearch;

    struct TArrival
    {
        qsizetype Offset; // where the appended piece starts
        qint64 Ms;
    };

    QDateTime Now() const;
    void NoteArrival(qsizetype aOffset);
    void SwitchToWide();
    void AppendWide(QStringView aContent);

    TContentType FContentType;
    TClock FClock;
    QDateTime FCreated;
    QDateTime FLastUpdate;
    bool FWide = false;
    QByteArray FLatin1;
    QString FWideContent;
    std::vector<TArrival> FArrivals;
    // Only the current token of a list is ever searched, so the others carry no memo.
    mutable std::unique_ptr<TTriggerSearch> FSearch;
};

class TSendToken : public TBaseToken
{
public:
    explicit TSendToken(TClock aClock = {})
        : TBaseToken(ctSend, std::move(aClock))
    {
    }
};

class TReceiveToken : public TBaseToken
{
public:
    explicit TReceiveToken(TClock aClock = {})
        : TBaseToken(ctReceive, std::move(aClock))
    {
    }
};

// All traffic of the port, oldest first. Text of one direction keeps going into the last
// token until the line was quiet for ContentExpiredMs or the direction changes.
class TTokenList
{
public:
    TTokenList();
    ~TTokenList();
    TTokenList(const TTokenList&) = delete;
    TTokenList& operator=(const TTokenList&) = delete;

    int ContentExpiredMs() const { return FContentExpiredMs; }
    void SetContentExpiredMs(int aMilliseconds) { FContentExpiredMs = aMilliseconds; }

    // Tokens this list creates follow the clock, also when it is replaced later.
    void SetClock(TClock aClock);
    QDateTime Now() const;

    int Count() const { return int(FTokens.size()); }
    int GetCount() const { return Count(); }
    TBaseToken* CurrentToken() const;
    TBaseToken* GetCurrentToken() const { return CurrentToken(); }
    // nullptr when aIndex is out of range.
    TBaseToken* GetToken(int aIndex) const;

    void Add(std::unique_ptr<TBaseToken> aToken);
    void AddContent(const QString& aContent, TContentType aContentType);
    void AddLatin1Content(QByteArrayView aBytes, TContentType aContentType);
    // aContentType is an int because it may come from stored data; an unknown one raises
    // EVarnexError and adds nothing.
    void AddNewToken(const QString& aContent, int aContentType);
    void AddReceiveContent(const QString& aContent) { AddContent(aContent, ctReceive); }
    void AddSendContent(const QString& aContent) { AddContent(aContent, ctSend); }
    void Clear();
    void Delete(int aIndex);

    bool ContentExpired(const TBaseToken* aToken) const;
    // All texts in order, separated by CR LF.
    QString GetAllContent() const;
    // See TBaseToken::ContainsTrigger; false without a token.
    bool CurrentTokenContains(const QString& aTrigger) const;

private:
    // The current token when text of aContentType may still go into it, else nullptr.
    TBaseToken* JoinableToken(TContentType aContentType);
    std::unique_ptr<TBaseToken> CreateToken(int aContentType) const;

    std::vector<std::unique_ptr<TBaseToken>> FTokens;
    int FContentExpiredMs = 0;
    // Shared with the tokens so a replaced clock reaches them, and so a token that outlives
    // the list still has one.
    std::shared_ptr<TClock> FClock;
};
