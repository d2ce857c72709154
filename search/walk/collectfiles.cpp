#include "search/walk/collectfiles.h"

#include "search/walk/folderlisting.h"
#include "search/walk/folderwalk.h"
#include "search/walk/prefetchlisting.h"
#include "search/run/searchphases.h"

// The folder with "/" separators and one final "/": entries are made by plain
// concatenation, and nothing else about the path is changed. Only the searched folder is
// normalised: below it, a name holding a backslash (possible on Linux) stays as it is.
static QString normalisedFolder(QString folder)
{
    if (folder.contains(QLatin1Char('\\')))
        folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!folder.endsWith(QLatin1Char('/')))
        folder.append(QLatin1Char('/'));
    return folder;
}

void collectFiles(QString folder, QStringList &files, bool recurse, QString filter)
{
    const PhaseTimer timer(&SearchPhases::collect);
    SystemListing system;
    // A walk of the whole tree has its folders read ahead, many at a time: on a cold disk
    // each read waits for it. A single folder is only read.
    if (!recurse) {
        FolderWalk(system, filter, recurse).collect(normalisedFolder(folder), files);
        return;
    }
    PrefetchListing listing(system);
    FolderWalk(listing, filter, recurse).collect(normalisedFolder(folder), files);
}
