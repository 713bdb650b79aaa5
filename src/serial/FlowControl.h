#pragma once

#include "serial/SerialTypes.h"

// The flag word is stored exactly as the user's settings hold it; these helpers read and
// write the flow-control part of it.
enum class TFlowControl { None, XonXoff, Hardware };

inline TFlowControl FlowFromFlag(quint32 aFlag)
{
    if ((aFlag & DcbFlag::OutxCtsFlow) || (aFlag & DcbFlag::RtsControlMask) == DcbFlag::RtsControlHandshake)
        return TFlowControl::Hardware;
    if (aFlag & (DcbFlag::OutX | DcbFlag::InX))
        return TFlowControl::XonXoff;
    return TFlowControl::None;
}

inline quint32 FlagWithFlow(quint32 aFlag, TFlowControl aFlow)
{
    quint32 flag = aFlag & ~(DcbFlag::OutxCtsFlow | DcbFlag::OutX | DcbFlag::InX);
    if ((flag & DcbFlag::RtsControlMask) == DcbFlag::RtsControlHandshake)
        flag &= ~DcbFlag::RtsControlMask;
    switch (aFlow) {
    case TFlowControl::None: break;
    case TFlowControl::XonXoff: flag |= DcbFlag::OutX | DcbFlag::InX; break;
    case TFlowControl::Hardware:
        flag = (flag & ~DcbFlag::RtsControlMask) | DcbFlag::OutxCtsFlow | DcbFlag::RtsControlHandshake;
        break;
    }
    return flag;
}
