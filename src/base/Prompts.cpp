#include "base/Prompts.h"

#include <QElapsedTimer>
#include <QTextStream>

namespace {

// Without a user interface: notices go to stderr, questions take their default.
class TTextPrompts final : public IPrompts
{
public:
    void ShowMessage(const QString& aText) override { QTextStream(stderr) << aText << "\n"; }
    void ShowError(const QString& aText) override { QTextStream(stderr) << "Fehler: " << aText << "\n"; }
    TButton Ask(TKind, const QString& aText, const QList<TButton>& aButtons, const QString&,
                std::optional<TButton> aDefault) override
    {
        QTextStream(stderr) << aText << "\n";
        if (aDefault)
            return *aDefault;
        return aButtons.isEmpty() ? TButton::Ok : aButtons.first();
    }
};

// Forwards to the installed service and books the time as waiting for the user.
class TTimedPrompts final : public IPrompts
{
public:
    IPrompts* Installed = nullptr;

    void ShowMessage(const QString& aText) override
    {
        TUserWait wait;
        Target().ShowMessage(aText);
    }
    void ShowError(const QString& aText) override
    {
        TUserWait wait;
        Target().ShowError(aText);
    }
    TButton Ask(TKind aKind, const QString& aText, const QList<TButton>& aButtons, const QString& aTitle,
                std::optional<TButton> aDefault) override
    {
        TUserWait wait;
        return Target().Ask(aKind, aText, aButtons, aTitle, aDefault);
    }

private:
    IPrompts& Target() { return Installed ? *Installed : FText; }
    TTextPrompts FText;
};

TTimedPrompts gPrompts;

QElapsedTimer& Clock()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock;
}

// Waits can nest (a message box opened inside a dialog): only the outermost one counts.
int gWaitDepth = 0;
qint64 gWaitStartedMs = 0;
qint64 gWaitedMs = 0;

} // namespace

IPrompts& Prompts()
{
    return gPrompts;
}

void SetPrompts(IPrompts* aPrompts)
{
    gPrompts.Installed = aPrompts;
}

TUserWait::TUserWait()
{
    if (gWaitDepth++ == 0)
        gWaitStartedMs = Clock().elapsed();
}

TUserWait::~TUserWait()
{
    if (--gWaitDepth == 0)
        gWaitedMs += Clock().elapsed() - gWaitStartedMs;
}

qint64 TUserWait::TotalMs()
{
    return gWaitedMs + (gWaitDepth > 0 ? Clock().elapsed() - gWaitStartedMs : 0);
}
