// The parameter input dialog: how the Fields document becomes a tree, editing values in
// place with the keyboard, closing without losing values, enumerations and name look-ups.
#include "commands/RecordInput.h"

#include "base/VarnexError.h"
#include "controls/MvEdit.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTreeView>
#include <QtTest>

namespace {

// "#Port,Baud=9600,x" adds heading Port, number item Baud and number item x with value 0.
void AddItems(TfrmRecordInput& aDialog, const QString& aItems)
{
    for (const QString& entry : aItems.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (entry.startsWith(QLatin1Char('#')))
            aDialog.AddItem(entry.mid(1));
        else
            aDialog.AddItem(entry.section(QLatin1Char('='), 0, 0),
                            entry.contains(QLatin1Char('=')) ? entry.section(QLatin1Char('='), 1)
                                                             : QStringLiteral("0"),
                            dtNumber);
    }
}

// The tree as text: "Port[Baud=9600],x=0".
QString Outline(const QAbstractItemModel& aModel, const QModelIndex& aParent = {})
{
    QStringList nodes;
    for (int row = 0; row < aModel.rowCount(aParent); ++row) {
        const QModelIndex name = aModel.index(row, 0, aParent);
        QString node = name.data().toString();
        const QString value = aModel.index(row, 1, aParent).data().toString();
        if (!value.isEmpty())
            node += QLatin1Char('=') + value;
        if (aModel.rowCount(name) > 0)
            node += QLatin1Char('[') + Outline(aModel, name) + QLatin1Char(']');
        nodes << node;
    }
    return nodes.join(QLatin1Char(','));
}

QTreeView* TreeOf(TfrmRecordInput& aDialog)
{
    return aDialog.findChild<QTreeView*>(QStringLiteral("vtRecordInput"));
}

QString EditedName(TfrmRecordInput& aDialog)
{
    return aDialog.IsEditing() ? TreeOf(aDialog)->currentIndex().siblingAtColumn(0).data().toString()
                               : QString();
}

void Key(int aKey)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(aKey));
}

} // namespace

class TstRecordInput : public QObject
{
    Q_OBJECT

public:
    // Gaps on purpose: a choice's value is not its place in the list.
    enum TGapped { gFirst = 1, gSecond = 5, gThird = 9 };
    Q_ENUM(TGapped)
    enum TWayOut { wEscape, wCloseButton, wWindowClose };

private:
    // Builds the tree and shows the dialog the way ExecDialog would, but without blocking.
    bool Show(TfrmRecordInput& aDialog, const QString& aItems)
    {
        AddItems(aDialog, aItems);
        aDialog.BuildTree();
        aDialog.show();
        aDialog.activateWindow();
        return QTest::qWaitForWindowActive(&aDialog);
    }

private slots:
    void Tree_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("outline");
        QTest::newRow("same group twice") << "#Port,Baud=9600,#Port,Bits=8"
                                          << "Port[Baud=9600],Port[Bits=8]";
        QTest::newRow("value before any heading") << "Timeout=5,#Port,Baud=9600"
                                                  << "Timeout=5,Port[Baud=9600]";
    }
    void Tree()
    {
        QFETCH(QString, items);
        QFETCH(QString, outline);
        TfrmRecordInput dialog;
        AddItems(dialog, items);
        dialog.BuildTree();
        QCOMPARE(Outline(*TreeOf(dialog)->model()), outline);
    }

    void HeadingsAreMarkedAndNotEditable()
    {
        TfrmRecordInput dialog;
        AddItems(dialog, QStringLiteral("#Port,Baud=9600"));
        dialog.BuildTree();
        const QAbstractItemModel& model = *TreeOf(dialog)->model();
        const QModelIndex heading = model.index(0, 0);
        const QFont font = heading.data(Qt::FontRole).value<QFont>();
        QVERIFY(font.bold() && font.underline());
        QVERIFY(!(model.index(0, 1).flags() & Qt::ItemIsEditable));
        QVERIFY(!(model.index(0, 0, heading).flags() & Qt::ItemIsEditable));
        QVERIFY(model.index(0, 1, heading).flags() & Qt::ItemIsEditable);
    }

    void TypedValueIsStoredAndSecondEnterCloses()
    {
        TfrmRecordInput dialog;
        QVERIFY(Show(dialog, QStringLiteral("#Port,Baud=9600,#Port,Bits=8")));
        QCOMPARE(EditedName(dialog), QStringLiteral("Baud"));
        auto* edit = qobject_cast<TMvEdit*>(dialog.Editor());
        QVERIFY(edit && edit->NumMode());
        QCOMPARE(edit->text(), QStringLiteral("9600"));

        QTest::keyClicks(edit, QStringLiteral("19200"));
        Key(Qt::Key_Return);
        QCOMPARE(dialog.ValueByName(QStringLiteral("Baud"), QString()), QStringLiteral("19200"));
        QVERIFY(!dialog.IsEditing());
        QVERIFY(dialog.isVisible());

        Key(Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void ArrowKeysWalkTheTree()
    {
        TfrmRecordInput dialog;
        QVERIFY(Show(dialog, QStringLiteral("a=1,b=2,#Port,c=3")));
        Key(Qt::Key_Down);
        QCOMPARE(EditedName(dialog), QStringLiteral("b"));
        QTest::keyClicks(dialog.Editor(), QStringLiteral("22"));
        Key(Qt::Key_Up);
        QCOMPARE(dialog.ValueByName(QStringLiteral("b"), QString()), QStringLiteral("22"));
        QCOMPARE(EditedName(dialog), QStringLiteral("a"));

        // Down onto a heading ends editing; Down in the tree goes on into the group.
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        QVERIFY(!dialog.IsEditing());
        QCOMPARE(TreeOf(dialog)->currentIndex().data().toString(), QStringLiteral("Port"));
        Key(Qt::Key_Down);
        QCOMPARE(EditedName(dialog), QStringLiteral("c"));

        // Down in the last value keeps what was typed and leaves nothing focused.
        QTest::keyClicks(dialog.Editor(), QStringLiteral("33"));
        Key(Qt::Key_Down);
        QCOMPARE(dialog.ValueByName(QStringLiteral("c"), QString()), QStringLiteral("33"));
        QVERIFY(!dialog.IsEditing());
        QVERIFY(!TreeOf(dialog)->currentIndex().isValid());
        QVERIFY(TreeOf(dialog)->selectionModel()->selectedIndexes().isEmpty());
    }

    void EveryWayOutKeepsOrRevertsTheEdit_data()
    {
        QTest::addColumn<int>("way");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("Escape reverts, then closes") << int(wEscape) << "9600" << true;
        QTest::newRow("Close stores, then closes") << int(wCloseButton) << "5" << true;
        QTest::newRow("window close stores and closes") << int(wWindowClose) << "5" << false;
    }
    void EveryWayOutKeepsOrRevertsTheEdit()
    {
        QFETCH(int, way);
        QFETCH(QString, stored);
        QFETCH(bool, staysOpen);
        TfrmRecordInput dialog;
        QVERIFY(Show(dialog, QStringLiteral("Baud=9600")));
        QTest::keyClicks(dialog.Editor(), QStringLiteral("5"));
        const auto leave = [&] {
            if (way == wEscape)
                Key(Qt::Key_Escape);
            else if (way == wCloseButton)
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("butOK")), Qt::LeftButton);
            else
                dialog.close();
        };
        leave();
        QVERIFY(!dialog.IsEditing());
        QCOMPARE(dialog.ValueByName(QStringLiteral("Baud"), QString()), stored);
        QCOMPARE(dialog.isVisible(), staysOpen);
        if (staysOpen)
            leave();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void ValueByName_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("first of two") << "x=1,x=2"
                                      << "x"
                                      << "1";
        QTest::newRow("only a heading") << "#Port,Baud=1"
                                        << "Port"
                                        << "default";
        QTest::newRow("unknown") << "a=1"
                                 << "b"
                                 << "default";
        QTest::newRow("apostrophe") << "it's=3"
                                    << "it's"
                                    << "3";
        QTest::newRow("quotes") << "\"a\"=4,'b'=5"
                                << "'b'"
                                << "5";
    }
    void ValueByName()
    {
        QFETCH(QString, items);
        QFETCH(QString, name);
        QFETCH(QString, value);
        TfrmRecordInput dialog;
        AddItems(dialog, items);
        QCOMPARE(dialog.ValueByName(name, QStringLiteral("default")), value);
    }

    void EnumFromCommaText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("choices");
        QTest::newRow("commas and blanks") << " a b , c " << QStringList{"a", "b", "c"};
        QTest::newRow("quoted") << "\"x, y\",z" << QStringList{"x, y", "z"};
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""};
        QTest::newRow("empty entries") << "a,,b," << QStringList{"a", "", "b", ""};
    }
    void EnumFromCommaText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, choices);
        TfrmRecordInput dialog;
        dialog.AddEnum(QStringLiteral("e"), 0, text);
        QStringList names;
        int index = 0;
        for (pugi::xml_node choice : dialog.Dom().document_element().child("Item").children("Enum")) {
            names << QString::fromUtf8(choice.attribute("Name").value());
            QCOMPARE(choice.attribute("Value").as_int(-1), index++);
        }
        QCOMPARE(names, choices);
    }

    void EnumIsShownAndChosenByName()
    {
        TfrmRecordInput dialog;
        dialog.AddEnum(QStringLiteral("Parität"), 1, QStringLiteral("None,Odd,Even"));
        dialog.AddEnum(QStringLiteral("Lost"), 7, QStringLiteral("a,b"));
        dialog.AddEnum(QStringLiteral("Gapped"), gSecond, QMetaEnum::fromType<TGapped>());
        QVERIFY(Show(dialog, QString()));
        QCOMPARE(Outline(*TreeOf(dialog)->model()), QStringLiteral("Parität=Odd,Lost,Gapped=gSecond"));

        auto* list = qobject_cast<QComboBox*>(dialog.Editor());
        QVERIFY(list && !list->isEditable());
        QCOMPARE(list->currentText(), QStringLiteral("Odd"));
        list->setCurrentIndex(2);
        Key(Qt::Key_Return);
        QCOMPARE(dialog.ValueByName(QStringLiteral("Parität"), QString()), QStringLiteral("2"));

        TreeOf(dialog)->setCurrentIndex(TreeOf(dialog)->model()->index(2, 0));
        list = qobject_cast<QComboBox*>(dialog.Editor());
        QVERIFY(list);
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->currentText(), QStringLiteral("gSecond"));
        list->setCurrentIndex(2);
        Key(Qt::Key_Return);
        QCOMPARE(dialog.ValueByName(QStringLiteral("Gapped"), QString()), QString::number(gThird));
        QCOMPARE(TreeOf(dialog)->model()->index(2, 1).data().toString(), QStringLiteral("gThird"));
    }

    void UnknownDataTypeIsReportedBeforeShowing()
    {
        TScriptedDialogs prompts;
        TfrmRecordInput dialog;
        AddItems(dialog, QStringLiteral("Baud=9600"));
        pugi::xml_node item = dialog.Dom().document_element().child("Item");
        item.attribute("DataType").set_value("dtColor");
        const QString expected = QStringLiteral("TfrmRecordInput.GetValueFromNode: Datentyp niht definiert.");
        try {
            TfrmRecordInput::GetValueFromNode(item);
            QFAIL("no error");
        } catch (const EVarnexError& e) {
            QCOMPARE(e.Message(), expected);
        }
        QVERIFY_THROWS_EXCEPTION(EVarnexError, dialog.ShowRecord());
        QCOMPARE(prompts.DialogsShown, 0);
    }
};

QTEST_MAIN(TstRecordInput)
#include "tst_RecordInput.moc"
