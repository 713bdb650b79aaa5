#include "serial/Einstellungen.h"

#include "base/Prompts.h"
#include "base/ErrorGuard.h"
#include "serial/ComMv.h"
#include "serial/PortRegistry.h"
#include "ui/Dialogs.h"
#include "ui_Einstellungen.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>

namespace {
// Room for the radio indicator and its gap beside the text.
constexpr int kIndicatorAllowance = 30;
constexpr int kRowHeight = 30;
constexpr int kMinGroupHeight = 50;
// Below this many entries the group shrinks to fit them.
constexpr int kCompactBelow = 5;
// Breathing space between the group and the buttons.
constexpr int kBottomAllowance = 30;
} // namespace

TEinstellungenLayout TEinstellungenLayout::Compute(int aEntries, int aWidestText)
{
    const int entries = qMax(0, aEntries);
    TEinstellungenLayout layout;
    layout.Columns = entries / kEntriesPerColumn + 1;
    if (entries < kCompactBelow)
        layout.GroupHeight = kRowHeight * entries;
    layout.GroupHeight = qMax(layout.GroupHeight, kMinGroupHeight);
    const int width = (aWidestText + kIndicatorAllowance) * layout.Columns;
    if (width > kDesignClientWidth) {
        layout.GroupWidth = width;
        layout.ClientWidth = width + 2 * kGroupLeft;
    }
    layout.ClientHeight = kGroupTop + layout.GroupHeight + kButtonPanelHeight + kBottomAllowance;
    return layout;
}

TEinstellungen::TEinstellungen(TComMv& aPort, QWidget* aParent)
    : QDialog(aParent)
    , ui(std::make_unique<Ui::TEinstellungen>())
    , FPort(aPort)
{
    ui->setupUi(this);
    FGroup = new QButtonGroup(this);
    FGroup->setExclusive(true);
    connect(FGroup, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* aButton, bool aChecked) {
        if (aChecked && !FFilling)
            RadioGbClick(aButton);
    });
    connect(ui->butEigenschaften, &QPushButton::clicked, this, &TEinstellungen::butEigenschaftenClick);
    connect(ui->butOK, &QPushButton::clicked, this, &TEinstellungen::butOKClick);
    connect(ui->butGeraet, &QPushButton::clicked, this, [this] { Guarded([this] { butGeraetClick(); }); });
}

TEinstellungen::~TEinstellungen() = default;

void TEinstellungen::AddEntry(const QString& aText, bool aEnabled, bool aChecked, const QString& aReason)
{
    auto* radio = new QRadioButton(ui->RadioGb);
    // Device paths may contain '&', which would otherwise turn into a mnemonic.
    radio->setText(QString(aText).replace(u'&', QStringLiteral("&&")));
    radio->setEnabled(aEnabled);
    radio->setToolTip(aReason);
    FFilling = true;
    FGroup->addButton(radio, int(FEntries.size()));
    radio->setChecked(aChecked);
    FFilling = false;
    FEntries << radio;
}

void TEinstellungen::ArrangeEntries(int aWidestText)
{
    FLayout = TEinstellungenLayout::Compute(int(FEntries.size()), aWidestText);
    auto* grid = qobject_cast<QGridLayout*>(ui->RadioGb->layout());
    const int columns = FLayout.Columns;
    const int rows = qMax(1, (int(FEntries.size()) + columns - 1) / columns);
    for (int i = 0; i < FEntries.size(); ++i)
        grid->addWidget(FEntries.at(i), i % rows, i / rows);
    // Spread the entries evenly over the group rather than bunching them in the middle.
    for (int row = 0; row < rows; ++row)
        grid->setRowStretch(row, 1);
    for (int column = 0; column < columns; ++column)
        grid->setColumnStretch(column, 1);

    // Arrow keys move between the radios; Tab goes on to the buttons.
    QWidget* previous = nullptr;
    for (QRadioButton* radio : std::as_const(FEntries)) {
        if (previous)
            setTabOrder(previous, radio);
        previous = radio;
    }
    if (previous) {
        setTabOrder(previous, ui->butEigenschaften);
        setTabOrder(ui->butEigenschaften, ui->butOK);
    }
    if (QAbstractButton* checked = FGroup->checkedButton())
        checked->setFocus();

    // The computed size is what we aim for; a style with larger radios or a bigger font
    // still gets all the room it needs.
    const QSize needed = ui->RadioGb->minimumSizeHint();
    ui->RadioGb->setMinimumSize(qMax(FLayout.GroupWidth, needed.width()),
                                qMax(FLayout.GroupHeight, needed.height()));
    layout()->activate();
    const QSize total = layout()->totalMinimumSize();
    setFixedSize(qMax(FLayout.ClientWidth, total.width()), qMax(FLayout.ClientHeight, total.height()));
}

int TEinstellungen::TextWidth(const QString& aText) const
{
    return QFontMetrics(font()).horizontalAdvance(aText);
}

void TEinstellungen::SetPortCaption(const QString& aCaption)
{
    ui->RadioGb->setTitle(aCaption);
}

void TEinstellungen::SetPropertiesCaption(const QString& aCaption)
{
    ui->butEigenschaften->setText(aCaption);
}

void TEinstellungen::SetOKCaption(const QString& aCaption)
{
    ui->butOK->setText(aCaption);
}

void TEinstellungen::RadioGbClick(QAbstractButton* aButton)
{
    // The text shown has doubled '&'s; the number in front is unaffected.
    const int number = T_QCCom32::PortNumberFromEntry(aButton->text());
    if (number < 0)
        return;
    // The new port stays closed: the user switches it on when ready, and a port that cannot
    // be opened right now must still be selectable.
    FPort.Close();
    FPort.SetPort(number);
}

void TEinstellungen::butEigenschaftenClick()
{
    // The line settings need an open port; one opened here stays open, as the user
    // evidently means to use it.
    if (!FPort.Opened() && !FPort.Open()) {
        const QString text = QStringLiteral("Port %1 steht im Moment nicht zu Verfügung").arg(FPort.Port());
        Prompts().Ask(IPrompts::TKind::Warning, text, {IPrompts::TButton::Ok},
                      QStringLiteral("Fehler beim Zugriff auf Schnittstelle"));
    }
    FPort.properties();
}

void TEinstellungen::butGeraetClick()
{
    QFileDialog dialog(this, QStringLiteral("Gerät wählen"), QStringLiteral("/dev"));
    dialog.setObjectName(QStringLiteral("OpenDialogDevice"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFilter(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    const int number = TPortRegistry::Instance().Bind(path);
    const QString text = QStringLiteral("Com%1 (%2)").arg(number).arg(path);
    for (QRadioButton* radio : std::as_const(FEntries)) {
        if (T_QCCom32::PortNumberFromEntry(radio->text()) == number) {
            radio->setEnabled(true);
            radio->setChecked(true); // chooses the port
            return;
        }
    }
    AddEntry(text, true, false);
    ArrangeEntries(TextWidth(text));
    FEntries.last()->setChecked(true); // chooses the port
}

void TEinstellungen::butOKClick()
{
    accept();
}
