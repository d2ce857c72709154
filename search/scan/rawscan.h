#ifndef RAWSCAN_H
#define RAWSCAN_H

#include "search/scan/blockreader.h"
#include "search/scan/needle.h"
#include "search/scan/scanfile.h"

#include <QString>

#include <algorithm>
#include <deque>

// A long unfinished line that the scan searches as it comes and drops, and the lines
// before it that windows of later hits may still need: those are read again from the
// file when a window or the line itself turns out to be needed.
struct DroppedLine
{
    // Where the line being dropped starts (file offset, -1 if none); the buffer holds the
    // rest of it from index 0, not searched yet.
    qsizetype start = -1;
    // Where a long line kept whole starts (file offset, -1 if none): it may hold the text.
    qsizetype keptWhole = -1;
    // Windows of later hits may reach back to dropped bytes: gapStart (file offset) is the
    // start of line gapLine, the first line such a window can need; gapLast is the last
    // dropped line, -1 when the buffer holds everything again.
    qsizetype gapStart = 0;
    qsizetype gapLine = 0;
    qsizetype gapLast = -1;
};

// Scans UTF-8 data without decoding it: a byte search finds the few lines that may hold
// the text, and only those and the lines of hit windows are decoded. The buffer keeps
// the `before` lines preceding the unscanned data and the windows of hits not yet
// reported, nothing more. A long unfinished line that no hit needs is searched block by
// block and dropped; should it, or a window that reaches it, be needed after all, it is
// read again from the file. Every byte is looked at a bounded number of times.
class RawScan
{
public:
    RawScan(BlockReader &reader, const Needle &needle, qsizetype before, qsizetype after,
        HitSink &sink, qsizetype longLine)
        : reader(reader)
        , needle(needle)
        , before(before)
        , after(after)
        , sink(sink)
        , candidates(needle.candidates)
        , anchorLength(std::max(needle.anchor.size(), needle.windows1252Anchor.size()))
        , overlap(std::max<qsizetype>(anchorLength - 1, 2))
        , longLine(longLine)
    { }

    void run();

private:
    struct Pending
    {
        qsizetype line;
        qsizetype firstLine;
        qsizetype firstOffset;
    };

    // A line start found for a window: where line `line` starts (file offset), found from
    // the start of line `from`.
    struct LineMark
    {
        qsizetype line = 0;
        qsizetype offset = -1;
        qsizetype from = 0;
    };

    bool mayHoldText(qsizetype from, qsizetype to) const;
    qsizetype startOfLineBefore(qsizetype lineStart, qsizetype count) const;
    qsizetype startOfLine(qsizetype target, qsizetype line, qsizetype lineStart);
    void scanLines(qsizetype to);
    void scanLastPiece();
    void addHit(qsizetype lineStart);
    void findDeferredWindows();
    void report(bool atEnd);
    void trim();
    bool longLineToDrop() const;
    void dropSearched();
    bool endDroppedLine(qsizetype newFrom);
    void takeBackDroppedLine();
    void rewind(qsizetype offset);
    void closeGap();
    bool mayGrow(qsizetype extra);

    BlockReader &reader;
    const Needle &needle;
    const qsizetype before;
    const qsizetype after;
    HitSink &sink;
    const CandidateFinder &candidates;
    const qsizetype anchorLength;
    const qsizetype overlap; // bytes a match or a special byte may reach past its start
    const qsizetype longLine;

    qsizetype scanPos = 0; // buffer index of the first unscanned line
    qsizetype lineCount = 0; // complete lines before scanPos
    qsizetype lineBreakEnd = -1; // file offset past the last line feed scanned
    qsizetype lookedTo = 0; // file offset: no line feed from the first unscanned line to here
    bool hasLastLine = false;
    QString lastLine;
    std::deque<Pending> pending; // firstOffset -1: the window reaches dropped lines
    LineMark mark;
    bool lastPieceDropped = false; // the bytes after the last line feed were dropped
    DroppedLine dropped;
    bool stopped = false; // the sink would not let the scan hold more
};

#endif // RAWSCAN_H
