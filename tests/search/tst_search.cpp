#include "support/dialogwatcher.h"
#include "support/filenames.h"
#include "support/filetree.h"
#include "support/foldertest.h"
#include "support/specialfiles.h"
#include "support/symlinks.h"
#include "support/unreadablefile.h"
#include "support/windowdriver.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

// Notes the value and place of the progress bar each time it is painted.
class PaintSpy : public QObject
{
public:
    struct Paint
    {
        int value;
        QRect geometry;
    };
    QList<Paint> paints;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            auto *bar = static_cast<QProgressBar *>(watched);
            paints.append({ bar->value(), bar->geometry() });
        }
        return false;
    }
};

class TestSearch : public FolderTest
{
    Q_OBJECT

private slots:
    void refusals_data();
    void refusals();
    void report_data();
    void report();
    void fileList_data();
    void fileList();
    void emptyFolder();
    void pathWithHtmlAndBlanks();
    void unreadableFileInMiddle();
    void notRegularFilesListedNotRead();
    void linkAboveSearchedFolder();
    void progressBarPaintedInPlace_data();
    void progressBarPaintedInPlace();

private:
    void setUp() override { QVERIFY(driver.open()); }
    void tearDown() override { driver.close(); }

    WindowDriver driver;
};

// The file header as the log's plain text shows it: an empty line, then the path with
// backslashes.
static QStringList fileHeaderLines(const QString &path)
{
    QString shown = path;
    shown.replace('/', '\\');
    return { QString(), "Fichier : " + shown };
}

void TestSearch::refusals_data()
{
    QTest::addColumn<bool>("withFolder");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString noFolder = "Vous devez choisir un dossier dans lequel rechercher le texte.";
    QTest::newRow("neither folder nor text") << false << "" << noFolder;
    QTest::newRow("no folder") << false << "x" << noFolder;
    QTest::newRow("no text") << true << ""
                             << "Vous devez choisir un texte à rechercher.";
}

void TestSearch::refusals()
{
    QFETCH(bool, withFolder);
    QFETCH(QString, text);
    QFETCH(QString, expected);

    QVERIFY(makeTree(dir().path(), { "a.txt" }));
    if (withFolder)
        QVERIFY(driver.chooseFolder(dir().path()));
    driver.showStatus("avant");

    DialogWatcher watcher;
    driver.search(text);
    // One warning box, with Ok alone and the default, and no parent.
    QCOMPARE(seenBoxes(watcher), QStringList { "[warning] Erreur: " + expected });
    // Nothing else happens.
    QCOMPARE(driver.logText(), QString());
    QVERIFY(driver.progressBar()->isHidden());
    QCOMPARE(driver.status(), QString("avant"));
}

void TestSearch::report_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sensitive");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    // The log after the list of files; "FILE" stands for the two lines of a file header.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("worked example")
        << QByteArray("alpha\n  beta x\ngamma x\ndelta\n") << "x" << false << 1 << 1
        << QStringList { "FILE", "Ligne 2", "alpha", "beta x", "gamma x", "FILE", "Ligne 3",
               "beta x", "gamma x", "delta" };
    QTest::newRow("first line is line 1") << QByteArray("x\na\nb\n") << "x" << false << 0 << 0
                                          << QStringList { "FILE", "Ligne 1", "x" };
    QTest::newRow("context clamped at the start")
        << QByteArray("a\nx\nb\nc\nd\n") << "x" << false << 3 << 0
        << QStringList { "FILE", "Ligne 2", "a", "x" };
    QTest::newRow("context clamped at the end") << QByteArray("a\nb\nc\nx") << "x" << false << 0
                                                << 3 << QStringList { "FILE", "Ligne 4", "x" };
    QTest::newRow("overlapping windows written twice")
        << QByteArray("a\nx1\nx2\nb\n") << "x" << false << 0 << 1
        << QStringList { "FILE", "Ligne 2", "x1", "x2", "FILE", "Ligne 3", "x2", "b" };
    QTest::newRow("case ignored") << QByteArray("xABCx\n") << "abc" << false << 1 << 1
                                  << QStringList { "FILE", "Ligne 1", "xABCx" };
    QTest::newRow("case respected")
        << QByteArray("xABCx\n") << "abc" << true << 1 << 1 << QStringList {};
    QTest::newRow("blank-only text found only inside lines")
        << QByteArray("  lead\nin  side\ntrail  \n") << "  " << false << 0 << 0
        << QStringList { "FILE", "Ligne 2", "in  side" };
    QTest::newRow("leading blank of a line is trimmed away") << QByteArray(
        " x\na x\n") << " x" << false << 0 << 0 << QStringList { "FILE", "Ligne 2", "a x" };
    QTest::newRow("no hit") << QByteArray("abc\n") << "zzz" << false << 1 << 1 << QStringList {};
    QTest::newRow("empty file") << QByteArray() << "x" << false << 1 << 1 << QStringList {};
}

void TestSearch::report()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(bool, sensitive);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(QStringList, expected);

    const QString path = dir().path() + "/list.txt";
    QVERIFY(writeFile(path, content));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setSearch(text, sensitive, before, after);

    DialogWatcher watcher;
    driver.clickSearch();
    QCOMPARE(watcher.messageBoxes.size(), 0);

    QStringList lines { "Fichiers listés :", path };
    for (const QString &line : std::as_const(expected))
        lines += line == "FILE" ? fileHeaderLines(path) : QStringList { line };
    QCOMPARE(driver.logText(), lines.join('\n'));
    QVERIFY(driver.progressBar()->isHidden());
    QCOMPARE(driver.status(), folderStatus(dir().path()));
}

void TestSearch::fileList_data()
{
    QTest::addColumn<bool>("recurse");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("sub-folders first")
        << true << "*.*;*;*.;.*" << QStringList { "x/x1", "Y/z/z1", "Y/y1", "A.txt", "b.txt" };
    QTest::newRow("no sub-folders") << false << "*.*;*;*.;.*" << QStringList { "A.txt", "b.txt" };
    QTest::newRow("filter as typed") << true << "*.TXT; y1" << QStringList { "A.txt", "b.txt" };
}

void TestSearch::fileList()
{
    QFETCH(bool, recurse);
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);

    QVERIFY(makeTree(dir().path(), { "b.txt", "A.txt", "x/x1", "Y/z/z1", "Y/y1" }));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setRecursive(recurse);
    driver.setFilter(filter);
    driver.setSearch("no such text", false, 1, 1);
    driver.clickSearch();

    QCOMPARE(driver.logText(),
        (QStringList { "Fichiers listés :" } + underRoot(dir().path(), expected)).join('\n'));
}

void TestSearch::emptyFolder()
{
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.showStatus("avant");
    driver.setSearch("x", false, 1, 1);

    DialogWatcher watcher;
    driver.clickSearch();
    QCOMPARE(watcher.messageBoxes.size(), 0);
    QCOMPARE(driver.logText(), QString("Fichiers listés :"));
    QVERIFY(driver.progressBar()->isHidden());
    QCOMPARE(driver.status(), folderStatus(dir().path()));
}

void TestSearch::pathWithHtmlAndBlanks()
{
    const QString folder = dir().path() + fileNameHere(R"(/a<b>&"c"  d)");
    const QString path = folder + fileNameHere("/  x  <i>y&amp;<br>.txt");
    QVERIFY(writeFile(path, "hit\n"));
    QVERIFY(driver.chooseFolder(folder));
    driver.setSearch("hit", false, 0, 0);
    driver.clickSearch();

    // The real path, character for character, and no markup taken from it.
    QCOMPARE(driver.logText(),
        (QStringList { "Fichiers listés :", path } + fileHeaderLines(path)
            + QStringList { "Ligne 1", "hit" })
            .join('\n'));
    const QTextDocument *document = driver.log()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            QVERIFY2(!it.fragment().charFormat().fontItalic(), qPrintable(it.fragment().text()));
}

void TestSearch::unreadableFileInMiddle()
{
    // An administrator reads every file whatever its mode: run this case as an ordinary
    // user instead, for whom a file without read permission truly fails to open.
    if (readsEverything()) {
        QByteArray output;
        QVERIFY2(runUnprivileged("unreadableFileInMiddle", &output), output.constData());
        return;
    }

    for (const char *name : { "a", "b", "c" })
        QVERIFY(writeFile(dir().path() + "/" + name + ".txt", QByteArray("x in ") + name + "\n"));
    const QString unreadable = dir().path() + "/b.txt";
    UnreadableFile locked(unreadable);
    QVERIFY2(locked.isUnreadable(), "the file is still readable");

    QVERIFY(driver.chooseFolder(dir().path()));
    driver.showStatus("avant");
    driver.setSearch("x", false, 0, 0);
    DialogWatcher watcher;
    driver.clickSearch();

    // One critical box, with Ok alone and the default, and no parent.
    QCOMPARE(seenBoxes(watcher),
        QStringList {
            "[critical] Fichier illisible: impossible d'ouvrir le fichier " + unreadable + "." });

    // The first file's report stays, the third file is never read.
    const QStringList expected = QStringList { "Fichiers listés :" }
        + underRoot(dir().path(), { "a.txt", "b.txt", "c.txt" })
        + fileHeaderLines(dir().path() + "/a.txt") + QStringList { "Ligne 1", "x in a" };
    QCOMPARE(driver.logText(), expected.join('\n'));
    auto *bar = driver.progressBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 2);
    QCOMPARE(bar->maximum(), 3);
    QCOMPARE(driver.status(), QString("avant"));
}

// Links to a FIFO and to a device without end are listed, left unread, and the run goes on
// to the files after them, without a box. The FIFO answers anyone who opens it with a hit.
void TestSearch::notRegularFilesListedNotRead()
{
    FifoFeeder feeder;
    QString why;
    if (!feeder.start(dir().path() + "/fifo", "x in fifo\n", &why))
        QSKIP(qPrintable(why));
    const QString device = endlessDevice();
    if (device.isEmpty())
        QSKIP("no device without end here");
    const QString folder = dir().path() + "/searched";
    QVERIFY(writeFile(folder + "/a.txt", "x in a\n"));
    QVERIFY(writeFile(folder + "/z.txt", "x in z\n"));
    QVERIFY(QFile::link(device, folder + "/device link"));
    QVERIFY(QFile::link(dir().path() + "/fifo", folder + "/fifo link"));

    QVERIFY(driver.chooseFolder(folder));
    driver.setRecursive(false);
    driver.setSearch("x", false, 0, 0);
    DialogWatcher watcher;
    driver.clickSearch();

    QCOMPARE(watcher.messageBoxes.size(), 0);
    QCOMPARE(feeder.readersSeen(), 0);
    const QStringList expected = QStringList { "Fichiers listés :" }
        + underRoot(folder, { "a.txt", "device link", "fifo link", "z.txt" })
        + fileHeaderLines(folder + "/a.txt") + QStringList { "Ligne 1", "x in a" }
        + fileHeaderLines(folder + "/z.txt") + QStringList { "Ligne 1", "x in z" };
    QCOMPARE(driver.logText(), expected.join('\n'));
    auto *bar = driver.progressBar();
    QVERIFY(bar->isHidden());
    QCOMPARE(bar->maximum(), 4);
    QCOMPARE(driver.status(), folderStatus(folder));
}

// A link to the parent of the searched folder: the walk, above it, must not come down into
// the searched folder a second time. Its file is listed and reported once.
void TestSearch::linkAboveSearchedFolder()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    const QString folder = dir().path() + "/D";
    QVERIFY(writeFile(folder + "/f.txt", "x\n"));
    QVERIFY(QFile::link("..", folder + "/up"));

    QVERIFY(driver.chooseFolder(folder));
    driver.setRecursive(true);
    driver.setSearch("x", false, 0, 0);
    DialogWatcher watcher;
    driver.clickSearch();

    QVERIFY(watcher.messageBoxes.isEmpty());
    const QStringList expected = QStringList { "Fichiers listés :", folder + "/f.txt" }
        + fileHeaderLines(folder + "/f.txt") + QStringList { "Ligne 1", "x" };
    QCOMPARE(driver.logText(), expected.join('\n'));
    QCOMPARE(driver.progressBar()->maximum(), 1);
    QCOMPARE(driver.status(), folderStatus(folder));
}

void TestSearch::progressBarPaintedInPlace_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("short run") << 6;
    QTest::newRow("long run") << 400;
}

void TestSearch::progressBarPaintedInPlace()
{
    QFETCH(int, count);

    QVERIFY(writeNumberedFiles(dir().path(), count, "x\n"));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setSearch("x", false, 0, 0);

    auto *bar = driver.progressBar();
    PaintSpy spy;
    bar->installEventFilter(&spy);
    driver.clickSearch();
    bar->removeEventFilter(&spy);

    // Painted below the search button, in the central area (not where a bar that was
    // never laid out would stand), from the first file on, and advancing to the end.
    QVERIFY(!spy.paints.isEmpty());
    QVERIFY2(spy.paints.first().value <= 1,
        qPrintable(QString("first painted at %1").arg(spy.paints.first().value)));
    const QRect button = driver.widget<QPushButton>("pbSearch")->geometry();
    const QRect area = driver.widget<QWidget>("centralwidget")->rect();
    QSet<int> values;
    for (const PaintSpy::Paint &paint : std::as_const(spy.paints)) {
        QVERIFY(!paint.geometry.isEmpty());
        QVERIFY2(paint.geometry.top() > button.bottom() && area.contains(paint.geometry),
            qPrintable(QString("bar at %1,%2").arg(paint.geometry.x()).arg(paint.geometry.y())));
        if (paint.value >= 1)
            values.insert(paint.value);
    }
    QVERIFY(values.contains(count));
    QVERIFY(bar->isHidden());
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
