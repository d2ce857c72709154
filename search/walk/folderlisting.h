#ifndef FOLDERLISTING_H
#define FOLDERLISTING_H

#include <QHashFunctions>
#include <QString>

#include <vector>

// Which folder or file a path leads to, links followed: device and inode on Linux, volume
// serial number and file index on Windows. Two paths to one folder give equal identities.
struct FileIdentity
{
    quint64 volume = 0;
    quint64 index = 0;
    bool valid = false;

    friend bool operator==(const FileIdentity &a, const FileIdentity &b)
    {
        return a.valid == b.valid && a.volume == b.volume && a.index == b.index;
    }
    friend bool operator!=(const FileIdentity &a, const FileIdentity &b) { return !(a == b); }
};

inline size_t qHash(const FileIdentity &identity, size_t seed = 0)
{
    return qHashMulti(seed, identity.volume, identity.index, identity.valid);
}

// What an entry leads to, links followed: Other is a FIFO, socket or device, Missing the
// end of a broken link.
enum class EntryKind { File, Folder, Other, Missing };

struct FolderEntry
{
    QString name;
    EntryKind kind = EntryKind::File;
    // A symbolic link or an NTFS junction (both alike), or a shell shortcut.
    bool link = false;
    // A shell shortcut (Windows .lnk): the folder it names can be listed through it, but
    // not the folders below that one.
    bool shortcut = false;
    // The folder or file it leads to: set for links, and for a plain sub-folder where the
    // listing knows it for sure; invalid otherwise, and the walk asks when it needs it.
    FileIdentity target;
};

struct FolderContents
{
    // The folder's own identity where reading it gave it for free; invalid otherwise.
    FileIdentity identity;
    // Entries in the order the system gives them, "." and ".." left out; empty when the
    // folder cannot be read.
    std::vector<FolderEntry> entries;
};

// How the walk sees the file system, so that it can be handed a made-up one. Paths are
// folders with "/" separators and a final "/".
class FolderListing
{
public:
    virtual ~FolderListing() = default;
    virtual FolderContents read(const QString &folder) = 0;
    // The folder's identity, invalid where it cannot be found.
    virtual FileIdentity identify(const QString &folder) = 0;
};

// The real file system, through the system's own calls.
class SystemListing final : public FolderListing
{
public:
    FolderContents read(const QString &folder) override;
    FileIdentity identify(const QString &folder) override;
};

#endif // FOLDERLISTING_H
