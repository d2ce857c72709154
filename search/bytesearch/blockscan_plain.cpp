// Processors without a vector loop here: the caller's plain byte loop does all the work.
#include "search/bytesearch/blockscan.h"

int blockLoops(const BlockLoop **loops)
{
    *loops = nullptr;
    return 0;
}
