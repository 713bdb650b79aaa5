#pragma once

#include "notation/TermComOptions.h"
#include "serial/ComMv.h"

// The terminal's port: writes slash notation, reads into display text.
class TTermCom : public TComMv
{
public:
    explicit TTermCom(QObject* aOwner = nullptr);

    // The decoded display text of what waits; the raw characters stay in OriginalRead.
    QString Read() override;
    // The same, one byte a character (Latin-1): what a read shows always is.
    QByteArray ReadShown();
    // Writes sData (slash notation when aEncode) as one byte per character; characters
    // above 255 go out as '?'. False when closed or not everything was taken.
    bool Write(const QString& sData, bool aEncode);
    bool WriteBinary(const char* aData, qint64 aLength);
    using TComMv::WriteBinary;

    TTermComOptions Options() const { return FOptions; }
    void SetOptions(TTermComOptions aOptions) { FOptions = aOptions; }
    QString OriginalRead() const { return QString::fromLatin1(FOriginalRead); }
    const QByteArray& OriginalBytes() const { return FOriginalRead; }
    // In the ASCII dump: which characters of the last read's display text show numbers.
    const QByteArray& NumberMarks() const { return FNumberMarks; }

    bool CTS();
    bool DSR();
    bool Ring();

private:
    TModemStatus ReadModemStatus();

    TTermComOptions FOptions;
    QByteArray FOriginalRead;
    QByteArray FNumberMarks;
};
