#include "support/filefixture.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <string>

// Owners, modes, extended attributes, FIFOs, devices, mounts, other users and file-size
// limits are POSIX matters; only the held file and the file types are Windows' own.
QString systemFixtures()
{
    return QStringLiteral("owners, modes, links, special files, other users and file-size "
                          "limits are not available here");
}

FileIdentity fileIdentity(const QString &)
{
    return FileIdentity();
}

bool isAdministrator()
{
    return false;
}

bool setOwner(const QString &, uint, uint)
{
    return false;
}

bool setMode(const QString &, uint)
{
    return false;
}

bool setAttribute(const QString &, const QByteArray &, const QByteArray &)
{
    return false;
}

QByteArray accessListName()
{
    return QByteArray();
}

QByteArray accessListFor(uint)
{
    return QByteArray();
}

bool makeHardLink(const QString &, const QString &)
{
    return false;
}

QString harmlessDevice()
{
    return QString();
}

QString makeFullDevice(const QString &)
{
    return systemFixtures();
}

// Without FIFOs or devices, what Qt sees is all there is.
QString fileType(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("link");
    if (info.isDir())
        return QStringLiteral("folder");
    if (info.isFile())
        return QStringLiteral("file");
    return info.exists() ? QStringLiteral("other") : QString();
}

FifoReader::FifoReader(const QString &) { }

FifoReader::~FifoReader() { }

QByteArray FifoReader::readAvailable()
{
    return QByteArray();
}

bool mountOverItself(const QString &)
{
    return false;
}

bool unmount(const QString &)
{
    return false;
}

ChildResult runAsUser(uint, uint, const QList<uint> &, const std::function<bool()> &)
{
    return ChildResult::Unavailable;
}

// Opened as an editor holding a document does: other processes may read the file, but
// not write, rename or delete it meanwhile.
HeldFile::HeldFile(const QString &path)
    : path(path)
{
    const HANDLE file
        = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
            GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    held = file != INVALID_HANDLE_VALUE;
    handle = reinterpret_cast<qintptr>(file);
}

HeldFile::~HeldFile()
{
    if (held)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

FileSizeLimit::FileSizeLimit(qint64) { }

FileSizeLimit::~FileSizeLimit() { }

QString mountSmallFileSystem(const QString &, qint64)
{
    return QStringLiteral("no file system to mount in a folder here");
}

bool fillFileSystem(const QString &)
{
    return false;
}

QString fileFlags(const QString &)
{
    return QString();
}

bool addFileFlags(const QString &, const QString &)
{
    return false;
}

FifoRescue::FifoRescue(const QString &, int) { }

FifoRescue::~FifoRescue() { }

bool FifoRescue::finish()
{
    return false;
}

// Wine's ntdll exports its version; Windows' has no such function.
QString wineVersion()
{
    using Version = const char *(__cdecl *)();
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    const auto version = ntdll ? reinterpret_cast<Version>(
                             reinterpret_cast<void *>(::GetProcAddress(ntdll, "wine_get_version")))
                               : nullptr;
    return version ? QStringLiteral("Wine ") + QString::fromLatin1(version()) : QString();
}

static std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool linkSecondName(const QString &existing, const QString &newName)
{
    return ::CreateHardLinkW(nativePath(newName).c_str(), nativePath(existing).c_str(), nullptr);
}

// The volume and index that tell a file, whatever its name.
static bool fileIndex(const QString &path, BY_HANDLE_FILE_INFORMATION &info)
{
    const HANDLE file = ::CreateFileW(nativePath(path).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool read = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    return read;
}

bool sameFile(const QString &first, const QString &second)
{
    BY_HANDLE_FILE_INFORMATION one;
    BY_HANDLE_FILE_INFORMATION other;
    return fileIndex(first, one) && fileIndex(second, other)
        && one.dwVolumeSerialNumber == other.dwVolumeSerialNumber
        && one.nFileIndexHigh == other.nFileIndexHigh && one.nFileIndexLow == other.nFileIndexLow;
}

static QByteArray readStream(const QString &path)
{
    const HANDLE stream = ::CreateFileW(nativePath(path + QStringLiteral(":note")).c_str(),
        GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (stream == INVALID_HANDLE_VALUE)
        return QByteArray();
    QByteArray bytes(256, '\0');
    DWORD got = 0;
    const bool read = ::ReadFile(stream, bytes.data(), DWORD(bytes.size()), &got, nullptr);
    ::CloseHandle(stream);
    bytes.truncate(read ? int(got) : 0);
    return bytes;
}

static QString accessRules(const QString &path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(nativePath(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
            nullptr, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return QStringLiteral("<unreadable>");
    LPWSTR text = nullptr;
    QString rules = QStringLiteral("<unreadable>");
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        rules = QString::fromWCharArray(text);
        ::LocalFree(text);
    }
    ::LocalFree(descriptor);
    return rules;
}

QString fileTraits(const QString &path)
{
    const DWORD attributes = ::GetFileAttributesW(nativePath(path).c_str());
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (attributes == INVALID_FILE_ATTRIBUTES
        || !::GetFileAttributesExW(nativePath(path).c_str(), GetFileExInfoStandard, &data))
        return QStringLiteral("<no file>");
    QStringList traits;
    if (attributes & FILE_ATTRIBUTE_HIDDEN)
        traits.append(QStringLiteral("hidden"));
    if (attributes & FILE_ATTRIBUTE_SYSTEM)
        traits.append(QStringLiteral("system"));
    traits.append(QStringLiteral("stream note=") + QString::fromLatin1(readStream(path).toHex()));
    const quint64 created
        = (quint64(data.ftCreationTime.dwHighDateTime) << 32) | data.ftCreationTime.dwLowDateTime;
    traits.append(QStringLiteral("created %1").arg(created));
    traits.append(QStringLiteral("access ") + accessRules(path));
    return traits.join(QStringLiteral("; "));
}

bool addFileTraits(const QString &path, const QStringList &traits)
{
    const std::wstring name = nativePath(path);
    bool added = true;
    DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (traits.contains(QStringLiteral("hidden")))
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (traits.contains(QStringLiteral("system")))
        attributes |= FILE_ATTRIBUTE_SYSTEM;
    added = attributes != INVALID_FILE_ATTRIBUTES && ::SetFileAttributesW(name.c_str(), attributes);
    if (added && traits.contains(QStringLiteral("stream"))) {
        const HANDLE stream = ::CreateFileW(nativePath(path + QStringLiteral(":note")).c_str(),
            GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        added = stream != INVALID_HANDLE_VALUE && ::WriteFile(stream, "garde", 5, &written, nullptr)
            && written == 5;
        if (stream != INVALID_HANDLE_VALUE)
            ::CloseHandle(stream);
    }
    if (added && traits.contains(QStringLiteral("old creation time"))) {
        const HANDLE file = ::CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_ATTRIBUTE_NORMAL, nullptr);
        SYSTEMTIME day = {};
        day.wYear = 2001;
        day.wMonth = 1;
        day.wDay = 1;
        FILETIME created;
        added = file != INVALID_HANDLE_VALUE && ::SystemTimeToFileTime(&day, &created)
            && ::SetFileTime(file, &created, nullptr, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
    if (added && traits.contains(QStringLiteral("private access"))) {
        // Protected from what the folder hands down; only the owner, in full.
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        added = ::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;FA;;;OW)", SDDL_REVISION_1, &descriptor, nullptr);
        if (added) {
            added = ::SetFileSecurityW(name.c_str(), DACL_SECURITY_INFORMATION, descriptor);
            ::LocalFree(descriptor);
        }
    }
    return added;
}

// The system's own tool makes it: mklink /J needs no administrator.
QString makeJunction(const QString &link, const QString &target)
{
    QProcess mklink;
    mklink.start(QStringLiteral("cmd.exe"),
        { QStringLiteral("/c"), QStringLiteral("mklink"), QStringLiteral("/J"),
            QDir::toNativeSeparators(link), QDir::toNativeSeparators(target) });
    const bool made = mklink.waitForFinished(30000) && mklink.exitStatus() == QProcess::NormalExit
        && mklink.exitCode() == 0 && QFileInfo(link).isJunction();
    if (made)
        return QString();
    if (!wineVersion().isEmpty())
        return wineVersion() + QStringLiteral(" makes no junctions");
    return QStringLiteral("mklink /J failed: ") + QString::fromLocal8Bit(mklink.readAll());
}
