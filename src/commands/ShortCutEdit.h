#pragma once

#include "commands/ShortCutKeys.h"

#include <QLineEdit>

// A key-capture field: it shows and holds the last key combination pressed, in the
// shortcut text form.
//
// Two ways of recording:
//  - Exact (the command editor): combinations are kept as pressed. Enter, Escape and Tab
//    without modifiers are left to the dialog (default button, cancel, focus chain);
//    Backspace or Delete alone clear the field.
//  - InPlace (the tree's shortcut cell): a key without modifier or with Shift alone gets
//    Alt added (F5 becomes Alt+F5), Up and Down are recorded as Left and Right. Enter ends
//    the edit (EditFinished), Escape cancels it (EditCancelled); Tab is swallowed.
class TShortCutEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum class TMode { Exact, InPlace };

    explicit TShortCutEdit(QWidget* aParent = nullptr);
    explicit TShortCutEdit(TMode aMode, QWidget* aParent = nullptr);

    TMode Mode() const { return FMode; }
    void SetMode(TMode aMode) { FMode = aMode; }

    QKeyCombination ShortCut() const { return FShortCut; }
    void SetShortCut(QKeyCombination aKey);
    // The text form of the held combination; empty for none.
    QString ShortCutText() const { return ShortCutToText(FShortCut); }
    void SetShortCutText(const QString& aText) { SetShortCut(TextToShortCut(aText)); }

    // The combination this field records for a key press (kNoShortCut: not recorded).
    QKeyCombination Record(QKeyCombination aPressed) const;

signals:
    void ShortCutChanged();
    void EditFinished();
    void EditCancelled();

protected:
    bool event(QEvent* aEvent) override;
    void keyPressEvent(QKeyEvent* aEvent) override;

private:
    TMode FMode = TMode::Exact;
    QKeyCombination FShortCut = kNoShortCut;
};
