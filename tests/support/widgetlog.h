#ifndef WIDGETLOG_H
#define WIDGETLOG_H

#include "search/logsink.h"

class QPlainTextEdit;

// Writes each entry straight into the log widget, as it comes.
class WidgetLog : public LogSink
{
public:
    explicit WidgetLog(QPlainTextEdit *edit);
    void appendHtml(const QString &html) override;
    void appendPlainText(const QString &text) override;

private:
    QPlainTextEdit *edit;
};

#endif // WIDGETLOG_H
