#include "pascal/StringNodes.h"

#include <cstring>

namespace pascal {

TStr TConcatNode::EvalStr(TRuntime& aRt) const
{
    // Up to this many parts are held on the stack; longer chains are split by the checker.
    constexpr std::size_t kMaxParts = 16;
    TStr parts[kMaxParts];
    char chars[kMaxParts];
    const std::size_t n = Parts.size();
    qint64 total = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const TExprNode& p = *Parts[i];
        if (p.Type->Kind == TTypeKind::Char) {
            chars[i] = char(p.EvalInt(aRt));
            total += 1;
        } else {
            parts[i] = p.EvalStr(aRt);
            total += parts[i].Length();
        }
    }
    aRt.CheckSize(total, Pos);
    aRt.Charge(total, Pos);
    TStr result;
    result.Reserve(total);
    for (std::size_t i = 0; i < n; ++i) {
        if (Parts[i]->Type->Kind == TTypeKind::Char)
            result.AppendChar(chars[i]);
        else
            result.Append(parts[i]);
    }
    return result;
}

} // namespace pascal
