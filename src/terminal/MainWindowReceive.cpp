// The receive view: display options, appending, the rebuild from the tokens, fonts, saving,
// printing and clearing.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "notation/StringDecoder.h"
#include "settings/VarnexSettings.h"
#include "terminal/HistoryRecorder.h"
#include "terminal/ReceiveFindBar.h"
#include "terminal/TerminalSession.h"
#include "ui/Dialogs.h"
#include "ui/RecentFiles.h"
#include "ui_MainWindow.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QToolButton>

void TfrmMainWindow::SetUpReceiveTools()
{
    ui->bSaveReceive->setDefaultAction(ui->acSaveReceive);
    ui->bPrintReceive->setDefaultAction(ui->acPrintReceive);
    ui->bDeleteReceive->setDefaultAction(ui->acDeleteReceive);
    ui->bAutoScroll->setDefaultAction(ui->acAutoScroll);
    pmRecentFilesReceive = new QMenu(this);
    pmRecentFilesReceive->setObjectName(QStringLiteral("pmRecentFilesReceive"));
    ui->bSaveReceive->setMenu(pmRecentFilesReceive);
    connect(pmRecentFilesReceive, &QMenu::aboutToShow, this,
            [this] { Guarded([this] { pmRecentFilesReceivePopup(); }); });
    ui->memReceive->addActions({ui->acSetNormalFont, ui->acSetDumpFont});

    ui->bHelpDump->SetTitle(QStringLiteral("Dump"));
    ui->bHelpDump->SetText(QStringLiteral(
        "Zeigt die empfangenen Zeichen als Dump an.\r\n\r\nDEZ    = Alle Zeichen als bis zu "
        "dreistellige Dezimalzahl\r\nHEX    = Alle Zeichen als zweistellige HEX Zahl\r\nASCII = "
        "Alle leesbaren Zeichen als Zeichen - alle anderen\r\n              Zeichen als "
        "Dezimalzahl\r\n\r\nWenn sich bereits Zeichen im Empfangsfenster befinden\r\nwerden "
        "diese auch neu decodiert."));

    connect(ui->bEcho, &QToolButton::toggled, mSession, &TTerminalSession::SetEcho);
    mSession->SetEcho(ui->bEcho->isChecked());
    // Times are kept with the traffic: switching them shows everything received again.
    connect(ui->bTimestamps, &QToolButton::toggled, this, [this](bool aOn) {
        if (aOn == mSession->Timestamps())
            return;
        mSession->SetTimestamps(aOn);
        VarnexSettings()->SetTimestamps(aOn);
        UpdateReceiveMemo();
    });

    // The tools go into a tool bar, which folds what does not fit behind its "»" button: the
    // receive side then never holds the command list beside it to its narrowest.
    auto* bar = new QToolBar(ui->paReceiveTools);
    bar->setObjectName(QStringLiteral("tbReceive"));
    QLayout* row = ui->paReceiveTools->layout();
    while (QLayoutItem* item = row->takeAt(0)) {
        if (QWidget* widget = item->widget())
            bar->addWidget(widget);
        else if (item->spacerItem())
            bar->addSeparator();
        delete item;
    }
    row->addWidget(bar);

    // A tool bar outside a main window's tool bar area cannot unfold in place: its "»" opens a
    // menu of the buttons that did not fit instead, each doing what its button does.
    if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"))) {
        auto* menu = new QMenu(more);
        menu->setObjectName(QStringLiteral("pmReceiveToolsMore"));
        connect(menu, &QMenu::aboutToShow, this, [bar, menu] {
            menu->clear();
            for (QAction* action : bar->actions()) {
                auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
                if (!button || button->isVisible())
                    continue;
                QAction* item = menu->addAction(button->text());
                item->setCheckable(button->isCheckable());
                item->setChecked(button->isChecked());
                item->setEnabled(button->isEnabled());
                item->setToolTip(button->toolTip());
                connect(item, &QAction::triggered, button, [button] { button->click(); });
            }
        });
        more->setMenu(menu);
        more->setPopupMode(QToolButton::InstantPopup);
    }

    // The find bar sits right under the view it searches.
    mFindBar = new TReceiveFindBar(ui->memReceive, ui->paReceive);
    auto* column = static_cast<QBoxLayout*>(ui->paReceive->layout());
    column->insertWidget(column->indexOf(ui->memReceive) + 1, mFindBar);
    connect(ui->acFind, &QAction::triggered, mFindBar, &TReceiveFindBar::Open);
}

TTermComOptions TfrmMainWindow::GetDisplayOptions() const
{
    TTermComOptions options;
    if (ui->bExecuteCrlf->isChecked() && ui->bExecuteCrlf->isEnabled())
        options.Include(coCrlf);
    if (ui->bExecuteControlCode->isChecked())
        options.Include(coControl);
    if (ui->cbDump->isChecked()) {
        switch (mDumpStyleGroup->checkedId()) {
        case 0: options.Include(coDezDump); break;
        case 2: options.Include(coAsciiDump); break;
        default: options.Include(coHexDump); break;
        }
    }
    return options;
}

void TfrmMainWindow::AppendToReceive(const QString& aText, bool aBold)
{
    // The view keeps the caret and the visible part itself when auto-scroll is off.
    ui->memReceive->AppendText(aText, aBold);
}

void TfrmMainWindow::AppendReceived(const QString& aText)
{
    AppendToReceive(aText, false);
}

void TfrmMainWindow::UpdateReceiveMemo()
{
    mSession->SetDisplayOptions(GetDisplayOptions());
    mSession->StartRebuild();
}

bool TfrmMainWindow::IsRebuilding() const
{
    return mSession->IsRebuilding();
}

QFont TfrmMainWindow::ReceiveFont() const
{
    TVarnexSettings* settings = VarnexSettings();
    const bool dump = ui->cbDump->isChecked();
    QFont font(dump ? settings->DumpFontName() : settings->NormalFontName());
    font.setPointSize(qMax(1, dump ? settings->DumpFontSize() : settings->NormalFontSize()));
    return font;
}

void TfrmMainWindow::UpdateFont()
{
    const QFont font = ReceiveFont();
    // Emptied first, as the rebuild below would do anyway: a font change re-wraps all the
    // view holds (some 0.2 s for 70 MB of text), only for the rebuild to throw it away.
    ui->memReceive->Clear();
    ui->memReceive->setFont(font);
    UpdateReceiveMemo();
}

void TfrmMainWindow::cbDumpClick()
{
    UpdateFont(); // rebuilds the view
}

void TfrmMainWindow::rgDumpStyleClick()
{
    UpdateReceiveMemo();
}

void TfrmMainWindow::acAutoScrollExecute()
{
    mAutoScroll = ui->acAutoScroll->isEnabled() && ui->acAutoScroll->isChecked();
    ui->memReceive->SetAutoScroll(mAutoScroll);
    if (mAutoScroll) {
        ui->memReceive->SetCaretPosition(ui->memReceive->DocumentLength());
        ui->memReceive->ScrollToEnd();
    }
}

void TfrmMainWindow::acDeleteReceiveExecute()
{
    mSession->ClearTraffic();
}

void TfrmMainWindow::ChooseFont(bool aDump)
{
    QFontDialog dialog(ui->memReceive->font(), this);
    dialog.setWindowTitle(aDump ? QStringLiteral("Dumpschriftart") : QStringLiteral("Normalschriftart"));
    if (ExecDialog(&dialog) == QDialog::Accepted) {
        const QFont chosen = dialog.selectedFont();
        TVarnexSettings* settings = VarnexSettings();
        if (aDump) {
            settings->SetDumpFontName(chosen.family());
            settings->SetDumpFontSize(chosen.pointSize());
        } else {
            settings->SetNormalFontName(chosen.family());
            settings->SetNormalFontSize(chosen.pointSize());
        }
    }
    UpdateFont();
}

void TfrmMainWindow::acSetNormalFontExecute()
{
    ChooseFont(false);
}

void TfrmMainWindow::acSetDumpFontClick()
{
    ChooseFont(true);
}

void TfrmMainWindow::acSaveReceiveExecute()
{
    TFileDialogSetup setup;
    setup.Title = QStringLiteral("Text Speichern");
    setup.ObjectName = QStringLiteral("SaveDialogReceive");
    setup.Save = true;
    setup.Filters = {QStringLiteral("Rich Text (*.rtf)"), QStringLiteral("Text (*.txt)"),
                     QStringLiteral("Alle Dateien (*)")};
    setup.Suffixes = {QStringLiteral("rtf"), QStringLiteral("txt"), QString()};
    TVarnexSettings* settings = VarnexSettings();
    if (settings->XMLEnabled())
        setup.Preset = NewestRecentFile(settings->RecentFilesReceive());
    const QString file = AskForFile(this, setup);
    if (!file.isEmpty())
        SaveReceiveToFile(file);
}

void TfrmMainWindow::SaveReceiveToFile(const QString& aFileName)
{
    mSession->SaveReceiveToFile(aFileName);
}

void TfrmMainWindow::bHistoryClick()
{
    mHistory->Switch(ui->bHistory->isChecked());
}

void TfrmMainWindow::pmRecentFilesReceivePopup()
{
    FillRecentFilesMenu(pmRecentFilesReceive, VarnexSettings()->RecentFilesReceive(), false,
                        [this](const QString& aFile) { SaveReceiveToFile(aFile); });
}

void TfrmMainWindow::acPrintReceiveExecute()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (ExecDialog(&dialog) != QDialog::Accepted)
        return;
    mSession->FinishRebuild();
    ui->memReceive->Print(&printer, QCoreApplication::applicationFilePath());
}
