#pragma once

#include "serial/ISerialDevice.h"

#include <QDialog>

#include <memory>

namespace Ui {
class TLineSettingsDialog;
}

// Baud rate, data bits, parity, stop bits and flow control of one port.
class TLineSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    TLineSettingsDialog(const QString& aPortName, const TDeviceLineSettings& aSettings,
                        QWidget* aParent = nullptr);
    ~TLineSettingsDialog() override;

    // The settings as chosen; the flag word keeps every bit but the flow-control ones.
    TDeviceLineSettings Settings() const;

    void accept() override;

private:
    std::unique_ptr<Ui::TLineSettingsDialog> ui;
    TDeviceLineSettings FInitial;
};
