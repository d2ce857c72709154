#include "support/logdescription.h"

#include <QBrush>
#include <QColor>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

// What a log shows and holds: every block with its formats and fragments, the plain
// text and the text cursor.
static QString describeFormat(const QTextFormat &format)
{
    QStringList parts;
    const QMap<int, QVariant> properties = format.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        // Which document object (a table, say) a format belongs to is an internal number.
        if (it.key() == QTextFormat::ObjectIndex)
            continue;
        const QVariant &value = it.value();
        const QString shown = value.typeId() == QMetaType::QBrush
            ? value.value<QBrush>().color().name(QColor::HexArgb)
            : value.toString();
        parts.append(QStringLiteral("%1=%2").arg(it.key(), 0, 16).arg(shown));
    }
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QStringList describeLog(const QPlainTextEdit &edit)
{
    QStringList lines;
    const QTextDocument *document = edit.document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QString line
            = QStringLiteral("block %1 %2 %3:")
                  .arg(block.blockNumber())
                  .arg(describeFormat(block.blockFormat()), describeFormat(block.charFormat()));
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            line += QStringLiteral(" [%1]%2").arg(
                it.fragment().text(), describeFormat(it.fragment().charFormat()));
        lines.append(line);
    }
    const QTextCursor cursor = edit.textCursor();
    lines.append(
        QStringLiteral("cursor %1-%2 %3 %4")
            .arg(cursor.anchor())
            .arg(cursor.position())
            .arg(describeFormat(cursor.charFormat()), describeFormat(cursor.blockFormat())));
    lines.append(edit.toPlainText());
    return lines;
}
