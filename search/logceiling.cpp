#include "search/logceiling.h"

#include "search/processmemory.h"

#include <algorithm>

static qint64 roomForTests = -1;

void setLogRoomForTests(qint64 bytes)
{
    roomForTests = bytes;
}

LogCeiling::LogCeiling(qint64 bytes, qint64 characters)
    : bytes(std::max<qint64>(0, bytes))
    , characters(std::max<qint64>(0, characters))
{ }

LogCeiling LogCeiling::forLog(qint64 characters)
{
    const qint64 characterRoom = characterLimit - characters;
    if (roomForTests >= 0)
        return LogCeiling(roomForTests, characterRoom);
    // Where the system tells nothing, the log is not limited beyond its characters.
    const qint64 limit = processMemoryLimit();
    const qint64 used = processMemoryUse();
    if (limit <= 0 || used < 0)
        return LogCeiling(characterRoom * (characterCost + layoutCost), characterRoom);
    return LogCeiling(limit / 2 - used, characterRoom);
}

bool LogCeiling::admit(qsizetype blocks, qint64 characters, qint64 laidOut)
{
    const qint64 cost = blocks * blockCost + characters * characterCost + laidOut * layoutCost;
    if (cost > bytes || characters > this->characters)
        return false;
    bytes -= cost;
    this->characters -= characters;
    return true;
}

bool LogCeiling::mayHold(qint64 heldBytes) const
{
    return heldBytes <= bytes / heldByteCost;
}
