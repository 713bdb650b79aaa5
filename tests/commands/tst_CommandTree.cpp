// Operations on the command tree in the settings document, command files, and the model the
// tree view reads.
#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/ShortCutText.h"
#include "settings/XMLGlobal.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFont>
#include <QSet>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace CommandTree;

namespace {

// Trees are written compactly: a command is its name, a group its name with its children in
// parentheses ("G1(a,b),c,G2()").
QString Xml(QString aShape)
{
    aShape.replace(QRegularExpression(QStringLiteral("(\\w+)\\(")), QStringLiteral("<MRU Name=\"\\1\">"));
    aShape.replace(QRegularExpression(QStringLiteral("(\\w+)(?=[,)]|$)")),
                   QStringLiteral("<MRU Name=\"\\1\" Text=\"\\1-text\"/>"));
    aShape.replace(QLatin1Char(')'), QStringLiteral("</MRU>")).remove(QLatin1Char(','));
    return QStringLiteral("<Body><SendMRU>") + aShape + QStringLiteral("</SendMRU></Body>");
}

QString Shape(pugi::xml_node aParent)
{
    QStringList parts;
    for (pugi::xml_node child : aParent.children()) {
        QString part = QString::fromUtf8(child.attribute("Name").value());
        if (child.type() != pugi::node_element || std::strcmp(child.name(), "MRU") != 0)
            part = QStringLiteral("<foreign>");
        else if (!IsCommandElement(child))
            part += QLatin1Char('(') + Shape(child) + QLatin1Char(')');
        parts << part;
    }
    return parts.join(QLatin1Char(','));
}

struct TTree
{
    explicit TTree(const QString& aXml)
    {
        QString error;
        if (!LoadXMLText(Doc, aXml, &error))
            qFatal("bad test XML: %s", qPrintable(error));
        Root = Doc.document_element().child("SendMRU");
    }
    pugi::xml_node operator[](const QString& aName) const
    {
        if (aName.isEmpty())
            return {};
        return Doc.select_node(QStringLiteral("//MRU[@Name='%1']").arg(aName).toUtf8().constData()).node();
    }
    QList<pugi::xml_node> Nodes(const QString& aNames) const
    {
        QList<pugi::xml_node> nodes;
        for (const QString& name : aNames.split(QLatin1Char(','), Qt::SkipEmptyParts))
            nodes << (*this)[name];
        return nodes;
    }
    QString Attr(const QString& aName, const char* aAttr) const
    {
        return QString::fromUtf8((*this)[aName].attribute(aAttr).value());
    }
    pugi::xml_document Doc;
    pugi::xml_node Root;
};

} // namespace

class TstCommandTree : public QObject
{
    Q_OBJECT

private slots:
    void IsCommand_data()
    {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<bool>("command");
        QTest::newRow("empty Text") << "<MRU Name=\"x\" Text=\"\"/>" << true;
        QTest::newRow("Text") << "<MRU Text=\"AT\"/>" << true;
        QTest::newRow("no Text") << "<MRU Name=\"x\" ShortCut=\"F1\"/>" << false;
        QTest::newRow("no attributes") << "<MRU/>" << false;
    }
    void IsCommand()
    {
        QFETCH(QString, xml);
        QFETCH(bool, command);
        pugi::xml_document doc;
        QVERIFY(LoadXMLText(doc, xml, nullptr));
        QCOMPARE(IsCommandElement(doc.document_element()), command);
        QVERIFY(!IsCommandElement(pugi::xml_node()));
    }

    void Add_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("after a command in the middle") << "c"
                                                       << "G1(a,b),c,n,G2(),d";
        QTest::newRow("after the last command") << "d"
                                                << "G1(a,b),c,G2(),d,n";
        QTest::newRow("after a command inside a group") << "a"
                                                        << "G1(a,n,b),c,G2(),d";
        QTest::newRow("after the last command of a group") << "b"
                                                           << "G1(a,b,n),c,G2(),d";
        QTest::newRow("into a group") << "G1"
                                      << "G1(a,b,n),c,G2(),d";
        QTest::newRow("into an empty group") << "G2"
                                             << "G1(a,b),c,G2(n),d";
        QTest::newRow("nothing selected") << ""
                                          << "G1(a,b),c,G2(),d,n";
    }
    void Add()
    {
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        TTree tree(Xml(QStringLiteral("G1(a,b),c,G2(),d")));
        pugi::xml_document source;
        QVERIFY(
            LoadXMLText(source, QStringLiteral("<MRU Name=\"n\" Text=\"new\" ShortCut=\"F7\"/>"), nullptr));
        const pugi::xml_node placed = AddElement(tree.Root, tree[selected], source.document_element());
        QCOMPARE(Shape(tree.Root), expected);
        QVERIFY(placed == tree["n"]);
        QCOMPARE(tree.Attr("n", "ShortCut"), QStringLiteral("F7"));
    }

    void Remove_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("expected");
        QTest::newRow("group with all its children") << "G1,a,G3,e"
                                                     << "c,G2(),d";
        QTest::newRow("group with one child") << "G1,b"
                                              << "c,G2(),d";
        QTest::newRow("inner group and its child") << "G3,e,c"
                                                   << "G1(a,b),G2(),d";
        QTest::newRow("scattered commands") << "a,e,d"
                                            << "G1(b,G3()),c,G2()";
    }
    void Remove()
    {
        QFETCH(QString, selected);
        QFETCH(QString, expected);
        TTree tree(Xml(QStringLiteral("G1(a,b,G3(e)),c,G2(),d")));
        RemoveElements(tree.Nodes(selected));
        QCOMPARE(Shape(tree.Root), expected);
    }

    void Move_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("target"); // empty: the top level
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("refused");
        QTest::newRow("onto a command: directly before it") << "d"
                                                            << "a"
                                                            << "G1(d,a,b,G3(e)),c,G2()" << false;
        QTest::newRow("onto a command at the top level") << "b"
                                                         << "d"
                                                         << "G1(a,G3(e)),c,G2(),b,d" << false;
        QTest::newRow("onto a group: appended") << "c"
                                                << "G1"
                                                << "G1(a,b,G3(e),c),G2(),d" << false;
        QTest::newRow("onto an empty group") << "e"
                                             << "G2"
                                             << "G1(a,b,G3()),c,G2(e),d" << false;
        QTest::newRow("onto the top level: at the end") << "a"
                                                        << ""
                                                        << "G1(b,G3(e)),c,G2(),d,a" << false;
        QTest::newRow("several onto a command: reversed") << "a,c"
                                                          << "d"
                                                          << "G1(b,G3(e)),G2(),c,a,d" << false;
        QTest::newRow("several onto a group: reversed") << "a,e,c"
                                                        << "G2"
                                                        << "G1(b,G3()),G2(c,e,a),d" << false;
        QTest::newRow("several onto the top level: reversed") << "G3,c"
                                                              << ""
                                                              << "G1(a,b),G2(),d,c,G3(e)" << false;
        QTest::newRow("command onto itself stays") << "c"
                                                   << "c"
                                                   << "G1(a,b,G3(e)),c,G2(),d" << false;
        QTest::newRow("group onto itself") << "G3"
                                           << "G3"
                                           << "G1(a,b,G3(e)),c,G2(),d" << true;
        QTest::newRow("group and its child onto the group") << "G3,e"
                                                            << "G3"
                                                            << "G1(a,b,G3(e)),c,G2(),d" << true;
        QTest::newRow("group into its own subgroup") << "G1"
                                                     << "G3"
                                                     << "G1(a,b,G3(e)),c,G2(),d" << true;
        QTest::newRow("group before its own descendant") << "G1"
                                                         << "e"
                                                         << "G1(a,b,G3(e)),c,G2(),d" << true;
        QTest::newRow("earlier moves stay") << "G1,d"
                                            << "e"
                                            << "G1(a,b,G3(d,e)),c,G2()" << true;
    }
    void Move()
    {
        QFETCH(QString, selected);
        QFETCH(QString, target);
        QFETCH(QString, expected);
        QFETCH(bool, refused);
        TTree tree(Xml(QStringLiteral("G1(a,b,G3(e)),c,G2(),d")));
        const QString message =
            MoveElements(tree.Nodes(selected), target.isEmpty() ? tree.Root : tree[target]);
        QCOMPARE(Shape(tree.Root), expected);
        QCOMPARE(!message.isEmpty(), refused);
    }

    void FindShortCut_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("found");
        QTest::newRow("first in document order") << "F2"
                                                 << "b";
        QTest::newRow("exact") << "Strg+F3"
                               << "d";
        QTest::newRow("case matters") << "strg+f3"
                                      << "";
        QTest::newRow("other prefix order") << "Alt+Umsch+F4"
                                            << "";
        QTest::newRow("no partial match") << "F"
                                          << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void FindShortCut()
    {
        QFETCH(QString, text);
        QFETCH(QString, found);
        TTree tree(
            QStringLiteral("<Body><SendMRU><MRU Name=\"G\"><MRU Name=\"a\" Text=\"\" ShortCut=\"F1\"/>"
                           "<MRU Name=\"b\" Text=\"\" ShortCut=\"F2\"/></MRU><MRU Name=\"c\" Text=\"\" "
                           "ShortCut=\"F2\"/><MRU Name=\"d\" Text=\"\" ShortCut=\"Strg+F3\"/>"
                           "<MRU Name=\"e\" Text=\"\" ShortCut=\"Umsch+Alt+F4\"/><MRU Name=\"f\" "
                           "Text=\"\" ShortCut=\"\"/></SendMRU></Body>"));
        const pugi::xml_node node = FindByShortCut(tree.Root, text);
        QCOMPARE(QString::fromUtf8(node.attribute("Name").value()), found);
        QCOMPARE(bool(node), !found.isEmpty());
    }

    void RemoveShortCutsKeepsGroups()
    {
        TTree tree(QStringLiteral("<Body><SendMRU><MRU Name=\"G\" ShortCut=\"F9\" Expanded=\"True\">"
                                  "<MRU Name=\"a\" Text=\"x\" ShortCut=\"F1\"/></MRU>"
                                  "<MRU Name=\"b\" Text=\"\" ShortCut=\"Strg+F2\"/></SendMRU></Body>"));
        RemoveShortCuts(tree.Root);
        QVERIFY(!tree["a"].attribute("ShortCut"));
        QVERIFY(!tree["b"].attribute("ShortCut"));
        QCOMPARE(tree.Attr("a", "Text"), QStringLiteral("x"));
        QCOMPARE(tree.Attr("G", "ShortCut"), QStringLiteral("F9"));
        QCOMPARE(tree.Attr("G", "Expanded"), QStringLiteral("True"));
    }

    void Generate_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "F1";
        QTest::newRow("12") << 12 << "F12";
        QTest::newRow("13") << 13 << "Umsch+F1";
        QTest::newRow("25") << 25 << "Strg+F1";
        QTest::newRow("37") << 37 << "Alt+F1";
        QTest::newRow("49") << 49 << "Umsch+Strg+F1";
        QTest::newRow("61") << 61 << "Umsch+Alt+F1";
        QTest::newRow("73") << 73 << "Strg+Alt+F1";
        QTest::newRow("96") << 96 << "Umsch+Strg+Alt+F12";
        QTest::newRow("0") << 0 << "";
        QTest::newRow("97") << 97 << "";
    }
    void Generate()
    {
        QFETCH(int, number);
        QFETCH(QString, text);
        const QKeyCombination key = GenerateShortCut(number);
        QCOMPARE(ShortCutToText(key), text);
        QCOMPARE(IsShortCut(key), !text.isEmpty());
    }

    void RenumberSkipsGroups()
    {
        TTree tree(Xml(QStringLiteral("G1(a,b),G2(c),d")));
        Renumber(tree.Root, [](QKeyCombination) { return false; });
        const QStringList expected{"F1", "F2", "F3", "F4"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(tree.Attr(QString(QLatin1Char('a' + i)), "ShortCut"), expected[i]);
        for (const char* group : {"G1", "G2"}) {
            const pugi::xml_node node = tree[QString::fromLatin1(group)];
            QVERIFY(!node.attribute("ShortCut"));
            QVERIFY(!node.attribute("Text"));
        }
    }

    // The menu's own shortcuts are never handed out; once the 96 candidates are used up, the
    // remaining commands keep theirs.
    void RenumberHundredCommands()
    {
        QString xml = QStringLiteral("<Body><SendMRU>");
        for (int i = 1; i <= 100; ++i)
            xml += QStringLiteral("<MRU Name=\"c%1\" Text=\"\" ShortCut=\"old%1\"/>").arg(i);
        TTree tree(xml + QStringLiteral("</SendMRU></Body>"));
        QSet<QString> menu{QStringLiteral("Alt+F4"), QStringLiteral("Strg+O"), QStringLiteral("Umsch+Entf"),
                           QStringLiteral("Eingabe")};
        Renumber(tree.Root, [&](QKeyCombination aKey) { return menu.contains(ShortCutToText(aKey)); });
        for (int i = 1; i <= 95; ++i)
            QCOMPARE(tree.Attr(QStringLiteral("c%1").arg(i), "ShortCut"),
                     ShortCutToText(GenerateShortCut(i < 40 ? i : i + 1)));
        QCOMPARE(tree.Attr("c40", "ShortCut"), QStringLiteral("Alt+F5"));
        QCOMPARE(tree.Attr("c95", "ShortCut"), QStringLiteral("Umsch+Strg+Alt+F12"));
        for (int i = 96; i <= 100; ++i)
            QCOMPARE(tree.Attr(QStringLiteral("c%1").arg(i), "ShortCut"), QStringLiteral("old%1").arg(i));
    }

    void SaveAndReload()
    {
        const QString content = QStringLiteral(
            "<MRU Name=\"Modem\" Expanded=\"True\"><MRU Name=\"Reset &amp; &lt;init&gt; &quot;ä&quot;\" "
            "Text=\"ATZ/cr/\" ShortCut=\"Strg+F1\"/><MRU Name=\"Leer\" Text=\"\"/><MRU Name=\"Tief\">"
            "<MRU Text=\"  zwei  Leerzeichen \" ShortCut=\"Umsch+Alt+Entf\"/></MRU></MRU>"
            "<MRU Name=\"Zu\" Expanded=\"False\"/><MRU Name=\"oben\" Text=\"//x/0D/\"/>");
        TTree source(QStringLiteral("<Body><SendMRU>%1</SendMRU></Body>").arg(content));
        pugi::xml_document file;
        CopyTreeInto(source.Root, file);
        file.document_element().append_child("Interface").append_attribute("Port") = "7";
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kommandos.xml"));
        SaveXMLFile(file, path);

        pugi::xml_document loaded;
        QString error;
        QVERIFY2(ReadCommandFile(path, loaded, &error), qPrintable(error));
        TTree target(Xml(QStringLiteral("old,G(x)")));
        ReplaceTree(target.Root, loaded);
        QCOMPARE(DocumentToXML(target.Root), DocumentToXML(source.Root));
        QCOMPARE(Shape(target.Root), QStringLiteral("Modem(Reset & <init> \"ä\",Leer,Tief()),Zu(),oben"));
    }

    void ReadFailures_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no file at all
        QTest::newRow("malformed") << QByteArray("<Body><MRU Text=\"x\"></Body>");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("not a command file")
            << QByteArray("<?xml version=\"1.0\"?><Settings><MRU Text=\"x\"/></Settings>");
    }
    void ReadFailures()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Kommandos.xml"));
        if (!content.isNull()) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        pugi::xml_document loaded;
        QString error;
        QVERIFY(!ReadCommandFile(path, loaded, &error));
        QVERIFY(!error.isEmpty());
    }

    // Only top-level "MRU" elements count, and nothing but "MRU" elements stays inside them,
    // so a node's position among its siblings addresses its element.
    void ReplaceTakesOnlyCommandElements()
    {
        pugi::xml_document file;
        QVERIFY(LoadXMLText(
            file,
            QStringLiteral(
                "<Body><MRU Name=\"a\" Text=\"1\"/><!--note--><Interface Port=\"7\"/><Foo Name=\"f\" "
                "Text=\"\"/>"
                "<MRU Name=\"G\">text<!--x--><MRU Name=\"b\" Text=\"2\"/><Bar/><MRU Name=\"H\"><?pi x?>"
                "<MRU Name=\"c\" Text=\"\"/>tail</MRU></MRU><MRU Name=\"d\" Text=\"4\"/></Body>"),
            nullptr));
        TTree target(Xml(QStringLiteral("old,G0(x)")));
        ReplaceTree(target.Root, file);
        QCOMPARE(Shape(target.Root), QStringLiteral("a,G(b,H(c)),d"));
    }

    void ModelShape()
    {
        TTree tree(Xml(QStringLiteral("G1(a,G3(e,f)),c,G2()")));
        TCommandTreeModel model;
        model.SetRoot(tree.Root);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex g1 = model.index(0, 0);
        const QModelIndex g3 = model.index(1, 0, g1);
        QCOMPARE(model.rowCount(g1), 2);
        QCOMPARE(model.rowCount(g3), 2);
        QCOMPARE(model.rowCount(model.index(2, 0)), 0);
        QCOMPARE(model.rowCount(model.index(0, 1)), 0);
        QVERIFY(model.Element(g3) == tree["G3"]);
        QVERIFY(model.Element(model.index(1, 0, g3)) == tree["f"]);
        QCOMPARE(model.parent(model.index(1, 2, g3)), g3);
        QCOMPARE(model.parent(g3), g1);
        QVERIFY(!model.parent(g1).isValid());
        QVERIFY(!model.index(2, 0, g1).isValid());
        QVERIFY(!model.index(0, 3).isValid());
        QCOMPARE(model.IndexOf(tree["e"]), model.index(0, 0, g3));
        QCOMPARE(model.NodeCount(), 7);
    }

    void ModelCells_data()
    {
        QTest::addColumn<QString>("node");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("editable");
        QTest::newRow("group name") << "G" << 0 << "G" << true << true;
        QTest::newRow("group text") << "G" << 1 << "" << false << false;
        QTest::newRow("group shortcut") << "G" << 2 << "" << false << false;
        QTest::newRow("command name") << "full" << 0 << "full" << false << true;
        QTest::newRow("command text") << "full" << 1 << "AT/cr/" << false << true;
        QTest::newRow("command shortcut") << "full" << 2 << "Strg+F3" << false << true;
        QTest::newRow("empty text is a blank") << "bare" << 1 << " " << false << true;
        QTest::newRow("no shortcut is a blank") << "bare" << 2 << " " << false << true;
    }
    void ModelCells()
    {
        QFETCH(QString, node);
        QFETCH(int, column);
        QFETCH(QString, display);
        QFETCH(bool, bold);
        QFETCH(bool, editable);
        TTree tree(
            QStringLiteral("<Body><SendMRU><MRU Name=\"G\"><MRU Name=\"full\" Text=\"AT/cr/\" "
                           "ShortCut=\"Strg+F3\"/></MRU><MRU Name=\"bare\" Text=\"\"/></SendMRU></Body>"));
        TCommandTreeModel model;
        model.SetRoot(tree.Root);
        const QModelIndex index = model.IndexOf(tree[node], column);
        QCOMPARE(model.data(index).toString(), display);
        QCOMPARE(model.data(index, Qt::FontRole).value<QFont>().bold(), bold);
        QCOMPARE(bool(model.flags(index) & Qt::ItemIsEditable), editable);
    }

    void ModelNodePath()
    {
        TTree tree(Xml(QStringLiteral("x,G(a,b,c,d,H(e,f,g,h,i)),y")));
        TCommandTreeModel model;
        model.SetRoot(tree.Root);
        QCOMPARE(model.NodePath({}), QStringLiteral("/Body/SendMRU"));
        for (const char* name : {"x", "y", "H", "i"}) {
            const QModelIndex index = model.IndexOf(tree[name], 2);
            QVERIFY(SelectSingleNode(tree.Doc, model.NodePath(index)) == tree[name]);
        }
        QCOMPARE(model.NodePath(model.IndexOf(tree["H"])), QStringLiteral("/Body/SendMRU/MRU[2]/MRU[5]"));
    }

    // Defaults stand in for the markup only on screen, editing works on the real text, and a
    // text that does not parse is reported once, not on every repaint.
    void ModelHideParameter()
    {
        const QString text = QStringLiteral("AT/Param Name=\"x\" Default=\"5\" /Param/cr/");
        TTree tree(QStringLiteral("<Body><SendMRU/></Body>"));
        tree.Root.append_child("MRU").append_attribute("Text") = text.toUtf8().constData();
        tree.Root.append_child("MRU").append_attribute("Text") = "AT/Param Name=\"x /Param";
        TCommandTreeModel model;
        model.SetRoot(tree.Root);
        QCOMPARE(model.data(model.index(0, 1)).toString(), text);
        model.SetHideParameter(true);
        model.Refresh();
        QSignalSpy signal(&model, &TCommandTreeModel::DisplayErrors);
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("AT5/cr/"));
        QCOMPARE(model.data(model.index(0, 1), Qt::EditRole).toString(), text);
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < 5; ++i)
                model.data(model.index(1, 1));
            QCoreApplication::processEvents();
            const QStringList errors = model.TakeDisplayErrors();
            QCOMPARE(errors.size(), round == 0 ? 1 : 0);
            QVERIFY(round > 0 || !errors.first().isEmpty());
            QCOMPARE(signal.count(), 1);
            model.Refresh();
        }
    }
};

QTEST_MAIN(TstCommandTree)
#include "tst_CommandTree.moc"
