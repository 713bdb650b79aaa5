#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

class QTimer;

// A small question-mark sign next to a setting; resting the pointer on it shows a
// window with a title and an explanation, taking the pointer away hides it again.
// The window stays on screen and beside the sign.
class TMvHelpButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int ShowDelayMs READ ShowDelayMs WRITE SetShowDelayMs)
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(QString Text READ Text WRITE SetText)

public:
    explicit TMvHelpButton(QWidget* aParent = nullptr);
    ~TMvHelpButton() override;

    // Also the interval at which an open window follows the button. 0 shows nothing, as a
    // timer without an interval never fires.
    int ShowDelayMs() const { return FShowDelayMs; }
    void SetShowDelayMs(int aValue);

    QString Title() const { return FTitle; }
    void SetTitle(const QString& aValue);

    // Line breaks may be "\r\n" or "\n"; they are kept as "\n".
    QString Text() const { return FText; }
    void SetText(const QString& aValue);

    // The help window while it is shown, else nullptr.
    QWidget* Popup() const { return FPopup; }

    // Top-left corner of the help window for a button at aButton (screen coordinates):
    // just right of the button, level with its top; to the left of it when it would
    // leave aWorkArea on the right, bottom-aligned with it when it would leave it at the
    // bottom. A null aWorkArea (no screen) keeps the first choice.
    static QPoint PopupPosition(const QRect& aButton, const QSize& aPopup, const QRect& aWorkArea);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The delay timer's handler: shows the window if it is not there yet, then places it.
    // Public so that the button can be stepped without waiting for the timer.
    void TimerTick();

protected:
    void paintEvent(QPaintEvent* aEvent) override;
    void enterEvent(QEnterEvent* aEvent) override;
    void leaveEvent(QEvent* aEvent) override;
    void hideEvent(QHideEvent* aEvent) override;

private:
    void BuildPopup();
    void PlacePopup();
    void DestroyPopup();

    int FShowDelayMs = 50;
    QString FTitle;
    QString FText;
    QTimer* FTimer = nullptr;
    QPointer<QWidget> FPopup;
};
