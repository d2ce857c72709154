#ifndef FILETREE_H
#define FILETREE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files and folders for the tests to work on, made and read back with Qt alone. The set-ups
// that need the system itself are in filefixture.h and specialfiles.h.

// Writes a file, creating the folders above it.
bool writeFile(const QString &path, const QByteArray &content);

// The file's bytes, or "<unreadable>".
QByteArray readBytes(const QString &path);

// Creates entries under root: a path ending in "/" is a folder, any other a small file.
bool makeTree(const QString &root, const QStringList &entries);

// Files f0001.txt, f0002.txt, ... in folder, each holding content.
bool writeNumberedFiles(const QString &folder, int count, const QByteArray &content);

// The path of the file that writeNumberedFiles names with that number.
QString numberedFile(const QString &folder, int number, const QString &suffix = QString());

// The bytes of a text written with "\n" line ends through Qt's text mode: each becomes the
// platform's line end (CR LF on Windows).
QByteArray asWritten(QByteArray text);

// Prefixes every entry with root and "/".
QStringList underRoot(const QString &root, const QStringList &entries);

// Every entry of a folder, hidden and system ones too, sorted: links with their targets.
QStringList folderEntries(const QString &folder);

// Every entry below root as a relative path, sorted: folders end in "/", links in "@".
QStringList treeBelow(const QString &root);

#endif // FILETREE_H
