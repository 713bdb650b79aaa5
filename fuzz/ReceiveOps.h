#pragma once

// The traffic a receive view sees, read from the input as a list of operations: text in
// pieces (received or, in bold, echoed), pieces of an ASCII dump with their number flags,
// marks taken and cut back to, the front dropped after a history file took it, clears and
// resizes. Each operation is one byte, some followed by a length and the piece itself.

#include "FuzzSupport.h"

#include "notation/StringDecoder.h"
#include "terminal/TerminalView.h"

#include <array>

namespace fuzz {

template <class TTarget>
void RunReceiveOps(TInput& aInput, TTarget& aTarget)
{
    std::array<TReceiveMark, 4> marks{};
    TStringDecoder dump;
    dump.SetOptions({coAsciiDump});
    while (!aInput.AtEnd()) {
        const uint8_t op = aInput.Byte();
        TReceiveMark& mark = marks[(op >> 5) & 3];
        switch (op & 7) {
        case 0:
        case 1:
        case 2: {
            const QByteArray piece = aInput.Bytes(aInput.Byte() % 48);
            // Mostly bytes as received; sometimes UTF-8, for characters beyond Latin-1.
            aTarget.Append(op & 0x10 ? QString::fromUtf8(piece) : QString::fromLatin1(piece), (op & 8) != 0);
            break;
        }
        case 3: {
            QByteArray numbers;
            const QString shown =
                dump.DecodeStringSymbol(QString::fromLatin1(aInput.Bytes(aInput.Byte() % 16)), &numbers);
            aTarget.AppendNumbers(shown, numbers);
            break;
        }
        case 4:
            if (op & 8)
                mark = {aInput.Byte(), aInput.Byte() % 8, (aInput.Byte() & 1) != 0};
            else
                mark = aTarget.End();
            break;
        case 5: aTarget.TruncateTo(mark); break;
        case 6: aTarget.DropFront(mark); break;
        case 7:
            if (op & 8)
                aTarget.Clear();
            else
                aTarget.Resize(aInput.Byte());
            break;
        }
        aTarget.AfterOp();
    }
}

} // namespace fuzz
