#ifndef FILESAVE_H
#define FILESAVE_H

#include <QByteArray>
#include <QString>

class QFileDevice;

// What a text-file save needs from the system beyond Qt: where a chain of links ends,
// whether a file can be replaced by a new one without losing anything that belongs to
// it, and a write over a file's own content.

// The name that path leads to once its links are followed: path itself when it is not a
// link, the last name of the chain otherwise (which need not exist yet). Empty when the
// chain never ends at a name: a link loop, or more links than the system follows.
QString linkedFile(const QString &path);

// True when the file has other names (hard links) that a replacement would leave with
// the old content.
bool hasOtherNames(const QString &path);

// Gives the open replacement the owner, group, mode bits (set-user-id, set-group-id and
// sticky included) and extended attributes (access-control lists among them) of
// original. False when any of it cannot be given: the replacement would lose it.
bool copyIdentity(const QString &original, QFileDevice &replacement);

// Writes bytes over the content of the file at path, which stays the same file. Space
// for a longer content is reserved before anything is overwritten, where the file system
// allows it, so that a full disk leaves the old content. False when any step fails.
bool writeInPlace(const QString &path, const QByteArray &bytes);

#endif // FILESAVE_H
