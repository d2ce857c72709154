#include "widgetfloor.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

template <typename Format> static int indexOf(QList<Format> &formats, const Format &format)
{
    // Reports use a handful of formats: a look along the list is enough.
    const qsizetype at = formats.indexOf(format);
    if (at >= 0)
        return int(at);
    formats.append(format);
    return int(formats.size() - 1);
}

LogCopy copyLog(const QTextDocument *document)
{
    LogCopy copy;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        LogCopy::Block entry { indexOf(copy.blockFormats, block.blockFormat()),
            indexOf(copy.charFormats, block.charFormat()), {} };
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            entry.fragments.append(
                { fragment.text(), indexOf(copy.charFormats, fragment.charFormat()) });
        }
        copy.blocks.append(entry);
    }
    return copy;
}

void writeAtFloor(QPlainTextEdit *edit, const LogCopy &copy)
{
    // A scroll bar that appears makes the widget lay out every block again.
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QTextCursor cursor(edit->document());
    cursor.beginEditBlock();
    bool first = true;
    for (const LogCopy::Block &block : copy.blocks) {
        const QTextCharFormat &blockChars = copy.charFormats.at(block.charFormat);
        if (first) {
            cursor.setBlockFormat(copy.blockFormats.at(block.format));
            cursor.setBlockCharFormat(blockChars);
            first = false;
        } else {
            cursor.insertBlock(copy.blockFormats.at(block.format), blockChars);
        }
        for (const LogCopy::Fragment &fragment : block.fragments) {
            cursor.insertText(fragment.text, copy.charFormats.at(fragment.format));
        }
    }
    cursor.endEditBlock();
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

bool sameDocument(const QTextDocument *a, const QTextDocument *b)
{
    if (a->blockCount() != b->blockCount())
        return false;
    for (QTextBlock x = a->begin(), y = b->begin(); x.isValid(); x = x.next(), y = y.next()) {
        if (x.text() != y.text() || x.blockFormat() != y.blockFormat()
            || x.charFormat() != y.charFormat())
            return false;
        QTextBlock::iterator i = x.begin(), j = y.begin();
        for (; !i.atEnd() && !j.atEnd(); ++i, ++j) {
            if (i.fragment().text() != j.fragment().text()
                || i.fragment().charFormat() != j.fragment().charFormat())
                return false;
        }
        if (!i.atEnd() || !j.atEnd())
            return false;
    }
    return true;
}
