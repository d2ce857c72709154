#include "helpers/helpers.h"

#include "helpers/folderhandle.h"
#include "helpers/messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <optional>

QString chooseFolder(const QString &caption)
{
    return QFileDialog::getExistingDirectory(nullptr, caption,
        QCoreApplication::applicationDirPath(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

// The path without the "." names and repeated separators that change nothing of what it
// names: "link/.", "./link/./" and "link//" all name "link" itself. The separators in
// front stay as they are (a network path begins with two), and ".." stays where it is:
// after a link it leads to the parent of the link's target, not of the link.
static QString withoutDotNames(const QString &path)
{
    const QString plain = QDir::fromNativeSeparators(path);
    qsizetype root = 0;
    while (root < plain.size() && plain.at(root) == QLatin1Char('/'))
        ++root;
    QStringList names;
    for (const QString &name : plain.mid(root).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name != QLatin1String("."))
            names.append(name);
    }
    if (names.isEmpty())
        return root > 0 ? plain.left(root) : QStringLiteral(".");
    return plain.left(root) + names.join(QLatin1Char('/'));
}

// Links to elsewhere: symbolic links, junctions (Windows' folder links) and shell
// shortcuts, which QFileInfo counts among symbolic links on Windows.
static bool isLink(const QFileInfo &info)
{
    return info.isSymLink() || info.isJunction();
}

// Removes a link itself, never what it leads to. A folder link on Windows goes as a
// folder does, without its target's content.
static bool removeLink(const QString &name)
{
    if (!QFile::remove(name))
        QDir().rmdir(name);
    const QFileInfo left(name);
    return !isLink(left) && !left.exists();
}

static bool removeContent(const FolderHandle &folder);

// Removes one entry of an open folder: a sub-folder with everything in it, anything else
// itself. Only the sub-folder that was listed is gone into; whatever another program puts
// in its place meanwhile goes only as it is (a link as a link, a folder when empty).
static bool removeEntry(const FolderHandle &folder, const HandleEntry &entry)
{
    if (entry.kind != HandleEntry::Folder)
        return folder.remove(entry);
    FolderHandle sub = folder.enter(entry);
    if (sub.isOpen())
        return removeContent(sub) && sub.removeSelf();
    const std::optional<HandleEntry> now = folder.entry(entry.name);
    return !now || folder.remove(*now);
}

// Empties the folder as QDir::removeRecursively does, going on past what cannot be
// removed, with every link inside removed as a link: QDir takes a junction for a plain
// folder, and follows whatever a path leads to at the moment it goes down.
static bool removeContent(const FolderHandle &folder)
{
    bool removed = true;
    for (const HandleEntry &entry : folder.entries())
        removed = removeEntry(folder, entry) && removed;
    return removed;
}

// Removes the folder at name, which has no final separator or ".", with all it holds.
static bool removeTree(const QString &name)
{
    FolderHandle folder(name, false);
    if (folder.isOpen())
        return removeContent(folder) && folder.removeSelf();
    // A folder that is not there counts as removed; a link put there meanwhile goes as a
    // link; a folder that cannot be read goes when it is empty.
    const QFileInfo info(name);
    if (isLink(info))
        return removeLink(name);
    return !info.isDir() || QDir().rmdir(QDir(name).absolutePath());
}

bool removeFolder(const QString &path)
{
    // QDir reads an empty path as the current working folder: never wipe that by mistake.
    if (path.isEmpty())
        return false;

    // A link to a folder is removed itself: what it leads to lies elsewhere. A final
    // separator or "." would make the system follow it, so the test goes without them.
    const QString name = withoutDotNames(path);
    if (isLink(QFileInfo(name)))
        return removeLink(name);
    return removeTree(name);
}

bool folderExists(const QString &path)
{
    const bool exists = QDir(path).exists();
    if (!exists)
        criticalBox(
            QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le dossier ") + path);
    return exists;
}

// The entries in the order of a QDir's own listing: by name, ignoring case.
static void sortByName(QList<HandleEntry> &entries)
{
    std::sort(entries.begin(), entries.end(), [](const HandleEntry &a, const HandleEntry &b) {
        const int order = a.name.compare(b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
}

// What an entry is for the copy: a link counts as what it leads to.
static LinkedKind copiedKind(const FolderHandle &folder, const HandleEntry &entry)
{
    switch (entry.kind) {
    case HandleEntry::File:
        return LinkedKind::File;
    case HandleEntry::Folder:
        return LinkedKind::Folder;
    case HandleEntry::Link:
        return folder.linkedKind(entry);
    default:
        return LinkedKind::Other;
    }
}

static void copyInto(
    const FolderHandle &source, const QString &destination, const std::optional<FileId> &skip);

// Copies a sub-folder listed in source, or a link to a folder as a link to the same
// target, never gone into: a link back up the tree cannot loop. skip is the destination
// where the copy began: when it lies inside the source, the listing meets it, and its
// content is the copy being made, never part of the source.
static void copySubFolder(const FolderHandle &source, const HandleEntry &entry,
    const QString &destination, const std::optional<FileId> &skip)
{
    if (entry.kind == HandleEntry::Link) {
        QFile::link(source.linkTarget(entry), destination);
        return;
    }
    if (skip && entry.id == *skip)
        return;
    const FolderHandle sub = source.enter(entry);
    if (sub.isOpen()) {
        copyInto(sub, destination, skip);
        return;
    }
    // No longer the folder that was listed: a link put in its place is copied as a link,
    // anything else is left out.
    const std::optional<HandleEntry> now = source.entry(entry.name);
    if (now && now->kind == HandleEntry::Link && source.linkedKind(*now) == LinkedKind::Folder)
        QFile::link(source.linkTarget(*now), destination);
}

// Copies one open folder of the tree, its files first, then its sub-folders, depth first.
static void copyInto(
    const FolderHandle &source, const QString &destination, const std::optional<FileId> &skip)
{
    // One level only. QDir::mkdir would resolve a relative name inside the destination
    // itself: anchor it at the current working folder like every other path here.
    QDir destinationDir(destination);
    if (!destinationDir.exists())
        destinationDir.mkdir(QDir::current().absoluteFilePath(destination));

    // Regular files, folders and links to them; a link to a FIFO or a device, a dangling
    // link and the special files themselves are left out.
    QList<HandleEntry> entries = source.entries();
    sortByName(entries);
    QList<HandleEntry> files;
    QList<HandleEntry> folders;
    for (const HandleEntry &entry : std::as_const(entries)) {
        const LinkedKind kind = copiedKind(source, entry);
        if (kind == LinkedKind::File)
            files.append(entry);
        else if (kind == LinkedKind::Folder)
            folders.append(entry);
    }

    // Let the window repaint and react once per folder during a long copy.
    QCoreApplication::processEvents(QEventLoop::AllEvents);

    // An existing file is never overwritten; a file that fails is skipped.
    for (const HandleEntry &entry : std::as_const(files))
        source.copyFile(entry, destination + QLatin1Char('/') + entry.name);
    for (const HandleEntry &entry : std::as_const(folders))
        copySubFolder(source, entry, destination + QLatin1Char('/') + entry.name, skip);
}

void copyFolder(const QString &source, const QString &destination)
{
    // An empty path would turn every child path into "/" + name: copying into, or out
    // of, the root of the file system. Refuse it quietly, like the other failures here.
    if (source.isEmpty() || destination.isEmpty())
        return;

    // The destination is created before anything is listed, so that it can be known
    // wherever the listing meets it.
    QDir destinationDir(destination);
    if (!destinationDir.exists())
        destinationDir.mkdir(QDir::current().absoluteFilePath(destination));
    const FolderHandle created(destination, true);
    std::optional<FileId> skip;
    if (created.isOpen())
        skip = created.id();
    copyInto(FolderHandle(source, true), destination, skip);
}
