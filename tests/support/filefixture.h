#ifndef FILEFIXTURE_H
#define FILEFIXTURE_H

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// Test set-ups that need the system beyond Qt: owners, modes, extended attributes, hard
// links, special files, mounts, other users, file-size limits. Where the system has
// nothing of the kind, each call fails, and the test skips with the reason given by
// systemFixtures().

// Empty where the set-ups below work; otherwise why they do not, for QSKIP.
QString systemFixtures();

// What makes a file that file, beyond its content. Links are followed.
struct FileIdentity
{
    bool valid = false;
    quint64 device = 0;
    quint64 inode = 0;
    uint owner = 0;
    uint group = 0;
    uint mode = 0; // permission bits with set-user-id, set-group-id and sticky
    uint links = 0;
    QMap<QByteArray, QByteArray> attributes; // extended attributes, by name
};
FileIdentity fileIdentity(const QString &path);

bool isAdministrator();
bool setOwner(const QString &path, uint owner, uint group);
bool setMode(const QString &path, uint mode);
bool setAttribute(const QString &path, const QByteArray &name, const QByteArray &value);

// The name and value of an access-control list that gives user read access beside the
// owner's read and write.
QByteArray accessListName();
QByteArray accessListFor(uint user);

bool makeHardLink(const QString &existing, const QString &newName);
// A device that is harmless to open: reading it ends at once. Empty where there is none.
QString harmlessDevice();
// Makes at path a device on which every write fails for lack of space, as on a full disk.
// Empty when made; otherwise why not, for QSKIP.
QString makeFullDevice(const QString &path);

// What the path itself is, links not followed: "file", "folder", "link", "fifo",
// "character device", "block device", "socket", "other"; empty when nothing is there.
QString fileType(const QString &path);

// The read end of a FIFO, opened without waiting for a writer so that a writer's open
// does not wait either.
class FifoReader
{
public:
    explicit FifoReader(const QString &path);
    ~FifoReader();
    FifoReader(const FifoReader &) = delete;
    FifoReader &operator=(const FifoReader &) = delete;

    bool isOpen() const { return handle >= 0; }
    // What the writers have written so far, without waiting for more.
    QByteArray readAvailable();

private:
    qintptr handle = -1;
};

// Mounts the file over itself, so that the system refuses to rename anything over it.
bool mountOverItself(const QString &path);
bool unmount(const QString &path);

// Runs work in a child process as another user with the given groups. The child is
// stopped after ten seconds (a box would wait for ever for a click).
enum class ChildResult { True, False, Stopped, Unavailable };
ChildResult runAsUser(
    uint user, uint group, const QList<uint> &groups, const std::function<bool()> &work);

// Keeps the file from being replaced or written while it lives: another process holding
// it open without sharing it, or the system's own lock where there is no such thing.
class HeldFile
{
public:
    explicit HeldFile(const QString &path);
    ~HeldFile();
    bool isHeld() const { return held; }

private:
    QString path;
    bool held = false;
    qintptr handle = -1;
};

// Lowers the file-size limit while it lives, so that writes fail part way as on a full
// disk (with an error, not the signal that would end the process).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    bool isSet() const { return set; }

private:
    bool set = false;
    quint64 previous[2] = {};
    void (*previousHandler)(int) = nullptr;
};

// Mounts a fresh, empty file system of the given size on the folder (a tmpfs), so that a
// test can fill a disk of its own. Empty when mounted; otherwise why not, for QSKIP.
// unmount() takes it away.
QString mountSmallFileSystem(const QString &folder, qint64 bytes);

// Writes zeros into a new file at path until the file system is full. False when it
// stopped for another reason.
bool fillFileSystem(const QString &path);

// The file's flags as chattr names them, among "d" (no dump), "A" (no access time),
// "i" (immutable) and "a" (append only); empty when it has none of them. Null when the
// file system keeps no flags, or they cannot be read.
QString fileFlags(const QString &path);
// Sets the flags named by letters (as above) on the file, beside those it has.
bool addFileFlags(const QString &path, const QString &letters);

// Frees whoever waits on a FIFO, should a test get stuck there: after each delay, opens
// the FIFO at both ends at once and closes it again, which ends an open or a read that
// waits.
class FifoRescue
{
public:
    FifoRescue(const QString &path, int delayMs);
    ~FifoRescue();
    FifoRescue(const FifoRescue &) = delete;
    FifoRescue &operator=(const FifoRescue &) = delete;

    // Stops the rescue, and says whether it had to step in.
    bool finish();

private:
    struct State;
    State *state = nullptr;
};

// Empty where the tests do not run under Wine; otherwise Wine's version, for the reason of
// a QSKIP where Wine does not do what Windows does.
QString wineVersion();

// Gives the file a second name (a hard link) wherever the file system has them, Windows
// included. sameFile says whether two names lead to one file.
bool linkSecondName(const QString &existing, const QString &newName);
bool sameFile(const QString &first, const QString &second);

// What Windows keeps with a file beside its content, as one readable line: hidden and
// system attributes, named streams, creation time, access rules. Null where there are no
// such things. addFileTraits gives the file the ones named among "hidden", "system",
// "stream" (one named "note"), "old creation time" and "private access" (rules of its own,
// not inherited from its folder, for its owner only).
QString fileTraits(const QString &path);
bool addFileTraits(const QString &path, const QStringList &traits);

// Makes a junction (a Windows folder link) at link to the folder target. Empty when made;
// otherwise why not, for QSKIP.
QString makeJunction(const QString &link, const QString &target);

#endif // FILEFIXTURE_H
