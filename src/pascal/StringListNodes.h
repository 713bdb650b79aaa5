#pragma once

#include "pascal/Node.h"

#include <vector>

// TStringList, the one library class scripts have: the usual way to split a device's reply
// into fields. A list is a reference like any class instance (two variables may name the
// same list); it lives as long as a variable names it, so Free only forgets.
namespace pascal {

enum class TListOp : unsigned char {
    Create,
    Free,
    Assigned, // not nil
    // methods
    Add,         // (s): Integer
    Append,      // (s)
    Insert,      // (i, s)
    Delete,      // (i)
    Clear,       //
    Exchange,    // (i, j)
    IndexOf,     // (s): Integer
    IndexOfName, // (name): Integer
    Sort,        //
    Assign,      // (other list)
    AddStrings,  // (other list)
    // properties: reading; the setters follow their getters' order
    Count,
    Strings,        // [i]
    Names,          // [i], read only
    ValueFromIndex, // [i]
    Values,         // [name]
    Text,
    CommaText,
    DelimitedText,
    Delimiter,
    QuoteChar,
    NameValueSeparator,
    StrictDelimiter,
    Sorted,
    Duplicates,
    CaseSensitive,
    // writing
    SetStrings,
    SetValueFromIndex,
    SetValues,
    SetText,
    SetCommaText,
    SetDelimitedText,
    SetDelimiter,
    SetQuoteChar,
    SetNameValueSeparator,
    SetStrictDelimiter,
    SetSorted,
    SetDuplicates,
    SetCaseSensitive,
};

// The items of a list (an array of strings, shared: the caller's copy stays as it is when the
// list changes); a list that is nil raises EAccessViolation at aPos.
TValue ListItems(const TValue& aList, TRuntime& aRt, TSourcePos aPos);

// One operation on a list: List is the list (none for Create), Args the operation's
// arguments, for a setter the new value last.
class TListNode final : public TExprNode
{
public:
    TListNode(const TType* aType, TSourcePos aPos, TListOp aOp, PExpr aList, std::vector<PExpr> aArgs)
        : TExprNode(aType, aPos)
        , Op(aOp)
        , List(std::move(aList))
        , Args(std::move(aArgs))
    {
    }
    qint64 EvalInt(TRuntime& aRt) const override;
    TStr EvalStr(TRuntime& aRt) const override;
    TValue Eval(TRuntime& aRt) const override;

    // The operation that writes what this one reads; Create when there is none.
    static TListOp Setter(TListOp aGetter);

    const TListOp Op;
    PExpr List;
    std::vector<PExpr> Args;

private:
    TValue Run(TRuntime& aRt) const;
};

} // namespace pascal
