// The text form of key combinations both ways, and the key-capture field's recording rules.
#include "commands/ShortCutEdit.h"
#include "commands/ShortCutKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Makes failures readable: "Ctrl+Shift+F1" rather than a number.
QString Portable(QKeyCombination aKey)
{
    return IsShortCut(aKey) ? QKeySequence(aKey).toString(QKeySequence::PortableText)
                            : QStringLiteral("<none>");
}

const Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
const Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
const Qt::KeyboardModifiers kAlt = Qt::AltModifier;

// A window around the field that records the keys the field leaves to its parent.
class TKeyParent : public QWidget
{
public:
    explicit TKeyParent(TShortCutEdit::TMode aMode)
    {
        auto* layout = new QVBoxLayout(this);
        Edit = new TShortCutEdit(aMode, this);
        Other = new QLineEdit(this);
        layout->addWidget(Edit);
        layout->addWidget(Other);
    }
    TShortCutEdit* Edit;
    QLineEdit* Other;
    QList<int> Received;

protected:
    void keyPressEvent(QKeyEvent* aEvent) override { Received << aEvent->key(); }
};

} // namespace

class TstShortCutText : public QObject
{
    Q_OBJECT

private slots:
    // Every key of the table, with each of the eight modifier sets, to text and back.
    void KeyTable_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("keypad");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("parsedKey");
        auto row = [](int aKey, const QString& aName, bool aKeypad = false, int aParsed = 0) {
            QTest::addRow("%s%s", aKeypad ? "keypad " : "", qPrintable(aName))
                << aKey << aKeypad << aName << (aParsed ? aParsed : aKey);
        };
        for (int i = 1; i <= 24; ++i)
            row(Qt::Key_F1 + i - 1, QStringLiteral("F%1").arg(i));
        for (char c = 'A'; c <= 'Z'; ++c)
            row(Qt::Key_A + (c - 'A'), QString(QLatin1Char(c)));
        for (char c = '0'; c <= '9'; ++c) {
            row(Qt::Key_0 + (c - '0'), QString(QLatin1Char(c)));
            row(Qt::Key_0 + (c - '0'), QString(QLatin1Char(c)), true);
        }
        row(Qt::Key_Backspace, QStringLiteral("Rück"));
        row(Qt::Key_Tab, QStringLiteral("Tab"));
        row(Qt::Key_Return, QStringLiteral("Eingabe"));
        row(Qt::Key_Enter, QStringLiteral("Eingabe"), true, Qt::Key_Return);
        row(Qt::Key_Escape, QStringLiteral("Esc"));
        row(Qt::Key_Space, QStringLiteral("Leertaste"));
        row(Qt::Key_PageUp, QStringLiteral("BildAuf"));
        row(Qt::Key_PageDown, QStringLiteral("BildAb"));
        row(Qt::Key_End, QStringLiteral("Ende"));
        row(Qt::Key_Home, QStringLiteral("Pos1"));
        row(Qt::Key_Left, QStringLiteral("Links"));
        row(Qt::Key_Up, QStringLiteral("Auf"));
        row(Qt::Key_Right, QStringLiteral("Rechts"));
        row(Qt::Key_Down, QStringLiteral("Ab"));
        row(Qt::Key_Insert, QStringLiteral("Einfg"));
        row(Qt::Key_Delete, QStringLiteral("Entf"));
    }
    void KeyTable()
    {
        QFETCH(int, key);
        QFETCH(bool, keypad);
        QFETCH(QString, name);
        QFETCH(int, parsedKey);
        for (int set = 0; set < 8; ++set) {
            Qt::KeyboardModifiers mods;
            QString prefix;
            if (set & 1) {
                mods |= kShift;
                prefix += QStringLiteral("Umsch+");
            }
            if (set & 2) {
                mods |= kCtrl;
                prefix += QStringLiteral("Strg+");
            }
            if (set & 4) {
                mods |= kAlt;
                prefix += QStringLiteral("Alt+");
            }
            const Qt::KeyboardModifiers pressed = keypad ? mods | Qt::KeypadModifier : mods;
            const QString text = prefix + name;
            QCOMPARE(ShortCutToText(QKeyCombination(pressed, Qt::Key(key))), text);
            const QKeyCombination expected(mods, Qt::Key(parsedKey));
            QCOMPARE(Portable(TextToShortCut(text)), Portable(expected));
            QCOMPARE(Portable(TextToShortCut(text.toLower())), Portable(expected));
            QCOMPARE(Portable(TextToShortCut(text.toUpper())), Portable(expected));
        }
    }

    void Parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: no shortcut
        QTest::newRow("prefixes reversed") << "Alt+Strg+Umsch+F1"
                                           << "Umsch+Strg+Alt+F1";
        QTest::newRow("prefixes mixed, any case") << "alt+UMSCH+entf"
                                                  << "Umsch+Alt+Entf";
        QTest::newRow("caret as Ctrl") << "^F3"
                                       << "Strg+F3";
        QTest::newRow("caret among prefixes") << "Umsch+^a"
                                              << "Umsch+Strg+A";
        QTest::newRow("caret and Strg together") << "^Strg+O"
                                                 << "Strg+O";
        QTest::newRow("upper-case umlaut") << "RÜCK"
                                           << "Rück";
        QTest::newRow("Ctrl with the plus key") << "Strg++"
                                                << "Strg++";
        QTest::newRow("Shift, Ctrl and plus") << "strg+umsch++"
                                              << "Umsch+Strg++";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blank") << " "
                               << "";
        QTest::newRow("Strg+ alone") << "Strg+"
                                     << "";
        QTest::newRow("Umsch+ alone") << "Umsch+"
                                      << "";
        QTest::newRow("Alt+ alone") << "Alt+"
                                    << "";
        QTest::newRow("all prefixes, no key") << "Umsch+Strg+Alt+"
                                              << "";
        QTest::newRow("English modifier names") << "Ctrl+F1"
                                                << "";
        QTest::newRow("English Shift") << "Shift+A"
                                       << "";
        QTest::newRow("unknown name") << "Strg+Foo"
                                      << "";
        QTest::newRow("two letters") << "XY"
                                     << "";
        QTest::newRow("key named by the layout") << "alt+,"
                                                 << "Alt+,";
        QTest::newRow("F0") << "F0"
                            << "";
        QTest::newRow("leading zero") << "F01"
                                      << "";
        QTest::newRow("minus instead of plus") << "Strg-F1"
                                               << "";
        QTest::newRow("key before prefix") << "F1+Strg"
                                           << "";
    }
    void Parse()
    {
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        const QKeyCombination key = TextToShortCut(text);
        QCOMPARE(ShortCutToText(key), canonical);
        QCOMPARE(IsShortCut(key), !canonical.isEmpty());
        QCOMPARE(TextToKeySequence(text).isEmpty(), canonical.isEmpty());
    }

    void KeyEvent_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("text");
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << kShift << "";
        QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << kCtrl << "";
        QTest::newRow("Alt alone") << int(Qt::Key_Alt) << kAlt << "";
        QTest::newRow("AltGr alone") << int(Qt::Key_AltGr) << Qt::KeyboardModifiers() << "";
        QTest::newRow("Meta alone") << int(Qt::Key_Meta) << Qt::KeyboardModifiers(Qt::MetaModifier) << "";
        QTest::newRow("Ctrl with Shift held") << int(Qt::Key_Control) << (kShift | kCtrl) << "";
        // The German layout's ^ key is a dead key: it has no name of its own.
        QTest::newRow("dead key") << int(Qt::Key_Dead_Circumflex) << Qt::KeyboardModifiers() << "";
        QTest::newRow("dead key with Ctrl") << int(Qt::Key_Dead_Circumflex) << kCtrl << "";
        QTest::newRow("Backtab") << int(Qt::Key_Backtab) << kShift << "Umsch+Tab";
        QTest::newRow("Backtab, Shift not reported")
            << int(Qt::Key_Backtab) << Qt::KeyboardModifiers() << "Umsch+Tab";
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << "Eingabe";
        QTest::newRow("keypad 7 with Ctrl") << int(Qt::Key_7) << (kCtrl | Qt::KeypadModifier) << "Strg+7";
        QTest::newRow("Meta is dropped")
            << int(Qt::Key_F1) << Qt::KeyboardModifiers(Qt::MetaModifier) << "F1";
        QTest::newRow("all three") << int(Qt::Key_F12) << (kAlt | kCtrl | kShift) << "Umsch+Strg+Alt+F12";
    }
    void KeyEvent()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, text);
        const QKeyEvent event(QEvent::KeyPress, key, mods);
        const QKeyCombination result = KeyEventToShortCut(&event);
        QCOMPARE(ShortCutToText(result), text);
        QCOMPARE(IsShortCut(result), !text.isEmpty());
    }

    // What the field holds after one key press, and where Enter and Escape go: the in-place
    // field ends or cancels the edit itself, the dialog field leaves them to the dialog.
    void KeyPress_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("held");   // before: Strg+F9
        QTest::addColumn<QString>("signal"); // EditFinished, EditCancelled or neither
        QTest::addColumn<bool>("toParent");
        const Qt::KeyboardModifiers none;
        const Qt::KeyboardModifiers keypad(Qt::KeypadModifier);
        auto row = [](const char* aName, bool aInPlace, int aKey, Qt::KeyboardModifiers aMods,
                      const char* aHeld, const char* aSignal = "", bool aToParent = false) {
            QTest::newRow(aName) << aInPlace << aKey << aMods << QString::fromUtf8(aHeld)
                                 << QString::fromUtf8(aSignal) << aToParent;
        };
        row("in place: F5 gets Alt", true, Qt::Key_F5, none, "Alt+F5");
        row("in place: Shift+F5 gets Alt", true, Qt::Key_F5, kShift, "Umsch+Alt+F5");
        row("in place: Ctrl+F5 stays", true, Qt::Key_F5, kCtrl, "Strg+F5");
        row("in place: Alt+F5 stays", true, Qt::Key_F5, kAlt, "Alt+F5");
        row("in place: Shift+Ctrl+F5 stays", true, Qt::Key_F5, kShift | kCtrl, "Umsch+Strg+F5");
        row("in place: letter gets Alt", true, Qt::Key_Q, none, "Alt+Q");
        row("in place: keypad digit gets Alt", true, Qt::Key_4, keypad, "Alt+4");
        row("in place: Up is Left", true, Qt::Key_Up, none, "Alt+Links");
        row("in place: Down is Right", true, Qt::Key_Down, none, "Alt+Rechts");
        row("in place: Ctrl+Up is Ctrl+Left", true, Qt::Key_Up, kCtrl, "Strg+Links");
        row("in place: Backspace is recorded", true, Qt::Key_Backspace, none, "Alt+Rück");
        row("in place: Shift+Enter is recorded", true, Qt::Key_Return, kShift, "Umsch+Alt+Eingabe");
        row("in place: Return ends", true, Qt::Key_Return, none, "Strg+F9", "EditFinished");
        row("in place: keypad Enter ends", true, Qt::Key_Enter, keypad, "Strg+F9", "EditFinished");
        row("in place: Escape cancels", true, Qt::Key_Escape, none, "Strg+F9", "EditCancelled");
        row("exact: F5", false, Qt::Key_F5, none, "F5");
        row("exact: Shift+F5", false, Qt::Key_F5, kShift, "Umsch+F5");
        row("exact: Up", false, Qt::Key_Up, none, "Auf");
        row("exact: Ctrl+O", false, Qt::Key_O, kCtrl, "Strg+O");
        row("exact: Shift+Del", false, Qt::Key_Delete, kShift, "Umsch+Entf");
        row("exact: Backspace clears", false, Qt::Key_Backspace, none, "");
        row("exact: Delete clears", false, Qt::Key_Delete, none, "");
        row("exact: Return to the dialog", false, Qt::Key_Return, none, "Strg+F9", "", true);
        row("exact: keypad Enter to the dialog", false, Qt::Key_Enter, keypad, "Strg+F9", "", true);
        row("exact: Escape to the dialog", false, Qt::Key_Escape, none, "Strg+F9", "", true);
    }
    void KeyPress()
    {
        QFETCH(bool, inPlace);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, held);
        QFETCH(QString, signal);
        QFETCH(bool, toParent);
        TKeyParent window(inPlace ? TShortCutEdit::TMode::InPlace : TShortCutEdit::TMode::Exact);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        TShortCutEdit* edit = window.Edit;
        edit->SetShortCutText(QStringLiteral("Strg+F9"));
        QSignalSpy changed(edit, &TShortCutEdit::ShortCutChanged);
        QSignalSpy finished(edit, &TShortCutEdit::EditFinished);
        QSignalSpy cancelled(edit, &TShortCutEdit::EditCancelled);
        QTest::keyClick(edit, Qt::Key(key), mods);
        QCOMPARE(edit->ShortCutText(), held);
        QCOMPARE(edit->text(), held);
        QCOMPARE(changed.count(), held == QStringLiteral("Strg+F9") ? 0 : 1);
        QCOMPARE(finished.count(), signal == QStringLiteral("EditFinished") ? 1 : 0);
        QCOMPARE(cancelled.count(), signal == QStringLiteral("EditCancelled") ? 1 : 0);
        QCOMPARE(window.Received, toParent ? QList<int>{key} : QList<int>{});
        // A lone modifier key or a key without a name is no combination: the field keeps
        // what it holds.
        QTest::keyClick(edit, Qt::Key_Shift, kShift);
        QTest::keyClick(edit, Qt::Key_Control, kCtrl);
        QKeyEvent dead(QEvent::KeyPress, Qt::Key_Dead_Circumflex, kCtrl);
        QApplication::sendEvent(edit, &dead);
        QCOMPARE(edit->ShortCutText(), held);
    }

    // The in-place field keeps the focus on Tab; the dialog field lets the focus chain have it.
    void Tab_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<bool>("focusStays");
        QTest::newRow("in place: Tab") << true << Qt::KeyboardModifiers() << true;
        QTest::newRow("in place: Shift+Tab") << true << kShift << true;
        QTest::newRow("exact: Tab") << false << Qt::KeyboardModifiers() << false;
    }
    void Tab()
    {
        QFETCH(bool, inPlace);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(bool, focusStays);
        TKeyParent window(inPlace ? TShortCutEdit::TMode::InPlace : TShortCutEdit::TMode::Exact);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.Edit->setFocus();
        QTRY_VERIFY(window.Edit->hasFocus());
        window.Edit->SetShortCutText(QStringLiteral("F2"));
        QTest::keyClick(window.Edit, mods & kShift ? Qt::Key_Backtab : Qt::Key_Tab, mods);
        QCOMPARE(window.Edit->hasFocus(), focusStays);
        if (inPlace)
            QCOMPARE(window.Edit->ShortCutText(), QStringLiteral("F2"));
    }
};

QTEST_MAIN(TstShortCutText)
#include "tst_ShortCutText.moc"
