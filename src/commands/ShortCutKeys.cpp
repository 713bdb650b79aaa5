#include "commands/ShortCutKeys.h"

#include <QKeyEvent>

QString ShortCutToText(const QKeySequence& aSequence)
{
    if (aSequence.isEmpty())
        return {};
    return ShortCutToText(aSequence[0]);
}

QKeySequence TextToKeySequence(const QString& aText)
{
    const QKeyCombination key = TextToShortCut(aText);
    return IsShortCut(key) ? QKeySequence(key) : QKeySequence();
}

QList<QKeySequence> TextToShortcuts(const QString& aText)
{
    const QKeyCombination key = TextToShortCut(aText);
    if (!IsShortCut(key))
        return {};
    QList<QKeySequence> result{QKeySequence(key)};
    if (key.key() == Qt::Key_Return)
        result << QKeySequence(QKeyCombination(key.keyboardModifiers(), Qt::Key_Enter));
    return result;
}

QKeyCombination KeyEventToShortCut(const QKeyEvent* aEvent)
{
    const int key = aEvent->key();
    // A key without a name could never be stored or matched, and would wipe what a
    // capture field holds.
    if (key == 0 || key == Qt::Key_unknown || IsModifierKey(key) || KeyName(Qt::Key(key)).isEmpty())
        return kNoShortCut;
    Qt::KeyboardModifiers mods =
        aEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (key == Qt::Key_Backtab)
        return QKeyCombination(mods | Qt::ShiftModifier, Qt::Key_Tab);
    if (key == Qt::Key_Enter)
        return QKeyCombination(mods, Qt::Key_Return);
    return QKeyCombination(mods, Qt::Key(key));
}
