#ifndef PLAINLOG_H
#define PLAINLOG_H

#include "search/run/logsink.h"

class QPlainTextEdit;

// Writes each entry straight into the log widget as it comes: the headers and the list
// through appendHtml, the context lines through appendPlainText.
class PlainLog : public LogSink
{
public:
    explicit PlainLog(QPlainTextEdit *edit);

    void fileListTitle() override;
    void listedFile(const QString &path) override;
    void fileHeader(const QString &path) override;
    void lineHeader(qsizetype index) override;
    void contextLine(const QString &text) override;

private:
    QPlainTextEdit *edit;
};

#endif // PLAINLOG_H
