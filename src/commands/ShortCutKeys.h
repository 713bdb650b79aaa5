#pragma once

#include "commands/ShortCutText.h"

#include <QKeySequence>

class QKeyEvent;

// The text form of shortcuts where key sequences and key events meet it.

// The first combination of the sequence.
QString ShortCutToText(const QKeySequence& aSequence);
// An empty sequence for no shortcut.
QKeySequence TextToKeySequence(const QString& aText);
// The key sequences a shortcut text stands for: none for no shortcut; "Eingabe" is the Return
// key and the keypad's Enter alike.
QList<QKeySequence> TextToShortcuts(const QString& aText);
// The combination a key press stands for; kNoShortCut for a lone modifier key or a key
// without a name.
QKeyCombination KeyEventToShortCut(const QKeyEvent* aEvent);
