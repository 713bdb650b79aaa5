// varnex-script: compiles and runs a script with the terminal's engine and host routines, so
// users can try a script before they attach it.
#include "base/MainStack.h"
#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"
#include "scripting/VarnexScript.h"
#include "VarnexVersion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QTextStream>

namespace {

QString Shown(const QString& aBytes)
{
    return TStringDecoder().DecodeStringSymbol(aBytes);
}

} // namespace

int main(int argc, char* argv[])
{
    EnlargeMainStack();
    QCoreApplication app(argc, argv);
    // The messages are printed below; the trace would repeat them on stderr.
    QLoggingCategory::setFilterRules(QStringLiteral("varnex.*=false"));
    QCoreApplication::setApplicationName(QStringLiteral("varnex-script"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VARNEX_VERSION_STRING));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Übersetzt und startet ein Varnex-Script.\n"
        "Send und ShowMessage schreiben auf die Standardausgabe, Modemleitungen lesen sich als aus.\n"
        "Ende: 0 = gelaufen, 1 = Übersetzungsfehler, 2 = Laufzeitfehler."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption textOption(QStringLiteral("text"),
                                        QStringLiteral("Der Text für 'Text' in Slash-Notation."),
                                        QStringLiteral("TEXT"));
    const QCommandLineOption fileOption(QStringLiteral("text-file"),
                                        QStringLiteral("Eine Datei, deren Bytes 'Text' bilden."),
                                        QStringLiteral("DATEI"));
    const QCommandLineOption timeOption(QStringLiteral("max-time"),
                                        QStringLiteral("Zeitlimit des Laufs in Millisekunden (5000)."),
                                        QStringLiteral("MS"), QStringLiteral("5000"));
    parser.addOption(textOption);
    parser.addOption(fileOption);
    parser.addOption(timeOption);
    parser.addPositionalArgument(QStringLiteral("script"), QStringLiteral("Die Script-Datei (*.pas)."));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        err << "varnex-script: genau eine Script-Datei angeben (siehe --help)\n";
        return 64;
    }
    if (!QFile::exists(positional.first())) {
        err << "varnex-script: Script-Datei \"" << positional.first() << "\" nicht gefunden\n";
        return 66;
    }

    QString text;
    if (parser.isSet(fileOption)) {
        QFile file(parser.value(fileOption));
        if (!file.open(QIODevice::ReadOnly)) {
            err << "varnex-script: " << file.fileName() << ": " << file.errorString() << "\n";
            return 66;
        }
        text = QString::fromLatin1(file.readAll());
    } else {
        text = TStringEncoder().EncodeString(parser.value(textOption));
    }

    TVarnexScript script;
    script.SetText(text);
    script.OnSendString = [&out](const QString& aText, const QString&) {
        out << "Send: " << Shown(aText) << "\n";
        out.flush();
    };
    script.OnWriteLn = [&out](const QString& aMsg) {
        out << aMsg << "\n";
        out.flush();
    };
    script.OnShowMessage = [&out](const QString& aMsg) {
        out << "ShowMessage: " << aMsg << "\n";
        out.flush();
    };
    script.OnGetModemLine = [](TModemLineType) { return false; };
    TVarnexScript::TMessageOutput messages;
    messages.Add = [&out](const QString& aLines) {
        out << QString(aLines).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!aLines.endsWith(QLatin1Char('\n')))
            out << "\n";
        out.flush();
    };
    const auto outcome = script.ExecuteScript(TVarnexScript::ReadScriptFile(positional.first()), &messages,
                                              qMax(1, parser.value(timeOption).toInt()));
    out << "Text: " << Shown(script.Text()) << "\n";
    switch (outcome) {
    case TVarnexScript::TOutcome::Succeeded: return 0;
    case TVarnexScript::TOutcome::CompileFailed: return 1;
    case TVarnexScript::TOutcome::RunFailed: return 2;
    }
    return 2;
}
