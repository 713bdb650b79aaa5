// Writes the script help that the program shows in its help window as an HTML page for the
// installed documentation, so the page and the window never tell different things.
#include "scripting/HelpWindow.h"

#include <QSaveFile>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.html\n", argv[0]);
        return 64;
    }
    const QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head><meta charset=\"utf-8\">"
                                        "<title>Varnex – Scripte</title></head>\n<body>\n"
                                        "<h1>Varnex – Scripte</h1>\n")
        + TfrmHelpWindow::BuiltInHelpText() + QStringLiteral("\n</body>\n</html>\n");
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(page.toUtf8()) < 0 || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
