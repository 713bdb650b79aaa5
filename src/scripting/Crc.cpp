#include "scripting/Crc.h"

#include <array>

namespace {

constexpr std::array<quint16, 256> MakeCrc16Table()
{
    std::array<quint16, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = quint16(crc);
    }
    return table;
}

constexpr std::array<quint32, 256> MakeCrc32Table()
{
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[i] = crc;
    }
    return table;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr auto kCrc32Table = MakeCrc32Table();

} // namespace

quint16 Crc16(quint32 aInitCRC, QByteArrayView aText)
{
    if (aText.isEmpty())
        return 0;
    quint16 crc = quint16(aInitCRC);
    for (char c : aText)
        crc = quint16(quint16((crc << 8) + quint8(c)) ^ kCrc16Table[crc >> 8]);
    return crc;
}

quint32 Crc32(quint32 aInitCRC, QByteArrayView aText)
{
    if (aText.isEmpty())
        return 0;
    quint32 crc = aInitCRC;
    for (char c : aText)
        crc = (crc >> 8) ^ kCrc32Table[(crc ^ quint8(c)) & 0xFF];
    return ~crc;
}
