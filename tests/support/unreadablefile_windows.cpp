#include "support/unreadablefile.h"

#include <QDir>
#include <QFile>

#include <windows.h>

// Held open for reading without sharing: every other open of the file fails with a
// sharing violation until the handle is closed, administrators included.
UnreadableFile::UnreadableFile(const QString &path)
    : path(path)
{
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    HANDLE opened = ::CreateFileW(
        native.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE)
        handle = opened;
}

UnreadableFile::~UnreadableFile()
{
    if (handle)
        ::CloseHandle(static_cast<HANDLE>(handle));
}

bool UnreadableFile::isUnreadable() const
{
    QFile probe(path);
    return !probe.open(QIODevice::ReadOnly);
}

bool readsEverything()
{
    return false;
}

bool runUnprivileged(const QString &, QByteArray *output)
{
    *output = "not needed on Windows";
    return false;
}
