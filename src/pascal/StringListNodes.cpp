#include "pascal/StringListNodes.h"

#include "pascal/Builtins.h"
#include "pascal/HeapValues.h"

#include <algorithm>
#include <cstring>

namespace pascal {

namespace {

// A list is a fixed record of these slots; the items are an array in slot 0, so a list may
// grow while every variable naming it keeps naming the same record.
enum TSlot : int {
    kItems,
    kSorted,
    kDuplicates, // 0 dupIgnore, 1 dupAccept, 2 dupError
    kDelimiter,
    kQuoteChar,
    kNameValueSeparator,
    kStrictDelimiter,
    kCaseSensitive,
    kSlotCount
};

constexpr qint64 kDupIgnore = 0;
constexpr qint64 kDupError = 2;

class TList
{
public:
    TList(TArrRec* aRec, TRuntime& aRt, TSourcePos aPos)
        : FRec(aRec)
        , FRt(aRt)
        , FPos(aPos)
    {
    }

    qint64 Count() const { return ArrCount(Slot(kItems)); }
    const TStr Get(qint64 i) const
    {
        CheckIndex(i, Count());
        return Slot(kItems).A->Items()[i].Str();
    }
    void Put(qint64 i, TStr s)
    {
        CheckIndex(i, Count());
        Items()[i].SetStr(std::move(s));
    }
    qint64 Flag(TSlot aSlot) const { return Slot(aSlot).I; }
    void SetFlag(TSlot aSlot, qint64 aValue) { FRec->Items()[aSlot].I = aValue; }

    int Compare(const TStr& a, const TStr& b) const
    {
        return Flag(kCaseSensitive) ? TStr::Compare(a, b) : CompareNoCase(a, b);
    }

    // Sorted lists: where aText is or would go.
    bool Find(const TStr& aText, qint64& aIndex) const
    {
        qint64 low = 0;
        qint64 high = Count() - 1;
        bool found = false;
        while (low <= high) {
            const qint64 mid = (low + high) / 2;
            const int c = Compare(Get(mid), aText);
            if (c < 0) {
                low = mid + 1;
            } else {
                high = mid - 1;
                if (c == 0)
                    found = true;
            }
        }
        aIndex = low;
        return found;
    }

    qint64 IndexOf(const TStr& aText) const
    {
        FRt.Charge(Count() * 16, FPos);
        if (Flag(kSorted)) {
            qint64 at = 0;
            return Find(aText, at) ? at : -1;
        }
        for (qint64 i = 0; i < Count(); ++i)
            if (Compare(Get(i), aText) == 0)
                return i;
        return -1;
    }

    void InsertAt(qint64 i, TStr s)
    {
        TValue& items = FRec->Items()[kItems];
        const qint64 n = Count();
        FRt.CheckSize((n + 1) * qint64(sizeof(TValue)), FPos);
        SetLengthArr(items, n + 1, TValue::FromStr(TStr()));
        TValue* data = items.A->Items();
        std::rotate(data + i, data + n, data + n + 1);
        data[i].SetStr(std::move(s));
        FRt.Charge(n - i, FPos);
    }

    qint64 Add(TStr s)
    {
        if (!Flag(kSorted)) {
            InsertAt(Count(), std::move(s));
            return Count() - 1;
        }
        qint64 at = 0;
        if (Find(s, at)) {
            if (Flag(kDuplicates) == kDupIgnore)
                return at;
            if (Flag(kDuplicates) == kDupError)
                FRt.Raise("EStringListError", QStringLiteral("Die Liste erlaubt keine doppelten Einträge"),
                          FPos);
        }
        InsertAt(at, std::move(s));
        return at;
    }

    void Delete(qint64 i)
    {
        CheckIndex(i, Count());
        TValue& items = FRec->Items()[kItems];
        TValue* data = UniqueArr(items)->Items();
        const qint64 n = Count();
        std::rotate(data + i, data + i + 1, data + n);
        SetLengthArr(items, n - 1, TValue::FromStr(TStr()));
        FRt.Charge(n - i, FPos);
    }

    void Clear() { FRec->Items()[kItems] = TValue::FromArr(nullptr); }

    void NotSorted() const
    {
        if (Flag(kSorted))
            FRt.Raise("EStringListError", QStringLiteral("Bei einer sortierten Liste nicht erlaubt"), FPos);
    }

    void Sort()
    {
        const qint64 n = Count();
        if (n < 2)
            return;
        FRt.Charge(n * 64, FPos);
        TValue* data = Items();
        std::stable_sort(data, data + n,
                         [this](const TValue& a, const TValue& b) { return Compare(a.Str(), b.Str()) < 0; });
    }

    // Name=Value pairs
    qint64 SeparatorIn(const TStr& s) const
    {
        const char* at = static_cast<const char*>(
            std::memchr(s.Data(), char(Flag(kNameValueSeparator)), std::size_t(s.Length())));
        return at ? at - s.Data() : -1;
    }
    qint64 IndexOfName(const TStr& aName) const
    {
        FRt.Charge(Count() * 16, FPos);
        for (qint64 i = 0; i < Count(); ++i) {
            const TStr s = Get(i);
            const qint64 p = SeparatorIn(s);
            if (p >= 0 && Compare(TStr(s.Data(), p), aName) == 0)
                return i;
        }
        return -1;
    }
    TStr ValueAt(qint64 i) const
    {
        const TStr s = Get(i);
        const qint64 p = SeparatorIn(s);
        return p < 0 ? TStr() : TStr(s.Data() + p + 1, s.Length() - p - 1);
    }

    TStr Text() const
    {
        TStr out;
        for (qint64 i = 0; i < Count(); ++i) {
            out.Append(Get(i));
            out.Append("\r\n", 2);
            FRt.CheckSize(out.Length(), FPos);
        }
        FRt.Charge(out.Length(), FPos);
        return out;
    }
    void SetText(const TStr& aText)
    {
        Clear();
        const char* d = aText.Data();
        const qint64 n = aText.Length();
        qint64 i = 0;
        while (i < n) {
            qint64 j = i;
            while (j < n && d[j] != '\r' && d[j] != '\n')
                ++j;
            Add(TStr(d + i, j - i));
            if (j < n && d[j] == '\r')
                ++j;
            if (j < n && d[j] == '\n')
                ++j;
            i = j;
        }
    }

    TStr DelimitedText(char aDelimiter, char aQuote, bool aStrict) const
    {
        TStr out;
        for (qint64 i = 0; i < Count(); ++i) {
            const TStr s = Get(i);
            bool quote = false;
            for (qint64 k = 0; k < s.Length() && !quote; ++k) {
                const unsigned char c = s.At(k);
                quote = c == 0 || c == uchar(aQuote) || c == uchar(aDelimiter) || (!aStrict && c <= ' ');
            }
            if (quote && aQuote != 0) {
                out.AppendChar(aQuote);
                for (qint64 k = 0; k < s.Length(); ++k) {
                    out.AppendChar(s.Data()[k]);
                    if (s.Data()[k] == aQuote)
                        out.AppendChar(aQuote);
                }
                out.AppendChar(aQuote);
            } else {
                out.Append(s);
            }
            if (i + 1 < Count())
                out.AppendChar(aDelimiter);
            FRt.CheckSize(out.Length(), FPos);
        }
        if (out.IsEmpty() && Count() == 1) {
            out.AppendChar(aQuote);
            out.AppendChar(aQuote);
        }
        FRt.Charge(out.Length(), FPos);
        return out;
    }

    // Fields separated by the delimiter (and, unless strict, by blanks and control characters),
    // each possibly in quotes with the quote doubled inside.
    void SetDelimitedText(const TStr& aText, char aDelimiter, char aQuote, bool aStrict)
    {
        Clear();
        const char* d = aText.Data();
        const qint64 n = aText.Length();
        auto blank = [&](qint64 k) { return !aStrict && k < n && uchar(d[k]) <= ' '; };
        qint64 i = 0;
        bool notFirst = false;
        while (i < n) {
            if (notFirst && i < n && d[i] == aDelimiter)
                ++i;
            while (blank(i))
                ++i;
            if (i < n) {
                if (d[i] == aQuote) {
                    qint64 j = i + 1;
                    TStr field;
                    while (j < n && (d[j] != aQuote || (j + 1 < n && d[j + 1] == aQuote))) {
                        field.AppendChar(d[j]);
                        j += d[j] == aQuote ? 2 : 1;
                    }
                    Add(std::move(field));
                    i = j + 1;
                } else {
                    qint64 j = i;
                    while (j < n && d[j] != aDelimiter && !(uchar(d[j]) <= ' ' && !aStrict))
                        ++j;
                    Add(TStr(d + i, j - i));
                    i = j;
                }
            } else if (notFirst) {
                Add(TStr());
            }
            while (blank(i))
                ++i;
            notFirst = true;
        }
        FRt.Charge(n, FPos);
    }

    void Assign(const TList& aOther)
    {
        TValue copy = aOther.Slot(kItems);
        for (int s = kDelimiter; s < kSlotCount; ++s)
            SetFlag(TSlot(s), aOther.Flag(TSlot(s)));
        Clear();
        if (Flag(kSorted)) {
            for (qint64 i = 0; i < ArrCount(copy); ++i)
                Add(copy.A->Items()[i].Str());
        } else {
            FRec->Items()[kItems] = std::move(copy);
        }
        FRt.Charge(Count(), FPos);
    }
    void AddStrings(const TList& aOther)
    {
        const TValue copy = aOther.Slot(kItems); // the same list may be added to itself
        for (qint64 i = 0; i < ArrCount(copy); ++i)
            Add(copy.A->Items()[i].Str());
    }

private:
    const TValue& Slot(TSlot aSlot) const { return FRec->Items()[aSlot]; }
    TValue* Items()
    {
        // The items are this list's alone; written in place, as every name of the list sees them.
        return UniqueArr(FRec->Items()[kItems])->Items();
    }
    void CheckIndex(qint64 i, qint64 aCount) const
    {
        if (i < 0 || i >= aCount)
            FRt.Raise("EStringListError",
                      QStringLiteral("Listenindex (%1) außerhalb des gültigen Bereichs").arg(i), FPos);
    }

    TArrRec* FRec;
    TRuntime& FRt;
    TSourcePos FPos;
};

TArrRec* NewList()
{
    TArrRec* rec = NewArr(kSlotCount, TValue::FromInt(0));
    rec->Items()[kItems] = TValue::FromArr(nullptr);
    rec->Items()[kDelimiter].I = ',';
    rec->Items()[kQuoteChar].I = '"';
    rec->Items()[kNameValueSeparator].I = '=';
    return rec;
}

} // namespace

TValue ListItems(const TValue& aList, TRuntime& aRt, TSourcePos aPos)
{
    if (aList.K != TVKind::Arr || aList.A == nullptr)
        aRt.Raise("EAccessViolation",
                  QStringLiteral(
                      "Zugriffsverletzung: die Liste ist nicht angelegt (nil, TStringList.Create fehlt)"),
                  aPos);
    return aList.A->Items()[kItems];
}

TListOp TListNode::Setter(TListOp aGetter)
{
    switch (aGetter) {
    case TListOp::Strings: return TListOp::SetStrings;
    case TListOp::ValueFromIndex: return TListOp::SetValueFromIndex;
    case TListOp::Values: return TListOp::SetValues;
    case TListOp::Text: return TListOp::SetText;
    case TListOp::CommaText: return TListOp::SetCommaText;
    case TListOp::DelimitedText: return TListOp::SetDelimitedText;
    case TListOp::Delimiter: return TListOp::SetDelimiter;
    case TListOp::QuoteChar: return TListOp::SetQuoteChar;
    case TListOp::NameValueSeparator: return TListOp::SetNameValueSeparator;
    case TListOp::StrictDelimiter: return TListOp::SetStrictDelimiter;
    case TListOp::Sorted: return TListOp::SetSorted;
    case TListOp::Duplicates: return TListOp::SetDuplicates;
    case TListOp::CaseSensitive: return TListOp::SetCaseSensitive;
    default: return TListOp::Create;
    }
}

qint64 TListNode::EvalInt(TRuntime& aRt) const
{
    return Run(aRt).I;
}

TStr TListNode::EvalStr(TRuntime& aRt) const
{
    return Run(aRt).Str();
}

TValue TListNode::Eval(TRuntime& aRt) const
{
    return Run(aRt);
}

TValue TListNode::Run(TRuntime& aRt) const
{
    aRt.Tick(Pos);
    if (Op == TListOp::Create)
        return TValue::FromArr(NewList());
    TValue self = List->Eval(aRt);
    if (Op == TListOp::Free)
        return TValue();
    if (Op == TListOp::Assigned)
        return TValue::FromInt(self.K == TVKind::Arr && self.A != nullptr);
    ListItems(self, aRt, Pos); // nil is an error
    TList list(self.A, aRt, Pos);
    auto str = [&](std::size_t i) { return Args[i]->EvalStr(aRt); };
    auto num = [&](std::size_t i) { return Args[i]->EvalInt(aRt); };
    auto other = [&](std::size_t i) {
        TValue v = Args[i]->Eval(aRt);
        if (v.K != TVKind::Arr || v.A == nullptr)
            aRt.Raise("EAccessViolation",
                      QStringLiteral("Zugriffsverletzung: die Liste ist nicht angelegt (nil)"), Pos);
        return v;
    };
    const TValue none;
    switch (Op) {
    case TListOp::Create:
    case TListOp::Free:
    case TListOp::Assigned: return none;
    case TListOp::Add: return TValue::FromInt(list.Add(str(0)));
    case TListOp::Append: list.Add(str(0)); return none;
    case TListOp::Insert: {
        const qint64 i = num(0);
        TStr s = str(1);
        list.NotSorted();
        if (i < 0 || i > list.Count())
            list.Get(i); // the index error
        list.InsertAt(i, std::move(s));
        return none;
    }
    case TListOp::Delete: list.Delete(num(0)); return none;
    case TListOp::Clear: list.Clear(); return none;
    case TListOp::Exchange: {
        const qint64 i = num(0);
        const qint64 j = num(1);
        list.NotSorted();
        TStr a = list.Get(i);
        TStr b = list.Get(j);
        list.Put(i, std::move(b));
        list.Put(j, std::move(a));
        return none;
    }
    case TListOp::IndexOf: return TValue::FromInt(list.IndexOf(str(0)));
    case TListOp::IndexOfName: return TValue::FromInt(list.IndexOfName(str(0)));
    case TListOp::Sort: list.Sort(); return none;
    case TListOp::Assign: {
        const TValue from = other(0);
        list.Assign(TList(from.A, aRt, Pos));
        return none;
    }
    case TListOp::AddStrings: {
        const TValue from = other(0);
        list.AddStrings(TList(from.A, aRt, Pos));
        return none;
    }
    case TListOp::Count: return TValue::FromInt(list.Count());
    case TListOp::Strings: return TValue::FromStr(list.Get(num(0)));
    case TListOp::Names: {
        const TStr s = list.Get(num(0));
        const qint64 p = list.SeparatorIn(s);
        return TValue::FromStr(p < 0 ? TStr() : TStr(s.Data(), p));
    }
    case TListOp::ValueFromIndex: return TValue::FromStr(list.ValueAt(num(0)));
    case TListOp::Values: {
        const qint64 i = list.IndexOfName(str(0));
        return TValue::FromStr(i < 0 ? TStr() : list.ValueAt(i));
    }
    case TListOp::Text: return TValue::FromStr(list.Text());
    case TListOp::CommaText: return TValue::FromStr(list.DelimitedText(',', '"', false));
    case TListOp::DelimitedText:
        return TValue::FromStr(list.DelimitedText(char(list.Flag(kDelimiter)), char(list.Flag(kQuoteChar)),
                                                  list.Flag(kStrictDelimiter) != 0));
    case TListOp::Delimiter: return TValue::FromInt(list.Flag(kDelimiter));
    case TListOp::QuoteChar: return TValue::FromInt(list.Flag(kQuoteChar));
    case TListOp::NameValueSeparator: return TValue::FromInt(list.Flag(kNameValueSeparator));
    case TListOp::StrictDelimiter: return TValue::FromInt(list.Flag(kStrictDelimiter));
    case TListOp::Sorted: return TValue::FromInt(list.Flag(kSorted));
    case TListOp::Duplicates: return TValue::FromInt(list.Flag(kDuplicates));
    case TListOp::CaseSensitive: return TValue::FromInt(list.Flag(kCaseSensitive));
    case TListOp::SetStrings: {
        const qint64 i = num(0);
        TStr s = str(1);
        list.NotSorted();
        list.Put(i, std::move(s));
        return none;
    }
    case TListOp::SetValueFromIndex: {
        const qint64 i = num(0);
        TStr value = str(1);
        const TStr s = list.Get(i);
        const qint64 p = list.SeparatorIn(s);
        TStr line(s.Data(), p < 0 ? 0 : p);
        line.AppendChar(char(list.Flag(kNameValueSeparator)));
        line.Append(value);
        list.Put(i, std::move(line));
        return none;
    }
    case TListOp::SetValues: {
        const TStr name = str(0);
        const TStr value = str(1);
        const qint64 i = list.IndexOfName(name);
        // An empty value stays as "Name=", as in Free Pascal (Delphi deletes the line).
        TStr line = name;
        line.AppendChar(char(list.Flag(kNameValueSeparator)));
        line.Append(value);
        if (i < 0)
            list.Add(std::move(line));
        else
            list.Put(i, std::move(line));
        return none;
    }
    case TListOp::SetText: list.SetText(str(0)); return none;
    case TListOp::SetCommaText: list.SetDelimitedText(str(0), ',', '"', false); return none;
    case TListOp::SetDelimitedText:
        list.SetDelimitedText(str(0), char(list.Flag(kDelimiter)), char(list.Flag(kQuoteChar)),
                              list.Flag(kStrictDelimiter) != 0);
        return none;
    case TListOp::SetDelimiter: list.SetFlag(kDelimiter, num(0)); return none;
    case TListOp::SetQuoteChar: list.SetFlag(kQuoteChar, num(0)); return none;
    case TListOp::SetNameValueSeparator: list.SetFlag(kNameValueSeparator, num(0)); return none;
    case TListOp::SetStrictDelimiter: list.SetFlag(kStrictDelimiter, num(0) != 0); return none;
    case TListOp::SetSorted: {
        const bool sorted = num(0) != 0;
        if (sorted && !list.Flag(kSorted))
            list.Sort();
        list.SetFlag(kSorted, sorted);
        return none;
    }
    case TListOp::SetDuplicates: list.SetFlag(kDuplicates, num(0)); return none;
    case TListOp::SetCaseSensitive: {
        const bool sensitive = num(0) != 0;
        const bool resort = list.Flag(kSorted) && sensitive != (list.Flag(kCaseSensitive) != 0);
        list.SetFlag(kCaseSensitive, sensitive);
        if (resort)
            list.Sort();
        return none;
    }
    }
    return none;
}

} // namespace pascal
