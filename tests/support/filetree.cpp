#include "support/filetree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

bool writeFile(const QString &path, const QByteArray &content)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool makeTree(const QString &root, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString path = root + QLatin1Char('/') + entry;
        const bool ok = entry.endsWith(QLatin1Char('/')) ? QDir().mkpath(path)
                                                         : writeFile(path, entry.toUtf8());
        if (!ok)
            return false;
    }
    return true;
}

QString numberedFile(const QString &folder, int number, const QString &suffix)
{
    // Four digits keep the names in the order of their numbers.
    return folder + QStringLiteral("/f%1").arg(number, 4, 10, QLatin1Char('0')) + suffix
        + QStringLiteral(".txt");
}

bool writeNumberedFiles(const QString &folder, int count, const QByteArray &content)
{
    for (int i = 1; i <= count; ++i) {
        if (!writeFile(numberedFile(folder, i), content))
            return false;
    }
    return true;
}

QByteArray asWritten(QByteArray text)
{
    // The line end is the one a probe file gets, whatever the platform.
    static const QByteArray lineEnd = [] {
        QTemporaryDir dir;
        QFile probe(dir.filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Text) || probe.write("\n") != 1)
            return QByteArray("<no probe>");
        probe.close();
        return readBytes(probe.fileName());
    }();
    return text.replace("\n", lineEnd);
}

QStringList underRoot(const QString &root, const QStringList &entries)
{
    QStringList paths;
    for (const QString &entry : entries)
        paths.append(root + QLatin1Char('/') + entry);
    return paths;
}

QStringList folderEntries(const QString &folder)
{
    QStringList list;
    const QFileInfoList infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &info : infos) {
        list.append(info.isSymLink()
                ? info.fileName() + QStringLiteral(" -> ") + info.symLinkTarget()
                : info.fileName());
    }
    return list;
}

QStringList treeBelow(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(root).relativeFilePath(info.filePath());
        if (info.isSymLink())
            entries.append(name + QLatin1Char('@'));
        else
            entries.append(info.isDir() ? name + QLatin1Char('/') : name);
    }
    entries.sort();
    return entries;
}
