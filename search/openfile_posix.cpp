#include "search/openfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OpenResult openRegularFile(QFile &file)
{
    const QByteArray name = QFile::encodeName(file.fileName());

    // Anything but a regular file is not even opened: opening a device can have effects.
    struct stat info;
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return OpenResult::NotRegular;

    // The name may lead elsewhere by now: an open that does not wait, then a look at what
    // was really opened.
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

    // Reads of a regular file block as usual; the file takes the descriptor over.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0
        || !file.open(
            fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}
