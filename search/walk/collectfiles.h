#ifndef COLLECTFILES_H
#define COLLECTFILES_H

#include <QString>
#include <QStringList>

// Appends to files every file of folder whose name matches one of the ";"-separated
// wildcard patterns of filter, sub-folders first when recurse is set.
void collectFiles(QString folder, QStringList &files, bool recurse, QString filter);

#endif // COLLECTFILES_H
