#include "search/scanfile.h"

#include "search/fastbytes.h"
#include "search/openfile.h"

#include <QByteArrayView>
#include <QStringConverter>
#include <QStringDecoder>
#include <QSysInfo>

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace {

// The toolkit's stream reads a file in pieces of this size. A file that ends in bytes
// that decode to nothing (carriage returns, a cut sequence) gets one more, empty, line
// when those bytes start a new piece: the stream is then not at its end after the last
// line break, and the next read finds no text.
constexpr qsizetype streamPiece = 16384;

// The most a reusable buffer keeps between files.
constexpr size_t keptBuffer = 4 * 1024 * 1024;

// What the text allows the scan to skip.
struct Needle
{
    explicit Needle(const ScanOptions &options);
    void prepareFinders();

    QString text;
    Qt::CaseSensitivity caseSensitivity;
    bool neverMatches = false; // holds a line break, which no line holds
    bool byteSearch = false; // every line that can hold it holds the anchor bytes
    QByteArray anchor;
    bool caseless = false;
    bool kelvin = false;
    bool longS = false;
    ByteFinder finder { QByteArray(), false };
    SpecialFinder special { false, false };
};

Needle::Needle(const ScanOptions &options)
    : text(options.text)
    , caseSensitivity(options.caseSensitivity)
{
    // Lines never contain '\n', and every '\r' is removed from them; no other character
    // folds to either.
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        neverMatches = true;
        return;
    }
    if (text.isEmpty())
        return;
    if (caseSensitivity == Qt::CaseSensitive) {
        // Decoded text holds U+FFFD for bytes that are not UTF-8 and never a lone
        // surrogate: for any other text, a line holds it only if its bytes hold its UTF-8.
        if (!QStringView(text).isValidUtf16() || text.contains(QChar::ReplacementCharacter))
            return;
        anchor = text.toUtf8();
        byteSearch = true;
        return;
    }
    // Ignoring case, an ASCII character matches only its two ASCII cases, plus U+212A for
    // k and U+017F for s: the longest ASCII run of the text can be searched for as bytes.
    qsizetype bestStart = 0, bestLength = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i).unicode() >= 0x80) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text.at(end).unicode() < 0x80)
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    if (bestLength == 0)
        return;
    anchor = text.mid(bestStart, bestLength).toLatin1();
    caseless = true;
    byteSearch = true;
    for (const char c : std::as_const(anchor)) {
        kelvin = kelvin || c == 'k' || c == 'K';
        longS = longS || c == 's' || c == 'S';
    }
}

void Needle::prepareFinders()
{
    finder = ByteFinder(anchor, caseless);
    special = SpecialFinder(kelvin, longS);
}

bool lineMatches(const QString &trimmedLine, const Needle &needle)
{
    return trimmedLine.indexOf(needle.text, 0, needle.caseSensitivity) != -1;
}

// Whether the stream reports a last, empty line after the last line break: see
// streamPiece. lineBreakEnd is the file offset just past the last line break, or -1.
bool streamAddsEmptyLine(qsizetype fileSize, qsizetype lineBreakEnd)
{
    const qsizetype piece = lineBreakEnd > 0 ? (lineBreakEnd - 1) / streamPiece : -1;
    return fileSize > (piece + 1) * streamPiece;
}

std::vector<char> &threadBuffer()
{
    thread_local std::vector<char> buffer;
    return buffer;
}

// The file's bytes from bufferStart on, read block by block into a buffer that the
// engines trim from the front as lines are no longer needed.
class Reader
{
public:
    Reader(ScanSource &file, std::vector<char> &buffer, qsizetype readBlock)
        : file(file)
        , buffer(buffer)
        , readBlock(readBlock)
        , knownSize(file.size())
    { }

    const char *data() const { return buffer.data(); }
    qsizetype size() const { return length; }
    qsizetype start() const { return bufferStart; }
    qsizetype endOffset() const { return bufferStart + length; }
    bool atEnd() const { return ended; }

    // Reads the file as it was when it was opened: bytes added during the scan are not
    // read. Asking for no more than what is left spares the read that would only find the
    // end (the toolkit reads on until a read comes back empty).
    void fill()
    {
        if (buffer.size() - size_t(length) < size_t(readBlock))
            buffer.resize(size_t(length + readBlock));
        const qint64 wanted = std::min<qint64>(readBlock, knownSize - endOffset());
        const qint64 got = wanted > 0 ? file.read(buffer.data() + length, wanted) : 0;
        if (got > 0)
            length += got;
        ended = got <= 0 || endOffset() >= knownSize;
    }

    void discard(qsizetype count)
    {
        std::memmove(buffer.data(), buffer.data() + count, size_t(length - count));
        length -= count;
        bufferStart += count;
    }

    // Puts the bytes from the file offset `offset` up to the buffer's start back in front of
    // it, read again from the file (only regular files are scanned: they can seek).
    void rewind(qsizetype offset)
    {
        const qsizetype extra = bufferStart - offset;
        if (extra <= 0)
            return;
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
        length += extra;
        bufferStart = offset;
        file.seek(endOffset());
    }

private:
    ScanSource &file;
    std::vector<char> &buffer;
    const qsizetype readBlock;
    qsizetype knownSize;
    qsizetype length = 0;
    qsizetype bufferStart = 0;
    bool ended = false;
};

// A complete line as the stream decodes it. The line feed is decoded with it, so that a
// sequence cut short by the line end gives replacement characters as it does in the
// stream; a byte-order mark inside the file stays a character.
QString decodeLine(const char *bytes, qsizetype length)
{
    QStringDecoder decoder(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString line = decoder(QByteArrayView(bytes, length + 1));
    line.chop(1);
    if (std::memchr(bytes, '\r', size_t(length)))
        line.remove(QLatin1Char('\r'));
    return line;
}

// The bytes after the last line feed: an incomplete sequence at the end of the file is
// dropped, as the stream's decoder keeps it waiting for bytes that never come.
QString decodeLastPiece(const char *bytes, qsizetype length)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString piece = decoder(QByteArrayView(bytes, length));
    piece.remove(QLatin1Char('\r'));
    return piece;
}

// Scans UTF-8 data without decoding it: a byte search finds the few lines that may hold
// the text, and only those and the lines of hit windows are decoded. The buffer keeps
// the `before` lines preceding the unscanned data and the windows of hits not yet
// reported, nothing more. A long unfinished line that no hit needs is searched block by
// block and dropped; should it, or a window that reaches it, be needed after all, it is
// read again from the file. Every byte is looked at a bounded number of times.
class RawScan
{
public:
    RawScan(Reader &reader, const Needle &needle, qsizetype before, qsizetype after, HitSink &sink,
        qsizetype longLine)
        : reader(reader)
        , needle(needle)
        , before(before)
        , after(after)
        , sink(sink)
        , finder(needle.finder)
        , special(needle.special)
        , anchorLength(needle.anchor.size())
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

    qsizetype nextCandidate(qsizetype from, qsizetype to);
    bool mayHoldText(qsizetype from, qsizetype to, qsizetype findEnd) const;
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

    Reader &reader;
    const Needle &needle;
    const qsizetype before;
    const qsizetype after;
    HitSink &sink;
    const ByteFinder &finder;
    const SpecialFinder &special;
    const qsizetype anchorLength;
    const qsizetype overlap; // bytes a match or a special byte may reach past its start
    const qsizetype longLine;

    qsizetype scanPos = 0; // buffer index of the first unscanned line
    qsizetype lineCount = 0; // complete lines before scanPos
    qsizetype lineBreakEnd = -1; // file offset past the last line feed scanned
    qsizetype lookedTo = 0; // file offset: no line feed from the first unscanned line to here
    qsizetype anchorAt = -1; // cached search results within the current range
    qsizetype specialAt = -1;
    bool hasLastLine = false;
    QString lastLine;
    std::deque<Pending> pending; // firstOffset -1: the window reaches dropped lines
    LineMark mark;

    // The unfinished line being dropped starts at droppedStart (file offset, -1 if none);
    // the buffer holds the rest of it from index 0, not searched yet.
    qsizetype droppedStart = -1;
    qsizetype wholeLine = -1; // file offset of a long line kept whole: it may hold the text
    bool lastPieceDropped = false;
    // Windows of later hits may reach back to dropped bytes: gapStart (file offset) is the
    // start of line gapLine, the first line such a window can need; gapLast is the last
    // dropped line, -1 when the buffer holds everything again.
    qsizetype gapStart = 0;
    qsizetype gapLine = 0;
    qsizetype gapLast = -1;
};

void RawScan::run()
{
    for (;;) {
        if (!reader.atEnd()) {
            trim();
            reader.fill();
        }
        // Only the bytes read since the last look can hold a new line feed.
        const qsizetype lookFrom = lookedTo;
        lookedTo = reader.endOffset();
        if (droppedStart >= 0 && !endDroppedLine(lookFrom - reader.start()))
            continue;
        const qsizetype from = std::max(scanPos, lookFrom - reader.start());
        const qsizetype lineFeed = lastNewline(reader.data(), from, reader.size());
        if (lineFeed >= 0)
            scanLines(lineFeed + 1);
        if (reader.atEnd())
            break;
        report(false);
        if (longLineToDrop())
            dropSearched();
    }
    scanLastPiece();
    report(true);
}

// The buffer index where a line may start that holds the text, or -1.
qsizetype RawScan::nextCandidate(qsizetype from, qsizetype to)
{
    if (anchorAt < from) {
        anchorAt = finder.find(reader.data(), from, to);
        if (anchorAt < 0)
            anchorAt = to;
    }
    if (specialAt < from) {
        specialAt = special.find(reader.data(), from, to, reader.size());
        if (specialAt < 0)
            specialAt = to;
    }
    const qsizetype next = std::min(anchorAt, specialAt);
    return next < to ? next : -1;
}

// Whether a match may start in [from, to): the anchor lying wholly before findEnd, or a
// special byte, looked at with the bytes up to the buffer's end.
bool RawScan::mayHoldText(qsizetype from, qsizetype to, qsizetype findEnd) const
{
    if (from >= to)
        return false;
    return finder.find(reader.data(), from, findEnd) >= 0
        || special.find(reader.data(), from, to, reader.size()) >= 0;
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
    anchorAt = specialAt = -1;
    qsizetype pos = scanPos;
    while (pos < to) {
        const qsizetype candidate = nextCandidate(pos, to);
        if (candidate < 0)
            break;
        const qsizetype feed = lastNewline(data, pos, candidate);
        const qsizetype start = feed < 0 ? pos : feed + 1;
        lineCount += countNewlines(data, pos, start);
        const qsizetype end = nextNewline(data, candidate, to);
        const QString line = decodeLine(data + start, end - start).trimmed();
        if (lineMatches(line, needle))
            addHit(start);
        ++lineCount;
        pos = end + 1;
    }
    lineCount += countNewlines(data, pos, to);
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
    if (hasLastLine && lineMatches(lastLine, needle))
        addHit(scanPos);
}

void RawScan::addHit(qsizetype lineStart)
{
    Pending hit;
    hit.line = lineCount;
    hit.firstLine = std::max<qsizetype>(0, lineCount - before);
    if (gapLast >= 0 && hit.firstLine <= gapLast)
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
    rewind(gapStart);
    gapLast = -1;
    const char *data = reader.data();
    qsizetype at = 0;
    qsizetype line = gapLine;
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
    if (droppedStart >= 0 || (gapLast >= 0 && lineCount - before <= gapLast))
        return;
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
    return droppedStart < 0 && pending.empty()
        && reader.size() - scanPos > std::max(longLine, overlap)
        && reader.start() + scanPos != wholeLine;
}

// Searches the unfinished line as far as a match could not go on past the buffer's end,
// then drops it up to there. A line that may hold the text is kept whole instead.
void RawScan::dropSearched()
{
    const qsizetype from = droppedStart >= 0 ? 0 : scanPos;
    const qsizetype limit = reader.size() - overlap;
    if (mayHoldText(from, limit, limit + anchorLength - 1)) {
        if (droppedStart >= 0)
            takeBackDroppedLine();
        wholeLine = reader.start() + scanPos;
        return;
    }
    if (droppedStart < 0) {
        // The first line a later window may need, unless an earlier gap reaches further.
        if (gapLast < 0 || lineCount - before > gapLast) {
            gapLine = std::max<qsizetype>(0, lineCount - before);
            gapStart = reader.start() + startOfLine(gapLine, lineCount, scanPos);
        }
        droppedStart = reader.start() + scanPos;
        gapLast = lineCount;
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
        return droppedStart < 0;
    }
    if (mayHoldText(0, feed, feed)) {
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
    droppedStart = -1;
    return true;
}

// The dropped line may hold the text: it is read again with the lines before it, and
// scanned whole from its start.
void RawScan::takeBackDroppedLine()
{
    rewind(gapStart);
    scanPos = droppedStart - reader.start();
    droppedStart = -1;
    gapLast = -1;
}

void RawScan::rewind(qsizetype offset)
{
    const qsizetype oldStart = reader.start();
    reader.rewind(offset);
    scanPos += oldStart - reader.start();
}

// Decodes every line: for UTF-16 and UTF-32 files and for texts that a byte search
// cannot find. The data is cut after a line feed before it is decoded, so that no
// sequence is ever split; only the `before` previous lines and the open windows are kept.
class DecodedScan
{
public:
    DecodedScan(Reader &reader, const Needle &needle, qsizetype before, qsizetype after,
        HitSink &sink, QStringConverter::Encoding encoding)
        : reader(reader)
        , needle(needle)
        , before(before)
        , after(after)
        , sink(sink)
        , encoding(encoding)
        , decoder(encoding)
        , unit(encoding == QStringConverter::Utf8 ? 1
                  : encoding == QStringConverter::Utf32LE || encoding == QStringConverter::Utf32BE
                  ? 4
                  : 2)
    { }

    void run();

private:
    qsizetype lastLineEnd(qsizetype from) const;
    void addText(QString text);
    void addLine(const QString &line);

    Reader &reader;
    const Needle &needle;
    const qsizetype before;
    const qsizetype after;
    HitSink &sink;
    QStringConverter::Encoding encoding;
    QStringDecoder decoder;
    qsizetype unit; // bytes of a code unit

    qsizetype lineCount = 0;
    std::deque<QString> history;
    std::deque<ScanHit> pending;
};

void DecodedScan::run()
{
    qsizetype lineBreakEnd = -1;
    qsizetype lookedTo = 0; // file offset: no line feed unit from the buffer's start to here
    for (;;) {
        if (!reader.atEnd())
            reader.fill();
        // Only the units read since the last look can hold a new line feed.
        const qsizetype cut = lastLineEnd(std::max<qsizetype>(0, lookedTo - reader.start()));
        lookedTo = reader.endOffset() - reader.endOffset() % unit;
        if (cut > 0) {
            addText(decoder(QByteArrayView(reader.data(), cut)));
            lineBreakEnd = reader.start() + cut;
            reader.discard(cut);
        }
        if (reader.atEnd())
            break;
    }
    // The decoder keeps an incomplete sequence at the end to itself, as the stream's does.
    QString rest = decoder(QByteArrayView(reader.data(), reader.size()));
    rest.remove(QLatin1Char('\r'));
    if (!rest.isEmpty() || streamAddsEmptyLine(reader.endOffset(), lineBreakEnd))
        addLine(rest);
    while (!pending.empty()) {
        sink.hit(pending.front());
        pending.pop_front();
    }
}

// The buffer index just past the last line feed unit at or after `from`, or -1. Units
// are aligned on the file's start, since a byte-order mark is one unit long.
qsizetype DecodedScan::lastLineEnd(qsizetype from) const
{
    const char *data = reader.data();
    switch (encoding) {
    case QStringConverter::Utf8: {
        const qsizetype at = lastNewline(data, from, reader.size());
        return at < 0 ? -1 : at + 1;
    }
    case QStringConverter::Utf16LE:
    case QStringConverter::Utf16BE:
    case QStringConverter::Utf32LE:
    case QStringConverter::Utf32BE: {
        const bool big
            = encoding == QStringConverter::Utf16BE || encoding == QStringConverter::Utf32BE;
        qsizetype at = reader.size() - unit;
        at -= (reader.start() + at) % unit;
        for (; at >= from; at -= unit) {
            bool lineFeed = true;
            for (qsizetype i = 0; i < unit; ++i) {
                const char expected = (big ? i == unit - 1 : i == 0) ? '\n' : '\0';
                lineFeed = lineFeed && data[at + i] == expected;
            }
            if (lineFeed)
                return at + unit;
        }
        return -1;
    }
    default:
        return -1;
    }
}

void DecodedScan::addText(QString text)
{
    text.remove(QLatin1Char('\r'));
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            break;
        addLine(text.mid(start, end - start));
        start = end + 1;
    }
}

void DecodedScan::addLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    for (ScanHit &hit : pending)
        hit.lines.append(trimmed);
    while (!pending.empty() && pending.front().line + after == lineCount) {
        sink.hit(pending.front());
        pending.pop_front();
    }
    if (lineMatches(trimmed, needle)) {
        ScanHit hit;
        hit.line = lineCount;
        hit.firstLine = lineCount - qsizetype(history.size());
        hit.lines.reserve(qsizetype(history.size()) + after + 1);
        for (const QString &previous : history)
            hit.lines.append(previous);
        hit.lines.append(trimmed);
        if (after == 0)
            sink.hit(hit);
        else
            pending.push_back(hit);
    }
    if (before > 0) {
        history.push_back(trimmed);
        if (qsizetype(history.size()) > before)
            history.pop_front();
    }
    ++lineCount;
}

// The encoding that the stream chooses, always with an explicit byte order.
QStringConverter::Encoding detectEncoding(QByteArrayView head)
{
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    switch (QStringConverter::encodingForData(head).value_or(QStringConverter::Utf8)) {
    case QStringConverter::Utf16:
        return little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    case QStringConverter::Utf16LE:
        return QStringConverter::Utf16LE;
    case QStringConverter::Utf16BE:
        return QStringConverter::Utf16BE;
    case QStringConverter::Utf32:
        return little ? QStringConverter::Utf32LE : QStringConverter::Utf32BE;
    case QStringConverter::Utf32LE:
        return QStringConverter::Utf32LE;
    case QStringConverter::Utf32BE:
        return QStringConverter::Utf32BE;
    default:
        return QStringConverter::Utf8;
    }
}

} // namespace

// The analysis of the text, made once for the files of a search.
std::shared_ptr<const Needle> needleFor(const ScanOptions &options)
{
    thread_local std::shared_ptr<Needle> last;
    if (!last || last->text != options.text || last->caseSensitivity != options.caseSensitivity) {
        last = std::make_shared<Needle>(options);
        last->prepareFinders();
    }
    return last;
}

ScanStatus scanFile(const QString &path, const ScanOptions &options, HitSink &sink)
{
    return scanFile(path, options, sink, ScanLimits());
}

ScanStatus scanFile(
    const QString &path, const ScanOptions &options, HitSink &sink, const ScanLimits &limits)
{
    ScanSource file;
    switch (file.open(path)) {
    case OpenResult::Opened:
        break;
    case OpenResult::NotRegular:
        return ScanStatus::NotRegular;
    case OpenResult::Failed:
        return ScanStatus::CannotOpen;
    }
    const std::shared_ptr<const Needle> prepared = needleFor(options);
    const Needle &needle = *prepared;
    if (needle.neverMatches)
        return ScanStatus::Scanned;

    std::vector<char> &buffer = threadBuffer();
    {
        Reader reader(file, buffer, std::max<qsizetype>(1, limits.readBlock));
        while (reader.size() < 4 && !reader.atEnd())
            reader.fill();
        // The stream looks for a byte-order mark in its first piece only.
        const QByteArrayView head(reader.data(), std::min(reader.size(), streamPiece));
        const QStringConverter::Encoding encoding = detectEncoding(head);
        const qsizetype before = std::max(0, options.before);
        const qsizetype after = std::max(0, options.after);
        if (encoding == QStringConverter::Utf8 && needle.byteSearch) {
            if (head.startsWith("\xEF\xBB\xBF"))
                reader.discard(3);
            RawScan(reader, needle, before, after, sink, limits.longLine).run();
        } else {
            DecodedScan(reader, needle, before, after, sink, encoding).run();
        }
    }
    if (buffer.size() > keptBuffer) {
        buffer.resize(size_t(ScanLimits().readBlock));
        buffer.shrink_to_fit();
    }
    return ScanStatus::Scanned;
}
