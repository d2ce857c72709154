#ifndef SIBLINGLINKS_H
#define SIBLINGLINKS_H

#include <QString>
#include <QStringList>

// n sibling folders s0 .. s(n-1), each holding a file f and a link to each of the others,
// named after it: the shape whose paths through the links grow as n! while it holds n
// folders.

// The links as (link, target) pairs, paths relative to the folder that holds the siblings.
inline QStringList siblingLinks(int n)
{
    QStringList pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            if (i != j)
                pairs << QStringLiteral("s%1/s%2").arg(i).arg(j) << QStringLiteral("s%1").arg(j);
        }
    }
    return pairs;
}

// The files of the siblings, relative to the folder that holds them.
inline QStringList siblingFiles(int n)
{
    QStringList files;
    for (int i = 0; i < n; ++i)
        files << QStringLiteral("s%1/f").arg(i);
    return files;
}

// The siblings make one group of folders that reach one another, and the walk comes into
// it once from each sibling: each time it lists every sibling once, down the links in name
// order (s2, s2/s0, s2/s0/s1, ...), so the deepest file comes first. n * n entries.
inline QStringList siblingWalk(int n)
{
    QStringList files;
    for (int first = 0; first < n; ++first) {
        QStringList chain { QStringLiteral("s%1/").arg(first) };
        for (int i = 0; i < n; ++i) {
            if (i != first)
                chain << chain.constLast() + QStringLiteral("s%1/").arg(i);
        }
        for (int depth = n - 1; depth >= 0; --depth)
            files << chain[depth] + QLatin1Char('f');
    }
    return files;
}

#endif // SIBLINGLINKS_H
