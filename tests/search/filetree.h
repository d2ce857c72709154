#ifndef FILETREE_H
#define FILETREE_H

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

// Writes a file, creating the folders above it.
inline bool writeFile(const QString &path, const QByteArray &content)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Creates entries under root: a path ending in "/" is a folder, any other a small file.
inline bool makeTree(const QString &root, const QStringList &entries)
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

// Prefixes every entry with root and "/".
inline QStringList underRoot(const QString &root, const QStringList &entries)
{
    QStringList paths;
    for (const QString &entry : entries)
        paths.append(root + QLatin1Char('/') + entry);
    return paths;
}

#endif // FILETREE_H
