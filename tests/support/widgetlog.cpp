#include "support/widgetlog.h"

#include <QPlainTextEdit>

WidgetLog::WidgetLog(QPlainTextEdit *edit)
    : edit(edit)
{ }

void WidgetLog::appendHtml(const QString &html)
{
    edit->appendHtml(html);
}

void WidgetLog::appendPlainText(const QString &text)
{
    edit->appendPlainText(text);
}
