#pragma once

#include "settings/SettingsFrame.h"

class QLineEdit;
class QSpinBox;
class QToolButton;

// "History": where history files go and how often.
class TfrmHistory final : public TSettingsFrame
{
    Q_OBJECT
public:
    explicit TfrmHistory(QWidget* aParent = nullptr);

    void Load() override;
    void Save() override;
    void bChooseHistoryClick();

private:
    QLineEdit* edHistoryPath = nullptr;
    QToolButton* bChooseHistory = nullptr;
    QSpinBox* edhours = nullptr;
    QSpinBox* edMinutes = nullptr;
    QSpinBox* edSeconds = nullptr;
};
