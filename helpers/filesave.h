#ifndef FILESAVE_H
#define FILESAVE_H

#include <QByteArray>
#include <QIODevice>
#include <QString>

class QFile;

// What a text-file save needs from the system beyond Qt: where a chain of links ends,
// whether a file can be replaced by a new one without losing anything that belongs to
// it, a write over a file's own content, and opens that never wait on something that is
// not a regular file.

// The name that path leads to once its links are followed: path itself when it is not a
// link, the last name of the chain otherwise (which need not exist yet). Empty when the
// chain never ends at a name: a link loop, or more links than the system follows.
QString linkedFile(const QString &path);

// True when the file has other names (hard links) that a replacement would leave with
// the old content.
bool hasOtherNames(const QString &path);

enum class Replacement { Saved, Failed, NotPossible };

// Saves the bytes through a new file that takes the place of the one at path, so that a
// failed write leaves the old content. The new file keeps what belongs to the old one
// (owner, mode, attributes, access rules, flags); NotPossible when it could not be shown
// to keep all of it, or could not be made or put in place at all: the file must then be
// written in place. Nothing made here is left behind when this returns.
Replacement replaceFile(const QString &path, const QByteArray &bytes, bool exists);

// Writes bytes over the content of the file at path, which stays the same file. Space
// for the whole new content is reserved before anything is overwritten, where the file
// system allows it, so that a full disk leaves the old content. False when any step fails.
bool writeInPlace(const QString &path, const QByteArray &bytes);

// Writes bytes to something that is not a regular file (a FIFO, a device) as it is, never
// replacing it, and without waiting for good: a FIFO that nobody reads fails at once.
bool writeToSpecialFile(const QString &path, const QByteArray &bytes);

// Opens file, whose name is set, for reading in mode when the name leads to a regular
// file. Anything else (a FIFO, a device) is not read and the open never waits on it:
// false, and file stays closed.
bool openRegularFile(QFile &file, QIODevice::OpenMode mode);

#endif // FILESAVE_H
