#ifndef FAKELISTING_H
#define FAKELISTING_H

#include "search/walk/folderlisting.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// A made-up file system for the walk: folders, files and links given by path, as neither
// Wine nor an ordinary Windows account can make symbolic links or junctions. Paths have
// "/" separators; the first part may be a drive ("Q:"). Links lead to a path given whole
// (no "..": the test names the folder it means). Entries come in the order they were added.
class FakeListing : public FolderListing
{
public:
    // Whether plain sub-folders and the folder read carry their identities in the listing;
    // when not, the walk asks for them.
    explicit FakeListing(bool identitiesInListing)
        : identitiesInListing(identitiesInListing)
    { }

    // A path ending in "/" is a folder, any other a file; folders above are made as needed.
    void add(const QString &path);
    // A symbolic link or junction at path leading to target; a missing target is a broken link.
    void link(const QString &path, const QString &target);

    FolderContents read(const QString &folder) override;
    FileIdentity identify(const QString &folder) override;

    // How many times the folder at that path (links followed) was read.
    int reads(const QString &folder) const;
    // The largest number of reads of any one folder.
    int mostReads() const;

private:
    struct Node
    {
        QString name;
        bool folder = false;
        QString linkTarget;
        std::vector<int> children;
        int reads = 0;
    };

    int child(int parent, const QString &name) const;
    int make(const QString &path, bool folder);
    // The node the path leads to, links followed, or -1.
    int resolve(const QString &path, int depth = 0) const;

    bool identitiesInListing;
    std::vector<Node> nodes { Node { QString(), true, QString(), {}, 0 } };
};

#endif // FAKELISTING_H
