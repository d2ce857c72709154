#include "helpers/filesave.h"

#include <QFile>
#include <QFileDevice>
#include <QList>
#include <QSaveFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

// As many links as Linux follows in one path before it gives up with ELOOP.
static const int maxLinks = 40;

QString linkedFile(const QString &path)
{
    QByteArray current = QFile::encodeName(path);
    for (int links = 0;; ++links) {
        // Whatever cannot be looked at here is left to the open, which fails the same way.
        struct stat info;
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            return QFile::decodeName(current);
        if (links == maxLinks)
            return QString();

        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.constData(), target.data(), target.size());
        if (length <= 0 || length >= target.size())
            return QString();
        target.truncate(length);

        // A relative target counts from the link's own folder, exactly as the system
        // reads it: the names are joined, never cleaned.
        if (!target.startsWith('/')) {
            const qsizetype slash = current.lastIndexOf('/');
            target.prepend(current.left(slash + 1));
        }
        current = target;
    }
}

bool hasOtherNames(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode)
        && info.st_nlink > 1;
}

// A list of extended attribute names, each ended by a zero byte, as the system gives it.
// A file system without extended attributes has none, and clears supported. False when
// they cannot be listed.
template <typename List>
static bool attributeNames(List list, QList<QByteArray> &names, bool *supported = nullptr)
{
    QByteArray buffer;
    if (supported)
        *supported = true;
    for (;;) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0 && errno == ENOTSUP && supported)
            *supported = false;
        if (size < 0)
            return errno == ENOTSUP;
        buffer.resize(size);
        const ssize_t got = list(buffer.data(), size_t(buffer.size()));
        if (got >= 0) {
            buffer.truncate(got);
            break;
        }
        // The list grew between the two calls: ask again.
        if (errno != ERANGE)
            return false;
    }
    for (const QByteArray &name : buffer.split('\0')) {
        if (!name.isEmpty())
            names.append(name);
    }
    return true;
}

static bool attributeValue(const QByteArray &path, const QByteArray &name, QByteArray &value)
{
    for (;;) {
        const ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t got
            = ::getxattr(path.constData(), name.constData(), value.data(), size_t(value.size()));
        if (got >= 0) {
            value.truncate(got);
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
}

// True when this process sees every extended attribute of a file: those of the trusted
// namespace are listed only to a holder of CAP_SYS_ADMIN, root included.
static bool seesTrustedAttributes()
{
    __user_cap_header_struct header = { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    return data[CAP_SYS_ADMIN / 32].effective & (1u << (CAP_SYS_ADMIN % 32));
}

// Sets every extended attribute of the original on the replacement, and takes off those
// that the replacement got on its own (an access-control list inherited from the folder).
// False as well where the original may hold attributes that cannot be seen from here:
// the replacement would lose them without a word.
static bool copyAttributes(const QByteArray &original, int replacement)
{
    QList<QByteArray> names;
    bool supported = true;
    if (!attributeNames([&original](char *list,
                            size_t size) { return ::listxattr(original.constData(), list, size); },
            names, &supported))
        return false;
    if (supported && !seesTrustedAttributes())
        return false;
    for (const QByteArray &name : names) {
        QByteArray value;
        if (!attributeValue(original, name, value)
            || ::fsetxattr(
                   replacement, name.constData(), value.constData(), size_t(value.size()), 0)
                != 0)
            return false;
    }

    QList<QByteArray> own;
    if (!attributeNames([replacement](char *list,
                            size_t size) { return ::flistxattr(replacement, list, size); },
            own))
        return false;
    for (const QByteArray &name : own) {
        if (!names.contains(name) && ::fremovexattr(replacement, name.constData()) != 0)
            return false;
    }
    return true;
}

// The flags of the file behind fd (chattr's), 0 where the file system keeps none. False
// when they cannot be read.
static bool readFlags(int fd, int &flags)
{
    flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0)
        return true;
    flags = 0;
    return errno == ENOTTY || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL;
}

// The flags that say how the file system itself stores a file (extents, inline data,
// encryption, verity): a new file gets its own, and none of them can be set.
static const int storageFlags = FS_EXTENT_FL | FS_INLINE_DATA_FL | FS_ENCRYPT_FL | FS_VERITY_FL
    | FS_INDEX_FL | FS_HUGE_FILE_FL | FS_EA_INODE_FL | FS_CASEFOLD_FL | FS_DAX_FL;

// Gives the replacement the original's flags (no dump, no access time, no copy on write,
// ...), and takes off those it got from its folder. An immutable or append-only file may
// not be replaced at all: false, as when a flag cannot be set.
static bool copyFlags(const QByteArray &original, int replacement)
{
    const int fd = ::open(original.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int wanted = 0;
    const bool read = readFlags(fd, wanted);
    ::close(fd);
    int own = 0;
    if (!read || (wanted & (FS_IMMUTABLE_FL | FS_APPEND_FL)) || !readFlags(replacement, own))
        return false;
    const int flags = (own & storageFlags) | (wanted & ~storageFlags);
    if (flags == own)
        return true;
    int now = 0;
    return ::ioctl(replacement, FS_IOC_SETFLAGS, &flags) == 0 && readFlags(replacement, now)
        && (now & ~storageFlags) == (wanted & ~storageFlags);
}

// Gives the open replacement the owner, group, mode bits (set-user-id, set-group-id and
// sticky included), extended attributes (access-control lists among them) and flags of
// original. False when any of it cannot be given, or cannot be seen: the replacement
// would lose it.
static bool copyIdentity(const QString &original, QFileDevice &replacement)
{
    const QByteArray name = QFile::encodeName(original);
    const int fd = replacement.handle();
    struct stat old;
    struct stat now;
    if (fd < 0 || ::stat(name.constData(), &old) != 0 || ::fstat(fd, &now) != 0)
        return false;

    // The owner first: changing it clears the set-user-id and set-group-id bits, which
    // the mode below puts back. Only an administrator may give a file away, and an owner
    // only to a group of their own.
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid)
        && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    if (!copyAttributes(name, fd))
        return false;
    if (::fchmod(fd, old.st_mode & 07777) != 0 || !copyFlags(name, fd))
        return false;

    // The system drops a set-group-id bit quietly when the caller is not in the group:
    // what the replacement really got is what counts.
    if (::fstat(fd, &now) != 0)
        return false;
    return now.st_uid == old.st_uid && now.st_gid == old.st_gid
        && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Opens name with access (O_RDONLY, O_WRONLY) without waiting on something that is not
// a regular file (a FIFO without its other end). Another program's lease on a regular
// file makes the plain open wait until the lease is given up, and so does this one,
// through a handle that shows the file is one. The caller looks at what it got.
static int openWithoutWaiting(const QByteArray &name, int access)
{
    int fd = ::open(name.constData(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 || (errno != EWOULDBLOCK && errno != EAGAIN))
        return fd;
    const int named = ::open(name.constData(), O_PATH | O_CLOEXEC);
    if (named < 0)
        return -1;
    struct stat info;
    if (::fstat(named, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(named);
        do
            fd = ::open(self.constData(), access | O_NOCTTY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
    }
    ::close(named);
    return fd;
}

Replacement replaceFile(const QString &path, const QByteArray &bytes, bool exists)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return exists ? Replacement::NotPossible : Replacement::Failed;
    if (file.write(bytes) != bytes.size() || !file.flush())
        return Replacement::Failed;
    // After the content: a write by someone else than an administrator would clear the
    // set-user-id and set-group-id bits again.
    if (exists && !copyIdentity(path, file))
        return Replacement::NotPossible;
    if (file.commit())
        return Replacement::Saved;
    return file.error() == QFileDevice::RenameError ? Replacement::NotPossible
                                                    : Replacement::Failed;
}

// Makes the file size bytes long with the blocks of all of it allocated, old content
// untouched. The whole new size, not only what lies past the old end: the holes of a
// sparse file take new blocks too when they are written. A file system that cannot
// allocate ahead is written without it; any other failure (no space left, a size limit)
// puts back the old size and stops the save.
static bool reserveSpace(int fd, off_t oldSize, off_t size)
{
    if (size == 0)
        return true;
    int result;
    do
        result = ::fallocate(fd, 0, 0, size);
    while (result != 0 && errno == EINTR);
    if (result == 0 || errno == EOPNOTSUPP || errno == ENOSYS)
        return true;
    [[maybe_unused]] const int restored = ::ftruncate(fd, oldSize);
    return false;
}

static bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    off_t offset = 0;
    while (offset < bytes.size()) {
        const ssize_t written = ::pwrite(fd, data + offset, size_t(bytes.size() - offset), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        offset += written;
    }
    return true;
}

bool writeInPlace(const QString &path, const QByteArray &bytes)
{
    // No O_TRUNC: the old content stays until the new one is written over it. Nor a wait,
    // should a FIFO have been put there meanwhile.
    const int fd = openWithoutWaiting(QFile::encodeName(path), O_WRONLY);
    if (fd < 0)
        return false;

    // Only a regular file has a content to write over; anything else put there meanwhile
    // is left alone.
    struct stat info;
    const off_t size = bytes.size();
    bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (written)
        written = reserveSpace(fd, info.st_size, size);
    written = written && writeAll(fd, bytes) && ::ftruncate(fd, size) == 0;
    return ::close(fd) == 0 && written;
}

// How long a FIFO's reader may leave the FIFO full before the write gives up.
static const int stalledWriteMs = 5000;

bool writeToSpecialFile(const QString &path, const QByteArray &bytes)
{
    // Without waiting: a FIFO that nobody reads fails the open at once (ENXIO).
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    // A reader that keeps up gets everything; one that stops reading for long ends the
    // write, which then fails.
    const char *data = bytes.constData();
    qsizetype offset = 0;
    bool written = true;
    while (written && offset < bytes.size()) {
        const ssize_t done = ::write(fd, data + offset, size_t(bytes.size() - offset));
        if (done > 0) {
            offset += done;
        } else if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready = { fd, POLLOUT, 0 };
            written
                = ::poll(&ready, 1, stalledWriteMs) > 0 && !(ready.revents & (POLLERR | POLLHUP));
        } else {
            written = done < 0 && errno == EINTR;
        }
    }
    return ::close(fd) == 0 && written;
}

bool openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    // What was opened is looked at before anything is read: a device may stream for ever.
    const int fd = openWithoutWaiting(QFile::encodeName(file.fileName()), O_RDONLY);
    if (fd < 0)
        return false;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}
