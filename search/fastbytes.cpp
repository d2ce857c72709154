#include "search/fastbytes.h"

#include <QtAlgorithms>

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MORL_SSE2 1
#include <emmintrin.h>
#endif

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

qsizetype countNewlines(const char *data, qsizetype from, qsizetype to)
{
    qsizetype count = 0;
    const char *p = data + from;
    const char *const end = data + to;
#ifdef MORL_SSE2
    // Per-byte counters (a match subtracts -1) summed before they can overflow.
    const __m128i newline = _mm_set1_epi8('\n');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        __m128i counters = zero;
        for (int round = 0; round < 255 && end - p >= 16; ++round, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(bytes, newline));
        }
        const __m128i sums = _mm_sad_epu8(counters, zero);
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    for (; p < end; ++p)
        count += *p == '\n';
    return count;
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

ByteFinder::ByteFinder(const QByteArray &pattern, bool asciiCaseInsensitive)
    : pattern(pattern)
    , caseless(asciiCaseInsensitive)
{
    if (caseless) {
        for (char &c : this->pattern)
            c = char(asciiLower(uchar(c)));
    }
    // The two rarest positions, the first of them being the rarest.
    const qsizetype size = this->pattern.size();
    for (qsizetype i = 1; i < size; ++i) {
        if (commonness(uchar(this->pattern[i]), caseless)
            < commonness(uchar(this->pattern[first]), caseless))
            first = i;
    }
    second = first;
    for (qsizetype i = 0; i < size; ++i) {
        if (i == first)
            continue;
        if (second == first
            || commonness(uchar(this->pattern[i]), caseless)
                < commonness(uchar(this->pattern[second]), caseless))
            second = i;
    }
    if (size > 0) {
        const uchar a = uchar(this->pattern[first]);
        const uchar b = uchar(this->pattern[second]);
        firstLower = a;
        firstUpper = caseless ? asciiUpper(a) : a;
        secondLower = b;
        secondUpper = caseless ? asciiUpper(b) : b;
    }
}

bool ByteFinder::matchesAt(const char *at) const
{
    if (!caseless)
        return std::memcmp(at, pattern.constData(), size_t(pattern.size())) == 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (asciiLower(uchar(at[i])) != uchar(pattern[i]))
            return false;
    }
    return true;
}

qsizetype ByteFinder::find(const char *data, qsizetype from, qsizetype to) const
{
    const qsizetype size = pattern.size();
    if (size == 0)
        return from <= to ? from : -1;
    const qsizetype lastStart = to - size;
    qsizetype pos = from;
#ifdef MORL_SSE2
    const __m128i firstA = _mm_set1_epi8(char(firstLower));
    const __m128i firstB = _mm_set1_epi8(char(firstUpper));
    const __m128i secondA = _mm_set1_epi8(char(secondLower));
    const __m128i secondB = _mm_set1_epi8(char(secondUpper));
    // Sixteen candidate starts at a time; the loads stay inside the range because both
    // probe offsets are below the string's length.
    while (pos + 15 <= lastStart) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + first));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + second));
        const __m128i hitA = _mm_or_si128(_mm_cmpeq_epi8(a, firstA), _mm_cmpeq_epi8(a, firstB));
        const __m128i hitB = _mm_or_si128(_mm_cmpeq_epi8(b, secondA), _mm_cmpeq_epi8(b, secondB));
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(hitA, hitB)));
        while (mask) {
            const qsizetype start = pos + lowestBit(mask);
            if (matchesAt(data + start))
                return start;
            mask &= mask - 1;
        }
        pos += 16;
    }
#endif
    for (; pos <= lastStart; ++pos) {
        const uchar a = uchar(data[pos + first]);
        if ((a == firstLower || a == firstUpper) && matchesAt(data + pos))
            return pos;
    }
    return -1;
}

SpecialFinder::SpecialFinder(bool kelvin, bool longS)
    : kelvin(kelvin)
    , longS(longS)
{ }

bool SpecialFinder::isSpecialAt(const char *data, qsizetype at, qsizetype end) const
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

qsizetype SpecialFinder::find(const char *data, qsizetype from, qsizetype to, qsizetype end) const
{
    // Each lead byte is looked for with memchr, which the C library vectorises as far as
    // the processor goes; most files hold none of them.
    const char leads[] = { '\r', char(0xE2), char(0xC5) };
    const bool wanted[] = { true, kelvin, longS };
    qsizetype best = to;
    for (int i = 0; i < 3; ++i) {
        if (!wanted[i])
            continue;
        for (qsizetype pos = from; pos < best;) {
            const void *found = std::memchr(data + pos, leads[i], size_t(best - pos));
            if (!found)
                break;
            const qsizetype at = static_cast<const char *>(found) - data;
            if (isSpecialAt(data, at, end)) {
                best = at;
                break;
            }
            pos = at + 1;
        }
    }
    return best < to ? best : -1;
}
