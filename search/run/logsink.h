#ifndef LOGSINK_H
#define LOGSINK_H

#include <QString>

// Where the search writes its report, in the report's own words. The log window shows
// them; the tests and the benchmark may keep them otherwise. An implementation may hold
// entries back until flush(), as long as the end result is that of the same entries
// written one by one.
class LogSink
{
public:
    virtual ~LogSink() = default;

    // "Fichiers listés :", which opens the list of files.
    virtual void fileListTitle() = 0;
    // One file of the list, as collected.
    virtual void listedFile(const QString &path) = 0;
    // The header that names the file of a hit, as collected.
    virtual void fileHeader(const QString &path) = 0;
    // The header that names the line of a hit; index is 0-based.
    virtual void lineHeader(qsizetype index) = 0;
    // One line of a hit's context window, trimmed.
    virtual void contextLine(const QString &text) = 0;

    virtual void flush() { }
};

#endif // LOGSINK_H
