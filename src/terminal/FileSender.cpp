#include "terminal/FileSender.h"

#include "base/ErrorGuard.h"
#include "base/VarnexError.h"
#include "serial/TermCom.h"
#include "terminal/TerminalSession.h"

#include <QLocale>
#include <QTimer>

namespace {
// The port says when queued bytes left; this only catches a device that cannot.
constexpr int kDrainPollMs = 20;
} // namespace

TFileSender::TFileSender(TTerminalSession& aSession, QObject* aParent)
    : QObject(aParent)
    , FSession(aSession)
{
    FTimer = new QTimer(this);
    FTimer->setSingleShot(true);
    connect(FTimer, &QTimer::timeout, this, [this] { Guarded([this] { Step(); }); });
}

TFileSender::~TFileSender()
{
    if (IsSending())
        FSession.SetTransferring(false);
}

void TFileSender::Start(const QString& aFileName)
{
    if (IsSending())
        return;
    FFile.setFileName(aFileName);
    if (!FFile.open(QIODevice::ReadOnly))
        throw EVarnexError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                               .arg(aFileName, FFile.errorString()));
    FSize = FFile.size();
    FRead = 0;
    FEndOfFile = false;
    FSession.SetTransferring(true);
    // Tops the queue up as soon as the line has taken from it; never from inside the port.
    FSession.Com()->OnBytesWritten = [this] {
        if (IsSending() && FOnEventLoop)
            FTimer->start(0);
    };
    Step();
}

qint64 TFileSender::Sent() const
{
    return qBound<qint64>(0, FRead - FSession.Com()->OutCount(), FRead);
}

void TFileSender::Step()
{
    if (!IsSending())
        return;
    TTermCom* com = FSession.Com();
    bool moved = false;
    while (!FEndOfFile && com->OutCount() < kMaxQueued) {
        char block[kBlockSize];
        const qint64 n = FFile.read(block, kBlockSize);
        if (n < 0) {
            Finish(QStringLiteral("Die Datei \"%1\" kann nicht weiter gelesen werden: %2")
                       .arg(FFile.fileName(), FFile.errorString()));
            return;
        }
        if (n > 0 && !com->WriteBinary(block, n)) {
            Finish(
                QStringLiteral("Die Datei \"%1\" wurde nicht vollständig gesendet: die Schnittstelle nimmt "
                               "keine Daten an (%2 von %3 Bytes gesendet).")
                    .arg(FFile.fileName())
                    .arg(Sent())
                    .arg(FSize));
            return;
        }
        FRead += n;
        // One echo line per block, the bytes as they are; the last read may be empty.
        if (FSession.Echo())
            FSession.WriteSendEcho(QString::fromLatin1(block, n));
        FEndOfFile = n < kBlockSize;
        moved = true;
        emit Progress(Sent(), FSize);
    }
    if (FEndOfFile && com->OutCount() == 0) {
        if (!moved)
            emit Progress(Sent(), FSize);
        Finish(QString());
        return;
    }
    if (!moved)
        emit Progress(Sent(), FSize);
    if (FOnEventLoop)
        FTimer->start(kDrainPollMs);
}

void TFileSender::Abort()
{
    if (!IsSending())
        return;
    FSession.Com()->DiscardOutput();
    Finish(QString());
}

void TFileSender::Finish(const QString& aError)
{
    FTimer->stop();
    FSession.Com()->OnBytesWritten = nullptr;
    FFile.close();
    FSession.SetTransferring(false);
    emit Finished(aError);
}

QString TFileSender::ProgressText(qint64 aSent, qint64 aTotal)
{
    const QLocale locale;
    return QStringLiteral("Abbruch mit 'ESC' (%1KB von %2KB)")
        .arg(locale.toString(aSent / 1000.0, 'f', 3), locale.toString(aTotal / 1000.0, 'f', 3));
}
