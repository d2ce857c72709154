#ifndef REPORT_H
#define REPORT_H

#include "search/logsink.h"
#include "search/scanfile.h"

#include <QString>
#include <QStringList>

// A path as HTML that shows exactly that path: special characters escaped, blanks kept.
QString htmlPath(const QString &path);

// The blue header that names the file of a hit, its path shown with backslashes.
QString fileHeader(const QString &path);

// The blue header that names the line of a hit; index is 0-based, the header counts from 1.
QString lineHeader(qsizetype index);

// Writes "Fichiers listés :" and then every path, one entry each, as collected.
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
    QString header; // made at the first hit: most files have none
};

#endif // REPORT_H
