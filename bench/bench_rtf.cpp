// RTF writing speed: 50 MiB of Latin-1 text lines, every other run bold, into a null device.
// RTF reading: one paragraph with 25,000 style changes, as the help text has many.
#include "scripting/RtfReader.h"
#include "terminal/RtfWriter.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <QBuffer>
#include <QElapsedTimer>
#include <QIODevice>

#include <cstdio>

namespace {

class TNullDevice final : public QIODevice
{
public:
    TNullDevice() { open(QIODevice::WriteOnly); }
    qint64 Written = 0;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 aSize) override
    {
        Written += aSize;
        return aSize;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString chunk;
    for (int i = 0; chunk.size() < 65536; ++i)
        chunk += i % 81 == 80 ? QChar(u'\n') : QChar(char16_t(0x20 + (i * 7) % 0xE0));
    chunk.truncate(65536);
    double best = 0;
    for (int round = 0; round < 3; ++round) {
        TNullDevice sink;
        QElapsedTimer timer;
        timer.start();
        TRtfWriter writer(&sink);
        writer.Begin(QStringLiteral("Mono"), 10);
        for (int i = 0; i < 800; ++i)
            writer.Text(chunk, i % 2 == 1);
        writer.End();
        best = qMax(best, 800 * 65536 / (timer.nsecsElapsed() / 1e9) / 1e6);
    }
    std::printf("rtf_write: %.1f MB/s\n", best);

    QByteArray styled = "{\\rtf1\\ansi ";
    for (int i = 0; i < 25000; ++i)
        styled += "\\b a\\b0 b";
    styled += "\\par}";
    QElapsedTimer timer;
    timer.start();
    QTextDocument document;
    LoadRtf(styled, document, nullptr);
    std::printf("rtf_read_25000_style_changes: %.2f s\n", timer.nsecsElapsed() / 1e9);
    return 0;
}
