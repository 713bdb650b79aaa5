// Searching the receive view. 200 MB (MB = 10^6 characters; VARNEX_BENCH_MB sets another size)
// of received text lines, and as much hex dump text (one endless paragraph), are counted slice
// by slice as the event loop runs them: for each pattern the longest and the mean slice, the
// slices and the time until the count is complete. Then the window's case: a receive view
// holding the text, a word typed into its find bar, the time the keystroke takes and the
// longest event-loop stall until the count is complete. Every figure is "name: value unit".
#include "StallProbe.h"
#include "notation/StringDecoder.h"
#include "terminal/ReceiveFindBar.h"
#include "terminal/ReceiveSearch.h"
#include "terminal/ReceiveText.h"
#include "terminal/ReceiveView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

qint64 EnvNumber(const char* aName, qint64 aDefault)
{
    bool ok = false;
    const qint64 value = qEnvironmentVariable(aName).toLongLong(&ok);
    return ok && value > 0 ? value : aDefault;
}

// A megabyte of measurement lines as a device sends them, from a fixed seed.
QString TextChunk(quint32 aSeed)
{
    static const char* const kWords[] = {"Messwert", "Temperatur", "Druck", "Status", "OK",
                                         "Fehler",   "Spannung",   "Strom", "Kanal",  "Zeit"};
    QRandomGenerator random(aSeed);
    QString chunk;
    chunk.reserve(1'000'100);
    while (chunk.size() < 1'000'000) {
        const int fields = 3 + random.bounded(8);
        for (int f = 0; f < fields; ++f) {
            chunk += QLatin1String(kWords[random.bounded(10)]);
            chunk += QLatin1Char('=');
            chunk += QString::number(random.bounded(100000));
            chunk += QLatin1Char(' ');
        }
        chunk += QStringLiteral("\r\n");
    }
    return chunk;
}

void Fill(TReceiveText& aText, qint64 aChars, bool aHexDump)
{
    TStringDecoder hex;
    hex.SetOptions({coHexDump});
    QList<QString> chunks;
    for (quint32 seed = 1; seed <= 8; ++seed)
        chunks << (aHexDump ? hex.DecodeStringSymbol(TextChunk(seed)) : TextChunk(seed));
    for (qsizetype i = 0; aText.Size() < aChars; ++i)
        aText.Append(chunks[i % chunks.size()], false);
}

// Counts aPattern in aText as the event loop would, one slice at a time.
void CountSliced(const char* aName, const TReceiveText& aText, const QString& aPattern, bool aCaseSensitive)
{
    TReceiveSearch search(aText);
    search.SetOnEventLoop(false);
    QElapsedTimer total;
    QElapsedTimer slice;
    total.start();
    slice.start();
    search.Start(aPattern, aCaseSensitive, 0);
    qint64 worstNs = slice.nsecsElapsed();
    int slices = 1;
    bool more = search.IsCounting() || search.IsFinding();
    while (more) {
        slice.restart();
        more = search.Continue();
        worstNs = qMax(worstNs, slice.nsecsElapsed());
        ++slices;
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    std::printf("search_%s_count_total: %.3f s\n", aName, seconds);
    std::printf("search_%s_slice_max: %.1f ms\n", aName, worstNs / 1e6);
    std::printf("search_%s_slice_mean: %.1f ms\n", aName, seconds * 1e3 / slices);
    std::printf("search_%s_slices: %d\n", aName, slices);
    std::printf("search_%s_matches: %lld\n", aName, static_cast<long long>(search.Count()));
    std::printf("search_%s_rate: %.0f MB/s\n", aName, aText.Size() / 1e6 / seconds);
}

// The find bar over a view holding aChars of text: typing a word, then the event loop runs
// the count to its end.
void TypeIntoTheFindBar(qint64 aChars)
{
    auto view = std::make_unique<TReceiveView>();
    view->resize(900, 600);
    view->show();
    const QString chunk = TextChunk(1);
    while (view->CharacterCount() < aChars)
        view->AppendText(chunk);
    QCoreApplication::processEvents();
    TReceiveFindBar bar(view.get());
    bar.Open();
    auto* edit = bar.findChild<QLineEdit*>(QStringLiteral("edFind"));

    TStallProbe probe;
    probe.Start();
    QElapsedTimer clock;
    clock.start();
    double worstKeyMs = 0;
    for (const QString& typed : {QStringLiteral("d"), QStringLiteral("dr"), QStringLiteral("dru"),
                                 QStringLiteral("druc"), QStringLiteral("druck")}) {
        QElapsedTimer key;
        key.start();
        edit->setText(typed);
        worstKeyMs = qMax(worstKeyMs, key.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }
    TReceiveSearch* search = view->Search();
    while (search->IsCounting() || search->IsFinding())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("search_view_keystroke_max: %.1f ms\n", worstKeyMs);
    std::printf("search_view_count_total: %.3f s\n", clock.nsecsElapsed() / 1e9);
    std::printf("search_view_stall_max: %.1f ms\n", probe.WorstMs());
    std::printf("search_view_matches: %lld (%s)\n", static_cast<long long>(search->Count()),
                qPrintable(bar.CountText()));
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 chars = EnvNumber("VARNEX_BENCH_MB", 200) * 1'000'000;
    std::printf("search_size: %lld MB\n", static_cast<long long>(chars / 1'000'000));
    {
        TReceiveText text;
        Fill(text, chars, false);
        CountSliced("word_any_case", text, QStringLiteral("druck"), false);
        CountSliced("word_exact_case", text, QStringLiteral("Druck"), true);
        CountSliced("one_letter", text, QStringLiteral("e"), false);
        CountSliced("absent", text, QStringLiteral("Luftfeuchte"), false);
    }
    {
        TReceiveText dump;
        Fill(dump, chars, true);
        CountSliced("hex_dump", dump, QStringLiteral("44 72 75 63 6B"), false);
    }
    TypeIntoTheFindBar(chars);
    return 0;
}
