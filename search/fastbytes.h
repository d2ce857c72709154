#ifndef FASTBYTES_H
#define FASTBYTES_H

#include <QByteArray>
#include <QtGlobal>

// Byte-level searches over raw file data, vectorised where the processor allows.
// Ranges are given as [from, to) indexes into data.

// Number of '\n' bytes in the range.
qsizetype countNewlines(const char *data, qsizetype from, qsizetype to);

// Index of the last '\n' in the range, or -1.
qsizetype lastNewline(const char *data, qsizetype from, qsizetype to);

// Index of the first '\n' in the range, or to when there is none.
qsizetype nextNewline(const char *data, qsizetype from, qsizetype to);

// Finds a fixed byte string, either exactly or with the ASCII letters of the string
// matching both cases. Two bytes of the string, the rarest ones in usual text, are
// tested sixteen positions at a time before the whole string is compared.
class ByteFinder
{
public:
    ByteFinder(const QByteArray &pattern, bool asciiCaseInsensitive);

    // Index of the first occurrence that lies wholly inside the range, or -1.
    qsizetype find(const char *data, qsizetype from, qsizetype to) const;

private:
    bool matchesAt(const char *at) const;

    QByteArray pattern;
    bool caseless;
    qsizetype first = 0;
    qsizetype second = 0;
    uchar firstLower = 0, firstUpper = 0;
    uchar secondLower = 0, secondUpper = 0;
};

// Finds the bytes where the raw data may hide a match from a byte search: a carriage
// return that is not followed by a line feed (it vanishes from the decoded line and joins
// its neighbours), and, when asked, the UTF-8 forms of U+212A KELVIN SIGN and U+017F
// LATIN SMALL LETTER LONG S, which fold to the ASCII letters k and s.
class SpecialFinder
{
public:
    SpecialFinder(bool kelvin, bool longS);

    // Index of the first such byte in the range (data[to] may be read when to is not the
    // end of the data; pass end as the index past the last valid byte), or -1.
    qsizetype find(const char *data, qsizetype from, qsizetype to, qsizetype end) const;

private:
    bool isSpecialAt(const char *data, qsizetype at, qsizetype end) const;

    bool kelvin;
    bool longS;
};

#endif // FASTBYTES_H
