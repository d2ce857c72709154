#include "search/specialfiles.h"

#include <QFile>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

FifoFeeder::~FifoFeeder()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
}

bool FifoFeeder::start(const QString &path, const QByteArray &text, QString *why)
{
    name = QFile::encodeName(path);
    line = text;
    if (::mkfifo(name.constData(), 0666) != 0) {
        *why = QStringLiteral("mkfifo failed");
        return false;
    }
    thread = std::thread([this] { answer(); });
    return true;
}

// An open for writing that does not wait succeeds only once a reader has the FIFO open or
// waits in its own open: then that reader gets the line and the end of the data. A reader
// gone meanwhile makes the write fail, without the signal that would end the process.
void FifoFeeder::answer()
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    while (!stopping) {
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        ++seen;
        [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
        ::close(fd);
    }
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}

QString endlessDevice()
{
    return QFile::exists(QStringLiteral("/dev/zero")) ? QStringLiteral("/dev/zero") : QString();
}
