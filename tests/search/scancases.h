#ifndef SCANCASES_H
#define SCANCASES_H

#include "search/bytesearch/fastbytes.h"
#include "search/scan/scanfile.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

// Collects the hits of one scan in a form that compares and prints well.
class HitRecorder : public HitSink
{
public:
    void hit(const ScanHit &hit) override;
    QStringList hits;
};

// One file and one search over it.
struct ScanCase
{
    QByteArray bytes;
    ScanOptions options;
};

// The kinds of file the generator makes.
enum class FileKind {
    Text, // words, blanks and line ends, sometimes after a UTF-8 byte-order mark
    Mixed, // text with invalid UTF-8, NUL bytes, lone CRs, odd blanks and folding letters
    RandomBytes, // any byte at all, line feeds a little more often
    Wide, // UTF-16 or UTF-32 text with its byte-order mark, sometimes cut short
    LongLines, // lines longer than the scan's read block
    HugeLines, // lines too long to be kept unless a hit needs them, beside short ones
    Large, // several read blocks of short lines with a few hits far apart
    PieceEdges, // sizes near multiples of the stream's 16 KiB pieces, odd bytes at the edge
    BlockEdges, // words, line ends, lone CRs and folding letters at 16- and 32-byte edges
    Windows1252, // UTF-8 and Windows-1252 lines, binary controls, escape, lone and double CRs,
                 // pieces at the vector blocks' edges, texts with characters outside ASCII
};

// Makes a file of the given kind and a search that often hits in it.
ScanCase makeScanCase(FileKind kind, QRandomGenerator &random);

// Puts the candidate search back on its widest loop when it goes out of scope, however a
// test that chose another loop ends.
struct CandidateWidthChoice
{
    ~CandidateWidthChoice() { useCandidateWidth(-1); }
};

// A short readable description of a case for failure messages.
QString describeCase(const ScanCase &scanCase);

#endif // SCANCASES_H
