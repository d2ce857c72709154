#include "search/scan/systempath.h"

#include <QDir>
#include <QFileInfo>

std::wstring systemPath(const QString &path)
{
    // Cleaning a path already in the system's own spelling would read "\\.\NUL" as a
    // network path.
    const QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(QLatin1String("\\\\?\\")) || native.startsWith(QLatin1String("\\\\.\\")))
        return native.toStdWString();
    const QString absolute
        = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (absolute.startsWith(QLatin1String("\\\\")))
        return (QLatin1String("\\\\?\\UNC\\") + absolute.mid(2)).toStdWString();
    return (QLatin1String("\\\\?\\") + absolute).toStdWString();
}
