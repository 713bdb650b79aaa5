#include "pascal/PascalEngine.h"

#include "pascal/Checker.h"
#include "pascal/CompileGuard.h"
#include "pascal/Diagnostics.h"
#include "pascal/Lexer.h"
#include "pascal/Parser.h"
#include "pascal/Program.h"
#include "pascal/Runtime.h"

#include <exception>
#include <new>
#include <utility>

namespace pascal {

namespace {
// Larger scripts are refused before they are read: compiling takes time and memory in
// proportion, on the thread that sends.
constexpr qsizetype kMaxSourceChars = 4 * 1024 * 1024;
} // namespace

struct TEngine::TImpl
{
    struct THostRoutine
    {
        std::unique_ptr<TAstRoutine> Heading;
        THostFunction Function;
    };
    struct THostVar
    {
        QString Name;
        QByteArray* Storage = nullptr;
    };

    TEngineLimits Limits;
    std::vector<THostRoutine> HostRoutines;
    std::vector<THostVar> HostVars;
    QStringList RegistrationMessages;
    TDiagnostics Diagnostics;
    std::unique_ptr<TProgram> Program;
    QString RunError;
    bool Running = false;
    qint64 CompileMs = 0; // the last compile's time, until a run has paid for it

    QString ErrorText(const EScriptError& aError) const;
    bool Execute();
};

TEngine::TEngine()
    : FImpl(std::make_unique<TImpl>())
{
}

TEngine::~TEngine() = default;

bool TEngine::RegisterFunction(const QString& aDeclaration, THostFunction aFunction)
{
    TDiagnostics diagnostics;
    TLexer lexer(aDeclaration, diagnostics);
    TParser parser(lexer, diagnostics);
    std::unique_ptr<TAstRoutine> heading = parser.ParseHeadingOnly();
    if (!heading || diagnostics.ErrorCount() > 0 || !aFunction) {
        for (const QString& line : diagnostics.Lines())
            FImpl->RegistrationMessages.append(line + QStringLiteral(" in \"%1\"").arg(aDeclaration));
        if (!aFunction)
            FImpl->RegistrationMessages.append(
                QStringLiteral("[Error] (0:0): Keine Funktion für \"%1\"").arg(aDeclaration));
        return false;
    }
    FImpl->HostRoutines.push_back({std::move(heading), std::move(aFunction)});
    return true;
}

bool TEngine::RegisterStringVariable(const QString& aName, QByteArray* aStorage)
{
    if (aStorage == nullptr || aName.isEmpty()) {
        FImpl->RegistrationMessages.append(
            QStringLiteral("[Error] (0:0): Variable '%1' ohne Speicher").arg(aName));
        return false;
    }
    FImpl->HostVars.push_back({aName, aStorage});
    return true;
}

void TEngine::SetLimits(const TEngineLimits& aLimits)
{
    FImpl->Limits = aLimits;
}

bool TEngine::Compile(const QString& aSource)
{
    TImpl& d = *FImpl;
    if (d.Running)
        return false;
    d.Diagnostics.Clear();
    d.Program.reset();
    d.CompileMs = 0;
    if (aSource.size() > kMaxSourceChars) {
        d.Diagnostics.Error(
            {},
            QStringLiteral("Das Skript ist zu groß: %1 Zeichen, erlaubt sind höchstens %2 (4 MB)")
                .arg(aSource.size())
                .arg(kMaxSourceChars));
        return false;
    }
    auto program = std::make_unique<TProgram>();
    // Compiling takes its time from the run's limit and may use the stack down to where the
    // run may.
    TCompileGuard guard(d.Limits.MaxRunTimeMs, StackLimitHere());
    // The checker's messages count only when the whole script reads: after a syntax error
    // the syntax error is what the user has to see.
    TDiagnostics checks;
    try {
        TChecker checker(*program, checks, d.Limits);
        for (const TImpl::THostRoutine& h : d.HostRoutines)
            checker.AddHostRoutine(*h.Heading, h.Function);
        for (const TImpl::THostVar& v : d.HostVars)
            checker.AddHostStringVariable(v.Name, v.Storage);
        TLexer lexer(aSource, d.Diagnostics);
        TParser parser(lexer, d.Diagnostics);
        parser.OnProgramDecl = [&checker](const TAstDecl& aDecl) { checker.CheckProgramDecl(aDecl); };
        std::unique_ptr<TAstProgram> ast = parser.ParseProgram();
        if (!ast || d.Diagnostics.ErrorCount() > 0)
            return false;
        checker.CheckProgram(*ast);
        d.Diagnostics.Append(checks);
    } catch (const ECompileAbort& e) {
        d.Diagnostics.Append(checks);
        d.Diagnostics.Error(e.Pos, e.Message);
    } catch (const std::bad_alloc&) {
        d.Diagnostics.Error({}, QStringLiteral("Zu wenig Arbeitsspeicher beim Übersetzen"));
    } catch (const std::exception& e) {
        d.Diagnostics.Error(
            {}, QStringLiteral("Interner Fehler beim Übersetzen: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    if (d.Diagnostics.ErrorCount() > 0 || !d.RegistrationMessages.isEmpty())
        return false;
    d.Program = std::move(program);
    d.CompileMs = guard.ElapsedMs();
    return true;
}

QStringList TEngine::Messages() const
{
    return FImpl->RegistrationMessages + FImpl->Diagnostics.Lines();
}

QString TEngine::TImpl::ErrorText(const EScriptError& aError) const
{
    QString message;
    if (aError.Object.K == TVKind::Obj && aError.Object.O) {
        const TExcRec* obj = aError.Object.O;
        if (obj->Message && obj->Message->Length > 0)
            message = QString::fromLatin1(obj->Message->Data(), qsizetype(obj->Message->Length));
        else
            message = obj->Class->Name;
    }
    return QStringLiteral("%1 %2").arg(message, aError.Pos.Text());
}

bool TEngine::TImpl::Execute()
{
    TRuntime rt(Limits, *Program->Types);
    // The first run after the compile pays for it.
    rt.SpentBeforeMs = std::exchange(CompileMs, 0);
    rt.Start();
    std::vector<TValue> globals = Program->GlobalDefaults;
    rt.Globals = globals.data();
    for (const THostVariable& v : Program->HostVariables)
        globals[std::size_t(v.Slot)] = TValue::FromStr(TStr(*v.Storage));
    bool ok = false;
    try {
        if (Program->Main)
            Program->Main->Exec(rt);
        ok = true;
    } catch (const EScriptError& e) {
        RunError = ErrorText(e);
    } catch (const EScriptAbort& e) {
        RunError = QStringLiteral("%1 %2").arg(e.Message, e.Pos.Text());
    } catch (const EScriptHalt&) {
        ok = true;
    } catch (const std::bad_alloc&) {
        RunError = QStringLiteral("Zu wenig Arbeitsspeicher %1").arg(rt.CurrentPos.Text());
    } catch (const std::exception& e) {
        RunError = QStringLiteral("%1 %2").arg(QString::fromLocal8Bit(e.what()), rt.CurrentPos.Text());
    } catch (...) {
        RunError = QStringLiteral("Unbekannter Fehler %1").arg(rt.CurrentPos.Text());
    }
    try {
        for (const THostVariable& v : Program->HostVariables)
            *v.Storage = globals[std::size_t(v.Slot)].Str().ToByteArray();
    } catch (...) {
        if (ok)
            RunError = QStringLiteral("Zu wenig Arbeitsspeicher");
        ok = false;
    }
    rt.Handling.clear();
    globals.clear();
    return ok;
}

bool TEngine::Run()
{
    TImpl& d = *FImpl;
    d.RunError.clear();
    if (d.Running) {
        d.RunError = QStringLiteral("Das Skript läuft bereits");
        return false;
    }
    if (!d.Program) {
        d.RunError = QStringLiteral("Das Skript ist nicht (fehlerfrei) übersetzt");
        return false;
    }
    d.Running = true;
    bool ok = false;
    try {
        ok = d.Execute();
    } catch (...) {
        d.RunError = QStringLiteral("Zu wenig Arbeitsspeicher");
    }
    d.Running = false;
    return ok;
}

QString TEngine::RunError() const
{
    return FImpl->RunError;
}

} // namespace pascal
