#include "settings/HistoryFrame.h"

#include "settings/VarnexSettings.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QSpinBox* SpinBox(const char* aName, int aMaximum, QWidget* aParent)
{
    auto* box = new QSpinBox(aParent);
    box->setObjectName(QLatin1String(aName));
    box->setRange(0, aMaximum);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 48);
    return box;
}
} // namespace

TfrmHistory::TfrmHistory(QWidget* aParent)
    : TSettingsFrame(
        1,
        QStringLiteral("Hier kann das Verzeichnis eingestellt werden in dem nach der eingestellten Zeit "
                       "eine Datei erzeugt wird. In dieser Datei wird das Ausgabe Fenster gespeichert "
                       "und dann gelöscht."),
        aParent)
{
    auto* form = new QFormLayout;
    auto* pathRow = new QHBoxLayout;
    edHistoryPath = new QLineEdit(this);
    edHistoryPath->setObjectName(QStringLiteral("edHistoryPath"));
    bChooseHistory = new QToolButton(this);
    bChooseHistory->setObjectName(QStringLiteral("bChooseHistory"));
    bChooseHistory->setText(QStringLiteral("..."));
    connect(bChooseHistory, &QToolButton::clicked, this, &TfrmHistory::bChooseHistoryClick);
    pathRow->addWidget(edHistoryPath, 1);
    pathRow->addWidget(bChooseHistory);
    form->addRow(QStringLiteral("History Pfad:"), pathRow);
    edhours = SpinBox("edhours", 1000, this);
    edMinutes = SpinBox("edMinutes", 60, this);
    edSeconds = SpinBox("edSeconds", 60, this);
    form->addRow(QStringLiteral("Stunden:"), edhours);
    form->addRow(QStringLiteral("Minuten:"), edMinutes);
    form->addRow(QStringLiteral("Sekunden"), edSeconds);
    Body()->addLayout(form);
    Body()->addStretch(1);
}

void TfrmHistory::Load()
{
    TVarnexSettings* settings = Settings();
    if (!settings)
        return;
    edHistoryPath->setText(settings->HistoryDir());
    // Values beyond a box's range are brought into it.
    edhours->setValue(settings->HistoryHoures());
    edMinutes->setValue(settings->HistoryMinutes());
    edSeconds->setValue(settings->HistorySeconds());
}

void TfrmHistory::Save()
{
    TVarnexSettings* settings = Settings();
    if (!settings)
        return;
    settings->SetHistoryDir(edHistoryPath->text());
    settings->SetHistoryHoures(edhours->value());
    settings->SetHistoryMinutes(edMinutes->value());
    settings->SetHistorySeconds(edSeconds->value());
}

void TfrmHistory::bChooseHistoryClick()
{
    const QString current = edHistoryPath->text();
    const bool exists = !current.isEmpty() && QDir(current).exists();
    QFileDialog dialog(this, QStringLiteral("History Verzeichnis wählen"), exists ? current : QString());
    dialog.setObjectName(QStringLiteral("HistoryFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    // The platform's own folder browser where there is one, Qt's otherwise.
    // Cancelling keeps what the field held, a folder still to be made included.
    if (ExecDialog(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edHistoryPath->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}
