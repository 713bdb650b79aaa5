#include "settings/FontFrame.h"

#include "settings/VarnexSettings.h"
#include "ui/Dialogs.h"

#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmFontFrame::TfrmFontFrame(QWidget* aParent)
    : TSettingsFrame(
        2,
        QStringLiteral("Stellt die zu verwendenden Fonts für Normalansicht und für Dump Ansicht ein. "
                       "Dabei wird nur der Name und die Grösse des Zeichensatzes übernommen."),
        aParent)
{
    auto* form = new QFormLayout;
    auto row = [this, form](const char* aEdit, const char* aButton, const QString& aLabel,
                            QLineEdit*& aSample, QPushButton*& aSelect) {
        aSample = new QLineEdit(QStringLiteral("Sample"), this);
        aSample->setObjectName(QLatin1String(aEdit));
        aSample->setReadOnly(true);
        aSelect = new QPushButton(QStringLiteral("..."), this);
        aSelect->setObjectName(QLatin1String(aButton));
        aSelect->setMaximumWidth(40);
        connect(aSelect, &QPushButton::clicked, this,
                [this, aSample, aSelect] { SelectFont(aSample, aSelect); });
        auto* line = new QHBoxLayout;
        line->addWidget(aSample, 1);
        line->addWidget(aSelect);
        form->addRow(aLabel, line);
    };
    row("edNormalFontSample", "bSelectNormalFont", QStringLiteral("Normal Font:"), edNormalFontSample,
        bSelectNormalFont);
    row("edDumpFontSample", "bSelectDumpFont", QStringLiteral("Dump Font:"), edDumpFontSample,
        bSelectDumpFont);
    Body()->addLayout(form);
    Body()->addStretch(1);
}

void TfrmFontFrame::ShowFont(QLineEdit* aSample, const QString& aName, int aSize)
{
    QFont font(aName);
    font.setPointSize(qMax(1, aSize));
    aSample->setFont(font);
    aSample->setText(aName);
}

void TfrmFontFrame::Load()
{
    TVarnexSettings* settings = Settings();
    if (settings) {
        ShowFont(edNormalFontSample, settings->NormalFontName(), settings->NormalFontSize());
        ShowFont(edDumpFontSample, settings->DumpFontName(), settings->DumpFontSize());
    }
    bSelectNormalFont->setFixedHeight(edNormalFontSample->sizeHint().height());
    bSelectDumpFont->setFixedHeight(edDumpFontSample->sizeHint().height());
}

void TfrmFontFrame::Save()
{
    TVarnexSettings* settings = Settings();
    if (!settings)
        return;
    // The sample keeps the family as its text: the font it shows may be a substitute.
    settings->SetNormalFontName(edNormalFontSample->text());
    settings->SetNormalFontSize(edNormalFontSample->font().pointSize());
    settings->SetDumpFontName(edDumpFontSample->text());
    settings->SetDumpFontSize(edDumpFontSample->font().pointSize());
}

void TfrmFontFrame::SelectFont(QLineEdit* aSample, QPushButton* aButton)
{
    QFontDialog dialog(aSample->font(), this);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return;
    // Name and size only: style and colour stay as they are.
    const QFont chosen = dialog.selectedFont();
    ShowFont(aSample, chosen.family(), chosen.pointSize());
    aButton->setFixedHeight(aSample->sizeHint().height());
}
