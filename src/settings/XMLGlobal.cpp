#include "settings/XMLGlobal.h"

#include "base/VarnexError.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

struct TByteWriter final : pugi::xml_writer
{
    QByteArray Bytes;
    void write(const void* aData, size_t aSize) override
    {
        Bytes.append(static_cast<const char*>(aData), qsizetype(aSize));
    }
};

// Documents deeper than any the program writes are refused as they are read: removing or
// printing a node recurses through its descendants, and a hostile file could exhaust the stack.
QString TooDeep(const pugi::xml_document& aDocument)
{
    if (XMLDepth(aDocument) <= kMaxXMLDepth)
        return {};
    return QStringLiteral("zu tief verschachtelt, mehr als %1 Ebenen").arg(kMaxXMLDepth);
}

// An element that names an attribute twice is not well-formed XML, but a reader that keeps
// both leaves the second where only the first is ever read: removing "the" attribute leaves
// the other behind. The first stays, as every lookup saw it.
void DropRepeatedAttributes(pugi::xml_document& aDocument)
{
    std::unordered_set<std::string_view> seen;
    pugi::xml_node node = aDocument;
    for (;;) {
        pugi::xml_attribute first = node.first_attribute();
        if (first && first.next_attribute()) {
            seen.clear();
            for (pugi::xml_attribute a = first; a;) {
                const pugi::xml_attribute next = a.next_attribute();
                if (!seen.insert(a.name()).second)
                    node.remove_attribute(a);
                a = next;
            }
        }
        // the next node in document order, without recursion
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        while (node != aDocument && !node.next_sibling())
            node = node.parent();
        if (node == aDocument)
            return;
        node = node.next_sibling();
    }
}

// What every document read goes through: too deep a file is refused (the text why), one with
// repeated attributes keeps the first of each.
QString CheckRead(pugi::xml_document& aDocument)
{
    QString tooDeep = TooDeep(aDocument);
    if (tooDeep.isEmpty())
        DropRepeatedAttributes(aDocument);
    return tooDeep;
}

QString TimeFormat()
{
    // The long time format without the zone name, which does not parse back.
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

bool IsXmlName(const QString& aName)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_:][A-Za-z0-9_:.\\-]*$"));
    return name.match(aName).hasMatch();
}

QString ParseErrorText(const pugi::xml_parse_result& aResult, const QByteArray& aSource)
{
    const qsizetype offset = qBound<qsizetype>(0, qsizetype(aResult.offset), aSource.size());
    const int line = int(aSource.left(offset).count('\n')) + 1;
    return QStringLiteral("%1 (Zeile %2, Byte %3)")
        .arg(QString::fromUtf8(aResult.description()))
        .arg(line)
        .arg(offset);
}

} // namespace

QDateTime ZeroDateTime()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

bool HasAttribute(const QString& aName, pugi::xml_node aElement)
{
    return aElement && aElement.attribute(ToXml(aName).constData());
}

int GetAttrInt(const QString& aName, pugi::xml_node aElement, int aDefault)
{
    if (!HasAttribute(aName, aElement))
        return aDefault;
    bool ok = false;
    const int value = FromXml(aElement.attribute(ToXml(aName).constData()).value()).trimmed().toInt(&ok);
    return ok ? value : aDefault;
}

bool GetAttrBool(const QString& aName, pugi::xml_node aElement, bool aDefault)
{
    if (!HasAttribute(aName, aElement))
        return aDefault;
    const QString text = FromXml(aElement.attribute(ToXml(aName).constData()).value()).trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    if (ok)
        return number != 0;
    throw EVarnexError(QStringLiteral("'%1' ist kein gültiger Boolescher Wert").arg(text));
}

QDateTime GetAttrDateTime(const QString& aName, pugi::xml_node aElement, const QDateTime& aDefault)
{
    if (!HasAttribute(aName, aElement))
        return aDefault;
    QDateTime value;
    return TextToDateTime(FromXml(aElement.attribute(ToXml(aName).constData()).value()), value) ? value
                                                                                                : aDefault;
}

QString GetAttrString(const QString& aName, pugi::xml_node aElement, const QString& aDefault)
{
    if (!HasAttribute(aName, aElement))
        return aDefault;
    return FromXml(aElement.attribute(ToXml(aName).constData()).value());
}

QVariant GetAttrVariant(const QString& aName, pugi::xml_node aElement, const QVariant& aDefault)
{
    if (!HasAttribute(aName, aElement))
        return aDefault;
    return QVariant(FromXml(aElement.attribute(ToXml(aName).constData()).value()));
}

static pugi::xml_attribute AttributeFor(pugi::xml_node aElement, const QString& aName)
{
    const QByteArray name = ToXml(aName);
    pugi::xml_attribute attribute = aElement.attribute(name.constData());
    return attribute ? attribute : aElement.append_attribute(name.constData());
}

void SetAttrInt(pugi::xml_node aElement, const QString& aName, int aValue)
{
    if (aElement)
        AttributeFor(aElement, aName).set_value(aValue);
}

void SetAttrBool(pugi::xml_node aElement, const QString& aName, bool aValue)
{
    if (aElement)
        AttributeFor(aElement, aName).set_value(aValue ? "true" : "false");
}

void SetAttrString(pugi::xml_node aElement, const QString& aName, const QString& aValue)
{
    if (aElement)
        AttributeFor(aElement, aName).set_value(ToXml(aValue).constData());
}

void SetAttrDateTime(pugi::xml_node aElement, const QString& aName, const QDateTime& aValue)
{
    SetAttrString(aElement, aName, DateTimeToText(aValue));
}

QString DateTimeToText(const QDateTime& aValue)
{
    const QLocale locale;
    const QString date = locale.toString(aValue.date(), QLocale::ShortFormat);
    if (aValue.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(aValue.time(), TimeFormat());
}

bool TextToDateTime(const QString& aText, QDateTime& aValue)
{
    const QLocale locale;
    const QString text = aText.trimmed();
    const QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    QDateTime value = locale.toDateTime(text, dateFormat + QLatin1Char(' ') + TimeFormat());
    if (!value.isValid()) {
        const QDate date = locale.toDate(text, dateFormat);
        if (date.isValid())
            value = QDateTime(date, QTime(0, 0));
    }
    if (!value.isValid())
        return false;
    // Two-digit years belong to the nearest century, as people mean them.
    if (!dateFormat.contains(QLatin1String("yyyy")) && value.date().year() < 1950)
        value = value.addYears(100);
    aValue = value;
    return true;
}

pugi::xml_node SelectSingleNode(pugi::xml_node aContext, const QString& aPath)
{
    if (!aContext)
        return {};
    try {
        return aContext.select_node(ToXml(aPath).constData()).node();
    } catch (const pugi::xpath_exception& e) {
        throw EVarnexError(
            QStringLiteral("Ungültiger XPath-Ausdruck '%1': %2").arg(aPath, QString::fromUtf8(e.what())));
    }
}

pugi::xml_node ChildByName(pugi::xml_node aParent, const char* aElement, const QString& aName)
{
    const QByteArray name = ToXml(aName);
    for (pugi::xml_node child : aParent.children(aElement))
        if (qstrcmp(child.attribute("Name").value(), name.constData()) == 0)
            return child;
    return {};
}

pugi::xml_node GetOrCreateElement(const QString& aPath, pugi::xml_document* aDocument,
                                  pugi::xml_node aContext)
{
    QString path = aPath;
    if (!path.trimmed().isEmpty() && path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    if (!aDocument)
        return {};
    // Steps are separated by "/", and like a comma list also by "," and blanks.
    static const QRegularExpression separators(QStringLiteral("[/,\\s]+"));
    static const QRegularExpression listSeparators(QStringLiteral("[,\\s]"));
    pugi::xml_node start = aContext ? aContext : pugi::xml_node(*aDocument);
    pugi::xml_node found = start;
    if (!path.trimmed().isEmpty()) {
        try {
            found = SelectSingleNode(start, path);
        } catch (const EVarnexError&) {
            // "A,B C" is no XPath but a list of steps; anything else really is a bad path.
            if (!path.contains(listSeparators))
                throw;
            found = {};
        }
    }
    if (!found) {
        const QStringList steps = path.split(separators, Qt::SkipEmptyParts);
        pugi::xml_node current = start;
        for (const QString& step : steps) {
            pugi::xml_node next = SelectSingleNode(current, step);
            if (!next) {
                if (!IsXmlName(step))
                    throw EVarnexError(
                        QStringLiteral("Das Element '%1' kann nicht angelegt werden").arg(step));
                next = current.append_child(ToXml(step).constData());
            }
            current = next;
        }
        found = current;
    }
    return found.type() == pugi::node_element ? found : pugi::xml_node();
}

void NewDocument(pugi::xml_document& aDocument, const QString& aRootName)
{
    pugi::xml_node declaration = aDocument.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    aDocument.append_child(ToXml(aRootName).constData());
}

TXMLDocument NewDocument(TXMLDocument aDocument, const QString& aRootName)
{
    if (!aDocument)
        aDocument = CreateDOMDocument();
    NewDocument(*aDocument, aRootName);
    return aDocument;
}

TXMLDocument CreateDOMDocument()
{
    return std::make_shared<pugi::xml_document>();
}

int XMLDepth(const pugi::xml_node& aNode)
{
    // Walks without recursion, whatever the depth.
    int deepest = 0;
    int depth = 0;
    pugi::xml_node node = aNode;
    for (;;) {
        if (const pugi::xml_node child = node.first_child()) {
            node = child;
            deepest = std::max(deepest, ++depth);
            continue;
        }
        while (node != aNode && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node == aNode)
            return deepest;
        node = node.next_sibling();
    }
}

bool LoadXMLText(pugi::xml_document& aDocument, const QString& aText, QString* aError)
{
    const QByteArray bytes = aText.toUtf8();
    aDocument.reset();
    const pugi::xml_parse_result result =
        aDocument.load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions, pugi::encoding_utf8);
    const QString tooDeep = result ? CheckRead(aDocument) : QString();
    if (result && tooDeep.isEmpty())
        return true;
    if (aError)
        *aError = result ? tooDeep : ParseErrorText(result, bytes);
    aDocument.reset();
    return false;
}

bool LoadXMLFile(pugi::xml_document& aDocument, const QString& aPath, QString* aError)
{
    aDocument.reset();
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (aError)
            *aError = file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    const pugi::xml_parse_result result =
        aDocument.load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions);
    const QString tooDeep = result ? CheckRead(aDocument) : QString();
    if (result && tooDeep.isEmpty())
        return true;
    if (aError)
        *aError = result ? tooDeep : ParseErrorText(result, bytes);
    aDocument.reset();
    return false;
}

QString DocumentToXML(const pugi::xml_node& aNode)
{
    TByteWriter writer;
    aNode.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return QString::fromUtf8(writer.Bytes);
}

void SaveXMLFile(const pugi::xml_document& aDocument, const QString& aPath)
{
    TByteWriter writer;
    aDocument.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    QSaveFile file(aPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(writer.Bytes) != writer.Bytes.size()
        || !file.commit()) {
        throw EVarnexError(QStringLiteral("Die Datei '%1' konnte nicht geschrieben werden: %2")
                               .arg(aPath, file.errorString()));
    }
}

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString NodeText(pugi::xml_node aNode, int aLevel, const QString& aIndent)
{
    switch (aNode.type()) {
    // Values are written as they read, unescaped: the text is for people, not for a parser.
    case pugi::node_pcdata: return FromXml(aNode.value());
    case pugi::node_cdata:
        return QStringLiteral("<![CDATA[") + FromXml(aNode.value()) + QStringLiteral("]]>");
    case pugi::node_comment:
        return kCrLf + aIndent.repeated(aLevel) + QStringLiteral("<!--") + FromXml(aNode.value())
            + QStringLiteral("-->");
    case pugi::node_pi:
        return kCrLf + aIndent.repeated(aLevel) + QStringLiteral("<?") + FromXml(aNode.name())
            + (*aNode.value() ? QLatin1Char(' ') + FromXml(aNode.value()) : QString()) + QStringLiteral("?>");
    default: break;
    }
    QString text = kCrLf + aIndent.repeated(aLevel) + QLatin1Char('<') + FromXml(aNode.name());
    for (pugi::xml_attribute a : aNode.attributes())
        text += QLatin1Char(' ') + FromXml(a.name()) + QStringLiteral("=\"") + FromXml(a.value())
            + QLatin1Char('"');
    if (!aNode.first_child())
        return text + QStringLiteral("/>");
    text += QLatin1Char('>');
    for (pugi::xml_node child : aNode.children())
        text += NodeText(child, aLevel + 1, aIndent);
    if (text.endsWith(QLatin1Char('>')))
        text += kCrLf + aIndent.repeated(aLevel);
    return text + QStringLiteral("</") + FromXml(aNode.name()) + QLatin1Char('>');
}

} // namespace

QString ElementToText(pugi::xml_node aElement, const QString& aIndent)
{
    if (!aElement)
        return {};
    QString text = NodeText(aElement, 0, aIndent);
    if (text.size() > 2 && text.startsWith(kCrLf))
        text.remove(0, 2);
    return text;
}

QString DocumentToText(const pugi::xml_document& aDocument, const QString& aIndent)
{
    QString text;
    for (pugi::xml_node child : aDocument.children()) {
        if (child.type() == pugi::node_element) {
            text += ElementToText(child, aIndent);
        } else {
            TByteWriter writer;
            child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
            text += QString::fromUtf8(writer.Bytes) + kCrLf;
        }
    }
    return text;
}

QString FormatXMLText(const QString& aXMLText, const QString& aIndent)
{
    pugi::xml_document document;
    const QByteArray bytes = aXMLText.toUtf8();
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions, pugi::encoding_utf8);
    if (!result) {
        const qsizetype offset = qBound<qsizetype>(0, qsizetype(result.offset), bytes.size());
        const qsizetype lineStart = bytes.lastIndexOf('\n', offset > 0 ? offset - 1 : 0) + 1;
        qsizetype lineEnd = bytes.indexOf('\n', offset);
        if (lineEnd < 0)
            lineEnd = bytes.size();
        const QString source = QString::fromUtf8(bytes.mid(lineStart, lineEnd - lineStart)).trimmed();
        return QString::fromUtf8(result.description()) + kCrLf + kCrLf + source;
    }
    const QString tooDeep = TooDeep(document);
    if (!tooDeep.isEmpty())
        return tooDeep;
    return DocumentToText(document, aIndent);
}

QString ExpandEnvironmentPath(const QString& aText)
{
    static const QRegularExpression variable(QStringLiteral(
        "%([A-Za-z_][A-Za-z0-9_()]*)%|\\$\\{([A-Za-z_][A-Za-z0-9_]*)\\}|\\$([A-Za-z_][A-Za-z0-9_]*)"));
    QString result;
    qsizetype last = 0;
    auto it = variable.globalMatch(aText);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString name = m.captured(1);
        if (name.isEmpty())
            name = m.captured(2);
        if (name.isEmpty())
            name = m.captured(3);
        result += aText.mid(last, m.capturedStart() - last);
        const QByteArray value = qgetenv(name.toLocal8Bit().constData());
        // An unknown variable stays as written, as the system's own expansion does.
        result += value.isNull() ? m.captured(0) : QString::fromLocal8Bit(value);
        last = m.capturedEnd();
    }
    return result + aText.mid(last);
}
