#include "serial/LineSettingsDialog.h"

#include "base/Prompts.h"
#include "serial/FlowControl.h"
#include "ui_LineSettingsDialog.h"

#include <QIntValidator>
#include <QLocale>
#include <QPushButton>

namespace {
const int kBaudRates[] = {110,   300,   600,    1200,   2400,   4800,   9600,   14400, 19200,
                          38400, 57600, 115200, 128000, 230400, 256000, 460800, 921600};
} // namespace

TLineSettingsDialog::TLineSettingsDialog(const QString& aPortName, const TDeviceLineSettings& aSettings,
                                         QWidget* aParent)
    : QDialog(aParent)
    , ui(std::make_unique<Ui::TLineSettingsDialog>())
    , FInitial(aSettings)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Eigenschaften von %1").arg(aPortName));
    ui->bbButtons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));

    for (int baud : kBaudRates)
        ui->cbBaud->addItem(QString::number(baud));
    ui->cbBaud->setCurrentText(QString::number(aSettings.Baud));
    ui->cbBaud->setValidator(new QIntValidator(1, 100000000, ui->cbBaud));

    for (int bits = 5; bits <= 8; ++bits)
        ui->cbDataBits->addItem(QString::number(bits), bits);
    ui->cbDataBits->setCurrentIndex(qMax(0, ui->cbDataBits->findData(aSettings.DataBits)));

    ui->cbParity->addItems({QStringLiteral("Keine"), QStringLiteral("Ungerade"), QStringLiteral("Gerade"),
                            QStringLiteral("Markierung"), QStringLiteral("Leerzeichen")});
    ui->cbParity->setCurrentIndex(int(aSettings.Parity));

    ui->cbStopBits->addItems({QStringLiteral("1"), QLocale().toString(1.5), QStringLiteral("2")});
    ui->cbStopBits->setCurrentIndex(int(aSettings.StopBits));

    ui->cbFlowControl->addItems(
        {QStringLiteral("Kein"), QStringLiteral("Xon / Xoff"), QStringLiteral("Hardware")});
    ui->cbFlowControl->setCurrentIndex(int(FlowFromFlag(aSettings.Flag)));

    connect(ui->bbButtons, &QDialogButtonBox::accepted, this, &TLineSettingsDialog::accept);
    connect(ui->bbButtons, &QDialogButtonBox::rejected, this, &TLineSettingsDialog::reject);
}

TLineSettingsDialog::~TLineSettingsDialog() = default;

TDeviceLineSettings TLineSettingsDialog::Settings() const
{
    TDeviceLineSettings settings = FInitial;
    settings.Baud = ui->cbBaud->currentText().toInt();
    settings.DataBits = ui->cbDataBits->currentData().toInt();
    settings.Parity = TParity(ui->cbParity->currentIndex());
    settings.StopBits = TStopBit(ui->cbStopBits->currentIndex());
    settings.Flag = FlagWithFlow(FInitial.Flag, TFlowControl(ui->cbFlowControl->currentIndex()));
    return settings;
}

void TLineSettingsDialog::accept()
{
    if (ui->cbBaud->currentText().toInt() <= 0) {
        Prompts().ShowMessage(QStringLiteral("Bitte eine Baudrate größer als 0 eingeben."));
        ui->cbBaud->setFocus();
        return;
    }
    QDialog::accept();
}
