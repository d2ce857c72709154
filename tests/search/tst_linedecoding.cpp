#include "search/scan/linedecoding.h"

#include <QStringDecoder>
#include <QTest>

// The rule that tells how each line of a file is read, on every byte and pair of bytes
// above 0x7F, against the toolkit's own UTF-8 decoder and, where the toolkit has one, its
// Windows-1252 decoder.
class TestLineDecoding : public QObject
{
    Q_OBJECT

private slots:
    void rule_data();
    void rule();
    void everyHighByte();
    void everyPairOfHighBytes();
    void mapping();
    void noCharacterFoldsToAscii();
    void encoding_data();
    void encoding();
};

// What the rule must say, by its plain statement: a line is UTF-8 when it is valid UTF-8,
// holds a binary control byte, or holds a valid sequence of two bytes or more. The
// toolkit's decoder tells which sequences are valid: they decode to a character other
// than the replacement character, or are that character's own bytes.
static LineEncoding expectedEncoding(const QByteArray &line)
{
    for (const char c : line) {
        const uchar u = uchar(c);
        if (u < 0x20 && u != '\t' && u != '\v' && u != '\f' && u != '\r' && u != 0x1B)
            return LineEncoding::Utf8;
    }
    if (line.contains("\xEF\xBF\xBD"))
        return LineEncoding::Utf8;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString decoded = utf8(line);
    for (const QChar c : decoded) {
        if (c.unicode() >= 0x80 && c != QChar::ReplacementCharacter)
            return LineEncoding::Utf8;
    }
    bool ascii = true;
    for (const char c : line)
        ascii = ascii && uchar(c) < 0x80;
    return ascii ? LineEncoding::Utf8 : LineEncoding::Windows1252;
}

void TestLineDecoding::rule_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("windows1252");
    QTest::addColumn<QString>("text"); // the line as read, when it is Windows-1252

    const auto row = [](const char *name, const QByteArray &line, bool windows1252,
                         const QString &text = QString()) {
        QTest::newRow(name) << line << windows1252 << text;
    };
    row("empty", "", false);
    row("ASCII", "plain text", false);
    row("valid UTF-8", "caf\xC3\xA9", false);
    row("letter", "Le caf\xE9 est chaud", true, u"Le café est chaud"_qs);
    row("quotes and euro sign", "un \x93mot\x94 \x80 5", true, u"un “mot” € 5"_qs);
    row("œuvre, apostrophe",
        "\x9C"
        "uvre d\x92"
        "art",
        true, u"œuvre d’art"_qs);
    row("undefined bytes", "\x81\x8D\x8F\x90\x9D", true, u"\u0081\u008d\u008f\u0090\u009d"_qs);
    row("tab, vertical tab, form feed, CR, escape", "\t\v\f\r\x1B\xE9", true,
        u"\t\v\f\r\x1b\u00e9"_qs);
    row("delete", "\x7F\xE9", true, u"\x7f\u00e9"_qs);
    row("NUL", QByteArray("caf\xE9\0", 5), false);
    row("control byte 0x01", "\x01\xE9", false);
    row("control byte 0x1F", "\xE9\x1F", false);
    row("valid sequence beside a damaged byte", "\xC3\xA9t\xE9", false);
    row("damaged byte before a valid sequence", "\xE9t\xC3\xA9", false);
    row("replacement character's own bytes", "\xEF\xBF\xBD\xE9", false);
    row("byte-order mark inside", "\xEF\xBB\xBF\xE9", false);
    row("four-byte sequence", "\xF0\x9F\x98\x80\xE9", false);
    row("overlong form", "\xC0\x80", true, u"\u00c0\u20ac"_qs);
    row("overlong three bytes", "\xE0\x80\x80", true, u"\u00e0\u20ac\u20ac"_qs);
    row("surrogate", "\xED\xA0\x80", true, u"\u00ed\u00a0\u20ac"_qs);
    row("above U+10FFFF", "\xF4\x90\x80\x80", true, u"\u00f4\u0090\u20ac\u20ac"_qs);
    row("sequence cut short", "\xE2\x82", true, u"\u00e2\u201a"_qs);
    row("lead byte then ASCII", "\xC3x", true, u"\u00c3x"_qs);
    row("long ASCII run, then the byte", QByteArray(37, 'a') + '\xE9', true,
        QString(37, u'a') + u'\u00e9');
}

void TestLineDecoding::rule()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, windows1252);
    QFETCH(QString, text);
    QCOMPARE(lineEncoding(line), expectedEncoding(line));
    QCOMPARE(lineEncoding(line) == LineEncoding::Windows1252, windows1252);
    if (windows1252)
        QCOMPARE(decodeWindows1252(line.constData(), line.size()), text);
}

// Alone, in ASCII, after a valid sequence and beside a binary control.
void TestLineDecoding::everyHighByte()
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        const QByteArray byte(1, char(b));
        for (const QByteArray &line : { byte, "a " + byte + " z", "\xC3\xA9" + byte,
                 byte + QByteArray(1, '\0'), byte + "\x1B" }) {
            if (lineEncoding(line) != expectedEncoding(line)) {
                qWarning("line %s", line.toHex(' ').constData());
                QCOMPARE(lineEncoding(line), expectedEncoding(line));
            }
        }
        QCOMPARE(lineEncoding(byte), LineEncoding::Windows1252);
    }
}

// Every pair, alone and between ASCII letters: only the valid two-byte sequences are UTF-8.
void TestLineDecoding::everyPairOfHighBytes()
{
    int utf8 = 0;
    for (int a = 0x80; a <= 0xFF; ++a) {
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QByteArray pair = QByteArray(1, char(a)) + char(b);
            for (const QByteArray &line : { pair, "x" + pair + "y", pair + pair }) {
                if (lineEncoding(line) != expectedEncoding(line)) {
                    qWarning("line %s", line.toHex(' ').constData());
                    QCOMPARE(lineEncoding(line), expectedEncoding(line));
                }
            }
            utf8 += lineEncoding(pair) == LineEncoding::Utf8;
        }
    }
    // C2-DF followed by 80-BF.
    QCOMPARE(utf8, 30 * 64);
}

// The mapping of each byte: Latin-1 but for the 27 characters at 0x80-0x9F, with the five
// undefined bytes as the C1 controls of the same value; against the toolkit's own
// Windows-1252 decoder where it has one.
void TestLineDecoding::mapping()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString decoded = decodeWindows1252(all.constData(), all.size());
    QCOMPARE(decoded.size(), 256);
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80 || b >= 0xA0)
            QCOMPARE(decoded.at(b).unicode(), char16_t(b));
    }
    QCOMPARE(decoded.mid(0x80, 4), u"€\u0081‚ƒ"_qs);
    QCOMPARE(decoded.mid(0x8C, 5), u"Œ\u008dŽ\u008f\u0090"_qs);
    QCOMPARE(decoded.mid(0x9C, 4), u"œ\u009džŸ"_qs);
    QStringDecoder system("windows-1252");
    if (!system.isValid())
        QSKIP("the toolkit has no Windows-1252 decoder here");
    QCOMPARE(decoded, QString(system(all)));
}

// The scan finds ignoring case a text's ASCII run in every line: that holds for
// Windows-1252 lines only if none of their characters folds to an ASCII letter.
void TestLineDecoding::noCharacterFoldsToAscii()
{
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char byte = char(b);
        const QString character = decodeWindows1252(&byte, 1);
        for (char16_t ascii = 0; ascii < 0x80; ++ascii) {
            if (character.compare(QString(QChar(ascii)), Qt::CaseInsensitive) == 0)
                QFAIL(qPrintable(QStringLiteral("byte %1 folds to %2").arg(b, 0, 16).arg(ascii)));
        }
    }
}

void TestLineDecoding::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: no Windows-1252 form

    QTest::newRow("ASCII") << u"abc"_qs << QByteArray("abc");
    QTest::newRow("Latin-1") << u"café\u00a0ÿ"_qs << QByteArray("caf\xE9\xA0\xFF");
    QTest::newRow("the 27") << u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"_qs
                            << QByteArray("\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
                                          "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E"
                                          "\x9F");
    QTest::newRow("undefined bytes") << u"\u0081\u009d"_qs << QByteArray("\x81\x9D");
    QTest::newRow("other C1 control") << u"a\u0080"_qs << QByteArray();
    QTest::newRow("Kelvin sign") << u"\u212a"_qs << QByteArray();
    QTest::newRow("long s") << u"\u017f"_qs << QByteArray();
    QTest::newRow("Polish letter") << u"ł"_qs << QByteArray();
    QTest::newRow("surrogate pair") << u"\U0001F600"_qs << QByteArray();
}

void TestLineDecoding::encoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QByteArray encoded = "unchanged";
    QCOMPARE(encodeWindows1252(text, &encoded), !bytes.isEmpty());
    if (bytes.isEmpty()) {
        QCOMPARE(encoded, QByteArray("unchanged"));
        return;
    }
    QCOMPARE(encoded, bytes);
    QCOMPARE(decodeWindows1252(encoded.constData(), encoded.size()), text);
}

QTEST_MAIN(TestLineDecoding)
#include "tst_linedecoding.moc"
