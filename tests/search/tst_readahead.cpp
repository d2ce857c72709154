#include "search/walk/folderlisting.h"
#include "search/walk/folderwalk.h"
#include "search/walk/prefetchlisting.h"
#include "search/run/searchrun.h"
#include "search/run/workerthread.h"
#include "search/scancases.h"
#include "support/filetree.h"
#include "support/foldertest.h"
#include "support/specialfiles.h"
#include "support/symlinks.h"

#include <QFile>
#include <QTest>

// The report as the log receives it, one entry a line.
class TextLog : public LogSink
{
public:
    void fileListTitle() override { entries.append(QStringLiteral("list:")); }
    void listedFile(const QString &path) override { entries.append("listed " + path); }
    void fileHeader(const QString &path) override { entries.append("file " + path); }
    void lineHeader(qsizetype index) override { entries.append("line " + QString::number(index)); }
    void contextLine(const QString &text) override { entries.append("text " + text); }
    QStringList entries;
};

struct RunResult
{
    QStringList log;
    SearchRun run;
    ReadAheadCounts counts;
};

static RunResult runWith(const QStringList &files, const ScanOptions &options,
    const ReadAheadLimits &ahead, const ScanLimits &limits = ScanLimits())
{
    RunResult result;
    TextLog log;
    result.run = runSearch(files, options, log, {}, nullptr, ahead, limits, &result.counts);
    result.log = log.entries;
    return result;
}

static ReadAheadLimits withWorkers(int workers, int batchFiles = 3, qint64 budget = 64 << 20)
{
    ReadAheadLimits ahead;
    ahead.workers = workers;
    ahead.firstWorkers = workers;
    ahead.batchFiles = batchFiles;
    ahead.handBackBytes = 4096;
    ahead.budget = budget;
    return ahead;
}

class TestReadAhead : public FolderTest
{
    Q_OBJECT

private slots:
    void sameReport_data();
    void sameReport();
    void stopsAtFileThatCannotBeOpened_data();
    void stopsAtFileThatCannotBeOpened();
    void filesBiggerThanBudget_data();
    void filesBiggerThanBudget();
    void noThreadLeft();
    void leasedFileWaitedFor();
    void foldersReadAhead_data();
    void foldersReadAhead();

private:
    // Generated files of every kind, in folders, with the search's text in many of them.
    QStringList generatedFiles(int count, quint32 seed);
};

QStringList TestReadAhead::generatedFiles(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QStringList files;
    const FileKind kinds[] = { FileKind::Text, FileKind::Mixed, FileKind::Wide, FileKind::LongLines,
        FileKind::PieceEdges, FileKind::BlockEdges, FileKind::Text, FileKind::Large };
    for (int i = 0; i < count; ++i) {
        const ScanCase scanCase = makeScanCase(kinds[i % 8], random);
        const QString path = dir().filePath(QStringLiteral("d%1/f%2.txt").arg(i / 10).arg(i));
        if (!writeFile(path, scanCase.bytes))
            return {};
        files.append(path);
    }
    return files;
}

static ScanOptions searchFor(const QString &text, int before = 2, int after = 1)
{
    ScanOptions options;
    options.text = text;
    options.before = before;
    options.after = after;
    return options;
}

// The report with workers is the report of the run's own scan, block for block, whatever
// the number of workers and however the files are handed out.
void TestReadAhead::sameReport_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("batchFiles");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("caseSensitive");
    QTest::newRow("1 worker, case ignored") << 1 << 3 << "so" << false;
    QTest::newRow("2 workers, case respected") << 2 << 1 << "a" << true;
    QTest::newRow("16 workers, case ignored") << 16 << 3 << "k" << false;
    QTest::newRow("16 workers, large batches") << 16 << 40 << "return" << false;
}

void TestReadAhead::sameReport()
{
    QFETCH(int, workers);
    QFETCH(int, batchFiles);
    QFETCH(QString, text);
    QFETCH(bool, caseSensitive);
    QStringList files = generatedFiles(120, 77);
    QVERIFY(!files.isEmpty());
    // Things that are not regular files, and links, among them: listed, never read.
    FifoFeeder feeder;
    QString why;
    const bool fifo = feeder.start(dir().filePath("fifo"), "x so a k in fifo\n", &why);
    if (fifo)
        files.insert(30, dir().filePath("fifo"));
    const QString device = endlessDevice();
    if (!device.isEmpty())
        files.insert(50, device);
    if (symbolicLinksMissing().isEmpty()) {
        QVERIFY(QFile::link(files.at(3), dir().filePath("file link")));
        files.insert(70, dir().filePath("file link"));
        if (fifo) {
            QVERIFY(QFile::link(dir().filePath("fifo"), dir().filePath("fifo link")));
            files.insert(71, dir().filePath("fifo link"));
        }
    }
    ScanOptions options = searchFor(text);
    options.caseSensitivity = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    ScanLimits limits;
    limits.readBlock = 4096;

    const RunResult reference = runWith(files, options, withWorkers(0), limits);
    const RunResult ahead = runWith(files, options, withWorkers(workers, batchFiles), limits);
    QVERIFY(reference.run.completed());
    QVERIFY2(reference.log.size() > 400, "the search should find many hits");
    QCOMPARE(reference.counts.workers, 0);
    QVERIFY2(ahead.counts.workers > 0, "the files should be read ahead");
    QCOMPARE(ahead.run.completed(), reference.run.completed());
    QCOMPARE(ahead.log, reference.log);
    QCOMPARE(feeder.readersSeen(), 0);
}

// The file that cannot be opened (gone since the list was made) stops the run where the
// list reaches it, however many files behind it were read ahead: nothing after it is
// written.
void TestReadAhead::stopsAtFileThatCannotBeOpened_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("missingAt");
    QTest::newRow("1 worker, first file") << 1 << 0;
    QTest::newRow("2 workers, in the middle") << 2 << 41;
    QTest::newRow("16 workers, in the middle") << 16 << 41;
    QTest::newRow("16 workers, last file") << 16 << 80;
}

void TestReadAhead::stopsAtFileThatCannotBeOpened()
{
    QFETCH(int, workers);
    QFETCH(int, missingAt);
    QStringList files;
    for (int i = 0; i < 80; ++i) {
        const QString path = dir().filePath(QStringLiteral("f%1.txt").arg(i, 3, 10, QChar('0')));
        QVERIFY(writeFile(path, "a\nso " + QByteArray::number(i) + "\nb\n"));
        files.append(path);
    }
    const QString missing = dir().filePath("gone.txt");
    files.insert(missingAt, missing);
    const ScanOptions options = searchFor("so", 1, 1);

    const RunResult reference = runWith(files, options, withWorkers(0));
    const RunResult ahead = runWith(files, options, withWorkers(workers, 2));
    QVERIFY(!reference.run.completed());
    QCOMPARE(reference.run.stopPath, missing);
    QCOMPARE(ahead.run.completed(), false);
    QCOMPARE(ahead.run.stopPath, missing);
    QVERIFY(ahead.counts.workers > 0);
    QCOMPARE(ahead.log, reference.log);
    // The last header is that of the file just before the missing one.
    const QString lastHeader = missingAt > 0 ? "file " + files.at(missingAt - 1) : QString();
    QStringList headers;
    for (const QString &entry : ahead.log) {
        if (entry.startsWith("file "))
            headers.append(entry);
    }
    QCOMPARE(headers.size(), missingAt);
    if (missingAt > 0)
        QCOMPARE(headers.last(), lastHeader);
}

// Files bigger than the budget, or whose hits would not fit in it, are scanned on the run's
// own thread; what is held ahead never goes beyond the budget.
void TestReadAhead::filesBiggerThanBudget_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<int>("before");
    QTest::newRow("2 workers, big files") << 2 << 0;
    QTest::newRow("16 workers, big files") << 16 << 0;
    QTest::newRow("16 workers, hits beyond the budget") << 16 << 99;
}

void TestReadAhead::filesBiggerThanBudget()
{
    QFETCH(int, workers);
    QFETCH(int, before);
    constexpr qint64 budget = 64 * 1024;
    QStringList files;
    int big = 0;
    for (int i = 0; i < 40; ++i) {
        QByteArray bytes;
        // Every fourth file is three times the budget; every file has hits near its end.
        const int lines = i % 4 == 0 ? 12000 : 40;
        if (i % 4 == 0)
            ++big;
        for (int line = 0; line < lines; ++line)
            bytes += "line " + QByteArray::number(line) + (line % 7 == 0 ? " so\n" : "\n");
        const QString path = dir().filePath(QStringLiteral("f%1.txt").arg(i, 2, 10, QChar('0')));
        QVERIFY(writeFile(path, bytes));
        files.append(path);
    }
    const ScanOptions options = searchFor("so", before, 0);

    const RunResult reference = runWith(files, options, withWorkers(0));
    const RunResult ahead = runWith(files, options, withWorkers(workers, 2, budget));
    QVERIFY(reference.run.completed());
    QCOMPARE(ahead.log, reference.log);
    QVERIFY(ahead.counts.workers > 0);
    QVERIFY2(ahead.counts.scannedHere >= big,
        qPrintable(QStringLiteral("%1 files scanned by the run").arg(ahead.counts.scannedHere)));
    QVERIFY2(ahead.counts.scannedHere < files.size(), "small files should be read ahead");
    QVERIFY2(ahead.counts.mostHeld <= budget,
        qPrintable(QStringLiteral("%1 bytes held ahead").arg(ahead.counts.mostHeld)));
    QVERIFY(ahead.counts.mostHeld > 0);
}

// Where the system gives no thread, the run scans every file itself.
void TestReadAhead::noThreadLeft()
{
    const QStringList files = generatedFiles(30, 5);
    QVERIFY(!files.isEmpty());
    const ScanOptions options = searchFor("so");
    const RunResult reference = runWith(files, options, withWorkers(0));
    refuseWorkerThreads(true);
    const RunResult refused = runWith(files, options, withWorkers(16));
    refuseWorkerThreads(false);
    QCOMPARE(refused.counts.workers, 0);
    QVERIFY(refused.run.completed());
    QCOMPARE(refused.log, reference.log);
}

// A worker that opens a file under another program's lease waits until it is given up,
// as the run's own open does.
void TestReadAhead::leasedFileWaitedFor()
{
#if defined(__SANITIZE_THREAD__)
    // The holder is a child forked from this program, whose signal the sanitizer's
    // runtime keeps from it: the lease would only end with the system's time-out.
    QSKIP("the lease holder does not answer under ThreadSanitizer");
#endif
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        const QString path = dir().filePath(QStringLiteral("f%1.txt").arg(i, 2, 10, QChar('0')));
        QVERIFY(writeFile(path, "a\nleased x " + QByteArray::number(i) + "\nb\n"));
        files.append(path);
    }
    LeaseHolder lease;
    QString why;
    if (!lease.start(files.at(7), &why))
        QSKIP(qPrintable(why));
    const ScanOptions options = searchFor("x", 1, 1);
    const RunResult ahead = runWith(files, options, withWorkers(4, 1));
    QVERIFY2(lease.broken(), "the worker should have waited for the lease to be given up");
    const RunResult reference = runWith(files, options, withWorkers(0));
    QVERIFY(ahead.run.completed());
    QCOMPARE(ahead.log, reference.log);
}

// The walk over folders read ahead lists what the walk over the system's own listing
// lists, in the same order, links and their cycles included.
void TestReadAhead::foldersReadAhead_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<bool>("links");
    QTest::newRow("1 worker") << 1 << false;
    QTest::newRow("2 workers, links") << 2 << true;
    QTest::newRow("16 workers, links") << 16 << true;
}

void TestReadAhead::foldersReadAhead()
{
    QFETCH(int, workers);
    QFETCH(bool, links);
    QRandomGenerator random(99);
    QStringList entries;
    // A tree a few levels deep, names in mixed case so that the order is QDir's.
    for (int i = 0; i < 60; ++i) {
        QString path;
        const int depth = 1 + int(random.bounded(4));
        for (int level = 0; level < depth; ++level)
            path += QStringLiteral("%1%2/").arg(random.bounded(2) ? "D" : "d").arg(random.bounded(3));
        entries.append(path);
        entries.append(path + QStringLiteral("File%1.txt").arg(i));
        entries.append(path + QStringLiteral("file%1b.TXT").arg(i));
    }
    QVERIFY(makeTree(dir().path(), entries));
    if (links) {
        if (!symbolicLinksMissing().isEmpty())
            QSKIP(qPrintable(symbolicLinksMissing()));
        QVERIFY(QFile::link(dir().path(), dir().filePath("d0/loop")));
        QVERIFY(QFile::link(dir().filePath("D1"), dir().filePath("d2/to D1")));
        QVERIFY(QFile::link(dir().filePath("nowhere"), dir().filePath("d1/broken")));
    }
    const QString root = dir().path() + '/';
    SystemListing system;
    QStringList expected, got;
    FolderWalk(system, QStringLiteral("*"), true).collect(root, expected);
    int hits = 0;
    {
        PrefetchListing listing(system, workers);
        QCOMPARE(listing.workers(), workers);
        FolderWalk(listing, QStringLiteral("*"), true).collect(root, got);
        hits = listing.readAheadHits();
    }
    QVERIFY(expected.size() > 100);
    QCOMPARE(got, expected);
    QVERIFY2(hits > 0, "some folders should have been read ahead");
}

QTEST_MAIN(TestReadAhead)
#include "tst_readahead.moc"
