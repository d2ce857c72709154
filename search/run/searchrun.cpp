#include "search/run/searchrun.h"

#include "search/run/progresspacer.h"
#include "search/run/report.h"
#include "search/run/searchphases.h"

#include <QElapsedTimer>

SearchRun runSearch(const QStringList &files, const ScanOptions &options, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling, const ReadAheadLimits &ahead,
    const ScanLimits &limits, ReadAheadCounts *counts)
{
    // One scanner for the whole run: the text is analysed once, the read buffer reused. It
    // scans the files that the workers leave to this thread, or all of them without workers.
    FileScanner scanner(options, limits);
    ReadAhead readAhead(files, options, limits, ahead);
    const SearchRun result = runSearch(
        files,
        [&scanner, &readAhead](const QString &path, HitSink &sink) {
            return readAhead.scanNext(path, sink, scanner);
        },
        log, progress, ceiling);
    if (counts)
        *counts = readAhead.counts();
    return result;
}

static SearchRun run(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling, TimedLog *timed);

SearchRun runSearch(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling)
{
    SearchPhases *record = searchPhasesRecord();
    if (!record)
        return run(files, scan, log, progress, ceiling, nullptr);
    // The time outside the log is the scan's.
    TimedLog timed(log, *record);
    const double before = record->list + record->report;
    QElapsedTimer clock;
    clock.start();
    const SearchRun result = run(files, scan, timed, progress, ceiling, &timed);
    record->scan += clock.nsecsElapsed() / 1e9 - (record->list + record->report - before);
    return result;
}

static SearchRun run(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress, LogCeiling *ceiling, TimedLog *timed)
{
    const auto tell = [&progress](qsizetype done) {
        if (progress)
            progress(done);
    };
    if (timed)
        timed->countAs(&SearchPhases::list);
    const qsizetype listed = writeFileList(log, files, ceiling);
    // The list is in the log before the first file is read.
    log.flush();
    if (timed)
        timed->countAs(&SearchPhases::report);
    // No file is scanned when the list itself does not fit: the bar stays at its start.
    if (listed < files.size())
        return { SearchRun::End::LogFull, files.at(listed) };

    // The progress is told by time: at the first file, then every so often (the file
    // being scanned counts as done). The last step waits until the whole report is in the
    // log.
    ProgressPacer pacer;
    QElapsedTimer clock;
    clock.start();
    qsizetype scanned = 0;
    for (const QString &path : files) {
        if (++scanned < files.size() && pacer.due(clock.elapsed()))
            tell(scanned);

        ReportSink report(log, path, ceiling);
        const ScanStatus status = scan(path, report);
        if (status == ScanStatus::CannotOpen || report.full()) {
            // What was found so far goes into the log before the run stops there.
            log.flush();
            tell(scanned);
            return { status == ScanStatus::CannotOpen ? SearchRun::End::CannotOpen
                                                      : SearchRun::End::LogFull,
                path };
        }
    }
    log.flush();
    tell(files.size());
    return {};
}
