#include "helpers/filesave.h"

#include <QFile>
#include <QFileDevice>
#include <QList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
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
// A file system without extended attributes has none. False when they cannot be listed.
template <typename List> static bool attributeNames(List list, QList<QByteArray> &names)
{
    QByteArray buffer;
    for (;;) {
        const ssize_t size = list(nullptr, 0);
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

// Sets every extended attribute of the original on the replacement, and takes off those
// that the replacement got on its own (an access-control list inherited from the folder).
static bool copyAttributes(const QByteArray &original, int replacement)
{
    QList<QByteArray> names;
    if (!attributeNames([&original](char *list,
                            size_t size) { return ::listxattr(original.constData(), list, size); },
            names))
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

bool copyIdentity(const QString &original, QFileDevice &replacement)
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
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;

    // The system drops a set-group-id bit quietly when the caller is not in the group:
    // what the replacement really got is what counts.
    if (::fstat(fd, &now) != 0)
        return false;
    return now.st_uid == old.st_uid && now.st_gid == old.st_gid
        && (now.st_mode & 07777) == (old.st_mode & 07777);
}

// Makes the file size bytes long with its blocks allocated, old content untouched. A file
// system that cannot allocate ahead is written without it; any other failure (no space
// left, a size limit) puts back the old size and stops the save.
static bool reserveSpace(int fd, off_t oldSize, off_t size)
{
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
    // No O_TRUNC: the old content stays until the new one is written over it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;

    // Only a regular file has a content to write over; anything else put there meanwhile
    // is left alone.
    struct stat info;
    const off_t size = bytes.size();
    bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (written && size > info.st_size)
        written = reserveSpace(fd, info.st_size, size);
    written = written && writeAll(fd, bytes) && ::ftruncate(fd, size) == 0;
    return ::close(fd) == 0 && written;
}
