#ifndef DECODEDSCAN_H
#define DECODEDSCAN_H

#include "search/scan/blockreader.h"
#include "search/scan/needle.h"
#include "search/scan/scanfile.h"

#include <QString>
#include <QStringConverter>
#include <QStringDecoder>

#include <deque>

// Decodes every line: for UTF-16 and UTF-32 files and for texts that a byte search
// cannot find. The data is cut after a line feed before it is decoded, so that no
// sequence is ever split; only the `before` previous lines and the open windows are kept.
// Other files are decoded line by line, each line in the encoding that linedecoding
// chooses for it; their byte-order mark is gone before the scan starts.
class DecodedScan
{
public:
    DecodedScan(BlockReader &reader, const Needle &needle, qsizetype before, qsizetype after,
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
    void addUtf8Lines(qsizetype cut);
    void addText(QString text);
    void addLine(const QString &line);

    BlockReader &reader;
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

#endif // DECODEDSCAN_H
