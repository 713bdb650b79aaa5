#pragma once

#include "serial/SerialTypes.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Runs one user script on one text. The script sees the text in its variable "Text" (one
// byte per character) and can call the host's routines: Send, writeln, SetDTR, SetRTS,
// GetRTS, GetCTS, GetDSR, GetDTR, GetRing, ShowMessage, CRC16, CRC32.
class TVarnexScript
{
public:
    using TSendStringEvent = std::function<void(const QString& aText, const QString& aName)>;
    using TSetModemLine = std::function<void(TModemLineType aType, bool aSet)>;
    using TGetModemLine = std::function<bool(TModemLineType aModemLineType)>;
    using TWriteLine = std::function<void(const QString& aMsg)>;

    // Where compiler messages and status lines go; each run starts by clearing it.
    struct TMessageOutput
    {
        std::function<void()> Clear;
        std::function<void(const QString& aLines)> Add;
    };

    // The declarations every script can call, in registration order.
    static const QStringList& HostDeclarations();

    QString Text() const { return FText; }
    // Also sets the 8-bit copy the script works on; characters beyond Latin-1 become '?'.
    void SetText(const QString& aText);

    enum class TOutcome { Succeeded, CompileFailed, RunFailed };
    // Compiles and runs aScript. A script that fails to compile or to run leaves Text as it
    // was. aMaxRunTimeMs bounds the run.
    TOutcome ExecuteScript(const QString& aScript, const TMessageOutput* aMessageOutput,
                           int aMaxRunTimeMs = 5000);

    // A script file as text, each line followed by CR LF: a byte-order mark selects UTF-8 or
    // UTF-16; without one the file is UTF-8 when its bytes are valid UTF-8, else one byte per
    // character. Empty when the file cannot be read.
    static QString ReadScriptFile(const QString& aFileName);
    void ScriptWriteln(const QString& aMsg);

    TSendStringEvent OnSendString;
    TSetModemLine OnSetModemLine;
    TGetModemLine OnGetModemLine;
    TWriteLine OnWriteLn;
    // Shows a script's ShowMessage; the prompt service when unset.
    std::function<void(const QString& aMsg)> OnShowMessage;

private:
    QString FText;
    QByteArray mText;
};
