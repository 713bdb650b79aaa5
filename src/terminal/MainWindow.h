#pragma once

#include "notation/TermComOptions.h"
#include "serial/SerialTypes.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QLabel;
class QTimer;
class TTermCom;

namespace Ui {
class TfrmMainWindow;
}

// The terminal's main window: owns the port, polls it every 50 ms, shows what arrives and
// sends what the user types.
class TfrmMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    // aStartPort: the port chosen on the command line; it is selected, never opened.
    explicit TfrmMainWindow(std::optional<int> aStartPort = std::nullopt,
                            QWidget* aParent = nullptr);
    ~TfrmMainWindow() override;

    TTermCom* Com() const { return mCom.get(); }

    // Entry points named as the rest of the program calls them.
    void SendStringToCom(const QString& aText, const QString& aName, bool aCanUseScript);
    void AppendToReceive(const QString& aText, bool aBold);
    void AppendReceived(const QString& aText);
    TTermComOptions GetDisplayOptions() const;
    void SetModemLine(TModemLineType aModemLineType, bool aSet);
    bool GetModemLine(TModemLineType aModemLineType);
    void ActionListUpdate();

    // Exposed for tests: one poll step as the timer runs it.
    void timerPollEventTimer();

protected:
    void showEvent(QShowEvent* aEvent) override;
    void closeEvent(QCloseEvent* aEvent) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void ConnectActions();
    void SetUpStatusBar();
    void SetUpMenuHints();

    void acComOnExecute();
    void acComPropExecute();
    void acPortPropExecute();
    void acExitExecute();
    void acSendExecute();
    void acAutoScrollExecute();
    void MenuItemSelected(QAction* aAction);
    void ShowSettingsNotices();
    void UpdateLeds();

    std::unique_ptr<Ui::TfrmMainWindow> ui;
    std::unique_ptr<TTermCom> mCom;
    QTimer* timerPollEvent = nullptr;
    QButtonGroup* mDumpStyleGroup = nullptr;
    QLabel* mStatusPanel0 = nullptr;
    QLabel* mStatusPanel1 = nullptr;
    bool mAutoScroll = true;
    bool mShown = false;
    bool mInPoll = false;
    std::optional<int> mStartPort;
};
