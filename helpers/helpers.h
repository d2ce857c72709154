#ifndef HELPERS_H
#define HELPERS_H

#include <QString>
#include <QStringList>

// Opens the folder dialog at the program's own folder; returns the chosen folder, or
// an empty string when the user cancels.
QString chooseFolder(const QString &caption);

#endif // HELPERS_H
