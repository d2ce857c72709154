#ifndef BATCHEDLOG_H
#define BATCHEDLOG_H

#include "search/logsink.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextCharFormat>
#include <QTextDocument>

class QPlainTextEdit;
class QTextCursor;

// Writes the log in batches. Entries are held until flush() (or destruction), or until
// they amount to pieceSize (characters, counting each entry as a few more), and then
// written into the widget's document in one edit, laid out once, with the same blocks,
// texts and formats, the same text cursor and the same scrolling at the bottom as the
// widget's appendHtml and appendPlainText called one by one. The batch records no undo
// steps and leaves the document without any. HTML entries that share their markup and
// blanks are parsed once; their words are put in place of the parsed ones.
class BatchedLog : public LogSink
{
public:
    // About 2 MiB of held text: big batches, whatever the size of the report.
    static constexpr qsizetype defaultPieceSize = 1 << 20;

    explicit BatchedLog(QPlainTextEdit *edit, qsizetype pieceSize = defaultPieceSize);
    ~BatchedLog() override;

    void appendHtml(const QString &html) override;
    void appendPlainText(const QString &text) override;
    void flush() override;

private:
    struct Entry
    {
        QString text;
        bool html;
    };

    // A piece of an HTML entry's text in one format: fixed text, or one of its words.
    struct Piece
    {
        QString text;
        qsizetype word;
        int format;
    };

    struct Template
    {
        bool usable = false;
        QList<Piece> pieces;
    };

    void hold(const QString &text, bool html);
    bool batchable() const;
    void appendDirect(const Entry &entry);
    void writeBatch(qsizetype from, bool atBottom);
    void writeHtml(const QString &html);
    void addText(const QString &text, int format);
    void writeRun();
    const Template &templateFor(const QString &key, const QString &skeleton);
    int formatId(const QTextCharFormat &format);
    void showBottom();

    QPlainTextEdit *edit;
    QList<Entry> pending;
    qsizetype pendingSize = 0;
    qsizetype pieceSize;
    bool followEnd = false;

    // State of one flush: the formats that every appended block gets from the widget's
    // cursor, and the text not yet inserted, all in one character format.
    QTextBlockFormat blockFormat;
    QTextCharFormat charFormat;
    int charFormatId = -1;
    QTextCursor *batchCursor = nullptr;
    bool explicitBreak = false;
    QString runText;
    int runFormat = -1;

    // Parsed markup, valid for the block and character formats it was made with.
    QHash<QString, Template> templates;
    QTextBlockFormat templateBlockFormat;
    QTextCharFormat templateCharFormat;
    QList<QTextCharFormat> formats;
    QTextDocument scratch;

    // The last HTML entry, its words and its parsed markup.
    bool lastKnown = false;
    QString lastHtml;
    QStringList lastWords;
    Template lastTemplate;
};

#endif // BATCHEDLOG_H
