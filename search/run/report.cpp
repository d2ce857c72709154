#include "search/run/report.h"

#include "search/run/logceiling.h"

#include <algorithm>

// The characters of a header beyond its path or number ("Fichier : ", "Ligne ", the
// break before the file's header), counted high.
static constexpr qint64 headerText = 16;

qsizetype writeFileList(LogSink &log, const QStringList &files, LogCeiling *ceiling)
{
    // The title alone is always written: the log says that a search began.
    if (ceiling)
        ceiling->admit(1, headerText);
    log.fileListTitle();
    qsizetype written = 0;
    for (const QString &path : files) {
        if (ceiling && !ceiling->admit(1, path.size() + 1))
            break;
        log.listedFile(path);
        ++written;
    }
    return written;
}

ReportSink::ReportSink(LogSink &log, const QString &path, LogCeiling *ceiling)
    : log(log)
    , path(path)
    , ceiling(ceiling)
{ }

void ReportSink::hit(const ScanHit &hit)
{
    if (logFull)
        return;
    if (ceiling) {
        // Each block ends with a separator, which the document counts as a character.
        qint64 characters = 2 * headerText + path.size() + 20;
        qsizetype longest = 0;
        for (const QString &line : hit.lines) {
            characters += line.size() + 1;
            longest = std::max(longest, line.size());
        }
        if (!ceiling->admit(2 + hit.lines.size(), characters, longest)) {
            logFull = true;
            return;
        }
    }
    // Every hit repeats the file header, so that each block stands on its own.
    log.fileHeader(path);
    log.lineHeader(hit.line);
    for (const QString &line : hit.lines)
        log.contextLine(line);
}

bool ReportSink::goesOn(qint64 heldBytes)
{
    if (!logFull && ceiling && !ceiling->mayHold(heldBytes))
        logFull = true;
    return !logFull;
}
