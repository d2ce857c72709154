#include "search/scan/decodedscan.h"

#include "search/bytesearch/fastbytes.h"
#include "search/scan/streamlines.h"

#include <QUtf8StringView>

void DecodedScan::run()
{
    qsizetype lineBreakEnd = -1;
    qsizetype lookedTo = 0; // file offset: no line feed unit from the buffer's start to here
    for (;;) {
        if (!reader.atEnd()) {
            if (!sink.goesOn(reader.size()))
                return;
            reader.fill();
        }
        // Only the units read since the last look can hold a new line feed.
        const qsizetype cut = lastLineEnd(std::max<qsizetype>(0, lookedTo - reader.start()));
        lookedTo = reader.endOffset() - reader.endOffset() % unit;
        if (cut > 0) {
            if (encoding == QStringConverter::Utf8)
                addUtf8Lines(cut);
            else
                addText(decoder(QByteArrayView(reader.data(), cut)));
            lineBreakEnd = reader.start() + cut;
            reader.discard(cut);
        }
        if (reader.atEnd())
            break;
    }
    // The decoder keeps an incomplete sequence at the end to itself, as the stream's does.
    QString rest;
    if (encoding == QStringConverter::Utf8) {
        rest = decodeLastPiece(reader.data(), reader.size());
    } else {
        rest = decoder(QByteArrayView(reader.data(), reader.size()));
        rest.remove(QLatin1Char('\r'));
    }
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

// A file without a wide byte-order mark is read line by line, each in its own encoding:
// the lines of [0, cut), which ends with a line feed.
void DecodedScan::addUtf8Lines(qsizetype cut)
{
    const char *data = reader.data();
    // Valid UTF-8 is UTF-8 line by line: decoded in one piece, a byte-order mark at its
    // start kept as the character it is inside the file.
    if (QUtf8StringView(data, cut).isValidUtf8()) {
        QStringDecoder whole(QStringConverter::Utf8,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        addText(whole(QByteArrayView(data, cut)));
        return;
    }
    for (qsizetype start = 0; start < cut;) {
        const qsizetype end = nextNewline(data, start, cut);
        addLine(decodeLine(data + start, end - start));
        start = end + 1;
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
    if (needle.matches(trimmed)) {
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
