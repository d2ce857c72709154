#include "support/specialfiles.h"

#include <QFile>

#include <chrono>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
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

OpenWatch::~OpenWatch()
{
    if (watcher >= 0)
        ::close(watcher);
}

bool OpenWatch::start(const QString &path, QString *why)
{
    watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watcher < 0 || ::inotify_add_watch(watcher, QFile::encodeName(path).constData(),
                           IN_OPEN | IN_DONT_FOLLOW) < 0) {
        *why = QStringLiteral("inotify cannot watch %1: %2").arg(path, qt_error_string(errno));
        return false;
    }
    return true;
}

int OpenWatch::opens()
{
    alignas(struct inotify_event) char events[4096];
    for (;;) {
        const ssize_t got = ::read(watcher, events, sizeof events);
        if (got <= 0)
            return seen;
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(events + at);
            if (event->mask & IN_OPEN)
                ++seen;
            at += ssize_t(sizeof(struct inotify_event) + event->len);
        }
    }
}

bool makeSocket(const QString &path, QString *why)
{
    const QByteArray name = QFile::encodeName(path);
    struct sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path) {
        *why = QStringLiteral("the path is too long for a socket: %1").arg(path);
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool made
        = fd >= 0 && ::bind(fd, reinterpret_cast<struct sockaddr *>(&address), sizeof address) == 0;
    if (!made)
        *why = QStringLiteral("no socket at %1: %2").arg(path, qt_error_string(errno));
    // Closing it leaves the entry, which nobody listens on any more.
    if (fd >= 0)
        ::close(fd);
    return made;
}

bool makeNullDevice(const QString &path, QString *why)
{
    if (::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        return true;
    *why = QStringLiteral("no device node at %1: %2").arg(path, qt_error_string(errno));
    return false;
}

bool makeFifo(const QString &path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0666) == 0;
}

QString endlessDevice()
{
    return QFile::exists(QStringLiteral("/dev/zero")) ? QStringLiteral("/dev/zero") : QString();
}

// The child's lease, given up when the system says that someone opens the file. Only
// calls that are safe in a signal handler and after a fork in a threaded program.
static int leasedFile = -1;

static void giveLeaseUp(int)
{
    ::fcntl(leasedFile, F_SETLEASE, F_UNLCK);
    ::_exit(0);
}

LeaseHolder::~LeaseHolder()
{
    if (child > 0) {
        ::kill(pid_t(child), SIGKILL);
        ::waitpid(pid_t(child), nullptr, 0);
    }
}

bool LeaseHolder::start(const QString &path, QString *why)
{
    const QByteArray name = QFile::encodeName(path);
    int ready[2];
    if (::pipe(ready) != 0) {
        *why = QStringLiteral("pipe failed");
        return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        signal(SIGIO, giveLeaseUp);
        leasedFile = ::open(name.constData(), O_RDWR);
        const char answer = ::fcntl(leasedFile, F_SETLEASE, F_WRLCK) == 0 ? 'y' : 'n';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &answer, 1);
        if (answer != 'y')
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char answer = 'n';
    const bool told = pid > 0 && ::read(ready[0], &answer, 1) == 1;
    ::close(ready[0]);
    child = pid;
    if (!told || answer != 'y') {
        *why = QStringLiteral("no write lease on a file here");
        return false;
    }
    return true;
}

bool LeaseHolder::broken()
{
    if (child <= 0)
        return false;
    if (::waitpid(pid_t(child), &status, 0) != pid_t(child))
        return false;
    child = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// No device names here: the name is a file's like any other.
bool writeFileNamedLikeADevice(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool removeFileNamedLikeADevice(const QString &path)
{
    return QFile::remove(path);
}
