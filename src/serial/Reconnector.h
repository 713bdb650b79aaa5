#pragma once

#include <QString>

class T_QCCom32;

// Brings a port back whose device vanished: USB adapters and boards that reset come back a
// moment later, often under the same path, sometimes under another one (ttyUSB0 becomes
// ttyUSB1 while the old node is still held). The adapter is then found again by its entry in
// /dev/serial/by-id, which names it by vendor, model and serial number.
//
// The reconnector only looks and opens when asked (Attempt), so its owner decides how often.
class TReconnector
{
public:
    explicit TReconnector(T_QCCom32& aCom);

    // The port is open: note which device and which adapter it is, for a later loss.
    // Cheap when nothing changed since the last call.
    void Remember();
    // The device is gone and the port closed: wait for it to come back.
    void Start();
    // Waiting ends (the user switched the port off, or chose another one).
    void Stop();
    bool IsWaiting() const { return FWaiting; }
    // The port waited for.
    int Port() const { return FPort; }
    // The device waited for, as the user knows it.
    QString Device() const { return FPath; }

    // Looks whether the device is back and opens the port on it with the line settings and
    // modem lines it had; true when the port is open again (waiting has ended then).
    bool Attempt();

    // Where the adapters' stable names are found; tests use a folder of their own.
    static QString ByIdDirectory();
    static void SetByIdDirectory(const QString& aDir);

private:
    // The by-id name whose link leads to aPath (empty when there is none).
    static QString ByIdNameOf(const QString& aPath);

    T_QCCom32& FCom;
    bool FWaiting = false;
    int FPort = -1;   // the port as it was when last open
    QString FPath;    // its device
    QString FById;    // the adapter's by-id name, when it has one
};
