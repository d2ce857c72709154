#ifndef LOGCEILING_H
#define LOGCEILING_H

#include <QtGlobal>

// How much more the log may take: a search stops, with what it wrote so far, rather than
// fill the memory of the process and crash with the log lost. The log may grow until it,
// with what the process used when the search began, takes half of the memory the process
// may use (the rest is for the widget's own growth beyond the measured costs, the read
// buffer and the lines being decoded), and its document stays far from the 2^31
// characters that its int positions can count.
//
// The costs of the log widget's document, measured in a shown QPlainTextEdit (Qt 6.4,
// x86-64 Linux, offscreen; allocated heap after N blocks, see bench/morlbench.cpp's
// log-cost):
// - a block: about 470 bytes whatever its text (its block, fragment, format and layout
//   records);
// - a character: about 4 bytes (2 of UTF-16 in the document's text, which grows by
//   doubling);
// - a long line once shown: about 40 bytes more a character, the glyphs of its whole
//   layout, which the widget makes for the whole block as soon as part of it is in view.
class LogCeiling
{
public:
    static constexpr qint64 blockCost = 512;
    static constexpr qint64 characterCost = 4;
    static constexpr qint64 layoutCost = 40;
    // A line this long may be laid out at once in full; shorter ones cost their layout
    // only while they are in view, a few screens at most.
    static constexpr qsizetype laidOutLine = 64 * 1024;
    // The file's bytes that the scan holds for a report cost themselves and their decoded
    // form (at most a UTF-16 unit each).
    static constexpr qint64 heldByteCost = 3;
    // The most characters the log's document may hold, well below 2^31.
    static constexpr qint64 characterLimit = qint64(1) << 30;

    // Room for `bytes` more bytes of log and `characters` more characters.
    LogCeiling(qint64 bytes, qint64 characters);

    // The ceiling for a log whose document holds `characters` characters now, as the
    // memory of this process allows (or as set by setLogRoomForTests).
    static LogCeiling forLog(qint64 characters);

    // Whether an entry of that many blocks and characters fits; if it does, it is counted.
    // laidOut is how many of the characters are in lines of laidOutLine or more.
    bool admit(qsizetype blocks, qint64 characters, qint64 laidOut = 0);

    // Whether the scan may hold that many of a file's bytes at once for the report.
    bool mayHold(qint64 bytes) const;

    qint64 bytesLeft() const { return bytes; }
    qint64 charactersLeft() const { return characters; }

private:
    qint64 bytes;
    qint64 characters;
};

// The room in bytes that the log of every search gets from now on instead of what the
// system allows; a negative value goes back to the system's. For the tests, which cannot
// fill the memory of the machine.
void setLogRoomForTests(qint64 bytes);

#endif // LOGCEILING_H
