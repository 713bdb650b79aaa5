#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

class QVBoxLayout;
class TVarnexSettings;

// One page of the settings dialog: the dialog hands it the store and tells it when to fill its
// controls and when to write them back.
class ISettingsFrame
{
public:
    virtual ~ISettingsFrame() = default;
    virtual void Load() = 0;
    virtual void Save() = 0;
    virtual void SetSettings(TVarnexSettings* aSettings) = 0;
    virtual TVarnexSettings* Settings() const = 0;
};

// The pictures of the dialog's pages, drawn by the program itself: 0 general, 1 history,
// 2 fonts, 3 shortcuts.
QIcon SettingsPicture(int aPage);

// What every page shares: an information panel at the top (icon and text on the tool-tip
// colour) beside the page's picture, then the page's own controls in Body().
class TSettingsFrame : public QWidget, public ISettingsFrame
{
    Q_OBJECT
public:
    TSettingsFrame(int aPage, const QString& aInfo, QWidget* aParent = nullptr);

    void SetSettings(TVarnexSettings* aSettings) override { FSettings = aSettings; }
    TVarnexSettings* Settings() const override { return FSettings; }

protected:
    QVBoxLayout* Body() const { return FBody; }

private:
    TVarnexSettings* FSettings = nullptr;
    QVBoxLayout* FBody = nullptr;
};
