#include "scripting/VarnexScript.h"

#include "log/Log.h"
#include "pascal/PascalEngine.h"
#include "scripting/Crc.h"
#include "ui/Prompts.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QLocale>

using pascal::THostValue;

namespace {

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
    static const QStringList declarations = {
        QStringLiteral("procedure Send(const aText: string);"),
        QStringLiteral("procedure writeln(const aText: string);"),
        QStringLiteral("procedure SetDTR(aSet: boolean);"),
        QStringLiteral("procedure SetRTS(aSet: boolean);"),
        QStringLiteral("function GetRTS: boolean;"),
        QStringLiteral("function GetCTS: boolean;"),
        QStringLiteral("function GetDSR: boolean;"),
        QStringLiteral("function GetDTR: boolean;"),
        QStringLiteral("function GetRing: boolean;"),
        QStringLiteral("procedure ShowMessage(const aMsg: string);"),
        QStringLiteral("function CRC16(aInitCRC: cardinal; aText: String): WORD;"),
        QStringLiteral("function CRC32(aInitCRC: cardinal; aText: String): Cardinal;"),
    };
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
    engine.SetLimits(limits);

    auto noResult = [] { return THostValue(); };
    auto text = [](const QList<THostValue>& aArgs) { return QString::fromLatin1(aArgs.value(0).String); };
    auto line = [this](TModemLineType aType) {
        return THostValue::FromBoolean(OnGetModemLine ? OnGetModemLine(aType) : false);
    };
    const QStringList& declarations = HostDeclarations();
    const QList<pascal::THostFunction> functions = {
        [this, text, noResult](const QList<THostValue>& a) {
            if (OnSendString)
                OnSendString(text(a), QStringLiteral("From Script"));
            return noResult();
        },
        [this, text, noResult](const QList<THostValue>& a) {
            ScriptWriteln(text(a));
            return noResult();
        },
        [this, noResult](const QList<THostValue>& a) {
            if (OnSetModemLine)
                OnSetModemLine(mltDTR, a.value(0).Boolean);
            return noResult();
        },
        [this, noResult](const QList<THostValue>& a) {
            if (OnSetModemLine)
                OnSetModemLine(mltRTS, a.value(0).Boolean);
            return noResult();
        },
        [line](const QList<THostValue>&) { return line(mltRTS); },
        [line](const QList<THostValue>&) { return line(mltCTS); },
        [line](const QList<THostValue>&) { return line(mltDSR); },
        [line](const QList<THostValue>&) { return line(mltDTR); },
        [line](const QList<THostValue>&) { return line(mltRing); },
        [this, text, noResult](const QList<THostValue>& a) {
            if (OnShowMessage)
                OnShowMessage(text(a));
            else
                Prompts().ShowMessage(nullptr, text(a));
            return noResult();
        },
        [](const QList<THostValue>& a) {
            return THostValue::FromInteger(Crc16(quint32(a.value(0).Integer), a.value(1).String));
        },
        [](const QList<THostValue>& a) {
            return THostValue::FromInteger(Crc32(quint32(a.value(0).Integer), a.value(1).String));
        },
    };
    for (qsizetype i = 0; i < declarations.size(); ++i)
        engine.RegisterFunction(declarations[i], functions[i]);
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
    } else
        text = QString::fromLatin1(bytes);
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
