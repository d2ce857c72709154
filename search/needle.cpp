#include "search/needle.h"

#include "search/linedecoding.h"

Needle::Needle(const ScanOptions &options)
    : text(options.text)
    , caseSensitivity(options.caseSensitivity)
{
    // Lines never contain '\n', and every '\r' is removed from them; no other character
    // folds to either.
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        neverMatches = true;
        return;
    }
    if (text.isEmpty())
        return;
    if (caseSensitivity == Qt::CaseSensitive) {
        // Decoded text holds U+FFFD for bytes that are not UTF-8 and never a lone
        // surrogate: for any other text, a UTF-8 line holds it only if its bytes hold its
        // UTF-8, and a Windows-1252 line only if they hold its Windows-1252 bytes, which
        // differ when the text is not ASCII and exist when each character has a byte there.
        if (!QStringView(text).isValidUtf16() || text.contains(QChar::ReplacementCharacter))
            return;
        anchor = text.toUtf8();
        if (anchor.size() == text.size() || !encodeWindows1252(text, &windows1252Anchor))
            windows1252Anchor.clear();
        byteSearch = true;
        candidates = CandidateFinder(anchor, false, false, false, windows1252Anchor);
        return;
    }
    // Ignoring case, an ASCII character matches only its two ASCII cases, plus U+212A for
    // k and U+017F for s: the longest ASCII run of the text can be searched for as bytes.
    // No character of Windows-1252 folds to ASCII, so that run finds its lines too.
    qsizetype bestStart = 0, bestLength = 0;
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i).unicode() >= 0x80) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text.at(end).unicode() < 0x80)
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    if (bestLength == 0)
        return;
    anchor = text.mid(bestStart, bestLength).toLatin1();
    caseless = true;
    byteSearch = true;
    for (const char c : std::as_const(anchor)) {
        kelvin = kelvin || c == 'k' || c == 'K';
        longS = longS || c == 's' || c == 'S';
    }
    candidates = CandidateFinder(anchor, caseless, kelvin, longS);
}
