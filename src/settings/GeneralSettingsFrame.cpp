#include "settings/GeneralSettingsFrame.h"

#include "settings/VarnexSettings.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// A caption beside a check box that wraps where the page is narrow and toggles the box
// when clicked.
class TBoxCaption final : public QLabel
{
public:
    TBoxCaption(const QString& aText, QCheckBox* aBox, QWidget* aParent)
        : QLabel(aText, aParent)
        , FBox(aBox)
    {
        setWordWrap(true);
        setBuddy(aBox);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* aEvent) override
    {
        if (aEvent->button() == Qt::LeftButton && rect().contains(aEvent->position().toPoint())
            && FBox->isEnabled()) {
            FBox->setFocus(Qt::MouseFocusReason);
            FBox->toggle();
        }
        QLabel::mouseReleaseEvent(aEvent);
    }

private:
    QCheckBox* FBox;
};

} // namespace

TGeneralSettignsFrame::TGeneralSettignsFrame(QWidget* aParent)
    : TSettingsFrame(
        0,
        QStringLiteral("Wenn aktiviert, dann wird einmal im Monat auf ein Update überprüft. Wird ein "
                       "Update gefunden wird es zur Installation angeboten."),
        aParent)
{
    FOptions = new QGridLayout;
    FOptions->setColumnStretch(1, 1);
    Body()->addLayout(FOptions);
    Body()->addStretch(1);
    cbAutoUpdate = AddOption("cbAutoUpdate",
                             QStringLiteral("Automatisch auf Update prüfen (erfordert Internetverbindung)"));
    cbAutoReconnect = AddOption(
        "cbAutoReconnect", QStringLiteral("Automatisch wieder verbinden"),
        QStringLiteral("Verschwindet das Gerät (USB-Adapter abgezogen, Board neu gestartet), wartet Varnex "
                       "ohne Fehlermeldung, bis es wieder da ist, und öffnet den Port mit denselben "
                       "Einstellungen neu. Ausschalten des Ports beendet das Warten."));
}

QCheckBox* TGeneralSettignsFrame::AddOption(const char* aName, const QString& aCaption,
                                            const QString& aExplanation)
{
    auto* box = new QCheckBox(this);
    box->setObjectName(QLatin1String(aName));
    box->setAccessibleName(aCaption);
    const int row = FOptions->rowCount();
    FOptions->addWidget(box, row, 0, Qt::AlignTop);
    FOptions->addWidget(new TBoxCaption(aCaption, box, this), row, 1);
    if (!aExplanation.isEmpty()) {
        auto* explanation = new QLabel(aExplanation, this);
        explanation->setWordWrap(true);
        explanation->setForegroundRole(QPalette::PlaceholderText);
        FOptions->addWidget(explanation, row + 1, 1);
    }
    return box;
}

void TGeneralSettignsFrame::Load()
{
    if (Settings()) {
        cbAutoUpdate->setChecked(Settings()->AutoUpdate());
        cbAutoReconnect->setChecked(Settings()->AutoReconnect());
    }
}

void TGeneralSettignsFrame::Save()
{
    if (Settings()) {
        Settings()->SetAutoUpdate(cbAutoUpdate->isChecked());
        Settings()->SetAutoReconnect(cbAutoReconnect->isChecked());
    }
}
