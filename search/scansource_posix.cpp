#include "search/scansource.h"

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

// Opens, waiting as long as the system makes it wait, the same regular file: a handle that
// only names the file shows that it is one, and the open goes through that handle, so that
// nothing swapped in under the name meanwhile (a FIFO) can make it wait for ever.
static int openWaitingForLease(const QByteArray &name)
{
    const int named = ::open(name.constData(), O_PATH | O_CLOEXEC);
    if (named < 0)
        return -1;
    struct stat info;
    int fd = -1;
    if (::fstat(named, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(named);
        do
            fd = ::open(self.constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
    }
    ::close(named);
    return fd;
}

OpenResult ScanSource::open(const QString &path, bool listed)
{
    const QByteArray name = QFile::encodeName(path);

    // A file of the list that is not a link was a regular file when its folder was read:
    // one open is the whole lookup. Anything swapped in since is still caught below, and
    // the open does not wait. A link is refused here and looked at like any other path.
    int fd = -1;
    bool lookFirst = !listed;
    if (listed) {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW);
        lookFirst = fd < 0 && errno == ELOOP;
    }
    if (lookFirst) {
        // Anything but a regular file is not even opened: opening a device can have effects.
        struct stat info;
        if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            return OpenResult::NotRegular;

        // The name may lead elsewhere by now: an open that does not wait, then a look at
        // what was really opened. The flag that kept the open from waiting changes nothing
        // for a regular file's reads, so it stays.
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    }
    // Another program holds a lease on the file (a Samba oplock, an NFS delegation): the
    // plain open waits until it gives the lease up, and so does this one.
    if (fd < 0 && (errno == EWOULDBLOCK || errno == EAGAIN))
        fd = openWaitingForLease(name);
    if (fd < 0)
        return OpenResult::Failed;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return OpenResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return OpenResult::NotRegular;
    }
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
