#include "commands/ShortCutText.h"

#include <QKeyEvent>

#include <array>

namespace {

struct TKeyName
{
    Qt::Key Key;
    const char* Name;
};

// Keys with a fixed German name; letters, digits and F-keys are built, the rest comes from
// the keyboard layout.
constexpr std::array<TKeyName, 17> kKeyNames{{
    {Qt::Key_Backspace, "Rück"},
    {Qt::Key_Tab, "Tab"},
    {Qt::Key_Return, "Eingabe"},
    {Qt::Key_Escape, "Esc"},
    {Qt::Key_Space, "Leertaste"},
    {Qt::Key_PageUp, "BildAuf"},
    {Qt::Key_PageDown, "BildAb"},
    {Qt::Key_End, "Ende"},
    {Qt::Key_Home, "Pos1"},
    {Qt::Key_Left, "Links"},
    {Qt::Key_Up, "Auf"},
    {Qt::Key_Right, "Rechts"},
    {Qt::Key_Down, "Ab"},
    {Qt::Key_Insert, "Einfg"},
    {Qt::Key_Delete, "Entf"},
    // Keypad Enter and Shift+Tab arrive as keys of their own.
    {Qt::Key_Enter, "Eingabe"},
    {Qt::Key_Backtab, "Tab"},
}};

struct TPrefix
{
    const char* Text;
    Qt::KeyboardModifier Modifier;
};

constexpr std::array<TPrefix, 4> kPrefixes{{
    {"Umsch+", Qt::ShiftModifier},
    {"Strg+", Qt::ControlModifier},
    {"Alt+", Qt::AltModifier},
    {"^", Qt::ControlModifier},
}};

bool IsModifierKey(int aKey)
{
    switch (aKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock: return true;
    default: return false;
    }
}

Qt::Key KeyFromName(const QString& aName)
{
    if (aName.isEmpty())
        return Qt::Key_unknown;
    if (aName.size() == 1) {
        const QChar c = aName.at(0).toUpper();
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            return Qt::Key(Qt::Key_A + (c.unicode() - 'A'));
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            return Qt::Key(Qt::Key_0 + (c.unicode() - '0'));
    }
    if (aName.size() >= 2 && (aName.at(0) == QLatin1Char('F') || aName.at(0) == QLatin1Char('f'))) {
        bool ok = false;
        const int number = aName.mid(1).toInt(&ok);
        if (ok && number >= 1 && number <= 24 && !aName.mid(1).startsWith(QLatin1Char('0')))
            return Qt::Key(Qt::Key_F1 + number - 1);
    }
    for (const TKeyName& entry : kKeyNames)
        if (aName.compare(QString::fromUtf8(entry.Name), Qt::CaseInsensitive) == 0)
            return entry.Key;
    // A key that the layout names: accept its name only when it gives back the same name, so
    // that "Ctrl+X" and other composite texts are never taken for one key.
    const QKeySequence sequence = QKeySequence::fromString(aName, QKeySequence::NativeText);
    if (sequence.count() == 1 && sequence[0].keyboardModifiers() == Qt::NoModifier) {
        const Qt::Key key = sequence[0].key();
        if (!IsModifierKey(key) && KeyName(key).compare(aName, Qt::CaseInsensitive) == 0)
            return key;
    }
    return Qt::Key_unknown;
}

} // namespace

QString KeyName(Qt::Key aKey)
{
    if (aKey >= Qt::Key_F1 && aKey <= Qt::Key_F24)
        return QStringLiteral("F%1").arg(aKey - Qt::Key_F1 + 1);
    if (aKey >= Qt::Key_A && aKey <= Qt::Key_Z)
        return QString(QChar(char16_t('A' + (aKey - Qt::Key_A))));
    if (aKey >= Qt::Key_0 && aKey <= Qt::Key_9)
        return QString(QChar(char16_t('0' + (aKey - Qt::Key_0))));
    for (const TKeyName& entry : kKeyNames)
        if (entry.Key == aKey)
            return QString::fromUtf8(entry.Name);
    if (aKey == Qt::Key_unknown || aKey == 0 || IsModifierKey(aKey))
        return {};
    const QString name = QKeySequence(aKey).toString(QKeySequence::NativeText);
    // Names Qt makes up for unknown codes ("0x1234", or broken surrogates for codes beyond
    // Unicode such as dead keys) are no names.
    if (name.isEmpty() || name.startsWith(QStringLiteral("0x")) || !name.isValidUtf16())
        return {};
    return name;
}

QString ShortCutToText(QKeyCombination aKey)
{
    const QString name = KeyName(aKey.key());
    if (name.isEmpty())
        return {};
    const Qt::KeyboardModifiers mods = aKey.keyboardModifiers();
    QString text;
    if (mods & Qt::ShiftModifier || aKey.key() == Qt::Key_Backtab)
        text += QStringLiteral("Umsch+");
    if (mods & Qt::ControlModifier)
        text += QStringLiteral("Strg+");
    if (mods & Qt::AltModifier)
        text += QStringLiteral("Alt+");
    return text + name;
}

QString ShortCutToText(const QKeySequence& aSequence)
{
    if (aSequence.isEmpty())
        return {};
    return ShortCutToText(aSequence[0]);
}

QKeyCombination TextToShortCut(const QString& aText)
{
    QString rest = aText.trimmed();
    Qt::KeyboardModifiers mods;
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (const TPrefix& prefix : kPrefixes) {
            const QString text = QString::fromUtf8(prefix.Text);
            // "Strg++" is Ctrl with the plus key: a prefix is only taken when a key follows.
            if (rest.size() > text.size() && rest.startsWith(text, Qt::CaseInsensitive)) {
                mods |= prefix.Modifier;
                rest = rest.mid(text.size());
                stripped = true;
                break;
            }
        }
    }
    const Qt::Key key = KeyFromName(rest);
    if (key == Qt::Key_unknown)
        return kNoShortCut;
    if (key == Qt::Key_Backtab)
        return QKeyCombination(mods | Qt::ShiftModifier, Qt::Key_Tab);
    if (key == Qt::Key_Enter)
        return QKeyCombination(mods, Qt::Key_Return);
    return QKeyCombination(mods, key);
}

QKeySequence TextToKeySequence(const QString& aText)
{
    const QKeyCombination key = TextToShortCut(aText);
    return IsShortCut(key) ? QKeySequence(key) : QKeySequence();
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
