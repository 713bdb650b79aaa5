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

// The store with the XML engine switched off, as on a machine without one.
class TOfflineSettings : public TVarnexSettings
{
public:
    TOfflineSettings()
        : TVarnexSettings(false)
    {
    }
};

// The names of an element's attributes, in document order.
inline QStringList AttributeNames(pugi::xml_node aElement)
{
    QStringList names;
    for (pugi::xml_attribute a : aElement.attributes())
        names << FromXml(a.name());
    return names;
}

// One attribute of each child element of one name, in document order.
inline QStringList ChildValues(pugi::xml_node aParent, const char* aElement, const char* aAttribute)
{
    QStringList values;
    for (pugi::xml_node child : aParent.children(aElement))
        values << FromXml(child.attribute(aAttribute).value());
    return values;
}
