#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Two linked ptys made by socat: the program opens one end as its serial device, the test
// (or a peer process it starts) works on the other.
class TPtyPair
{
public:
    TPtyPair();
    ~TPtyPair();

    // False (with a reason) when socat is missing or the links did not appear.
    bool Start(QString* aWhy = nullptr);
    void Stop();

    QString ProgramEnd() const { return FDir.path() + QStringLiteral("/varnex"); }
    QString PeerEnd() const { return FDir.path() + QStringLiteral("/peer"); }
    QString Path(const QString& aName) const { return FDir.path() + QLatin1Char('/') + aName; }

    // Opens the peer end raw for the test itself (-1 on failure).
    int OpenPeer();

private:
    QTemporaryDir FDir;
    QProcess FSocat;
};
