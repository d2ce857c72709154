#ifndef QDIRWALK_H
#define QDIRWALK_H

#include <QString>
#include <QStringList>

// The file collection as it was made with QDir, two entry lists per folder and a link back
// onto the walk's path left out: the reference the walk must equal wherever links make
// no cycle.
void qdirCollectFiles(QString folder, QStringList &files, bool recurse, QString filter);

#endif // QDIRWALK_H
