// Random file bytes, text and options: the fast scan must report what the reference scan
// reports, each line read in the encoding that its bytes call for (or, where the toolkit's
// stream decoding of a UTF-16 or UTF-32 file slips at its 16 KiB read boundary, what the
// bytes decoded in one piece give), reading as in production and also a few
// bytes at a time, keeping only short unfinished lines. The same bytes are then scanned
// as a file that changes when the scan goes back to read again what it dropped: any
// report will do there, but never a crash or a read outside a buffer.

#include "search/changingsource.h"
#include "search/bytesearch/fastbytes.h"
#include "search/literalscan.h"
#include "search/scan/scanfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class Recorder : public HitSink
{
public:
    void hit(const ScanHit &hit) override
    {
        hits.append(QStringLiteral("%1/%2:").arg(hit.line).arg(hit.firstLine)
            + hit.lines.join(QChar(0x1F)));
    }
    QStringList hits;
};

// Characters that the text is made of: ASCII letters in both cases, blanks, letters that
// fold to ASCII, replacement and byte-order characters, surrogates and line breaks, and
// what Windows-1252 lines hold: Latin-1 letters, the characters at 0x80-0x9F, the C1
// controls of its undefined bytes.
const char16_t alphabet[] = { u'a', u'A', u'b', u'k', u'K', u's', u'S', u' ', u'\t', u'x', 0xE9,
    0xC9, 0x212A, 0x17F, 0xFFFD, 0xFEFF, 0xA0, 0x3000, 0xD800, 0xDC00, u'0', u'\r', u'\n', 0,
    0x20AC, 0x2019, 0x201C, 0x152, 0x153, 0x178, 0xFF, 0x81, 0xC3, 0x1B };
const int contexts[] = { 0, 1, 2, 3, 99, 0, 1, 5 };

QString scratchFile()
{
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("input"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    ScanOptions options;
    options.caseSensitivity = data[0] & 1 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    options.before = contexts[(data[0] >> 1) & 7];
    options.after = contexts[(data[0] >> 4) & 7];
    const size_t textLength = data[1] & 15;
    const bool nearPieceEdge = data[1] & 0x80;
    // Each loop of the candidate search that this processor runs, as the input picks.
    static const std::vector<int> widths = candidateWidths();
    useCandidateWidth(widths[size_t((data[0] >> 7 & 1) | (data[1] >> 5 & 2)) % widths.size()]);
    ScanLimits small;
    small.readBlock = 1 + (data[2] & 15);
    small.longLine = 1 + (data[2] >> 4) * 5;
    size_t at = 3;
    for (size_t i = 0; i < textLength && at + 1 < size; ++i, at += 2) {
        // Mostly from the alphabet, sometimes any UTF-16 unit.
        const char16_t unit = data[at] < 224
            ? alphabet[data[at + 1] % (sizeof(alphabet) / sizeof(alphabet[0]))]
            : char16_t(data[at + 1] | (data[at] & 0x1F) << 8);
        options.text += QChar(unit);
    }
    QByteArray bytes(reinterpret_cast<const char *>(data + at), qsizetype(size - at));
    if (nearPieceEdge) {
        // Puts the input's bytes around the end of the stream's first 16 KiB piece.
        QByteArray filler(16384 - qsizetype(data[0] & 7), 'a');
        filler[100] = '\n';
        bytes.prepend(filler);
    }

    const QString path = scratchFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return 0;
    file.close();

    Recorder fast, smallReads, expected;
    if (scanFile(path, options, fast) != ScanStatus::Scanned
        || scanFile(path, options, smallReads, small) != ScanStatus::Scanned)
        abort();
    if (streamDecodingSlips(bytes))
        scanBytesWhole(bytes, options, expected);
    else
        scanFileLiteral(path, options, expected);
    const auto check = [&](const Recorder &got, const char *how) {
        if (got.hits == expected.hits)
            return;
        fprintf(stderr, "fast scan differs (%s): %lld bytes, text of %lld units, case %s\n", how,
            (long long)bytes.size(), (long long)options.text.size(),
            options.caseSensitivity == Qt::CaseSensitive ? "respected" : "ignored");
        fprintf(stderr, "fast:     %s\nexpected: %s\n", qPrintable(got.hits.join(u'\n')),
            qPrintable(expected.hits.join(u'\n')));
        abort();
    };
    check(fast, "reading as in production");
    check(smallReads, "reading a few bytes at a time, keeping short lines only");

    // Cut short, line feeds and blanks swapped, or the bytes reversed.
    QByteArray changed = bytes;
    switch (data[1] >> 4 & 3) {
    case 0:
        changed.truncate(changed.size() / 2);
        break;
    case 1:
        for (char &c : changed)
            c = c == '\n' ? ' ' : c == ' ' ? '\n' : c;
        break;
    default:
        std::reverse(changed.begin(), changed.end());
        break;
    }
    ChangingSource source(bytes, changed);
    Recorder any;
    FileScanner(options, small).scan(source, any);
    return 0;
}
