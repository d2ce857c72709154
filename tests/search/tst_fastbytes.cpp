#include "search/bytesearch/fastbytes.h"
#include "search/scancases.h"

#include <QTest>

#include <algorithm>
#include <memory>

namespace {

// A search of the candidate finder, and the plain statement of what it must find.
struct FinderCase
{
    QByteArray anchor;
    bool caseless = false;
    bool kelvin = false;
    bool longS = false;
    QByteArray other; // a second anchor
    QByteArray folds, otherFolds; // bits of each byte that may differ, when not empty

    // The bytes at `at` equal values, but for the bits of folds.
    static bool foldedAt(const char *data, qsizetype at, qsizetype end, const QByteArray &values,
        const QByteArray &folds)
    {
        if (values.isEmpty() || at + values.size() > end)
            return false;
        for (qsizetype i = 0; i < values.size(); ++i) {
            const uchar mask = folds.isEmpty() ? 0 : uchar(folds[i]);
            if ((uchar(data[at + i]) & ~mask) != (uchar(values[i]) & ~mask))
                return false;
        }
        return true;
    }

    bool otherAt(const char *data, qsizetype at, qsizetype end) const
    {
        return foldedAt(data, at, end, other, otherFolds);
    }

    bool anchorAt(const char *data, qsizetype at, qsizetype end) const
    {
        if (!folds.isEmpty())
            return foldedAt(data, at, end, anchor, folds);
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (at + anchor.size() > end)
            return false;
        for (qsizetype i = 0; i < anchor.size(); ++i) {
            const char c = data[at + i];
            if (caseless ? lower(c) != lower(anchor[i]) : c != anchor[i])
                return false;
        }
        return true;
    }

    // The first place of [from, to) where the anchor or a byte that may hide it is, the
    // line feeds before it added to *newlines.
    qsizetype expected(
        const char *data, qsizetype from, qsizetype to, qsizetype end, qsizetype *newlines) const
    {
        const QByteArrayView bytes(data, end);
        for (qsizetype at = from; at < to; ++at) {
            const QByteArrayView rest = bytes.sliced(at);
            if ((rest.startsWith("\r") && !rest.startsWith("\r\n"))
                || (kelvin && rest.startsWith("\xE2\x84\xAA"))
                || (longS && rest.startsWith("\xC5\xBF")) || anchorAt(data, at, end)
                || otherAt(data, at, end))
                return at;
            *newlines += data[at] == '\n';
        }
        return -1;
    }
};

// The data in a block of exactly its size, so that the sanitizers see any read past it.
std::unique_ptr<char[]> exactCopy(const QByteArray &bytes)
{
    std::unique_ptr<char[]> copy(new char[size_t(bytes.size())]);
    std::copy(bytes.cbegin(), bytes.cend(), copy.get());
    return copy;
}

} // namespace

// The candidate finder alone, with each loop this processor runs, against the plain
// statement of what it finds: the edges of its blocks, of the data and of the range.
class TestFastBytes : public QObject
{
    Q_OBJECT

private slots:
    void loopsOfThisProcessor();
    void edges_data();
    void edges();
    void manyLineFeeds();

private:
    void compareFinds(const FinderCase &search, const QByteArray &bytes, qsizetype from,
        qsizetype to, const char *what);
};

// Each search walks the range as the scan does: from one candidate to the next, on every
// loop, and must stop at the same places with the same line feeds counted.
void TestFastBytes::compareFinds(const FinderCase &search, const QByteArray &bytes, qsizetype from,
    qsizetype to, const char *what)
{
    const std::unique_ptr<char[]> data = exactCopy(bytes);
    const qsizetype end = bytes.size();
    const CandidateWidthChoice choice;
    for (const int width : candidateWidths()) {
        useCandidateWidth(width);
        const CandidateFinder finder(search.anchor, search.caseless, search.kelvin, search.longS,
            search.other, search.folds, search.otherFolds);
        for (qsizetype pos = from; pos <= to;) {
            qsizetype newlines = 0, expectedNewlines = 0;
            const qsizetype found = finder.find(data.get(), pos, to, end, &newlines);
            const qsizetype wanted = search.expected(data.get(), pos, to, end, &expectedNewlines);
            if (found != wanted || newlines != expectedNewlines) {
                qWarning("%d-byte loop, %s: anchor \"%s\"%s, range [%lld, %lld) of %lld bytes",
                    width, what, search.anchor.toHex(' ').constData(),
                    search.caseless ? " ignoring case" : "", qlonglong(pos), qlonglong(to),
                    qlonglong(end));
                QCOMPARE(found, wanted);
                QCOMPARE(newlines, expectedNewlines);
            }
            if (found < 0)
                break;
            pos = found + 1;
        }
    }
}

// Every loop, or only SSE2, as the build machine's processor says (the tests run where
// they are built, the Windows ones under Wine): the program must see AVX2 where it is.
void TestFastBytes::loopsOfThisProcessor()
{
    const std::vector<int> found = candidateWidths();
    const QList<int> widths(found.cbegin(), found.cend());
    QStringList names;
    for (const int width : widths)
        names.append(QString::number(width));
    qInfo("candidate search loops of %s bytes", qPrintable(names.join(QLatin1String(", "))));
    const QByteArray hasAvx2 = qgetenv("MORL_HOST_HAS_AVX2");
    if (hasAvx2.isEmpty())
        QSKIP("the build machine's processor is not known here");
    const QList<int> expected = hasAvx2 == "1" ? QList<int> { 0, 16, 32 } : QList<int> { 0, 16 };
    QCOMPARE(widths, expected);
}

void TestFastBytes::edges_data()
{
    QTest::addColumn<QByteArray>("piece");
    QTest::addColumn<QByteArray>("anchor");
    QTest::addColumn<bool>("caseless");
    QTest::addColumn<QByteArray>("other");
    QTest::addColumn<QByteArray>("folds");
    QTest::addColumn<QByteArray>("otherFolds");

    const auto row
        = [](const char *name, const QByteArray &piece, const QByteArray &anchor, bool caseless,
              const QByteArray &other = QByteArray(), const QByteArray &folds = QByteArray(),
              const QByteArray &otherFolds = QByteArray()) {
              QTest::newRow(name) << piece << anchor << caseless << other << folds << otherFolds;
          };
    row("anchor of one byte", "q", "q", false);
    row("anchor of two bytes", "qx", "qx", false);
    row("anchor in the other case", "QxJ", "qXj", true);
    row("long anchor", QByteArray(40, 'q') + 'j', QByteArray(40, 'q') + 'j', false);
    row("lone CR", "\r", "j", false);
    row("CR LF", "\r\n", "j", false);
    row("kelvin sign", "\xE2\x84\xAA", "k", true);
    row("cut kelvin sign", "\xE2\x84", "k", true);
    row("long s", "\xC5\xBF", "s", true);
    // The text in UTF-8 and in Windows-1252: either form is a candidate.
    row("first of two anchors", "caf\xC3\xA9", "caf\xC3\xA9", false, "caf\xE9");
    row("second of two anchors", "caf\xE9", "caf\xC3\xA9", false, "caf\xE9");
    row("second anchor of one byte", "\x80", "\xE2\x82\xAC", false, "\x80");
    row("second anchor cut short", "caf", "caf\xC3\xA9", false, "caf\xE9");
    row("lone CR with two anchors", "\r", "\xC3\xA9t\xC3\xA9", false, "\xE9t\xE9");
    // été ignoring case, with the bits in which the case forms of its bytes differ.
    const QByteArray utf8Folds("\0\x20\x20\0\x20", 5), windowsFolds("\x20\x20\x20");
    row("folded anchor, capitals", "\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, "\xE9t\xE9",
        utf8Folds, windowsFolds);
    row("folded anchor, mixed case", "\xC3\xA9T\xC3\x89", "\xC3\xA9t\xC3\xA9", false, "\xE9t\xE9",
        utf8Folds, windowsFolds);
    row("folded second anchor, capitals", "\xC9T\xC9", "\xC3\xA9t\xC3\xA9", false, "\xE9t\xE9",
        utf8Folds, windowsFolds);
    row("folded anchor, another byte", "\xC3\xA8t\xC3\xA9", "\xC3\xA9t\xC3\xA9", false, "\xE9t\xE9",
        utf8Folds, windowsFolds);
}

// The piece at each place around the first blocks, after line feeds that the search
// counts across blocks, with the data ending at it or a few bytes after it, and the range
// ending at the data's end or before it.
void TestFastBytes::edges()
{
    QFETCH(QByteArray, piece);
    QFETCH(QByteArray, anchor);
    QFETCH(bool, caseless);
    QFETCH(QByteArray, other);
    QFETCH(QByteArray, folds);
    QFETCH(QByteArray, otherFolds);
    const FinderCase search { anchor, caseless, caseless, caseless, other, folds, otherFolds };
    for (int at = 0; at <= 100; ++at) {
        for (int tail = 0; tail <= 3; ++tail) {
            QByteArray bytes(at, 'z');
            for (int i = 2; i < at; i += 3)
                bytes[i] = '\n';
            bytes += piece + QByteArray(tail, 'z');
            for (qsizetype cut = 0; cut <= 2 && cut < bytes.size(); ++cut) {
                compareFinds(search, bytes, 0, bytes.size() - cut, "piece at its place");
                compareFinds(search, bytes, 1, bytes.size() - cut, "range from the second byte");
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }
}

// Data without a candidate, longer than a loop can count in its per-byte counters before
// it sums them.
void TestFastBytes::manyLineFeeds()
{
    const FinderCase search { "alpha", true, true, true, {}, {}, {} };
    compareFinds(search, QByteArray(300000, '\n'), 0, 300000, "line feeds only");
    compareFinds(search, QByteArray(300000, '\n') + "alpha", 7, 300005, "then the anchor");
}

QTEST_MAIN(TestFastBytes)
#include "tst_fastbytes.moc"
