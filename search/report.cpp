#include "search/report.h"

void writeFileList(LogSink &log, const QStringList &files)
{
    log.fileListTitle();
    for (const QString &path : files)
        log.listedFile(path);
}

ReportSink::ReportSink(LogSink &log, const QString &path)
    : log(log)
    , path(path)
{ }

void ReportSink::hit(const ScanHit &hit)
{
    // Every hit repeats the file header, so that each block stands on its own.
    log.fileHeader(path);
    log.lineHeader(hit.line);
    for (const QString &line : hit.lines)
        log.contextLine(line);
}
