#include "search/walk/folderlisting.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

// The path as the wide-character calls take it: native separators, and beyond the old
// limit of 260 characters the "\\?\" form, which takes only absolute, clean paths.
static std::wstring nativePath(const QString &path)
{
    QString native = QDir::toNativeSeparators(path);
    if (native.size() >= MAX_PATH - 12) {
        native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
        if (native.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
        else
            native.prepend(QLatin1String("\\\\?\\"));
        if (path.endsWith(QLatin1Char('/')) && !native.endsWith(QLatin1Char('\\')))
            native.append(QLatin1Char('\\'));
    }
    return native.toStdWString();
}

// The identity of what the path leads to, links and junctions followed. Opening a folder
// needs backup semantics; asking for no access right works even on a folder that cannot
// be read.
static FileIdentity identityAt(const std::wstring &path)
{
    const HANDLE handle
        = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!ok)
        return {};
    return { quint64(info.dwVolumeSerialNumber),
        (quint64(info.nFileIndexHigh) << 32) | quint64(info.nFileIndexLow), true };
}

// Qt takes a file whose name ends in ".lnk" (that exact case) for a shell shortcut and
// lists what the shortcut names in its place: a folder is listed as a folder, a missing
// target or a file that is no shortcut at all is left out. Qt's own reading of the
// shortcut is asked, so that the walk sees what QDir sees.
static bool isShortcutName(const QString &name)
{
    return name.endsWith(QLatin1String(".lnk"));
}

static void resolveShortcut(const QString &path, FolderEntry &entry)
{
    entry.link = true;
    entry.shortcut = true;
    const QFileInfo info(path);
    if (!info.exists()) {
        entry.kind = EntryKind::Missing;
    } else if (info.isDir()) {
        entry.kind = EntryKind::Folder;
        entry.target = identityAt(nativePath(info.symLinkTarget()));
    } else {
        entry.kind = EntryKind::File;
    }
}

FolderContents SystemListing::read(const QString &folder)
{
    FolderContents contents;
    QString path = folder;
    // A folder reached through a shortcut is read where the shortcut leads.
    const QString named = folder.chopped(1);
    if (isShortcutName(named)) {
        const DWORD attributes = ::GetFileAttributesW(nativePath(named).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            const QString target = QFileInfo(named).symLinkTarget();
            if (target.isEmpty())
                return contents;
            path = target + QLatin1Char('/');
        }
    }
    std::wstring pattern = nativePath(path);
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';

    // The same call and options as Qt's own listing, so that entries come in the same order.
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
        FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return contents;
    do {
        const QString name = QString::fromWCharArray(data.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        FolderEntry entry;
        entry.name = name;
        const DWORD attributes = data.dwFileAttributes;
        const bool directory = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (!directory && isShortcutName(name)) {
            resolveShortcut(folder + name, entry);
        } else {
            // A link or junction is taken for what its own attributes say, as Qt takes it:
            // one that leads nowhere is still listed, and then gives nothing.
            entry.kind = directory ? EntryKind::Folder : EntryKind::File;
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                entry.link = data.dwReserved0 == IO_REPARSE_TAG_SYMLINK
                    || (directory && data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
            }
            if (entry.link && directory)
                entry.target = identityAt(nativePath(path + name));
        }
        contents.entries.push_back(std::move(entry));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return contents;
}

FileIdentity SystemListing::identify(const QString &folder)
{
    const QString named = folder.chopped(1);
    if (isShortcutName(named)) {
        const QFileInfo info(named);
        if (info.isSymLink() && info.isDir())
            return identityAt(nativePath(info.symLinkTarget()));
    }
    // Without the final separator, but a drive's root keeps its own.
    return identityAt(nativePath(QDir::cleanPath(folder)));
}
