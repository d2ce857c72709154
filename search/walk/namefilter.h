#ifndef NAMEFILTER_H
#define NAMEFILTER_H

#include <QList>
#include <QRegularExpression>
#include <QString>

// The ";"-separated wildcard patterns of the file filter, read as QDir reads name filters:
// neither trimmed nor dropped when empty, case ignored.
class NameFilter
{
public:
    explicit NameFilter(const QString &filter);
    bool matches(const QString &name) const;
    // Whether every name matches, so that no name needs trying (the default filter).
    bool takesEverything() const { return everything; }

private:
    bool everything = false;
    QList<QRegularExpression> patterns;
};

#endif // NAMEFILTER_H
