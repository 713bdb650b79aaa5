#include "PtyPair.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

TPtyPair::TPtyPair() = default;

TPtyPair::~TPtyPair()
{
    Stop();
}

bool TPtyPair::Start(QString* aWhy)
{
    const QString link = QStringLiteral("pty,raw,echo=0,link=%1");
    FSocat.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FSocat.start(QStringLiteral("socat"), {link.arg(ProgramEnd()), link.arg(PeerEnd())});
    if (!FSocat.waitForStarted(5000)) {
        if (aWhy)
            *aWhy = QStringLiteral("socat did not start: ") + FSocat.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        if (QFileInfo::exists(ProgramEnd()) && QFileInfo::exists(PeerEnd()))
            return true;
        QThread::msleep(10);
    }
    if (aWhy)
        *aWhy = QStringLiteral("socat made no pty links");
    return false;
}

void TPtyPair::Stop()
{
    if (FSocat.state() != QProcess::NotRunning) {
        FSocat.terminate();
        if (!FSocat.waitForFinished(3000))
            FSocat.kill();
        FSocat.waitForFinished(1000);
    }
}

int TPtyPair::OpenPeer()
{
    const QByteArray path = PeerEnd().toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}
