#ifndef LINEDECODING_H
#define LINEDECODING_H

#include <QByteArray>
#include <QString>
#include <QStringView>

// How Morl reads one line of a file that has no UTF-16 or UTF-32 byte-order mark. The
// search, its reference and the helper module all decide here, line by line, so that a
// file mixing old and new text (a log appended to by old and new programs) reads right
// everywhere, the same on every platform.
//
// A line is read as UTF-8 when it is valid UTF-8, when it holds a NUL byte or another
// control byte below 0x20 other than tab, vertical tab, form feed, carriage return and
// escape (binary content, whose "lines" must not turn into text), or when it holds at
// least one valid UTF-8 sequence of two or more bytes (a UTF-8 line with a damaged byte).
// Any other line, one whose bytes above 0x7F form no UTF-8 character at all, is read as
// Windows-1252 (the WHATWG mapping: its five undefined bytes are the C1 controls of the
// same value).

enum class LineEncoding { Utf8, Windows1252 };

// The encoding of the line bytes[0, length), its line feed left out (carriage returns
// may be in it: they count as text). A line of ASCII bytes alone is UTF-8.
LineEncoding lineEncoding(const char *bytes, qsizetype length);

inline LineEncoding lineEncoding(const QByteArray &line)
{
    return lineEncoding(line.constData(), line.size());
}

// The bytes read as Windows-1252: one character each.
QString decodeWindows1252(const char *bytes, qsizetype length);

// The Windows-1252 byte of a UTF-16 unit, or -1 when it has none (every character that is
// not in Latin-1 nor among the 27 that Windows-1252 puts at 0x80-0x9F, the C1 controls
// other than the five undefined bytes, and every surrogate).
int windows1252Byte(char16_t unit);

// Puts the text in Windows-1252 into *bytes; false, *bytes left as it was, when some
// character has no byte there.
bool encodeWindows1252(QStringView text, QByteArray *bytes);

#endif // LINEDECODING_H
