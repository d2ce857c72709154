#ifndef SCANFILE_H
#define SCANFILE_H

#include <QString>
#include <QStringList>
#include <Qt>

#include <memory>
#include <vector>

// What to look for in a file and how much context each hit carries.
struct ScanOptions
{
    QString text;
    Qt::CaseSensitivity caseSensitivity = Qt::CaseInsensitive;
    int before = 1;
    int after = 1;
};

// One hit: the 0-based index of the matching line, and its context window: the trimmed
// lines from index firstLine on (the hit line among them, at line - firstLine).
struct ScanHit
{
    qsizetype line = 0;
    qsizetype firstLine = 0;
    QStringList lines;
};

// Receives the hits of one file, in ascending line order.
class HitSink
{
public:
    virtual ~HitSink() = default;
    virtual void hit(const ScanHit &hit) = 0;

    // Asked before each read with how many of the file's bytes the scan holds (lines that
    // windows or the text may need): false stops the scan of the file there, its hits not
    // yet reported dropped.
    virtual bool goesOn(qint64 heldBytes)
    {
        Q_UNUSED(heldBytes);
        return true;
    }
};

enum class ScanStatus {
    Scanned,
    NotRegular, // a FIFO, a device, a folder...: not opened, no hits
    CannotOpen,
};

// How the scan reads: the bytes read at a time, and the length beyond which an unfinished
// line that no hit needs is searched as it comes instead of kept. Tests make them small,
// so that small files meet every edge between reads.
struct ScanLimits
{
    qsizetype readBlock = 256 * 1024;
    qsizetype longLine = 1024 * 1024;
};

class ByteSource;
struct Needle;

// Scans the files of one search: reads the text file at a path and reports every line that contains
// options.text, with its context window, as the toolkit's text stream would give the lines
// (trimmed). Only regular files are read: anything else could wait for a writer or never end.
//
// The file is read in large blocks, lines that cannot hold the text are skipped by a byte
// search without being decoded, and only the lines of a hit's context window are kept,
// so that memory depends on the window and on the lines that may hold the text, never on
// the file's size or on other lines' lengths (for UTF-8 files and texts found by bytes;
// UTF-16 and UTF-32 files keep each line whole). The time grows with the file's size,
// whatever the line lengths. A file whose byte-order mark names UTF-16 or UTF-32 is decoded
// as the toolkit's text stream decodes it; any other is read line by line, each line in
// the encoding that linedecoding chooses for it (UTF-8 as the stream decodes it, invalid
// bytes as replacement characters and an incomplete sequence at the very end dropped, or
// Windows-1252), every carriage return removed. Negative context sizes count as 0.
//
// The analysis of the text and the read buffer are made once and serve every file.
class FileScanner
{
public:
    explicit FileScanner(const ScanOptions &options, const ScanLimits &limits = ScanLimits());
    ~FileScanner();
    FileScanner(const FileScanner &) = delete;
    FileScanner &operator=(const FileScanner &) = delete;

    // A listed path comes from the search's file list, whose entries lead to something
    // other than a regular file only through a link: such a path is opened straight away
    // unless it is a link.
    ScanStatus scan(const QString &path, HitSink &sink, bool listed = false);

    // The same on bytes already open, which may change between reads as a file can.
    void scan(ByteSource &source, HitSink &sink);

private:
    ScanOptions options;
    ScanLimits limits;
    std::unique_ptr<const Needle> needle;
    std::vector<char> buffer;
};

// One file on its own, for a search of one file.
ScanStatus scanFile(const QString &path, const ScanOptions &options, HitSink &sink,
    const ScanLimits &limits = ScanLimits());

#endif // SCANFILE_H
