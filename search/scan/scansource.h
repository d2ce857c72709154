#ifndef SCANSOURCE_H
#define SCANSOURCE_H

#include "search/scan/bytesource.h"

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
class ScanSource : public ByteSource
{
public:
    ScanSource();
    ~ScanSource() override;
    ScanSource(const ScanSource &) = delete;
    ScanSource &operator=(const ScanSource &) = delete;

    // Opens the file at path for reading when the path leads, links followed, to a regular
    // file; anything else (a FIFO, a socket, a device, a folder), even one swapped in for a
    // file of the list after its folder was read, is left unopened. A listed path comes
    // from the file list: where the system's own open can tell a regular file only by
    // opening it (Windows), such a path is opened without being looked at first.
    OpenResult open(const QString &path, bool listed = false);

    qint64 size() const override { return openedSize; }
    qint64 read(char *data, qint64 count) override;
    bool seek(qint64 offset) override;

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
    qint64 openedSize = 0;
};

#endif // SCANSOURCE_H
