// The settings dialog: pages write the store when they are left, the window takes the new
// interval and fonts once the dialog has closed, and the shortcut page works on the actions.
#include "FakeSerialDevice.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "commands/ShortCutEdit.h"
#include "serial/PortRegistry.h"
#include "settings/SettingsWindow.h"
#include "settings/VarnexSettings.h"
#include "settings/XMLGlobal.h"
#include "terminal/MainWindow.h"
#include "terminal/ReceiveView.h"
#include "terminal/TerminalSession.h"

#include <QAction>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

enum { pageGeneral, pageHistory, pageFonts, pageShortcuts };

void ChoosePage(TfrmSettings& aDialog, int aPage)
{
    auto* tree = FindChildOrDie<QTreeWidget>(aDialog, "tvSettings");
    tree->setCurrentItem(tree->topLevelItem(aPage));
}

template <class T>
T* OnPage(TfrmSettings& aDialog, const char* aName)
{
    return FindChildOrDie<T>(aDialog, aName);
}

// The shortcut page's row of an action.
void ChooseRow(TfrmSettings& aDialog, const QAction* aAction)
{
    auto* rows = OnPage<QTreeWidget>(aDialog, "vtShortcut");
    rows->setCurrentItem(rows->topLevelItem(aDialog.ActionList().indexOf(const_cast<QAction*>(aAction))));
}

QKeySequence Keys(QKeyCombination aKey)
{
    return QKeySequence(aKey);
}

} // namespace

class TstSettingsDialog : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TFakeDeviceState> FState;

    std::unique_ptr<TfrmMainWindow> Window()
    {
        FState = InstallFakePorts();
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        return window;
    }

    static QAction* Action(QWidget& aWindow, const char* aName)
    {
        return FindChildOrDie<QAction>(aWindow, aName);
    }

    // Opens the settings from the window's menu; aUse works the dialog, which then closes.
    static void UseSettings(TScriptedDialogs& aPrompts, TfrmMainWindow& aWindow,
                            const std::function<void(TfrmSettings&)>& aUse)
    {
        auto previous = aPrompts.DialogHandler;
        aPrompts.DialogHandler = [&](QDialog* aDialog) {
            auto* dialog = qobject_cast<TfrmSettings*>(aDialog);
            if (!dialog)
                return previous ? previous(aDialog) : int(QDialog::Rejected);
            dialog->show();
            aUse(*dialog);
            dialog->accept();
            return dialog->result();
        };
        Action(aWindow, "acShowSettings")->trigger();
        aPrompts.DialogHandler = previous;
    }

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void untickingTheUpdateCheckNeedsNothingButClosing()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetAutoUpdate(true);
        TfrmSettings dialog;
        dialog.SetSettings(VarnexSettings());
        dialog.show();
        ChoosePage(dialog, pageGeneral);
        auto* box = OnPage<QCheckBox>(dialog, "cbAutoUpdate");
        QVERIFY(box->isChecked());
        box->setChecked(false);
        dialog.accept();
        QVERIFY(!VarnexSettings()->AutoUpdate());
        QVERIFY(!dialog.CurrentFrame());
    }

    void aPageIsStoredWhenLeftAndTheWindowFollowsAfterClosing()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        VarnexSettings()->SetHistoryHoures(1);
        VarnexSettings()->SetHistoryMinutes(0);
        VarnexSettings()->SetHistorySeconds(0);
        auto window = Window();
        auto* timer = FindChildOrDie<QTimer>(*window, "timerHistory");
        QCOMPARE(timer->interval(), 3'600'000);
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageHistory);
            QWidget* page = aDialog.CurrentFrame();
            OnPage<QSpinBox>(aDialog, "edhours")->setValue(2);
            OnPage<QSpinBox>(aDialog, "edSeconds")->setValue(75); // beyond the box's range
            // The same node again is no change: the page and what it holds stay.
            ChoosePage(aDialog, pageHistory);
            QCOMPARE(aDialog.CurrentFrame(), page);
            QCOMPARE(VarnexSettings()->HistoryHoures(), 1);

            ChoosePage(aDialog, pageFonts);
            QCOMPARE(VarnexSettings()->HistoryHoures(), 2);
            QCOMPARE(VarnexSettings()->HistorySeconds(), 60);
            QCOMPARE(timer->interval(), 3'600'000);
            // Back again, the page shows what was stored.
            ChoosePage(aDialog, pageHistory);
            QCOMPARE(OnPage<QSpinBox>(aDialog, "edhours")->value(), 2);
        });
        QCOMPARE(timer->interval(), 2 * 3'600'000 + 60'000);
    }

    void theFolderBrowserFillsTheHistoryPathAndCancelKeepsIt()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        TfrmSettings dialog;
        dialog.SetSettings(VarnexSettings());
        dialog.show();
        ChoosePage(dialog, pageHistory);
        auto* path = OnPage<QLineEdit>(dialog, "edHistoryPath");
        auto* choose = OnPage<QToolButton>(dialog, "bChooseHistory");
        const QString planned = QDir(settings.DirPath()).filePath(QStringLiteral("noch/nicht/da"));
        path->setText(planned);
        choose->click();
        QCOMPARE(path->text(), planned);

        QString title;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* browser = qobject_cast<QFileDialog*>(aDialog);
            title = browser->windowTitle();
            browser->selectFile(settings.DirPath());
            aDialog->accept();
            return aDialog->result();
        };
        choose->click();
        QCOMPARE(title, QStringLiteral("History Verzeichnis wählen"));
        QCOMPARE(QDir(path->text()), QDir(settings.DirPath()));
    }

    void shortcutsAreAppliedWhenTheirRowIsLeftOrTheDialogCloses()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        QAction* a = Action(*window, "acSendFile");
        QAction* b = Action(*window, "acDeleteReceive");
        const QKeyCombination keyA(Qt::CTRL | Qt::SHIFT | Qt::Key_K);
        const QKeyCombination keyB(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageShortcuts);
            auto* hotkey = OnPage<TShortCutEdit>(aDialog, "edHotkey");
            ChooseRow(aDialog, a);
            QTest::keyClick(hotkey, keyA.key(), keyA.keyboardModifiers());
            QVERIFY(a->shortcut() != Keys(keyA));
            ChooseRow(aDialog, b);
            QCOMPARE(a->shortcut(), Keys(keyA));
            QTest::keyClick(hotkey, keyB.key(), keyB.keyboardModifiers());
        });
        QCOMPARE(b->shortcut(), Keys(keyB));
        QVERIFY(prompts.Questions.isEmpty());
    }

    void theHintsLongPartIsEditedAndItsShortPartKept()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        QAction* action = Action(*window, "acSendFile");
        action->setProperty("Hint", QStringLiteral("Kurz|Lang"));
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageShortcuts);
            ChooseRow(aDialog, action);
            auto* hint = OnPage<QPlainTextEdit>(aDialog, "edHint");
            QCOMPARE(hint->toPlainText(), QStringLiteral("Lang"));
            hint->setPlainText(QStringLiteral("Länger"));
        });
        QCOMPARE(action->property("Hint").toString(), QStringLiteral("Kurz|Länger"));
        QCOMPARE(action->toolTip(), QStringLiteral("Kurz"));
        QCOMPARE(action->statusTip(), QStringLiteral("Länger"));
    }

    void theSpaceBarRemovesAShortcutForGood()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        QAction* exit = Action(*window, "acExit");
        QVERIFY(!exit->shortcut().isEmpty());
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageShortcuts);
            ChooseRow(aDialog, exit);
            auto* hotkey = OnPage<TShortCutEdit>(aDialog, "edHotkey");
            QTest::keyClick(hotkey, Qt::Key_Space);
            QCOMPARE(hotkey->text(), QString());
            ChooseRow(aDialog, Action(*window, "acSend"));
            // Enter is recorded like any key, so sending can have it back; the dialog stays.
            QTest::keyClick(hotkey, Qt::Key_Space);
            QTest::keyClick(hotkey, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(hotkey->text(), QStringLiteral("Eingabe"));
            QVERIFY(aDialog.isVisible());
        });
        QVERIFY(exit->shortcuts().isEmpty());

        window.reset();
        VarnexSettings()->SaveSettings();
        delete TVarnexSettings::AccessInstance(0);
        pugi::xml_node item =
            SelectSingleNode(VarnexSettings()->GetActionElement(), QStringLiteral("Item[@Name='acExit']"));
        QVERIFY(item);
        QVERIFY(item.attribute("Shortcut"));
        QCOMPARE(GetAttrString(QStringLiteral("Shortcut"), item, QStringLiteral("?")), QString());
        window = Window();
        QVERIFY(Action(*window, "acExit")->shortcuts().isEmpty());
    }

    void aCombinationInUseIsTakenOnlyWhenTheUserAgrees()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        QAction* exit = Action(*window, "acExit");
        QAction* file = Action(*window, "acSendFile");
        const QKeySequence altF4 = exit->shortcut();
        const QKeySequence fileKeys = file->shortcut();
        pugi::xml_node command = VarnexSettings()->SendMRURoot().append_child("MRU");
        command.append_attribute("Name").set_value("Reset");
        command.append_attribute("Text").set_value("ATZ");
        command.append_attribute("ShortCut")
            .set_value(ToXml(ShortCutToText(Qt::CTRL | Qt::Key_F12)).constData());
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageShortcuts);
            ChooseRow(aDialog, file);
            auto* hotkey = OnPage<TShortCutEdit>(aDialog, "edHotkey");
            // Refused: the field goes back to what it held.
            prompts.Answers = {IPrompts::TButton::No};
            QTest::keyClick(hotkey, Qt::Key_F4, Qt::AltModifier);
            QCOMPARE(prompts.Questions.size(), 1);
            QVERIFY(prompts.Questions.last().contains(exit->text()));
            QCOMPARE(hotkey->ShortCut(), fileKeys.isEmpty() ? kNoShortCut : fileKeys[0]);
            // A stored command's combination is pointed out as well.
            prompts.Answers = {IPrompts::TButton::Yes};
            QTest::keyClick(hotkey, Qt::Key_F12, Qt::ControlModifier);
            QCOMPARE(prompts.Questions.size(), 2);
            QVERIFY(prompts.Questions.last().contains(QStringLiteral("\"Reset\"")));
            // Taken: the other action gives it up when the row is left.
            prompts.Answers = {IPrompts::TButton::Yes};
            QTest::keyClick(hotkey, Qt::Key_F4, Qt::AltModifier);
            QCOMPARE(exit->shortcut(), altF4);
            ChooseRow(aDialog, exit);
        });
        QCOMPARE(prompts.Questions.size(), 3);
        QCOMPARE(file->shortcut(), altF4);
        QVERIFY(exit->shortcuts().isEmpty());
    }

    void theDialogReopensWhereItWasClosed()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        const QPoint place = QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(61, 47);
        {
            TfrmSettings dialog;
            dialog.SetSettings(VarnexSettings());
            dialog.show();
            dialog.move(place);
            dialog.accept();
        }
        TfrmSettings dialog;
        dialog.SetSettings(VarnexSettings());
        dialog.show();
        QCOMPARE(dialog.pos(), place);
        QCOMPARE(dialog.size(), QSize(577, 447));
    }

    void newFontsReachTheReceiveViewAfterClosing()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = Window();
        Action(*window, "acComOn")->trigger();
        FState->Incoming = QByteArray(4 << 20, 'x');
        while (!FState->Incoming.isEmpty())
            window->timerPollEventTimer();
        auto* view = FindChildOrDie<TReceiveView>(*window, "memReceive");
        const qint64 characters = view->CharacterCount();

        // Nothing changed: no rebuild of the full view.
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) { ChoosePage(aDialog, pageFonts); });
        QVERIFY(!window->IsRebuilding());

        QString family;
        for (const QString& candidate : QFontDatabase::families())
            if (candidate != view->font().family())
                family = candidate;
        QVERIFY(!family.isEmpty());
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* fonts = qobject_cast<QFontDialog*>(aDialog);
            if (!fonts)
                return int(QDialog::Rejected);
            fonts->setCurrentFont(QFont(family, 17));
            fonts->accept();
            return fonts->result();
        };
        UseSettings(prompts, *window, [&](TfrmSettings& aDialog) {
            ChoosePage(aDialog, pageFonts);
            OnPage<QPushButton>(aDialog, "bSelectNormalFont")->click();
            QCOMPARE(OnPage<QLineEdit>(aDialog, "edNormalFontSample")->text(), family);
            QVERIFY(view->font().family() != family);
        });
        QCOMPARE(VarnexSettings()->NormalFontName(), family);
        QCOMPARE(VarnexSettings()->NormalFontSize(), 17);
        QCOMPARE(view->font().family(), family);
        QCOMPARE(view->font().pointSize(), 17);
        // The view is rebuilt in slices, the window stays usable meanwhile.
        QVERIFY(window->IsRebuilding());
        window->Session()->FinishRebuild();
        QCOMPARE(view->CharacterCount(), characters);
    }
};

QTEST_MAIN(TstSettingsDialog)
#include "tst_SettingsDialog.moc"
