#ifndef FOLDERWALK_H
#define FOLDERWALK_H

#include "search/walk/folderlisting.h"
#include "search/walk/namefilter.h"

#include <QHash>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The file list of a search, made from a listing of the file system.
//
// Each folder comes in QDir's order (by name, case ignored), sub-folders first, each
// sub-tree complete before the next, then the folder's own files that match the filter.
// The walk reads every distinct folder once (by identity). The folders and the links
// between them form a graph; a cycle lies inside a group of folders that all reach one
// another. Outside such groups a folder reached by several paths is listed under each of
// them. Each time the walk comes into a group from outside it, it lists each folder of the
// group once, under the path by which it first reaches it from there, and does not follow
// a link back to a folder of the group listed since: one cycle lists its own folders once
// per way in, and changes nothing elsewhere.
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
        // The group of folders that reach one another that this one belongs to.
        int group = -1;
    };
    using Key = std::pair<FileIdentity, bool>;

    int enter(const QString &path, FileIdentity known, bool throughShortcut);
    std::optional<int> reuse(const FileIdentity &identity, bool throughShortcut);
    void closeGroup(int folder);
    void list(int folder, const QString &path, QStringList &files, int way);

    FolderListing &listing;
    NameFilter filter;
    bool recurse;
    std::vector<Folder> folders;
    QHash<Key, int> byIdentity;
    // The folders from the searched one down to the one being read.
    QHash<FileIdentity, int> onPath;

    // The groups, found while the folders are read (Tarjan's algorithm: a folder's index is
    // the order in which it was first read). lowest is the earliest folder still open that
    // the folder reaches; open holds the folders whose group is not closed yet.
    std::vector<int> lowest;
    std::vector<int> open;
    std::vector<bool> isOpen;
    // Per group: whether it holds a cycle (several folders, or one with a link to itself).
    std::vector<bool> cyclicGroup;

    // While listing: the way into its group under which each folder was listed last.
    std::vector<int> listedWay;
    int ways = 0;
};

#endif // FOLDERWALK_H
