#include "terminal/Token.h"

#include "base/VarnexError.h"

#include <QLatin1StringView>

#include <algorithm>

namespace {

// Makes room for aMore elements, growing by half again instead of Qt's doubling: appends
// stay amortised O(1) while a big token leaves at most a third of its buffer unused.
template <typename TArray>
void EnsureRoom(TArray& aArray, qsizetype aMore)
{
    const qsizetype needed = aArray.size() + aMore;
    if (needed <= aArray.capacity())
        return;
    aArray.reserve(std::max(needed, aArray.size() + aArray.size() / 2));
}

QDateTime WallClock()
{
    return QDateTime::currentDateTime();
}

} // namespace

// ---------------------------------------------------------------------------------------
// TBaseToken

struct TBaseToken::TTriggerSearch
{
    QString Trigger;
    // The trigger as bytes for searching Latin-1 text; empty when it has a character above
    // 255 and so cannot occur there.
    QByteArray Latin1Trigger;
    // How much of the text has been looked at, and whether the trigger was seen in it.
    // The text only grows, so once found it stays found.
    qsizetype Searched = 0;
    bool Found = false;
};

TBaseToken::TBaseToken(TContentType aContentType, TClock aClock)
    : FContentType(aContentType)
    , FClock(std::move(aClock))
{
    FCreated = Now();
    FLastUpdate = FCreated;
}

TBaseToken::~TBaseToken() = default;

QDateTime TBaseToken::Now() const
{
    return FClock ? FClock() : WallClock();
}

void TBaseToken::AddContent(QStringView aContent)
{
    const qsizetype count = aContent.size();
    const qsizetype before = Length();
    if (FWide) {
        AppendWide(aContent);
    } else if (count > 0) {
        // Copy character by character and only give up on bytes at the first one that
        // does not fit, so the common all-Latin-1 case takes a single pass.
        EnsureRoom(FLatin1, count);
        const qsizetype oldSize = FLatin1.size();
        FLatin1.resize(oldSize + count);
        char* out = FLatin1.data() + oldSize;
        const QChar* in = aContent.data();
        qsizetype i = 0;
        for (; i < count; ++i) {
            const char16_t c = in[i].unicode();
            if (c > 0xFF)
                break;
            out[i] = char(c);
        }
        if (i < count) {
            FLatin1.resize(oldSize + i);
            SwitchToWide();
            AppendWide(aContent.mid(i));
        }
    }
    FLastUpdate = Now();
    NoteArrival(before);
}

void TBaseToken::AddLatin1Content(QByteArrayView aBytes)
{
    const qsizetype before = Length();
    if (FWide) {
        EnsureRoom(FWideContent, aBytes.size());
        FWideContent.append(QLatin1StringView(aBytes.data(), aBytes.size()));
    } else if (!aBytes.isEmpty()) {
        EnsureRoom(FLatin1, aBytes.size());
        FLatin1.append(aBytes.data(), aBytes.size());
    }
    FLastUpdate = Now();
    NoteArrival(before);
}

void TBaseToken::NoteArrival(qsizetype aOffset)
{
    // pieces that came within the same millisecond are one arrival
    const qint64 ms = FLastUpdate.toMSecsSinceEpoch();
    if (Length() > aOffset && (FArrivals.empty() || FArrivals.back().Ms != ms))
        FArrivals.push_back({aOffset, ms});
}

qint64 TBaseToken::ArrivalMs(qsizetype aOffset) const
{
    if (FArrivals.empty())
        return FCreated.toMSecsSinceEpoch();
    auto it = std::upper_bound(FArrivals.begin(), FArrivals.end(), aOffset,
                               [](qsizetype aValue, const TArrival& a) { return aValue < a.Offset; });
    return it == FArrivals.begin() ? FArrivals.front().Ms : std::prev(it)->Ms;
}

qsizetype TBaseToken::ArrivalEnd(qsizetype aOffset) const
{
    auto it = std::upper_bound(FArrivals.begin(), FArrivals.end(), aOffset,
                               [](qsizetype aValue, const TArrival& a) { return aValue < a.Offset; });
    return it == FArrivals.end() ? Length() : it->Offset;
}

void TBaseToken::SwitchToWide()
{
    FWideContent = QString::fromLatin1(FLatin1);
    FLatin1 = QByteArray();
    FWide = true;
}

void TBaseToken::AppendWide(QStringView aContent)
{
    if (aContent.isEmpty())
        return;
    EnsureRoom(FWideContent, aContent.size());
    FWideContent.append(aContent);
}

QString TBaseToken::Content() const
{
    return FWide ? FWideContent : QString::fromLatin1(FLatin1);
}

QString TBaseToken::Mid(qsizetype aPosition, qsizetype aCount) const
{
    if (FWide)
        return FWideContent.mid(aPosition, aCount);
    return QString(QLatin1StringView(FLatin1).mid(aPosition, aCount));
}

void TBaseToken::AppendContentTo(QString& aTarget) const
{
    if (FWide)
        aTarget.append(FWideContent);
    else
        aTarget.append(QLatin1StringView(FLatin1));
}

bool TBaseToken::ContainsTrigger(const QString& aTrigger) const
{
    if (aTrigger.isEmpty())
        return false;
    if (!FSearch || FSearch->Trigger != aTrigger) {
        FSearch = std::make_unique<TTriggerSearch>();
        FSearch->Trigger = aTrigger;
        const bool fitsLatin1 =
            std::all_of(aTrigger.cbegin(), aTrigger.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        if (fitsLatin1)
            FSearch->Latin1Trigger = aTrigger.toLatin1();
    }
    TTriggerSearch& search = *FSearch;
    if (search.Found)
        return true;

    const qsizetype length = Length();
    const qsizetype triggerLength = aTrigger.size();
    // A match that ends in the new text may begin up to triggerLength - 1 characters back
    // in what was already looked at.
    const qsizetype from = std::max<qsizetype>(0, search.Searched - triggerLength + 1);
    if (from + triggerLength <= length) {
        if (FWide)
            search.Found = QStringView(FWideContent).indexOf(aTrigger, from) >= 0;
        else if (!search.Latin1Trigger.isEmpty())
            search.Found = FLatin1.indexOf(search.Latin1Trigger, from) >= 0;
    }
    search.Searched = length;
    return search.Found;
}

// ---------------------------------------------------------------------------------------
// TTokenList

TTokenList::TTokenList()
    : FClock(std::make_shared<TClock>())
{
}

TTokenList::~TTokenList() = default;

void TTokenList::SetClock(TClock aClock)
{
    *FClock = std::move(aClock);
}

QDateTime TTokenList::Now() const
{
    return *FClock ? (*FClock)() : WallClock();
}

TBaseToken* TTokenList::CurrentToken() const
{
    return FTokens.empty() ? nullptr : FTokens.back().get();
}

TBaseToken* TTokenList::GetToken(int aIndex) const
{
    if (aIndex < 0 || aIndex >= Count())
        return nullptr;
    return FTokens[std::size_t(aIndex)].get();
}

void TTokenList::Add(std::unique_ptr<TBaseToken> aToken)
{
    if (aToken)
        FTokens.push_back(std::move(aToken));
}

std::unique_ptr<TBaseToken> TTokenList::CreateToken(int aContentType) const
{
    TClock clock = [shared = FClock] { return *shared ? (*shared)() : WallClock(); };
    switch (aContentType) {
    case ctSend: return std::make_unique<TSendToken>(std::move(clock));
    case ctReceive: return std::make_unique<TReceiveToken>(std::move(clock));
    default:
        throw EVarnexError(
            QStringLiteral("Fehler beim hinzufügen eines neuen Tokens. Der Tokentyp wurde nicht erkannt."));
    }
}

bool TTokenList::ContentExpired(const TBaseToken* aToken) const
{
    if (!aToken)
        return true;
    // Absolute, so a clock set back counts as time passed rather than freezing the token.
    const qint64 elapsed = qAbs(aToken->LastUpdate().msecsTo(Now()));
    return elapsed >= FContentExpiredMs;
}

TBaseToken* TTokenList::JoinableToken(TContentType aContentType)
{
    TBaseToken* current = CurrentToken();
    if (current && current->ContentType() == aContentType && !ContentExpired(current))
        return current;
    return nullptr;
}

void TTokenList::AddContent(const QString& aContent, TContentType aContentType)
{
    if (TBaseToken* token = JoinableToken(aContentType))
        token->AddContent(aContent);
    else
        AddNewToken(aContent, aContentType);
}

void TTokenList::AddLatin1Content(QByteArrayView aBytes, TContentType aContentType)
{
    if (TBaseToken* token = JoinableToken(aContentType)) {
        token->AddLatin1Content(aBytes);
        return;
    }
    std::unique_ptr<TBaseToken> token = CreateToken(aContentType);
    token->AddLatin1Content(aBytes);
    FTokens.push_back(std::move(token));
}

void TTokenList::AddNewToken(const QString& aContent, int aContentType)
{
    std::unique_ptr<TBaseToken> token = CreateToken(aContentType);
    token->AddContent(aContent);
    FTokens.push_back(std::move(token));
}

void TTokenList::Clear()
{
    FTokens.clear();
}

void TTokenList::Delete(int aIndex)
{
    if (aIndex >= 0 && aIndex < Count())
        FTokens.erase(FTokens.begin() + aIndex);
}

QString TTokenList::GetAllContent() const
{
    qsizetype total = 0;
    for (const auto& token : FTokens)
        total += token->Length() + 2;
    QString all;
    all.reserve(total);
    for (const auto& token : FTokens) {
        // An empty first token leaves nothing to separate from.
        if (!all.isEmpty())
            all += u"\r\n";
        token->AppendContentTo(all);
    }
    return all;
}

bool TTokenList::CurrentTokenContains(const QString& aTrigger) const
{
    const TBaseToken* token = CurrentToken();
    return token && token->ContainsTrigger(aTrigger);
}
