#include "search/scanfile.h"

#include <QFile>
#include <QList>
#include <QTextStream>

#include <algorithm>

ScanStatus scanFile(const QString &path, const ScanOptions &options, HitSink &sink)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ScanStatus::CannotOpen;

    // The whole file is kept, trimmed, before anything about it is reported: a hit's
    // context may reach lines that come after it.
    QTextStream stream(&file);
    QStringList lines;
    QList<qsizetype> hits;
    QString line;
    while (stream.readLineInto(&line)) {
        lines.append(line.trimmed());
        if (lines.constLast().indexOf(options.text, 0, options.caseSensitivity) != -1)
            hits.append(lines.size() - 1);
    }
    stream.reset();
    file.close();

    // Each hit carries its own window, clamped to the file; neighbouring windows are not
    // merged, so shared lines are reported once per hit.
    const qsizetype lastLine = lines.size() - 1;
    for (const qsizetype index : std::as_const(hits)) {
        ScanHit hit;
        hit.line = index;
        hit.firstLine = std::max<qsizetype>(index - options.before, 0);
        const qsizetype end = std::min<qsizetype>(index + options.after, lastLine);
        hit.lines = lines.mid(hit.firstLine, end - hit.firstLine + 1);
        sink.hit(hit);
    }
    return ScanStatus::Scanned;
}
