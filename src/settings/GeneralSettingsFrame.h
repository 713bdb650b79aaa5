#pragma once

#include "settings/SettingsFrame.h"

class QCheckBox;
class QGridLayout;

// "Allgemein": settings of the program as a whole, one row each with a line of explanation.
class TGeneralSettignsFrame final : public TSettingsFrame
{
    Q_OBJECT
public:
    explicit TGeneralSettignsFrame(QWidget* aParent = nullptr);

    void Load() override;
    void Save() override;

private:
    // One setting of the program: a check box with its caption, and a line of explanation
    // below when there is one.
    QCheckBox* AddOption(const char* aName, const QString& aCaption, const QString& aExplanation = QString());

    QGridLayout* FOptions = nullptr;
    QCheckBox* cbAutoUpdate = nullptr;
    QCheckBox* cbAutoReconnect = nullptr;
};
