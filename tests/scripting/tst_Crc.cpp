// The script checksums, bit for bit.
#include "scripting/Crc.h"

#include <QtTest>

class TstCrc : public QObject
{
    Q_OBJECT

private slots:
    void crc16_data()
    {
        QTest::addColumn<quint32>("init");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<quint16>("expected");
        QTest::newRow("abc from 0") << 0u << QByteArray("abc") << quint16(0x1EE4);
        QTest::newRow("empty, any start") << 0x1234u << QByteArray() << quint16(0);
        // Only the low 16 bits of the start value count.
        QTest::newRow("start cut to 16 bits") << 0xABCD0000u << QByteArray("abc") << quint16(0x1EE4);
        // One byte from 0: the table entry of the byte's predecessor state is 0, so the byte
        // itself comes out.
        QTest::newRow("single byte") << 0u << QByteArray("\x01", 1) << quint16(0x0001);
        // Two zero bytes appended turn the loop into the common direct CRC-16/XMODEM.
        QTest::newRow("xmodem check value") << 0u << QByteArray("123456789\0\0", 11) << quint16(0x31C3);
    }
    void crc16()
    {
        QFETCH(quint32, init);
        QFETCH(QByteArray, text);
        QFETCH(quint16, expected);
        QCOMPARE(Crc16(init, text), expected);
    }

    void crc32_data()
    {
        QTest::addColumn<quint32>("init");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("abc standard") << 0xFFFFFFFFu << QByteArray("abc") << 0x352441C2u;
        QTest::newRow("abc from 0") << 0u << QByteArray("abc") << 0x359A672Fu;
        QTest::newRow("empty") << 0xFFFFFFFFu << QByteArray() << 0u;
        QTest::newRow("check value") << 0xFFFFFFFFu << QByteArray("123456789") << 0xCBF43926u;
        QTest::newRow("one letter") << 0xFFFFFFFFu << QByteArray("a") << 0xE8B7BE43u;
    }
    void crc32()
    {
        QFETCH(quint32, init);
        QFETCH(QByteArray, text);
        QFETCH(quint32, expected);
        QCOMPARE(Crc32(init, text), expected);
    }
};

QTEST_APPLESS_MAIN(TstCrc)
#include "tst_Crc.moc"
