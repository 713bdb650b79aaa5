#pragma once

#include "terminal/ReceiveText.h"
#include "terminal/TerminalView.h"

#include <QString>

// A terminal view that keeps plain text: bold parts between "<b>" and "</b>", so a test sees
// what a session showed and how.
class TTextView final : public ITerminalView
{
public:
    void AppendToReceive(QStringView aText, bool aBold) override
    {
        if (aText.isEmpty())
            return;
        Text += aBold ? QStringLiteral("<b>") + aText.toString() + QStringLiteral("</b>") : aText.toString();
    }
    void ClearReceive() override
    {
        Text.clear();
        ++Clears;
    }
    bool ReceiveAtLineStart() const override
    {
        return Text.isEmpty() || Text.endsWith(QLatin1Char('\n')) || Text.endsWith(QLatin1Char('\r'))
            || Text.endsWith(QStringLiteral("\n</b>"));
    }
    TReceiveMark ReceiveEnd() const override { return {Text.size(), 0, Text.endsWith(QLatin1Char('\r'))}; }
    void TruncateReceive(const TReceiveMark& aMark) override
    {
        if (aMark.Chars <= Text.size())
            Text.truncate(aMark.Chars);
    }

    // Files and history are tried on the real view; here they see the text as it stands.
    TReceiveText ReceiveContent() const override
    {
        TReceiveText content;
        content.Append(Text, false);
        return content;
    }
    QString ReceiveFontFamily() const override { return QStringLiteral("Courier New"); }
    int ReceiveFontSize() const override { return 8; }
    void DropReceiveFront(const TReceiveMark&) override { Text.clear(); }

    QString Text;
    int Clears = 0;
};
