#include "commands/ShortCutText.h"

#include <array>
#include <span>

namespace {

struct TKeyName
{
    Qt::Key Key;
    const char* Name;
};

// Keys with a fixed German name; letters, digits and F-keys are built, keys that type a
// character are named by it.
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

// Other keys without a character, under the names key sequences have always been written
// with.
constexpr std::array<TKeyName, 6> kOtherKeyNames{{
    {Qt::Key_Print, "Print"},
    {Qt::Key_Pause, "Pause"},
    {Qt::Key_SysReq, "SysReq"},
    {Qt::Key_Clear, "Clear"},
    {Qt::Key_Menu, "Menu"},
    {Qt::Key_Help, "Help"},
}};

constexpr std::span<const TKeyName> kNameTables[] = {kKeyNames, kOtherKeyNames};

// Keys below this code stand for the character of that code.
constexpr int kFirstSpecialKey = 0x01000000;

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
    for (std::span<const TKeyName> table : kNameTables)
        for (const TKeyName& entry : table)
            if (aName.compare(QString::fromUtf8(entry.Name), Qt::CaseInsensitive) == 0)
                return entry.Key;
    // A key that types one character; accepted only when it gives back the same name, so
    // that composite texts are never taken for one key.
    const QList<uint> codes = aName.toUcs4();
    if (codes.size() == 1) {
        const Qt::Key key = Qt::Key(QChar::toUpper(char32_t(codes[0])));
        if (key < kFirstSpecialKey && KeyName(key).compare(aName, Qt::CaseInsensitive) == 0)
            return key;
    }
    return Qt::Key_unknown;
}

} // namespace

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

QString KeyName(Qt::Key aKey)
{
    if (aKey >= Qt::Key_F1 && aKey <= Qt::Key_F24)
        return QStringLiteral("F%1").arg(aKey - Qt::Key_F1 + 1);
    if (aKey >= Qt::Key_A && aKey <= Qt::Key_Z)
        return QString(QChar(char16_t('A' + (aKey - Qt::Key_A))));
    if (aKey >= Qt::Key_0 && aKey <= Qt::Key_9)
        return QString(QChar(char16_t('0' + (aKey - Qt::Key_0))));
    for (std::span<const TKeyName> table : kNameTables)
        for (const TKeyName& entry : table)
            if (entry.Key == aKey)
                return QString::fromUtf8(entry.Name);
    if (aKey <= 0 || aKey >= kFirstSpecialKey || IsModifierKey(aKey))
        return {};
    // A character key is named by its character, in capitals. Codes that are no printable
    // character (dead keys, codes beyond Unicode) have no name.
    const char32_t code = QChar::toUpper(char32_t(aKey));
    if (code > QChar::LastValidCodePoint || !QChar::isPrint(code) || QChar::isSpace(code))
        return {};
    return QString::fromUcs4(&code, 1);
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
