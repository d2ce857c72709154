// The block loop 32 bytes at a time, with AVX2. This file alone is compiled for AVX2 (see
// CMakeLists.txt): its code runs only once the processor has been seen to have it.
#include "search/bytesearch/blockloop.h"

#include <immintrin.h>

namespace {

// Inlined even when nothing else is: a vector passed to a function goes through memory.
struct Avx2
{
    using Vector = __m256i;
    static constexpr int width = 32;

    [[gnu::always_inline]] static Vector load(const char *at)
    {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
    }
    [[gnu::always_inline]] static Vector splat(unsigned char c)
    {
        return _mm256_set1_epi8(char(c));
    }
    [[gnu::always_inline]] static Vector zero() { return _mm256_setzero_si256(); }
    [[gnu::always_inline]] static Vector equal(Vector a, Vector b)
    {
        return _mm256_cmpeq_epi8(a, b);
    }
    [[gnu::always_inline]] static Vector either(Vector a, Vector b)
    {
        return _mm256_or_si256(a, b);
    }
    [[gnu::always_inline]] static Vector both(Vector a, Vector b) { return _mm256_and_si256(a, b); }
    [[gnu::always_inline]] static Vector butNot(Vector a, Vector b)
    {
        return _mm256_andnot_si256(b, a);
    }
    [[gnu::always_inline]] static Vector subtract(Vector a, Vector b)
    {
        return _mm256_sub_epi8(a, b);
    }
    [[gnu::always_inline]] static std::uint32_t mask(Vector v)
    {
        return std::uint32_t(_mm256_movemask_epi8(v));
    }
    [[gnu::always_inline]] static std::ptrdiff_t sum(Vector counters)
    {
        const __m256i sums = _mm256_sad_epu8(counters, _mm256_setzero_si256());
        const __m128i halves
            = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        return _mm_cvtsi128_si32(halves) + _mm_extract_epi16(halves, 4);
    }
};

} // namespace

BlockFound scanBlocksAvx2(
    const char *data, std::ptrdiff_t from, std::ptrdiff_t stop, const BlockProbe &probe)
{
    return scanBlocksFor<Avx2>(data, from, stop, probe);
}
