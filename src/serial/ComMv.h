#pragma once

#include "serial/QCCom32.h"

#include <QByteArray>

// Adds to the port the status texts, single-byte and block transfers, a message-pumping
// delay and the captions of the port-selection dialog.
class TComMv : public T_QCCom32
{
public:
    enum TEinstControl { ecOK, ecAktual, ecCancel, ecPort, ecProp };
    static constexpr int kBinaryBlockSize = 2050;

    explicit TComMv(QObject* aOwner = nullptr);

    // The port-selection dialog; true once it has been shown (false without a user
    // interface). A port chosen there is set at once and left closed.
    virtual bool Eigenschaften();

    QString CommStatus() const;
    QString PortString() const;

    // Reads what waits, at most one block, raw; aCount receives the number of bytes.
    QByteArray ReadBinary(int& aCount);
    bool WriteBinary(char aData);
    // Waits aMilliseconds while the window stays alive.
    static void Delay(int aMilliseconds);

    QString CaptionProperties() const { return FEigenschaftenCaption; }
    void SetCaptionProperties(const QString& a) { FEigenschaftenCaption = a; }
    QString CaptionOK() const { return FOKCaption; }
    void SetCaptionOK(const QString& a) { FOKCaption = a; }
    QString CaptionCancel() const { return FAbbruchCaption; }
    void SetCaptionCancel(const QString& a) { FAbbruchCaption = a; }
    QString CaptionAktual() const { return FAktualisierenCaption; }
    void SetCaptionAktual(const QString& a) { FAktualisierenCaption = a; }
    QString CaptionPort() const { return FRadioGBCaption; }
    void SetCaptionPort(const QString& a) { FRadioGBCaption = a; }
    QString CaptionForm() const { return FFormCaption; }
    void SetCaptionForm(const QString& a) { FFormCaption = a; }
    bool Locked() const { return FLocked; }
    void SetLocked(bool aLocked) { FLocked = aLocked; }

protected:
    QString FEigenschaftenCaption;
    QString FOKCaption;
    QString FAbbruchCaption;
    QString FAktualisierenCaption;
    QString FRadioGBCaption;
    QString FFormCaption;
    bool FLocked = false;
    // The line parameters as they were when the port-selection dialog opened.
    int nPortAlt = 0;
    int lBaudAlt = 0;
    int lDataBitsAlt = 0;
    TStopBit lStopBitsAlt = sb1_0;
    TParity lParityAlt = paNone;
};
