#ifndef BYTESOURCE_H
#define BYTESOURCE_H

#include <QtGlobal>

// The bytes of one file as the scan reads them: in order, block by block, going back only
// to read again what it dropped. The file may change between two reads; the scan must not
// trust a second read to give what the first one gave.
class ByteSource
{
public:
    virtual ~ByteSource() = default;

    // The file's size when it was opened: bytes added later are not read.
    virtual qint64 size() const = 0;

    // Reads up to count bytes from the current position: the number read, 0 at the end,
    // -1 on an error.
    virtual qint64 read(char *data, qint64 count) = 0;

    virtual bool seek(qint64 offset) = 0;
};

#endif // BYTESOURCE_H
