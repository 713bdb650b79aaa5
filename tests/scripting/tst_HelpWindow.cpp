#include "scripting/HelpWindow.h"
#include "terminal/RtfWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QtTest>

namespace {

struct TRun
{
    QString Text;
    bool Bold = false;
};

bool WriteHelpFile(const QString& aDirectory, const QList<TRun>& aRuns)
{
    QFile file(QDir(aDirectory).filePath(TfrmHelpWindow::HelpFileName()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    TRtfWriter writer(&file);
    writer.Begin(QStringLiteral("Arial"), 10);
    for (const TRun& run : aRuns)
        writer.Text(run.Text, run.Bold);
    return writer.End();
}

bool WriteRaw(const QString& aDirectory, const QByteArray& aData)
{
    QFile file(QDir(aDirectory).filePath(TfrmHelpWindow::HelpFileName()));
    return file.open(QIODevice::WriteOnly) && file.write(aData) == aData.size();
}

bool BoldAt(QTextDocument* aDocument, int aPosition)
{
    QTextCursor cursor(aDocument);
    cursor.setPosition(aPosition + 1);
    return cursor.charFormat().fontWeight() >= QFont::Bold;
}

} // namespace

class TstHelpWindow : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void builtInText();
    void exampleScript();
    void helpFileReplacesText();
    void damagedHelpFileFallsBack_data();
    void damagedHelpFileFallsBack();
    void programDirectoryByDefault();
    void centredOnParent();
    void keptOnScreen();
    void closeButton();
};

void TstHelpWindow::layout()
{
    QTemporaryDir dir;
    TfrmHelpWindow window(nullptr, dir.path());
    QCOMPARE(window.windowTitle(), QStringLiteral("Hilfe"));
    QCOMPARE(window.minimumSize(), QSize(640, 520));
    QCOMPARE(window.maximumSize(), QSize(640, 520));
    QCOMPARE(window.size(), QSize(640, 520));
    QVERIFY(window.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);

    auto* title = window.findChild<QLabel*>(QStringLiteral("laTitle"));
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("Informationen zur Verwendung von Scripten"));
    QVERIFY(title->font().bold());
    QVERIFY(title->font().underline());

    QTextBrowser* view = window.edHelpText();
    QVERIFY(view);
    QCOMPARE(view->objectName(), QStringLiteral("edHelpText"));
    QCOMPARE(window.findChild<QTextBrowser*>(QStringLiteral("edHelpText")), view);
    QVERIFY(view->isReadOnly());

    auto* close = window.findChild<QPushButton*>(QStringLiteral("bClose"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("Schließen"));
}

void TstHelpWindow::builtInText()
{
    QTemporaryDir dir;
    TfrmHelpWindow window(nullptr, dir.path());
    QVERIFY(!window.HelpTextFromFile());
    const QString text = window.edHelpText()->toPlainText();
    for (const char* expected : {
             "beginnt mit begin",
             "endet mit end.",
             "Vor begin",
             "genau einer Datei",
             "procedure ShowMessage(const aMsg: string);",
             "function CRC16(aInitCRC: cardinal; aText: String): WORD;",
             "function CRC32(aInitCRC: cardinal; aText: String): Cardinal;",
             "procedure Send(const aText: string);",
             "procedure writeln(const aText: string);",
             "procedure SetRTS(aSet: boolean);",
             "procedure SetDTR(aSet: boolean);",
             "function GetRTS/GetCTS/GetDSR/GetDTR/GetRing: boolean;",
             "Die Variable Text",
             "Empfangsscript",
         }) {
        QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
    // Every declaration has its line of explanation below it.
    for (const char* declaration : {"ShowMessage(", "CRC16(aInitCRC", "CRC32(aInitCRC", "Send(", "writeln(",
                                    "SetRTS(", "SetDTR(", "GetRing"}) {
        const QTextBlock block =
            window.edHelpText()->document()->find(QString::fromLatin1(declaration)).block();
        QVERIFY2(block.isValid(), declaration);
        const QStringList lines = block.text().split(QChar::LineSeparator);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].size() > 10, declaration);
    }
    // The example exactly as ExampleScript() gives it.
    QVERIFY(text.contains(TfrmHelpWindow::ExampleScript().trimmed()));
    QVERIFY(TfrmHelpWindow::BuiltInHelpText().contains(QStringLiteral("<pre>")));
}

void TstHelpWindow::exampleScript()
{
    const QString script = TfrmHelpWindow::ExampleScript();
    const QString compact = script.simplified();
    QVERIFY(compact.startsWith(QStringLiteral("var crc: Word; begin ")));
    QVERIFY(compact.endsWith(QStringLiteral(" end.")));
    QVERIFY(compact.contains(QStringLiteral("crc := CRC16(0, Text);")));
    QVERIFY(compact.contains(QStringLiteral("ShowMessage(")));
    QVERIFY(compact.contains(QStringLiteral("IntToHex(crc, 4)")));
    QVERIFY(compact.contains(QStringLiteral("IntToHex(Hi(crc), 2)")));
    QVERIFY(compact.contains(QStringLiteral("IntToHex(Lo(crc), 2)")));
    // High byte first, then the low byte.
    QVERIFY(compact.contains(QStringLiteral("Text := Text + Chr(Hi(crc)) + Chr(Lo(crc));")));
    QCOMPARE(script.count(QLatin1Char('(')), script.count(QLatin1Char(')')));
    QCOMPARE(script.count(QLatin1Char('\'')) % 2, 0);
    // Plain ASCII, so the script engine's 8-bit strings take it as it is.
    for (const QChar c : script)
        QVERIFY(c.unicode() < 0x80);
}

void TstHelpWindow::helpFileReplacesText()
{
    QTemporaryDir dir;
    QVERIFY(WriteHelpFile(dir.path(),
                          {{QStringLiteral("Eigene Hilfe zu Scripten\n"), false},
                           {QStringLiteral("ein fetter Hinweis"), true},
                           {QString::fromUtf8("\nNormaler Text mit ä und €"), false}}));
    TfrmHelpWindow window(nullptr, dir.path());
    QVERIFY(window.HelpTextFromFile());
    QTextDocument* document = window.edHelpText()->document();
    const QString text = document->toPlainText();
    QCOMPARE(text,
             QString::fromUtf8("Eigene Hilfe zu Scripten\nein fetter Hinweis\n"
                               "Normaler Text mit ä und €"));
    QVERIFY(!text.contains(QStringLiteral("CRC32")));
    const int bold = int(text.indexOf(QStringLiteral("fetter Hinweis")));
    QVERIFY(BoldAt(document, bold));
    QVERIFY(BoldAt(document, bold + 13));
    QVERIFY(!BoldAt(document, 0));
    QVERIFY(!BoldAt(document, int(text.indexOf(QStringLiteral("Normaler")))));
    // The title stays.
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("laTitle"))->text(),
             QStringLiteral("Informationen zur Verwendung von Scripten"));
}

void TstHelpWindow::damagedHelpFileFallsBack_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("cut off") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Kaputte Hil");
    QTest::newRow("not rtf") << QByteArray("Nur ein Text");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("braces") << QByteArray("{\\rtf1 Text}}}");
}

void TstHelpWindow::damagedHelpFileFallsBack()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(WriteRaw(dir.path(), content));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Hilfetext")));
    TfrmHelpWindow window(nullptr, dir.path());
    QVERIFY(!window.HelpTextFromFile());
    const QString text = window.edHelpText()->toPlainText();
    QVERIFY(text.contains(QStringLiteral("function CRC16(aInitCRC: cardinal; aText: String): WORD;")));
    QVERIFY(text.contains(TfrmHelpWindow::ExampleScript().trimmed()));
    QVERIFY(!text.contains(QStringLiteral("Kaputte")));
    QVERIFY(!text.contains(QStringLiteral("Nur ein Text")));
}

void TstHelpWindow::programDirectoryByDefault()
{
    // Beside the test program; removed again afterwards.
    const QString fileName =
        QDir(QCoreApplication::applicationDirPath()).filePath(TfrmHelpWindow::HelpFileName());
    if (QFile::exists(fileName))
        QSKIP("a help file lies beside the test program");
    QVERIFY(WriteHelpFile(QCoreApplication::applicationDirPath(),
                          {{QStringLiteral("Hilfe aus dem Programmverzeichnis"), false}}));
    auto cleanup = qScopeGuard([&] { QFile::remove(fileName); });
    TfrmHelpWindow window;
    QVERIFY(window.HelpTextFromFile());
    QCOMPARE(window.edHelpText()->toPlainText(), QStringLiteral("Hilfe aus dem Programmverzeichnis"));
}

void TstHelpWindow::centredOnParent()
{
    QTemporaryDir dir;
    QWidget owner;
    owner.setGeometry(50, 20, 700, 560);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    auto* window = new TfrmHelpWindow(&owner, dir.path());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QPoint offset = window->frameGeometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    QCOMPARE(window->size(), QSize(640, 520));
    window->close();
}

void TstHelpWindow::keptOnScreen()
{
    QTemporaryDir dir;
    QWidget owner;
    owner.setGeometry(0, 0, 200, 150);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    TfrmHelpWindow window(&owner, dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect area = owner.screen()->availableGeometry();
    if (area.width() < 640 || area.height() < 520)
        QSKIP("screen smaller than the window");
    QVERIFY(area.contains(window.frameGeometry()));
}

void TstHelpWindow::closeButton()
{
    QTemporaryDir dir;
    TfrmHelpWindow window(nullptr, dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("bClose")), Qt::LeftButton);
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(TstHelpWindow)
#include "tst_HelpWindow.moc"
