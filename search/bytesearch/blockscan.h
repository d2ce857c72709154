#ifndef BLOCKSCAN_H
#define BLOCKSCAN_H

#include <cstddef>
#include <cstdint>

// The vector loops under the raw scan's candidate search: each looks at a block of bytes
// at a time for the places where a line may hold the text, and counts the line feeds it
// passes, in one pass over the bytes. Which loops exist depends on the processor, and
// they are chosen at run time; this header holds plain data only, so that the file of
// each loop can be compiled for its own instruction set.

// What the loops look for at a block's positions: the two probe bytes of the anchor at
// their offsets from the position ((byte | fold) == value, which takes both cases of a
// letter), a carriage return not followed by a line feed, and, when folds is set, the
// lead bytes kelvinLead and longSLead of the letters that fold to ASCII (the caller
// checks the whole sequence); when twoAnchors is set, the two probe bytes of a second
// anchor too.
struct BlockProbe
{
    std::ptrdiff_t first = 0;
    std::ptrdiff_t second = 0;
    unsigned char firstFold = 0, firstValue = 0;
    unsigned char secondFold = 0, secondValue = 0;
    bool folds = false;
    unsigned char kelvinLead = 0, longSLead = 0;
    // A second anchor when twoAnchors is set: two of its bytes at their offsets, as for the
    // first.
    bool twoAnchors = false;
    std::ptrdiff_t otherFirst = 0, otherSecond = 0;
    unsigned char otherFirstFold = 0, otherFirstValue = 0;
    unsigned char otherSecondFold = 0, otherSecondValue = 0;
};

// Where a loop stopped: at the first block with a mark, or where its blocks end.
struct BlockFound
{
    std::ptrdiff_t at = 0; // that block's start, or the first position no block covered
    std::uint32_t marks = 0; // positions of the block that may start a match, bit 0 = at
    std::uint32_t lineFeeds = 0; // the block's line feeds, bit 0 = at
    std::ptrdiff_t newlines = 0; // line feeds in [from, at)
};

// Looks at the blocks [p, p + width) for p = from, from + width, ... while p + width <=
// stop. Reads data[from] to data[stop] (the byte after a carriage return tells whether it
// is alone) and, for each probe, the bytes from data[from + offset] to data[stop - 1 +
// offset]: the caller keeps them all inside the data.
using BlockScanFunction = BlockFound (*)(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe);

struct BlockLoop
{
    int width; // bytes per block
    BlockScanFunction scan;
};

// The loops this processor can run, narrowest first; none where only the plain byte loop
// of the caller exists. Chosen where the program is built: blockscan_x86.cpp or
// blockscan_plain.cpp.
int blockLoops(const BlockLoop **loops);

// x86-64's loops: SSE2, which every such processor has, and AVX2.
BlockFound scanBlocksSse2(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe);
BlockFound scanBlocksAvx2(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe);

#endif // BLOCKSCAN_H
