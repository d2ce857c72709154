#ifndef LOGCEILING_H
#define LOGCEILING_H

#include <QtGlobal>

struct ProcessMemory;

// How much more the log may take: a search stops, with what it wrote so far, rather than
// fill the memory of the process and crash with the log lost. The log may grow until it,
// with what the process used when the search began, takes half of the memory the process
// may use (the other half is for what the costs below leave out: the rest of the program,
// the read buffer, the lines being decoded), and its document stays far from the 2^31
// characters that its int positions can count.
//
// The costs of the log, measured in the window's log (Qt 6.4, x86-64 Linux, offscreen:
// `morl_bench log-cost`, the batched writer writing hits of 3 context lines into the shown
// window, event loop run after; heap from malloc's statistics, address space and resident
// memory from /proc/self/statm, peak from VmHWM), counted the two ways a system limits a
// process's memory:
// - what is reserved (address space, which RLIMIT_AS limits; committed memory on
//   Windows): about 540 bytes a block (600,000 blocks: 323 MB) and 4.2 bytes a
//   character (the document's text, 2 bytes of UTF-16 in a buffer that grows by
//   doubling); the heap itself holds 280-300 bytes a block;
// - what is resident (physical memory, a control group's limit): about 200 bytes a block
//   (118 MB) and 2-4.4 bytes a character;
// - a long line, once shown: about 39 bytes a character more for a while (a line of 10
//   million characters: a peak of 389 MB; 50 million: 1.94 GB), the glyphs of the whole
//   block's layout, which the widget makes as soon as part of the block is in view, and
//   drops again. Shorter lines' layouts are in the cost of a block.
class LogCeiling
{
public:
    struct Costs
    {
        qint64 block;
        qint64 character;
    };
    static constexpr Costs reservedCosts { 600, 5 };
    static constexpr Costs residentCosts { 256, 4 };
    static constexpr qint64 layoutCost = 40;
    // Lines this long count their layout: the longest of them, since one is laid out at
    // a time.
    static constexpr qsizetype laidOutLine = 64 * 1024;
    // The file's bytes that the scan holds for a report cost themselves and their decoded
    // form (at most a UTF-16 unit each).
    static constexpr qint64 heldByteCost = 3;
    // The most characters the log's document may hold, well below 2^31.
    static constexpr qint64 characterLimit = qint64(1) << 30;

    // Room for `reserved` and `resident` more bytes (negative: no limit) and `characters`
    // more characters.
    LogCeiling(qint64 reserved, qint64 resident, qint64 characters);

    // The ceiling for a log whose document holds `characters` characters now, as the
    // memory of this process allows (or as set by setLogRoomForTests).
    static LogCeiling forLog(qint64 characters);
    // The same for the memory given.
    static LogCeiling forLog(qint64 characters, const ProcessMemory &memory);

    // Whether an entry of that many blocks and characters fits, its longest line being
    // longestLine characters long; if it does, it is counted.
    bool admit(qsizetype blocks, qint64 characters, qsizetype longestLine = 0);

    // Whether the scan may hold that many of a file's bytes at once for the report.
    bool mayHold(qint64 bytes) const;

private:
    struct Room
    {
        qint64 left; // negative: no limit
        Costs costs;
        bool fits(qint64 cost) const { return left < 0 || cost <= left; }
    };

    qint64 layoutReserve(qsizetype longestLine) const;

    Room reserved;
    Room resident;
    qint64 characters;
    qint64 laidOut = 0; // the layout reserved for the longest line so far
};

// The room in bytes that the log of every search gets from now on instead of what the
// system allows; a negative value goes back to the system's. For the tests, which cannot
// fill the memory of the machine.
void setLogRoomForTests(qint64 bytes);

#endif // LOGCEILING_H
