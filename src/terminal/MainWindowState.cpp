// The window's state in the settings document: placement, port, script panel, action
// shortcuts, the toggles, the prefix and postfix histories, panel sizes and the tree's columns.
#include "terminal/MainWindow.h"

#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "commands/ShortCutKeys.h"
#include "controls/MvExpandingPanel.h"
#include "serial/TermCom.h"
#include "settings/CommaText.h"
#include "settings/FormPlacement.h"
#include "settings/VarnexSettings.h"
#include "terminal/HistoryRecorder.h"
#include "terminal/TerminalSession.h"
#include "ui_MainWindow.h"

#include <QButtonGroup>
#include <QHeaderView>

namespace {
const QString kFormName = QStringLiteral("frmMainWindow");
const QString kDefaultPostfix = QStringLiteral("/cr//lf/");

QStringList Items(const QComboBox* aCombo)
{
    QStringList items;
    for (int i = 0; i < aCombo->count(); ++i)
        items << aCombo->itemText(i);
    return items;
}

void SetItems(QComboBox* aCombo, const QStringList& aItems)
{
    aCombo->clear();
    aCombo->addItems(aItems);
    if (!aItems.isEmpty())
        aCombo->setEditText(aItems.first());
}
} // namespace

void TfrmMainWindow::LoadSettings()
{
    TVarnexSettings* settings = VarnexSettings();
    if (settings->XMLEnabled()) {
        LoadForm(*settings, this, kFormName, false);
        settings->LoadCom(mCom);
        LoadScriptPanel();
        LoadActionShortcuts();
        LoadGeneralSettings();
        LoadColumns();
    } else {
        // The designed values; the session still needs its defaults.
        LoadScriptPanel();
        SetItems(ui->cbPostfix, {kDefaultPostfix});
    }
    ui->bRTS->setChecked(mCom->RTS());
    ui->bDTR->setChecked(mCom->DTR());
}

void TfrmMainWindow::LoadGeneralSettings()
{
    TVarnexSettings* settings = VarnexSettings();
    const pugi::xml_node general = settings->GeneralRoot();
    // The height first: an open panel given a height adds its title strip to it, and the panel
    // would start taller than it opens by hand.
    paScriptPanel->SetExpandedHeight(GetAttrInt(QStringLiteral("ScriptPanelHeight"), general, 220));
    paScriptPanel->SetExpanded(settings->ReadBool(general, QStringLiteral("ScripPanelExpanded"), false));
    mSendMRUWidth = GetAttrInt(QStringLiteral("vtSendWidth"), general, -1);
    SetItems(ui->cbPrefix, FromCommaText(GetAttrString(QStringLiteral("PrefixMRU"), general, QString())));
    SetItems(ui->cbPostfix,
             FromCommaText(GetAttrString(QStringLiteral("PostfixMRU"), general, kDefaultPostfix)));
    mHistory->ApplyInterval();
    mSession->SetAutoReconnect(settings->AutoReconnect());
    mSession->SetTimestamps(settings->Timestamps());
    ui->bTimestamps->setChecked(settings->Timestamps());
    ui->acHideParameter->setChecked(settings->ReadBool(general, QStringLiteral("HideParams"), true));
    mTreeModel->SetHideParameter(ui->acHideParameter->isChecked());
    mAutoScroll = settings->ReadBool(general, QStringLiteral("AutoScroll"), true);
    ui->acAutoScroll->setChecked(mAutoScroll);
    ui->memReceive->SetAutoScroll(mAutoScroll);
    ui->cbDump->setChecked(settings->ReadBool(general, QStringLiteral("Dump"), false));
    if (QAbstractButton* style = mDumpStyleGroup->button(GetAttrInt(QStringLiteral("DumpStyle"), general, 1)))
        style->setChecked(true);
    const pugi::xml_node receive = settings->GetElement(QStringLiteral("/Body/General/Receive"), true);
    ui->bExecuteCrlf->setChecked(settings->ReadBool(receive, QStringLiteral("ExecuteCrLf"), true));
    ui->bExecuteControlCode->setChecked(
        settings->ReadBool(receive, QStringLiteral("ExecuteControlChar"), false));
    ui->bEcho->setChecked(settings->ReadBool(receive, QStringLiteral("LocalEcho"), false));
}

void TfrmMainWindow::LoadActionShortcuts()
{
    const QList<QAction*> actions = ActionList();
    for (pugi::xml_node item : VarnexSettings()->GetActionElement().children()) {
        if (item.type() != pugi::node_element)
            continue;
        const QString name = GetAttrString(QStringLiteral("Name"), item, QString());
        for (QAction* action : actions) {
            if (action->objectName() == name) {
                action->setShortcuts(
                    TextToShortcuts(GetAttrString(QStringLiteral("Shortcut"), item, QString())));
                break;
            }
        }
    }
}

void TfrmMainWindow::LoadColumns()
{
    const pugi::xml_node general = VarnexSettings()->GeneralRoot();
    QHeaderView* header = ui->vtSend->header();
    for (int i = 0; i < header->count(); ++i) {
        const pugi::xml_node column =
            SelectSingleNode(general, QStringLiteral("MRUListCol[@Number='%1']").arg(i));
        if (!column)
            continue;
        header->resizeSection(i,
                              qMax(1, GetAttrInt(QStringLiteral("Width"), column, header->sectionSize(i))));
        const int position = GetAttrInt(QStringLiteral("Position"), column, header->visualIndex(i));
        if (position >= 0 && position < header->count())
            header->moveSection(header->visualIndex(i), position);
    }
}

void TfrmMainWindow::SaveSettings()
{
    TVarnexSettings* settings = VarnexSettings();
    if (!settings->XMLEnabled())
        return;
    mCom->SetRTS(ui->bRTS->isChecked());
    mCom->SetDTR(ui->bDTR->isChecked());
    settings->SaveCom(mCom);
    SaveGeneralSettings();
    SaveColumns();
    SaveActionShortcuts();
    SaveForm(*settings, this, kFormName);
}

void TfrmMainWindow::SaveGeneralSettings()
{
    TVarnexSettings* settings = VarnexSettings();
    pugi::xml_node general = settings->GeneralRoot();
    SetAttrBool(general, QStringLiteral("ScripPanelExpanded"), paScriptPanel->Expanded());
    SetAttrInt(general, QStringLiteral("vtSendWidth"), ui->paSendMRU->width());
    SetAttrString(general, QStringLiteral("PrefixMRU"), ToCommaText(Items(ui->cbPrefix)));
    SetAttrString(general, QStringLiteral("PostfixMRU"), ToCommaText(Items(ui->cbPostfix)));
    SetAttrBool(general, QStringLiteral("HideParams"), ui->acHideParameter->isChecked());
    SetAttrBool(general, QStringLiteral("Dump"), ui->cbDump->isChecked());
    SetAttrInt(general, QStringLiteral("DumpStyle"), mDumpStyleGroup->checkedId());
    SetAttrBool(general, QStringLiteral("AutoScroll"), mAutoScroll);
    pugi::xml_node receive = settings->GetElement(QStringLiteral("/Body/General/Receive"), true);
    SetAttrBool(receive, QStringLiteral("ExecuteControlChar"), ui->bExecuteControlCode->isChecked());
    SetAttrBool(receive, QStringLiteral("ExecuteCrLf"), ui->bExecuteCrlf->isChecked());
    SetAttrBool(receive, QStringLiteral("LocalEcho"), ui->bEcho->isChecked());
}

void TfrmMainWindow::SaveColumns()
{
    pugi::xml_node general = VarnexSettings()->GeneralRoot();
    const QHeaderView* header = ui->vtSend->header();
    for (int i = 0; i < header->count(); ++i) {
        pugi::xml_node column = SelectSingleNode(general, QStringLiteral("MRUListCol[@Number='%1']").arg(i));
        if (!column)
            column = general.append_child("MRUListCol");
        SetAttrInt(column, QStringLiteral("Number"), i);
        SetAttrInt(column, QStringLiteral("Width"), header->sectionSize(i));
        SetAttrInt(column, QStringLiteral("Position"), header->visualIndex(i));
    }
}

void TfrmMainWindow::SaveActionShortcuts()
{
    pugi::xml_node actions = VarnexSettings()->ResetActionElement();
    for (QAction* action : ActionList()) {
        // Parked shortcuts (a cell of the tree being edited) are the action's own.
        const QVariant parked = action->property("ParkedShortCuts");
        const QList<QKeySequence> shortcuts =
            parked.isValid() ? parked.value<QList<QKeySequence>>() : action->shortcuts();
        pugi::xml_node item = actions.append_child("Item");
        SetAttrString(item, QStringLiteral("Name"), action->objectName());
        SetAttrString(item, QStringLiteral("Shortcut"),
                      shortcuts.isEmpty() ? QString() : ShortCutToText(shortcuts.first()));
    }
}
