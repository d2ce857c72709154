#include "search/bytesearch/fastbytes.h"

#include <QtAlgorithms>

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MORL_SSE2 1
#include <emmintrin.h>
#endif

// The width of the loop that new finders use, -1 for the widest.
static std::atomic<int> chosenWidth { -1 };

static inline int lowestBit(unsigned mask)
{
    return int(qCountTrailingZeroBits(mask));
}

static inline int highestBit(unsigned mask)
{
    return 31 - int(qCountLeadingZeroBits(mask));
}

static inline uchar asciiLower(uchar c)
{
    return (c >= 'A' && c <= 'Z') ? uchar(c + ('a' - 'A')) : c;
}

static inline uchar asciiUpper(uchar c)
{
    return (c >= 'a' && c <= 'z') ? uchar(c - ('a' - 'A')) : c;
}

qsizetype lastNewline(const char *data, qsizetype from, qsizetype to)
{
    qsizetype pos = to;
#ifdef MORL_SSE2
    const __m128i newline = _mm_set1_epi8('\n');
    while (pos - from >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos - 16));
        const unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newline)));
        if (mask)
            return pos - 16 + highestBit(mask);
        pos -= 16;
    }
#endif
    while (pos > from) {
        --pos;
        if (data[pos] == '\n')
            return pos;
    }
    return -1;
}

qsizetype nextNewline(const char *data, qsizetype from, qsizetype to)
{
    if (from >= to)
        return to;
    const void *found = std::memchr(data + from, '\n', size_t(to - from));
    return found ? static_cast<const char *>(found) - data : to;
}

// How often a byte turns up in source code and prose, roughly: the finder tests the two
// rarest bytes of its string first, so that few positions reach the full comparison.
static int commonness(uchar c, bool caseless)
{
    static const char *const byFrequency
        = " etaoinsrlhdcu_(),.m=pf;*/-gbyw\"0>1xvk{}<:'[]&+#2|!34q5j6789z\\";
    if (caseless)
        c = asciiLower(c);
    if (c >= 'A' && c <= 'Z')
        return commonness(asciiLower(c), false) / 4;
    if (c == '\t' || c == '\n')
        return 200;
    const char *found = c ? std::strchr(byFrequency, c) : nullptr;
    if (found)
        return 256 - int(found - byFrequency) * 3;
    return 1;
}

// The two rarest positions of a byte string, the first of them being the rarest.
static void rarestTwo(const QByteArray &bytes, bool caseless, qsizetype *first, qsizetype *second)
{
    const qsizetype size = bytes.size();
    *first = 0;
    for (qsizetype i = 1; i < size; ++i) {
        if (commonness(uchar(bytes[i]), caseless) < commonness(uchar(bytes[*first]), caseless))
            *first = i;
    }
    *second = *first;
    for (qsizetype i = 0; i < size; ++i) {
        if (i == *first)
            continue;
        if (*second == *first
            || commonness(uchar(bytes[i]), caseless) < commonness(uchar(bytes[*second]), caseless))
            *second = i;
    }
}

CandidateFinder::CandidateFinder(const QByteArray &anchor, bool asciiCaseInsensitive, bool kelvin,
    bool longS, const QByteArray &otherAnchor, const QByteArray &anchorFolds,
    const QByteArray &otherFolds)
    : anchor(anchor)
    , folds(anchorFolds)
    , caseless(asciiCaseInsensitive && anchorFolds.isEmpty())
    , kelvin(kelvin)
    , longS(longS)
{
    if (caseless) {
        for (char &c : this->anchor)
            c = char(asciiLower(uchar(c)));
    }
    const qsizetype size = this->anchor.size();
    qsizetype first = 0, second = 0;
    rarestTwo(this->anchor, caseless || !folds.isEmpty(), &first, &second);
    // (byte | fold) == value: setting the case bit of a letter takes both its cases.
    const auto foldOf
        = [this](uchar c) { return uchar(caseless && asciiUpper(c) != c ? 0x20 : 0); };
    if (size > 0) {
        probe.first = first;
        probe.second = second;
        probe.firstValue = uchar(this->anchor[first]);
        probe.firstFold = folds.isEmpty() ? foldOf(probe.firstValue) : uchar(folds[first]);
        probe.secondValue = uchar(this->anchor[second]);
        probe.secondFold = folds.isEmpty() ? foldOf(probe.secondValue) : uchar(folds[second]);
    }
    // A lead byte not wanted stands in for the other, which the loop then tests twice.
    probe.folds = kelvin || longS;
    probe.kelvinLead = kelvin ? 0xE2 : 0xC5;
    probe.longSLead = longS ? 0xC5 : 0xE2;
    // The loops take a second anchor only where no letter folds (see blockloop.h).
    if (size > 0 && !otherAnchor.isEmpty() && !caseless && !probe.folds) {
        other = otherAnchor;
        this->otherFolds = otherFolds;
        rarestTwo(other, !otherFolds.isEmpty(), &first, &second);
        probe.twoAnchors = true;
        probe.otherFirst = first;
        probe.otherSecond = second;
        probe.otherFirstValue = uchar(other[first]);
        probe.otherSecondValue = uchar(other[second]);
        if (!otherFolds.isEmpty()) {
            probe.otherFirstFold = uchar(otherFolds[first]);
            probe.otherSecondFold = uchar(otherFolds[second]);
        }
    }

    // The loop of the chosen width, the widest unless the tests asked for another.
    const BlockLoop *loops = nullptr;
    const int count = blockLoops(&loops);
    const int wanted = chosenWidth.load(std::memory_order_relaxed);
    for (int i = 0; i < count; ++i) {
        if (wanted < 0 || loops[i].width == wanted)
            loop = loops[i];
    }
}

// Whether the bytes match values with their folds: (byte | fold) == value.
static bool matchesFolded(const char *at, const QByteArray &values, const QByteArray &folds)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if ((uchar(at[i]) | uchar(folds[i])) != uchar(values[i]))
            return false;
    }
    return true;
}

template <bool extended> bool CandidateFinder::matchesAt(const char *at) const
{
    if (extended && !folds.isEmpty())
        return matchesFolded(at, anchor, folds);
    if (!caseless)
        return std::memcmp(at, anchor.constData(), size_t(anchor.size())) == 0;
    for (qsizetype i = 0; i < anchor.size(); ++i) {
        if (asciiLower(uchar(at[i])) != uchar(anchor[i]))
            return false;
    }
    return true;
}

bool CandidateFinder::otherMatchesAt(const char *data, qsizetype at, qsizetype end) const
{
    if (other.isEmpty() || at + other.size() > end)
        return false;
    if (!otherFolds.isEmpty())
        return matchesFolded(data + at, other, otherFolds);
    return std::memcmp(data + at, other.constData(), size_t(other.size())) == 0;
}

bool CandidateFinder::isSpecialAt(const char *data, qsizetype at, qsizetype end) const
{
    const uchar c = uchar(data[at]);
    if (c == '\r')
        return at + 1 >= end || data[at + 1] != '\n';
    if (c == 0xE2)
        return kelvin && at + 2 < end && uchar(data[at + 1]) == 0x84 && uchar(data[at + 2]) == 0xAA;
    if (c == 0xC5)
        return longS && at + 1 < end && uchar(data[at + 1]) == 0xBF;
    return false;
}

template <bool extended>
bool CandidateFinder::isCandidateAt(const char *data, qsizetype at, qsizetype end) const
{
    if (isSpecialAt(data, at, end) || (extended && otherMatchesAt(data, at, end)))
        return true;
    return at + anchor.size() <= end
        && (uchar(data[at + probe.first]) | probe.firstFold) == probe.firstValue
        && matchesAt<extended>(data + at);
}

qsizetype CandidateFinder::find(
    const char *data, qsizetype from, qsizetype to, qsizetype end, qsizetype *newlines) const
{
    if (anchor.isEmpty())
        return from < to ? from : -1;
    // Plain anchors, those of every ASCII text, take the code without the checks of folds
    // and second anchors.
    if (folds.isEmpty() && other.isEmpty())
        return findWith<false>(data, from, to, end, newlines);
    return findWith<true>(data, from, to, end, newlines);
}

template <bool extended>
qsizetype CandidateFinder::findWith(
    const char *data, qsizetype from, qsizetype to, qsizetype end, qsizetype *newlines) const
{
    // The blocks read the probe bytes of the longer anchor.
    const qsizetype size = std::max(anchor.size(), other.size());
    qsizetype pos = from;
    if (loop.scan) {
        // A block reads the byte after it (is a CR alone?) and the probe bytes up to
        // size - 1 bytes past its positions: both stay before end.
        const qsizetype stop = std::min(to, end - std::max<qsizetype>(size - 1, 1));
        while (pos + loop.width <= stop) {
            const BlockFound found = loop.scan(data, pos, stop, probe);
            *newlines += found.newlines;
            pos = found.at;
            if (!found.marks)
                break;
            // Marks are only likely: each is checked whole, and the line feeds before the
            // one that holds are counted.
            for (quint32 marks = found.marks; marks; marks &= marks - 1) {
                const int bit = lowestBit(marks);
                if (isCandidateAt<extended>(data, pos + bit, end)) {
                    *newlines += qPopulationCount(found.lineFeeds & ((quint32(1) << bit) - 1));
                    return pos + bit;
                }
            }
            *newlines += qPopulationCount(found.lineFeeds);
            pos += loop.width;
        }
    }
    // The bytes too near the end for a block, or all of them without a vector loop.
    const qsizetype lastStart = end - anchor.size();
    for (; pos < to; ++pos) {
        const uchar c = uchar(data[pos]);
        if (c == '\n') {
            ++*newlines;
            continue;
        }
        if (extended && otherMatchesAt(data, pos, end))
            return pos;
        if (pos <= lastStart
            && (uchar(data[pos + probe.first]) | probe.firstFold) == probe.firstValue
            && matchesAt<extended>(data + pos))
            return pos;
        if ((c == '\r' || c == 0xE2 || c == 0xC5) && isSpecialAt(data, pos, end))
            return pos;
    }
    return -1;
}

std::vector<int> candidateWidths()
{
    const BlockLoop *loops = nullptr;
    const int count = blockLoops(&loops);
    std::vector<int> widths { 0 };
    for (int i = 0; i < count; ++i)
        widths.push_back(loops[i].width);
    return widths;
}

void useCandidateWidth(int width)
{
    chosenWidth.store(width, std::memory_order_relaxed);
}
