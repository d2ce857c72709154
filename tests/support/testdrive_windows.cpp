#include "support/testdrive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <windows.h>

static LPCWSTR wide(const QString &text)
{
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

// Removes everything on the drive, which belongs to the tests.
static bool emptied(const QString &root)
{
    QDir dir(root);
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        const QString path = root + name;
        const bool removed
            = QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path);
        if (!removed)
            return false;
    }
    return true;
}

TestDrive::TestDrive()
{
    static QTemporaryDir folder;
    const QString target = QDir::toNativeSeparators(folder.path());
    // A probe file shows whether the system follows the mapping.
    QFile probe(folder.filePath(QStringLiteral("probe")));
    if (folder.isValid() && probe.open(QIODevice::WriteOnly)) {
        probe.close();
        const DWORD used = ::GetLogicalDrives();
        for (int letter = 'Y'; letter >= 'M' && drive.isEmpty(); --letter) {
            const QString name = QStringLiteral("%1:").arg(QChar(letter));
            if ((used & (1u << (letter - 'A'))) || !::DefineDosDeviceW(0, wide(name), wide(target)))
                continue;
            if (QFile::exists(name + QStringLiteral("/probe"))) {
                drive = name;
                mappedTo = target;
            } else {
                ::DefineDosDeviceW(
                    DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, wide(name), wide(target));
                break;
            }
        }
        probe.remove();
    }
    if (drive.isEmpty()) {
        const QString given = qEnvironmentVariable("MORL_TEST_DRIVE");
        if (given.size() == 2 && given.at(1) == QLatin1Char(':')
            && QDir(given + QLatin1Char('/')).exists())
            drive = given;
    }
    if (!drive.isEmpty() && !emptied(root()))
        drive.clear();
}

TestDrive::~TestDrive()
{
    if (drive.isEmpty())
        return;
    emptied(root());
    if (!mappedTo.isEmpty())
        ::DefineDosDeviceW(
            DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, wide(drive), wide(mappedTo));
}
