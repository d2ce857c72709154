#include "search/scan/blockreader.h"

#include <algorithm>
#include <cstring>

BlockReader::BlockReader(ByteSource &file, std::vector<char> &buffer, qsizetype readBlock)
    : file(file)
    , buffer(buffer)
    , readBlock(readBlock)
    , knownSize(file.size())
{ }

// Bytes added during the scan are not read. Asking for no more than what is left spares
// the read that would only find the end (the toolkit reads on until a read comes back
// empty).
void BlockReader::fill()
{
    // The buffer grows to what the file holds, not to a whole block: a small file costs
    // no big allocation.
    const qint64 wanted = std::min<qint64>(readBlock, knownSize - endOffset());
    const size_t needed = size_t(length + wanted);
    if (wanted > 0 && buffer.size() < needed) {
        // A long line kept whole makes the buffer grow: by doubling, but never beyond what
        // the rest of the file needs, so that a file of one line costs its size once.
        if (buffer.capacity() < needed)
            buffer.reserve(
                std::max(needed, std::min(2 * buffer.capacity(), size_t(knownSize - bufferStart))));
        buffer.resize(needed);
    }
    const qint64 got = wanted > 0 ? file.read(buffer.data() + length, wanted) : 0;
    if (got > 0)
        length += got;
    ended = got <= 0 || endOffset() >= knownSize;
}

void BlockReader::discard(qsizetype count)
{
    if (keptFrom >= 0)
        noteLineFeeds(count);
    std::memmove(buffer.data(), buffer.data() + count, size_t(length - count));
    length -= count;
    bufferStart += count;
}

// Nothing from offset on has been dropped yet: offset is in the buffer.
void BlockReader::keepLineFeedsFrom(qsizetype offset)
{
    Q_ASSERT(offset >= bufferStart);
    droppedFeeds.clear();
    keptFrom = offset;
}

void BlockReader::forgetLineFeeds()
{
    keptFrom = -1;
    droppedFeeds.clear();
}

// Bytes dropped, read again and dropped once more are the same bytes: only line feeds past
// those already noted are new.
void BlockReader::noteLineFeeds(qsizetype count)
{
    qsizetype from = std::max(keptFrom, bufferStart);
    if (!droppedFeeds.empty())
        from = std::max(from, droppedFeeds.back() + 1);
    const char *data = buffer.data() - bufferStart;
    for (qsizetype at = from; at < bufferStart + count; ++at) {
        const void *feed = std::memchr(data + at, '\n', size_t(bufferStart + count - at));
        if (!feed)
            break;
        at = static_cast<const char *>(feed) - data;
        droppedFeeds.push_back(at);
    }
}

void BlockReader::rewind(qsizetype offset)
{
    const qsizetype extra = bufferStart - offset;
    if (extra <= 0)
        return;
    Q_ASSERT(keptFrom >= 0 && offset >= keptFrom);
    if (buffer.size() < size_t(length + extra))
        buffer.resize(size_t(length + extra));
    std::memmove(buffer.data() + extra, buffer.data(), size_t(length));
    qint64 got = 0;
    if (file.seek(offset)) {
        while (got < extra) {
            const qint64 read = file.read(buffer.data() + got, extra - got);
            if (read <= 0)
                break;
            got += read;
        }
    }
    // A file cut short since it was read: what is gone reads as NUL bytes.
    std::memset(buffer.data() + got, 0, size_t(extra - got));
    restoreLineFeeds(offset, extra);
    length += extra;
    bufferStart = offset;
    file.seek(endOffset());
}

// The bytes read again, at the buffer's start, are those of the file offsets [offset,
// offset + count): a line feed that is not where one was becomes a NUL byte, and every
// line feed that was there is put back.
void BlockReader::restoreLineFeeds(qsizetype offset, qsizetype count)
{
    char *data = buffer.data();
    auto noted = std::lower_bound(droppedFeeds.cbegin(), droppedFeeds.cend(), offset);
    for (qsizetype at = 0; at < count; ++at) {
        void *feed = std::memchr(data + at, '\n', size_t(count - at));
        if (!feed)
            break;
        at = static_cast<char *>(feed) - data;
        if (!std::binary_search(noted, droppedFeeds.cend(), offset + at))
            data[at] = '\0';
    }
    for (; noted != droppedFeeds.cend() && *noted < offset + count; ++noted)
        data[*noted - offset] = '\n';
}
