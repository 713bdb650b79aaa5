// Scripts as the terminal runs them: compiled and run on a received text with the host's
// routines (send, modem lines, messages, CRCs) under a short time limit. Compile errors and
// run-time errors are answers, not findings; a crash, a hang past the limit or a sanitizer
// report is one.

#include "FuzzSupport.h"

#include "scripting/VarnexScript.h"

namespace {
// Long enough for a real script's loop, short enough for many runs a second.
constexpr int kMaxRunTimeMs = 50;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureCoreApp();
    TVarnexScript script;
    script.SetText(QStringLiteral("AT+CSQ\r\n+CSQ: 17,99\r\n\r\nOK\r\n") + QChar(0) + QChar(0xFF));
    bool lines[8] = {};
    script.OnSendString = [](const QString&, const QString&) {};
    script.OnSetModemLine = [&lines](TModemLineType aType, bool aSet) { lines[int(aType) & 7] = aSet; };
    script.OnGetModemLine = [&lines](TModemLineType aType) { return lines[int(aType) & 7]; };
    script.OnWriteLn = [](const QString&) {};
    script.OnShowMessage = [](const QString&) {};
    TVarnexScript::TMessageOutput output;
    output.Clear = [] {};
    output.Add = [](const QString&) {};

    const QString before = script.Text();
    const TVarnexScript::TOutcome outcome =
        script.ExecuteScript(QString::fromLatin1(fuzz::AsBytes(aData, aSize)), &output, kMaxRunTimeMs);
    if (outcome != TVarnexScript::TOutcome::Succeeded && script.Text() != before)
        fuzz::Fail("a failed script leaves the text as it was");
    return 0;
}
