#include "helpers/folderhandle.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Everything here works relative to an open folder's descriptor (openat, fstatat,
// unlinkat), as rm -r does: a name is looked up in the folder that was opened, never by
// the path that led to it, and a link at that name is never followed unless asked for.

static FileId idOf(const struct stat &info)
{
    return { quint64(info.st_dev), quint64(info.st_ino) };
}

static HandleEntry::Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return HandleEntry::File;
    if (S_ISDIR(mode))
        return HandleEntry::Folder;
    if (S_ISLNK(mode))
        return HandleEntry::Link;
    return HandleEntry::Other;
}

FolderHandle::FolderHandle(const QString &path, bool followLink)
    : name(path)
    , folderPath(path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    struct stat info;
    if (fd >= 0 && ::fstat(fd, &info) == 0) {
        handle = fd;
        identity = idOf(info);
    } else if (fd >= 0) {
        ::close(fd);
    }
}

FolderHandle::~FolderHandle()
{
    if (handle != -1)
        ::close(int(handle));
}

QList<HandleEntry> FolderHandle::entries() const
{
    QList<HandleEntry> list;
    if (handle == -1)
        return list;
    // The listing reads through a descriptor of its own: this one stays where it is for
    // the lookups that follow.
    const int fd = ::openat(int(handle), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return list;
    DIR *folder = ::fdopendir(fd);
    if (!folder) {
        ::close(fd);
        return list;
    }
    while (const dirent *found = ::readdir(folder)) {
        const char *plain = found->d_name;
        if (plain[0] == '.' && (plain[1] == '\0' || (plain[1] == '.' && plain[2] == '\0')))
            continue;
        HandleEntry entry;
        entry.name = QFile::decodeName(plain);
        switch (found->d_type) {
        case DT_REG:
            entry.kind = HandleEntry::File;
            break;
        case DT_LNK:
            entry.kind = HandleEntry::Link;
            break;
        case DT_DIR:
        case DT_UNKNOWN: {
            // A folder is known by its number, so that enter() can tell it from anything
            // put in its place; the file system may not say what the entry is at all.
            struct stat info;
            if (::fstatat(int(handle), plain, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                entry.kind = kindOf(info.st_mode);
                entry.id = idOf(info);
            } else if (errno == ENOENT) {
                continue;
            } else {
                entry.kind = found->d_type == DT_DIR ? HandleEntry::Folder : HandleEntry::Other;
            }
            break;
        }
        default:
            entry.kind = HandleEntry::Other;
        }
        list.append(entry);
    }
    ::closedir(folder);
    return list;
}

std::optional<HandleEntry> FolderHandle::entry(const QString &entryName) const
{
    if (handle == -1)
        return std::nullopt;
    HandleEntry entry;
    entry.name = entryName;
    struct stat info;
    if (::fstatat(int(handle), QFile::encodeName(entryName).constData(), &info, AT_SYMLINK_NOFOLLOW)
        == 0) {
        entry.kind = kindOf(info.st_mode);
        entry.id = idOf(info);
    } else if (errno == ENOENT) {
        return std::nullopt;
    }
    // Something that cannot be looked at is still there.
    return entry;
}

FolderHandle FolderHandle::enter(const HandleEntry &entry) const
{
    const QString path = folderPath + QLatin1Char('/') + entry.name;
    entering(path);
    FolderHandle sub;
    if (handle == -1)
        return sub;
    // O_NOFOLLOW: a link put there meanwhile is not opened; the number tells a folder
    // moved there meanwhile from the one listed.
    const int fd = ::openat(int(handle), QFile::encodeName(entry.name).constData(),
        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return sub;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !(idOf(info) == entry.id)) {
        ::close(fd);
        return sub;
    }
    sub.handle = fd;
    sub.parent = handle;
    sub.name = entry.name;
    sub.folderPath = path;
    sub.identity = entry.id;
    return sub;
}

bool FolderHandle::remove(const HandleEntry &entry) const
{
    if (handle == -1)
        return false;
    const QByteArray plain = QFile::encodeName(entry.name);
    if (::unlinkat(int(handle), plain.constData(), 0) == 0 || errno == ENOENT)
        return true;
    // Linux says EISDIR for a folder, POSIX allows EPERM: it goes only when it is empty.
    return (errno == EISDIR || errno == EPERM)
        && ::unlinkat(int(handle), plain.constData(), AT_REMOVEDIR) == 0;
}

bool FolderHandle::removeSelf()
{
    if (handle == -1)
        return false;
    ::close(int(handle));
    handle = -1;
    // Whatever has the name now goes only when it is an empty folder: a link makes the
    // removal fail, never leads it elsewhere.
    if (parent != -1)
        return ::unlinkat(int(parent), QFile::encodeName(name).constData(), AT_REMOVEDIR) == 0;
    return ::rmdir(QFile::encodeName(QDir(folderPath).absolutePath()).constData()) == 0;
}

LinkedKind FolderHandle::linkedKind(const HandleEntry &entry) const
{
    struct stat info;
    if (handle == -1
        || ::fstatat(int(handle), QFile::encodeName(entry.name).constData(), &info, 0) != 0)
        return LinkedKind::Other;
    if (S_ISREG(info.st_mode))
        return LinkedKind::File;
    return S_ISDIR(info.st_mode) ? LinkedKind::Folder : LinkedKind::Other;
}

QString FolderHandle::linkTarget(const HandleEntry &entry) const
{
    if (handle == -1)
        return QString();
    QByteArray target(PATH_MAX, '\0');
    const ssize_t length = ::readlinkat(
        int(handle), QFile::encodeName(entry.name).constData(), target.data(), target.size());
    if (length <= 0 || length >= target.size())
        return QString();
    target.truncate(length);
    // A relative target counts from the link's folder; the path comes cleaned, as
    // QFileInfo::symLinkTarget gives it.
    return QDir::cleanPath(QDir(folderPath).absoluteFilePath(QFile::decodeName(target)));
}

// Qt's permissions for the mode bits of a file.
static QFileDevice::Permissions permissionsOf(mode_t mode)
{
    QFileDevice::Permissions permissions;
    if (mode & S_IRUSR)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IXUSR)
        permissions |= QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (mode & S_IRGRP)
        permissions |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        permissions |= QFileDevice::WriteGroup;
    if (mode & S_IXGRP)
        permissions |= QFileDevice::ExeGroup;
    if (mode & S_IROTH)
        permissions |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        permissions |= QFileDevice::WriteOther;
    if (mode & S_IXOTH)
        permissions |= QFileDevice::ExeOther;
    return permissions;
}

bool FolderHandle::copyFile(const HandleEntry &entry, const QString &destination) const
{
    if (handle == -1)
        return false;
    // A listed file is read only while it is no link; a listed link is followed, its
    // target's content being what is copied. The first handle reads nothing (O_PATH):
    // a FIFO or a device found there is never opened.
    const int follow = entry.kind == HandleEntry::File ? O_NOFOLLOW : 0;
    const QByteArray plain = QFile::encodeName(entry.name);
    const int named = ::openat(int(handle), plain.constData(), O_PATH | O_CLOEXEC | follow);
    if (named < 0)
        return false;
    struct stat info;
    int fd = -1;
    if (::fstat(named, &info) == 0 && S_ISREG(info.st_mode)) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(named);
        fd = ::open(self.constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        // Without /proc: opened again by name, without waiting, and kept only when it is
        // the same regular file.
        if (fd < 0 && errno == ENOENT) {
            fd = ::openat(int(handle), plain.constData(),
                O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | follow);
            struct stat again;
            if (fd >= 0
                && (::fstat(fd, &again) != 0 || !(idOf(again) == idOf(info))
                    || ::fcntl(fd, F_SETFL, 0) != 0)) {
                ::close(fd);
                fd = -1;
            }
        }
    }
    ::close(named);
    if (fd < 0)
        return false;
    QFile input;
    if (!input.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    // The permissions QFile::copy gives: the source's, with reading and writing for the
    // owner, who may thus always change or remove the copy.
    return writeNewCopy(input, destination, permissionsOf(info.st_mode | S_IRUSR | S_IWUSR));
}
