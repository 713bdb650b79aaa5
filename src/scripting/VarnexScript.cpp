#include "scripting/VarnexScript.h"

#include "base/Prompts.h"
#include "log/Log.h"
#include "pascal/PascalEngine.h"
#include "scripting/Crc.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

#include <vector>

using pascal::THostValue;

namespace {

struct THostRoutine
{
    const char* Declaration;
    THostValue (*Call)(TVarnexScript& aScript, const QList<THostValue>& aArgs);
};

QString Text(const QList<THostValue>& aArgs)
{
    return QString::fromLatin1(aArgs.value(0).String);
}

THostValue Line(TVarnexScript& aScript, TModemLineType aType)
{
    return THostValue::FromBoolean(aScript.OnGetModemLine ? aScript.OnGetModemLine(aType) : false);
}

void SetLine(TVarnexScript& aScript, TModemLineType aType, const QList<THostValue>& aArgs)
{
    if (aScript.OnSetModemLine)
        aScript.OnSetModemLine(aType, aArgs.value(0).Boolean);
}

// The routines every script can call, declared as Pascal source.
const std::vector<THostRoutine>& HostRoutines()
{
    static const std::vector<THostRoutine> routines = {
        {"procedure Send(const aText: string);",
         [](TVarnexScript& s, const QList<THostValue>& a) {
             if (s.OnSendString)
                 s.OnSendString(Text(a), QStringLiteral("From Script"));
             return THostValue();
         }},
        {"procedure writeln(const aText: string);",
         [](TVarnexScript& s, const QList<THostValue>& a) {
             s.ScriptWriteln(Text(a));
             return THostValue();
         }},
        {"procedure SetDTR(aSet: boolean);",
         [](TVarnexScript& s, const QList<THostValue>& a) {
             SetLine(s, mltDTR, a);
             return THostValue();
         }},
        {"procedure SetRTS(aSet: boolean);",
         [](TVarnexScript& s, const QList<THostValue>& a) {
             SetLine(s, mltRTS, a);
             return THostValue();
         }},
        {"function GetRTS: boolean;",
         [](TVarnexScript& s, const QList<THostValue>&) { return Line(s, mltRTS); }},
        {"function GetCTS: boolean;",
         [](TVarnexScript& s, const QList<THostValue>&) { return Line(s, mltCTS); }},
        {"function GetDSR: boolean;",
         [](TVarnexScript& s, const QList<THostValue>&) { return Line(s, mltDSR); }},
        {"function GetDTR: boolean;",
         [](TVarnexScript& s, const QList<THostValue>&) { return Line(s, mltDTR); }},
        {"function GetRing: boolean;",
         [](TVarnexScript& s, const QList<THostValue>&) { return Line(s, mltRing); }},
        {"procedure ShowMessage(const aMsg: string);",
         [](TVarnexScript& s, const QList<THostValue>& a) {
             if (s.OnShowMessage)
                 s.OnShowMessage(Text(a));
             else
                 Prompts().ShowMessage(Text(a));
             return THostValue();
         }},
        {"function CRC16(aInitCRC: cardinal; aText: String): WORD;",
         [](TVarnexScript&, const QList<THostValue>& a) {
             return THostValue::FromInteger(Crc16(quint32(a.value(0).Integer), a.value(1).String));
         }},
        {"function CRC32(aInitCRC: cardinal; aText: String): Cardinal;",
         [](TVarnexScript&, const QList<THostValue>& a) {
             return THostValue::FromInteger(Crc32(quint32(a.value(0).Integer), a.value(1).String));
         }},
    };
    return routines;
}

QString LongTime(const QTime& aTime)
{
    // The locale's long time without the zone name.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return QLocale().toString(aTime, format.trimmed());
}

} // namespace

const QStringList& TVarnexScript::HostDeclarations()
{
    static const QStringList declarations = [] {
        QStringList result;
        for (const THostRoutine& routine : HostRoutines())
            result << QString::fromLatin1(routine.Declaration);
        return result;
    }();
    return declarations;
}

void TVarnexScript::SetText(const QString& aText)
{
    FText = aText;
    mText = aText.toLatin1();
}

void TVarnexScript::ScriptWriteln(const QString& aMsg)
{
    if (OnWriteLn)
        OnWriteLn(aMsg);
}

TVarnexScript::TOutcome TVarnexScript::ExecuteScript(const QString& aScript,
                                                     const TMessageOutput* aMessageOutput, int aMaxRunTimeMs)
{
    if (aMessageOutput && aMessageOutput->Clear)
        aMessageOutput->Clear();
    auto add = [aMessageOutput](const QString& aLines) {
        if (aMessageOutput && aMessageOutput->Add)
            aMessageOutput->Add(aLines);
    };

    pascal::TEngine engine;
    pascal::TEngineLimits limits;
    limits.MaxRunTimeMs = aMaxRunTimeMs;
    limits.UncountedMs = &TUserWait::TotalMs;
    engine.SetLimits(limits);

    for (const THostRoutine& routine : HostRoutines())
        engine.RegisterFunction(
            QString::fromLatin1(routine.Declaration),
            [this, &routine](const QList<THostValue>& aArgs) { return routine.Call(*this, aArgs); });
    QByteArray storage = mText;
    engine.RegisterStringVariable(QStringLiteral("Text"), &storage);

    const bool compiled = engine.Compile(aScript);
    qCDebug(lcScript).noquote() << "geladenes Script\n" << aScript;
    QString messages;
    for (const QString& message : engine.Messages())
        messages += message + QStringLiteral("\r\n");
    if (!messages.isEmpty()) {
        add(messages);
        qCWarning(lcScript).noquote() << messages;
    }
    if (!compiled)
        return TOutcome::CompileFailed;
    const QDateTime now = QDateTime::currentDateTime();
    add(QLocale().toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') + LongTime(now.time())
        + QStringLiteral(": Kompilierung erfolgreich"));
    if (!engine.Run()) {
        add(QStringLiteral("Fehler beim Ausführen: ") + engine.RunError());
        return TOutcome::RunFailed;
    }
    mText = storage;
    FText = QString::fromLatin1(mText);
    return TOutcome::Succeeded;
}

QString TVarnexScript::ReadScriptFile(const QString& aFileName)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text = QString::fromUtf8(bytes.mid(3));
    else if (bytes.startsWith("\xFF\xFE"))
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    else if (bytes.startsWith("\xFE\xFF")) {
        QByteArray swapped = bytes.mid(2);
        for (qsizetype i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(swapped.constData()), swapped.size() / 2);
    } else {
        // Editors on Linux save UTF-8 without a mark; bytes that are no UTF-8 come from an
        // editor that writes one byte per character.
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = QString::fromLatin1(bytes);
    }
    QString source;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // A final line break does not make one more line.
        if (i == lines.size() - 1 && lines[i].isEmpty())
            break;
        source += lines[i] + QStringLiteral("\r\n");
    }
    return source;
}
