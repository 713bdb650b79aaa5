// Lifecycle, the port switch and the action handlers of the main window.
#include "terminal/MainWindow.h"

#include "base/ErrorGuard.h"
#include "serial/TermCom.h"
#include "settings/SettingsWindow.h"
#include "settings/VarnexSettings.h"
#include "ui/Dialogs.h"
#include "commands/CommandTreeView.h"
#include "terminal/FileSender.h"
#include "terminal/HistoryRecorder.h"
#include "terminal/TerminalSession.h"
#include "terminal/Token.h"
#include "update/UpdateHandler.h"
#include "ui_MainWindow.h"
#include "VarnexVersion.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kPollIntervalMs = 50;
const QString kXmlEngineAddress = QStringLiteral("https://pugixml.org/");
} // namespace

TfrmMainWindow::TfrmMainWindow(std::optional<int> aStartPort, QWidget* aParent)
    : QMainWindow(aParent)
    , ui(std::make_unique<Ui::TfrmMainWindow>())
    , mStartPort(aStartPort)
{
    ui->setupUi(this);
    FormCreate();
}

TfrmMainWindow::~TfrmMainWindow()
{
    FormDestroy();
}

void TfrmMainWindow::FormCreate()
{
    mSession = new TTerminalSession(this);
    mCom = mSession->Com();
    mTokenList = mSession->TokenList();
    mSession->SetView(ui->memReceive);
    ui->paVersion->setText(QStringLiteral("Version: ") + QStringLiteral(VARNEX_VERSION_STRING));

    // The XML engine is built in; this only speaks when a store was made without it.
    if (!VarnexSettings()->XMLEnabled()) {
        QGuiApplication::clipboard()->setText(kXmlEngineAddress);
        Prompts().ShowMessage(
            QStringLiteral("MsXML 4 ist nicht installiert.\r\nWeder die History der gesendeten "
                           "Befehle noch das Wiederherstellen der Settigns wird funktionieren."
                           "\r\n\r\nDownload unter ")
            + kXmlEngineAddress
            + QStringLiteral(" und dann nach MSXML4 suchen. \r\nDie URL wurde in die "
                             "Zwischenablage kopiert"));
    }

    mHistory = new THistoryRecorder(*mSession, this);
    mSender = new TFileSender(*mSession, this);

    mAutoScroll = true;
    ui->memReceive->SetAutoScroll(mAutoScroll);

    ui->acExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    // Enter sends from the send line and the prefix and postfix boxes only; every other field
    // keeps its own Enter.
    ui->acSend->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    ui->acSend->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    for (QWidget* sendField : {static_cast<QWidget*>(ui->edSend), static_cast<QWidget*>(ui->cbPrefix),
                               static_cast<QWidget*>(ui->cbPostfix)})
        sendField->addAction(ui->acSend);

    ui->bOnOff->setDefaultAction(ui->acComOn);
    mDumpStyleGroup = new QButtonGroup(this);
    mDumpStyleGroup->addButton(ui->rbDumpDez, 0);
    mDumpStyleGroup->addButton(ui->rbDumpHex, 1);
    mDumpStyleGroup->addButton(ui->rbDumpAscii, 2);
    for (TRoundLed* led : {ui->ledOnOff, ui->ledRTS, ui->ledDTR, ui->ledCTS, ui->ledDSR, ui->ledRing})
        led->SetLedOnColor(TRoundLed::TLedOnColors::lcLime);

    ui->spMain->setStretchFactor(1, 1);

    SetUpStatusBar();
    SetUpMenuHints();
    SetUpReceiveTools();
    SetUpSendArea();
    SetUpScriptPanel();
    SetUpCommandTree();
    SetUpHints();
    MarkToggles();
    ConnectSession();
    ConnectActions();
    ConnectHelpActions();
    ConnectCommandActions();
    // Command shortcuts see the window's keys before the focused control does.
    qApp->installEventFilter(this);

    timerPollEvent = new QTimer(this);
    timerPollEvent->setObjectName(QStringLiteral("timerPollEvent"));
    timerPollEvent->setInterval(kPollIntervalMs);
    connect(timerPollEvent, &QTimer::timeout, this, &TfrmMainWindow::timerPollEventTimer);
    timerPollEvent->start();
    timerCatchUp = new QTimer(this);
    timerCatchUp->setSingleShot(true);
    timerCatchUp->setInterval(0);
    connect(timerCatchUp, &QTimer::timeout, this, &TfrmMainWindow::timerCatchUpTimer);

    ActionListUpdate();
}

void TfrmMainWindow::ConnectActions()
{
    auto guarded = [this](void (TfrmMainWindow::*aHandler)()) {
        return [this, aHandler] {
            Guarded([this, aHandler] { (this->*aHandler)(); });
            ActionListUpdate();
        };
    };
    connect(ui->acComOn, &QAction::triggered, this, guarded(&TfrmMainWindow::acComOnExecute));
    connect(ui->acComProp, &QAction::triggered, this, guarded(&TfrmMainWindow::acComPropExecute));
    connect(ui->acPortProp, &QAction::triggered, this, guarded(&TfrmMainWindow::acPortPropExecute));
    connect(ui->acExit, &QAction::triggered, this, guarded(&TfrmMainWindow::acExitExecute));
    connect(ui->acShowSettings, &QAction::triggered, this, guarded(&TfrmMainWindow::acShowSettingsExecute));
    connect(ui->acSend, &QAction::triggered, this, guarded(&TfrmMainWindow::acSendExecute));
    connect(ui->acSendFile, &QAction::triggered, this, guarded(&TfrmMainWindow::acSendFileExecute));
    connect(ui->bHistory, &QToolButton::clicked, this, guarded(&TfrmMainWindow::bHistoryClick));
    connect(mSender, &TFileSender::Progress, this, &TfrmMainWindow::ShowFileProgress);
    connect(mSender, &TFileSender::Finished, this, &TfrmMainWindow::FileSent);
    connect(mHistory, &THistoryRecorder::Failed, this,
            [](const QString& aMessage) { Prompts().ShowError(aMessage); });
    connect(ui->bSend, &QPushButton::clicked, ui->acSend, &QAction::trigger);
    connect(ui->acAutoScroll, &QAction::triggered, this, guarded(&TfrmMainWindow::acAutoScrollExecute));
    connect(ui->acDeleteReceive, &QAction::triggered, this, guarded(&TfrmMainWindow::acDeleteReceiveExecute));
    connect(ui->acSaveReceive, &QAction::triggered, this, guarded(&TfrmMainWindow::acSaveReceiveExecute));
    connect(ui->acPrintReceive, &QAction::triggered, this, guarded(&TfrmMainWindow::acPrintReceiveExecute));
    connect(ui->acSetNormalFont, &QAction::triggered, this, guarded(&TfrmMainWindow::acSetNormalFontExecute));
    connect(ui->acSetDumpFont, &QAction::triggered, this, guarded(&TfrmMainWindow::acSetDumpFontClick));
    connect(ui->cbDump, &QCheckBox::clicked, this, guarded(&TfrmMainWindow::cbDumpClick));
    connect(ui->cbDump, &QCheckBox::toggled, this, [this] { ActionListUpdate(); });
    connect(mDumpStyleGroup, &QButtonGroup::idClicked, this,
            [guardedClick = guarded(&TfrmMainWindow::rgDumpStyleClick)](int) { guardedClick(); });
    connect(ui->bExecuteControlCode, &QToolButton::toggled, this, [this] { ActionListUpdate(); });
    connect(ui->bRTS, &QToolButton::toggled, this, [this](bool aDown) { SetModemLine(mltRTS, aDown); });
    connect(ui->bDTR, &QToolButton::toggled, this, [this](bool aDown) { SetModemLine(mltDTR, aDown); });
}

void TfrmMainWindow::showEvent(QShowEvent* aEvent)
{
    QMainWindow::showEvent(aEvent);
    // What an earlier update left behind.
    TUpdateHandler::DeleteUpdateBat();
    if (!mShown) {
        mShown = true;
        FormShow();
    }
}

void TfrmMainWindow::FormShow()
{
    Guarded([this] { LoadSettings(); });
    Guarded([this] { UpdateFont(); });
    Guarded([this] { RefreshCommandTree(); });
    // Wide enough for the command tree's tool bar; the receive view takes the rest. The
    // splitter has its real width only once the window is laid out.
    QTimer::singleShot(0, this, [this] {
        const int treeWidth = mSendMRUWidth > 0 ? mSendMRUWidth : FirstTreeWidth();
        ui->spMain->setSizes({treeWidth, std::max(ui->spMain->width() - treeWidth, 200)});
    });
    // A port named on the command line wins over the stored one.
    if (mStartPort)
        mCom->SetPort(*mStartPort);
    ui->edSend->setFocus();
    ActionListUpdate();
    ShowSettingsNotices();
}

void TfrmMainWindow::MarkToggles()
{
    // A pressed toggle must be plain to see; the style's own sunken look barely differs. Each
    // button gets the rule itself, so nothing else in the window is drawn through style sheets.
    const QString pressed = QStringLiteral(
        "QToolButton:checked { background-color: palette(highlight); color: palette(highlighted-text); "
        "border: 1px solid palette(shadow); border-radius: 3px; padding: 2px 4px; }");
    for (QToolButton* button : findChildren<QToolButton*>())
        if (button->isCheckable() || (button->defaultAction() && button->defaultAction()->isCheckable()))
            button->setStyleSheet(pressed);
}

int TfrmMainWindow::FirstTreeWidth() const
{
    // All three columns in view, and the tool bar above them.
    TCommandTreeView* tree = ui->vtSend;
    const int columns = tree->header()->length() + 2 * tree->frameWidth()
        + tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree) + 2;
    return std::max(ui->tbSendMRU->sizeHint().width(), columns);
}

void TfrmMainWindow::ShowSettingsNotices()
{
    const QStringList notices = VarnexSettings()->TakeNotices();
    for (const QString& notice : notices)
        Prompts().ShowMessage(notice);
}

void TfrmMainWindow::closeEvent(QCloseEvent* aEvent)
{
    timerPollEvent->stop();
    timerCatchUp->stop();
    QMainWindow::closeEvent(aEvent);
}

void TfrmMainWindow::FormDestroy()
{
    // A check waiting on a silent server must not hold the program.
    StopUpdateChecks();
    qApp->removeEventFilter(this);
    if (timerPollEvent)
        timerPollEvent->stop();
    if (timerCatchUp)
        timerCatchUp->stop();
    if (mSender)
        mSender->Abort();
    if (mHistory)
        mHistory->FinishWriting();
    Guarded([this] { SaveSettings(); });
    // Switches RTS off and closes the port.
    delete mSession;
    mSession = nullptr;
    mCom = nullptr;
    mTokenList = nullptr;
}

void TfrmMainWindow::acComOnExecute()
{
    if (mSession->IsWaitingForDevice())
        mSession->StopWaitingForDevice(); // switched off while waiting: it stays off
    else if (mCom->Opened())
        mCom->Close();
    else
        mCom->Open(); // a port that cannot be opened stays off; the status bar says why
    UpdateLeds();
    ActionListUpdate();
}

void TfrmMainWindow::acComPropExecute()
{
    mCom->Eigenschaften();
}

void TfrmMainWindow::acPortPropExecute()
{
    mCom->properties();
}

void TfrmMainWindow::acShowSettingsExecute()
{
    {
        TfrmSettings dialog(this);
        dialog.SetActionList(ActionList());
        dialog.SetSettings(VarnexSettings());
        ExecDialog(&dialog);
    }
    mHistory->ApplyInterval();
    mSession->SetAutoReconnect(VarnexSettings()->AutoReconnect());
    // A rebuild of a full view takes a while: only a font that changed is worth one.
    const QFont wanted = ReceiveFont();
    const QFont shown = ui->memReceive->font();
    if (shown.family() != wanted.family() || shown.pointSize() != wanted.pointSize())
        UpdateFont();
    SetUpHints();
}

void TfrmMainWindow::acExitExecute()
{
    close();
}
