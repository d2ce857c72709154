#include "helpers/filesave.h"

#include "search/scan/systempath.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <io.h>
#include <windows.h>

#include <fcntl.h>
#include <string>

// As many links as the save follows before it calls the chain endless.
static const int maxLinks = 40;

// Only symbolic links lead elsewhere: a shell shortcut (.lnk) is a file of its own, which
// is written as itself, as Qt writes it.
QString linkedFile(const QString &path)
{
    QFileInfo info(path);
    for (int links = 0; info.isSymbolicLink(); ++links) {
        if (links == maxLinks)
            return QString();
        info.setFile(info.symLinkTarget());
    }
    return info.filePath();
}

bool hasOtherNames(const QString &path)
{
    // Only the file's attributes are asked for, so that a file held open by others can
    // still be looked at; backup semantics open whatever is there.
    const HANDLE file = ::CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool several = ::GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
    ::CloseHandle(file);
    return several;
}

// A name beside path that nothing has yet.
static std::wstring besideName(const QString &path, const char *what)
{
    return systemPath(path + QLatin1Char('.') + QLatin1String(what)
        + QString::number(QRandomGenerator::global()->generate64(), 16));
}

// Writes bytes into a new file at name, with attributes (hidden, system) given at its
// birth, and makes sure they are on the disk before the file takes anyone's place.
static bool writeNewFile(const std::wstring &name, const QByteArray &bytes, DWORD attributes)
{
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
        attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const char *data = bytes.constData();
    qsizetype offset = 0;
    bool written = true;
    while (written && offset < bytes.size()) {
        const DWORD chunk = DWORD(qMin<qsizetype>(bytes.size() - offset, 1 << 30));
        DWORD done = 0;
        written = ::WriteFile(file, data + offset, chunk, &done, nullptr) && done > 0;
        offset += done;
    }
    written = written && ::FlushFileBuffers(file);
    if (!::CloseHandle(file))
        written = false;
    if (!written)
        ::DeleteFileW(name.c_str());
    return written;
}

// A new file gets what every file made in its folder gets: it is written beside and
// renamed into place. An existing one is replaced by ReplaceFileW, which gives the new
// file the old one's access rules, creation time, short name, object identifier,
// encryption, compression and named streams. Errors in carrying them over are not
// ignored: a replacement that would lose (or widen) anything is not made, and the file is
// then written in place. The file ID is the new file's, as with any replacement.
Replacement replaceFile(const QString &path, const QByteArray &bytes, bool exists)
{
    if (!exists) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return Replacement::Failed;
        if (file.write(bytes) != bytes.size())
            return Replacement::Failed;
        return file.commit() ? Replacement::Saved : Replacement::Failed;
    }

    const std::wstring target = systemPath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Replacement::NotPossible;
    // The attributes that say what the file is to the user come with it from the start;
    // read-only ones would keep the replacement from being written.
    const DWORD kept = attributes
        & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
            | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    const std::wstring replacement = besideName(path, "new");
    if (!writeNewFile(replacement, bytes, kept))
        return Replacement::NotPossible;

    // With a backup name, every failure leaves both files where they can be found: the
    // old file is either still at its name or at the backup name.
    const std::wstring backup = besideName(path, "old");
    if (::ReplaceFileW(target.c_str(), replacement.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        ::SetFileAttributesW(backup.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(backup.c_str());
        return Replacement::Saved;
    }
    const DWORD error = ::GetLastError();
    // The old file was moved to the backup name and the new one could not take its
    // place: the old one goes back. Should even that fail, it stays at the backup name,
    // and the save is a failure.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2
        && !::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(replacement.c_str());
        return Replacement::Failed;
    }
    ::DeleteFileW(replacement.c_str());
    return Replacement::NotPossible;
}

bool writeInPlace(const QString &path, const QByteArray &bytes)
{
    // Read and write: Qt would empty a file opened for writing only.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;

    // Growing the file first allocates its space, so that a full disk fails before the
    // old content is overwritten.
    const qint64 oldSize = file.size();
    if (bytes.size() > oldSize && !file.resize(bytes.size())) {
        file.resize(oldSize);
        return false;
    }
    const bool written
        = file.write(bytes) == bytes.size() && file.flush() && file.resize(bytes.size());
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

// A device is written as Qt writes it. The file system has no FIFOs to wait on: a named
// pipe lives under \\.\pipe\, never in a folder.
bool writeToSpecialFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

bool openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    // Through the full "\\?\" path, so that a name such as "nul.txt" is the file, and only
    // when the system says it is a file on a disk.
    const HANDLE handle = ::CreateFileW(systemPath(file.fileName()).c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return false;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (fd < 0) {
        ::CloseHandle(handle);
        return false;
    }
    // The bytes as they are: Qt's text mode turns the line ends, not the C library.
    ::_setmode(fd, _O_BINARY);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return false;
    }
    return true;
}
