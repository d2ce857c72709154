#include "search/scan/linedecoding.h"

#include <cstdint>
#include <cstring>

// What Windows-1252 puts at 0x80-0x9F; its five undefined bytes stand for themselves.
static const char16_t highControls[32]
    = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
          0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
          0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

// Control bytes that binary content has and text has not: every one below 0x20 but tab,
// line feed (never inside a line), vertical tab, form feed, carriage return and escape.
static bool isBinaryControl(uchar c)
{
    return c < 0x20 && c != '\t' && c != '\n' && c != '\v' && c != '\f' && c != '\r' && c != 0x1B;
}

// The length of the well-formed UTF-8 sequence of two or more bytes that starts at `at`,
// or 0 (the table of well-formed sequences of the Unicode standard: no overlong form, no
// surrogate, nothing above U+10FFFF).
static int sequenceAt(const uchar *at, const uchar *end)
{
    const uchar lead = at[0];
    const auto continues = [&](int i, uchar low = 0x80, uchar high = 0xBF) {
        return at + i < end && at[i] >= low && at[i] <= high;
    };
    if (lead >= 0xC2 && lead <= 0xDF)
        return continues(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uchar low = lead == 0xE0 ? 0xA0 : 0x80;
        const uchar high = lead == 0xED ? 0x9F : 0xBF;
        return continues(1, low, high) && continues(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uchar low = lead == 0xF0 ? 0x90 : 0x80;
        const uchar high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(1, low, high) && continues(2) && continues(3) ? 4 : 0;
    }
    return 0;
}

// Most lines are ASCII: they are told apart eight bytes at a time.
static qsizetype firstHighByte(const uchar *bytes, qsizetype length)
{
    qsizetype at = 0;
    for (; at + 8 <= length; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    for (; at < length; ++at) {
        if (bytes[at] >= 0x80)
            return at;
    }
    return -1;
}

LineEncoding lineEncoding(const char *bytes, qsizetype length)
{
    const uchar *const data = reinterpret_cast<const uchar *>(bytes);
    if (firstHighByte(data, length) < 0)
        return LineEncoding::Utf8;
    // Any valid sequence, valid or not elsewhere, or any binary control makes it UTF-8.
    const uchar *const end = data + length;
    for (const uchar *at = data; at < end; ++at) {
        if (isBinaryControl(*at))
            return LineEncoding::Utf8;
        if (*at >= 0xC2 && sequenceAt(at, end) > 0)
            return LineEncoding::Utf8;
    }
    return LineEncoding::Windows1252;
}

QString decodeWindows1252(const char *bytes, qsizetype length)
{
    QString text(length, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < length; ++i) {
        const uchar c = uchar(bytes[i]);
        out[i] = c >= 0x80 && c < 0xA0 ? highControls[c - 0x80] : char16_t(c);
    }
    return text;
}

int windows1252Byte(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return unit;
    for (int i = 0; i < 32; ++i) {
        if (highControls[i] == unit)
            return 0x80 + i;
    }
    return -1;
}

bool encodeWindows1252(QStringView text, QByteArray *bytes)
{
    QByteArray encoded(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = windows1252Byte(text.at(i).unicode());
        if (byte < 0)
            return false;
        encoded[i] = char(byte);
    }
    *bytes = encoded;
    return true;
}
