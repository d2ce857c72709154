#include "search/searchrun.h"

#include "search/progresspacer.h"
#include "search/report.h"

#include <QElapsedTimer>

SearchRun runSearch(const QStringList &files, const ScanOptions &options, LogSink &log,
    const SearchProgress &progress)
{
    // One scanner for the whole run: the text is analysed once, the read buffer reused.
    FileScanner scanner(options);
    return runSearch(
        files,
        [&scanner](const QString &path, HitSink &sink) { return scanner.scan(path, sink, true); },
        log, progress);
}

SearchRun runSearch(const QStringList &files, const ScanFunction &scan, LogSink &log,
    const SearchProgress &progress)
{
    const auto tell = [&progress](qsizetype done) {
        if (progress)
            progress(done);
    };
    writeFileList(log, files);

    // The progress is told by time: at the first file, then every so often (the file
    // being scanned counts as done). The last step
    // waits until the whole report is in the log.
    ProgressPacer pacer;
    QElapsedTimer clock;
    clock.start();
    qsizetype scanned = 0;
    for (const QString &path : files) {
        if (++scanned < files.size() && pacer.due(clock.elapsed()))
            tell(scanned);

        ReportSink report(log, path);
        if (scan(path, report) == ScanStatus::CannotOpen) {
            // What was found so far goes into the log before the run stops there.
            log.flush();
            tell(scanned);
            return { false, path };
        }
    }
    log.flush();
    tell(files.size());
    return {};
}
