// The command tree with 10,000 commands in 200 groups: rebuilding the view, painting every
// row once while scrolling, renumbering, one shortcut dispatch, and the default-value view
// of every text. Best of five runs each, in milliseconds.

#include "commands/CommandTree.h"
#include "commands/CommandTreeModel.h"
#include "commands/CommandTreeView.h"
#include "settings/VarnexSettings.h"
#include "terminal/MainWindow.h"

#include "BestTime.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

constexpr int kGroups = 200;
constexpr int kCommandsPerGroup = 50;

void FillTree(pugi::xml_node aRoot)
{
    CommandTree::RemoveAll(aRoot);
    for (int group = 1; group <= kGroups; ++group) {
        pugi::xml_node g = aRoot.append_child("MRU");
        g.append_attribute("Name").set_value(QByteArray("Gruppe " + QByteArray::number(group)).constData());
        g.append_attribute("Expanded").set_value("true");
        for (int command = 1; command <= kCommandsPerGroup; ++command) {
            const QByteArray n = QByteArray::number(group) + "." + QByteArray::number(command);
            pugi::xml_node c = g.append_child("MRU");
            c.append_attribute("Name").set_value(QByteArray("Befehl " + n).constData());
            c.append_attribute("Text").set_value(
                QByteArray("AT+CMD=" + n + ",/Param Name=\"Wert\" Default=\"" + n + "\" /Param/cr/")
                    .constData());
        }
    }
}

void Print(const char* aName, double aValue)
{
    std::printf("%s: %.1f ms\n", aName, aValue);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    qputenv("VARNEX_SETTINGS", QFile::encodeName(dir.filePath(QStringLiteral("Varnex Settings.xml"))));

    pugi::xml_node root = VarnexSettings()->SendMRURoot();
    FillTree(root);
    // Port 0 is the built-in loopback, so the dispatch really sends.
    TfrmMainWindow window(0);
    window.resize(1400, 700);
    window.show();
    // All three columns in sight, as a user with a wide tree sees them.
    QApplication::processEvents();
    window.findChild<QSplitter*>(QStringLiteral("spMain"))->setSizes({400, 1000});
    window.findChild<QAction*>(QStringLiteral("acComOn"))->trigger();
    TCommandTreeView* tree = window.CommandTreeView();
    QApplication::processEvents();

    // The refresh with the layout it causes (the view lays out lazily, before its next paint).
    Print("commands_refresh", BestMs(nullptr, [&] {
              window.RefreshCommandTree();
              tree->doItemsLayout();
          }));

    QScrollBar* bar = tree->verticalScrollBar();
    int rowsPainted = 0;
    QImage canvas(tree->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    Print("commands_scroll_paint_all",
          BestMs(
              [&] {
                  bar->setValue(0);
                  tree->viewport()->repaint();
              },
              [&] {
                  rowsPainted = 0;
                  const int page = std::max(1, bar->pageStep());
                  for (int v = 0; v <= bar->maximum(); v += page) {
                      bar->setValue(v);
                      // Painting into an image leaves out the
                      // flush to the screen.
                      tree->viewport()->render(&canvas);
                      ++rowsPainted;
                  }
              }));
    std::printf("commands_scroll_pages: %d pages of %d rows, %d px wide\n", rowsPainted,
                tree->viewport()->height() / std::max(1, tree->sizeHintForRow(0)), tree->viewport()->width());

    Print("commands_renumber", BestMs(nullptr, [&] { window.acRenumberExecute(); }));

    // The last command in document order gets a shortcut of its own: the worst case of the
    // search.
    pugi::xml_node last = root.last_child().last_child();
    last.remove_attribute("ShortCut");
    last.append_attribute("ShortCut").set_value("Umsch+Strg+Alt+F24");
    last.attribute("Text").set_value("AT/cr/"); // no parameters: no dialog in the way
    auto* edSend = window.findChild<QLineEdit*>(QStringLiteral("edSend"));
    edSend->setFocus();
    QApplication::setActiveWindow(&window);
    Print("commands_dispatch_last", BestMs(nullptr, [&] {
              QKeyEvent press(QEvent::KeyPress, Qt::Key_F24,
                              Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
              QApplication::sendEvent(edSend, &press);
          }));

    QAction* hide = window.findChild<QAction*>(QStringLiteral("acHideParameter"));
    hide->trigger();
    TCommandTreeModel* model = tree->CommandModel();
    const QModelIndexList nodes = model->AllIndexes();
    QString sink;
    Print("commands_default_values_all",
          BestMs([&] { model->Refresh(); },
                 [&] {
                     for (const QModelIndex& node : nodes) {
                         const QModelIndex cell =
                             model->index(node.row(), TCommandTreeModel::colCommand, node.parent());
                         sink = cell.data().toString();
                     }
                 }));
    Print("commands_refresh_hidden_parameters", BestMs(nullptr, [&] {
              window.RefreshCommandTree();
              tree->viewport()->repaint();
          }));
    if (!sink.startsWith(QStringLiteral("AT+CMD=")))
        std::fprintf(stderr, "unexpected default text: %s\n", qPrintable(sink));
    return 0;
}
