#include "search/scan/scansource.h"

#include "search/scan/systempath.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

// The handle is used directly: the type check and the reads go to the one file opened.
struct ScanSource::Handle
{
    HANDLE file = INVALID_HANDLE_VALUE;
};

ScanSource::ScanSource()
    : handle(std::make_unique<Handle>())
{ }

ScanSource::~ScanSource()
{
    if (handle->file != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle->file);
}

// Where the system's own reading of a plain path leads to one of its devices ("NUL",
// "COM1.txt" in any folder), that device's name ("\\.\NUL"); empty otherwise.
static std::wstring devicePath(const QString &path)
{
    const std::wstring plain = QDir::toNativeSeparators(path).toStdWString();
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(plain.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    const std::wstring name(full, length);
    return name.rfind(L"\\\\.\\", 0) == 0 ? name : std::wstring();
}

// Others may go on reading, writing, renaming or deleting the file while it is read.
static HANDLE openForReading(const std::wstring &name)
{
    return ::CreateFileW(name.c_str(), GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

OpenResult ScanSource::open(const QString &path, bool)
{
    // The file of that name first, even when the name is also a device's. Only where
    // there is no such file may the name lead to a device, which is then looked at below.
    HANDLE file = openForReading(systemPath(path));
    if (file == INVALID_HANDLE_VALUE
        && (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND)) {
        const std::wstring device = devicePath(path);
        if (!device.empty())
            file = openForReading(device);
    }
    // A folder is not opened (that takes backup semantics): it is only looked at when the
    // open fails, so that a file costs one lookup.
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_ACCESS_DENIED && QFileInfo(path).isDir()
            ? OpenResult::NotRegular
            : OpenResult::Failed;
    // Only a file on a disk is read: a device (a console, a serial port, NUL) is not.
    LARGE_INTEGER size;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return OpenResult::NotRegular;
    }
    if (!::GetFileSizeEx(file, &size)) {
        ::CloseHandle(file);
        return OpenResult::Failed;
    }
    handle->file = file;
    openedSize = qint64(size.QuadPart);
    return OpenResult::Opened;
}

qint64 ScanSource::read(char *data, qint64 count)
{
    // ReadFile takes at most 4 GiB - 1 at a time; a short read is fine for the callers.
    DWORD got = 0;
    const DWORD chunk = DWORD(qMin<qint64>(count, 1 << 30));
    if (!::ReadFile(handle->file, data, chunk, &got, nullptr))
        return -1;
    return qint64(got);
}

bool ScanSource::seek(qint64 offset)
{
    LARGE_INTEGER to;
    to.QuadPart = offset;
    return ::SetFilePointerEx(handle->file, to, nullptr, FILE_BEGIN);
}
