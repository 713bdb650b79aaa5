// Throughput of the slash-notation codec on 16 MB of random bytes, best of three runs.

#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"

#include <QString>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr qsizetype kInputSize = 16 * 1024 * 1024;
constexpr int kRuns = 3;

// Best time of kRuns calls, in seconds; the output size is returned so the work is kept.
double BestSeconds(const std::function<qsizetype()>& aWork, qsizetype& aOutputSize)
{
    double best = 0;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        aOutputSize = aWork();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (run == 0 || elapsed.count() < best)
            best = elapsed.count();
    }
    return best;
}

void Report(const char* aName, double aCharacters, double aSeconds)
{
    std::printf("%s: %.1f MB/s\n", aName, aCharacters / aSeconds / 1e6);
}

QString Decode(const QString& aText, TTermComOptions aOptions)
{
    TStringDecoder decoder;
    decoder.SetOptions(aOptions);
    return decoder.DecodeStringSymbol(aText);
}

} // namespace

int main()
{
    std::mt19937 random(12345);
    QString bytes(kInputSize, Qt::Uninitialized);
    for (QChar& c : bytes)
        c = QChar(char16_t(random() & 0xFF));

    const QString notation = Decode(bytes, {});
    qsizetype outputSize = 0;

    const TStringEncoder encoder;
    const double encodeSeconds =
        BestSeconds([&] { return encoder.EncodeString(notation).size(); }, outputSize);
    if (outputSize != bytes.size() || encoder.EncodeString(notation) != bytes) {
        std::fprintf(stderr, "encode does not reproduce the input\n");
        return 1;
    }
    Report("codec_encode", double(notation.size()), encodeSeconds);
    Report("codec_encode_output", double(outputSize), encodeSeconds);

    // Text without any slash, the bulk-copy case.
    QString plain(kInputSize, Qt::Uninitialized);
    for (QChar& c : plain)
        c = QChar(char16_t(u'0' + random() % 64));
    const double plainSeconds = BestSeconds([&] { return encoder.EncodeString(plain).size(); }, outputSize);
    Report("codec_encode_plain", double(plain.size()), plainSeconds);

    const struct
    {
        const char* name;
        TTermComOptions options;
    } decodes[] = {
        {"codec_decode_text", {}},
        {"codec_decode_hex", {coHexDump}},
        {"codec_decode_dez", {coDezDump}},
        {"codec_decode_ascii", {coAsciiDump}},
    };
    for (const auto& decode : decodes) {
        const double seconds = BestSeconds([&] { return Decode(bytes, decode.options).size(); }, outputSize);
        Report(decode.name, double(bytes.size()), seconds);
    }
    return 0;
}
