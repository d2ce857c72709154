#include "search/run/logceiling.h"

#include "search/run/processmemory.h"

#include <algorithm>

static qint64 roomForTests = -1;

void setLogRoomForTests(qint64 bytes)
{
    roomForTests = bytes;
}

LogCeiling::LogCeiling(qint64 reserved, qint64 resident, qint64 characters)
    : reserved { reserved, reservedCosts }
    , resident { resident, residentCosts }
    , characters(std::max<qint64>(0, characters))
{ }

LogCeiling LogCeiling::forLog(qint64 characters)
{
    if (roomForTests >= 0)
        return LogCeiling(roomForTests, roomForTests, characterLimit - characters);
    return forLog(characters, processMemory());
}

// Half of each limit, less what the process uses of it; no room at all where it already
// uses more. A limit the system does not tell leaves the log unlimited that way.
LogCeiling LogCeiling::forLog(qint64 characters, const ProcessMemory &memory)
{
    const auto room = [](const MemoryLimit &memory) {
        if (memory.limit <= 0 || memory.used < 0)
            return qint64(-1);
        return std::max<qint64>(0, memory.limit / 2 - memory.used);
    };
    return LogCeiling(room(memory.reserved), room(memory.resident), characterLimit - characters);
}

qint64 LogCeiling::layoutReserve(qsizetype longestLine) const
{
    return std::max(laidOut, longestLine >= laidOutLine ? longestLine * layoutCost : 0);
}

bool LogCeiling::admit(qsizetype blocks, qint64 characters, qsizetype longestLine)
{
    if (characters > this->characters)
        return false;
    // The layout of the longest line is reserved once, beyond what the blocks take.
    const qint64 layout = layoutReserve(longestLine);
    const qint64 extraLayout = layout - laidOut;
    Room *rooms[] = { &reserved, &resident };
    for (const Room *room : rooms) {
        if (!room->fits(
                blocks * room->costs.block + characters * room->costs.character + extraLayout))
            return false;
    }
    for (Room *room : rooms) {
        if (room->left >= 0)
            room->left
                -= blocks * room->costs.block + characters * room->costs.character + extraLayout;
    }
    laidOut = layout;
    this->characters -= characters;
    return true;
}

bool LogCeiling::mayHold(qint64 bytes) const
{
    return reserved.fits(bytes * heldByteCost) && resident.fits(bytes * heldByteCost);
}
