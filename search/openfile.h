#ifndef OPENFILE_H
#define OPENFILE_H

#include <QString>
#include <QtGlobal>

#include <memory>

enum class OpenResult {
    Opened, // a regular file, open for reading
    NotRegular, // a FIFO, a device, a socket, a folder: left unopened
    Failed, // missing, refused by the system, or any other failure
};

// A file that the scan reads: only ever a regular file. Nothing else is read: a FIFO
// would wait for a writer and a device may never end. The open itself never waits, even
// when the file is swapped for something else between the check and the open.
class ScanSource
{
public:
    ScanSource();
    ~ScanSource();
    ScanSource(const ScanSource &) = delete;
    ScanSource &operator=(const ScanSource &) = delete;

    // Opens the file at path for reading when the path leads, links followed, to a regular
    // file.
    OpenResult open(const QString &path);

    // The file's size when it was opened.
    qint64 size() const { return openedSize; }

    // Reads up to count bytes from the current position: the number read, 0 at the end,
    // -1 on an error.
    qint64 read(char *data, qint64 count);

    bool seek(qint64 offset);

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
    qint64 openedSize = 0;
};

#endif // OPENFILE_H
