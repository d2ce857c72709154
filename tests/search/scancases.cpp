#include "search/scancases.h"

#include <QStringEncoder>

void HitRecorder::hit(const ScanHit &hit)
{
    hits.append(QStringLiteral("line %1 from %2: ").arg(hit.line).arg(hit.firstLine)
        + hit.lines.join(QLatin1String(" | ")));
}

static const char *const words[] = { "alpha", "Beta", "PM_RESUME", "pm_resume", "return", "kelvin",
    "class", "so", "s", "k", "x", "abc", "ABC", "a b", "Return;" };

// Pieces of UTF-8 that decode or fold in unusual ways.
static const char *const oddPieces[] = {
    "\xE2\x84\xAA", // U+212A KELVIN SIGN, folds to k
    "\xC5\xBF", // U+017F LONG S, folds to s
    "\xC3\xA9", "\xC3\x89", // é É
    "\xEF\xBF\xBD", // U+FFFD itself
    "\xEF\xBB\xBF", // a byte-order mark inside the text
    "\xF0\x9F\x98\x80", // outside the BMP
    "\xE2", "\xE2\x82", "\x80", "\xFF", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
    "\xF0\x9F\x98", // invalid or cut sequences
};

// Every character that QString::trimmed removes, in UTF-8, plus one it keeps (U+200B).
static const char *const blanks[] = { " ", "\t", "\v", "\f", "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80",
    "\xE2\x80\x80", "\xE2\x80\x8A", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
    "\xE3\x80\x80", "\xE2\x80\x8B" };

static const char16_t *const needles[]
    = { u"alpha", u"ALPHA", u"pm_resume", u"PM_RESUME", u"kelvin", u"so", u"s", u"k", u" alpha",
          u"beta ", u" ", u"a b", u"\u00e9", u"\u00c9", u"\u212a", u"\u017f", u"\ufffd", u"x\xd800",
          u"\t", u"\u00e9t\u00e9", u"return", u"abc", u"\ufeff" };

template <typename T, size_t N> static const T &pick(QRandomGenerator &random, const T (&items)[N])
{
    return items[random.bounded(int(N))];
}

static QByteArray lineEnd(QRandomGenerator &random)
{
    const int which = random.bounded(10);
    return which < 6 ? QByteArray("\n") : which < 9 ? QByteArray("\r\n") : QByteArray("\r");
}

static QByteArray textLine(QRandomGenerator &random, bool odd)
{
    QByteArray line;
    const int pieces = random.bounded(8);
    for (int i = 0; i < pieces; ++i) {
        const int which = random.bounded(odd ? 10 : 6);
        if (which < 3)
            line += pick(random, words);
        else if (which < 5)
            line += ' ';
        else if (which < 6)
            line += pick(random, blanks);
        else if (which < 8)
            line += pick(random, oddPieces);
        else if (which < 9)
            line += QByteArray(1, '\0');
        else
            line += '\r';
    }
    return line;
}

static QByteArray textFile(QRandomGenerator &random, bool odd, int lines)
{
    QByteArray bytes;
    if (random.bounded(4) == 0)
        bytes += "\xEF\xBB\xBF";
    for (int i = 0; i < lines; ++i)
        bytes += textLine(random, odd) + lineEnd(random);
    if (random.bounded(3) == 0)
        bytes += textLine(random, odd); // no line end at the very end
    return bytes;
}

static QByteArray wideFile(QRandomGenerator &random)
{
    static const QStringConverter::Encoding encodings[] = { QStringConverter::Utf16LE,
        QStringConverter::Utf16BE, QStringConverter::Utf32LE, QStringConverter::Utf32BE };
    const QStringConverter::Encoding encoding = pick(random, encodings);
    QString text;
    const int lines = random.bounded(40);
    for (int i = 0; i < lines; ++i) {
        text += QString::fromUtf8(textLine(random, false));
        if (random.bounded(8) == 0)
            text += QChar(0xD800 + random.bounded(0x800)); // a lone surrogate
        text += QString::fromLatin1(lineEnd(random));
    }
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    QByteArray bytes = encoder(text);
    if (random.bounded(4) == 0)
        bytes.chop(random.bounded(1, 4)); // cut inside a unit
    return bytes;
}

static QByteArray randomBytes(QRandomGenerator &random, int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes) {
        const int which = random.bounded(20);
        c = which == 0 ? '\n' : which == 1 ? '\r' : char(random.bounded(256));
    }
    return bytes;
}

static QByteArray longLines(QRandomGenerator &random)
{
    QByteArray bytes;
    const int lines = random.bounded(1, 4);
    for (int i = 0; i < lines; ++i) {
        QByteArray line(random.bounded(200000, 700000), 'z');
        for (int j = random.bounded(4); j > 0; --j)
            line.insert(random.bounded(int(line.size())), pick(random, words));
        bytes += line + lineEnd(random) + textLine(random, true) + lineEnd(random);
    }
    return bytes;
}

// One line of 1 to 3 MiB, beyond what the scan keeps of a line no hit needs: filler that
// holds no text searched for, with words here and there (often none, sometimes at the very
// start or end), and multi-byte sequences or a lone CR placed across 256 KiB boundaries,
// where reads and searches of the scan meet.
static QByteArray hugeLine(QRandomGenerator &random)
{
    const int size = random.bounded((1 << 20) + 1, 3 << 20);
    QByteArray line(size, Qt::Uninitialized);
    static const char filler[] = "zq-0zzq.";
    for (int i = 0; i < size; ++i)
        line[i] = filler[i % 8];
    for (int at = 262144; at < size; at += 262144) {
        if (random.bounded(3) == 0)
            continue;
        const QByteArray piece
            = random.bounded(8) == 0 ? QByteArray("\r") : QByteArray(pick(random, oddPieces));
        line.replace(at - random.bounded(int(piece.size()) + 1), piece.size(), piece);
    }
    const int words = random.bounded(3) ? 0 : random.bounded(1, 3);
    for (int j = 0; j < words; ++j) {
        const QByteArray word = pick(random, ::words);
        const int where = random.bounded(4);
        const int at = where == 0 ? 0
            : where == 1          ? size - int(word.size())
            : where == 2          ? (random.bounded(1, 5) * 262144 - random.bounded(8)) % size
                                  : random.bounded(size);
        line.replace(qMax(0, qMin(at, size - int(word.size()))), word.size(), word);
    }
    return line;
}

static QByteArray hugeLines(QRandomGenerator &random)
{
    QByteArray bytes;
    if (random.bounded(4) == 0)
        bytes += "\xEF\xBB\xBF";
    const int lines = random.bounded(1, 6);
    for (int i = 0; i < lines; ++i) {
        bytes += random.bounded(2) ? hugeLine(random) : textLine(random, random.bounded(2));
        if (i + 1 < lines || random.bounded(2))
            bytes += lineEnd(random);
    }
    return bytes;
}

static QByteArray largeFile(QRandomGenerator &random)
{
    QByteArray bytes;
    const int lines = random.bounded(60000, 160000);
    const QByteArray end = random.bounded(2) ? QByteArray("\n") : QByteArray("\r\n");
    bytes.reserve(lines * 24);
    for (int i = 0; i < lines; ++i) {
        bytes += "line ";
        bytes += QByteArray::number(i);
        if (random.bounded(3000) == 0)
            bytes += QByteArray(" ") + pick(random, words) + ' ';
        bytes += " filler text" + end;
    }
    return bytes;
}

static QByteArray pieceEdges(QRandomGenerator &random)
{
    static const char *const tails[] = { "\n\r", "\n\xE2", "\n\xE2\x82", "\r\n", "\n", "\xE2\n",
        "\xE2\x82\n", "\xF0\x9F\x98\nalpha", "\n\r\r", "\n\xEF\xBB\xBF", "\xC3\n\xA9",
        "\xE2\x84\xAA\n", "\n\r\xE2" };
    const QByteArray tail = pick(random, tails);
    const int pieces = random.bounded(1, 3);
    const int at = pieces * 16384 - random.bounded(int(tail.size()) + 2);
    QByteArray bytes = textFile(random, false, 2000);
    bytes.truncate(at);
    while (bytes.size() < at)
        bytes += random.bounded(30) == 0 ? '\n' : 'k';
    bytes += tail;
    if (random.bounded(2))
        bytes += textLine(random, true);
    return bytes;
}

// Runs of filler whose lengths lie around the candidate search's 16- and 32-byte blocks,
// each followed by a piece: a word, a line end, a lone CR, a folding letter. A piece thus
// falls on, before or after a block's edge, counted from a line's start, where the search
// starts again after a hit, and the file ends at such an edge or just past it.
static QByteArray blockEdges(QRandomGenerator &random)
{
    static const int lengths[]
        = { 0, 1, 2, 14, 15, 16, 17, 30, 31, 32, 33, 34, 47, 48, 49, 62, 63, 64, 65, 95, 96, 97 };
    static const char *const pieces[] = { "\n", "\n", "\r\n", "\r", "\n\r", "\xE2\x84\xAA",
        "\xC5\xBF", "\xE2\x80\x9C", "\xC5\x82" };
    QByteArray bytes;
    const int runs = random.bounded(1, 10);
    for (int i = 0; i < runs; ++i) {
        bytes += QByteArray(pick(random, lengths), random.bounded(2) ? 'z' : ' ');
        bytes += random.bounded(3) ? QByteArray(pick(random, pieces))
                                   : QByteArray(pick(random, words));
    }
    return bytes;
}

// Pieces of a Windows-1252 line: its letters, quotes and euro sign, the bytes 0x80-0x9F,
// one byte alone, two in a row that are no UTF-8 sequence.
static const char *const windows1252Pieces[] = { "caf\xE9", "CAF\xC9", "\x8Cuvre", "\x9Cuvre",
    "\x80", "\x92", "\x93mot\x94", "\xE9t\xE9", "\xC9T\xC9", "\x81", "\x8D\x9D", "\xFF", "\xA0",
    "\xC3", "\xE2\x82", "\xC0\x80", "\x9F\x85" };

// Pieces of a UTF-8 line with the same characters, and the letters that fold to k and s.
static const char *const utf8Pieces[]
    = { "caf\xC3\xA9", "CAF\xC3\x89", "\xC5\x92uvre", "\xC5\x93uvre", "\xE2\x82\xAC",
          "\xE2\x80\x99", "\xC3\xA9t\xC3\xA9", "\xE2\x84\xAA", "\xC5\xBF" };

static const char16_t *const windows1252Needles[]
    = { u"caf\u00e9", u"CAF\u00c9", u"\u00e9", u"\u0152", u"\u0153uvre", u"\u20ac", u"\u2019",
          u"\u201cmot\u201d", u"\u00e9t\u00e9", u"\u212a", u"\u017f", u"k", u"s", u"mot", u"\u00ff",
          u"\u0178", u"\u0081", u"\u00a0", u"\u00e9\u00e9", u"\u00c3", u"\u0142" };

// Lines of one kind each, with runs of filler of lengths around the 16- and 32-byte blocks
// before their pieces, so that the bytes 0x80-0x9F and UTF-8 sequences fall on or across
// a block's edge.
static QByteArray windows1252File(QRandomGenerator &random)
{
    static const int lengths[] = { 0, 1, 14, 15, 16, 17, 30, 31, 32, 33, 63, 64 };
    QByteArray bytes;
    if (random.bounded(6) == 0)
        bytes += "\xEF\xBB\xBF";
    const int lines = random.bounded(1, 40);
    for (int i = 0; i < lines; ++i) {
        const int kind = random.bounded(10);
        QByteArray line;
        for (int pieces = random.bounded(1, 5); pieces > 0; --pieces) {
            line += QByteArray(pick(random, lengths), random.bounded(4) ? 'z' : ' ');
            if (random.bounded(3) == 0)
                line += pick(random, words);
            line += kind < 5 ? pick(random, windows1252Pieces) : pick(random, utf8Pieces);
            if (random.bounded(8) == 0)
                line += random.bounded(2) ? "\r" : "\r\r";
        }
        // A control byte makes binary content of a line, but escape does not; a damaged
        // byte in a UTF-8 line leaves it UTF-8.
        if (kind == 5)
            line.insert(random.bounded(int(line.size()) + 1), pick(random, windows1252Pieces));
        else if (kind == 6)
            line.insert(random.bounded(int(line.size()) + 1), random.bounded(2) ? '\0' : '\x01');
        else if (kind == 7)
            line.insert(random.bounded(int(line.size()) + 1), '\x1B');
        bytes += line;
        if (i + 1 < lines || random.bounded(2))
            bytes += lineEnd(random);
    }
    return bytes;
}

ScanCase makeScanCase(FileKind kind, QRandomGenerator &random)
{
    ScanCase scanCase;
    switch (kind) {
    case FileKind::Text:
        scanCase.bytes = textFile(random, false, random.bounded(30));
        break;
    case FileKind::Mixed:
        scanCase.bytes = textFile(random, true, random.bounded(30));
        break;
    case FileKind::RandomBytes:
        scanCase.bytes = randomBytes(random, random.bounded(random.bounded(2) ? 300 : 40000));
        break;
    case FileKind::Wide:
        scanCase.bytes = wideFile(random);
        break;
    case FileKind::LongLines:
        scanCase.bytes = longLines(random);
        break;
    case FileKind::HugeLines:
        scanCase.bytes = hugeLines(random);
        break;
    case FileKind::Large:
        scanCase.bytes = largeFile(random);
        break;
    case FileKind::PieceEdges:
        scanCase.bytes = pieceEdges(random);
        break;
    case FileKind::BlockEdges:
        scanCase.bytes = blockEdges(random);
        break;
    case FileKind::Windows1252:
        scanCase.bytes = windows1252File(random);
        break;
    }
    static const int contexts[] = { 0, 1, 2, 3, 99 };
    scanCase.options.before = pick(random, contexts);
    scanCase.options.after = pick(random, contexts);
    scanCase.options.caseSensitivity = random.bounded(2) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (random.bounded(3) == 0)
        scanCase.options.text = QString::fromUtf8(pick(random, words));
    else if (kind == FileKind::Windows1252)
        scanCase.options.text = QString::fromUtf16(pick(random, windows1252Needles));
    else
        scanCase.options.text = QString::fromUtf16(pick(random, needles));
    return scanCase;
}

QString describeCase(const ScanCase &scanCase)
{
    QString needle;
    for (const QChar c : scanCase.options.text)
        needle += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return QStringLiteral("%1 bytes, text \"%2\" (%3), %4, before %5, after %6, head %7")
        .arg(scanCase.bytes.size())
        .arg(scanCase.options.text, needle)
        .arg(QLatin1String(scanCase.options.caseSensitivity == Qt::CaseSensitive ? "case respected"
                                                                                 : "case ignored"))
        .arg(scanCase.options.before)
        .arg(scanCase.options.after)
        .arg(QString::fromLatin1(scanCase.bytes.left(48).toHex(' ')));
}
