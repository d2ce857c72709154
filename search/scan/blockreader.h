#ifndef BLOCKREADER_H
#define BLOCKREADER_H

#include "search/scan/bytesource.h"

#include <QtGlobal>

#include <vector>

// The file's bytes from start() on, read block by block into a buffer that the scans trim
// from the front as lines are no longer needed.
//
// Dropped bytes can be read again (rewind). The file may have changed by then: the scan
// walks those bytes by their line feeds, trusting that they are where they were. So while
// bytes may be wanted again, the reader notes where the line feeds of the dropped ones
// were, and bytes read again get exactly those line feeds, whatever else they hold.
class BlockReader
{
public:
    BlockReader(ByteSource &file, std::vector<char> &buffer, qsizetype readBlock);

    const char *data() const { return buffer.data(); }
    qsizetype size() const { return length; }
    qsizetype start() const { return bufferStart; }
    qsizetype endOffset() const { return bufferStart + length; }
    bool atEnd() const { return ended; }

    // Reads the next block, up to the size the file had when it was opened.
    void fill();

    // Drops the first count bytes of the buffer.
    void discard(qsizetype count);

    // Bytes from the file offset `offset` on (still in the buffer) may be read again: their
    // line feeds are noted as they are dropped, until forgetLineFeeds() or the next call.
    void keepLineFeedsFrom(qsizetype offset);
    void forgetLineFeeds();

    // Puts the bytes from the file offset `offset` (not before the one given to
    // keepLineFeedsFrom) up to the buffer's start back in front of it, read again from the
    // file (only regular files are scanned: they can seek).
    void rewind(qsizetype offset);

private:
    void noteLineFeeds(qsizetype count);
    void restoreLineFeeds(qsizetype offset, qsizetype count);

    ByteSource &file;
    std::vector<char> &buffer;
    const qsizetype readBlock;
    const qsizetype knownSize;
    qsizetype length = 0;
    qsizetype bufferStart = 0;
    bool ended = false;

    qsizetype keptFrom = -1; // file offset, -1 when dropped bytes are not wanted again
    std::vector<qsizetype> droppedFeeds; // file offsets, ascending
};

#endif // BLOCKREADER_H
