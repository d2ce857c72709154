#include "search/qdirwalk.h"

#include <QDir>
#include <QFileInfo>

// The folder with "/" separators and one final "/": entries are made by plain
// concatenation, and nothing else about the path is changed.
static QString normalisedFolder(QString folder)
{
    if (folder.contains(QLatin1Char('\\')))
        folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!folder.endsWith(QLatin1Char('/')))
        folder.append(QLatin1Char('/'));
    return folder;
}

// Walks one folder. walk holds the canonical paths of the folders from the starting folder
// down to this one, so that a link leading back into the walk is not followed forever.
static void collectFolder(
    QString folder, QStringList &files, bool recurse, const QString &filter, QStringList &walk)
{
    folder = normalisedFolder(folder);

    // Patterns are neither trimmed nor dropped when empty: "*.txt; *.log" means what it says.
    const QStringList patterns = filter.split(QLatin1Char(';'), Qt::KeepEmptyParts);

    // A QDir made from a path sorts by name, ignoring case; NoSort below keeps that order.
    QDir dir(folder);

    // Sub-folders first, each sub-tree complete before the next one, hidden ones included.
    if (recurse) {
        const QStringList subFolders
            = dir.entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QString &name : subFolders) {
            const QString subFolder = folder + name + QLatin1Char('/');
            // A folder already on the walk would be walked again, without end through a
            // link back to an ancestor. Only links need resolving: a real sub-folder's
            // canonical path is its parent's plus its name. It is checked all the same,
            // since a link may have led the walk above the starting folder.
            const QFileInfo info(folder + name);
            QString canonical;
            if (info.isSymLink() || walk.constLast().isEmpty()) {
                canonical = info.canonicalFilePath();
            } else {
                const QString &parent = walk.constLast();
                canonical = parent.endsWith(QLatin1Char('/')) ? parent + name
                                                              : parent + QLatin1Char('/') + name;
            }
            if (!canonical.isEmpty() && walk.contains(canonical))
                continue;
            walk.append(canonical);
            collectFolder(subFolder, files, true, filter, walk);
            walk.removeLast();
        }
    }

    // Then the folder's own files whose names match a pattern, case ignored.
    dir.setNameFilters(patterns);
    const QStringList names
        = dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : names)
        files.append(folder + name);
}

void qdirCollectFiles(QString folder, QStringList &files, bool recurse, QString filter)
{
    folder = normalisedFolder(folder);
    QStringList walk { QFileInfo(folder).canonicalFilePath() };
    collectFolder(folder, files, recurse, filter, walk);
}
