#include "search/peakmemory.h"

bool resetPeakMemory()
{
    return false;
}

qint64 peakMemory()
{
    return -1;
}
