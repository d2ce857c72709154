#ifndef OPENFILE_H
#define OPENFILE_H

#include <QFile>

enum class OpenResult {
    Opened, // a regular file, open for unbuffered reading
    NotRegular, // a FIFO, a device, a socket, a folder: left unopened
    Failed, // missing, refused by the system, or any other failure
};

// Opens the file of `file` (its name as set) for reading, unbuffered, when the name leads,
// links followed, to a regular file. Nothing else is read: a FIFO would wait for a writer
// and a device may never end. The open itself never waits, even when the file is swapped
// for something else between the check and the open.
OpenResult openRegularFile(QFile &file);

#endif // OPENFILE_H
