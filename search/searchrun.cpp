#include "search/searchrun.h"

#include "search/report.h"

#include <algorithm>

SearchRun runSearch(const QStringList &files, const ScanOptions &options, LogSink &log,
    const SearchProgress &progress)
{
    // One scanner for the whole run: the text is analysed once, the read buffer reused.
    FileScanner scanner(options);
    return runSearch(
        files, [&scanner](const QString &path, HitSink &sink) { return scanner.scan(path, sink); },
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

    // Telling the progress costs more than scanning a small file (a bar asks its style
    // whether its look changes): on big trees it is told by thousandths. The last step
    // waits until the whole report is in the log.
    const qsizetype step = std::max<qsizetype>(1, files.size() / 1000);
    qsizetype scanned = 0;
    for (const QString &path : files) {
        if (++scanned % step == 0 && scanned < files.size())
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
