#include "helpers/folderhandle.h"

#include "search/scan/systempath.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

// Windows opens nothing relative to a folder's handle: the folder is listed from its
// handle, and each entry is opened by its path with FILE_FLAG_OPEN_REPARSE_POINT (a link
// is opened itself, never followed) and then known for the one listed by its file ID
// before anything is done to it or in it.

static HANDLE asHandle(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

// What the system says of an open file.
struct OpenedFile
{
    bool valid = false;
    FileId id;
    DWORD attributes = 0;
    DWORD reparseTag = 0;
};

static OpenedFile lookAt(HANDLE file)
{
    OpenedFile opened;
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info))
        return opened;
    opened.valid = true;
    opened.id = { info.dwVolumeSerialNumber,
        (quint64(info.nFileIndexHigh) << 32) | quint64(info.nFileIndexLow) };
    opened.attributes = info.dwFileAttributes;
    FILE_ATTRIBUTE_TAG_INFO tag;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        && ::GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag))
        opened.reparseTag = tag.ReparseTag;
    return opened;
}

// Symbolic links and junctions lead elsewhere; other reparse points (cloud files,
// deduplicated files) are the files and folders Qt takes them for.
static bool isLink(const OpenedFile &opened)
{
    return (opened.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        && (opened.reparseTag == IO_REPARSE_TAG_SYMLINK
            || opened.reparseTag == IO_REPARSE_TAG_MOUNT_POINT);
}

static bool isFolder(const OpenedFile &opened)
{
    return opened.valid && (opened.attributes & FILE_ATTRIBUTE_DIRECTORY) && !isLink(opened);
}

// A shell shortcut is a file of its own, known by its name, which Qt counts among links.
static HandleEntry::Kind kindOf(const QString &name, const OpenedFile &opened)
{
    if (isLink(opened))
        return HandleEntry::Link;
    if (opened.attributes & FILE_ATTRIBUTE_DIRECTORY)
        return HandleEntry::Folder;
    if (opened.attributes & FILE_ATTRIBUTE_DEVICE)
        return HandleEntry::Other;
    return name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive) ? HandleEntry::Link
                                                                     : HandleEntry::File;
}

// Opens what is at path itself, a link included, sharing it with everyone.
static HANDLE openItself(const QString &path, DWORD access, bool followLink = false)
{
    return ::CreateFileW(systemPath(path).c_str(), access,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

static const DWORD listAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// Removes what is at path when it is still the file id: a file (made writable first when
// it is read-only), a link itself, an empty folder. What is gone counts as removed.
static bool removeIfSame(const QString &path, const FileId &id)
{
    HANDLE file = openItself(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED)
        file = openItself(path, DELETE | FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    const OpenedFile opened = lookAt(file);
    bool removed = false;
    if (opened.valid && opened.id == id) {
        // A read-only file would stay: only its own attributes are kept.
        if (opened.attributes & FILE_ATTRIBUTE_READONLY) {
            FILE_BASIC_INFO basic = {};
            basic.FileAttributes = opened.attributes
                & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM
                    | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY);
            if (!basic.FileAttributes)
                basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
        }
        // Through the handle: exactly what was opened and looked at goes. A folder that
        // is not empty stays.
        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = TRUE;
        removed = ::SetFileInformationByHandle(
            file, FileDispositionInfo, &disposition, sizeof disposition);
    }
    ::CloseHandle(file);
    return removed;
}

FolderHandle::FolderHandle(const QString &path, bool followLink)
    : name(path)
    , folderPath(path)
{
    const HANDLE folder = openItself(path, listAccess, followLink);
    if (folder == INVALID_HANDLE_VALUE)
        return;
    const OpenedFile opened = lookAt(folder);
    if (!isFolder(opened)) {
        ::CloseHandle(folder);
        return;
    }
    handle = reinterpret_cast<qintptr>(folder);
    identity = opened.id;
}

FolderHandle::~FolderHandle()
{
    if (handle != -1)
        ::CloseHandle(asHandle(handle));
}

QList<HandleEntry> FolderHandle::entries() const
{
    QList<HandleEntry> list;
    if (handle == -1)
        return list;
    // Read from the folder's own handle, from its first entry on.
    std::vector<LONGLONG> buffer(1 << 13);
    const DWORD size = DWORD(buffer.size() * sizeof(LONGLONG));
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(asHandle(handle), request, buffer.data(), size)) {
        request = FileIdBothDirectoryInfo;
        const char *at = reinterpret_cast<const char *>(buffer.data());
        for (;;) {
            const auto *found = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(at);
            const QString entryName = QString::fromWCharArray(
                found->FileName, int(found->FileNameLength / sizeof(WCHAR)));
            if (entryName != QLatin1String(".") && entryName != QLatin1String("..")) {
                // A reparse point is looked at itself: only its tag tells a link.
                std::optional<HandleEntry> entry;
                if (found->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    entry = this->entry(entryName);
                } else {
                    OpenedFile listed;
                    listed.valid = true;
                    listed.attributes = found->FileAttributes;
                    entry = HandleEntry { entryName, kindOf(entryName, listed),
                        { identity.volume, quint64(found->FileId.QuadPart) } };
                }
                if (entry)
                    list.append(*entry);
            }
            if (found->NextEntryOffset == 0)
                break;
            at += found->NextEntryOffset;
        }
    }
    return list;
}

std::optional<HandleEntry> FolderHandle::entry(const QString &entryName) const
{
    if (handle == -1)
        return std::nullopt;
    const HANDLE file = openItself(folderPath + QLatin1Char('/') + entryName, FILE_READ_ATTRIBUTES);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        // Something that cannot be looked at is still there.
        return HandleEntry { entryName, HandleEntry::Other, FileId() };
    }
    const OpenedFile opened = lookAt(file);
    ::CloseHandle(file);
    return HandleEntry { entryName, kindOf(entryName, opened), opened.id };
}

FolderHandle FolderHandle::enter(const HandleEntry &entry) const
{
    const QString path = folderPath + QLatin1Char('/') + entry.name;
    entering(path);
    FolderHandle sub;
    if (handle == -1)
        return sub;
    // Gone into only when it is the folder listed, and no link.
    const HANDLE folder = openItself(path, listAccess);
    if (folder == INVALID_HANDLE_VALUE)
        return sub;
    const OpenedFile opened = lookAt(folder);
    if (!isFolder(opened) || !(opened.id == entry.id)) {
        ::CloseHandle(folder);
        return sub;
    }
    sub.handle = reinterpret_cast<qintptr>(folder);
    sub.parent = handle;
    sub.name = entry.name;
    sub.folderPath = path;
    sub.identity = opened.id;
    return sub;
}

bool FolderHandle::remove(const HandleEntry &entry) const
{
    return handle != -1 && removeIfSame(folderPath + QLatin1Char('/') + entry.name, entry.id);
}

bool FolderHandle::removeSelf()
{
    if (handle == -1)
        return false;
    ::CloseHandle(asHandle(handle));
    handle = -1;
    return removeIfSame(folderPath, identity);
}

// Links are followed as Qt follows them, shell shortcuts included.
LinkedKind FolderHandle::linkedKind(const HandleEntry &entry) const
{
    const QFileInfo info(folderPath + QLatin1Char('/') + entry.name);
    if (info.isDir())
        return LinkedKind::Folder;
    return info.isFile() ? LinkedKind::File : LinkedKind::Other;
}

QString FolderHandle::linkTarget(const HandleEntry &entry) const
{
    return QFileInfo(folderPath + QLatin1Char('/') + entry.name).symLinkTarget();
}

bool FolderHandle::copyFile(const HandleEntry &entry, const QString &destination) const
{
    if (handle == -1)
        return false;
    // A listed file is read only while it is the one listed and no link; a listed link is
    // followed (a shell shortcut is opened itself: its own bytes are copied).
    const bool follow = entry.kind == HandleEntry::Link;
    const HANDLE file = openItself(
        folderPath + QLatin1Char('/') + entry.name, GENERIC_READ | FILE_READ_ATTRIBUTES, follow);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const OpenedFile opened = lookAt(file);
    const bool regular = opened.valid && ::GetFileType(file) == FILE_TYPE_DISK
        && !(opened.attributes & FILE_ATTRIBUTE_DIRECTORY)
        && (follow || (opened.id == entry.id && !isLink(opened)));
    const int fd = regular ? ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY) : -1;
    if (fd < 0) {
        ::CloseHandle(file);
        return false;
    }
    ::_setmode(fd, _O_BINARY);
    QFile input;
    if (!input.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return false;
    }
    QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::ReadUser
        | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!(opened.attributes & FILE_ATTRIBUTE_READONLY))
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup
            | QFileDevice::WriteOther;
    if (!writeNewCopy(input, destination, permissions))
        return false;
    // What the copy shows in Explorer comes along, as the system's own copy carries it.
    const DWORD shown = opened.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (shown) {
        const std::wstring copy = systemPath(destination);
        const DWORD now = ::GetFileAttributesW(copy.c_str());
        if (now != INVALID_FILE_ATTRIBUTES)
            ::SetFileAttributesW(copy.c_str(), now | shown);
    }
    return true;
}
