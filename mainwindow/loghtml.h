#ifndef LOGHTML_H
#define LOGHTML_H

#include <QString>

// The HTML of the log's entries, as the log widget's appendHtml receives them.

// A path as HTML that shows exactly that path: special characters escaped, blanks kept.
QString htmlPath(const QString &path);

// Whether htmlPath gives the path itself: no markup character, no blank.
bool isPlainPath(const QString &path);

// The title of the list of files.
QString fileListTitleHtml();

// The blue header that names the file of a hit, its path shown with backslashes.
QString fileHeaderHtml(const QString &path);

// The blue header that names the line of a hit; index is 0-based, the header counts from 1.
QString lineHeaderHtml(qsizetype index);

// The same with the number as it is shown.
QString lineHeaderHtml(const QString &number);

#endif // LOGHTML_H
