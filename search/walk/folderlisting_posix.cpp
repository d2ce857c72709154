#include "search/walk/folderlisting.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

static FileIdentity identityOf(const struct stat &info)
{
    return { quint64(info.st_dev), quint64(info.st_ino), true };
}

static EntryKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    return EntryKind::Other;
}

// A link, or an entry whose type the file system did not give: what it leads to, asked of
// the system. A link that leads nowhere is Missing.
static void resolve(int folderFd, const char *name, FolderEntry &entry, bool typeKnown)
{
    struct stat info;
    if (!typeKnown) {
        if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            entry.kind = EntryKind::Missing;
            return;
        }
        if (!S_ISLNK(info.st_mode)) {
            entry.kind = kindOf(info.st_mode);
            if (entry.kind == EntryKind::Folder)
                entry.target = identityOf(info);
            return;
        }
    }
    entry.link = true;
    if (::fstatat(folderFd, name, &info, 0) != 0) {
        entry.kind = EntryKind::Missing;
        return;
    }
    entry.kind = kindOf(info.st_mode);
    entry.target = identityOf(info);
}

FolderContents SystemListing::read(const QString &folder)
{
    FolderContents contents;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return contents;
    const int fd = ::dirfd(dir);
    struct stat self;
    if (::fstat(fd, &self) == 0)
        contents.identity = identityOf(self);

    // The type comes with the name for most entries: only links and entries of unknown
    // type are asked about. A plain sub-folder's inode number is not taken from here: on
    // a mount point or an overlay it is not the one the folder itself has.
    while (const struct dirent *item = ::readdir(dir)) {
        const char *name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        // Names that are not UTF-8 have no faithful QString: Qt leaves them out too.
        const QByteArray raw = QByteArray::fromRawData(name, qsizetype(strlen(name)));
        if (!raw.isValidUtf8())
            continue;
        FolderEntry entry;
        entry.name = QFile::decodeName(raw);
        switch (item->d_type) {
        case DT_REG:
            entry.kind = EntryKind::File;
            break;
        case DT_DIR:
            entry.kind = EntryKind::Folder;
            break;
        case DT_LNK:
            resolve(fd, name, entry, true);
            break;
        case DT_UNKNOWN:
            resolve(fd, name, entry, false);
            break;
        default:
            entry.kind = EntryKind::Other;
            break;
        }
        contents.entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return contents;
}

FileIdentity SystemListing::identify(const QString &folder)
{
    struct stat info;
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    return identityOf(info);
}
