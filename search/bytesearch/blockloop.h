#ifndef BLOCKLOOP_H
#define BLOCKLOOP_H

#include "search/bytesearch/blockscan.h"

#include <cstddef>
#include <cstdint>

// The block loop written once for any vector width. Ops gives the vector type and its
// few operations; each instruction set's file instantiates it (blockscan_sse2.cpp,
// blockscan_avx2.cpp), compiled for that set. Everything here has internal linkage, so
// that no copy built for a wider set can stand in for another's.
//
// The loop calls nothing and keeps its vectors in registers: 256-bit vectors must never
// be spilled to the stack on Windows, where GCC does not align the stack to 32 bytes.
namespace {

template <typename Ops, bool folds, bool twoAnchors>
BlockFound scanBlocksWith(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe)
{
    using Vector = typename Ops::Vector;
    constexpr std::ptrdiff_t width = Ops::width;
    const Vector lineFeed = Ops::splat('\n');
    const Vector carriageReturn = Ops::splat('\r');
    const Vector firstFold = Ops::splat(probe.firstFold);
    const Vector firstValue = Ops::splat(probe.firstValue);
    const Vector secondFold = Ops::splat(probe.secondFold);
    const Vector secondValue = Ops::splat(probe.secondValue);
    const Vector kelvinLead = Ops::splat(probe.kelvinLead);
    const Vector longSLead = Ops::splat(probe.longSLead);
    const char *const firstAt = data + probe.first;
    const char *const secondAt = data + probe.second;
    const Vector otherFirstFold = Ops::splat(probe.otherFirstFold);
    const Vector otherFirstValue = Ops::splat(probe.otherFirstValue);
    const Vector otherSecondFold = Ops::splat(probe.otherSecondFold);
    const Vector otherSecondValue = Ops::splat(probe.otherSecondValue);
    const char *const otherFirstAt = data + probe.otherFirst;
    const char *const otherSecondAt = data + probe.otherSecond;

    BlockFound found;
    std::ptrdiff_t p = from;
    while (p + width <= stop) {
        // Line feeds are counted per byte lane (a match subtracts -1) and summed before a
        // lane can overflow.
        const std::ptrdiff_t roundsEnd = stop - p > 255 * width ? p + 255 * width : stop;
        Vector counters = Ops::zero();
        for (; p + width <= roundsEnd; p += width) {
            const Vector bytes = Ops::load(data + p);
            const Vector feeds = Ops::equal(bytes, lineFeed);
            Vector anchor
                = Ops::both(Ops::equal(Ops::either(Ops::load(firstAt + p), firstFold), firstValue),
                    Ops::equal(Ops::either(Ops::load(secondAt + p), secondFold), secondValue));
            if (twoAnchors) {
                anchor = Ops::either(anchor,
                    Ops::both(Ops::equal(Ops::either(Ops::load(otherFirstAt + p), otherFirstFold),
                                  otherFirstValue),
                        Ops::equal(Ops::either(Ops::load(otherSecondAt + p), otherSecondFold),
                            otherSecondValue)));
            }
            Vector leads = Ops::equal(bytes, carriageReturn);
            if (folds) {
                leads = Ops::either(leads,
                    Ops::either(Ops::equal(bytes, kelvinLead), Ops::equal(bytes, longSLead)));
            }
            if (Ops::mask(Ops::either(anchor, leads))) {
                // Only a CR on its own can hide a match: CR LF files come here on every
                // line, and go on.
                const Vector pairedReturn = Ops::equal(Ops::load(data + p + 1), lineFeed);
                const std::uint32_t bits = Ops::mask(Ops::either(anchor,
                    Ops::butNot(
                        leads, Ops::both(pairedReturn, Ops::equal(bytes, carriageReturn)))));
                if (bits) {
                    found.at = p;
                    found.marks = bits;
                    found.lineFeeds = Ops::mask(feeds);
                    found.newlines += Ops::sum(counters);
                    return found;
                }
            }
            counters = Ops::subtract(counters, feeds);
        }
        found.newlines += Ops::sum(counters);
    }
    found.at = p;
    return found;
}

template <typename Ops>
BlockFound scanBlocksFor(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe)
{
    // Three loops, so that most searches, which need no folding letter and no second
    // anchor, test fewer bytes. A second anchor never comes with folding letters: with
    // both, the vectors would no longer fit in the registers.
    if (probe.folds)
        return scanBlocksWith<Ops, true, false>(data, from, stop, probe);
    if (probe.twoAnchors)
        return scanBlocksWith<Ops, false, true>(data, from, stop, probe);
    return scanBlocksWith<Ops, false, false>(data, from, stop, probe);
}

} // namespace

#endif // BLOCKLOOP_H
