#pragma once

// What every fuzz target shares: a Qt application object made once, silence from Qt's
// message output and the prompt service (millions of runs would drown a finding's report),
// a cursor over the input bytes, and a stop that libFuzzer records as a crash.

#include "base/Prompts.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Answers every question with its default (or first) button and shows nothing.
class TSilentPrompts : public IPrompts
{
public:
    void ShowMessage(const QString&) override {}
    void ShowError(const QString&) override {}
    TButton Ask(TKind, const QString&, const QList<TButton>& aButtons, const QString&,
                std::optional<TButton> aDefault) override
    {
        return aDefault ? *aDefault : aButtons.value(0, TButton::Cancel);
    }
};

inline void DropMessage(QtMsgType aType, const QMessageLogContext&, const QString& aText)
{
    if (aType == QtFatalMsg) {
        std::fprintf(stderr, "qFatal: %s\n", qPrintable(aText));
        std::abort();
    }
}

inline void QuietStart()
{
    qInstallMessageHandler(DropMessage);
    static TSilentPrompts prompts;
    SetPrompts(&prompts);
}

// Core targets: an application object as varnex-script has one.
inline void EnsureCoreApp()
{
    if (QCoreApplication::instance())
        return;
    QuietStart();
    static int argc = 1;
    static char name[] = "varnex-fuzz";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// A broken invariant: libFuzzer saves the input that led here.
[[noreturn]] inline void Fail(const char* aWhat, const QString& aDetail = QString())
{
    std::fprintf(stderr, "invariant broken: %s\n%s\n", aWhat, qPrintable(aDetail));
    std::abort();
}

// Reads the input front to back; past its end every read gives zeros or nothing, so a
// short input still drives a whole run.
class TInput
{
public:
    TInput(const uint8_t* aData, size_t aSize)
        : FData(aData)
        , FSize(aSize)
    {
    }
    bool AtEnd() const { return FPos >= FSize; }
    uint8_t Byte() { return AtEnd() ? 0 : FData[FPos++]; }
    QByteArray Bytes(size_t aCount)
    {
        const size_t n = aCount < FSize - FPos ? aCount : FSize - FPos;
        QByteArray bytes(reinterpret_cast<const char*>(FData + FPos), qsizetype(n));
        FPos += n;
        return bytes;
    }
    QByteArray Rest() { return Bytes(FSize - FPos); }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

inline QByteArray AsBytes(const uint8_t* aData, size_t aSize)
{
    return QByteArray(reinterpret_cast<const char*>(aData), qsizetype(aSize));
}

} // namespace fuzz
