#pragma once

#include "settings/SettingsFrame.h"

class QLineEdit;
class QPushButton;

// "Schriftarten": the receive view's fonts for text and for the dump, name and size only.
class TfrmFontFrame final : public TSettingsFrame
{
    Q_OBJECT
public:
    explicit TfrmFontFrame(QWidget* aParent = nullptr);

    void Load() override;
    void Save() override;
    void SelectFont(QLineEdit* aSample, QPushButton* aButton);

private:
    static void ShowFont(QLineEdit* aSample, const QString& aName, int aSize);

    QLineEdit* edNormalFontSample = nullptr;
    QLineEdit* edDumpFontSample = nullptr;
    QPushButton* bSelectNormalFont = nullptr;
    QPushButton* bSelectDumpFont = nullptr;
};
