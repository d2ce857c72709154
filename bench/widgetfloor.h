#ifndef WIDGETFLOOR_H
#define WIDGETFLOOR_H

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

class QPlainTextEdit;
class QTextDocument;

// A log's document as plain data: each block's format and its fragments with theirs, the
// formats kept once each.
struct LogCopy
{
    struct Fragment
    {
        QString text;
        int format;
    };
    struct Block
    {
        int format;
        int charFormat;
        QList<Fragment> fragments;
    };
    QList<Block> blocks;
    QList<QTextBlockFormat> blockFormats;
    QList<QTextCharFormat> charFormats;
};

LogCopy copyLog(const QTextDocument *document);

// Writes the copy into an empty log the fastest way the widget offers, as the floor that
// the log writer is measured against: one edit block, a block and a text insertion per
// block and fragment, each format made once.
void writeAtFloor(QPlainTextEdit *edit, const LogCopy &copy);

// Whether two documents hold the same blocks, texts and formats.
bool sameDocument(const QTextDocument *a, const QTextDocument *b);

#endif // WIDGETFLOOR_H
