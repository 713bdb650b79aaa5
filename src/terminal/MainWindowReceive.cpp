// The receive view: display options, appending, the rebuild from the tokens, fonts, saving,
// printing and clearing.
#include "terminal/MainWindow.h"

#include "notation/StringDecoder.h"
#include "settings/VarnexSettings.h"
#include "terminal/Token.h"
#include "ui/ErrorGuard.h"
#include "ui_MainWindow.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTimer>

namespace {
// A rebuild works in slices of this many characters or milliseconds, whichever comes first,
// so the window keeps answering and the port keeps being read meanwhile.
constexpr qint64 kRebuildSliceChars = 1 << 20;
constexpr int kRebuildSliceMs = 25;
} // namespace

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
            [this] { Guarded(this, [this] { pmRecentFilesReceivePopup(); }); });
    ui->memReceive->addActions({ui->acSetNormalFont, ui->acSetDumpFont});

    ui->bHelpDump->SetTitle(QStringLiteral("Dump"));
    ui->bHelpDump->SetText(QStringLiteral(
        "Zeigt die empfangenen Zeichen als Dump an.\r\n\r\nDEZ    = Alle Zeichen als bis zu "
        "dreistellige Dezimalzahl\r\nHEX    = Alle Zeichen als zweistellige HEX Zahl\r\nASCII = "
        "Alle leesbaren Zeichen als Zeichen - alle anderen\r\n              Zeichen als "
        "Dezimalzahl\r\n\r\nWenn sich bereits Zeichen im Empfangsfenster befinden\r\nwerden "
        "diese auch neu decodiert."));

    mRebuildTimer = new QTimer(this);
    mRebuildTimer->setSingleShot(true);
    mRebuildTimer->setInterval(0);
    connect(mRebuildTimer, &QTimer::timeout, this, [this] { ContinueRebuild(); });
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
    ui->memReceive->Clear();
    mRebuild = {true, 0, 0};
    ContinueRebuild();
}

void TfrmMainWindow::ContinueRebuild()
{
    if (!mRebuild.Active)
        return;
    // The options are read per slice: a change restarts the rebuild anyway.
    TStringDecoder decoder;
    decoder.SetOptions(GetDisplayOptions());
    const bool echo = ui->bEcho->isChecked();
    QElapsedTimer clock;
    clock.start();
    qint64 budget = kRebuildSliceChars;
    while (mRebuild.Token < mTokenList->Count() && budget > 0 && clock.elapsed() < kRebuildSliceMs) {
        const TBaseToken* token = mTokenList->GetToken(mRebuild.Token);
        if (token->ContentType() == ctSend) {
            if (echo)
                WriteSendEcho(token->Content());
            ++mRebuild.Token;
            continue;
        }
        const qint64 n = qMin(budget, token->Length() - mRebuild.Offset);
        if (n > 0) {
            AppendReceived(decoder.DecodeStringSymbol(token->Mid(mRebuild.Offset, n)));
            mRebuild.Offset += n;
            budget -= n;
        }
        // The newest token may still grow: it is finished only when nothing of it is left.
        if (mRebuild.Offset >= token->Length()) {
            ++mRebuild.Token;
            mRebuild.Offset = 0;
        }
    }
    if (mRebuild.Token >= mTokenList->Count()) {
        // Caught up: from here on the poll and the send path append directly.
        mRebuild = {};
        return;
    }
    mRebuildTimer->start();
}

void TfrmMainWindow::UpdateFont()
{
    TVarnexSettings* settings = VarnexSettings();
    const bool dump = ui->cbDump->isChecked();
    QFont font(dump ? settings->DumpFontName() : settings->NormalFontName());
    font.setPointSize(qMax(1, dump ? settings->DumpFontSize() : settings->NormalFontSize()));
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
    mRebuild = {};
    mRebuildTimer->stop();
    ui->memReceive->Clear();
    mTokenList->Clear();
}

void TfrmMainWindow::ChooseFont(bool aDump)
{
    QFontDialog dialog(ui->memReceive->font(), this);
    dialog.setWindowTitle(aDump ? QStringLiteral("Dumpschriftart") : QStringLiteral("Normalschriftart"));
    if (Prompts().ExecDialog(&dialog) == QDialog::Accepted) {
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
    QFileDialog dialog(this, QStringLiteral("Text Speichern"));
    dialog.setObjectName(QStringLiteral("SaveDialogReceive"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = {QStringLiteral("Rich Text (*.rtf)"), QStringLiteral("Text (*.txt)"),
                                 QStringLiteral("Alle Dateien (*)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("rtf"));
    // SaveDialogReceiveTypeChange: the default extension follows the chosen filter.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& aFilter) {
        const qsizetype index = filters.indexOf(aFilter);
        dialog.setDefaultSuffix(index == 0       ? QStringLiteral("rtf")
                                    : index == 1 ? QStringLiteral("txt")
                                                 : QString());
    });
    QString preset;
    TVarnexSettings* settings = VarnexSettings();
    if (settings->XMLEnabled())
        preset = GetAttrString(QStringLiteral("Name"), settings->RecentFilesReceive().child("RecentFile"),
                               QString());
    if (!preset.isEmpty()) {
        dialog.setDirectory(QFileInfo(preset).absolutePath());
        dialog.selectFile(preset);
    } else {
        dialog.setDirectory(QCoreApplication::applicationDirPath());
    }
    if (Prompts().ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    SaveReceiveToFile(dialog.selectedFiles().first());
}

void TfrmMainWindow::SaveReceiveToFile(const QString& aFileName)
{
    QSaveFile file(aFileName);
    const bool rtf = QFileInfo(aFileName).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    bool written = file.open(QIODevice::WriteOnly);
    if (written)
        written = rtf ? ui->memReceive->SaveRtf(&file) : ui->memReceive->SaveText(&file);
    if (!written || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EVarnexError(
            QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden: %2").arg(aFileName, reason));
    }
    TVarnexSettings* settings = VarnexSettings();
    if (settings->XMLEnabled())
        settings->SaveRecentFiles(aFileName, settings->RecentFilesReceive());
}

void TfrmMainWindow::pmRecentFilesReceivePopup()
{
    pmRecentFilesReceive->clear();
    int position = 0;
    for (pugi::xml_node entry : VarnexSettings()->RecentFilesReceive().children("RecentFile")) {
        const QString name = GetAttrString(QStringLiteral("Name"), entry, QString());
        QAction* item = pmRecentFilesReceive->addAction(QStringLiteral("&%1 %2").arg(++position).arg(name));
        // SaveReceiveHandler: the file name is what follows the first blank of the caption.
        connect(item, &QAction::triggered, this, [this, item] {
            Guarded(this, [this, item] {
                const QString caption = item->text();
                SaveReceiveToFile(caption.mid(caption.indexOf(QLatin1Char(' ')) + 1));
            });
        });
    }
}

void TfrmMainWindow::acPrintReceiveExecute()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (Prompts().ExecDialog(&dialog) != QDialog::Accepted)
        return;
    ui->memReceive->Print(&printer, QCoreApplication::applicationFilePath());
}
