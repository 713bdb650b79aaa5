// Window placement in the settings file: where a window was, its size and state, kept on the
// desktop when it comes back.
#include "TempSettings.h"

#include "settings/FormPlacement.h"
#include "settings/VarnexSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtTest>

#include <memory>

class TstFormPlacement : public QObject
{
    Q_OBJECT

private slots:
    void init() { FTemp = std::make_unique<TTempSettings>(); }
    void cleanup() { FTemp.reset(); }

    void loadUnknownFormOnlyClamps_data();
    void loadUnknownFormOnlyClamps();
    void loadFormClamps_data();
    void loadFormClamps();
    void dialogKeepsItsSize();
    void maximizedKeepsNormalPlacement();
    void saveFormLayout();
    void offlineStoreKeepsNoPlacement();

private:
    // Saves, forgets the store and starts a new one from the file.
    TVarnexSettings* Reload()
    {
        VarnexSettings()->SaveSettings();
        delete TVarnexSettings::AccessInstance(0);
        return VarnexSettings();
    }
    QRect Desktop() const { return QGuiApplication::primaryScreen()->geometry(); }

    std::unique_ptr<TTempSettings> FTemp;
};

void TstFormPlacement::loadUnknownFormOnlyClamps_data()
{
    QTest::addColumn<QRect>("before");
    QTest::addColumn<QRect>("after");

    const QRect d = Desktop();
    QTest::newRow("inside") << QRect(d.left() + 40, d.top() + 30, 200, 100)
                            << QRect(d.left() + 40, d.top() + 30, 200, 100);
    QTest::newRow("left of the desktop")
        << QRect(d.left() - 90, d.top() + 30, 200, 100) << QRect(d.left(), d.top() + 30, 200, 100);
    QTest::newRow("above the desktop")
        << QRect(d.left() + 40, d.top() - 500, 200, 100) << QRect(d.left() + 40, d.top(), 200, 100);
}

void TstFormPlacement::loadUnknownFormOnlyClamps()
{
    QFETCH(QRect, before);
    QFETCH(QRect, after);
    QWidget form;
    form.setGeometry(before);
    QVERIFY(!LoadForm(*VarnexSettings(), &form, QStringLiteral("Unknown"), false));
    QCOMPARE(form.geometry(), after);
    QCOMPARE(form.windowState(), Qt::WindowNoState);
    // Reading placement adds no Form.
    QVERIFY(!VarnexSettings()->GetFormsRoot().child("Form"));
}

void TstFormPlacement::loadFormClamps_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("expected");

    const QRect d = Desktop();
    const int right = d.left() + d.width();
    const int bottom = d.top() + d.height();
    QTest::newRow("inside") << QRect(d.left() + 10, d.top() + 20, 300, 200)
                            << QRect(d.left() + 10, d.top() + 20, 300, 200);
    QTest::newRow("left") << QRect(d.left() - 100, d.top() + 20, 300, 200)
                          << QRect(d.left(), d.top() + 20, 300, 200);
    QTest::newRow("above") << QRect(d.left() + 10, d.top() - 40, 300, 200)
                           << QRect(d.left() + 10, d.top(), 300, 200);
    QTest::newRow("left and above") << QRect(d.left() - 5000, d.top() - 5000, 300, 200)
                                    << QRect(d.left(), d.top(), 300, 200);
    QTest::newRow("beyond right") << QRect(right - 100, d.top() + 20, 300, 200)
                                  << QRect(right - 300, d.top() + 20, 300, 200);
    QTest::newRow("beyond bottom") << QRect(d.left() + 10, bottom - 50, 300, 200)
                                   << QRect(d.left() + 10, bottom - 200, 300, 200);
    QTest::newRow("far beyond both") << QRect(right + 4000, bottom + 4000, 300, 200)
                                     << QRect(right - 300, bottom - 200, 300, 200);
    QTest::newRow("exactly at the corner")
        << QRect(right - 300, bottom - 200, 300, 200) << QRect(right - 300, bottom - 200, 300, 200);
}

void TstFormPlacement::loadFormClamps()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, expected);

    pugi::xml_node element = VarnexSettings()->GetFormsRoot().append_child("Form");
    SetAttrString(element, QStringLiteral("Name"), QStringLiteral("Main"));
    SetAttrInt(element, QStringLiteral("Left"), stored.left());
    SetAttrInt(element, QStringLiteral("Top"), stored.top());
    SetAttrInt(element, QStringLiteral("Right"), stored.left() + stored.width());
    SetAttrInt(element, QStringLiteral("Bottom"), stored.top() + stored.height());
    SetAttrInt(element, QStringLiteral("State"), 1);

    QWidget form;
    form.setGeometry(50, 60, 120, 80);
    QCOMPARE(LoadForm(*VarnexSettings(), &form, QStringLiteral("Main"), false), element);
    QCOMPARE(form.geometry(), expected);
    QVERIFY(!form.isMaximized() && !form.isMinimized());
}

void TstFormPlacement::dialogKeepsItsSize()
{
    pugi::xml_node element = VarnexSettings()->GetFormsRoot().append_child("Form");
    SetAttrString(element, QStringLiteral("Name"), QStringLiteral("Dialog"));
    SetAttrInt(element, QStringLiteral("Left"), 30);
    SetAttrInt(element, QStringLiteral("Top"), 40);
    SetAttrInt(element, QStringLiteral("Right"), 630);
    SetAttrInt(element, QStringLiteral("Bottom"), 440);

    const QPoint origin = Desktop().topLeft();
    QWidget dialog;
    dialog.setGeometry(origin.x() + 5, origin.y() + 5, 250, 120);
    LoadForm(*VarnexSettings(), &dialog, QStringLiteral("Dialog"), true);
    QCOMPARE(dialog.size(), QSize(250, 120));
    QCOMPARE(dialog.pos(), QPoint(30, 40));

    QWidget window;
    window.setGeometry(origin.x() + 5, origin.y() + 5, 250, 120);
    LoadForm(*VarnexSettings(), &window, QStringLiteral("Dialog"), false);
    QCOMPARE(window.size(), QSize(600, 400));
}

void TstFormPlacement::maximizedKeepsNormalPlacement()
{
    const QRect normal(Desktop().topLeft() + QPoint(20, 30), QSize(320, 240));
    {
        QWidget form;
        form.setGeometry(normal);
        form.setWindowState(Qt::WindowMaximized);
        const pugi::xml_node element = SaveForm(*VarnexSettings(), &form, QStringLiteral("Main"));
        QCOMPARE(GetAttrInt(QStringLiteral("State"), element, 0), 3);
        QCOMPARE(GetAttrInt(QStringLiteral("Left"), element, 0), normal.left());
        QCOMPARE(GetAttrInt(QStringLiteral("Bottom"), element, 0), normal.top() + normal.height());
    }
    TVarnexSettings* settings = Reload();
    QWidget form;
    form.setGeometry(Desktop().topLeft().x() + 1, Desktop().topLeft().y() + 1, 100, 100);
    QVERIFY(LoadForm(*settings, &form, QStringLiteral("Main"), false));
    QVERIFY(form.isMaximized());
    QCOMPARE(form.normalGeometry(), normal);
}

void TstFormPlacement::saveFormLayout()
{
    const QRect placed(Desktop().topLeft() + QPoint(30, 40), QSize(200, 100));
    QWidget form;
    form.setGeometry(placed);
    const pugi::xml_node element = SaveForm(*VarnexSettings(), &form, QStringLiteral("Main"));
    QVERIFY(element);
    QCOMPARE(element.parent(), VarnexSettings()->GetElement(QStringLiteral("/Body/Forms"), false));
    QCOMPARE(FromXml(element.name()), QStringLiteral("Form"));
    QCOMPARE(AttributeNames(element),
             QStringList({"Name", "Left", "Top", "Right", "Bottom", "State", "Flags"}));
    const QStringList values = {QStringLiteral("Main"),
                                QString::number(placed.left()),
                                QString::number(placed.top()),
                                QString::number(placed.left() + placed.width()),
                                QString::number(placed.top() + placed.height()),
                                QStringLiteral("1"),
                                QStringLiteral("0")};
    QStringList stored;
    for (pugi::xml_attribute a : element.attributes())
        stored << FromXml(a.value());
    QCOMPARE(stored, values);

    QCOMPARE(ChildValues(element, "Position", "Name"), QStringList({"Min", "Max"}));
    int children = 0;
    for (pugi::xml_node position : element.children()) {
        ++children;
        QCOMPARE(FromXml(position.name()), QStringLiteral("Position"));
        QCOMPARE(AttributeNames(position), QStringList({"Name", "Left", "Top"}));
        QCOMPARE(GetAttrInt(QStringLiteral("Left"), position, -1), placed.left());
        QCOMPARE(GetAttrInt(QStringLiteral("Top"), position, -1), placed.top());
    }
    QCOMPARE(children, 2);

    // Saving again updates the same element, in the same order.
    form.move(placed.topLeft() + QPoint(5, 5));
    QCOMPARE(SaveForm(*VarnexSettings(), &form, QStringLiteral("Main")), element);
    QCOMPARE(AttributeNames(element),
             QStringList({"Name", "Left", "Top", "Right", "Bottom", "State", "Flags"}));
    QCOMPARE(GetAttrInt(QStringLiteral("Left"), element, -1), placed.left() + 5);
    QCOMPARE(VarnexSettings()->GetFormsRoot().select_nodes("Form").size(), size_t(1));

    // And reads back into another window.
    QWidget other;
    other.setGeometry(Desktop().topLeft().x(), Desktop().topLeft().y(), 10, 10);
    LoadForm(*Reload(), &other, QStringLiteral("Main"), false);
    QCOMPARE(other.geometry(), QRect(placed.topLeft() + QPoint(5, 5), placed.size()));
}

void TstFormPlacement::offlineStoreKeepsNoPlacement()
{
    TOfflineSettings offline;
    QWidget form;
    form.setGeometry(10, 10, 100, 50);
    QVERIFY(!SaveForm(offline, &form, QStringLiteral("Main")));
    QVERIFY(!LoadForm(offline, &form, QStringLiteral("Main"), false));
}

QTEST_MAIN(TstFormPlacement)
#include "tst_FormPlacement.moc"
