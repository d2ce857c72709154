#ifndef SEARCHRUN_H
#define SEARCHRUN_H

#include "search/logsink.h"
#include "search/readahead.h"
#include "search/scanfile.h"

#include <QString>
#include <QStringList>

#include <functional>

// How a search run ended: every file scanned, or stopped at a file that could not be
// opened.
struct SearchRun
{
    bool completed = true;
    QString failedPath;
};

// Scans one file into the sink: the fast scan in the program, the reference scan in the
// tests and the benchmark.
using ScanFunction = std::function<ScanStatus(const QString &path, HitSink &sink)>;

// Told how many of the files are done: now and then during the run, once more at the
// file that stops it, and at the end once the whole report is in the log.
using SearchProgress = std::function<void(qsizetype done)>;

// The whole run of a search over files as collectFiles lists them: writes the list of files, then
// scans them one after the other and writes the report of each hit. A file that cannot be
// opened stops the run; what was found so far stays in the log. Workers read the files
// ahead of the report, which the calling thread writes in the list's order all the same;
// the run returns once they have stopped.
SearchRun runSearch(const QStringList &files, const ScanOptions &options, LogSink &log,
    const SearchProgress &progress, const ReadAheadLimits &ahead = ReadAheadLimits(),
    const ScanLimits &limits = ScanLimits(), ReadAheadCounts *counts = nullptr);

// The same with another scan.
SearchRun runSearch(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress);

#endif // SEARCHRUN_H
