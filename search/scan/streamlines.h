#ifndef STREAMLINES_H
#define STREAMLINES_H

#include <QByteArrayView>
#include <QString>
#include <QStringConverter>

// The lines of a file as the toolkit's text stream gives them, which the scan must match,
// each read in the encoding that linedecoding chooses for it: a UTF-8 line as the stream
// decodes it, a Windows-1252 line byte by byte.

// The toolkit's stream reads a file in pieces of this size. A file that ends in bytes
// that decode to nothing (carriage returns, a cut sequence) gets one more, empty, line
// when those bytes start a new piece: the stream is then not at its end after the last
// line break, and the next read finds no text.
constexpr qsizetype streamPiece = 16384;

// Whether the stream reports a last, empty line after the last line break: see
// streamPiece. lineBreakEnd is the file offset just past the last line break, or -1.
bool streamAddsEmptyLine(qsizetype fileSize, qsizetype lineBreakEnd);

// A complete line, from its bytes up to the line feed that ends it: bytes[length] is read
// and must be that line feed. Every carriage return is removed.
QString decodeLine(const char *bytes, qsizetype length);

// The bytes after the last line feed, as one more line (a UTF-8 one as the stream decodes
// it: an incomplete sequence at the very end dropped).
QString decodeLastPiece(const char *bytes, qsizetype length);

// The encoding that the stream chooses for a file that starts with head, always with an
// explicit byte order.
QStringConverter::Encoding detectEncoding(QByteArrayView head);

#endif // STREAMLINES_H
