#ifndef REPORT_H
#define REPORT_H

#include "search/logsink.h"
#include "search/scanfile.h"

#include <QString>
#include <QStringList>

// Writes the title of the list of files and then every path, one entry each, as collected.
void writeFileList(LogSink &log, const QStringList &files);

// Writes the report of each hit of one file: file header, line header, context lines.
class ReportSink : public HitSink
{
public:
    ReportSink(LogSink &log, const QString &path);
    void hit(const ScanHit &hit) override;

private:
    LogSink &log;
    QString path;
};

#endif // REPORT_H
