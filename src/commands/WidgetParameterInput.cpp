#include "commands/WidgetParameterInput.h"

#include "commands/RecordInput.h"
#include "settings/FormPlacement.h"
#include "settings/VarnexSettings.h"

#include <QApplication>

#include <utility>

namespace {
const QString kFormName = QStringLiteral("frmRecordInput");
} // namespace

void TWidgetParameterInput::AskRecord(const QString& aTitle, TRecordFields& aFields)
{
    TfrmRecordInput dialog(QApplication::activeWindow());
    TVarnexSettings* settings = VarnexSettings();
    const bool keepPlacement = settings && settings->XMLEnabled();
    if (keepPlacement)
        LoadForm(*settings, &dialog, kFormName, true);
    dialog.Fields() = std::move(aFields);
    dialog.setWindowTitle(aTitle);
    dialog.ShowRecord();
    aFields = std::move(dialog.Fields());
    if (keepPlacement)
        SaveForm(*settings, &dialog, kFormName);
}
