#include "support/driveletter.h"

#include <QDir>

#include <windows.h>

// The first free letter from the end of the alphabet, mapped to the folder.
DriveLetter::DriveLetter(const QString &folder) : target(QDir::toNativeSeparators(folder))
{
    const DWORD used = ::GetLogicalDrives();
    for (int letter = 'Y'; letter >= 'M'; --letter) {
        if (used & (1u << (letter - 'A')))
            continue;
        const QString name = QStringLiteral("%1:").arg(QChar(letter));
        if (::DefineDosDeviceW(0, reinterpret_cast<LPCWSTR>(name.utf16()),
                reinterpret_cast<LPCWSTR>(target.utf16()))) {
            drive = name;
            return;
        }
    }
}

DriveLetter::~DriveLetter()
{
    if (!drive.isEmpty())
        ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
            reinterpret_cast<LPCWSTR>(drive.utf16()), reinterpret_cast<LPCWSTR>(target.utf16()));
}
