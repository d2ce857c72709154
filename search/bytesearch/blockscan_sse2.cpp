// The block loop sixteen bytes at a time, with SSE2, which every x86-64 processor has.
#include "search/bytesearch/blockloop.h"

#include <emmintrin.h>

namespace {

// Inlined even when nothing else is: a vector passed to a function goes through memory.
struct Sse2
{
    using Vector = __m128i;
    static constexpr int width = 16;

    [[gnu::always_inline]] static Vector load(const char *at)
    {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    }
    [[gnu::always_inline]] static Vector splat(unsigned char c) { return _mm_set1_epi8(char(c)); }
    [[gnu::always_inline]] static Vector zero() { return _mm_setzero_si128(); }
    [[gnu::always_inline]] static Vector equal(Vector a, Vector b) { return _mm_cmpeq_epi8(a, b); }
    [[gnu::always_inline]] static Vector either(Vector a, Vector b) { return _mm_or_si128(a, b); }
    [[gnu::always_inline]] static Vector both(Vector a, Vector b) { return _mm_and_si128(a, b); }
    [[gnu::always_inline]] static Vector butNot(Vector a, Vector b)
    {
        return _mm_andnot_si128(b, a);
    }
    [[gnu::always_inline]] static Vector subtract(Vector a, Vector b) { return _mm_sub_epi8(a, b); }
    [[gnu::always_inline]] static std::uint32_t mask(Vector v)
    {
        return std::uint32_t(_mm_movemask_epi8(v));
    }
    [[gnu::always_inline]] static std::ptrdiff_t sum(Vector counters)
    {
        const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
        return _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
};

} // namespace

BlockFound scanBlocksSse2(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe)
{
    return scanBlocksFor<Sse2>(data, from, stop, probe);
}
