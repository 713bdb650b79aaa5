#pragma once

#include "settings/XMLGlobal.h"

#include <QString>
#include <QStringList>

#include <memory>

// The process-wide store behind the settings file: one XML document, loaded from the file
// on first use, handed out element by element (created on request), written back on save.
// Reached only through the singleton (AccessInstance / the subclass's Instance).
class TBaseXMLSettings
{
public:
    using TFactory = TBaseXMLSettings* (*)();

    virtual ~TBaseXMLSettings();

    // The public constructor is closed: it always raises.
    [[noreturn]] static void Create(const QString& aClassName = QStringLiteral("TBaseXMLSettings"));
    // 0: the instance (or null); 1: the instance, created through aFactory when there is
    // none; 2: forget the instance. Anything else raises.
    static TBaseXMLSettings* AccessInstance(int aRequest, TFactory aFactory = nullptr);
    static void ReleaseInstance();

    virtual QString ClassName() const { return QStringLiteral("TBaseXMLSettings"); }
    virtual bool XMLOptional() const { return false; }
    virtual QString GetSettingsFilePath() const = 0;

    pugi::xml_document* GetDOM();
    pugi::xml_node GetElement(const QString& aSelPath, bool aCreate);
    pugi::xml_node GetFormsRoot();

    // The placement element of the window called aName; none when it was never saved.
    pugi::xml_node FindFormElement(const QString& aName);

    QString LoadMRU(pugi::xml_node aMRURootElement, int aElementIndex);
    pugi::xml_node SaveMRU(const QString& aMRUEntry, pugi::xml_node aMRURootElement, int aMRULength);

    // Writes the document to the settings file; raises EVarnexError when that fails.
    virtual void SaveSettings();

    virtual int GetVersion();
    virtual void SetVersion(int aVersion);
    int BaseVersion();

    int MRULength() const { return FMRULength; }
    void SetMRULength(int aLength) { FMRULength = aLength; }
    bool XMLEnabled() const { return FXMLEnabled; }

    // Messages for the user gathered while loading and reading (a damaged file kept aside,
    // a value that could not be read); each is handed out once.
    QStringList TakeNotices();

protected:
    explicit TBaseXMLSettings(bool aXMLEnabled = true);
    void AddNotice(const QString& aText);
    void UpgradeDocument();

private:
    void LoadDocument();

    int FMRULength = 9;
    std::unique_ptr<pugi::xml_document> FDOM;
    bool FXMLEnabled = true;
    QStringList FNotices;

    static TBaseXMLSettings* sInstance;
};
