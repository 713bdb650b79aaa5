// Command files as the program opens them (read, line settings taken over, tree replaced),
// then what the tree view does to the tree: walking it, shortcuts found and handed out,
// moves, additions and removals, and saving it back as a command file.

#include "FuzzSupport.h"

#include "base/VarnexError.h"
#include "commands/CommandTree.h"
#include "commands/ShortCutText.h"
#include "serial/TermCom.h"
#include "settings/VarnexSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

using namespace CommandTree;

namespace {

QTemporaryDir& Scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Picks for the edits, the same for the same input.
struct TPicks
{
    explicit TPicks(const QByteArray& aBytes)
    {
        for (char c : aBytes)
            FState = (FState ^ uchar(c)) * 1099511628211ull;
    }
    quint64 Next()
    {
        FState ^= FState << 13;
        FState ^= FState >> 7;
        FState ^= FState << 17;
        return FState;
    }
    bool Chance(int aOneIn) { return Next() % quint64(aOneIn) == 0; }

private:
    quint64 FState = 1469598103934665603ull;
};

void Walk(pugi::xml_node aParent, std::vector<pugi::xml_node>& aInTreeOrder)
{
    for (pugi::xml_node child = aParent.first_child(); child; child = child.next_sibling())
        if (child.type() != pugi::node_element || std::strcmp(child.name(), "MRU") != 0)
            fuzz::Fail("only command elements stay in the tree", FromXml(child.name()));
    for (pugi::xml_node child : Children(aParent)) {
        aInTreeOrder.push_back(child);
        IsExpanded(child);
        const char* stored = child.attribute("ShortCut").value();
        const QString shortCut = FromXml(stored);
        TextToShortCut(ShortCutToText(TextToShortCut(shortCut)));
        if (IsCommandElement(child)) {
            // Bytes that are no UTF-8 cannot be asked for: no key's text holds them.
            if (!shortCut.isEmpty() && ToXml(shortCut) == stored
                && !FindByShortCut(aParent.root().first_element_by_path("Body"), shortCut))
                fuzz::Fail("a command's shortcut is found", shortCut);
        } else {
            Walk(child, aInTreeOrder);
        }
    }
}

std::vector<pugi::xml_node> Select(const std::vector<pugi::xml_node>& aNodes, TPicks& aPicks)
{
    std::vector<pugi::xml_node> chosen;
    for (pugi::xml_node node : aNodes)
        if (aPicks.Chance(4))
            chosen.push_back(node);
    return chosen;
}

QList<pugi::xml_node> AsList(const std::vector<pugi::xml_node>& aNodes)
{
    return QList<pugi::xml_node>(aNodes.begin(), aNodes.end());
}

pugi::xml_node NewTree(pugi::xml_document& aDocument)
{
    return aDocument.append_child("Body").append_child("SendMRU");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureCoreApp();
    const QString path = Scratch().filePath(QStringLiteral("Kommandos.xml"));
    static const bool settingsAside =
        qputenv("VARNEX_SETTINGS", Scratch().filePath(QStringLiteral("Varnex Settings.xml")).toLocal8Bit());
    Q_UNUSED(settingsAside);
    const QByteArray bytes = fuzz::AsBytes(aData, aSize);
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            fuzz::Fail("scratch file written");
    }

    pugi::xml_document file;
    QString error;
    if (!ReadCommandFile(path, file, &error))
        return 0;
    TVarnexSettings* settings = VarnexSettings();
    TTermCom com;
    if (pugi::xml_node port = file.document_element().child("Interface"))
        SetAttrInt(port, QStringLiteral("Port"), com.Port());
    settings->LoadCom(&com, &file);
    settings->TakeNotices();

    pugi::xml_document document;
    const pugi::xml_node root = NewTree(document);
    ReplaceTree(root, file);
    std::vector<pugi::xml_node> nodes;
    Walk(root, nodes);

    // Saved as the program saves it, the file gives the same tree again.
    pugi::xml_document saved;
    CopyTreeInto(root, saved);
    settings->SaveCom(&com, &saved);
    try {
        SaveXMLFile(saved, path);
    } catch (const EVarnexError& e) {
        fuzz::Fail("command file saved", e.Message());
    }
    pugi::xml_document reread;
    if (!ReadCommandFile(path, reread, &error))
        fuzz::Fail("a saved command file opens again", error);
    pugi::xml_document again;
    const pugi::xml_node againRoot = NewTree(again);
    ReplaceTree(againRoot, reread);
    if (DocumentToXML(againRoot) != DocumentToXML(root))
        fuzz::Fail("a saved command file gives the same tree", DocumentToXML(root));

    TPicks picks(bytes);
    const quint64 taken = picks.Next();
    Renumber(root, [taken](QKeyCombination aKey) {
        for (int n = 1; n <= kGeneratedShortCuts; ++n)
            if (GenerateShortCut(n) == aKey)
                return (taken >> (n % 64)) & 1;
        return quint64(0);
    });
    nodes.clear();
    Walk(root, nodes);

    if (!nodes.empty()) {
        const pugi::xml_node target = picks.Chance(5) ? root : nodes[picks.Next() % nodes.size()];
        MoveElements(AsList(Select(nodes, picks)), target);
        nodes.clear();
        Walk(root, nodes);
    }
    if (!nodes.empty()) {
        pugi::xml_document source;
        pugi::xml_node fresh = source.append_child("MRU");
        fresh.append_attribute("Name") = "neu";
        fresh.append_attribute("Text") = "AT/cr/";
        AddElement(root, nodes[picks.Next() % nodes.size()], fresh);
        nodes.clear();
        Walk(root, nodes);
        RemoveElements(AsList(Select(nodes, picks)));
        nodes.clear();
        Walk(root, nodes);
    }

    RemoveShortCuts(root);
    for (pugi::xml_node node : nodes)
        if (IsCommandElement(node) && node.attribute("ShortCut"))
            fuzz::Fail("no command keeps a shortcut");
    RemoveAll(root);
    if (root.first_child())
        fuzz::Fail("an emptied tree is empty");
    return 0;
}
