// The command library in the main window: building the tree, command files, shortcuts
// fired from any key, parked menu shortcuts, drag and drop, and a command with parameters
// sent through a real pty.
#include "FakeSerialDevice.h"
#include "FileSizeLimit.h"
#include "PtyPair.h"
#include "ScriptedDialogs.h"
#include "TempSettings.h"
#include "WindowTestKit.h"

#include "commands/CommandEdit.h"
#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "commands/RecordInput.h"
#include "commands/ShortCutEdit.h"
#include "serial/PortRegistry.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QSplitter>
#include <QHeaderView>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString Attr(pugi::xml_node aElement, const char* aName)
{
    return QString::fromUtf8(aElement.attribute(aName).value());
}

// The tree as one line: names (or texts) with groups in brackets.
QString Shape(pugi::xml_node aParent)
{
    QStringList parts;
    for (pugi::xml_node child : aParent.children("MRU")) {
        QString label = Attr(child, "Name");
        if (label.isEmpty())
            label = Attr(child, "Text");
        if (!CommandTree::IsCommandElement(child))
            label += QLatin1Char('[') + Shape(child) + QLatin1Char(']');
        parts << label;
    }
    return parts.join(QLatin1Char(','));
}

} // namespace

class TstCommandLibrary : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<TFakeDeviceState> FState;

    std::unique_ptr<TfrmMainWindow> MakeWindow(const char* aTreeXml, bool aOpen = false)
    {
        FState = InstallFakePorts();
        SetTree(aTreeXml);
        auto window = std::make_unique<TfrmMainWindow>(7);
        window->show();
        WithoutPostfix(*window);
        if (aOpen)
            Action(*window, "acComOn")->trigger();
        return window;
    }

    static void SetTree(const char* aTreeXml)
    {
        pugi::xml_document source;
        QVERIFY(source.load_string(aTreeXml));
        pugi::xml_node root = VarnexSettings()->SendMRURoot();
        CommandTree::RemoveAll(root);
        for (pugi::xml_node child : source.children())
            root.append_copy(child);
    }

    static pugi::xml_node Root() { return VarnexSettings()->SendMRURoot(); }

    static QAction* Action(TfrmMainWindow& aWindow, const char* aName)
    {
        return FindChildOrDie<QAction>(aWindow, aName);
    }

    static TCommandTreeView* Tree(TfrmMainWindow& aWindow) { return aWindow.CommandTreeView(); }

    // Selects the nodes whose name is listed (searched through the whole tree).
    static void Select(TfrmMainWindow& aWindow, const QStringList& aNames)
    {
        TCommandTreeView* tree = Tree(aWindow);
        tree->selectionModel()->clear();
        for (const QModelIndex& index : tree->CommandModel()->AllIndexes())
            if (aNames.contains(Attr(aWindow.GetNodeElement(index), "Name"))) {
                tree->selectionModel()->select(index,
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
                tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            }
    }

    static QModelIndex NodeNamed(TfrmMainWindow& aWindow, const QString& aName)
    {
        for (const QModelIndex& index : Tree(aWindow)->CommandModel()->AllIndexes())
            if (Attr(aWindow.GetNodeElement(index), "Name") == aName)
                return index;
        return {};
    }

private slots:
    void cleanup() { TPortRegistry::Instance().SetDeviceFactory({}); }

    void newElementsLandByTheSelection_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing selected") << QString() << true << "a,G[b,c],d,Neues Kommando";
        QTest::newRow("after a command") << "b" << true << "a,G[b,Neues Kommando,c],d";
        QTest::newRow("after the last command") << "d" << true << "a,G[b,c],d,Neues Kommando";
        QTest::newRow("into a group") << "G" << true << "a,G[b,c,Neues Kommando],d";
        QTest::newRow("a group into a group") << "G" << false << "a,G[b,c,[]],d";
    }
    void newElementsLandByTheSelection()
    {
        QFETCH(QString, selected);
        QFETCH(bool, command);
        QFETCH(QString, expected);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="A"/><MRU Name="G"><MRU Name="b" Text="B"/>)"
                                 R"(<MRU Name="c" Text="C"/></MRU><MRU Name="d" Text="D"/>)");
        if (!selected.isEmpty())
            Select(*window, {selected});
        QString editedKind;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            editedKind = aDialog->metaObject()->className();
            return int(QDialog::Accepted);
        };
        Action(*window, command ? "acNewCommand" : "acNewGroup")->trigger();
        QCOMPARE(editedKind, QStringLiteral("TfrmCommandEdit"));
        QCOMPARE(Shape(Root()), expected);
        QCOMPARE(Tree(*window)->CommandModel()->NodeCount(), 6);
        QVERIFY(prompts.Errors.isEmpty());

        // Cancelling the editor leaves the tree as it is.
        prompts.DialogHandler = [](QDialog*) { return int(QDialog::Rejected); };
        Action(*window, "acNewCommand")->trigger();
        QCOMPARE(Shape(Root()), expected);
    }

    void editingAnElementWritesWhatTheEditorHolds()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="A" ShortCut="F2"/><MRU Name="b" Text="B"/>)");
        Select(*window, {"b"});
        window->ActionListUpdate();
        QVERIFY(Action(*window, "acEditElement")->isEnabled());
        prompts.DialogHandler = [](QDialog* aDialog) {
            auto* editor = qobject_cast<TfrmCommandEdit*>(aDialog);
            FindChildOrDie<QLineEdit>(*editor, "edName")->setText(QStringLiteral("renamed"));
            editor->butOKClick();
            return editor->result();
        };
        Action(*window, "acEditElement")->trigger();
        QCOMPARE(Shape(Root()), QStringLiteral("a,renamed"));
        // The view shows the new name at once and the node stays selected.
        const QModelIndex node = NodeNamed(*window, "renamed");
        QCOMPARE(node.data().toString(), QStringLiteral("renamed"));
        QCOMPARE(Tree(*window)->SelectedNodes(), QModelIndexList{node});

        // A typed send puts a command on top; the selection stays with its node.
        FindChildOrDie<QLineEdit>(*window, "edSend")->setText(QStringLiteral("typed"));
        Action(*window, "acSend")->trigger();
        QCOMPARE(Shape(Root()), QStringLiteral("typed,a,renamed"));
        QCOMPARE(Tree(*window)->SelectedNodes(), QModelIndexList{NodeNamed(*window, "renamed")});
    }

    void deletingRemovesSelectedNodesAndAllAsksFirst()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="G" Expanded="true"><MRU Name="b" Text=""/><MRU Name="H">)"
                                 R"(<MRU Name="c" Text=""/></MRU></MRU><MRU Name="d" Text=""/>)");
        QVERIFY(!Action(*window, "acDeleteNode")->isEnabled());
        // A group together with nodes inside it.
        Select(*window, {"G", "b", "c"});
        window->ActionListUpdate();
        QVERIFY(Action(*window, "acDeleteNode")->isEnabled());
        QVERIFY(!Action(*window, "acEditElement")->isEnabled()); // only for exactly one node
        Action(*window, "acDeleteNode")->trigger();
        QVERIFY(prompts.Errors.isEmpty());
        QCOMPARE(Shape(Root()), QStringLiteral("d"));
        QVERIFY(Tree(*window)->SelectedNodes().isEmpty());

        prompts.Answers = {IPrompts::TButton::No};
        Action(*window, "acDeleteAll")->trigger();
        QCOMPARE(prompts.Questions.value(0), QStringLiteral("Wirklich alle Kommandos löschen?"));
        QCOMPARE(prompts.Titles.value(0), QStringLiteral("Alle Kommandos Löschen"));
        QCOMPARE(prompts.Defaults.value(0), std::optional(IPrompts::TButton::No));
        QCOMPARE(Shape(Root()), QStringLiteral("d"));
        prompts.Answers = {IPrompts::TButton::Yes};
        Action(*window, "acDeleteAll")->trigger();
        QCOMPARE(Root().first_child(), pugi::xml_node());
        window->ActionListUpdate();
        QVERIFY(!Action(*window, "acDeleteAll")->isEnabled());
        QVERIFY(!Action(*window, "acDeleteShortcuts")->isEnabled());
    }

    void commandFilesCarryTheTreeAndLineSettingsButNotThePort()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        const char* tree = R"(<MRU Name="G" Expanded="true"><MRU Name="a" Text="AT/cr/" ShortCut="F1"/>)"
                           R"(<MRU Name="H"><MRU Name="b" Text="" ShortCut="Strg+F2"/></MRU></MRU>)"
                           R"(<MRU Text="typed"/>)";
        auto window = MakeWindow(tree);
        TTermCom* com = window->Com();
        com->SetBaud(57600);
        com->SetDataBits(7);
        com->SetRTS(true);
        const QString file = settings.DirPath() + QStringLiteral("/commands.xml");
        window->SaveCommandFile(file);
        QCOMPARE(Attr(VarnexSettings()->RecentFilesMRU().child("RecentFile"), "Name"), file);

        QString before;
        {
            pugi::xml_document saved;
            QVERIFY(saved.load_file(file.toLocal8Bit().constData()));
            QCOMPARE(QString::fromUtf8(saved.document_element().last_child().name()),
                     QStringLiteral("Interface"));
            before = DocumentToXML(Root());
        }

        // Change everything, then load: the tree comes back, the port number stays.
        SetTree(R"(<MRU Name="other" Text="x"/>)");
        window->RefreshCommandTree();
        com->SetPort(3);
        com->SetBaud(9600);
        com->SetDataBits(8);
        com->SetRTS(false);
        window->LoadCommandFile(file);
        QCOMPARE(DocumentToXML(Root()), before);
        QCOMPARE(com->Port(), 3);
        QCOMPARE(com->Baud(), 57600);
        QCOMPARE(com->DataBits(), 7);
        QVERIFY(com->RTS());
        QVERIFY(FindChildOrDie<QToolButton>(*window, "bRTS")->isChecked());
        // Groups come back expanded as they were saved.
        QVERIFY(Tree(*window)->isExpanded(NodeNamed(*window, "G")));
        QVERIFY(!Tree(*window)->isExpanded(NodeNamed(*window, "H")));
        QVERIFY(prompts.Messages.isEmpty());
    }

    void aBrokenCommandFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("does not parse") << QByteArray("<Body><MRU Name=\"a\" Text=\"x\"></Body>");
        QTest::newRow("not a command file") << QByteArray("<Fields><MRU Name=\"a\" Text=\"x\"/></Fields>");
        QTest::newRow("missing") << QByteArray();
        QByteArray deep = "<Body>";
        for (int i = 0; i <= CommandTree::kMaxNesting; ++i)
            deep += "<MRU Name=\"g\">";
        for (int i = 0; i <= CommandTree::kMaxNesting; ++i)
            deep += "</MRU>";
        QTest::newRow("nested too deep") << deep + "</Body>";
        // Foreign elements count as well: removing them would recurse through every level.
        const int levels = 200'000;
        QTest::newRow("foreign element nested 200000 deep") << "<Body><MRU Name=\"a\" Text=\"x\">"
                + QByteArray("<x>").repeated(levels) + QByteArray("</x>").repeated(levels) + "</MRU></Body>";
    }
    void aBrokenCommandFileChangesNothing()
    {
        QFETCH(QByteArray, content);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="keep" Text="k"/>)");
        const QString file = settings.DirPath() + QStringLiteral("/broken.xml");
        if (!content.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        window->Com()->SetBaud(4800);
        window->LoadCommandFile(file);
        QCOMPARE(prompts.Messages.size(), 1);
        QVERIFY(!prompts.Messages.first().isEmpty());
        QCOMPARE(Shape(Root()), QStringLiteral("keep"));
        QCOMPARE(window->Com()->Baud(), 4800);
        QVERIFY(VarnexSettings()->RecentFilesMRU().child("RecentFile").empty());
    }

    void loadingTakesOnlyTheTopLevelCommandElements()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="old" Text="o"/>)");
        const QString file = settings.DirPath() + QStringLiteral("/mixed.xml");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("<?xml version=\"1.0\"?><Body><Note/><MRU Name=\"a\" Text=\"1\"/><!-- c -->"
                  "<MRU Name=\"G\"><!-- inside -->text<MRU Name=\"b\" Text=\"2\"/><Other/></MRU>"
                  "<Interface Baud=\"19200\"/><MRU Name=\"c\" Text=\"3\"/></Body>");
        out.close();
        window->LoadCommandFile(file);
        QCOMPARE(Shape(Root()), QStringLiteral("a,G[b],c"));
        // Every child of a group is a node: positions address elements.
        QCOMPARE(std::distance(Root().child("MRU").next_sibling().children().begin(),
                               Root().child("MRU").next_sibling().children().end()),
                 1);
        QCOMPARE(window->Com()->Baud(), 19200);
    }

    void recentFileMenusDropMissingFilesAndLoad()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="1"/>)");
        const QString first = settings.DirPath() + QStringLiteral("/first.xml");
        const QString gone = settings.DirPath() + QStringLiteral("/gone.xml");
        window->SaveCommandFile(gone);
        QFile::remove(gone);
        window->SaveCommandFile(first);
        SetTree(R"(<MRU Name="b" Text="2"/>)");
        window->RefreshCommandTree();

        auto* menu = FindChildOrDie<QMenu>(*window, "pmRecentFilesLoad");
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("&1 ") + first);
        QCOMPARE(Attr(VarnexSettings()->RecentFilesMRU().child("RecentFile").next_sibling(), "Name"),
                 QString());
        menu->actions().first()->trigger();
        QCOMPARE(Shape(Root()), QStringLiteral("a"));

        // The save menu overwrites without asking.
        SetTree(R"(<MRU Name="c" Text="3"/>)");
        auto* saveMenu = FindChildOrDie<QMenu>(*window, "pmRecentFileSave");
        emit saveMenu->aboutToShow();
        saveMenu->actions().first()->trigger();
        window->LoadCommandFile(first);
        QCOMPARE(Shape(Root()), QStringLiteral("c"));
        QVERIFY(prompts.Questions.isEmpty());
    }

#ifdef Q_OS_UNIX
    void aFullDiskKeepsTheOldCommandFileWhole()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="1"/>)");
        const QString file = settings.DirPath() + QStringLiteral("/befehle.xml");
        window->SaveCommandFile(file);
        auto read = [&] {
            QFile in(file);
            return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
        };
        const QByteArray before = read();
        const QByteArray many =
            QByteArray(R"(<MRU Name="cmd" Text="AT+PARAMETER=1234567890"/>)").repeated(5000);
        SetTree(many.constData());
        window->RefreshCommandTree();
        auto* saveMenu = FindChildOrDie<QMenu>(*window, "pmRecentFileSave");
        emit saveMenu->aboutToShow();
        {
            TFileSizeLimit full(16 * 1024);
            saveMenu->actions().first()->trigger();
        }
        QCOMPARE(prompts.Errors.size(), 1);
        QVERIFY2(prompts.Errors.first().contains(file), qPrintable(prompts.Errors.first()));
        QCOMPARE(read(), before);
        QCOMPARE(QDir(settings.DirPath()).entryList({QStringLiteral("befehle*")}, QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("befehle.xml")});
    }
#endif

    void loadAndSaveDialogsStartAtTheLastFile()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="1"/>)");
        const QString file = settings.DirPath() + QStringLiteral("/dialog.xml");
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* dialog = qobject_cast<QFileDialog*>(aDialog);
            if (!dialog)
                return int(QDialog::Rejected);
            dialog->selectFile(file);
            return int(QDialog::Accepted);
        };
        Action(*window, "acSaveTree")->trigger();
        QVERIFY(QFileInfo::exists(file));
        QString title;
        QString directory;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* dialog = qobject_cast<QFileDialog*>(aDialog);
            title = dialog->windowTitle();
            directory = dialog->directory().absolutePath();
            return int(QDialog::Rejected);
        };
        Action(*window, "acLoadTree")->trigger();
        QCOMPARE(title, QStringLiteral("Setting laden"));
        QCOMPARE(directory, QFileInfo(file).absolutePath());
    }

    void functionKeyShortcutSendsOnlyWithThePortOpenAndIsSwallowed()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="G"><MRU Name="hit" Text="AT/cr/" ShortCut="F3"/></MRU>)"
                                 R"(<MRU Name="other" Text="X" ShortCut="F4"/>)",
                                 true);
        auto* edSend = FindChildOrDie<QLineEdit>(*window, "edSend");
        edSend->setFocus();
        QApplication::setActiveWindow(window.get());
        edSend->setText(QStringLiteral("abc"));
        QTest::keyClick(edSend, Qt::Key_F3);
        QCOMPARE(FState->Written, QByteArray("AT\r"));
        QCOMPARE(edSend->text(), QStringLiteral("abc"));

        Action(*window, "acComOn")->trigger(); // off
        FState->Written.clear();
        QTest::keyClick(edSend, Qt::Key_F3);
        QVERIFY(FState->Written.isEmpty());
        QVERIFY(prompts.Messages.isEmpty());
    }

    void plainLetterShortcutFiresFromTheSendField()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="q" Text="quit" ShortCut="Q"/>)", true);
        auto* edSend = FindChildOrDie<QLineEdit>(*window, "edSend");
        QApplication::setActiveWindow(window.get());
        edSend->setFocus();
        QTest::keyClicks(edSend, QStringLiteral("aqb"));
        QCOMPARE(edSend->text(), QStringLiteral("ab"));
        QCOMPARE(FState->Written, QByteArray("quit"));
    }

    void menuShortcutsAreParkedWhileACellIsEdited()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="1"/>)");
        QApplication::setActiveWindow(window.get());
        TCommandTreeView* tree = Tree(*window);
        QAction* comOn = Action(*window, "acComOn");
        QVERIFY(!comOn->isChecked());

        Select(*window, {"a"});
        Action(*window, "acEditName")->trigger();
        QVERIFY(tree->IsEditing());
        QVERIFY(window->ShortcutsSuspended());
        QVERIFY(comOn->shortcut().isEmpty());
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(!comOn->isChecked());
        // The editor is a plain line edit for names; typing goes into it.
        QTest::keyClicks(editor, QStringLiteral("neu"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!tree->IsEditing()); // the delegate commits through the event queue
        QCOMPARE(Attr(Root().child("MRU"), "Name"), QStringLiteral("neu"));
        QVERIFY(!window->ShortcutsSuspended());
        QCOMPARE(comOn->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

        QTest::keyClick(FindChildOrDie<QLineEdit>(*window, "edSend"), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(comOn->isChecked());
    }

    void anOpenCellEditIsKeptWhenAToolRunsAndAnUntouchedOneWritesNothing()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Text="unnamed"/><MRU Name="b" Text="B"/>)");
        QApplication::setActiveWindow(window.get());
        TCommandTreeView* tree = Tree(*window);

        // Opened and left without a change: the command stays without a name.
        tree->setCurrentIndex(tree->CommandModel()->index(0, 0));
        QVERIFY(tree->EditCell(tree->currentIndex(), TCommandTreeModel::colName));
        tree->FinishEditing();
        QVERIFY(!Root().child("MRU").attribute("Name"));

        // Typed into, then a tool button runs: the typing counts.
        QVERIFY(tree->EditCell(tree->CommandModel()->index(1, 0), TCommandTreeModel::colName));
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(QStringLiteral("renamed"));
        Action(*window, "acRenumber")->trigger();
        QVERIFY(!tree->IsEditing());
        QCOMPARE(Shape(Root()), QStringLiteral("unnamed,renamed"));
        QCOMPARE(Attr(Root().last_child(), "ShortCut"), QStringLiteral("F2"));
    }

    void contextMenuEnablesEditingByTheNodeUnderThePointer()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="G"/><MRU Name="c" Text=""/>)");
        TCommandTreeView* tree = Tree(*window);
        auto* menu = FindChildOrDie<QMenu>(*window, "pmTree");
        struct TCase
        {
            QPoint Pos;
            bool Name, Command;
        };
        const QRect group = tree->visualRect(tree->CommandModel()->index(0, 0));
        const QRect command = tree->visualRect(tree->CommandModel()->index(1, 0));
        const QPoint below(5, tree->viewport()->height() - 2);
        for (const TCase& c : {TCase{group.center(), true, false}, TCase{command.center(), true, true},
                               TCase{below, false, false}}) {
            emit tree->customContextMenuRequested(c.Pos);
            QCOMPARE(Action(*window, "acEditName")->isEnabled(), c.Name);
            QCOMPARE(Action(*window, "acEditCommand")->isEnabled(), c.Command);
            QCOMPARE(Action(*window, "acEditSC")->isEnabled(), c.Command);
            menu->close();
        }
        QStringList entries;
        for (QAction* action : menu->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        QCOMPARE(entries.join(QLatin1Char(' ')),
                 QStringLiteral("acEditElement - acNewGroup acNewCommand - acHideParameter - acEditName "
                                "acEditSC acEditCommand - acDeleteShortcuts - acDeleteNode acDeleteAll"));
    }

    void aClashWithAMenuShortcutIsAskedAndYesTakesItFromTheMenu_data()
    {
        QTest::addColumn<IPrompts::TButton>("answer");
        QTest::newRow("yes") << IPrompts::TButton::Yes;
        QTest::newRow("no") << IPrompts::TButton::No;
    }
    void aClashWithAMenuShortcutIsAskedAndYesTakesItFromTheMenu()
    {
        QFETCH(IPrompts::TButton, answer);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text="1"/>)");
        QApplication::setActiveWindow(window.get());
        Select(*window, {"a"});
        Action(*window, "acEditSC")->trigger();
        auto* editor = qobject_cast<TShortCutEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->Mode(), TShortCutEdit::TMode::InPlace);
        prompts.Answers = {answer};
        prompts.RunEventLoopWhenAsked = true;
        // Tab belongs to the field: it neither ends the edit nor moves on.
        QTest::keyClick(editor, Qt::Key_Tab);
        QVERIFY(Tree(*window)->IsEditing());
        QCOMPARE(QApplication::focusWidget(), editor);
        QTest::keyClick(editor, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!Tree(*window)->IsEditing());
        QTRY_COMPARE(prompts.Questions.size(), 1);
        QVERIFY(prompts.Questions.first().startsWith(
            QStringLiteral("Der Shortcut (Strg+O) ist bereits einem Menübefehl zugeordnet (Befehl = ")));
        QCOMPARE(Attr(Root().child("MRU"), "ShortCut"), QStringLiteral("Strg+O"));
        QAction* comOn = Action(*window, "acComOn");
        QCOMPARE(comOn->shortcut().isEmpty(), answer == IPrompts::TButton::Yes);
        // Other menu shortcuts came back untouched.
        QCOMPARE(Action(*window, "acExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
    }

    void dragAndDropPlacesNodesByTheTarget_data()
    {
        QTest::addColumn<QStringList>("moved");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("expected");
        const QString none;
        QTest::newRow("onto a command") << QStringList{"d"} << "b"
                                        << "a,G[d,b,c],e";
        QTest::newRow("onto a group") << QStringList{"a"} << "G"
                                      << "G[b,c,a],d,e";
        QTest::newRow("below the last node") << QStringList{"b"} << none << "a,G[c],d,e,b";
        QTest::newRow("several at once") << QStringList{"a", "d"} << "e"
                                         << "G[b,c],d,a,e";
        QTest::newRow("into itself") << QStringList{"G"} << "c"
                                     << "a,G[b,c],d,e";
    }
    void dragAndDropPlacesNodesByTheTarget()
    {
        QFETCH(QStringList, moved);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text=""/><MRU Name="G" Expanded="true">)"
                                 R"(<MRU Name="b" Text=""/><MRU Name="c" Text=""/></MRU>)"
                                 R"(<MRU Name="d" Text=""/><MRU Name="e" Text=""/>)");
        Select(*window, moved);
        window->vtSendDragDrop(target.isEmpty() ? QModelIndex() : NodeNamed(*window, target));
        QCOMPARE(Shape(Root()), expected);
        QCOMPARE(prompts.Messages.size(), QTest::currentDataTag() == QByteArray("into itself") ? 1 : 0);
        QVERIFY(prompts.Errors.isEmpty());
    }

    void dropEventsOnlyComeFromTheTreeItself()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Name="a" Text=""/><MRU Name="b" Text=""/>)");
        TCommandTreeView* tree = Tree(*window);
        QMimeData data;
        data.setData(QString::fromLatin1(TCommandTreeModel::kMimeType), QByteArray());
        QDragMoveEvent foreign(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tree->viewport(), &foreign);
        QVERIFY(!foreign.isAccepted());
    }

    void renumberingSkipsMenuShortcuts()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        QString xml;
        for (int i = 1; i <= 100; ++i)
            xml += QStringLiteral("<MRU Name=\"c%1\" Text=\"%1\" ShortCut=\"old%1\"/>").arg(i);
        auto window = MakeWindow(xml.toUtf8().constData());
        Action(*window, "acRenumber")->trigger();
        const QList<pugi::xml_node> nodes = CommandTree::Children(Root());
        QCOMPARE(Attr(nodes[0], "ShortCut"), QStringLiteral("F1"));
        QCOMPARE(Attr(nodes[38], "ShortCut"), QStringLiteral("Alt+F3"));
        QCOMPARE(Attr(nodes[39], "ShortCut"), QStringLiteral("Alt+F5"));
        QCOMPARE(Attr(nodes[94], "ShortCut"), QStringLiteral("Umsch+Strg+Alt+F12"));
        QCOMPARE(Attr(nodes[95], "ShortCut"), QStringLiteral("old96"));
        QCOMPARE(Attr(nodes[99], "ShortCut"), QStringLiteral("old100"));

        Action(*window, "acDeleteShortcuts")->trigger();
        QVERIFY(!nodes[0].attribute("ShortCut"));
    }

    void hiddenParametersShowTheirDefaults()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(
            R"(<MRU Name="p" Text="AT/Param Name=&quot;x&quot; Default=&quot;5&quot; /Param/cr/"/>)"
            R"(<MRU Name="bad" Text="/Param Name=&quot;x /Param"/>)");
        TCommandTreeModel* model = Tree(*window)->CommandModel();
        const QModelIndex cell = NodeNamed(*window, "p").siblingAtColumn(TCommandTreeModel::colCommand);
        // Defaults are shown from the first start on; the action switches to the markup.
        QVERIFY(FindChildOrDie<QToolButton>(*window, "bHideParameter")->isChecked());
        QCOMPARE(cell.data().toString(), QStringLiteral("AT5/cr/"));
        // The broken markup is reported once, however often the view paints.
        for (int i = 0; i < 3; ++i) {
            model->index(1, TCommandTreeModel::colCommand).data();
            Tree(*window)->viewport()->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(prompts.Messages.size(), 1);
        Action(*window, "acHideParameter")->trigger();
        QVERIFY(model->index(0, TCommandTreeModel::colCommand)
                    .data()
                    .toString()
                    .startsWith(QStringLiteral("AT/Param")));
    }

    void theListShowsAllThreeColumnsAndNoRowIsBlank()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Text="ATI/cr/"/>)");
        window->resize(1040, 680);
        QCoreApplication::processEvents(); // the list gets its width once the window is laid out
        TCommandTreeView* tree = Tree(*window);
        QVERIFY2(tree->viewport()->width() >= tree->header()->length(),
                 qPrintable(QString::number(tree->viewport()->width())));
        // A typed send has no name: its text stands in the name column, lighter.
        const TCommandTreeModel::TCellLook look =
            tree->CommandModel()->CellLook(NodeNamed(*window, QString()));
        QCOMPARE(look.Text, QStringLiteral("ATI/cr/"));
        QVERIFY(look.Faint);
        // The grip moves: the receive side can give way.
        auto* splitter = FindChildOrDie<QSplitter>(*window, "spMain");
        splitter->setSizes({600, splitter->width() - 600});
        QCOMPARE(splitter->sizes().first(), 600);
    }

    void doubleClickSendsACommandUnderItsName()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        auto window = MakeWindow(R"(<MRU Text="plain"/><MRU Name="G"/>)", true);
        TCommandTreeView* tree = Tree(*window);
        emit tree->doubleClicked(tree->CommandModel()->index(0, 1));
        QCOMPARE(FState->Written, QByteArray("plain"));
        emit tree->doubleClicked(tree->CommandModel()->index(1, 0));
        QCOMPARE(FState->Written, QByteArray("plain"));
    }

    void expandingAGroupIsRemembered()
    {
        TScriptedDialogs prompts;
        TTempSettings settings;
        // An unreadable flag leaves the group closed and breaks nothing.
        auto window = MakeWindow(R"(<MRU Name="G" Expanded="kaputt"><MRU Name="a" Text=""/></MRU>)");
        QVERIFY(!Tree(*window)->isExpanded(NodeNamed(*window, "G")));
        Tree(*window)->expand(NodeNamed(*window, "G"));
        QCOMPARE(Attr(Root().child("MRU"), "Expanded"), QStringLiteral("true"));
        Tree(*window)->collapse(NodeNamed(*window, "G"));
        QCOMPARE(Attr(Root().child("MRU"), "Expanded"), QStringLiteral("false"));
        QVERIFY(prompts.Errors.isEmpty());
    }

    void aCommandWithParametersGoesThroughAPty()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty())
            QFAIL("socat is needed for the pty tests (./test installs it)");
        TScriptedDialogs prompts;
        TTempSettings settings;
        TPtyPair pair;
        QString why;
        QVERIFY2(pair.Start(&why), qPrintable(why));
        constexpr int kPort = 150;
        QVERIFY(TPortRegistry::Instance().Bind(kPort, pair.ProgramEnd()));
        SetTree(
            R"(<MRU Name="Baudrate" ShortCut="F7" Text="AT+BAUD=/Param Name=&quot;Baud&quot; Group=&quot;Port&quot; Default=&quot;9600&quot; /Param/cr/"/>)");
        auto window = std::make_unique<TfrmMainWindow>(kPort);
        window->show();
        WithoutPostfix(*window);
        Action(*window, "acComOn")->trigger();
        QVERIFY(window->Com()->Opened());
        const int peer = pair.OpenPeer();
        QVERIFY(peer >= 0);

        QString caption;
        prompts.DialogHandler = [&](QDialog* aDialog) {
            auto* input = qobject_cast<TfrmRecordInput*>(aDialog);
            if (!input)
                return int(QDialog::Rejected);
            caption = input->windowTitle();
            input->show();
            if (!QTest::qWaitFor([input] { return input->IsEditing(); }))
                return int(QDialog::Rejected);
            auto* editor = qobject_cast<QLineEdit*>(input->Editor());
            editor->selectAll();
            QTest::keyClicks(editor, QStringLiteral("19200"));
            QTest::keyClick(editor, Qt::Key_Return);
            input->close();
            return input->result();
        };
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(FindChildOrDie<QLineEdit>(*window, "edSend"), Qt::Key_F7);
        QCOMPARE(caption, QStringLiteral("Input (Baudrate)"));

        QByteArray received;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                char buffer[256];
                const ssize_t n = ::read(peer, buffer, sizeof buffer);
                if (n > 0)
                    received.append(buffer, int(n));
                return received.endsWith('\r');
            }(),
            5000);
        QCOMPARE(received, QByteArray("AT+BAUD=19200\r"));
        ::close(peer);
        window.reset();
        TPortRegistry::Instance().Unbind(kPort);
    }
};

QTEST_MAIN(TstCommandLibrary)
#include "tst_CommandLibrary.moc"
