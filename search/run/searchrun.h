#ifndef SEARCHRUN_H
#define SEARCHRUN_H

#include "search/run/logsink.h"
#include "search/run/readahead.h"
#include "search/scan/scanfile.h"

#include <QString>
#include <QStringList>

#include <functional>

class LogCeiling;

// How a search run ended: every file scanned, or stopped at a file (stopPath): one that
// could not be opened, or one whose report, or its place in the list of files, the log
// could not hold.
struct SearchRun
{
    enum class End { Completed, CannotOpen, LogFull };

    End end = End::Completed;
    QString stopPath;

    bool completed() const { return end == End::Completed; }
};

// Scans one file into the sink: the fast scan in the program, the reference scan in the
// tests and the benchmark.
using ScanFunction = std::function<ScanStatus(const QString &path, HitSink &sink)>;

// Told how many of the files are done: now and then during the run, once more at the
// file that stops it, and at the end once the whole report is in the log.
using SearchProgress = std::function<void(qsizetype done)>;

// The whole run of a search over files as collectFiles lists them: writes the list of files, then
// scans them one after the other and writes the report of each hit. A file that cannot be
// opened stops the run; what was found so far stays in the log. So does the log's ceiling,
// if there is one, where the log cannot hold the next path of the list or the next hit
// whole: the log then ends with the last entry or hit that it could hold. Workers read the
// files ahead of the report, which the calling thread writes in the list's order all the
// same; the run returns once they have stopped.
SearchRun runSearch(const QStringList &files, const ScanOptions &options, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling = nullptr,
    const ReadAheadLimits &ahead = ReadAheadLimits(), const ScanLimits &limits = ScanLimits(),
    ReadAheadCounts *counts = nullptr);

// The same with another scan.
SearchRun runSearch(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling = nullptr);

#endif // SEARCHRUN_H
