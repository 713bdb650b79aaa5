#pragma once

#include <QKeyCombination>
#include <QString>

// The text form of a key combination, as command elements, stored action shortcuts and the
// key dispatch use it: "Umsch+", "Strg+", "Alt+" in this order, then the key name
// (F5, Umsch+Strg+F1, Strg+Alt+F12, Umsch+Entf). The empty text means no shortcut.

// The "no shortcut" combination.
inline constexpr QKeyCombination kNoShortCut = QKeyCombination(Qt::Key_unknown);

inline bool IsShortCut(QKeyCombination aKey)
{
    return aKey.key() != Qt::Key_unknown && aKey.key() != Qt::Key(0);
}

// Keypad and Meta modifiers are dropped; a key without a name gives the empty text.
QString ShortCutToText(QKeyCombination aKey);

// Prefixes in any order and any case, "^" as another prefix for Ctrl, the key name in any
// case. Anything else gives kNoShortCut.
QKeyCombination TextToShortCut(const QString& aText);

// Shift, Ctrl, Alt, the lock keys and their kin: keys that never make a shortcut alone.
bool IsModifierKey(int aKey);

// The key name alone ("F5", "Entf", "A"); empty when the key has none.
QString KeyName(Qt::Key aKey);
