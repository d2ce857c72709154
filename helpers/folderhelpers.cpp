#include "helpers/helpers.h"

#include "helpers/messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

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

// Empties the folder and removes it, as QDir::removeRecursively does, with every link
// inside removed as a link: QDir takes a junction for a plain folder, goes into it and
// empties its target.
static bool removeTree(const QString &path)
{
    // A folder that is not there counts as removed.
    if (!QDir(path).exists())
        return true;
    bool removed = true;
    QDirIterator entries(
        path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        const QString entry = entries.next();
        const QFileInfo info = entries.fileInfo();
        bool gone = false;
        if (isLink(info)) {
            gone = removeLink(entry);
        } else if (info.isDir()) {
            gone = removeTree(entry);
        } else {
            gone = QFile::remove(entry);
            // A read-only file keeps its folder on Windows: it is made writable first.
            const QFile::Permissions permissions = QFile::permissions(entry);
            if (!gone && !(permissions & QFile::WriteUser))
                gone = QFile::setPermissions(entry, permissions | QFile::WriteUser)
                    && QFile::remove(entry);
        }
        removed = gone && removed;
    }
    return removed && QDir().rmdir(QDir(path).absolutePath());
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
    return removeTree(path);
}

bool folderExists(const QString &path)
{
    const bool exists = QDir(path).exists();
    if (!exists)
        criticalBox(
            QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le dossier ") + path);
    return exists;
}

// Copies one folder of the tree. skip is the destination where the copy began: when it
// lies inside the source, the listing meets it, and its content is the copy being made,
// never part of the source.
static void copyInto(const QString &source, const QString &destination, const QFileInfo &skip)
{
    QDir sourceDir(source);
    sourceDir.setNameFilters(QStringList(QStringLiteral("*")));

    // One level only. QDir::mkdir would resolve a relative name inside the destination
    // itself: anchor it at the current working folder like every other path here.
    QDir destinationDir(destination);
    if (!destinationDir.exists())
        destinationDir.mkdir(QDir::current().absoluteFilePath(destination));

    const QStringList files
        = sourceDir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);

    // Let the window repaint and react once per folder during a long copy.
    QCoreApplication::processEvents(QEventLoop::AllEvents);

    // QFile::copy never overwrites; a file that fails is skipped. Only regular files are
    // opened: a link to a FIFO would block the copy for good, and one to a device would
    // copy whatever the device streams.
    for (const QString &name : files) {
        const QString from = source + QLatin1Char('/') + name;
        if (QFileInfo(from).isFile())
            QFile::copy(from, destination + QLatin1Char('/') + name);
    }

    const QStringList folders
        = sourceDir.entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : folders) {
        const QString from = source + QLatin1Char('/') + name;
        const QString to = destination + QLatin1Char('/') + name;
        const QFileInfo info(from);
        // The folder listing also holds links to FIFOs and devices: they are skipped.
        if (!info.isDir())
            continue;
        // A linked folder is copied as a link to the same target, never descended into,
        // so a link back up the tree cannot loop. A junction (Windows) is such a link too.
        if (info.isSymLink() || info.isJunction())
            QFile::link(info.symLinkTarget(), to);
        else if (!skip.exists() || info != skip)
            copyInto(from, to, skip);
    }
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
    const QFileInfo created(destination);
    copyInto(source, destination, created);
}
