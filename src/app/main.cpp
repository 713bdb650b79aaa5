// Varnex: a terminal for serial ports.
#include "base/ErrorGuard.h"
#include "base/Allocator.h"
#include "base/MainStack.h"
#include "serial/PortRegistry.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"
#include "ui/Translations.h"
#include "ui/WidgetServices.h"
#include "VarnexVersion.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <cstdlib>
#include <optional>

namespace {

// Reads the one optional argument: a port number or a device path. Exits with a message
// on bad input.
std::optional<int> StartPortFromArguments(const QStringList& aPositional)
{
    if (aPositional.isEmpty())
        return std::nullopt;
    QTextStream err(stderr);
    if (aPositional.size() > 1) {
        err << "varnex: nur eine Schnittstelle (Gerätepfad oder Portnummer) angeben\n";
        std::exit(2);
    }
    const QString arg = aPositional.first();
    bool isNumber = false;
    const int number = arg.toInt(&isNumber);
    if (isNumber) {
        if (number < 0) {
            err << "varnex: ungültige Portnummer " << arg << "\n";
            std::exit(2);
        }
        return number;
    }
    return TPortRegistry::Instance().Bind(QFileInfo(arg).absoluteFilePath());
}

} // namespace

int main(int argc, char* argv[])
{
    EnlargeMainStack();
    TuneAllocator();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varnex"));
    QApplication::setApplicationVersion(QStringLiteral(VARNEX_VERSION_STRING));
    QApplication::setDesktopFileName(QStringLiteral(VARNEX_APP_ID));
    InstallWidgetServices();
    InstallGermanQtTexts(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Terminal für serielle Schnittstellen.\n"
                       "Portnummern: 0 = eingebaute Schleife (Loopback), 1-32 = /dev/ttyS0-31, "
                       "33-64 = /dev/ttyUSB0-31, 65-96 = /dev/ttyACM0-31, ab 100 = gebundene Geräte "
                       "(VARNEX_PORTS=\"100=/tmp/ttyA,101=/dev/ttyUSB7\")."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("schnittstelle"),
                                 QStringLiteral("Gerätepfad oder Portnummer (wird gewählt, "
                                                "nicht geöffnet)."),
                                 QStringLiteral("[GERÄTEPFAD | PORTNUMMER]"));
    parser.process(app);

    // Bindings: the stored ones first, then the environment, then the command line.
    TPortRegistry& registry = TPortRegistry::Instance();
    Guarded([&] { VarnexSettings()->LoadPortBindings(registry); });
    const QStringList rejected = registry.BindFromText(qEnvironmentVariable("VARNEX_PORTS"));
    for (const QString& entry : rejected)
        QTextStream(stderr) << "varnex: VARNEX_PORTS: Eintrag \"" << entry
                            << "\" wird ignoriert (erwartet NUMMER=PFAD mit NUMMER ab 100)\n";

    int result = 0;
    {
        TfrmMainWindow window(StartPortFromArguments(parser.positionalArguments()));
        window.show();
        // Once the window is on screen: the first start's question comes over it.
        QTimer::singleShot(0, &window, [&window] { Guarded([&window] { window.AutoUpdateAtStart(); }); });
        result = app.exec();
        Guarded([&] { VarnexSettings()->SavePortBindings(registry); });
    }
    // The settings file is written once, here, after the window has put its state in.
    const QString settingsFile = VarnexSettings()->GetSettingsFilePath();
    TVarnexSettings::ReleaseInstance();
    if (!TVarnexSettings::LastSaveError().isEmpty())
        Prompts().ShowError(QStringLiteral("Die Einstellungen konnten nicht gespeichert werden (%1):\n%2")
                                .arg(settingsFile, TVarnexSettings::LastSaveError()));
    return result;
}
