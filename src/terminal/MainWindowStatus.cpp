// Action enabling, window and task-bar titles, the status bar and the menu hints.
#include "terminal/MainWindow.h"

#include "serial/TermCom.h"
#include "terminal/FileSender.h"
#include "terminal/TerminalSession.h"
#include "ui_MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrinterInfo>
#include <QStatusTipEvent>

namespace {
constexpr int kPrinterRefreshMs = 10000;
const char* const kHintProperty = "Hint";

// One line of the status bar: a text that never wraps. A panel that fits keeps its text's
// width; one that stretches cuts a long text short with "…" rather than growing.
class TStatusPanel final : public QLabel
{
public:
    TStatusPanel(const char* aName, bool aFits, QWidget* aParent)
        : QLabel(aParent)
        , FFits(aFits)
    {
        setObjectName(QLatin1String(aName));
        setWordWrap(false);
    }

    QSize sizeHint() const override { return {TextWidth(), LineHeight()}; }
    QSize minimumSizeHint() const override { return {FFits ? TextWidth() : 0, LineHeight()}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect().adjusted(kPadding, 0, -kPadding, 0);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }

private:
    static constexpr int kPadding = 4;
    int TextWidth() const { return fontMetrics().horizontalAdvance(text()) + 2 * kPadding + 1; }
    int LineHeight() const { return fontMetrics().height() + 2; }
    bool FFits;
};

// A hint as one line: the status bar has room for no more.
QString OneLine(const QString& aText)
{
    return QString(aText)
        .replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .simplified();
}

// "short|long": the part before the bar is the short hint; without a bar both are the whole.
QString ShortHint(const QString& aHint)
{
    const qsizetype bar = aHint.indexOf(QLatin1Char('|'));
    return bar < 0 ? aHint : aHint.left(bar);
}

QString LongHint(const QString& aHint)
{
    const qsizetype bar = aHint.indexOf(QLatin1Char('|'));
    return bar < 0 ? aHint : aHint.mid(bar + 1);
}
} // namespace

void TfrmMainWindow::SetUpStatusBar()
{
    mStatusPanel0 = new TStatusPanel("sbPanel0", true, this);
    mStatusPanel1 = new TStatusPanel("sbPanel1", false, this);
    ui->sb->addWidget(mStatusPanel0);
    ui->sb->addWidget(mStatusPanel1, 1);
}

void TfrmMainWindow::SetUpHints()
{
    for (QAction* action : ActionList()) {
        const QString hint = action->property(kHintProperty).toString();
        if (!hint.isEmpty())
            action->setToolTip(ShortHint(hint));
        action->setStatusTip(OneLine(LongHint(hint.isEmpty() ? action->toolTip() : hint)));
    }
    // Buttons of their own: their tool tip is their hint.
    for (QWidget* widget : findChildren<QWidget*>())
        if (widget->statusTip().isEmpty() && !widget->toolTip().isEmpty())
            widget->setStatusTip(OneLine(widget->toolTip()));
}

bool TfrmMainWindow::event(QEvent* aEvent)
{
    // A hovered control's hint goes into the second panel, and goes when the mouse leaves.
    if (aEvent->type() == QEvent::StatusTip) {
        mStatusPanel1->setText(static_cast<QStatusTipEvent*>(aEvent)->tip());
        return true;
    }
    return QMainWindow::event(aEvent);
}

void TfrmMainWindow::SetUpMenuHints()
{
    const auto menus = ui->mMenuMain->findChildren<QMenu*>();
    for (QMenu* menu : menus)
        connect(menu, &QMenu::hovered, this, &TfrmMainWindow::MenuItemSelected);
    connect(ui->mMenuMain, &QMenuBar::hovered, this, &TfrmMainWindow::MenuItemSelected);
}

void TfrmMainWindow::MenuItemSelected(QAction* aAction)
{
    // A menu title or anything that is no item of the menus clears the hint; an item
    // without a hint of its own leaves it as it is.
    if (!aAction || aAction->menu() || aAction->isSeparator()) {
        mStatusPanel1->clear();
        return;
    }
    const QVariant hint = aAction->property(kHintProperty);
    if (hint.isValid())
        mStatusPanel1->setText(OneLine(LongHint(hint.toString())));
}

void TfrmMainWindow::ActionListUpdate()
{
    if (ui->bExecuteControlCode->isChecked())
        ui->bExecuteCrlf->setChecked(false);
    const bool dump = ui->cbDump->isChecked();
    ui->bExecuteCrlf->setEnabled(!ui->bExecuteControlCode->isChecked() && !dump);
    ui->bExecuteControlCode->setEnabled(!dump);

    const bool open = mCom->Opened();
    ui->bSend->setEnabled(open);
    ui->acSendFile->setEnabled(open && !mSender->IsSending());
    ui->acDeleteReceive->setEnabled(ui->memReceive->LineCount() > 0);

    const QString title = QStringLiteral("Varnex [%1]").arg(mCom->CommStatus());
    if (windowTitle() != title)
        setWindowTitle(title);
    ui->acPortProp->setEnabled(open);

    // Asking the print system is slow; the printers rarely change while the program runs.
    if (!mPrinterAge.isValid() || mPrinterAge.elapsed() > kPrinterRefreshMs) {
        // Without a default printer the print dialog offers the first one.
        const QStringList printers = QPrinterInfo::availablePrinterNames();
        mAnyPrinter = !printers.isEmpty();
        mPrinterName = QPrinterInfo::defaultPrinterName();
        if (mPrinterName.isEmpty() && mAnyPrinter)
            mPrinterName = printers.first();
        mPrinterAge.start();
    }
    ui->acPrintReceive->setEnabled(mAnyPrinter);
    const QString printHint =
        QStringLiteral("Druckt das Empfangsfenster aus (%1)")
            .arg(mPrinterName.isEmpty() ? QStringLiteral("Kein Drucker installiert") : mPrinterName);
    if (ui->acPrintReceive->toolTip() != printHint) {
        ui->acPrintReceive->setToolTip(printHint);
        ui->acPrintReceive->setStatusTip(printHint);
    }

    ui->rgDumpStyle->setEnabled(dump);
    ui->acSetDumpFont->setEnabled(dump);
    ui->acSetNormalFont->setEnabled(!dump);

    if (QGuiApplication::applicationDisplayName() != ui->edTitle->text()) {
        QGuiApplication::setApplicationDisplayName(ui->edTitle->text());
        // Window managers show the program's name beside the caption, but the platform reads it
        // only when the caption is set: set it again, so the new title shows at once.
        setWindowTitle(QString());
        setWindowTitle(title);
    }
    QString status = mCom->CommStatus();
    if (const QString note = mSession->PortNote(); !note.isEmpty())
        status += QStringLiteral(" – ") + note;
    if (mStatusPanel0->text() != status) {
        mStatusPanel0->setText(status);
        mStatusPanel0->updateGeometry(); // the panel fits its text
    }

    // The script controls follow their switches.
    const bool useScript = ui->cbUseScript->isChecked();
    ui->edSendScriptFileName->setEnabled(useScript);
    ui->bBrowseForScript->setEnabled(ui->edSendScriptFileName->isEnabled());
    ui->cbUseReceiveScript->setEnabled(useScript);
    const bool receiveScript = ui->cbUseReceiveScript->isChecked();
    ui->edReceiveScriptName->setEnabled(useScript && receiveScript);
    ui->bBrowseForReceiveScript->setEnabled(ui->edReceiveScriptName->isEnabled());
    ui->rgReceiveScriptTrigger->setEnabled(receiveScript);
    const bool triggerGroup = ui->rgReceiveScriptTrigger->isEnabled();
    ui->laTimeTriggerLabel->setEnabled(triggerGroup && ui->rbTriggerTime->isChecked());
    ui->edTimeTriggerTime->setEnabled(triggerGroup && ui->rbTriggerTime->isChecked());
    ui->edTriggerChars->setEnabled(triggerGroup && ui->rbTriggerChars->isChecked());

    UpdateCommandActions();
}
