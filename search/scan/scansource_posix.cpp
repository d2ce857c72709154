#include "search/scan/scansource.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The descriptor is used directly: a scan of many small files costs mostly system calls,
// and this way the type and size come from the one look that checks the file.
struct ScanSource::Handle
{
    int fd = -1;
};

ScanSource::ScanSource()
    : handle(std::make_unique<Handle>())
{ }

ScanSource::~ScanSource()
{
    if (handle->fd >= 0)
        ::close(handle->fd);
}

// The folder of this process's open descriptors, through which a handle that only names a
// file is opened for reading: the open reaches that very file, whatever the name leads to
// by now. Opened once; -1 where /proc is missing.
static int descriptorFolder()
{
    static const int folder = ::open("/proc/self/fd", O_PATH | O_DIRECTORY | O_CLOEXEC);
    return folder;
}

// Opens for reading the regular file that named refers to. The open does not wait unless
// another program holds a lease on the file (a Samba oplock, an NFS delegation): then it
// waits until that program gives the lease up, as any program's open does.
static int openNamed(int named, const QByteArray &name, const struct stat &seen)
{
    const int folder = descriptorFolder();
    const QByteArray number = QByteArray::number(named);
    const auto reopen = [&](int flags) {
        int fd;
        do
            fd = folder >= 0 ? ::openat(folder, number.constData(), flags)
                             : ::open(name.constData(), flags);
        while (fd < 0 && errno == EINTR);
        return fd;
    };
    int fd = reopen(O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && (errno == EWOULDBLOCK || errno == EAGAIN))
        fd = reopen(O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && folder < 0) {
        // Without /proc the name is opened again: it must still be the file looked at.
        struct stat info;
        if (::fstat(fd, &info) != 0 || info.st_dev != seen.st_dev || info.st_ino != seen.st_ino) {
            ::close(fd);
            errno = ENOENT;
            return -1;
        }
    }
    return fd;
}

// Only a regular file is opened. The path is first opened as a handle that only names what
// it leads to, links followed: that open has no effect on a device, does not wait for a
// FIFO's writer nor for a lease, and fails on nothing a folder can hold. A look at the
// handle tells what it is; a regular file is then opened through the handle, so that
// nothing swapped in under the name meanwhile is ever opened.
OpenResult ScanSource::open(const QString &path, bool listed)
{
    // A file of the list was a regular file or a link when its folder was read; any path
    // goes the same way, since a file of the list may have been replaced since.
    Q_UNUSED(listed);
    const QByteArray name = QFile::encodeName(path);
    int named;
    do
        named = ::open(name.constData(), O_PATH | O_CLOEXEC);
    while (named < 0 && errno == EINTR);
    if (named < 0)
        return OpenResult::Failed;
    struct stat info;
    if (::fstat(named, &info) != 0) {
        ::close(named);
        return OpenResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(named);
        return OpenResult::NotRegular;
    }
    const int fd = openNamed(named, name, info);
    ::close(named);
    if (fd < 0)
        return OpenResult::Failed;
    handle->fd = fd;
    openedSize = qint64(info.st_size);
    return OpenResult::Opened;
}

qint64 ScanSource::read(char *data, qint64 count)
{
    for (;;) {
        const ssize_t got = ::read(handle->fd, data, size_t(count));
        if (got >= 0 || errno != EINTR)
            return qint64(got);
    }
}

bool ScanSource::seek(qint64 offset)
{
    return ::lseek(handle->fd, off_t(offset), SEEK_SET) == off_t(offset);
}
