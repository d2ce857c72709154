#include "search/walk/namefilter.h"

// A pattern made of stars alone matches any name, since a file name holds no separator.
static bool onlyStars(const QString &pattern)
{
    if (pattern.isEmpty())
        return false;
    for (const QChar c : pattern) {
        if (c != QLatin1Char('*'))
            return false;
    }
    return true;
}

NameFilter::NameFilter(const QString &filter)
{
    const QStringList list = filter.split(QLatin1Char(';'), Qt::KeepEmptyParts);
    for (const QString &pattern : list) {
        if (onlyStars(pattern)) {
            everything = true;
            patterns.clear();
            return;
        }
    }
    // Qt's own wildcard conversion, the one QDir uses: "*" and "?" stop at a separator,
    // "[...]" and "[!...]" are sets, and the whole name must match. An empty pattern
    // matches no name; a malformed one ("*[") neither, and is left out.
    for (const QString &pattern : list) {
        QRegularExpression expression
            = QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
        if (expression.isValid())
            patterns.append(expression);
    }
}

bool NameFilter::matches(const QString &name) const
{
    if (everything)
        return true;
    for (const QRegularExpression &pattern : patterns) {
        if (pattern.match(name).hasMatch())
            return true;
    }
    return false;
}
