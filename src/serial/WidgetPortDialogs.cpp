#include "serial/WidgetPortDialogs.h"

#include "serial/ComMv.h"
#include "serial/Einstellungen.h"
#include "serial/LineSettingsDialog.h"
#include "ui/Dialogs.h"

#include <QApplication>

bool TWidgetPortDialogs::EditLineSettings(const QString& aPortName, TDeviceLineSettings& aSettings)
{
    TLineSettingsDialog dialog(aPortName, aSettings, QApplication::activeWindow());
    if (ExecDialog(&dialog) == QDialog::Rejected)
        return false;
    aSettings = dialog.Settings();
    return true;
}

void TWidgetPortDialogs::SelectPort(TComMv& aPort, const QList<TPortEntry>& aEntries)
{
    TEinstellungen dialog(aPort, QApplication::activeWindow());
    dialog.setWindowTitle(aPort.CaptionForm());
    dialog.SetPortCaption(aPort.CaptionPort());
    dialog.SetPropertiesCaption(aPort.CaptionProperties());
    dialog.SetOKCaption(aPort.CaptionOK());
    int widest = 0;
    for (const TPortEntry& entry : aEntries) {
        widest = qMax(widest, dialog.TextWidth(entry.Text));
        dialog.AddEntry(entry.Text, entry.Enabled, entry.Current, entry.Reason);
    }
    dialog.ArrangeEntries(widest);
    ExecDialog(&dialog);
}
