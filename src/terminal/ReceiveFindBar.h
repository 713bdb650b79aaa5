#pragma once

#include <QWidget>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QToolButton;
class TReceiveView;

// The find bar under the receive view: the search field (found as you type), the case switch,
// previous and next, the count, and a close button. Enter steps to the next match, Shift+Enter
// to the previous one, Escape closes the bar and hands the focus back to the view. Those keys
// stay in the bar: elsewhere in the window Enter sends and Escape stops a file transfer.
//
// While the bar is open the view holds still even with auto-scroll, so a match stays in view.
class TReceiveFindBar : public QWidget
{
    Q_OBJECT
public:
    explicit TReceiveFindBar(TReceiveView* aView, QWidget* aParent = nullptr);

    // Shows the bar (searching again for what the field holds) with the field's text selected.
    void Open();
    // Hides the bar, ends the search and gives the focus back to the view.
    void Close();
    // True for a key the bar keeps for itself, pressed on aReceiver inside the bar.
    bool OwnsKey(const QObject* aReceiver, const QKeyEvent* aEvent) const;

    QString CountText() const;

protected:
    bool eventFilter(QObject* aWatched, QEvent* aEvent) override;

private:
    static bool IsBarKey(const QKeyEvent* aEvent);
    // Searches afresh from the current match or the selection when in view, else from the top row.
    void Restart();
    void Step(bool aBackward);
    void UpdateCount();

    TReceiveView* mView;
    QLineEdit* mEdit;
    QCheckBox* mCaseBox;
    QToolButton* mPrevious;
    QToolButton* mNext;
    QLabel* mCount;
    QToolButton* mClose;
};
