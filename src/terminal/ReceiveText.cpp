#include "terminal/ReceiveText.h"

#include "terminal/RtfWriter.h"

#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {
constexpr char kWidePlaceholder = char(TReceiveText::WidePlaceholder);
constexpr qint64 kStreamChunk = 1 << 20;
// The glyphs of Windows code page 1252 at 0x80-0x9F (0: a place the code page leaves unused).
// Received bytes there show as on the terminals engineers know, instead of not at all.
constexpr char16_t kCp1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

TReceiveText::TReceiveText()
{
    FRuns.append({0, false});
}

void TReceiveText::Clear()
{
    ++FCuts;
    FText.clear();
    FNumberBits.clear();
    FWide.clear();
    FParagraphs.clear();
    FRuns.clear();
    FRuns.append({0, false});
    FPendingCr = false;
}

void TReceiveText::AppendChars(QStringView aText)
{
    if (aText.isEmpty())
        return;
    const qint64 base = FText.size();
    FText.resize(base + aText.size());
    char* out = FText.data() + base;
    const char16_t* in = reinterpret_cast<const char16_t*>(aText.data());
    const qsizetype n = aText.size();
    // Received text is nearly always Latin-1: find out in one pass, then narrow in another;
    // both loops are simple enough for the compiler to vectorise.
    char16_t all = 0;
    for (qsizetype i = 0; i < n; ++i)
        all |= in[i];
    if (all < 256) {
        for (qsizetype i = 0; i < n; ++i)
            out[i] = char(in[i]);
        return;
    }
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (c < 256) {
            out[i] = char(c);
        } else {
            out[i] = kWidePlaceholder;
            FWide.insert(base + i, c);
        }
    }
}

void TReceiveText::AppendBytes(QByteArrayView aText)
{
    // resize grows the block in place (QByteArray::append would copy all of it to a new one)
    const qint64 base = FText.size();
    FText.resize(base + aText.size());
    std::memcpy(FText.data() + base, aText.data(), size_t(aText.size()));
}

template <class TChar, class TAppendSpan>
void TReceiveText::AppendLines(const TChar* aText, qsizetype aSize, bool aBold, TAppendSpan&& aAppendSpan)
{
    if (aSize == 0)
        return;
    if (FRuns.last().Bold != aBold) {
        if (FRuns.last().Start == FText.size())
            FRuns.last().Bold = aBold;
        else
            FRuns.append({FText.size(), aBold});
    }
    using TUnit = std::make_unsigned_t<TChar>;
    qsizetype i = 0;
    if (FPendingCr && aText[0] == '\n')
        i = 1; // the LF of a CR LF split over two reads
    FPendingCr = false;
    if (FParagraphs.isEmpty())
        StartParagraph();
    // A dump has no line breaks, nor any other character as low as CR: the smallest
    // character, found in one pass the compiler can vectorise, tells.
    TUnit lowest = TUnit(~TUnit(0));
    for (qsizetype k = i; k < aSize; ++k)
        lowest = qMin(lowest, TUnit(aText[k]));
    if (lowest > '\r') {
        aAppendSpan(i, aSize - i);
        return;
    }
    while (i < aSize) {
        qsizetype j = i;
        while (j < aSize && aText[j] != '\r' && aText[j] != '\n')
            ++j;
        if (j > i)
            aAppendSpan(i, j - i);
        if (j == aSize)
            break;
        if (aText[j] == '\r') {
            if (j + 1 < aSize && aText[j + 1] == '\n')
                ++j;
            else if (j + 1 == aSize)
                FPendingCr = true;
        }
        StartParagraph();
        i = j + 1;
    }
}

void TReceiveText::Append(QStringView aText, bool aBold)
{
    AppendLines(aText.utf16(), aText.size(), aBold,
                [&](qsizetype aFrom, qsizetype aCount) { AppendChars(aText.sliced(aFrom, aCount)); });
}

void TReceiveText::AppendLatin1(QByteArrayView aText)
{
    AppendLines(aText.data(), aText.size(), false,
                [&](qsizetype aFrom, qsizetype aCount) { AppendBytes(aText.sliced(aFrom, aCount)); });
}

void TReceiveText::AppendNumbers(QStringView aText, const QByteArray& aNumbers)
{
    const qint64 base = FText.size();
    Append(aText, false);
    if (FText.size() - base != aText.size() || aNumbers.size() != aText.size())
        return; // line breaks in it: not a dump
    const qint64 end = FText.size();
    if (FNumberBits.size() < (end + 7) / 8)
        FNumberBits.resize((end + 7) / 8, '\0');
    char* bits = FNumberBits.data();
    for (qint64 i = 0; i < aText.size(); ++i)
        if (aNumbers[i])
            bits[(base + i) >> 3] = char(uchar(bits[(base + i) >> 3]) | (1u << ((base + i) & 7)));
}

bool TReceiveText::IsValidMark(const TReceiveMark& aMark) const
{
    if (aMark.Chars < 0 || aMark.Lines < 0 || aMark.Chars > FText.size() || aMark.Lines > FParagraphs.size())
        return false;
    if (aMark.Lines == 0)
        return aMark.Chars == 0;
    // The mark lies within its last line: that line starts at or before it, and the next one
    // (if any) at or after it. A mark kept from before a cut back can break the second.
    return FParagraphs[aMark.Lines - 1] <= aMark.Chars
        && (aMark.Lines == FParagraphs.size() || FParagraphs[aMark.Lines] >= aMark.Chars);
}

bool TReceiveText::TruncateTo(const TReceiveMark& aMark)
{
    if (!IsValidMark(aMark))
        return false;
    if (aMark.Lines == 0) {
        Clear();
        return true;
    }
    ++FCuts;
    FText.truncate(aMark.Chars);
    if (!FWide.isEmpty())
        FWide.removeIf(
            [&aMark](QHash<qint64, char16_t>::iterator aEntry) { return aEntry.key() >= aMark.Chars; });
    FParagraphs.resize(aMark.Lines);
    while (FRuns.size() > 1 && FRuns.last().Start >= aMark.Chars)
        FRuns.removeLast();
    if (!FNumberBits.isEmpty()) {
        FNumberBits.truncate((aMark.Chars + 7) / 8);
        if (aMark.Chars & 7)
            FNumberBits.back() = char(uchar(FNumberBits.back()) & ((1u << (aMark.Chars & 7)) - 1));
    }
    FPendingCr = aMark.PendingCr;
    return true;
}

bool TReceiveText::DropFront(const TReceiveMark& aMark)
{
    if (!IsValidMark(aMark))
        return false;
    if (aMark.Lines == 0)
        return true;
    const qint64 cut = aMark.Chars;
    const bool boldAtCut = BoldAt(cut);
    if (!FNumberBits.isEmpty()) {
        QByteArray kept(std::max<qint64>(0, (FText.size() - cut + 7) / 8), '\0');
        for (qint64 i = cut; i < FText.size(); ++i)
            if (IsNumber(i))
                kept[(i - cut) >> 3] = char(uchar(kept[(i - cut) >> 3]) | (1u << ((i - cut) & 7)));
        FNumberBits = kept;
    }
    // Copies only what is kept: the dropped part may be large and still shared by a snapshot.
    FText = FText.mid(cut);
    FDropped += cut;
    if (!FWide.isEmpty()) {
        QHash<qint64, char16_t> kept;
        for (auto it = FWide.cbegin(); it != FWide.cend(); ++it)
            if (it.key() >= cut)
                kept.insert(it.key() - cut, it.value());
        FWide = kept;
    }
    QList<qint64> paragraphs{0};
    for (qsizetype p = aMark.Lines; p < FParagraphs.size(); ++p)
        paragraphs.append(FParagraphs[p] - cut);
    QList<TStyleRun> runs{{0, boldAtCut}};
    for (const TStyleRun& run : std::as_const(FRuns))
        if (run.Start > cut && run.Bold != runs.last().Bold)
            runs.append({run.Start - cut, run.Bold});
    FRuns = runs;
    // Nothing came after the mark: as empty as a cleared text, but a CR at the very end still
    // waits for its LF.
    if (FText.isEmpty() && paragraphs.size() == 1)
        paragraphs.clear();
    FParagraphs = paragraphs;
    return true;
}

char16_t TReceiveText::CharAt(qint64 aOffset) const
{
    const uchar c = uchar(FText[aOffset]);
    if (c == uchar(kWidePlaceholder) && !FWide.isEmpty())
        return FWide.value(aOffset, c);
    return c;
}

QString TReceiveText::DisplayText(qint64 aFrom, qint64 aTo) const
{
    QString result = QString::fromLatin1(FText.constData() + aFrom, aTo - aFrom);
    if (!FWide.isEmpty())
        for (qint64 i = aFrom; i < aTo; ++i)
            if (FText[i] == kWidePlaceholder && FWide.contains(i))
                result[i - aFrom] = QChar(FWide.value(i));
    return result;
}

QString TReceiveText::Text() const
{
    QString result;
    result.reserve(FText.size() + 2 * FParagraphs.size());
    for (qsizetype i = 0; i < FParagraphs.size(); ++i) {
        if (i > 0)
            result += QStringLiteral("\r\n");
        result += Line(i);
    }
    return result;
}

qsizetype TReceiveText::ParagraphAt(qint64 aOffset) const
{
    // Empty paragraphs share their start with the next one: the last of them holds the offset.
    const auto it = std::upper_bound(FParagraphs.cbegin(), FParagraphs.cend(), aOffset);
    return qMax<qsizetype>(0, (it - FParagraphs.cbegin()) - 1);
}

char16_t TReceiveText::ShownChar(char16_t aStored)
{
    if (aStored >= 0x80 && aStored < 0xA0 && kCp1252[aStored - 0x80] != 0)
        return kCp1252[aStored - 0x80];
    return aStored;
}

bool TReceiveText::BoldAt(qint64 aOffset) const
{
    auto it = std::upper_bound(FRuns.cbegin(), FRuns.cend(), aOffset,
                               [](qint64 pos, const TStyleRun& run) { return pos < run.Start; });
    return it == FRuns.cbegin() ? false : std::prev(it)->Bold;
}

qint64 TReceiveText::StyleEnd(qint64 aOffset, qint64 aLimit) const
{
    auto next = std::upper_bound(FRuns.cbegin(), FRuns.cend(), aOffset,
                                 [](qint64 pos, const TStyleRun& run) { return pos < run.Start; });
    return next == FRuns.cend() ? aLimit : qMin(aLimit, next->Start);
}

bool TReceiveText::SaveText(QIODevice* aOut) const
{
    const bool latin1 = FWide.isEmpty();
    for (qsizetype p = 0; p < FParagraphs.size(); ++p) {
        if (p > 0 && aOut->write("\r\n", 2) != 2)
            return false;
        for (qint64 at = FParagraphs[p], end = ParagraphEnd(p); at < end; at += kStreamChunk) {
            const qint64 n = qMin(kStreamChunk, end - at);
            const QByteArray bytes = latin1 ? QByteArray::fromRawData(FText.constData() + at, n)
                                            : DisplayText(at, at + n).toUtf8();
            if (aOut->write(bytes) != bytes.size())
                return false;
        }
    }
    return true;
}

bool TReceiveText::SaveRtf(QIODevice* aOut, const QString& aFontFamily, int aPointSize) const
{
    TRtfWriter writer(aOut);
    writer.Begin(aFontFamily, qMax(1, aPointSize));
    for (qsizetype p = 0; p < FParagraphs.size(); ++p) {
        if (p > 0)
            writer.EndParagraph();
        qint64 at = FParagraphs[p];
        const qint64 end = ParagraphEnd(p);
        while (at < end) {
            const qint64 n = qMin(kStreamChunk, StyleEnd(at, end) - at);
            writer.Text(DisplayText(at, at + n), BoldAt(at));
            at += n;
        }
    }
    return writer.End();
}

QString TReceiveText::WriteFile(const QString& aFileName, const QString& aFontFamily, int aPointSize) const
{
    QSaveFile file(aFileName);
    const bool rtf = QFileInfo(aFileName).suffix().compare(QLatin1String("rtf"), Qt::CaseInsensitive) == 0;
    bool written = file.open(QIODevice::WriteOnly);
    if (written)
        written = rtf ? SaveRtf(&file, aFontFamily, aPointSize) : SaveText(&file);
    if (written && file.commit())
        return {};
    const QString reason = file.errorString();
    file.cancelWriting();
    return QStringLiteral("Die Datei \"%1\" konnte nicht gespeichert werden: %2").arg(aFileName, reason);
}
