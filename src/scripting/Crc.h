#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// The checksums scripts can compute over the bytes of a text.
//
// CRC16: polynomial 0x1021, most significant bit first, fed byte by byte at the low end
// (no reflection, no final XOR, no appended zero bytes); "abc" from 0 gives 0x1EE4.
// CRC32: the reflected 0xEDB88320 table, started from aInitCRC as given and complemented at
// the end; from 0xFFFFFFFF that is the standard CRC-32. Both give 0 for an empty text.
quint16 Crc16(quint32 aInitCRC, QByteArrayView aText);
quint32 Crc32(quint32 aInitCRC, QByteArrayView aText);
