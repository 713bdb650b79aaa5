#include "pascal/Ast.h"

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

} // namespace pascal
