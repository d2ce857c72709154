#ifndef FASTBYTES_H
#define FASTBYTES_H

#include "search/bytesearch/blockscan.h"

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// Byte-level searches over raw file data, vectorised where the processor allows.
// Ranges are given as [from, to) indexes into data.

// Index of the last '\n' in the range, or -1.
qsizetype lastNewline(const char *data, qsizetype from, qsizetype to);

// Index of the first '\n' in the range, or to when there is none.
qsizetype nextNewline(const char *data, qsizetype from, qsizetype to);

// Finds where raw UTF-8 data may hold the text, and counts the line feeds on the way, in
// one pass over the bytes. It looks for the anchor, a fixed byte string matched exactly or
// with its ASCII letters in both cases (two of its bytes, the rarest in usual text, are
// tested a vector of positions at a time before the whole string is compared); for a
// carriage return not followed by a line feed, which vanishes from the decoded line and
// joins its neighbours; and, when asked, for the UTF-8 forms of U+212A KELVIN SIGN and
// U+017F LATIN SMALL LETTER LONG S, which fold to the ASCII letters k and s. It may look
// for a second anchor too, the text in another encoding, when it looks for no folding
// letter.
//
// An anchor may also come with folds, one per byte: a byte b then matches value v with
// fold f when (b | f) == v, which takes every case form of a letter whose forms differ in
// those bits only (é and É in UTF-8: C3 A9 and C3 89).
class CandidateFinder
{
public:
    CandidateFinder() = default;
    CandidateFinder(const QByteArray &anchor, bool asciiCaseInsensitive, bool kelvin, bool longS,
        const QByteArray &otherAnchor = QByteArray(), const QByteArray &anchorFolds = QByteArray(),
        const QByteArray &otherFolds = QByteArray());

    // The first index in [from, to) where an anchor starts, lying wholly before end, or
    // where such a byte is, looked at with the bytes up to end; -1 if there is none. Adds
    // to *newlines the line feeds in [from, that index), or in [from, to) when it gives -1.
    qsizetype find(
        const char *data, qsizetype from, qsizetype to, qsizetype end, qsizetype *newlines) const;

private:
    template <bool extended>
    qsizetype findWith(
        const char *data, qsizetype from, qsizetype to, qsizetype end, qsizetype *newlines) const;
    template <bool extended>
    bool isCandidateAt(const char *data, qsizetype at, qsizetype end) const;
    bool isSpecialAt(const char *data, qsizetype at, qsizetype end) const;
    template <bool extended> bool matchesAt(const char *at) const;
    bool otherMatchesAt(const char *data, qsizetype at, qsizetype end) const;

    QByteArray anchor;
    QByteArray folds; // the anchor's folds, empty when it has none
    QByteArray other; // the second anchor, empty when there is none
    QByteArray otherFolds; // its folds, empty when it has none
    bool caseless = false;
    bool kelvin = false;
    bool longS = false;
    BlockProbe probe;
    BlockLoop loop { 0, nullptr }; // none: the plain byte loop alone
};

// The widths, in bytes, of the vector loops that this processor runs for the finder,
// narrowest first, after 0 for the plain byte loop that every processor runs.
std::vector<int> candidateWidths();

// The loop that the finders made from now on use, by its width: one of candidateWidths(),
// or -1 for the widest (the default). Lets the tests run each loop on one processor.
void useCandidateWidth(int width);

#endif // FASTBYTES_H
