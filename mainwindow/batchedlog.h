#ifndef BATCHEDLOG_H
#define BATCHEDLOG_H

#include "mainwindow/plainlog.h"
#include "search/run/logsink.h"

#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>

class QPlainTextEdit;
class QTextCursor;

// Writes the log in batches. Entries are held until flush() (or destruction), or until
// they amount to pieceSize (characters, counting each entry as a few more), and then
// written into the widget's document in one edit, laid out once, with the same blocks,
// texts and formats, the same text cursor and the same scrolling at the bottom as the
// plain writer's appends one by one. The batch records no undo steps and leaves the
// document without any. The headers' markup is parsed once; each header then only puts
// its path or number in place. While the writer lives, the log's vertical scroll bar is
// shown: when it appears in a long log, the widget lays out every block again.
class BatchedLog : public LogSink
{
public:
    // About 2 MiB of held text: big batches, whatever the size of the report.
    static constexpr qsizetype defaultPieceSize = 1 << 20;

    explicit BatchedLog(QPlainTextEdit *edit, qsizetype pieceSize = defaultPieceSize);
    ~BatchedLog() override;

    void fileListTitle() override;
    void listedFile(const QString &path) override;
    void fileHeader(const QString &path) override;
    void lineHeader(qsizetype index) override;
    void contextLine(const QString &text) override;
    void flush() override;

private:
    enum class Kind { Title, Listed, FileHeader, LineHeader, Context };

    struct Entry
    {
        Kind kind;
        QString text; // the path or the line; empty for the others
        qsizetype index = 0; // the line header's
    };

    // A piece of an entry's text in one format: fixed text, or the entry's word (its path
    // or number).
    struct Piece
    {
        QString text;
        bool word;
        int format;
    };

    // How the markup of one kind of entry comes out in the document; not usable when it
    // does something a batch cannot copy, and then the entry goes in as the widget puts it.
    struct Template
    {
        bool usable = false;
        QList<Piece> pieces;
    };

    void hold(Entry entry);
    bool batchable() const;
    void appendDirect(const Entry &entry);
    void writeBatch(qsizetype from, bool atBottom);
    void writeEntry(const Entry &entry);
    void writeWord(const Template &markup, const QString &word);
    void writeHtml(const QString &html);
    void addText(const QString &text, int format);
    void writeRun();
    void prepareTemplates();
    Template parse(const QString &skeleton);
    int formatId(const QTextCharFormat &format);
    void showBottom();

    QPlainTextEdit *edit;
    bool barForced = false;
    PlainLog plain;
    const qsizetype pieceSize;
    bool followEnd = false;
    QList<Entry> pending;
    qsizetype pendingSize = 0;

    // State of the batch being written.
    QTextCursor *batchCursor = nullptr;
    QTextBlockFormat blockFormat;
    QTextCharFormat charFormat;
    int charFormatId = 0;
    bool explicitBreak = false;
    QString runText;
    int runFormat = -1;
    QList<QTextCharFormat> formats;

    // The templates, made for the block and character formats that new blocks get.
    bool templatesMade = false;
    QTextBlockFormat templateBlockFormat;
    QTextCharFormat templateCharFormat;
    Template titleMarkup;
    Template listedMarkup;
    Template fileHeaderMarkup;
    Template lineHeaderMarkup;
    QString lastHeaderPath;
    QString lastHeaderWord;
    bool lastHeaderPlain = false;
    QTextDocument scratch;
};

#endif // BATCHEDLOG_H
