#include "mainwindow/plainlog.h"

#include "mainwindow/loghtml.h"

#include <QPlainTextEdit>

PlainLog::PlainLog(QPlainTextEdit *edit)
    : edit(edit)
{ }

void PlainLog::fileListTitle()
{
    edit->appendHtml(fileListTitleHtml());
}

void PlainLog::listedFile(const QString &path)
{
    edit->appendHtml(htmlPath(path));
}

void PlainLog::fileHeader(const QString &path)
{
    edit->appendHtml(fileHeaderHtml(path));
}

void PlainLog::lineHeader(qsizetype index)
{
    edit->appendHtml(lineHeaderHtml(index));
}

void PlainLog::contextLine(const QString &text)
{
    edit->appendPlainText(text);
}
