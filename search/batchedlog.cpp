#include "search/batchedlog.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

// Words of an HTML entry stand in the parsed markup as private-use characters.
static const char16_t wordMark = 0xE000;
static const qsizetype maxWords = 0x1000;

// What an entry costs beyond its characters: the list's slot and the string's header.
static const qsizetype entryCost = 16;

BatchedLog::BatchedLog(QPlainTextEdit *edit, qsizetype pieceSize)
    : edit(edit)
    , pieceSize(pieceSize)
{
    // When the end of the log is in view as the batch begins, the end of what it adds
    // will be, even if the view has shrunk in between (a search shows its progress bar
    // under the log): the scroll bar says what the user saw.
    const QScrollBar *bar = edit->verticalScrollBar();
    followEnd = edit->isVisible() && bar->value() == bar->maximum();
}

BatchedLog::~BatchedLog()
{
    flush();
}

void BatchedLog::appendHtml(const QString &html)
{
    hold(html, true);
}

void BatchedLog::appendPlainText(const QString &text)
{
    hold(text, false);
}

// A big report goes into the log piece by piece as it is made, so that what waits
// outside the document stays small.
void BatchedLog::hold(const QString &text, bool html)
{
    pending.append(Entry { text, html });
    pendingSize += text.size() + entryCost;
    if (pendingSize >= pieceSize)
        flush();
}

void BatchedLog::appendDirect(const Entry &entry)
{
    if (entry.html)
        edit->appendHtml(entry.text);
    else
        edit->appendPlainText(entry.text);
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
    if (blockFormat != templateBlockFormat || charFormat != templateCharFormat) {
        templates.clear();
        lastKnown = false;
        templateBlockFormat = blockFormat;
        templateCharFormat = charFormat;
    }
    charFormatId = formatId(charFormat);

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
        const Entry &entry = pending.at(i);
        if (entry.html) {
            writeHtml(entry.text);
        } else if (entry.text.endsWith(QLatin1Char('\r'))) {
            // Followed by the next line feed it would make one block break, not two.
            writeRun();
            cursor.insertText(entry.text, charFormat);
        } else {
            addText(entry.text, charFormatId);
        }
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

// Splits HTML into its markup and blanks, with each run of other text replaced by a word
// mark, and its words. Only markup whose text handling is known is accepted: simple
// inline tags, entities, blanks.
static bool splitHtml(const QString &html, QString &key, QString &skeleton, QStringList &words)
{
    static const QLatin1String inlineTags[] = { QLatin1String("b"), QLatin1String("i"),
        QLatin1String("u"), QLatin1String("font"), QLatin1String("span"), QLatin1String("br") };
    const qsizetype size = html.size();
    // Most entries are a path without markup, blanks or entities: one word.
    const auto plain
        = [](QChar c) { return c != QLatin1Char('<') && c != QLatin1Char('&') && !c.isSpace(); };
    if (size > 0 && std::all_of(html.cbegin(), html.cend(), plain)) {
        key = QChar(wordMark);
        skeleton = key;
        words.append(html);
        return true;
    }
    key.reserve(size);
    skeleton.reserve(size);
    for (qsizetype i = 0; i < size;) {
        const QChar c = html.at(i);
        if (c == QLatin1Char('<')) {
            qsizetype end = i + 1;
            QChar quote;
            for (; end < size; ++end) {
                const QChar d = html.at(end);
                if (!quote.isNull()) {
                    if (d == quote)
                        quote = QChar();
                } else if (d == QLatin1Char('"') || d == QLatin1Char('\'')) {
                    quote = d;
                } else if (d == QLatin1Char('>')) {
                    break;
                }
            }
            if (end >= size)
                return false;
            qsizetype nameStart = i + 1;
            if (nameStart < end && html.at(nameStart) == QLatin1Char('/'))
                ++nameStart;
            qsizetype nameEnd = nameStart;
            while (nameEnd < end && html.at(nameEnd).isLetterOrNumber())
                ++nameEnd;
            const QStringView name = QStringView(html).sliced(nameStart, nameEnd - nameStart);
            bool known = false;
            for (const QLatin1String &tag : inlineTags)
                known = known || name.compare(tag, Qt::CaseInsensitive) == 0;
            if (!known)
                return false;
            const QStringView tag = QStringView(html).sliced(i, end + 1 - i);
            key += tag;
            skeleton += tag;
            i = end + 1;
        } else if (c == QLatin1Char('&')) {
            qsizetype end = i + 1;
            while (end < size && end - i < 12
                && (html.at(end).isLetterOrNumber() || html.at(end) == QLatin1Char('#')))
                ++end;
            if (end >= size || html.at(end) != QLatin1Char(';') || end == i + 1)
                return false;
            const QStringView entity = QStringView(html).sliced(i, end + 1 - i);
            key += entity;
            skeleton += entity;
            i = end + 1;
        } else if (c.isSpace()) {
            key += c;
            skeleton += c;
            ++i;
        } else {
            qsizetype end = i + 1;
            while (end < size && html.at(end) != QLatin1Char('<')
                && html.at(end) != QLatin1Char('&') && !html.at(end).isSpace())
                ++end;
            if (words.size() >= maxWords)
                return false;
            key += QChar(wordMark);
            skeleton += QChar(char16_t(wordMark + words.size()));
            words.append(html.mid(i, end - i));
            i = end;
        }
    }
    return true;
}

void BatchedLog::writeHtml(const QString &html)
{
    // A file's header comes again for each of its hits: the last entry is split once.
    if (!lastKnown || html != lastHtml) {
        QString key, skeleton;
        lastKnown = true;
        lastHtml = html;
        lastWords.clear();
        lastTemplate
            = splitHtml(html, key, skeleton, lastWords) ? templateFor(key, skeleton) : Template();
    }
    if (!lastTemplate.usable) {
        // The run so far holds this entry's block break: write it, then the entry as the
        // widget does.
        writeRun();
        batchCursor->insertHtml(html);
        explicitBreak = batchCursor->blockFormat() != blockFormat;
        return;
    }
    for (const Piece &piece : std::as_const(lastTemplate.pieces))
        addText(piece.word >= 0 ? lastWords.at(piece.word) : piece.text, piece.format);
}

// Parses markup with word marks in a scratch document set up like the log's, after a
// block break made as the widget makes it, and keeps the new block's text as pieces.
const BatchedLog::Template &BatchedLog::templateFor(const QString &key, const QString &skeleton)
{
    auto found = templates.constFind(key);
    if (found != templates.constEnd())
        return *found;

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
    qsizetype nextWord = 0;
    for (QTextBlock::iterator it = block.begin(); parsed.usable && !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString text = fragment.text();
        const int format = formatId(fragment.charFormat());
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            const bool mark = i < text.size() && text.at(i).unicode() >= wordMark
                && text.at(i).unicode() < wordMark + maxWords;
            if (i < text.size() && !mark)
                continue;
            if (i > start)
                parsed.pieces.append(Piece { text.mid(start, i - start), -1, format });
            if (mark) {
                // Each word once, in order, or the markup did something unforeseen.
                parsed.usable = parsed.usable && text.at(i).unicode() - wordMark == nextWord;
                parsed.pieces.append(Piece { QString(), nextWord++, format });
            }
            start = i + 1;
        }
    }
    const qsizetype wordCount = std::count(key.cbegin(), key.cend(), QChar(wordMark));
    parsed.usable = parsed.usable && nextWord == wordCount
        && (parsed.pieces.isEmpty() || parsed.pieces.constLast().word >= 0
            || !parsed.pieces.constLast().text.endsWith(QLatin1Char('\r')));
    scratch.clear();
    return *templates.insert(key, parsed);
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
