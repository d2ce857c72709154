#ifndef SPECIALFILES_H
#define SPECIALFILES_H

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// A FIFO that notices readers: while it lives, a thread answers anyone who opens the FIFO
// for reading with one line and the end of the data. A scan that opens it is thus never
// stuck, and is caught.
class FifoFeeder
{
public:
    FifoFeeder() = default;
    FifoFeeder(const FifoFeeder &) = delete;
    FifoFeeder &operator=(const FifoFeeder &) = delete;
    ~FifoFeeder();

    // Makes the FIFO at path and starts answering; false, with the reason, where the system
    // has no FIFOs.
    bool start(const QString &path, const QByteArray &line, QString *why);

    // How many times the thread found the FIFO open for reading: 0 when nobody opened it.
    int readersSeen() const { return seen.load(); }

private:
    void answer();

    QByteArray name;
    QByteArray line;
    std::atomic<bool> stopping { false };
    std::atomic<int> seen { 0 };
    std::thread thread;
};

// Another program's lease on a file, as a Samba or NFS server takes one: a child process
// holds a write lease, so that an open by anyone else waits (or, not waiting, fails at
// once) until the child, told by the system, gives the lease up.
class LeaseHolder
{
public:
    LeaseHolder() = default;
    LeaseHolder(const LeaseHolder &) = delete;
    LeaseHolder &operator=(const LeaseHolder &) = delete;
    ~LeaseHolder();

    // Takes the lease on the file at path; false, with the reason, where the system or
    // the file system gives none.
    bool start(const QString &path, QString *why);

    // Whether the child gave the lease up because someone opened the file.
    bool broken();

private:
    qint64 child = -1;
    int status = 0;
};

// Whatever opens a file system entry, as the system tells it to a watcher of that entry:
// only real opens count, not a handle that merely names the entry.
class OpenWatch
{
public:
    OpenWatch() = default;
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;
    ~OpenWatch();

    // Watches the entry at path (not what a link there leads to); false, with the reason,
    // where the system tells no opens.
    bool start(const QString &path, QString *why);
    // How many opens of the entry the system told since start.
    int opens();

private:
    int watcher = -1;
    int seen = 0;
};

// Makes a socket that nobody listens on, at path; false, with the reason, where none can be made.
bool makeSocket(const QString &path, QString *why);

// Makes a device node at path that reads nothing and takes any write (the null device);
// false, with the reason, where this user may not make one.
bool makeNullDevice(const QString &path, QString *why);

// Makes a FIFO that nobody writes to, for a walk that must never open it; false where the
// system has no FIFOs.
bool makeFifo(const QString &path);

// A device that reads without end (/dev/zero), or an empty string where there is none.
QString endlessDevice();

// Writes a file whose name Windows also gives a device ("nul.txt"), as a tool that writes
// "\\?\" paths makes it: the file system takes any name. False where it cannot be made.
bool writeFileNamedLikeADevice(const QString &path, const QByteArray &bytes);
// Removes it the same way: through its plain name, Windows would reach the device.
bool removeFileNamedLikeADevice(const QString &path);

#endif // SPECIALFILES_H
