#ifndef HELPERS_H
#define HELPERS_H

#include <QString>
#include <QStringList>

// Opens the folder dialog at the program's own folder; returns the chosen folder, or
// an empty string when the user cancels.
QString chooseFolder(const QString &caption);

// Removes a folder with everything in it; false for an empty path or anything left behind.
// A link is removed itself, never what it leads to.
bool removeFolder(const QString &path);

// True when the folder exists; otherwise tells the user in a critical box.
bool folderExists(const QString &path);

// Copies a folder tree into destination (created one level deep), skipping whatever fails.
// Only regular files, folders and links to folders are copied, never the destination
// itself when it lies inside the source.
void copyFolder(const QString &source, const QString &destination);

// A fresh UUID as 36 lower-case characters, without braces.
QString newUuidText();

// Swaps what lies between the first start and end markers of text for newContent.
bool replaceBetween(
    const QString &startMarker, const QString &endMarker, const QString &newContent, QString &text);

// Takes every piece between a start marker and the next end marker out of text.
QStringList extractBetween(QString &text, const QString &startMarker, const QString &endMarker);

// True when the path exists (file or folder); otherwise tells the user in a critical box.
bool fileExists(const QString &path);

// True when some trimmed line of the file holds one of the keys. Lines are read as the
// search reads them: see search/linedecoding.h.
bool fileContainsAny(const QStringList &keys, const QString &path);

// Writes the lines, each followed by a line end. The file keeps its owner, mode, attributes
// and other names; the old content stays when this fails (an in-place write that the
// system stops part way, past the space reserved for it, is the exception).
bool writeLines(const QString &path, const QStringList &lines);

// Replaces each search text by its replacement on every line of a file, each line read
// as the search reads it. A line left alone keeps its bytes; a changed line read as
// Windows-1252 is written in it when it can be read back so, in UTF-8 otherwise; a
// UTF-8 byte-order mark stays. A file with a damaged UTF-8 line, binary content or a
// UTF-16 or UTF-32 byte-order mark is refused.
bool replaceInFile(
    const QStringList &searchTexts, const QStringList &replacements, const QString &path);

// Creates or replaces a file with the text and one line end.
bool createTextFile(const QString &path, const QString &text);

#endif // HELPERS_H
