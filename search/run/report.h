#ifndef REPORT_H
#define REPORT_H

#include "search/run/logsink.h"
#include "search/scan/scanfile.h"

#include <QString>
#include <QStringList>

class LogCeiling;

// Writes the title of the list of files and then every path, one entry each, as collected.
// With a ceiling, the list ends at the first path that the log cannot hold: returns how
// many paths were written.
qsizetype writeFileList(LogSink &log, const QStringList &files, LogCeiling *ceiling = nullptr);

// Writes the report of each hit of one file: file header, line header, context lines.
// With a ceiling, a hit that the log cannot hold whole, or held bytes that the memory
// cannot spare, make it full: nothing more is written and the scan stops.
class ReportSink : public HitSink
{
public:
    ReportSink(LogSink &log, const QString &path, LogCeiling *ceiling = nullptr);
    void hit(const ScanHit &hit) override;
    bool goesOn(qint64 heldBytes) override;

    bool full() const { return logFull; }

private:
    LogSink &log;
    QString path;
    LogCeiling *ceiling;
    bool logFull = false;
};

#endif // REPORT_H
