#pragma once

#include "notation/TermComOptions.h"
#include "serial/SerialTypes.h"

#include <QElapsedTimer>
#include <QKeyCombination>
#include <QMainWindow>
#include <QModelIndex>

#include <pugixml.hpp>

#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QKeyEvent;
class QPoint;
class TCommandTreeModel;
class TFileSender;
class THistoryRecorder;
class TCommandTreeView;
class TTermCom;
class TTerminalSession;
class TmvExpandingPanel;
class TTokenList;
class TReceiveFindBar;
class TUpdateThread;

namespace Ui {
class TfrmMainWindow;
}

// The terminal's main window: shows the terminal session (port, traffic, triggers, scripts)
// and drives it: the 50 ms poll, the send field, the display buttons, the script panel.
class TfrmMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // aStartPort: the port chosen on the command line; it is selected, never opened.
    explicit TfrmMainWindow(std::optional<int> aStartPort = std::nullopt, QWidget* aParent = nullptr);
    ~TfrmMainWindow() override;

    TTerminalSession* Session() const { return mSession; }

    // The update check: once a month at start when the user agreed (asked at the first start),
    // by hand from the menu. The service address is "NextUpdateUrl", or VARNEX_UPDATE_URL
    // when set.
    void AutoUpdateAtStart();
    TUpdateThread* StartUpdateThread(bool aManualUpdate);
    static QString UpdateAddress();
    // Ends running checks; false when one has not ended within aWaitMs (-1: no limit).
    bool StopUpdateChecks(int aWaitMs = -1);
    THistoryRecorder* HistoryRecorder() const { return mHistory; }
    TFileSender* FileSender() const { return mSender; }
    TTermCom* Com() const { return mCom; }
    TTokenList* TokenList() const { return mTokenList; }

    // Entry points named as the rest of the program calls them.
    void SendStringToCom(const QString& aText, const QString& aName, bool aCanUseScript);
    void WriteSendEcho(const QString& aText);
    void WriteLine(const QString& aMsg);
    void AppendToReceive(const QString& aText, bool aBold);
    void AppendReceived(const QString& aText);
    TTermComOptions GetDisplayOptions() const;
    void UpdateReceiveMemo();
    void UpdateFont();
    // The font the receive view should have for the current view mode.
    QFont ReceiveFont() const;
    void SaveReceiveToFile(const QString& aFileName);
    // One script run on one text (see TTerminalSession::StartScript).
    QString StartScript(const QString& aText, const QString& aScriptToUse, bool* aRan = nullptr,
                        bool aEncode = true);
    void SetModemLine(TModemLineType aModemLineType, bool aSet);
    bool GetModemLine(TModemLineType aModemLineType);
    void ActionListUpdate();

    // The command library. The tree is the "/Body/SendMRU" branch of the settings document;
    // vtSend shows it and is refreshed after every change.
    TCommandTreeView* CommandTreeView() const;
    pugi::xml_node GetNodeElement(const QModelIndex& aNode) const;
    static bool IsCommandElement(pugi::xml_node aElement);
    void RefreshCommandTree();
    void AddElementToTree(pugi::xml_node aNewElement);
    // Opens the command editor on the element; true when it was closed with OK.
    bool EditElement(pugi::xml_node aElement);
    void LoadCommandFile(const QString& aFileName);
    void SaveCommandFile(const QString& aFileName);
    void SendElement(pugi::xml_node aElement);
    QModelIndex GetNodeAtCursor() const;
    // Drops the selected nodes onto aTarget (invalid: the top level).
    void vtSendDragDrop(const QModelIndex& aTarget);
    void acRenumberExecute();

    // Menu shortcuts are parked while a cell of the tree is edited, so keys reach the editor.
    void SetShortcutState(bool aEnabled);
    bool ShortcutsSuspended() const { return mShortcutsSuspended; }
    // The window's actions in their fixed order.
    QList<QAction*> ActionList() const;
    // The first action whose shortcut, active or parked, is aKey.
    QAction* FindActionByShortCut(QKeyCombination aKey) const;

    // A rebuild of the view runs in slices; true until it has caught up with the tokens.
    bool IsRebuilding() const;

    // Exposed for tests: one poll step and one silence-timer expiry as the timers run them.
    void timerPollEventTimer();
    void timerCatchUpTimer();
    void timerReceiveTriggerTimer();

protected:
    void showEvent(QShowEvent* aEvent) override;
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;
    bool event(QEvent* aEvent) override;
    void closeEvent(QCloseEvent* aEvent) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    // The window's state in the settings: placement, port, script panel, shortcuts, toggles,
    // histories, panel sizes and the tree's columns.
    void LoadSettings();
    void SaveSettings();
    void LoadGeneralSettings();
    void SaveGeneralSettings();
    void LoadActionShortcuts();
    void SaveActionShortcuts();
    void LoadColumns();
    void SaveColumns();
    void bHistoryClick();
    void acSendFileExecute();
    void ShowFileProgress(qint64 aSent, qint64 aTotal);
    void FileSent(const QString& aError);
    void ConnectActions();
    void SetUpStatusBar();
    void SetUpMenuHints();
    // Short hints become tool tips, long ones the status bar's text, on one line.
    void SetUpHints();
    void MarkToggles();
    void SetUpReceiveTools();
    void SetUpSendArea();
    void SetUpScriptPanel();
    void LoadScriptPanel();

    void acComOnExecute();
    void acComPropExecute();
    void acPortPropExecute();
    void acShowSettingsExecute();
    void ConnectHelpActions();
    void acCheckUpdateExecute();
    void acReleaseNotesExecute();
    void acHelpOnlineExecute();
    void acShowAboutExecute();
    void acExitExecute();
    void acSendExecute();
    void acAutoScrollExecute();
    void acDeleteReceiveExecute();
    void acSaveReceiveExecute();
    void acPrintReceiveExecute();
    void acSetNormalFontExecute();
    void acSetDumpFontClick();
    void cbDumpClick();
    void rgDumpStyleClick();
    void pmRecentFilesReceivePopup();
    void rgReceiveScriptTriggerClick(QObject* aSender);
    void cbUseScriptClick();
    void cbUseReceiveScriptClick();
    void BrowseForScript(QLineEdit* aTarget);
    void edReceiveScriptNameChange();
    void MenuItemSelected(QAction* aAction);
    void ShowSettingsNotices();
    // The command list's width at the first start: its three columns and its tool bar.
    int FirstTreeWidth() const;
    void UpdateLeds();
    void AddSentText(const QString& aText);
    void ChooseFont(bool aDump);
    void ConnectSession();
    void ShowCommunicationError();
    static void MoveToTop(QComboBox* aCombo);

    void SetUpCommandTree();
    void SetUpTreeMenus();
    void SetUpTreeToolBar();
    void ConnectCommandActions();
    void UpdateCommandActions(bool aSelectionChanged = false);
    void acNewCommandExecute(bool aCommand);
    void acEditElementExecute();
    void acDeleteNodeExecute();
    void acDeleteAllExecute();
    void acLoadTreeExecute();
    void acSaveTreeExecute();
    // The chosen command file; empty when the dialog was cancelled.
    QString AskForCommandFile(bool aSave);
    void acDeleteShortcutsExecute();
    void acHideParameterExecute();
    void acEditCellExecute(int aColumn);
    void pmRecentFilesLoadPopup(QMenu* aMenu);
    void pmTreePopup(const QPoint& aPos);
    void vtSendNewShortCut(pugi::xml_node aElement, const QString& aText);
    void ConfirmShortCutConflict(QAction* aAction, QKeyCombination aKey, const QString& aText);
    void vtSendExpanded(const QModelIndex& aIndex, bool aExpanded);
    void vtSendDblClick(const QModelIndex& aIndex);
    void ShowTreeDisplayErrors();
    // Sends the command whose shortcut the key is; true when the key was taken.
    bool FormKeyDown(QKeyEvent* aEvent);

    std::unique_ptr<Ui::TfrmMainWindow> ui;
    TTerminalSession* mSession = nullptr;
    // The session's port and token list, under the names the rest of the window uses.
    TTermCom* mCom = nullptr;
    TTokenList* mTokenList = nullptr;
    QTimer* timerPollEvent = nullptr;
    // Works off a backlog between the ticks, one budget at a time, the event loop in between.
    QTimer* timerCatchUp = nullptr;
    QButtonGroup* mDumpStyleGroup = nullptr;
    QButtonGroup* mTriggerGroup = nullptr;
    QMenu* pmRecentFilesReceive = nullptr;
    TmvExpandingPanel* paScriptPanel = nullptr;
    TCommandTreeModel* mTreeModel = nullptr;
    THistoryRecorder* mHistory = nullptr;
    TFileSender* mSender = nullptr;
    TReceiveFindBar* mFindBar = nullptr;
    // The tree's width from the settings, applied once the window is laid out.
    int mSendMRUWidth = -1;
    QMenu* pmTree = nullptr;
    QMenu* pmRecentFilesLoad = nullptr;
    QMenu* pmRecentFileSave = nullptr;
    bool mShortcutsSuspended = false;
    bool mRefreshingTree = false;
    QLabel* mStatusPanel0 = nullptr;
    QLabel* mStatusPanel1 = nullptr;
    bool mAutoScroll = true;
    bool mShown = false;
    bool mLoadingScriptPanel = false;
    std::optional<int> mStartPort;
    QString mPrinterName;
    bool mAnyPrinter = false;
    QElapsedTimer mPrinterAge;
};
