#include "pascal/Ast.h"

#include <vector>

namespace pascal {

TSourcePos TAstExpr::StartPos() const
{
    const TAstExpr* e = this;
    while ((e->Kind == TAstExprKind::Binary || e->Kind == TAstExprKind::Call || e->Kind == TAstExprKind::Index
            || e->Kind == TAstExprKind::Field || e->Kind == TAstExprKind::Range)
           && e->Left)
        e = e->Left.get();
    return e->Pos;
}

namespace {
// Trees at least this deep are taken apart in a loop rather than by recursion.
constexpr int kDeepTree = 64;

void TakeChildren(TAstExpr& aExpr, std::vector<PAstExpr>& aPending)
{
    if (aExpr.Left)
        aPending.push_back(std::move(aExpr.Left));
    if (aExpr.Right)
        aPending.push_back(std::move(aExpr.Right));
    for (PAstExpr& a : aExpr.Args)
        if (a)
            aPending.push_back(std::move(a));
}
} // namespace

TAstExpr::~TAstExpr()
{
    // A long chain (a + b + c ...) is one node per term, hanging to the left: destroyed by
    // each node destroying the next, it would take as much stack as it has terms.
    if (Depth < kDeepTree)
        return;
    std::vector<PAstExpr> pending;
    TakeChildren(*this, pending);
    while (!pending.empty()) {
        PAstExpr e = std::move(pending.back());
        pending.pop_back();
        if (e->Depth >= kDeepTree)
            TakeChildren(*e, pending);
    }
}

TAstStmt::~TAstStmt()
{
    // An else-if chain hangs on Else, one link per branch: unlinked in a loop.
    PAstStmt next = std::move(Else);
    while (next && next->Kind == TAstStmtKind::If) {
        PAstStmt after = std::move(next->Else);
        next = std::move(after);
    }
}

} // namespace pascal
