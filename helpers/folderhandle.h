#ifndef FOLDERHANDLE_H
#define FOLDERHANDLE_H

#include <QFileDevice>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Which file something is, whatever its name: the volume it lies on and its number there.
struct FileId
{
    quint64 volume = 0;
    quint64 index = 0;
    bool operator==(const FileId &other) const
    {
        return volume == other.volume && index == other.index;
    }
};

// One entry of a folder as the folder held it when it was looked at, links not followed.
struct HandleEntry
{
    // A link is a symbolic link, a junction (Windows' folder link) or a shell shortcut
    // (.lnk), which Qt counts among links. Other: FIFOs, devices, sockets.
    enum Kind { File, Folder, Link, Other };
    QString name;
    Kind kind = Other;
    FileId id;
};

// What a link leads to.
enum class LinkedKind { File, Folder, Other };

// A folder opened once and then worked on through what was opened, never through its path
// again: another program that puts a link in the place of a sub-folder while the helpers
// work cannot lead them out of the tree. The folder removal and copy go through it.
class FolderHandle
{
public:
    FolderHandle() = default;
    // Opens the folder at path. A link at the path's last name is followed only when
    // followLink says so; without it, a link there leaves the handle closed.
    FolderHandle(const QString &path, bool followLink);
    ~FolderHandle();
    FolderHandle(FolderHandle &&other) noexcept;
    FolderHandle &operator=(FolderHandle &&other) noexcept;
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    bool isOpen() const { return handle != -1; }
    // The path the folder was opened by: the parent's path, "/" and the name.
    const QString &path() const { return folderPath; }
    const FileId &id() const { return identity; }

    // Every entry but "." and "..", hidden and system ones too, in no particular order.
    QList<HandleEntry> entries() const;
    // What the name is now in the folder; nothing when it is gone.
    std::optional<HandleEntry> entry(const QString &name) const;

    // Opens a sub-folder listed here, never through a link: closed when the name no longer
    // leads to the folder that was listed (a link or another folder put in its place).
    FolderHandle enter(const HandleEntry &entry) const;
    // Removes the entry itself: a file, a link (never what it leads to), an empty folder.
    // A read-only file on Windows is made writable first.
    bool remove(const HandleEntry &entry) const;
    // Closes the emptied folder and removes it from its parent.
    bool removeSelf();

    // What a link listed here leads to, and its target as an absolute path.
    LinkedKind linkedKind(const HandleEntry &entry) const;
    QString linkTarget(const HandleEntry &entry) const;
    // Copies a regular file listed here, or the one a listed link leads to, into a new
    // file at destination, with its permissions. Never overwrites, never opens anything
    // but a regular file, and leaves nothing behind when it fails.
    bool copyFile(const HandleEntry &entry, const QString &destination) const;

    // Lets a test change the tree at the worst moment: called with the sub-folder's path
    // each time a listed sub-folder is about to be opened by enter(). Empty: none.
    static void setEnteringHook(std::function<void(const QString &path)> hook);

private:
    static void entering(const QString &path);

    qintptr handle = -1;
    // The folder it lies in, and its name there: where removeSelf removes it from. The
    // parent's handle is the caller's (-1 when the folder was opened by its path).
    qintptr parent = -1;
    QString name;
    QString folderPath;
    FileId identity;
};

// Writes what input holds from its current position into a new file at destination, with
// the given permissions (Qt's); removes what it made when the copy fails. Both sides'
// copyFile end here.
bool writeNewCopy(
    QIODevice &input, const QString &destination, QFileDevice::Permissions permissions);

#endif // FOLDERHANDLE_H
