#include "support/filefixture.h"

#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

static QByteArray nativeName(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemFixtures()
{
    return QString();
}

FileIdentity fileIdentity(const QString &path)
{
    FileIdentity identity;
    const QByteArray name = nativeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0)
        return identity;
    identity.device = info.st_dev;
    identity.inode = info.st_ino;
    identity.owner = info.st_uid;
    identity.group = info.st_gid;
    identity.mode = info.st_mode & 07777;
    identity.links = uint(info.st_nlink);

    QByteArray names(65536, '\0');
    const ssize_t size = ::listxattr(name.constData(), names.data(), size_t(names.size()));
    if (size < 0)
        return identity;
    names.truncate(size);
    for (const QByteArray &attribute : names.split('\0')) {
        if (attribute.isEmpty())
            continue;
        QByteArray value(65536, '\0');
        const ssize_t length = ::getxattr(
            name.constData(), attribute.constData(), value.data(), size_t(value.size()));
        if (length < 0)
            return identity;
        value.truncate(length);
        identity.attributes.insert(attribute, value);
    }
    identity.valid = true;
    return identity;
}

bool isAdministrator()
{
    return ::geteuid() == 0;
}

bool setOwner(const QString &path, uint owner, uint group)
{
    return ::chown(nativeName(path).constData(), owner, group) == 0;
}

bool setMode(const QString &path, uint mode)
{
    return ::chmod(nativeName(path).constData(), mode) == 0;
}

bool setAttribute(const QString &path, const QByteArray &name, const QByteArray &value)
{
    return ::setxattr(nativeName(path).constData(), name.constData(), value.constData(),
               size_t(value.size()), 0)
        == 0;
}

QByteArray accessListName()
{
    return "system.posix_acl_access";
}

// One entry of the system's access-list format: tag and permissions on 16 bits, the user
// or group on 32, little-endian.
static void appendEntry(QByteArray &list, quint16 tag, quint16 permissions, quint32 id)
{
    const auto append = [&list](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            list.append(char((value >> (8 * i)) & 0xff));
    };
    append(tag, 2);
    append(permissions, 2);
    append(id, 4);
}

QByteArray accessListFor(uint user)
{
    const quint32 nobody = 0xffffffff;
    QByteArray list;
    list.append("\x02\x00\x00\x00", 4); // version 2
    appendEntry(list, 0x01, 6, nobody); // owner: read, write
    appendEntry(list, 0x02, 4, user); // the named user: read
    appendEntry(list, 0x04, 4, nobody); // owning group: read
    appendEntry(list, 0x10, 4, nobody); // mask: read
    appendEntry(list, 0x20, 0, nobody); // others: nothing
    return list;
}

bool makeHardLink(const QString &existing, const QString &newName)
{
    return ::link(nativeName(existing).constData(), nativeName(newName).constData()) == 0;
}

QString harmlessDevice()
{
    return QStringLiteral("/dev/null");
}

// A node of the same device as /dev/full, so that a save replacing it by mistake loses
// only this copy.
QString makeFullDevice(const QString &path)
{
    if (::mknod(nativeName(path).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        return QStringLiteral("cannot create a device node here");
    return QString();
}

QString fileType(const QString &path)
{
    struct stat info;
    if (::lstat(nativeName(path).constData(), &info) != 0)
        return QString();
    if (S_ISREG(info.st_mode))
        return QStringLiteral("file");
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("folder");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("fifo");
    if (S_ISCHR(info.st_mode))
        return QStringLiteral("character device");
    if (S_ISBLK(info.st_mode))
        return QStringLiteral("block device");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("socket");
    return QStringLiteral("other");
}

FifoReader::FifoReader(const QString &path)
    : handle(::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{ }

FifoReader::~FifoReader()
{
    if (handle >= 0)
        ::close(int(handle));
}

// Reads until the FIFO is empty: 0 once every writer has closed it, EAGAIN while one
// still holds it open.
QByteArray FifoReader::readAvailable()
{
    QByteArray bytes;
    if (handle < 0)
        return bytes;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(int(handle), buffer, sizeof buffer)) > 0)
        bytes.append(buffer, int(got));
    return bytes;
}

bool mountOverItself(const QString &path)
{
    const QByteArray name = nativeName(path);
    return ::mount(name.constData(), name.constData(), nullptr, MS_BIND, nullptr) == 0;
}

bool unmount(const QString &path)
{
    return ::umount(nativeName(path).constData()) == 0;
}

ChildResult runAsUser(
    uint user, uint group, const QList<uint> &groups, const std::function<bool()> &work)
{
    if (::geteuid() != 0)
        return ChildResult::Unavailable;
    const pid_t child = ::fork();
    if (child < 0)
        return ChildResult::Unavailable;
    if (child == 0) {
        ::alarm(10);
        std::vector<gid_t> list(groups.begin(), groups.end());
        if (::setgroups(list.size(), list.data()) != 0 || ::setgid(group) != 0
            || ::setuid(user) != 0)
            ::_exit(3);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child)
        return ChildResult::Unavailable;
    if (!WIFEXITED(status))
        return ChildResult::Stopped;
    switch (WEXITSTATUS(status)) {
    case 0:
        return ChildResult::True;
    case 1:
        return ChildResult::False;
    default:
        return ChildResult::Unavailable;
    }
}

// The immutable flag: neither a rename over the file nor a write into it is allowed.
static bool setImmutable(const QString &path, bool immutable)
{
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

HeldFile::HeldFile(const QString &path)
    : path(path)
    , held(setImmutable(path, true))
{ }

HeldFile::~HeldFile()
{
    if (held)
        setImmutable(path, false);
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit old;
    if (::getrlimit(RLIMIT_FSIZE, &old) != 0)
        return;
    previous[0] = old.rlim_cur;
    previous[1] = old.rlim_max;
    rlimit lowered = old;
    lowered.rlim_cur = rlim_t(bytes);
    set = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    if (set)
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
}

FileSizeLimit::~FileSizeLimit()
{
    if (!set)
        return;
    rlimit old;
    old.rlim_cur = previous[0];
    old.rlim_max = previous[1];
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
}

QString mountSmallFileSystem(const QString &folder, qint64 bytes)
{
    if (::geteuid() != 0)
        return QStringLiteral("needs root, to mount a file system");
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", nativeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
        return QStringLiteral("cannot mount a tmpfs here: ")
            + QString::fromLocal8Bit(strerror(errno));
    return QString();
}

bool fillFileSystem(const QString &path)
{
    const int fd
        = ::open(nativeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray zeros(4096, '\0');
    ssize_t written = 0;
    while ((written = ::write(fd, zeros.constData(), size_t(zeros.size()))) > 0) { }
    const bool full = written < 0 && errno == ENOSPC;
    ::close(fd);
    return full;
}

// The flags the tests name, with the letters chattr gives them.
static const struct
{
    char letter;
    int flag;
} flagLetters[] = { { 'd', FS_NODUMP_FL }, { 'A', FS_NOATIME_FL }, { 'i', FS_IMMUTABLE_FL },
    { 'a', FS_APPEND_FL } };

static bool readFlags(const QString &path, int &flags)
{
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool read = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    ::close(fd);
    return read;
}

QString fileFlags(const QString &path)
{
    int flags = 0;
    if (!readFlags(path, flags))
        return QString();
    QString letters(QLatin1String(""));
    for (const auto &known : flagLetters) {
        if (flags & known.flag)
            letters += QLatin1Char(known.letter);
    }
    return letters;
}

bool addFileFlags(const QString &path, const QString &letters)
{
    int flags = 0;
    if (!readFlags(path, flags))
        return false;
    for (const auto &known : flagLetters) {
        if (letters.contains(QLatin1Char(known.letter)))
            flags |= known.flag;
    }
    const int fd = ::open(nativeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool set = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return set;
}

struct FifoRescue::State
{
    QByteArray name;
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool rescued = false;
    std::thread thread;
};

FifoRescue::FifoRescue(const QString &path, int delayMs)
    : state(new State)
{
    state->name = nativeName(path);
    state->thread = std::thread([s = state, delayMs] {
        std::unique_lock<std::mutex> lock(s->mutex);
        // Again and again, for whoever waits next (a read, then a write back).
        while (!s->wake.wait_for(
            lock, std::chrono::milliseconds(delayMs), [s] { return s->stopping; })) {
            // Open for reading and writing, which Linux grants at once: a writer that waits
            // gets its reader, a reader its writer, and the close ends the reader's read.
            const int fd = ::open(s->name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                return;
            s->rescued = true;
            ::usleep(200 * 1000);
            char buffer[4096];
            while (::read(fd, buffer, sizeof buffer) > 0) { }
            ::close(fd);
        }
    });
}

FifoRescue::~FifoRescue()
{
    finish();
    delete state;
}

bool FifoRescue::finish()
{
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->stopping = true;
    }
    state->wake.notify_all();
    if (state->thread.joinable())
        state->thread.join();
    return state->rescued;
}

QString wineVersion()
{
    return QString();
}

bool linkSecondName(const QString &existing, const QString &newName)
{
    return makeHardLink(existing, newName);
}

bool sameFile(const QString &first, const QString &second)
{
    struct stat one;
    struct stat other;
    return ::stat(nativeName(first).constData(), &one) == 0
        && ::stat(nativeName(second).constData(), &other) == 0 && one.st_dev == other.st_dev
        && one.st_ino == other.st_ino;
}

QString fileTraits(const QString &)
{
    return QString();
}

bool addFileTraits(const QString &, const QStringList &)
{
    return false;
}

QString makeJunction(const QString &, const QString &)
{
    return QStringLiteral("junctions are Windows' own");
}
