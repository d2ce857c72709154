#include "mainwindow/plainlog.h"
#include "search/walk/collectfiles.h"
#include "search/literalscan.h"
#include "search/run/progresspacer.h"
#include "search/scancases.h"
#include "search/run/searchrun.h"
#include "support/dialogwatcher.h"
#include "support/filenames.h"
#include "support/filetree.h"
#include "support/logdescription.h"
#include "support/windowdriver.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

// The whole search through the real window against the plain statement of the search:
// collect, list every path, then scan each file line by line through a text stream and
// append each entry to the log one by one. Both logs must be the same, block for block.
class TestWindowSearch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameLogAsReference_data();
    void sameLogAsReference();
    void progressPacedByTime_data();
    void progressPacedByTime();

private:
    QTemporaryDir tree;
};

void TestWindowSearch::initTestCase()
{
    QVERIFY2(tree.isValid(), qPrintable(tree.errorString()));
    // A small tree of generated files: plain and mixed text, UTF-16/32, random bytes, some
    // in sub-folders, with names that need escaping.
    QRandomGenerator random(20261207);
    const FileKind kinds[] = { FileKind::Text, FileKind::Mixed, FileKind::Wide,
        FileKind::RandomBytes, FileKind::Text };
    const QStringList folders = { "", "sub/", "sub/deeper/", fileNameHere("Autre  <b>/") };
    for (int i = 0; i < 40; ++i) {
        const QString name = QStringLiteral("%1%2 f&%3.%4")
                                 .arg(folders.at(i % folders.size()))
                                 .arg(i % 7 ? "" : ".")
                                 .arg(i)
                                 .arg(i % 3 ? "txt" : "log");
        QVERIFY(writeFile(tree.filePath(name), makeScanCase(kinds[i % 5], random).bytes));
    }
}

void TestWindowSearch::sameLogAsReference_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sensitive");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("recurse");
    QTest::addColumn<QString>("filter");

    QTest::newRow("common letter, case ignored, 1/1, tree")
        << "e" << false << 1 << 1 << true << "*.*;*;*.;.*";
    QTest::newRow("word, case respected, 0/0") << "so" << true << 0 << 0 << true << "*";
    QTest::newRow("folding letter, 3/2, top folder only")
        << "K" << false << 3 << 2 << false << "*.*;*;*.;.*";
    QTest::newRow("blank at the start, 99/99") << " a" << false << 99 << 99 << true << "*.txt";
    QTest::newRow("non-ASCII, case ignored") << "É" << false << 1 << 2 << true << "*.LOG;*.txt";
    QTest::newRow("no hit") << "zzqqzz" << false << 1 << 1 << true << "*";
}

void TestWindowSearch::sameLogAsReference()
{
    QFETCH(QString, text);
    QFETCH(bool, sensitive);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, recurse);
    QFETCH(QString, filter);

    WindowDriver driver;
    QVERIFY(driver.open());
    QPlainTextEdit *log = driver.log();
    QPlainTextEdit reference;
    reference.setReadOnly(true);
    reference.resize(log->size());
    reference.show();
    QVERIFY(QTest::qWaitForWindowExposed(&reference));

    DialogWatcher watcher;
    watcher.answerFolders({ tree.path() });
    driver.clickSelectDir();
    driver.setSearch(text, sensitive, before, after);
    driver.setFilter(filter);
    driver.setRecursive(recurse);

    ScanOptions options;
    options.text = text;
    options.caseSensitivity = sensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    options.before = before;
    options.after = after;
    PlainLog referenceLog(&reference);

    // Two runs in a row: the second one's report goes below the first one's.
    for (int run = 0; run < 2; ++run) {
        driver.clickSearch();

        QStringList files;
        collectFiles(tree.path(), files, recurse, filter);
        const SearchRun reference = runSearch(files, literalScan(options), referenceLog, {});
        QVERIFY(reference.completed());
    }
    QVERIFY(watcher.messageBoxes.isEmpty());
    QCOMPARE(describeLog(*log), describeLog(reference));
    QVERIFY(reference.document()->blockCount() > 10);
}

void TestWindowSearch::progressPacedByTime_data()
{
    QTest::addColumn<QList<qint64>>("times"); // milliseconds into the run
    QTest::addColumn<QList<bool>>("due");

    QTest::newRow("at the start") << QList<qint64> { 0 } << QList<bool> { true };
    QTest::newRow("many small files") << QList<qint64> { 0, 1, 10, 49, 50, 60, 99,
        100 } << QList<bool> { true, false, false, false, true, false, false, true };
    // After a long file the next step is a whole interval later, not at once.
    QTest::newRow("a long file") << QList<qint64> { 0, 500, 520, 549, 550 }
                                 << QList<bool> { true, true, false, false, true };
}

// The progress is told every interval of work, whatever the number and sizes of the files.
void TestWindowSearch::progressPacedByTime()
{
    QFETCH(QList<qint64>, times);
    QFETCH(QList<bool>, due);
    ProgressPacer pacer(50);
    QList<bool> got;
    for (const qint64 now : std::as_const(times))
        got.append(pacer.due(now));
    QCOMPARE(got, due);
}

QTEST_MAIN(TestWindowSearch)
#include "tst_windowsearch.moc"
