#include "settings/GeneralSettingsFrame.h"

#include "settings/VarnexSettings.h"

#include <QCheckBox>
#include <QVBoxLayout>

TGeneralSettignsFrame::TGeneralSettignsFrame(QWidget* aParent)
    : TSettingsFrame(
        0,
        QStringLiteral("Wenn aktiviert, dann wird einmal im Monat auf ein Update überprüft. Wird ein "
                       "Update gefunden wird es zur Installation angeboten."),
        aParent)
{
    cbAutoUpdate =
        new QCheckBox(QStringLiteral("Automatisch auf Update prüfen (erfordert Internetverbindung)"), this);
    cbAutoUpdate->setObjectName(QStringLiteral("cbAutoUpdate"));
    Body()->addWidget(cbAutoUpdate);
    Body()->addStretch(1);
}

void TGeneralSettignsFrame::Load()
{
    if (Settings())
        cbAutoUpdate->setChecked(Settings()->AutoUpdate());
}

void TGeneralSettignsFrame::Save()
{
    if (Settings())
        Settings()->SetAutoUpdate(cbAutoUpdate->isChecked());
}
