#include "search/scan/streamlines.h"

#include "search/scan/linedecoding.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <cstring>

bool streamAddsEmptyLine(qsizetype fileSize, qsizetype lineBreakEnd)
{
    const qsizetype piece = lineBreakEnd > 0 ? (lineBreakEnd - 1) / streamPiece : -1;
    return fileSize > (piece + 1) * streamPiece;
}

static QString fromWindows1252(const char *bytes, qsizetype length)
{
    QString line = decodeWindows1252(bytes, length);
    if (std::memchr(bytes, '\r', size_t(length)))
        line.remove(QLatin1Char('\r'));
    return line;
}

// A complete line as the stream decodes it. The line feed is decoded with it, so that a
// sequence cut short by the line end gives replacement characters as it does in the
// stream; a byte-order mark inside the file stays a character.
QString decodeLine(const char *bytes, qsizetype length)
{
    if (lineEncoding(bytes, length) == LineEncoding::Windows1252)
        return fromWindows1252(bytes, length);
    QStringDecoder decoder(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString line = decoder(QByteArrayView(bytes, length + 1));
    line.chop(1);
    if (std::memchr(bytes, '\r', size_t(length)))
        line.remove(QLatin1Char('\r'));
    return line;
}

// The bytes after the last line feed: an incomplete sequence at the end of the file is
// dropped, as the stream's decoder keeps it waiting for bytes that never come.
QString decodeLastPiece(const char *bytes, qsizetype length)
{
    if (lineEncoding(bytes, length) == LineEncoding::Windows1252)
        return fromWindows1252(bytes, length);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString piece = decoder(QByteArrayView(bytes, length));
    piece.remove(QLatin1Char('\r'));
    return piece;
}

QStringConverter::Encoding detectEncoding(QByteArrayView head)
{
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    switch (QStringConverter::encodingForData(head).value_or(QStringConverter::Utf8)) {
    case QStringConverter::Utf16:
        return little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    case QStringConverter::Utf16LE:
        return QStringConverter::Utf16LE;
    case QStringConverter::Utf16BE:
        return QStringConverter::Utf16BE;
    case QStringConverter::Utf32:
        return little ? QStringConverter::Utf32LE : QStringConverter::Utf32BE;
    case QStringConverter::Utf32LE:
        return QStringConverter::Utf32LE;
    case QStringConverter::Utf32BE:
        return QStringConverter::Utf32BE;
    default:
        return QStringConverter::Utf8;
    }
}
