#include "mainwindow/batchedlog.h"
#include "mainwindow/plainlog.h"
#include "search/scan/blockreader.h"
#include "search/changingsource.h"
#include "search/scan/linedecoding.h"
#include "search/literalscan.h"
#include "search/peakmemory.h"
#include "search/scancases.h"
#include "search/scan/scanfile.h"
#include "search/run/searchrun.h"
#include "support/filenames.h"
#include "support/filetree.h"
#include "support/logdescription.h"
#include "support/specialfiles.h"
#include "support/symlinks.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

// The fast scan against the reference scan, on hand-made and generated files.
class TestFastScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void handMade_data();
    void handMade();
    void generated_data();
    void generated();
    void lastEmptyLineAtPieceEdge();
    void sequenceCutByStreamPiece();
    void foldingLettersFound();
    void windows1252LinesAsWritten();
    void highBytes_data();
    void highBytes();
    void cannotOpen();
    void notRegularFiles_data();
    void notRegularFiles();
    void swappedAfterListing_data();
    void swappedAfterListing();
    void longLineMemoryBounded();
    void longHitLineBufferFitsFile();
    void scanStopsWhenSinkCannotHold_data();
    void scanStopsWhenSinkCannotHold();
    void fileUnderLease_data();
    void fileUnderLease();
    void fileChangedDuringScan_data();
    void fileChangedDuringScan();
    void sameLog();

private:
    QString scratchFile(const QByteArray &bytes);
    QStringList compareScans(const ScanCase &scanCase);

    QTemporaryDir dir;
    int fileCount = 0;
    int slipCount = 0;
    QRandomGenerator limitChoice { 1234 };
};

void TestFastScan::initTestCase()
{
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
}

QString TestFastScan::scratchFile(const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("f%1.txt").arg(++fileCount));
    if (!writeFile(path, bytes))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The fast scan must give the hits of the reference; where the toolkit's piecewise
// decoding slips (see sequenceCutByStreamPiece), those of the file decoded in one piece.
// It must do so as it reads in production, and also reading a few bytes at a time and
// keeping only short unfinished lines, so that lines and reads meet in every way; and so
// with each loop of the candidate search that this processor runs.
// Returns the hits that both gave.
QStringList TestFastScan::compareScans(const ScanCase &scanCase)
{
    const QString path = scratchFile(scanCase.bytes);
    HitRecorder literal, whole;
    ScanLimits limits;
    const qsizetype size = scanCase.bytes.size();
    const int scale = size <= 65536 ? 1 : size <= (1 << 20) ? 64 : 1024;
    limits.readBlock = limitChoice.bounded(1, 64) * scale;
    limits.longLine = limitChoice.bounded(1, 96) * scale;
    if (scanFileLiteral(path, scanCase.options, literal) != ScanStatus::Scanned) {
        [] { QFAIL("the reference could not read the file"); }();
        return {};
    }
    scanBytesWhole(scanCase.bytes, scanCase.options, whole);
    const bool slips = streamDecodingSlips(scanCase.bytes);
    slipCount += slips;
    const HitRecorder &expected = slips ? whole : literal;
    if (!slips && whole.hits != literal.hits) {
        qWarning(
            "whole-file model differs from the reference: %s", qPrintable(describeCase(scanCase)));
        [&] { QCOMPARE(whole.hits, literal.hits); }();
        return {};
    }
    const CandidateWidthChoice choice;
    for (const int width : candidateWidths()) {
        useCandidateWidth(width);
        HitRecorder fast, small;
        if (scanFile(path, scanCase.options, fast) != ScanStatus::Scanned
            || scanFile(path, scanCase.options, small, limits) != ScanStatus::Scanned) {
            [] { QFAIL("the scan could not read the file"); }();
            return {};
        }
        if (fast.hits != expected.hits) {
            qWarning("%d-byte loop: %s", width, qPrintable(describeCase(scanCase)));
            [&] { QCOMPARE(fast.hits, expected.hits); }();
            return {};
        }
        if (small.hits != expected.hits) {
            qWarning("%d-byte loop, reading %lld bytes at a time, keeping lines up to %lld bytes: "
                     "%s",
                width, qlonglong(limits.readBlock), qlonglong(limits.longLine),
                qPrintable(describeCase(scanCase)));
            [&] { QCOMPARE(small.hits, expected.hits); }();
            return {};
        }
    }
    QFile::remove(path);
    return expected.hits;
}

void TestFastScan::handMade_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");

    auto row = [](const char *name, const QByteArray &bytes, const QString &text,
                   bool caseSensitive = false, int before = 1, int after = 1) {
        QTest::newRow(name) << bytes << text << caseSensitive << before << after;
    };
    row("worked example", "alpha\n  beta x\ngamma x\ndelta\n", "x");
    row("empty file", "", "x");
    row("byte-order mark only", "\xEF\xBB\xBF", "x");
    row("carriage return only", "\r", "x");
    row("no final line end", "a\nb x", "x", false, 3, 3);
    row("CRLF", "a x\r\nb\r\nc x\r\n", "x", false, 1, 3);
    row("lone CR joins text", "pm_\rresume\n", "pm_resume");
    row("NUL bytes", QByteArray("a\0x\0\nb\n", 8), "x");
    row("NUL in the text", QByteArray("a\0x\nb\n", 6), QString(QChar(0)) + u'x');
    row("incomplete sequence at the end", "x\n\xE2\x82", "x", false, 0, 3);
    row("invalid sequences", "\xE2x\n\xC0\x80x\n\xED\xA0\x80x\n", "\uFFFDx", true, 0, 0);
    row("second byte-order mark kept", "\xEF\xBB\xBF\xEF\xBB\xBFx\n", "\uFEFFx", true);
    row("second byte-order mark kept, every line decoded", "\xEF\xBB\xBF\xEF\xBB\xBFx\n", "\uFEFF",
        false);
    row("blanks of every kind trimmed",
        "\xE3\x80\x80\t x \xC2\xA0\xE2\x80\xA8\n\xE2\x80\x8Bx\xE2\x80\x8B\n", " x", false, 0, 0);
    row("blank at the end of the text", "ab\nab c\n", "ab ", true, 0, 0);
    row("text of blanks", "a  b\n  \n", "  ", true, 0, 0);
    row("case ignored", "xABCx\nabc\n", "abc", false, 0, 0);
    row("case respected", "xABCx\nabc\n", "abc", true, 0, 0);
    row("non-ASCII text ignoring case", "\xC3\x89t\xC3\xA9\nete\n", "\u00e9T\u00c9", false, 0, 0);
    row("lone surrogate in the text", "\xF0\x90\x90\x80\n", QString(QChar(0xD801)), false, 0, 0);
    row("empty text", "a\n\nb", "", true, 1, 1);
    row("line break in the text", "a\nb\n", "a\nb", true);
    row("UTF-16LE", QByteArray("\xFF\xFEx\0\n\0y\0\r\0\n\0", 12), "y");
    row("UTF-16BE cut short", QByteArray("\xFE\xFF\0x\0\n\0y\0", 9), "y", false, 1, 1);
    row("UTF-32LE", QByteArray("\xFF\xFE\0\0x\0\0\0\n\0\0\0", 12), "x");
    row("UTF-32BE", QByteArray("\0\0\xFE\xFF\0\0\0x", 8), "X");
    row("context 99 clamped", "x\nb\nc\nx\n", "x", false, 99, 99);

    // Lines longer than the scan keeps unless a hit needs them.
    const auto huge = [](int mebibytes) { return QByteArray(mebibytes << 20, 'z'); };
    row("hit deep in a long line", huge(3) + "alpha" + huge(1) + "\nb\n", "alpha");
    row("window reaches back over a long line", "a\n" + huge(2) + "\nx alpha\nc\n", "alpha", false,
        2, 1);
    row("hit before a long line shows it", "alpha\n" + huge(2) + "\nc\n", "alpha", false, 0, 1);
    row("two long lines, then a hit reaching both", "a\n" + huge(2) + "\n" + huge(2) + "\nalpha\n",
        "alpha", false, 2, 0);
    row("two long lines, then a hit reaching the second",
        "a\n" + huge(2) + "\n" + huge(2) + "\nalpha\n", "alpha", false, 1, 0);
    row("long last line without line end", "a\n" + huge(2), "alpha", false, 1, 1);
    row("hit at the end of a long last line", "a\n" + huge(2) + "alpha", "alpha", false, 1, 1);
    row("lone CR deep in a long line", huge(2) + "pm_\rresume" + huge(1) + "\n", "pm_resume");
    row("folding letter deep in a long line", huge(2) + "\xE2\x84\xAA" + "\n", "k", false, 0, 0);
    row("CRLF after a long line", huge(2) + "\r\nalpha\r\n", "alpha", false, 1, 0);
    row("long line of blanks", QByteArray(2 << 20, ' ') + "\nalpha\n", "alpha", false, 1, 1);

    // Lines that are not UTF-8 and hold no UTF-8 character: Windows-1252.
    const QByteArray windows = "Le caf\xe9 est chaud\nun \x93mot\x94 \x80 5\n";
    row("Windows-1252, text with é", windows, u"café"_qs, true);
    row("Windows-1252, text in capitals, case ignored", windows, u"CAFÉ"_qs);
    row("Windows-1252, text in capitals, case respected", windows, u"CAFÉ"_qs, true);
    row("Windows-1252, quotes and euro sign", windows, u"“mot” €"_qs, true);
    row("Windows-1252, œuvre", "une \x9cuvre\nUNE \x8cUVRE\n", u"Œuvre"_qs, false, 0, 0);
    row("Windows-1252, apostrophe",
        "l\x92"
        "eau\n",
        u"’"_qs, true, 0, 0);
    row("Windows-1252, ASCII text", windows, u"mot"_qs, false, 1, 0);
    row("Windows-1252, no such character there", "\xe9\x82\n", u"ł"_qs, true);
    row("mixed lines", "caf\xc3\xa9\ncaf\xe9\nCAF\xc9\ncaf\xe9\x01\ncaf\xe9\x1b\n", u"café"_qs);
    row("UTF-8 line with a damaged byte", "\xc3\xa9t\xe9\n\xe9t\xe9\n", u"été"_qs, true, 0, 0);
    row("binary line", QByteArray("\xe9t\xe9\0\n\xe9t\xe9\n", 10), u"été"_qs, true, 0, 0);
    row("Windows-1252 after a byte-order mark", "\xEF\xBB\xBF\xe9t\xe9\n", u"été"_qs, true);
    row("Windows-1252 last line without line end", "a\n\xe9t\xe9", u"été"_qs, true);
    row("Windows-1252 joined by a lone CR", "caf\r\xe9\n", u"café"_qs, true);
    row("double CR", "caf\xe9\r\r\nx\n", u"café"_qs, true);
    row("Kelvin sign against a Windows-1252 k", "\xe9 k\n\xe9 K\n", u"\u212a"_qs, false, 0, 0);
    row("k against a Windows-1252 k", "\xe9 k\n\xe9 K\n", u"k"_qs, false, 0, 0);
    row("long s against a Windows-1252 s", "\xe9 s\n", u"\u017f"_qs, false, 0, 0);
    row("UTF-16 file keeps its decoding", QByteArray("\xFF\xFE\xe9\0\n\0", 6), u"é"_qs);
}

void TestFastScan::handMade()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, caseSensitive);
    QFETCH(int, before);
    QFETCH(int, after);
    ScanCase scanCase;
    scanCase.bytes = bytes;
    scanCase.options.text = text;
    scanCase.options.caseSensitivity = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    scanCase.options.before = before;
    scanCase.options.after = after;
    compareScans(scanCase);
}

void TestFastScan::generated_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("text") << int(FileKind::Text) << 400;
    QTest::newRow("mixed: invalid UTF-8, NUL, lone CR, odd blanks") << int(FileKind::Mixed) << 600;
    QTest::newRow("random bytes") << int(FileKind::RandomBytes) << 300;
    QTest::newRow("UTF-16 and UTF-32") << int(FileKind::Wide) << 300;
    QTest::newRow("lines longer than a read block") << int(FileKind::LongLines) << 12;
    QTest::newRow("lines too long to keep") << int(FileKind::HugeLines) << 24;
    QTest::newRow("several read blocks") << int(FileKind::Large) << 8;
    QTest::newRow("16 KiB piece edges") << int(FileKind::PieceEdges) << 200;
    QTest::newRow("vector block edges") << int(FileKind::BlockEdges) << 500;
    QTest::newRow("Windows-1252 and UTF-8 lines") << int(FileKind::Windows1252) << 1500;
}

void TestFastScan::generated()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QRandomGenerator random(quint32(kind) * 7919u + 17u);
    for (int i = 0; i < count; ++i) {
        compareScans(makeScanCase(FileKind(kind), random));
        if (QTest::currentTestFailed())
            return;
    }
}

// The stream reports one more, empty, line when a file ends in bytes that decode to
// nothing and that begin a new 16 KiB piece; the fast scan does too, so the window of a
// hit on the last line holds that line.
void TestFastScan::lastEmptyLineAtPieceEdge()
{
    // The last line feed is the last byte of the first piece; the CR starts the second.
    const QByteArray bytes = QByteArray(16377, 'a') + "\nxxxxx\n\r";
    QCOMPARE(bytes.indexOf("\r"), 16384);

    ScanCase scanCase;
    scanCase.bytes = bytes;
    scanCase.options.text = QStringLiteral("xxxxx");
    scanCase.options.before = 0;
    scanCase.options.after = 3;
    HitRecorder fast;
    scanFile(scratchFile(bytes), scanCase.options, fast);
    QCOMPARE(fast.hits, QStringList { QStringLiteral("line 1 from 1: xxxxx | ") });
    compareScans(scanCase);
}

// A toolkit fault that the scan does not copy: when an invalid UTF-8 sequence straddles
// the text stream's internal 16 KiB read boundary, the stream's decoder loses the byte
// that follows it (here the line feed, which would join two lines). The scan reads line
// by line, and a UTF-8 line (its é tells) with a damaged sequence at its end keeps it as a
// replacement character, whatever the piece boundaries.
void TestFastScan::sequenceCutByStreamPiece()
{
    QByteArray bytes = "\xC3\xA9" + QByteArray(16381, 'a');
    bytes += "\xE2\nneedle\n";
    QCOMPARE(bytes.indexOf('\n'), 16384);
    const QString path = scratchFile(bytes);
    ScanOptions options;
    options.text = QStringLiteral("needle");
    options.before = 1;
    options.after = 0;

    HitRecorder fast, literal;
    scanFile(path, options, fast);
    scanFileLiteral(path, options, literal);
    const QString expected = QStringLiteral("line 1 from 0: \u00e9") + QString(16381, u'a')
        + QChar::ReplacementCharacter + QStringLiteral(" | needle");
    QCOMPARE(fast.hits, QStringList { expected });
    QCOMPARE(literal.hits, fast.hits);
}

// Under the toolkit's case folding U+212A KELVIN SIGN matches k and U+017F LONG S
// matches s, although the byte search looks for ASCII letters.
void TestFastScan::foldingLettersFound()
{
    ScanOptions options;
    options.text = QStringLiteral("kiss");
    options.before = options.after = 0;
    HitRecorder fast;
    scanFile(scratchFile("a\n\xE2\x84\xAAi\xC5\xBFs\nb\n"), options, fast);
    QCOMPARE(fast.hits, QStringList { QStringLiteral("line 1 from 1: \u212Ai\u017Fs") });
    options.caseSensitivity = Qt::CaseSensitive;
    HitRecorder respected;
    scanFile(scratchFile("a\n\xE2\x84\xAAi\xC5\xBFs\nb\n"), options, respected);
    QVERIFY(respected.hits.isEmpty());
}

// The report shows a Windows-1252 line as it was written; a UTF-8 line beside it too.
void TestFastScan::windows1252LinesAsWritten()
{
    ScanOptions options;
    options.text = QStringLiteral("mot");
    options.before = 1;
    options.after = 1;
    const QString path
        = scratchFile("Le caf\xe9 est chaud\nun \x93mot\x94 \x80 5\n\xc3\xa9t\xc3\xa9\n");
    HitRecorder fast;
    QCOMPARE(scanFile(path, options, fast), ScanStatus::Scanned);
    QCOMPARE(fast.hits,
        QStringList { QStringLiteral("line 1 from 0: Le café est chaud | un “mot” € 5 | été") });
    options.text = QStringLiteral("CAFÉ");
    HitRecorder ignoringCase;
    QCOMPARE(scanFile(path, options, ignoringCase), ScanStatus::Scanned);
    QCOMPARE(ignoringCase.hits.size(), 1);
}

void TestFastScan::highBytes_data()
{
    QTest::addColumn<QByteArray>("layout"); // '@' stands for the bytes
    QTest::addColumn<bool>("pairs");

    QTest::newRow("each byte alone") << QByteArray("@") << false;
    QTest::newRow("between letters") << QByteArray("ab@cd") << false;
    QTest::newRow("after a lone CR") << QByteArray("a\r@") << false;
    QTest::newRow("before escape") << QByteArray("@\x1b") << false;
    QTest::newRow("after a binary control") << QByteArray("\x02@") << false;
    QTest::newRow("each pair") << QByteArray("@") << true;
}

// A file of one line per byte 0x80-0xFF (or per pair of them) in the same place, searched
// for the character that each byte stands for in Windows-1252, with both case rules. Where
// the lines are Windows-1252, every character is found.
void TestFastScan::highBytes()
{
    QFETCH(QByteArray, layout);
    QFETCH(bool, pairs);
    QByteArray bytes;
    for (int a = 0x80; a <= 0xFF; ++a) {
        for (int b = pairs ? 0x80 : 0; b <= (pairs ? 0xFF : 0); ++b) {
            QByteArray line = layout;
            line.replace('@', pairs ? QByteArray(1, char(a)) + char(b) : QByteArray(1, char(a)));
            bytes += line + '\n';
        }
    }
    // A no-break space is a blank: trimmed away unless letters stand around it.
    const bool windows1252 = !layout.contains('\x02');
    const bool blanksKept = layout == "ab@cd";
    for (int c = 0x80; c <= 0xFF; ++c) {
        const char byte = char(c);
        for (const Qt::CaseSensitivity sensitivity : { Qt::CaseSensitive, Qt::CaseInsensitive }) {
            ScanCase scanCase;
            scanCase.bytes = bytes;
            scanCase.options.text = decodeWindows1252(&byte, 1);
            scanCase.options.caseSensitivity = sensitivity;
            scanCase.options.before = scanCase.options.after = 0;
            const QStringList hits = compareScans(scanCase);
            if (QTest::currentTestFailed())
                return;
            const bool blank = scanCase.options.text.at(0).isSpace();
            if (windows1252 && (blanksKept || !blank) && hits.isEmpty())
                QFAIL(qPrintable(QStringLiteral("byte %1 not found").arg(c, 0, 16)));
            if (!windows1252 && !hits.isEmpty())
                QFAIL(qPrintable(QStringLiteral("byte %1 found in binary lines").arg(c, 0, 16)));
        }
    }
}

void TestFastScan::cannotOpen()
{
    HitRecorder fast;
    ScanOptions options;
    options.text = QStringLiteral("x");
    const QString missing = dir.filePath(QStringLiteral("missing"));
    QCOMPARE(scanFile(missing, options, fast), ScanStatus::CannotOpen);
    QCOMPARE(scanFileLiteral(missing, options, fast), ScanStatus::CannotOpen);
    // A link whose target is gone is as missing.
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    const QString broken = dir.filePath(QStringLiteral("broken link"));
    QVERIFY(QFile::link(missing, broken));
    QCOMPARE(scanFile(broken, options, fast), ScanStatus::CannotOpen);
    QVERIFY(fast.hits.isEmpty());
}

void TestFastScan::notRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("throughLink");

    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("link to a FIFO") << "fifo" << true;
    QTest::newRow("link to a device without end") << "device" << true;
    QTest::newRow("folder") << "folder" << false;
}

// Anything but a regular file is left unopened and has no hits: a FIFO would wait for a
// writer, a device may never end. The FIFO here answers anyone who opens it with a hit.
void TestFastScan::notRegularFiles()
{
    QFETCH(QString, kind);
    QFETCH(bool, throughLink);

    QTemporaryDir scratch;
    QVERIFY2(scratch.isValid(), qPrintable(scratch.errorString()));
    FifoFeeder feeder;
    QString target;
    if (kind == QLatin1String("fifo")) {
        target = scratch.filePath(QStringLiteral("fifo"));
        QString why;
        if (!feeder.start(target, "x marks a hit\n", &why))
            QSKIP(qPrintable(why));
    } else if (kind == QLatin1String("device")) {
        target = endlessDevice();
        if (target.isEmpty())
            QSKIP("no device without end here");
    } else {
        target = scratch.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(target));
    }
    QString path = target;
    if (throughLink) {
        path = scratch.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(target, path));
    }

    ScanOptions options;
    options.text = QStringLiteral("x");
    HitRecorder fast, literal;
    QCOMPARE(scanFile(path, options, fast), ScanStatus::NotRegular);
    QCOMPARE(scanFileLiteral(path, options, literal), ScanStatus::NotRegular);
    QCOMPARE(feeder.readersSeen(), 0);
    QVERIFY(fast.hits.isEmpty());
    QVERIFY(literal.hits.isEmpty());

    // As a file of the search's list, which holds such files only behind links.
    HitRecorder listed;
    QCOMPARE(FileScanner(options).scan(path, listed, true), ScanStatus::NotRegular);
    QCOMPARE(feeder.readersSeen(), 0);
    QVERIFY(listed.hits.isEmpty());
}

void TestFastScan::swappedAfterListing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("socket") << "socket";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("device") << "device";
    QTest::newRow("folder") << "folder";
}

// A file of the list may be replaced by anything between the reading of its folder and its
// opening. Whatever took its place is left unopened and has no hits, as a FIFO of the list
// would be: a socket does not stop the search, and a device is never opened, since opening
// one can have effects of its own.
void TestFastScan::swappedAfterListing()
{
    QFETCH(QString, kind);

    QTemporaryDir scratch;
    QVERIFY2(scratch.isValid(), qPrintable(scratch.errorString()));
    const QString path = scratch.filePath(QStringLiteral("listed.txt"));
    QString why = QStringLiteral("no FIFO here");
    const bool made = kind == QLatin1String("socket") ? makeSocket(path, &why)
        : kind == QLatin1String("fifo")              ? makeFifo(path)
        : kind == QLatin1String("device")            ? makeNullDevice(path, &why)
                                                     : QDir().mkdir(path);
    if (!made)
        QSKIP(qPrintable(why));
    OpenWatch watch;
    const bool watching = watch.start(path, &why);

    ScanOptions options;
    options.text = QStringLiteral("x");
    HitRecorder listed;
    QCOMPARE(FileScanner(options).scan(path, listed, true), ScanStatus::NotRegular);
    QVERIFY(listed.hits.isEmpty());
    if (!watching)
        QSKIP(qPrintable(why));
    QCOMPARE(watch.opens(), 0);
}

// Another program's lease on a file delays its opening; it never makes the file unreadable.
void TestFastScan::fileUnderLease_data()
{
    QTest::addColumn<bool>("listed");
    QTest::newRow("any path") << false;
    QTest::newRow("a file of the list") << true;
}

void TestFastScan::fileUnderLease()
{
    QFETCH(bool, listed);
    const QString path = scratchFile("a\nleased x\nb\n");
    LeaseHolder lease;
    QString why;
    if (!lease.start(path, &why))
        QSKIP(qPrintable(why));
    ScanOptions options;
    options.text = QStringLiteral("x");
    HitRecorder fast;
    QCOMPARE(FileScanner(options).scan(path, fast, listed), ScanStatus::Scanned);
    QCOMPARE(fast.hits, QStringList { QStringLiteral("line 1 from 0: a | leased x | b") });
    QVERIFY2(lease.broken(), "the scan should have waited for the lease to be given up");
}

// A file of one long line without the text: the scan keeps only a small part of it at a
// time, however long the line.
void TestFastScan::longLineMemoryBounded()
{
    const qint64 lineLength = qint64(48) << 20;
    const QString path = dir.filePath(QStringLiteral("one line.txt"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray chunk(1 << 20, 'z');
        for (qint64 written = 0; written < lineLength; written += chunk.size())
            QVERIFY(file.write(chunk) == chunk.size());
        QVERIFY(file.write("\n") == 1);
    }
    if (!resetPeakMemory())
        QSKIP("the peak memory cannot be measured here");
    const qint64 base = peakMemory();

    ScanOptions options;
    options.text = QStringLiteral("alpha");
    HitRecorder fast;
    QCOMPARE(scanFile(path, options, fast), ScanStatus::Scanned);
    const qint64 growth = peakMemory() - base;
    QVERIFY(fast.hits.isEmpty());
    QVERIFY2(growth < lineLength / 4,
        qPrintable(QStringLiteral("peak memory grew by %1 MiB").arg(growth >> 20)));
    QFile::remove(path);
}

// A line that holds the text is kept whole while it is read: the buffer grows to what the
// file holds, not by doubling beyond it (a file of one line of 1 GiB would cost 2 GiB).
void TestFastScan::longHitLineBufferFitsFile()
{
    QByteArray bytes((5 << 20) + 12345, 'z');
    bytes.replace(bytes.size() / 2, 5, "alpha");
    bytes.back() = '\n';
    ChangingSource source(bytes, bytes);
    std::vector<char> buffer;
    BlockReader reader(source, buffer, 256 * 1024);
    while (!reader.atEnd())
        reader.fill();
    QCOMPARE(reader.size(), bytes.size());
    QVERIFY2(
        buffer.capacity() <= size_t(bytes.size()), qPrintable(QString::number(buffer.capacity())));
}

// A sink that takes hits while the scan holds at most `most` bytes.
class HoldingSink : public HitRecorder
{
public:
    explicit HoldingSink(qint64 most)
        : most(most)
    { }
    bool goesOn(qint64 heldBytes) override
    {
        largest = std::max(largest, heldBytes);
        return heldBytes <= most;
    }
    qint64 most;
    qint64 largest = 0;
};

void TestFastScan::scanStopsWhenSinkCannotHold_data()
{
    QTest::addColumn<QByteArray>("bytes");

    // Searched as it comes and dropped, then read again for the text at its end.
    QByteArray line = "a first alpha\n" + QByteArray(4 << 20, 'z') + " alpha\nlast alpha\n";
    QTest::newRow("UTF-8: a long line with the text at its end") << line;
    // Kept whole from the start, the text being in its first block.
    QTest::newRow("UTF-8: a long line with the text at its start")
        << "a first alpha\nalpha " + QByteArray(4 << 20, 'z') + "\nlast alpha\n";
    const QString text = QString::fromLatin1(line);
    QByteArray wide("\xFF\xFE");
    wide.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QTest::newRow("UTF-16: any long line") << wide;
}

// The scan asks before each read: refused, it stops there, the hits it found before
// reported, none after.
void TestFastScan::scanStopsWhenSinkCannotHold()
{
    QFETCH(QByteArray, bytes);
    ChangingSource source(bytes, bytes);
    ScanOptions options;
    options.text = QStringLiteral("alpha");
    options.before = options.after = 0;
    HoldingSink sink(1 << 20);
    FileScanner(options).scan(source, sink);
    QCOMPARE(sink.hits, QStringList { QStringLiteral("line 0 from 0: a first alpha") });
    QVERIFY(sink.largest > sink.most);

    // Allowed to hold it all, the scan reports every hit.
    ChangingSource again(bytes, bytes);
    HoldingSink all(bytes.size() + 1);
    FileScanner(options).scan(again, all);
    QCOMPARE(all.hits.size(), 3);
}

void TestFastScan::fileChangedDuringScan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<int>("before");
    QTest::addColumn<bool>("sameLines");

    // A long line without the text, then a hit whose window reaches back over it; and a
    // long line that holds the text at its very end. The scan drops the long line and
    // reads it again, with the lines before it, when it turns out to be needed.
    const QByteArray longLine(300, 'z');
    const QByteArray windowOverIt = "s0\ns1\n" + longLine + "\nx here\nend\n";
    const QByteArray hitAtItsEnd = "s0\ns1\n" + longLine + "x\nend x\n";
    for (const QByteArray &bytes : { windowOverIt, hitAtItsEnd }) {
        const char *layout = bytes == windowOverIt ? "window over a long line" : "hit at its end";
        QByteArray joined = bytes;
        joined[2] = joined[5] = ' ';
        QByteArray split = bytes;
        for (int at = 10; at < 300; at += 7)
            split[at] = '\n';
        const QByteArray longer = bytes + QByteArray(1000, '\n') + "x\n";
        for (const int before : { 1, 3, 99 }) {
            auto row = [&](const char *change, const QByteArray &changed, bool sameLines) {
                QTest::addRow("%s, %s, %d before", layout, change, before)
                    << bytes << changed << before << sameLines;
            };
            row("unchanged", bytes, true);
            row("line feeds gone", joined, true);
            row("line feeds added", split, false);
            row("cut short", bytes.left(4), false);
            row("emptied", QByteArray(), false);
            row("grown", longer, true);
        }
    }
}

// A file rewritten or cut short while it is scanned gives a report of what was read at
// each moment, with the lines where they were when they were first read: never a crash
// or a read outside the buffer (the sanitizer build watches for those).
void TestFastScan::fileChangedDuringScan()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, changed);
    QFETCH(int, before);
    QFETCH(bool, sameLines);

    ScanOptions options;
    options.text = QStringLiteral("x");
    options.before = before;
    options.after = 1;
    ScanLimits limits;
    limits.readBlock = 16;
    limits.longLine = 8;
    HitRecorder unchanged, got;
    ChangingSource steady(bytes, bytes);
    FileScanner(options, limits).scan(steady, unchanged);
    ChangingSource source(bytes, changed);
    FileScanner(options, limits).scan(source, got);
    QVERIFY2(source.changed(), "the scan should read the long line's bytes again");

    QCOMPARE(got.hits.size(), unchanged.hits.size());
    if (sameLines)
        QCOMPARE(got.hits, unchanged.hits);
    else
        QVERIFY(got.hits != unchanged.hits);
}

// What a log holds: each block's text and the formats of its fragments, in order.
// The whole report of a search over generated files, written by the fast scan into a
// batched log and by the reference scan into the log one append at a time: the same log.
void TestFastScan::sameLog()
{
    QTemporaryDir tree;
    QVERIFY2(tree.isValid(), qPrintable(tree.errorString()));
    QRandomGenerator random(4242);
    QStringList paths;
    ScanOptions options;
    options.text = QStringLiteral("so");
    options.before = 2;
    options.after = 1;
    for (int i = 0; i < 24; ++i) {
        const ScanCase scanCase = makeScanCase(i % 3 ? FileKind::Text : FileKind::Mixed, random);
        // Paths with markup characters and runs of blanks too.
        const QString path
            = tree.filePath(fileNameHere(QStringLiteral("f%1 <&>  \"%2\".txt").arg(i).arg(i % 4)));
        QVERIFY(writeFile(path, scanCase.bytes));
        paths.append(path);
    }

    QPlainTextEdit direct, batched;
    for (QPlainTextEdit *edit : { &direct, &batched }) {
        edit->setReadOnly(true);
        edit->resize(500, 300);
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit));
    }
    PlainLog directLog(&direct);
    BatchedLog batchedLog(&batched);
    QVERIFY(runSearch(paths, literalScan(options), directLog, {}).completed());
    QVERIFY(runSearch(paths, options, batchedLog, {}).completed());
    QVERIFY2(direct.document()->blockCount() > 100, "the search should write a long report");
    QCOMPARE(describeLog(batched), describeLog(direct));
    QCOMPARE(batched.toPlainText(), direct.toPlainText());
    QCOMPARE(batched.verticalScrollBar()->value(), batched.verticalScrollBar()->maximum());
}

QTEST_MAIN(TestFastScan)
#include "tst_fastscan.moc"
