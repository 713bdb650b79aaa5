#include "commands/ShortCutEdit.h"

#include <QEvent>
#include <QKeyEvent>

TShortCutEdit::TShortCutEdit(QWidget* aParent)
    : TShortCutEdit(TMode::Exact, aParent)
{
}

TShortCutEdit::TShortCutEdit(TMode aMode, QWidget* aParent)
    : QLineEdit(aParent)
    , FMode(aMode)
{
    setReadOnly(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setToolTip(QStringLiteral("Gewünschte Shortcut-Taste(n) drücken"));
}

void TShortCutEdit::SetShortCut(QKeyCombination aKey)
{
    // Only combinations that have a text form can be stored.
    const QKeyCombination key = ShortCutToText(aKey).isEmpty() ? kNoShortCut : aKey;
    const bool changed = key != FShortCut;
    FShortCut = key;
    setText(ShortCutToText(FShortCut));
    if (changed)
        emit ShortCutChanged();
}

QKeyCombination TShortCutEdit::Record(QKeyCombination aPressed) const
{
    if (!IsShortCut(aPressed))
        return kNoShortCut;
    if (FMode == TMode::Exact)
        return aPressed;
    Qt::KeyboardModifiers mods = aPressed.keyboardModifiers();
    Qt::Key key = aPressed.key();
    // A plain key or Shift+key would fire while typing; Alt makes it a command key.
    if (!(mods & (Qt::ControlModifier | Qt::AltModifier)))
        mods |= Qt::AltModifier;
    if (key == Qt::Key_Up)
        key = Qt::Key_Left;
    else if (key == Qt::Key_Down)
        key = Qt::Key_Right;
    return QKeyCombination(mods, key);
}

bool TShortCutEdit::event(QEvent* aEvent)
{
    switch (aEvent->type()) {
    case QEvent::ShortcutOverride:
        // Every key belongs to the field while it records, menu shortcuts included.
        aEvent->accept();
        return true;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(aEvent);
        if (FMode == TMode::InPlace && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            aEvent->accept();
            return true;
        }
        break;
    }
    default: break;
    }
    return QLineEdit::event(aEvent);
}

void TShortCutEdit::keyPressEvent(QKeyEvent* aEvent)
{
    const QKeyCombination pressed = KeyEventToShortCut(aEvent);
    const bool plain = !(aEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    const int key = aEvent->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (FMode == TMode::InPlace) {
        if (plain && enter) {
            aEvent->accept();
            emit EditFinished();
            return;
        }
        if (plain && key == Qt::Key_Escape) {
            aEvent->accept();
            emit EditCancelled();
            return;
        }
    } else if (plain) {
        if (enter || key == Qt::Key_Escape) {
            // The dialog's default and cancel buttons get these.
            aEvent->ignore();
            return;
        }
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            SetShortCut(kNoShortCut);
            aEvent->accept();
            return;
        }
    }
    aEvent->accept();
    const QKeyCombination recorded = Record(pressed);
    if (IsShortCut(recorded))
        SetShortCut(recorded);
}
