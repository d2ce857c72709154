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

// Makes a FIFO that nobody writes to, for a walk that must never open it; false where the
// system has no FIFOs.
bool makeFifo(const QString &path);

// A device that reads without end (/dev/zero), or an empty string where there is none.
QString endlessDevice();

#endif // SPECIALFILES_H
