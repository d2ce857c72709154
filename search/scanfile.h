#ifndef SCANFILE_H
#define SCANFILE_H

#include <QString>
#include <QStringList>
#include <Qt>

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
};

enum class ScanStatus { Scanned, CannotOpen };

// Reads the text file at path line by line (UTF-8, byte-order mark recognised, lines
// trimmed) and reports every line that contains options.text, with its context window.
ScanStatus scanFile(const QString &path, const ScanOptions &options, HitSink &sink);

#endif // SCANFILE_H
