#ifndef LITERALSCAN_H
#define LITERALSCAN_H

#include "search/scan/scanfile.h"
#include "search/run/searchrun.h"

#include <QByteArray>

// The reference scan: the file read line by line, every trimmed line kept, then each hit
// reported with its window. Slow and memory-hungry on purpose: it is the plain statement
// of what the fast scan must give. A file with a UTF-16 or UTF-32 byte-order mark is read
// through a text stream; any other is cut at its line feeds and each line decoded in the
// encoding that linedecoding chooses for its bytes. Only regular files are read.
ScanStatus scanFileLiteral(const QString &path, const ScanOptions &options, HitSink &sink);

// The reference scan as a search run's scan.
ScanFunction literalScan(const ScanOptions &options);

// The same on the file's bytes, a UTF-16 or UTF-32 file decoded in one piece instead of in
// the stream's 16 KiB pieces, with the stream's line rules. It differs from the reference
// only where the toolkit's piecewise decoding loses a unit after an invalid sequence that
// straddles a piece boundary; streamDecodingSlips() tells when that happens.
ScanStatus scanBytesWhole(const QByteArray &bytes, const ScanOptions &options, HitSink &sink);

// Whether the reference, decoding a UTF-16 or UTF-32 file in the stream's 16 KiB pieces,
// gives another text than decoding it in one piece. Other files are read line by line,
// which no piece boundary disturbs.
bool streamDecodingSlips(const QByteArray &bytes);

#endif // LITERALSCAN_H
