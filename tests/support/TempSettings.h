#pragma once

#include "settings/VarnexSettings.h"

#include <QTemporaryDir>

// Points the settings store at a file of its own for one test and forgets the store after,
// so no test sees another's settings.
class TTempSettings
{
public:
    TTempSettings()
    {
        TVarnexSettings::AccessInstance(2);
        qputenv("VARNEX_SETTINGS", FilePath().toLocal8Bit());
    }
    ~TTempSettings()
    {
        // Drop the store without writing the file: tests that want a save call it.
        TBaseXMLSettings* instance = TVarnexSettings::AccessInstance(0);
        TVarnexSettings::AccessInstance(2);
        Discard(instance);
        qunsetenv("VARNEX_SETTINGS");
    }
    QString FilePath() const { return FDir.filePath(QStringLiteral("Varnex Settings.xml")); }
    QString DirPath() const { return FDir.path(); }

private:
    static void Discard(TBaseXMLSettings* aInstance);
    QTemporaryDir FDir;
};
