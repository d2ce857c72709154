#include "search/report.h"

#include <algorithm>

QString htmlPath(const QString &path)
{
    // Most paths need nothing: no markup character, no blank. They are kept as they are
    // (shared, not copied), which matters for the list of a big tree.
    const auto needsCare = [](QChar c) {
        return c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('&')
            || c == QLatin1Char('"') || c.isSpace();
    };
    if (std::none_of(path.cbegin(), path.cend(), needsCare))
        return path;

    // Blanks would be folded or dropped by the HTML reader; such paths keep them in a
    // pre-wrap span, which still lets long paths wrap. A line break in a name stays a
    // break inside the entry's one block.
    QString escaped = path.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br />"));
    const bool hasBlank
        = std::any_of(path.cbegin(), path.cend(), [](QChar c) { return c.isSpace(); });
    if (!hasBlank)
        return escaped;
    return QStringLiteral("<span style=\"white-space:pre-wrap\">") + escaped
        + QStringLiteral("</span>");
}

QString fileHeader(const QString &path)
{
    QString shown = path;
    shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("<br /><font color=\"royalblue\">Fichier : <b>") + htmlPath(shown)
        + QStringLiteral("</b></font>");
}

QString lineHeader(qsizetype index)
{
    return QStringLiteral("<font color=\"royalblue\">Ligne <b>") + QString::number(index + 1)
        + QStringLiteral("</b></font>");
}

void writeFileList(LogSink &log, const QStringList &files)
{
    log.appendHtml(QStringLiteral("Fichiers listés :"));
    for (const QString &path : files)
        log.appendHtml(htmlPath(path));
}

ReportSink::ReportSink(LogSink &log, const QString &path)
    : log(log)
    , path(path)
{ }

void ReportSink::hit(const ScanHit &hit)
{
    // Every hit repeats the file header, so that each block stands on its own.
    if (header.isEmpty())
        header = fileHeader(path);
    log.appendHtml(header);
    log.appendHtml(lineHeader(hit.line));
    for (const QString &line : hit.lines)
        log.appendPlainText(line);
}
