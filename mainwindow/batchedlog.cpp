#include "mainwindow/batchedlog.h"

#include "mainwindow/loghtml.h"
#include "mainwindow/logwrap.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

// The entry's word stands in the parsed markup as a private-use character.
static const QChar wordMark(0xE000);

// What an entry costs beyond its characters: the list's slot and the string's header.
static const qsizetype entryCost = 16;

BatchedLog::BatchedLog(QPlainTextEdit *edit, qsizetype pieceSize)
    : edit(edit)
    , plain(edit)
    , pieceSize(pieceSize)
{
    // A bar that has nothing to scroll yet is shown from the start, so that it cannot
    // appear halfway; it goes back to its policy at the end, when a bar no longer needed
    // costs only the layout of a short log.
    barForced = edit->verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded
        && edit->verticalScrollBar()->maximum() == 0;
    if (barForced)
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // When the end of the log is in view as the batch begins, the end of what it adds
    // will be, even if the view has shrunk in between (a search shows its progress bar
    // under the log): the scroll bar says what the user saw.
    const QScrollBar *bar = edit->verticalScrollBar();
    followEnd = edit->isVisible() && bar->value() == bar->maximum();
}

BatchedLog::~BatchedLog()
{
    flush();
    if (barForced)
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void BatchedLog::fileListTitle()
{
    hold({ Kind::Title, QString() });
}

void BatchedLog::listedFile(const QString &path)
{
    hold({ Kind::Listed, path });
}

void BatchedLog::fileHeader(const QString &path)
{
    hold({ Kind::FileHeader, path });
}

void BatchedLog::lineHeader(qsizetype index)
{
    hold({ Kind::LineHeader, QString(), index });
}

void BatchedLog::contextLine(const QString &text)
{
    prepareLogWrap(edit, text);
    hold({ Kind::Context, text });
}

// A big report goes into the log piece by piece as it is made, so that what waits
// outside the document stays small.
void BatchedLog::hold(Entry entry)
{
    pendingSize += entry.text.size() + entryCost;
    pending.append(std::move(entry));
    if (pendingSize >= pieceSize)
        flush();
}

void BatchedLog::appendDirect(const Entry &entry)
{
    switch (entry.kind) {
    case Kind::Title:
        plain.fileListTitle();
        break;
    case Kind::Listed:
        plain.listedFile(entry.text);
        break;
    case Kind::FileHeader:
        plain.fileHeader(entry.text);
        break;
    case Kind::LineHeader:
        plain.lineHeader(entry.index);
        break;
    case Kind::Context:
        plain.contextLine(entry.text);
        break;
    }
}

// A block limit drops blocks as it goes, centring changes the scrolling, and a selection
// keeps the cursor's character format from being reset: the widget writes those itself.
bool BatchedLog::batchable() const
{
    return !edit->centerOnScroll() && edit->document()->maximumBlockCount() <= 0
        && !edit->textCursor().hasSelection();
}

void BatchedLog::flush()
{
    if (pending.isEmpty())
        return;
    QTextDocument *document = edit->document();
    // A log keeps no undo history: disabling it drops what there was.
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    const QScrollBar *bar = edit->verticalScrollBar();
    // The first entry goes through the widget, which decides, as it does for every
    // append, whether the view follows the end of the log.
    qsizetype next = 0;
    appendDirect(pending.at(next++));
    while (next < pending.size() && document->isEmpty())
        appendDirect(pending.at(next++));
    if (next < pending.size()) {
        if (batchable()) {
            writeBatch(next, edit->isVisible() && bar->value() == bar->maximum());
        } else {
            while (next < pending.size())
                appendDirect(pending.at(next++));
        }
    }
    if (followEnd)
        showBottom();
    pending.clear();
    pendingSize = 0;
    document->setUndoRedoEnabled(undo);
}

// Each append adds a block with the block and character formats of the widget's cursor
// and inserts the entry there; the cursor's character format is then set back, so both
// formats stay the same for the whole batch.
void BatchedLog::writeBatch(qsizetype from, bool atBottom)
{
    QTextDocument *document = edit->document();
    const QTextCursor widgetCursor = edit->textCursor();
    blockFormat = widgetCursor.blockFormat();
    charFormat = widgetCursor.charFormat();
    charFormatId = formatId(charFormat);
    prepareTemplates();

    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    batchCursor = &cursor;
    // A line feed inside an insertion makes a block with the format of the block where
    // the insertion starts; where that block has another format, the break is made
    // explicitly.
    explicitBreak = cursor.blockFormat() != blockFormat;
    for (qsizetype i = from; i < pending.size(); ++i) {
        if (explicitBreak) {
            writeRun();
            cursor.insertBlock(blockFormat, charFormat);
            explicitBreak = false;
        } else {
            addText(QStringLiteral("\n"), charFormatId);
        }
        writeEntry(pending.at(i));
        if (runText.size() > 1 << 20)
            writeRun();
    }
    writeRun();
    batchCursor = nullptr;
    cursor.endEditBlock();

    edit->setCurrentCharFormat(charFormat);
    if (atBottom)
        showBottom();
}

void BatchedLog::writeEntry(const Entry &entry)
{
    switch (entry.kind) {
    case Kind::Title:
        if (titleMarkup.usable)
            writeWord(titleMarkup, QString());
        else
            writeHtml(fileListTitleHtml());
        break;
    case Kind::Listed:
        // Paths with markup characters or blanks are rare: the widget's way is good enough.
        if (listedMarkup.usable && isPlainPath(entry.text))
            writeWord(listedMarkup, entry.text);
        else
            writeHtml(htmlPath(entry.text));
        break;
    case Kind::FileHeader:
        // A file's header comes again for each of its hits.
        if (entry.text != lastHeaderPath) {
            lastHeaderPath = entry.text;
            lastHeaderWord = entry.text;
            lastHeaderWord.replace(QLatin1Char('/'), QLatin1Char('\\'));
            lastHeaderPlain = isPlainPath(lastHeaderWord);
        }
        if (fileHeaderMarkup.usable && lastHeaderPlain)
            writeWord(fileHeaderMarkup, lastHeaderWord);
        else
            writeHtml(fileHeaderHtml(entry.text));
        break;
    case Kind::LineHeader:
        if (lineHeaderMarkup.usable)
            writeWord(lineHeaderMarkup, QString::number(entry.index + 1));
        else
            writeHtml(lineHeaderHtml(entry.index));
        break;
    case Kind::Context:
        // Followed by the next line feed a carriage return would make one block break,
        // not two. A long line goes in as it is rather than through a copy in the run.
        if (entry.text.endsWith(QLatin1Char('\r')) || entry.text.size() >= pieceSize) {
            writeRun();
            batchCursor->insertText(entry.text, charFormat);
        } else {
            addText(entry.text, charFormatId);
        }
        break;
    }
}

void BatchedLog::writeWord(const Template &markup, const QString &word)
{
    for (const Piece &piece : markup.pieces)
        addText(piece.word ? word : piece.text, piece.format);
}

// The run so far holds this entry's block break: it is written, then the entry as the
// widget writes it.
void BatchedLog::writeHtml(const QString &html)
{
    writeRun();
    batchCursor->insertHtml(html);
    explicitBreak = batchCursor->blockFormat() != blockFormat;
}

void BatchedLog::addText(const QString &text, int format)
{
    if (text.isEmpty())
        return;
    if (format != runFormat)
        writeRun();
    runFormat = format;
    runText += text;
}

void BatchedLog::writeRun()
{
    if (runText.isEmpty())
        return;
    batchCursor->insertText(runText, formats.at(runFormat));
    runText.clear();
}

// The markup of each kind of entry, parsed once for the formats that new blocks get.
void BatchedLog::prepareTemplates()
{
    if (templatesMade && blockFormat == templateBlockFormat && charFormat == templateCharFormat)
        return;
    templatesMade = true;
    templateBlockFormat = blockFormat;
    templateCharFormat = charFormat;
    titleMarkup = parse(fileListTitleHtml());
    listedMarkup = parse(htmlPath(QString(wordMark)));
    fileHeaderMarkup = parse(fileHeaderHtml(QString(wordMark)));
    lineHeaderMarkup = parse(lineHeaderHtml(QString(wordMark)));
}

// Parses markup in a scratch document set up like the log's, after a block break made as
// the widget makes it, and keeps the new block's text as pieces, the word mark (if any)
// as the word.
BatchedLog::Template BatchedLog::parse(const QString &skeleton)
{
    const QTextDocument *document = edit->document();
    scratch.clear();
    scratch.setDefaultFont(document->defaultFont());
    scratch.setDefaultStyleSheet(document->defaultStyleSheet());
    scratch.setDocumentMargin(document->documentMargin());
    scratch.setUndoRedoEnabled(false);
    QTextCursor cursor(&scratch);
    cursor.insertText(QStringLiteral("x"));
    cursor.insertBlock(blockFormat, charFormat);
    cursor.insertHtml(skeleton);

    Template parsed;
    const QTextBlock block = scratch.lastBlock();
    parsed.usable = scratch.blockCount() == 2 && block.blockFormat() == blockFormat
        && block.charFormat() == charFormat;
    int words = 0;
    for (QTextBlock::iterator it = block.begin(); parsed.usable && !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString text = fragment.text();
        const int format = formatId(fragment.charFormat());
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool mark = i < text.size() && text.at(i) == wordMark;
            if (i < text.size() && !mark)
                continue;
            if (i > start)
                parsed.pieces.append(Piece { text.mid(start, i - start), false, format });
            if (mark) {
                parsed.pieces.append(Piece { QString(), true, format });
                ++words;
            }
            start = i + 1;
        }
    }
    // The word once, where the skeleton has it, or the markup did something unforeseen.
    parsed.usable = parsed.usable && words == skeleton.count(wordMark);
    scratch.clear();
    return parsed;
}

int BatchedLog::formatId(const QTextCharFormat &format)
{
    const qsizetype index = formats.indexOf(format);
    if (index >= 0)
        return int(index);
    formats.append(format);
    return int(formats.size() - 1);
}

// Lays out the blocks that fill the view from the bottom, so that the scroll range counts
// their wrapped lines, and scrolls to the end as the widget does after an append.
void BatchedLog::showBottom()
{
    const QTextDocument *document = edit->document();
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    const int height = edit->viewport()->height();
    qreal filled = 0;
    for (QTextBlock block = document->lastBlock(); block.isValid() && filled <= height;
         block = block.previous())
        filled += layout->blockBoundingRect(block).height();
    QScrollBar *bar = edit->verticalScrollBar();
    bar->setValue(bar->maximum());
}
