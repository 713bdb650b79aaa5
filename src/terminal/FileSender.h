#pragma once

#include <QFile>
#include <QObject>
#include <QString>

class QTimer;
class TTerminalSession;

// Sends a file over the port byte for byte, in blocks of 1024 bytes, without a protocol.
//
// The file is streamed, never read whole, and the next block is read only when the port has
// sent all but a few blocks of what it was given: memory stays flat and the progress counts
// bytes that have left, not bytes handed to a buffer (at 9600 baud a megabyte takes 18
// minutes). With echo on each block is shown as sent text. Texts the user sends meanwhile wait
// until the file is through.
class TFileSender : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kBlockSize = 1024;
    // How much may wait in the port's queue before the next block is read.
    static constexpr qint64 kMaxQueued = 4 * kBlockSize;

    explicit TFileSender(TTerminalSession& aSession, QObject* aParent = nullptr);
    ~TFileSender() override;

    // Starts sending aFileName; raises EVarnexError when it cannot be opened.
    void Start(const QString& aFileName);
    // Stops at once and throws away what still waits for the line.
    void Abort();
    bool IsSending() const { return FFile.isOpen(); }
    // Bytes that have left the port so far, and the file's size.
    qint64 Sent() const;
    qint64 Size() const { return FSize; }

    // Moves the transfer on as far as the port takes it. Runs on the event loop; tests that
    // drive it themselves switch that off.
    void Step();
    void SetOnEventLoop(bool aOn) { FOnEventLoop = aOn; }

    // "Abbruch mit 'ESC' (1,024KB von 2,500KB)", in the user's number format.
    static QString ProgressText(qint64 aSent, qint64 aTotal);

signals:
    void Progress(qint64 aSent, qint64 aTotal);
    // The transfer ended: complete, stopped by the user (both with an empty text) or failed.
    void Finished(const QString& aError);

private:
    void Finish(const QString& aError);

    TTerminalSession& FSession;
    QTimer* FTimer = nullptr;
    QFile FFile;
    qint64 FSize = 0;
    qint64 FRead = 0;
    bool FEndOfFile = false;
    bool FOnEventLoop = true;
};
