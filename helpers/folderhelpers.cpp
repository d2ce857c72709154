#include "helpers/helpers.h"

#include "helpers/messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

QString chooseFolder(const QString &caption)
{
    return QFileDialog::getExistingDirectory(nullptr, caption,
        QCoreApplication::applicationDirPath(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

bool removeFolder(const QString &path)
{
    // QDir reads an empty path as the current working folder: never wipe that by mistake.
    if (path.isEmpty())
        return false;
    return QDir(path).removeRecursively();
}

bool folderExists(const QString &path)
{
    const bool exists = QDir(path).exists();
    if (!exists)
        criticalBox(QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le dossier ") + path);
    return exists;
}

void copyFolder(const QString &source, const QString &destination)
{
    // An empty path would turn every child path into "/" + name: copying into, or out
    // of, the root of the file system. Refuse it quietly, like the other failures here.
    if (source.isEmpty() || destination.isEmpty())
        return;

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

    // QFile::copy never overwrites; a file that fails is skipped.
    for (const QString &name : files)
        QFile::copy(source + QLatin1Char('/') + name, destination + QLatin1Char('/') + name);

    const QStringList folders
        = sourceDir.entryList(QDir::AllDirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &name : folders) {
        const QString from = source + QLatin1Char('/') + name;
        const QString to = destination + QLatin1Char('/') + name;
        const QFileInfo info(from);
        // A linked folder is copied as a link to the same target, never descended into,
        // so a link back up the tree cannot loop.
        if (info.isSymLink())
            QFile::link(info.symLinkTarget(), to);
        else
            copyFolder(from, to);
    }
}
