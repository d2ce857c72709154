#include "search/literalscan.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringConverter>
#include <QStringDecoder>
#include <QStringList>
#include <QTextStream>

#include <algorithm>

// The size of the pieces in which a text stream reads and decodes a file.
static const qsizetype streamPiece = 16384;

static void reportHits(const QStringList &lines, const QList<qsizetype> &hits,
    const ScanOptions &options, HitSink &sink)
{
    for (const qsizetype index : hits) {
        ScanHit hit;
        hit.line = index;
        hit.firstLine = std::max<qsizetype>(index - options.before, 0);
        qsizetype end = index + options.after;
        if (end >= lines.size())
            end = lines.size() - 1;
        hit.lines = lines.mid(hit.firstLine, end - hit.firstLine + 1);
        sink.hit(hit);
    }
}

ScanStatus scanFileLiteral(const QString &path, const ScanOptions &options, HitSink &sink)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return ScanStatus::NotRegular;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ScanStatus::CannotOpen;
    QTextStream stream(&file);
    QStringList lines;
    QList<qsizetype> hits;
    while (!stream.atEnd()) {
        lines.append(stream.readLine().trimmed());
        if (lines.constLast().indexOf(options.text, 0, options.caseSensitivity) != -1)
            hits.append(lines.size() - 1);
    }
    stream.reset();
    file.close();
    reportHits(lines, hits, options, sink);
    return ScanStatus::Scanned;
}

static QStringConverter::Encoding streamEncoding(const QByteArray &bytes)
{
    return QStringConverter::encodingForData(
        QByteArrayView(bytes).first(std::min(bytes.size(), streamPiece)))
        .value_or(QStringConverter::Utf8);
}

// A line feed as the encoding writes it; UTF-16 and UTF-32 only come with a byte-order
// mark, so their units start at offsets that are multiples of their size.
static QByteArray lineFeedUnit(QStringConverter::Encoding encoding)
{
    switch (encoding) {
    case QStringConverter::Utf16LE:
        return QByteArray("\n\0", 2);
    case QStringConverter::Utf16BE:
        return QByteArray("\0\n", 2);
    case QStringConverter::Utf32LE:
        return QByteArray("\n\0\0\0", 4);
    case QStringConverter::Utf32BE:
        return QByteArray("\0\0\0\n", 4);
    default:
        return QByteArray("\n");
    }
}

ScanStatus scanBytesWhole(const QByteArray &bytes, const ScanOptions &options, HitSink &sink)
{
    const QStringConverter::Encoding encoding = streamEncoding(bytes);
    QStringDecoder decoder(encoding);
    QString text = decoder(bytes);
    text.remove(QLatin1Char('\r'));

    // The stream splits at '\n'; a last piece without it is a line when it has text, or
    // when the bytes after the piece that held the last line break decode to nothing
    // (the stream then reads once more and reports an empty line).
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    const QString last = text.mid(text.lastIndexOf(QLatin1Char('\n')) + 1);
    const QByteArray lineFeed = lineFeedUnit(encoding);
    const qsizetype unit = lineFeed.size();
    qsizetype lineBreakEnd = -1;
    for (qsizetype at = (bytes.size() - unit) / unit * unit; at >= 0; at -= unit) {
        if (bytes.mid(at, unit) == lineFeed) {
            lineBreakEnd = at + unit;
            break;
        }
    }
    const qsizetype piece = lineBreakEnd > 0 ? (lineBreakEnd - 1) / streamPiece : -1;
    if (!last.isEmpty() || bytes.size() > (piece + 1) * streamPiece)
        lines.append(last);

    QList<qsizetype> hits;
    for (QString &line : lines) {
        line = line.trimmed();
        if (line.indexOf(options.text, 0, options.caseSensitivity) != -1)
            hits.append(&line - lines.data());
    }
    reportHits(lines, hits, options, sink);
    return ScanStatus::Scanned;
}

bool streamDecodingSlips(const QByteArray &bytes)
{
    const QStringConverter::Encoding encoding = streamEncoding(bytes);
    QStringDecoder whole(encoding);
    QStringDecoder pieces(encoding);
    QString piecewise;
    for (qsizetype at = 0; at < bytes.size(); at += streamPiece)
        piecewise
            += pieces(QByteArrayView(bytes).sliced(at, std::min(streamPiece, bytes.size() - at)));
    return piecewise != QString(whole(bytes));
}

ScanFunction literalScan(const ScanOptions &options)
{
    return [options](
               const QString &path, HitSink &sink) { return scanFileLiteral(path, options, sink); };
}
