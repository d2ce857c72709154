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

OpenResult ScanSource::open(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);

    // Anything but a regular file is not even opened: opening a device can have effects.
    struct stat info;
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return OpenResult::NotRegular;

    // The name may lead elsewhere by now: an open that does not wait, then a look at what
    // was really opened. The flag that kept the open from waiting changes nothing for a
    // regular file's reads, so it stays.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return OpenResult::Failed;
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
