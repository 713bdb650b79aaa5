#include "serial/TermCom.h"

#include "notation/StringDecoder.h"
#include "notation/StringEncoder.h"

TTermCom::TTermCom(QObject* aOwner)
    : TComMv(aOwner)
{
    FEigenschaftenCaption = QStringLiteral("Eigenschaften");
    FOKCaption = QStringLiteral("OK");
    FAbbruchCaption = QStringLiteral("Abbruch");
    FRadioGBCaption = QStringLiteral("Portnummer");
    FFormCaption = QStringLiteral("Schnittstellen Einstellungen");
}

QString TTermCom::Read()
{
    FOriginalRead = ReadBytes();
    TStringDecoder decoder;
    decoder.SetOptions(FOptions);
    return decoder.DecodeBytes(FOriginalRead, &FNumberMarks);
}

QByteArray TTermCom::ReadShown()
{
    FOriginalRead = ReadBytes();
    TStringDecoder decoder;
    decoder.SetOptions(FOptions);
    return decoder.DecodeToLatin1(FOriginalRead, &FNumberMarks);
}

bool TTermCom::Write(const QString& sData, bool aEncode)
{
    const QString text = aEncode ? TStringEncoder().EncodeString(sData) : sData;
    if (!Opened())
        return false;
    // One byte per character; what Latin-1 cannot hold goes out as '?'.
    const QByteArray bytes = text.toLatin1();
    return handle()->Write(bytes.constData(), bytes.size()) == text.size();
}

bool TTermCom::WriteBinary(const char* aData, qint64 aLength)
{
    if (!Opened() || aLength <= 0)
        return false;
    return handle()->Write(aData, aLength) == aLength;
}

TModemStatus TTermCom::ReadModemStatus()
{
    TModemStatus status;
    if (Opened() && !handle()->ModemStatus(status))
        status = {};
    return status;
}

bool TTermCom::CTS()
{
    return ReadModemStatus().Cts;
}

bool TTermCom::DSR()
{
    return ReadModemStatus().Dsr;
}

bool TTermCom::Ring()
{
    return ReadModemStatus().Ring;
}
