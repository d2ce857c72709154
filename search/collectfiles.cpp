#include "search/collectfiles.h"

void collectFiles(QString folder, QStringList &files, bool recurse, QString filter)
{
    Q_UNUSED(folder);
    Q_UNUSED(files);
    Q_UNUSED(recurse);
    Q_UNUSED(filter);
}
