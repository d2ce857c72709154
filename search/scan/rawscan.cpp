#include "search/scan/rawscan.h"

#include "search/bytesearch/fastbytes.h"
#include "search/scan/streamlines.h"

void RawScan::run()
{
    for (;;) {
        if (!reader.atEnd()) {
            trim();
            if (!mayGrow(0))
                return;
            reader.fill();
        }
        // Only the bytes read since the last look can hold a new line feed.
        const qsizetype lookFrom = lookedTo;
        lookedTo = reader.endOffset();
        const bool lineGoesOn = dropped.start >= 0 && !endDroppedLine(lookFrom - reader.start());
        if (stopped)
            return;
        if (lineGoesOn)
            continue;
        const qsizetype from = std::max(scanPos, lookFrom - reader.start());
        const qsizetype lineFeed = lastNewline(reader.data(), from, reader.size());
        if (lineFeed >= 0)
            scanLines(lineFeed + 1);
        if (reader.atEnd())
            break;
        report(false);
        if (!stopped && longLineToDrop())
            dropSearched();
        if (stopped)
            return;
    }
    scanLastPiece();
    report(true);
}

// Whether the sink lets the scan hold `extra` bytes more than the buffer has; once it
// does not, the scan stops.
bool RawScan::mayGrow(qsizetype extra)
{
    if (!stopped && !sink.goesOn(reader.size() + extra))
        stopped = true;
    return !stopped;
}

// Whether a match may start in [from, to): the anchor, or a special byte, looked at with
// the bytes up to the buffer's end.
bool RawScan::mayHoldText(qsizetype from, qsizetype to) const
{
    qsizetype newlines = 0;
    return from < to && candidates.find(reader.data(), from, to, reader.size(), &newlines) >= 0;
}

qsizetype RawScan::startOfLineBefore(qsizetype lineStart, qsizetype count) const
{
    for (qsizetype i = 0; i < count && lineStart > 0; ++i)
        lineStart = lastNewline(reader.data(), 0, lineStart - 1) + 1;
    return lineStart;
}

// The buffer index where line `target` starts, given that line `line` (not before it)
// starts at lineStart. Windows asked for one after the other only move forward; when one
// overlaps the last, walking on from the last start costs at most `before` short steps,
// and going back from lineStart crosses only lines no earlier window crossed: no long line
// is crossed again and again.
qsizetype RawScan::startOfLine(qsizetype target, qsizetype line, qsizetype lineStart)
{
    const char *data = reader.data();
    qsizetype at;
    if (mark.offset >= reader.start() && mark.line <= target && target <= mark.from) {
        at = mark.offset - reader.start();
        for (qsizetype i = mark.line; i < target; ++i)
            at = nextNewline(data, at, reader.size()) + 1;
    } else {
        at = startOfLineBefore(lineStart, line - target);
    }
    mark = { target, reader.start() + at, line };
    return at;
}

// Scans the complete lines from scanPos up to `to`, just past a line feed.
void RawScan::scanLines(qsizetype to)
{
    const char *data = reader.data();
    qsizetype pos = scanPos;
    while (pos < to) {
        // The line feeds are counted in the same pass as the search, up to the candidate:
        // none lies between it and the start of its line.
        qsizetype newlines = 0;
        const qsizetype candidate = candidates.find(data, pos, to, reader.size(), &newlines);
        lineCount += newlines;
        if (candidate < 0)
            break;
        const qsizetype feed = lastNewline(data, pos, candidate);
        const qsizetype start = feed < 0 ? pos : feed + 1;
        const qsizetype end = nextNewline(data, candidate, to);
        const QString line = decodeLine(data + start, end - start).trimmed();
        if (needle.matches(line))
            addHit(start);
        ++lineCount;
        pos = end + 1;
    }
    scanPos = to;
    lineBreakEnd = reader.start() + to;
}

// After the last line feed: a line if it decodes to some text, or if the stream would
// report an empty line there.
void RawScan::scanLastPiece()
{
    // Searched while it came in, without the text; no hit waits for it.
    if (lastPieceDropped)
        return;
    const char *data = reader.data();
    lastLine = decodeLastPiece(data + scanPos, reader.size() - scanPos);
    hasLastLine = !lastLine.isEmpty() || streamAddsEmptyLine(reader.endOffset(), lineBreakEnd);
    lastLine = lastLine.trimmed();
    if (hasLastLine && needle.matches(lastLine))
        addHit(scanPos);
}

void RawScan::addHit(qsizetype lineStart)
{
    Pending hit;
    hit.line = lineCount;
    hit.firstLine = std::max<qsizetype>(0, lineCount - before);
    if (dropped.gapLast >= 0 && hit.firstLine <= dropped.gapLast)
        hit.firstOffset = -1;
    else
        hit.firstOffset = reader.start() + startOfLine(hit.firstLine, hit.line, lineStart);
    pending.push_back(hit);
}

// Windows that reach dropped lines: the dropped bytes are read again, then one walk from
// the gap's first line finds where each window starts.
void RawScan::findDeferredWindows()
{
    if (pending.empty() || pending.front().firstOffset >= 0)
        return;
    if (!mayGrow(reader.start() - dropped.gapStart))
        return;
    rewind(dropped.gapStart);
    closeGap();
    const char *data = reader.data();
    qsizetype at = 0;
    qsizetype line = dropped.gapLine;
    for (Pending &hit : pending) {
        if (hit.firstOffset >= 0)
            break;
        for (; line < hit.firstLine; ++line)
            at = nextNewline(data, at, reader.size()) + 1;
        hit.firstOffset = reader.start() + at;
    }
}

// Reports, in order, the hits whose whole window has been scanned.
void RawScan::report(bool atEnd)
{
    findDeferredWindows();
    if (stopped)
        return;
    const char *data = reader.data();
    const qsizetype totalLines = lineCount + (hasLastLine ? 1 : 0);
    while (!pending.empty()) {
        const Pending &hit = pending.front();
        qsizetype last = hit.line + after;
        if (!atEnd && last >= lineCount)
            break;
        last = std::min(last, totalLines - 1);
        ScanHit window;
        window.line = hit.line;
        window.firstLine = hit.firstLine;
        window.lines.reserve(last - hit.firstLine + 1);
        qsizetype pos = hit.firstOffset - reader.start();
        for (qsizetype index = hit.firstLine; index <= last; ++index) {
            if (index == lineCount) {
                window.lines.append(lastLine);
                break;
            }
            const qsizetype end = nextNewline(data, pos, reader.size());
            window.lines.append(decodeLine(data + pos, end - pos).trimmed());
            pos = end + 1;
        }
        sink.hit(window);
        pending.pop_front();
    }
}

// Drops what no window can reach any more before reading on. While a later hit's window
// may still reach dropped bytes, the rest stays: it follows them in the file.
void RawScan::trim()
{
    if (dropped.start >= 0 || (dropped.gapLast >= 0 && lineCount - before <= dropped.gapLast))
        return;
    // No window can reach the gap any more (those that did have found their start).
    if (dropped.gapLast >= 0 && (pending.empty() || pending.front().firstOffset >= 0))
        closeGap();
    qsizetype keep = startOfLine(std::max<qsizetype>(0, lineCount - before), lineCount, scanPos);
    if (!pending.empty())
        keep = std::min(keep, pending.front().firstOffset - reader.start());
    if (keep > 0) {
        reader.discard(keep);
        scanPos -= keep;
    }
}

// A pending hit shows the unfinished line in its window, so the line is kept then.
bool RawScan::longLineToDrop() const
{
    return dropped.start < 0 && pending.empty()
        && reader.size() - scanPos > std::max(longLine, overlap)
        && reader.start() + scanPos != dropped.keptWhole;
}

// Searches the unfinished line as far as a match could not go on past the buffer's end,
// then drops it up to there. A line that may hold the text is kept whole instead.
void RawScan::dropSearched()
{
    const qsizetype from = dropped.start >= 0 ? 0 : scanPos;
    const qsizetype limit = reader.size() - overlap;
    if (mayHoldText(from, limit)) {
        if (dropped.start >= 0)
            takeBackDroppedLine();
        dropped.keptWhole = reader.start() + scanPos;
        return;
    }
    if (dropped.start < 0) {
        // The first line a later window may need, unless an earlier gap reaches further.
        if (dropped.gapLast < 0 || lineCount - before > dropped.gapLast) {
            dropped.gapLine = std::max<qsizetype>(0, lineCount - before);
            dropped.gapStart = reader.start() + startOfLine(dropped.gapLine, lineCount, scanPos);
            reader.keepLineFeedsFrom(dropped.gapStart);
        }
        dropped.start = reader.start() + scanPos;
        dropped.gapLast = lineCount;
    }
    reader.discard(limit);
    scanPos = 0;
}

// Goes on with the line being dropped, whose newest bytes start at newFrom. Returns
// whether it has ended, at a line feed or at the end of the file; the scan then goes on
// after it, or from its start when it may hold the text.
bool RawScan::endDroppedLine(qsizetype newFrom)
{
    const qsizetype size = reader.size();
    const qsizetype feed = nextNewline(reader.data(), std::max<qsizetype>(0, newFrom), size);
    if (feed == size && !reader.atEnd()) {
        dropSearched();
        return dropped.start < 0;
    }
    if (mayHoldText(0, feed)) {
        takeBackDroppedLine();
        return true;
    }
    if (feed < size) {
        ++lineCount;
        scanPos = feed + 1;
        lineBreakEnd = reader.start() + feed + 1;
    } else {
        scanPos = size;
        lastPieceDropped = true;
    }
    dropped.start = -1;
    return true;
}

// The dropped line may hold the text: it is read again with the lines before it, and
// scanned whole from its start.
void RawScan::takeBackDroppedLine()
{
    if (!mayGrow(reader.start() - dropped.gapStart))
        return;
    rewind(dropped.gapStart);
    scanPos = dropped.start - reader.start();
    dropped.start = -1;
    closeGap();
}

void RawScan::rewind(qsizetype offset)
{
    const qsizetype oldStart = reader.start();
    reader.rewind(offset);
    scanPos += oldStart - reader.start();
}

// The buffer holds every line that a window may still need.
void RawScan::closeGap()
{
    dropped.gapLast = -1;
    reader.forgetLineFeeds();
}
