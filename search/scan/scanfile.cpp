#include "search/scan/scanfile.h"

#include "search/scan/blockreader.h"
#include "search/scan/decodedscan.h"
#include "search/scan/needle.h"
#include "search/scan/rawscan.h"
#include "search/scan/scansource.h"
#include "search/scan/streamlines.h"

#include <QByteArrayView>

#include <algorithm>

// The most the read buffer keeps between files.
static constexpr size_t keptBuffer = 4 * 1024 * 1024;

FileScanner::FileScanner(const ScanOptions &options, const ScanLimits &limits)
    : options(options)
    , limits(limits)
    , needle(std::make_unique<const Needle>(options))
{
    this->options.before = std::max(0, options.before);
    this->options.after = std::max(0, options.after);
    this->limits.readBlock = std::max<qsizetype>(1, limits.readBlock);
}

FileScanner::~FileScanner() = default;

ScanStatus FileScanner::scan(const QString &path, HitSink &sink, bool listed)
{
    ScanSource file;
    switch (file.open(path, listed)) {
    case OpenResult::Opened:
        break;
    case OpenResult::NotRegular:
        return ScanStatus::NotRegular;
    case OpenResult::Failed:
        return ScanStatus::CannotOpen;
    }
    scan(file, sink);
    return ScanStatus::Scanned;
}

// Text that bytes can find in a file without a wide byte-order mark goes to the raw scan;
// everything else is decoded whole.
void FileScanner::scan(ByteSource &source, HitSink &sink)
{
    if (needle->neverMatches)
        return;
    {
        BlockReader reader(source, buffer, limits.readBlock);
        while (reader.size() < 4 && !reader.atEnd())
            reader.fill();
        // The stream looks for a byte-order mark in its first piece only.
        const QByteArrayView head(reader.data(), std::min(reader.size(), streamPiece));
        const QStringConverter::Encoding encoding = detectEncoding(head);
        if (encoding == QStringConverter::Utf8 && head.startsWith("\xEF\xBB\xBF"))
            reader.discard(3);
        if (encoding == QStringConverter::Utf8 && needle->byteSearch) {
            RawScan(reader, *needle, options.before, options.after, sink, limits.longLine).run();
        } else {
            DecodedScan(reader, *needle, options.before, options.after, sink, encoding).run();
        }
    }
    if (buffer.size() > keptBuffer) {
        buffer.resize(size_t(ScanLimits().readBlock));
        buffer.shrink_to_fit();
    }
}

ScanStatus scanFile(
    const QString &path, const ScanOptions &options, HitSink &sink, const ScanLimits &limits)
{
    return FileScanner(options, limits).scan(path, sink);
}
