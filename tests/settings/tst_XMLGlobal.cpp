// The XML routines under the settings store: typed reads, date-times in the user's locale,
// escaping through a file, element paths, new documents, the indented trace text and
// environment variables in paths.
#include "base/VarnexError.h"
#include "settings/XMLGlobal.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The message of the EVarnexError aWork raises; "<none>" when it raises nothing.
template <class F>
QString ErrorOf(F aWork)
{
    try {
        aWork();
    } catch (const EVarnexError& e) {
        return e.Message();
    }
    return QStringLiteral("<none>");
}

// An element <E aName="aText"/> in its own document.
struct TOneAttribute
{
    TOneAttribute(const char* aName, const QString& aText)
    {
        Element = Document.append_child("E");
        Element.append_attribute(aName).set_value(aText.toUtf8().constData());
    }
    pugi::xml_document Document;
    pugi::xml_node Element;
};

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

class TstXMLGlobal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { FLocale = QLocale(); }
    void cleanup() { QLocale::setDefault(FLocale); }

    // Typed reads
    void readInt_data();
    void readInt();
    void readBool_data();
    void readBool();
    void readBoolRejects_data();
    void readBoolRejects();
    void missingAttributeGivesDefault();
    void aRepeatedAttributeKeepsItsFirstValue();
    void dateTimeRoundTrip_data();
    void dateTimeRoundTrip();
    void midnightWithoutTime_data();
    void midnightWithoutTime();
    void unreadableDateGivesDefault();
    void stringsSurviveAFile_data();
    void stringsSurviveAFile();

    // Element paths and documents
    void createPathOnEmptyDocument();
    void createFromCommaAndBlankSteps();
    void existingPathGivesSameNode();
    void createBelowContext();
    void invalidPathRaises_data();
    void invalidPathRaises();
    void newDocument();

    // Indented text
    void formatExact();
    void formatNotWellFormed_data();
    void formatNotWellFormed();
    void formatTextEndingInBracket();
    void formatComments();
    void formatStaysWellFormed_data();
    void formatStaysWellFormed();
    void formatSections();

    // Environment
    void expandEnvironment_data();
    void expandEnvironment();

private:
    QLocale FLocale;
};

// ---------------------------------------------------------------------------------------------
// Typed reads

void TstXMLGlobal::readInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");

    QTest::newRow("number") << "42" << 42;
    QTest::newRow("negative") << "-17" << -17;
    QTest::newRow("blanks around") << " 9 " << 9;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("word") << "zehn" << -5;
    QTest::newRow("empty") << "" << -5;
    QTest::newRow("decimal") << "1.5" << -5;
    QTest::newRow("trailing junk") << "12px" << -5;
    QTest::newRow("too large") << "99999999999" << -5;
}

void TstXMLGlobal::readInt()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const TOneAttribute e("N", text);
    QCOMPARE(GetAttrInt(QStringLiteral("N"), e.Element, -5), expected);
}

void TstXMLGlobal::readBool_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("true") << "true" << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("false") << "false" << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("5") << "5" << true;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow(" true ") << " true " << true;
}

void TstXMLGlobal::readBool()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    const TOneAttribute e("B", text);
    // Both defaults, so a default cannot pass for the value read.
    QCOMPARE(GetAttrBool(QStringLiteral("B"), e.Element, false), expected);
    QCOMPARE(GetAttrBool(QStringLiteral("B"), e.Element, true), expected);
}

void TstXMLGlobal::readBoolRejects_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("word") << "vielleicht";
    QTest::newRow("yes") << "yes";
    QTest::newRow("empty") << "";
    QTest::newRow("number and text") << "1x";
    QTest::newRow("decimal") << "0.5";
}

void TstXMLGlobal::readBoolRejects()
{
    QFETCH(QString, text);
    const TOneAttribute e("B", text);
    const QString error = ErrorOf([&] { GetAttrBool(QStringLiteral("B"), e.Element, true); });
    QVERIFY2(error != QLatin1String("<none>"), qPrintable(text));
    QVERIFY2(error.contains(text.trimmed()), qPrintable(error));
}

void TstXMLGlobal::aRepeatedAttributeKeepsItsFirstValue()
{
    // Not well-formed, but read: removing the shortcut must not bring up a second one.
    pugi::xml_document document;
    QVERIFY(LoadXMLText(document, QStringLiteral("<Body><MRU ShortCut=\"F5\" Name=\"a\" ShortCut=\"F6\" "
                                                 "ShortCut=\"F7\"><MRU x=\"1\" x=\"2\"/></MRU></Body>"),
                        nullptr));
    QCOMPARE(DocumentToXML(document),
             QStringLiteral("<Body><MRU ShortCut=\"F5\" Name=\"a\"><MRU x=\"1\"/></MRU></Body>"));
}

void TstXMLGlobal::missingAttributeGivesDefault()
{
    const TOneAttribute e("Other", QStringLiteral("x"));
    const QString name = QStringLiteral("Missing");
    for (const pugi::xml_node element : {e.Element, pugi::xml_node()}) {
        QCOMPARE(GetAttrInt(name, element, 7), 7);
        QCOMPARE(GetAttrBool(name, element, true), true);
        QCOMPARE(GetAttrBool(name, element, false), false);
        QCOMPARE(GetAttrString(name, element, QStringLiteral("d")), QStringLiteral("d"));
        QCOMPARE(GetAttrDateTime(name, element, ZeroDateTime()), ZeroDateTime());
        QCOMPARE(GetAttrVariant(name, element, QVariant(3)), QVariant(3));
        QVERIFY(!HasAttribute(name, element));
    }
    QVERIFY(HasAttribute(QStringLiteral("Other"), e.Element));
    // Writing to no element is quietly nothing.
    SetAttrInt({}, name, 1);
    SetAttrString({}, name, QStringLiteral("x"));
}

void TstXMLGlobal::dateTimeRoundTrip_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDateTime>("value");

    const struct
    {
        const char* name;
        QLocale locale;
    } locales[] = {
        {"German", QLocale(QLocale::German, QLocale::Germany)},
        {"English", QLocale(QLocale::English, QLocale::UnitedStates)},
        {"British", QLocale(QLocale::English, QLocale::UnitedKingdom)},
    };
    for (const auto& l : locales) {
        QTest::addRow("%s afternoon", l.name) << l.locale << QDateTime(QDate(2024, 3, 15), QTime(14, 7, 9));
        QTest::addRow("%s morning", l.name) << l.locale << QDateTime(QDate(2023, 11, 2), QTime(8, 5, 0));
        QTest::addRow("%s last second", l.name)
            << l.locale << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59));
        QTest::addRow("%s after midnight", l.name)
            << l.locale << QDateTime(QDate(2025, 1, 1), QTime(0, 0, 1));
        QTest::addRow("%s noon", l.name) << l.locale << QDateTime(QDate(2024, 6, 30), QTime(12, 0, 0));
    }
}

void TstXMLGlobal::dateTimeRoundTrip()
{
    QFETCH(QLocale, locale);
    QFETCH(QDateTime, value);
    QLocale::setDefault(locale);

    const QString text = DateTimeToText(value);
    QDateTime back;
    QVERIFY2(TextToDateTime(text, back), qPrintable(text));
    QCOMPARE(back, value);

    // The same through an attribute.
    pugi::xml_document document;
    pugi::xml_node element = document.append_child("E");
    SetAttrDateTime(element, QStringLiteral("When"), value);
    QCOMPARE(GetAttrString(QStringLiteral("When"), element, {}), text);
    QCOMPARE(GetAttrDateTime(QStringLiteral("When"), element, ZeroDateTime()), value);
}

void TstXMLGlobal::midnightWithoutTime_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "15.03.24";
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << "3/15/24";
}

void TstXMLGlobal::midnightWithoutTime()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QLocale::setDefault(locale);

    const QDateTime midnight(QDate(2024, 3, 15), QTime(0, 0));
    QCOMPARE(DateTimeToText(midnight), expected);
    QCOMPARE(DateTimeToText(midnight), locale.toString(midnight.date(), QLocale::ShortFormat));
    QDateTime back;
    QVERIFY(TextToDateTime(expected, back));
    QCOMPARE(back, midnight);
}

void TstXMLGlobal::unreadableDateGivesDefault()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const TOneAttribute e("When", QStringLiteral("gestern"));
    QCOMPARE(GetAttrDateTime(QStringLiteral("When"), e.Element, ZeroDateTime()), ZeroDateTime());
    QDateTime untouched = ZeroDateTime();
    QVERIFY(!TextToDateTime(QStringLiteral("31.02.24"), untouched));
    QCOMPARE(untouched, ZeroDateTime());
}

void TstXMLGlobal::stringsSurviveAFile_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("quotes") << "He said \"stop\"";
    QTest::newRow("apostrophes") << "it's 'quoted'";
    QTest::newRow("both quotes") << "\"a\" & 'b'";
    QTest::newRow("markup") << "<Body attr=\"x\">&amp;</Body>";
    QTest::newRow("ampersand entity text") << "&lt; stays text &#65;";
    QTest::newRow("line break") << "OK\r\n>";
    QTest::newRow("tab") << "a\tb";
    QTest::newRow("umlauts") << QString::fromUtf8("Größe € ß");
    QTest::newRow("empty") << "";
}

void TstXMLGlobal::stringsSurviveAFile()
{
    QFETCH(QString, value);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("strings.xml"));

    pugi::xml_document document;
    NewDocument(document, QStringLiteral("Body"));
    pugi::xml_node element = GetOrCreateElement(QStringLiteral("/Body/Values"), &document);
    SetAttrString(element, QStringLiteral("Text"), value);
    SaveXMLFile(document, path);

    pugi::xml_document loaded;
    QString error;
    QVERIFY2(LoadXMLFile(loaded, path, &error), qPrintable(error));
    const pugi::xml_node back = SelectSingleNode(loaded, QStringLiteral("/Body/Values"));
    QVERIFY(back);
    QCOMPARE(GetAttrString(QStringLiteral("Text"), back, QStringLiteral("<missing>")), value);
}

// ---------------------------------------------------------------------------------------------
// Element paths and documents

void TstXMLGlobal::createPathOnEmptyDocument()
{
    pugi::xml_document document;
    const pugi::xml_node script = GetOrCreateElement(QStringLiteral("/Body/Script"), &document);
    QVERIFY(script);
    QCOMPARE(FromXml(script.name()), QStringLiteral("Script"));
    QCOMPARE(FromXml(document.document_element().name()), QStringLiteral("Body"));
    QCOMPARE(script.parent(), document.document_element());
    QCOMPARE(DocumentToXML(document), QStringLiteral("<Body><Script/></Body>"));
}

void TstXMLGlobal::createFromCommaAndBlankSteps()
{
    pugi::xml_document document;
    NewDocument(document, QStringLiteral("Body"));
    const pugi::xml_node c =
        GetOrCreateElement(QStringLiteral("A,B C"), &document, document.document_element());
    QVERIFY(c);
    QCOMPARE(FromXml(c.path().c_str()), QStringLiteral("/Body/A/B/C"));
    // Asked again in either form, the same element.
    QCOMPARE(GetOrCreateElement(QStringLiteral("A,B C"), &document, document.document_element()), c);
    QCOMPARE(GetOrCreateElement(QStringLiteral("/Body/A/B/C"), &document), c);
    QCOMPARE(document.document_element().select_nodes("//C").size(), size_t(1));
}

void TstXMLGlobal::existingPathGivesSameNode()
{
    pugi::xml_document document;
    const pugi::xml_node first = GetOrCreateElement(QStringLiteral("/Body/General"), &document);
    const pugi::xml_node second = GetOrCreateElement(QStringLiteral("/Body/General"), &document);
    QCOMPARE(second, first);
    const pugi::xml_node sibling = GetOrCreateElement(QStringLiteral("/Body/History"), &document);
    QVERIFY(sibling != first);
    QCOMPARE(sibling.parent(), first.parent());
    QCOMPARE(DocumentToXML(document), QStringLiteral("<Body><General/><History/></Body>"));
}

void TstXMLGlobal::createBelowContext()
{
    pugi::xml_document document;
    const pugi::xml_node mru = GetOrCreateElement(QStringLiteral("/Body/SendMRU"), &document);
    const pugi::xml_node list = GetOrCreateElement(QStringLiteral("MRUList"), &document, mru);
    QCOMPARE(list.parent(), mru);
    QCOMPARE(GetOrCreateElement(QStringLiteral("MRUList"), &document, mru), list);
    QVERIFY(!GetOrCreateElement(QStringLiteral("/Body"), nullptr));
}

void TstXMLGlobal::invalidPathRaises_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("open bracket") << "/Body/Form[";
    QTest::newRow("empty step") << "/Body//[@Name='x'";
    QTest::newRow("bad function") << "/Body/nofunction(";
}

void TstXMLGlobal::invalidPathRaises()
{
    QFETCH(QString, path);
    pugi::xml_document document;
    NewDocument(document, QStringLiteral("Body"));
    const QString error = ErrorOf([&] { GetOrCreateElement(path, &document); });
    QVERIFY2(error != QLatin1String("<none>"), qPrintable(path));
    QVERIFY(!ErrorOf([&] { SelectSingleNode(document, path); }).startsWith(QLatin1String("<none>")));
    // Nothing was added on the way.
    QCOMPARE(DocumentToXML(document), QStringLiteral("<?xml version=\"1.0\"?><Body/>"));
}

void TstXMLGlobal::newDocument()
{
    const TXMLDocument created = NewDocument(TXMLDocument(), QStringLiteral("Body"));
    QVERIFY(created);
    QCOMPARE(created->first_child().type(), pugi::node_declaration);
    QCOMPARE(FromXml(created->first_child().attribute("version").value()), QStringLiteral("1.0"));
    QCOMPARE(FromXml(created->document_element().name()), QStringLiteral("Body"));
    QCOMPARE(DocumentToText(*created, QStringLiteral("\t")),
             QStringLiteral("<?xml version=\"1.0\"?>\r\n<Body/>"));

    // An existing document is filled, not replaced.
    const TXMLDocument given = CreateDOMDocument();
    QCOMPARE(NewDocument(given, QStringLiteral("Root")).get(), given.get());
    QCOMPARE(FromXml(given->document_element().name()), QStringLiteral("Root"));
}

// ---------------------------------------------------------------------------------------------
// Indented text

void TstXMLGlobal::formatExact()
{
    const QString text = FormatXMLText(QStringLiteral("<?xml version=\"1.0\"?><R a=\"1\"><C>x</C><D/></R>"),
                                       QStringLiteral("\t"));
    const QStringList lines = {QStringLiteral("<?xml version=\"1.0\"?>"), QStringLiteral("<R a=\"1\">"),
                               QStringLiteral("\t<C>x</C>"), QStringLiteral("\t<D/>"),
                               QStringLiteral("</R>")};
    QCOMPARE(text, lines.join(kCrLf));

    // Deeper levels repeat the indent.
    QCOMPARE(FormatXMLText(QStringLiteral("<A><B><C/></B></A>"), QStringLiteral("  ")),
             QStringLiteral("<A>\r\n  <B>\r\n    <C/>\r\n  </B>\r\n</A>"));
}

void TstXMLGlobal::formatNotWellFormed_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("line");

    QTest::newRow("one line") << "<R><C></R>"
                              << "<R><C></R>";
    QTest::newRow("second of three lines") << "<R>\n  <C></R>\n<X/>"
                                           << "<C></R>";
    QTest::newRow("unclosed attribute") << "<R>\n<C a=\"1></C>\n</R>"
                                        << "<C a=\"1></C>";
}

void TstXMLGlobal::formatNotWellFormed()
{
    QFETCH(QString, source);
    QFETCH(QString, line);

    pugi::xml_document probe;
    const QByteArray bytes = source.toUtf8();
    const pugi::xml_parse_result result = probe.load_buffer(bytes.constData(), size_t(bytes.size()));
    QVERIFY(!result);

    const QString text = FormatXMLText(source, QStringLiteral("\t"));
    QCOMPARE(text, QString::fromUtf8(result.description()) + kCrLf + kCrLf + line);
}

void TstXMLGlobal::formatTextEndingInBracket()
{
    QCOMPARE(FormatXMLText(QStringLiteral("<R><C>a &gt;</C><D>b</D></R>"), QStringLiteral("\t")),
             QStringLiteral("<R>\r\n\t<C>a >\r\n\t</C>\r\n\t<D>b</D>\r\n</R>"));
}

void TstXMLGlobal::formatComments()
{
    QCOMPARE(
        FormatXMLText(QStringLiteral("<R><!-- top --><C><!--inner--><D/></C></R>"), QStringLiteral("\t")),
        QStringLiteral("<R>\r\n\t<!-- top -->\r\n\t<C>\r\n\t\t<!--inner-->\r\n\t\t<D/>\r\n\t</C>\r\n</R>"));
    // A comment before the root keeps its own line.
    QCOMPARE(FormatXMLText(QStringLiteral("<!--first--><R/>"), QStringLiteral("\t")),
             QStringLiteral("<!--first-->\r\n<R/>"));
}

void TstXMLGlobal::formatStaysWellFormed_data()
{
    QTest::addColumn<QString>("source");

    QTest::newRow("cdata") << "<R><C><![CDATA[x < y]]></C></R>";
    QTest::newRow("apostrophe attribute") << "<R a='it&apos;s'/>";
    QTest::newRow("instruction") << "<R><?render fast?><C/></R>";
}

void TstXMLGlobal::formatStaysWellFormed()
{
    QFETCH(QString, source);
    const QString text = FormatXMLText(source, QStringLiteral("\t"));

    // Without characters that need escaping, the indented text reads back as the same document.
    pugi::xml_document original;
    pugi::xml_document formatted;
    QString error;
    QVERIFY(LoadXMLText(original, source, &error));
    QVERIFY2(LoadXMLText(formatted, text, &error), qPrintable(text + QLatin1String(" -> ") + error));
    QCOMPARE(DocumentToXML(formatted), DocumentToXML(original));
}

void TstXMLGlobal::formatSections()
{
    QCOMPARE(FormatXMLText(QStringLiteral("<R><C><![CDATA[a<b]]></C><?pi x?></R>"), QStringLiteral("\t")),
             QStringLiteral("<R>\r\n\t<C><![CDATA[a<b]]>\r\n\t</C>\r\n\t<?pi x?>\r\n</R>"));
    // Values are shown as they read, not escaped again: the text is for the trace.
    QCOMPARE(FormatXMLText(QStringLiteral("<R a=\"&quot;&amp;\">x &lt; y</R>"), QStringLiteral("\t")),
             QStringLiteral("<R a=\"\"&\">x < y</R>"));
}

// ---------------------------------------------------------------------------------------------
// Environment

void TstXMLGlobal::expandEnvironment_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    qputenv("VARNEX_TEST_HOME", "/opt/varnex");
    qputenv("VARNEX_TEST_SUB", "logs");
    qunsetenv("VARNEX_TEST_UNSET");

    QTest::newRow("percent") << "%VARNEX_TEST_HOME%/History"
                             << "/opt/varnex/History";
    QTest::newRow("dollar") << "$VARNEX_TEST_HOME/History"
                            << "/opt/varnex/History";
    QTest::newRow("braces") << "${VARNEX_TEST_HOME}/History"
                            << "/opt/varnex/History";
    QTest::newRow("braces before text") << "${VARNEX_TEST_SUB}2024"
                                        << "logs2024";
    QTest::newRow("two") << "%VARNEX_TEST_HOME%/$VARNEX_TEST_SUB/x"
                         << "/opt/varnex/logs/x";
    QTest::newRow("unknown percent") << "%VARNEX_TEST_UNSET%/History"
                                     << "%VARNEX_TEST_UNSET%/History";
    QTest::newRow("unknown dollar") << "$VARNEX_TEST_UNSET/History"
                                    << "$VARNEX_TEST_UNSET/History";
    QTest::newRow("unknown braces") << "${VARNEX_TEST_UNSET}/a"
                                    << "${VARNEX_TEST_UNSET}/a";
    QTest::newRow("known and unknown") << "%VARNEX_TEST_UNSET%$VARNEX_TEST_SUB"
                                       << "%VARNEX_TEST_UNSET%logs";
    QTest::newRow("no variable") << "/var/log/100%"
                                 << "/var/log/100%";
    QTest::newRow("lone dollar") << "a $ b"
                                 << "a $ b";
    QTest::newRow("empty") << ""
                           << "";
}

void TstXMLGlobal::expandEnvironment()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ExpandEnvironmentPath(text), expected);
}

QTEST_GUILESS_MAIN(TstXMLGlobal)
#include "tst_XMLGlobal.moc"
