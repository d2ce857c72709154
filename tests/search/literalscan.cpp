#include "search/literalscan.h"

#include "search/scan/linedecoding.h"

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

static QStringConverter::Encoding streamEncoding(const QByteArray &bytes)
{
    return QStringConverter::encodingForData(
        QByteArrayView(bytes).first(std::min(bytes.size(), streamPiece)))
        .value_or(QStringConverter::Utf8);
}

// Whether the stream would report one more, empty, line after the last line break
// (lineBreakEnd: the file offset just past it, or -1): when the bytes after the piece that
// held it decode to nothing, the stream reads once more and finds no text.
static bool lastEmptyLine(qsizetype fileSize, qsizetype lineBreakEnd)
{
    const qsizetype piece = lineBreakEnd > 0 ? (lineBreakEnd - 1) / streamPiece : -1;
    return fileSize > (piece + 1) * streamPiece;
}

// A file without a wide byte-order mark, line by line: the bytes up to each line feed, then
// those after the last one, each piece in the encoding that its own bytes call for, every
// carriage return removed.
static QStringList lineByLine(const QByteArray &bytes)
{
    const auto decode = [](const QByteArray &piece, bool last) {
        QString line;
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        if (lineEncoding(piece) == LineEncoding::Windows1252)
            line = decodeWindows1252(piece.constData(), piece.size());
        else if (last)
            line = utf8(piece); // an incomplete sequence at the very end waits for good
        else
            line = QString(utf8(piece + '\n')).chopped(1); // one cut by the line feed does not
        return line.remove(QLatin1Char('\r'));
    };
    QStringList lines;
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    qsizetype lineBreakEnd = -1;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1) {
        lines.append(decode(bytes.mid(start, end - start), false));
        lineBreakEnd = end + 1;
    }
    const QString last = decode(bytes.mid(start), true);
    if (!last.isEmpty() || lastEmptyLine(bytes.size(), lineBreakEnd))
        lines.append(last);
    return lines;
}

static void scanLines(QStringList lines, const ScanOptions &options, HitSink &sink)
{
    QList<qsizetype> hits;
    for (QString &line : lines) {
        line = line.trimmed();
        if (line.indexOf(options.text, 0, options.caseSensitivity) != -1)
            hits.append(&line - lines.data());
    }
    reportHits(lines, hits, options, sink);
}

ScanStatus scanFileLiteral(const QString &path, const ScanOptions &options, HitSink &sink)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return ScanStatus::NotRegular;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return ScanStatus::CannotOpen;
    // A file with a UTF-16 or UTF-32 byte-order mark goes through the stream, any other
    // line by line.
    if (streamEncoding(file.peek(streamPiece)) == QStringConverter::Utf8) {
        file.close();
        QFile raw(path);
        if (!raw.open(QIODevice::ReadOnly))
            return ScanStatus::CannotOpen;
        scanLines(lineByLine(raw.readAll()), options, sink);
        return ScanStatus::Scanned;
    }
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
    if (encoding == QStringConverter::Utf8) {
        scanLines(lineByLine(bytes), options, sink);
        return ScanStatus::Scanned;
    }
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
    if (!last.isEmpty() || lastEmptyLine(bytes.size(), lineBreakEnd))
        lines.append(last);
    scanLines(lines, options, sink);
    return ScanStatus::Scanned;
}

bool streamDecodingSlips(const QByteArray &bytes)
{
    const QStringConverter::Encoding encoding = streamEncoding(bytes);
    if (encoding == QStringConverter::Utf8)
        return false;
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
