#include "search/scan/needle.h"

#include "search/scan/linedecoding.h"

#include <QHash>

#include <vector>

// A text's bytes in one encoding, ignoring case: per byte a value and a fold, so that
// every case form of each character matches, (byte | fold) == value.
struct FoldedBytes
{
    QByteArray values;
    QByteArray folds;

    // A character whose forms are these byte strings, all of the same length.
    void append(const std::vector<QByteArray> &forms)
    {
        for (qsizetype i = 0; i < forms.front().size(); ++i) {
            uchar value = 0, fold = 0;
            for (const QByteArray &form : forms) {
                value |= uchar(form[i]);
                fold |= uchar(form[i] ^ forms.front()[i]);
            }
            values += char(value);
            folds += char(fold);
        }
    }
};

// Ignoring case, a text with characters outside ASCII is searched for whole: in UTF-8,
// where each of its characters has case forms of one length, and in Windows-1252, where
// each has a form there (otherwise no such line can hold it). A line holds the text only
// where its characters fold as the text's do, one for one; U+212A and U+017F, which fold
// to k and s in three and two bytes, are looked for on their own. False when the text
// does not allow it: the longest ASCII run is searched for then.
static bool foldedAnchors(
    const QString &text, FoldedBytes *utf8, FoldedBytes *windows1252, bool *kelvin, bool *longS)
{
    // Replacement characters also stand for bytes that are not UTF-8; surrogates fold in
    // pairs.
    for (const QChar c : text) {
        if (c.isSurrogate() || c == QChar::ReplacementCharacter)
            return false;
    }
    // Every character that folds as one of the text's, in one pass over the BMP.
    QHash<char16_t, std::vector<char16_t>> classes;
    for (const QChar c : text)
        classes.insert(char16_t(QChar::toCaseFolded(c.unicode())), {});
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const auto found = classes.find(char16_t(QChar::toCaseFolded(c)));
        if (found != classes.end())
            found->push_back(char16_t(c));
    }
    bool everyCharacterInWindows1252 = true;
    for (const QChar textCharacter : text) {
        std::vector<QByteArray> forms, bytes;
        for (const char16_t c :
            classes.value(char16_t(QChar::toCaseFolded(textCharacter.unicode())))) {
            if (c == 0x212A || c == 0x17F) {
                *kelvin = *kelvin || c == 0x212A;
                *longS = *longS || c == 0x17F;
                continue;
            }
            const QChar character(c);
            forms.push_back(QStringView(&character, 1).toUtf8());
            if (forms.back().size() != forms.front().size())
                return false;
            const int byte = windows1252Byte(c);
            if (byte >= 0)
                bytes.push_back(QByteArray(1, char(byte)));
        }
        utf8->append(forms);
        if (bytes.empty())
            everyCharacterInWindows1252 = false;
        else
            windows1252->append(bytes);
    }
    if (!everyCharacterInWindows1252)
        *windows1252 = FoldedBytes();
    // The candidate search takes no second anchor beside folding letters.
    return windows1252->values.isEmpty() || (!*kelvin && !*longS);
}

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
    bool ascii = true;
    for (const QChar c : std::as_const(text))
        ascii = ascii && c.unicode() < 0x80;
    FoldedBytes utf8, windows1252;
    bool foldsToK = false, foldsToS = false;
    if (!ascii && foldedAnchors(text, &utf8, &windows1252, &foldsToK, &foldsToS)) {
        anchor = utf8.values;
        windows1252Anchor = windows1252.values;
        kelvin = foldsToK;
        longS = foldsToS;
        byteSearch = true;
        candidates = CandidateFinder(
            anchor, false, kelvin, longS, windows1252Anchor, utf8.folds, windows1252.folds);
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
