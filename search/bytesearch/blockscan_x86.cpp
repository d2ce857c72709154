// The loops of x86-64 processors: SSE2 is part of the architecture, AVX2 is asked of the
// processor once (and of the system, which must save the wider registers).
#include "search/bytesearch/blockscan.h"

int blockLoops(const BlockLoop **loops)
{
    static const BlockLoop all[] = { { 16, scanBlocksSse2 }, { 32, scanBlocksAvx2 } };
    static const int count = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? 2 : 1;
    }();
    *loops = all;
    return count;
}
