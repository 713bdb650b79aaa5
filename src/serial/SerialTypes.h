#pragma once

#include <QtGlobal>

// Line parameters; the numeric values are the codes the serial drivers use.
enum TParity : quint8 { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBit : quint8 { sb1_0, sb1_5, sb2_0 };

// How scripts and the main window name the port's lines.
enum TModemLineType { mltNone, mltRTS, mltDTR, mltCTS, mltDSR, mltRing };

// Bits of the device control flag word that the port acts on.
namespace DcbFlag {
constexpr quint32 Binary = 0x0001;
constexpr quint32 Parity = 0x0002;
constexpr quint32 OutxCtsFlow = 0x0004;
constexpr quint32 DtrControlEnable = 0x0010;
constexpr quint32 OutX = 0x0100;
constexpr quint32 InX = 0x0200;
constexpr quint32 RtsControlMask = 0x3000;
constexpr quint32 RtsControlHandshake = 0x2000;
} // namespace DcbFlag
