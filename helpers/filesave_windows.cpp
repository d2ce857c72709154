#include "helpers/filesave.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>

// As many links as the save follows before it calls the chain endless.
static const int maxLinks = 40;

// Only symbolic links lead elsewhere: a shell shortcut (.lnk) is a file of its own, which
// is written as itself, as Qt writes it.
QString linkedFile(const QString &path)
{
    QFileInfo info(path);
    for (int links = 0; info.isSymbolicLink(); ++links) {
        if (links == maxLinks)
            return QString();
        info.setFile(info.symLinkTarget());
    }
    return info.filePath();
}

// A replacement there keeps what matters: the new file gets the folder's inherited
// access rules, as every file made there does.
bool hasOtherNames(const QString &)
{
    return false;
}

bool copyIdentity(const QString &, QFileDevice &)
{
    return true;
}

bool writeInPlace(const QString &path, const QByteArray &bytes)
{
    // Read and write: Qt would empty a file opened for writing only.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;

    // Growing the file first allocates its space, so that a full disk fails before the
    // old content is overwritten.
    const qint64 oldSize = file.size();
    if (bytes.size() > oldSize && !file.resize(bytes.size())) {
        file.resize(oldSize);
        return false;
    }
    const bool written
        = file.write(bytes) == bytes.size() && file.flush() && file.resize(bytes.size());
    file.close();
    return written && file.error() == QFileDevice::NoError;
}
