#ifndef LOGSINK_H
#define LOGSINK_H

#include <QString>

// Where the search writes its report: the same two operations as the log widget offers.
// An implementation may hold entries back until flush(), as long as the end result is
// that of the same appends made one by one.
class LogSink
{
public:
    virtual ~LogSink() = default;
    virtual void appendHtml(const QString &html) = 0;
    virtual void appendPlainText(const QString &text) = 0;
    virtual void flush() { }
};

#endif // LOGSINK_H
