#include "corpora.h"

#include <cstdio>

const char marker[] = "MORL_BENCH_MARKER_7Q";

// About 107 bytes a line, so that ten million lines make 1 GiB.
int generateLog(const char *path, long long lines, int hits)
{
    FILE *out = std::fopen(path, "wb");
    if (!out)
        return 1;
    static const char *const levels[] = { "INFO ", "DEBUG", "WARN ", "INFO ", "ERROR" };
    static const char *const paths[] = { "items", "users", "orders", "search", "health" };
    unsigned long long state = 88172645463325252ull;
    const long long every = hits > 0 ? lines / hits : lines + 1;
    for (long long i = 0; i < lines; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        std::fprintf(out,
            "2024-03-%02lld %02lld:%02lld:%02lld.%06llu %s [worker-%02llu] request %010llu "
            "handled in %3llu ms path=/api/v1/%s/%llu%s\n",
            1 + i / 400000 % 28, i / 20000 % 24, i / 300 % 60, i / 5 % 60, state % 1000000,
            levels[state % 5], state / 7 % 32, state / 11 % 10000000000ull, state / 13 % 1000,
            paths[state / 17 % 5], state / 19 % 100000,
            i % every == every / 2 ? " "
                                     "MORL_BENCH_MARKER_7Q"
                                   : " ok");
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

// One single line of about `bytes` bytes, without the marker: the records of the log
// joined by blanks, then one line feed. A search that looks for line ends again after
// each read, or keeps the whole line, shows here.
int generateLine(const char *path, long long bytes, bool withMarker)
{
    FILE *out = std::fopen(path, "wb");
    if (!out)
        return 1;
    unsigned long long state = 2463534242ull;
    long long written = 0;
    for (long long i = 0; written < bytes; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const int n = std::fprintf(out,
            "2024-03-%02lld %02lld:%02lld:%02lld.%06llu INFO  [worker-%02llu] request %010llu "
            "handled in %3llu ms path=/api/v1/items/%llu ok ",
            1 + i / 400000 % 28, i / 20000 % 24, i / 300 % 60, i / 5 % 60, state % 1000000,
            state / 7 % 32, state / 11 % 10000000000ull, state / 13 % 1000, state / 19 % 100000);
        if (n < 0)
            break;
        if (withMarker && written < bytes / 2 && written + n >= bytes / 2)
            written += std::fprintf(out, "%s ", marker);
        written += n;
    }
    std::fputc('\n', out);
    return std::fclose(out) == 0 ? 0 : 1;
}
