#ifndef FILENAMES_H
#define FILENAMES_H

#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A file name as the file systems here take it. Where < > and " are refused in names
// (Windows), they become [ ] and ', and the name keeps every other character: its
// ampersands, entities and runs of blanks still have a meaning in HTML.
inline QString fileNameHere(QString name)
{
    static const bool refused = [] {
        QTemporaryDir dir;
        QFile probe(dir.filePath(QStringLiteral("a<\">b")));
        return !probe.open(QIODevice::WriteOnly);
    }();
    if (refused) {
        name.replace(QLatin1Char('<'), QLatin1Char('['));
        name.replace(QLatin1Char('>'), QLatin1Char(']'));
        name.replace(QLatin1Char('"'), QLatin1Char('\''));
    }
    return name;
}

#endif // FILENAMES_H
