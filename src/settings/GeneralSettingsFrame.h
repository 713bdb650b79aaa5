#pragma once

#include "settings/SettingsFrame.h"

class QCheckBox;

// "Allgemein": settings of the program as a whole, one row each with a line of explanation.
class TGeneralSettignsFrame final : public TSettingsFrame
{
    Q_OBJECT
public:
    explicit TGeneralSettignsFrame(QWidget* aParent = nullptr);

    void Load() override;
    void Save() override;

private:
    QCheckBox* cbAutoUpdate = nullptr;
};
