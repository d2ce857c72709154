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

// Each folder once, under the path where the walk first reaches it: down the links
// s0/s1/.../s(n-1), so the deepest file comes first.
inline QStringList siblingWalk(int n)
{
    QStringList files;
    for (int depth = n; depth > 0; --depth) {
        QString path;
        for (int i = 0; i < depth; ++i)
            path += QStringLiteral("s%1/").arg(i);
        files << path + QLatin1Char('f');
    }
    return files;
}

#endif // SIBLINGLINKS_H
