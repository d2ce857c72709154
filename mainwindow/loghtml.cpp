#include "mainwindow/loghtml.h"

#include <algorithm>

bool isPlainPath(const QString &path)
{
    const auto needsCare = [](QChar c) {
        return c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('&')
            || c == QLatin1Char('"') || c.isSpace();
    };
    return std::none_of(path.cbegin(), path.cend(), needsCare);
}

QString htmlPath(const QString &path)
{
    // Most paths need nothing. They are kept as they are (shared, not copied), which
    // matters for the list of a big tree.
    if (isPlainPath(path))
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

QString fileListTitleHtml()
{
    return QStringLiteral("Fichiers listés :");
}

QString fileHeaderHtml(const QString &path)
{
    QString shown = path;
    shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("<br /><font color=\"royalblue\">Fichier : <b>") + htmlPath(shown)
        + QStringLiteral("</b></font>");
}

QString lineHeaderHtml(qsizetype index)
{
    return lineHeaderHtml(QString::number(index + 1));
}

QString lineHeaderHtml(const QString &number)
{
    return QStringLiteral("<font color=\"royalblue\">Ligne <b>") + number
        + QStringLiteral("</b></font>");
}
