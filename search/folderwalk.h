#ifndef FOLDERWALK_H
#define FOLDERWALK_H

#include "search/folderlisting.h"
#include "search/namefilter.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The file list of a search, made from a listing of the file system.
//
// Each folder comes in QDir's order (by name, case ignored), sub-folders first, each
// sub-tree complete before the next, then the folder's own files that match the filter.
// The walk reads every distinct folder once (by identity). Where links make no cycle, a
// folder reached by several paths is listed under each of them. Where they make one, each
// folder is listed once, under the path where the walk first reaches it, so that the work
// grows with the number of folders and not with the number of paths through the links.
class FolderWalk
{
public:
    FolderWalk(FolderListing &listing, const QString &filter, bool recurse);

    // Appends the files under folder, which has "/" separators and a final "/".
    void collect(const QString &folder, QStringList &files);

private:
    struct Folder
    {
        QStringList subFolders;
        // The folder each sub-folder leads to, or -1 where there is nothing to enter.
        std::vector<int> children;
        QStringList files;
    };
    using Key = std::pair<FileIdentity, bool>;

    int enter(const QString &path, FileIdentity known, bool throughShortcut);
    std::optional<int> reuse(const FileIdentity &identity, bool throughShortcut);
    void listAll(int folder, const QString &path, QStringList &files) const;
    void listOnce(
        int folder, const QString &path, QStringList &files, std::vector<bool> &listed) const;

    FolderListing &listing;
    NameFilter filter;
    bool recurse;
    std::vector<Folder> folders;
    QHash<Key, int> byIdentity;
    // The folders from the searched one down to the one being read.
    QHash<FileIdentity, int> onPath;
    // Whether a link leads back onto the path it was found on.
    bool cyclic = false;
};

#endif // FOLDERWALK_H
