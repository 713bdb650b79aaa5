// Another instance of the program, as far as the settings file goes: loads the file named by
// VARNEX_SETTINGS, puts its name (first argument) in as the normal font and saves, as many
// times as the second argument says.
#include "settings/VarnexSettings.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString name = QString::fromLocal8Bit(argv[1]);
    const int rounds = QByteArray(argv[2]).toInt();
    for (int i = 0; i < rounds; ++i) {
        TVarnexSettings* settings = VarnexSettings();
        settings->SetNormalFontName(name);
        settings->SaveSettings();
        delete TVarnexSettings::AccessInstance(0);
    }
    return 0;
}
