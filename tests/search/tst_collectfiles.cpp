#include "search/walk/collectfiles.h"
#include "search/siblinglinks.h"
#include "support/filetree.h"
#include "support/foldertest.h"
#include "support/symlinks.h"

#include <QFile>
#include <QTest>

class TestCollectFiles : public FolderTest
{
    Q_OBJECT

private slots:
    void listing_data();
    void listing();
    void folderNormalisation_data();
    void folderNormalisation();
    void appendsAfterExistingEntries();
    void folderLinks_data();
    void folderLinks();
    void siblingLinks_data();
    void siblingLinks();
    void backslashInFolderName();
};

static const QString defaultFilter = QStringLiteral("*.*;*;*.;.*");

void TestCollectFiles::listing_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<bool>("recurse");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("expected");

    const QStringList example { "b.txt", "A.txt", "x/x1", "Y/z/z1", "Y/y1" };
    QTest::newRow("sub-folders first, names ignoring case")
        << example << true << defaultFilter
        << QStringList { "x/x1", "Y/z/z1", "Y/y1", "A.txt", "b.txt" };
    QTest::newRow("without sub-folders")
        << example << false << defaultFilter << QStringList { "A.txt", "b.txt" };
    QTest::newRow("hidden files and folders") << QStringList { ".hidden", ".h/in", "v/.dot",
        "plain" } << true << defaultFilter << QStringList { ".h/in", "v/.dot", ".hidden", "plain" };
    QTest::newRow("empty folder") << QStringList { "sub/" } << true << defaultFilter
                                  << QStringList {};

    const QStringList logs { "notes.txt", "app.log", "sub/deep.txt" };
    QTest::newRow("pattern ignores case")
        << logs << false << "*.TXT" << QStringList { "notes.txt" };
    QTest::newRow("two patterns") << logs << false << "*.txt;*.log"
                                  << QStringList { "app.log", "notes.txt" };
    QTest::newRow("blank after ; is part of the pattern")
        << logs << false << "*.txt; *.log" << QStringList { "notes.txt" };
    QTest::newRow("trailing ; adds nothing")
        << logs << true << "*.txt;" << QStringList { "sub/deep.txt", "notes.txt" };
    QTest::newRow("empty filter lists nothing") << logs << true << "" << QStringList {};
}

void TestCollectFiles::listing()
{
    QFETCH(QStringList, tree);
    QFETCH(bool, recurse);
    QFETCH(QString, filter);
    QFETCH(QStringList, expected);

    QVERIFY(makeTree(dir().path(), tree));

    QStringList files;
    collectFiles(dir().path(), files, recurse, filter);
    QCOMPARE(files, underRoot(dir().path(), expected));
}

void TestCollectFiles::folderNormalisation_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("backslashes");

    QTest::newRow("plain") << "" << false;
    QTest::newRow("final slash") << "/" << false;
    QTest::newRow("backslashes") << "" << true;
    QTest::newRow("backslashes and final backslash") << "\\" << true;
}

void TestCollectFiles::folderNormalisation()
{
    QFETCH(QString, suffix);
    QFETCH(bool, backslashes);

    QVERIFY(makeTree(dir().path(), { "a.txt", "s/b.txt" }));

    QString folder = dir().path();
    if (backslashes)
        folder.replace('/', '\\');
    folder += suffix;
    const QString original = folder;

    QStringList files;
    collectFiles(folder, files, true, defaultFilter);
    // Every entry starts with the folder in "/" form and one "/", never two.
    QCOMPARE(files, underRoot(dir().path(), { "s/b.txt", "a.txt" }));
    QCOMPARE(folder, original);
}

void TestCollectFiles::appendsAfterExistingEntries()
{
    QVERIFY(makeTree(dir().path(), { "a.txt" }));

    QStringList files { "kept" };
    collectFiles(dir().path(), files, false, defaultFilter);
    collectFiles(dir().path() + "/missing", files, true, defaultFilter);
    QCOMPARE(files, QStringList({ "kept", dir().path() + "/a.txt" }));
}

void TestCollectFiles::folderLinks_data()
{
    // Links as (link path, target) pairs, relative to the temporary folder, which holds
    // a/f, a/b/g and top; the folder searched, relative to it too.
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("searched");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char *name, const QStringList &links, const QString &searched,
                         const QStringList &expected) {
        QTest::newRow(name) << links << searched << expected;
    };
    row("link to an ancestor and to itself", { "a/up", "..", "a/self", "." }, "",
        { "a/b/g", "a/f", "top" });
    row("same folder through two links", { "b", "a/b", "c", "a/b" }, "",
        { "a/b/g", "a/f", "b/g", "c/g", "top" });
    // a/back leads to a itself: a cycle of one folder, listed once per way into it (a, b).
    row("cycle through a link on the way", { "b", "a", "a/back", "../b" }, "",
        { "a/b/g", "a/f", "b/b/g", "b/f", "top" });
    // A cycle elsewhere changes nothing for a folder reached by two paths outside it.
    row("second path beside an unrelated cycle", { "b", "a", "top2", "a/b", "a/b/up", ".." }, "",
        { "a/b/g", "a/f", "b/b/g", "b/f", "top2/up/f", "top2/g", "top" });
    row("link to a file is a file", { "a/g", "../top" }, "", { "a/b/g", "a/f", "a/g", "top" });
    // Above the searched folder, the walk comes down to it again through real folders.
    row("link to the parent of the searched folder", { "a/up", ".." }, "a",
        { "a/b/g", "a/up/top", "a/f" });
    row("link two levels above the searched folder", { "a/b/up", "../.." }, "a/b",
        { "a/b/up/a/f", "a/b/up/top", "a/b/g" });
}

void TestCollectFiles::folderLinks()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(QStringList, links);
    QFETCH(QString, searched);
    QFETCH(QStringList, expected);

    QVERIFY(makeTree(dir().path(), { "a/f", "a/b/g", "top" }));
    for (int i = 0; i < links.size(); i += 2)
        QVERIFY(QFile::link(links[i + 1], dir().path() + '/' + links[i]));

    // A folder already on the walk adds nothing and is not entered, and the walk ends.
    QStringList files;
    collectFiles(searched.isEmpty() ? dir().path() : dir().path() + '/' + searched, files, true,
        defaultFilter);
    QCOMPARE(files, underRoot(dir().path(), expected));
}

void TestCollectFiles::siblingLinks_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("3 siblings") << 3
                                << QStringList { "s0/s1/s2/f", "s0/s1/f", "s0/f", "s1/s0/s2/f",
                                       "s1/s0/f", "s1/f", "s2/s0/s1/f", "s2/s0/f", "s2/f" };
    for (const int n : { 7, 8, 9 })
        QTest::addRow("%d siblings", n) << n << siblingWalk(n);
}

// Sibling folders linked to one another: each way into them lists each once, instead of
// once for every path through the links (81 entries for 9 siblings instead of 986,409).
void TestCollectFiles::siblingLinks()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(int, n);
    QFETCH(QStringList, expected);

    QVERIFY(makeTree(dir().path(), siblingFiles(n)));
    const QStringList links = ::siblingLinks(n);
    for (int i = 0; i < links.size(); i += 2)
        QVERIFY(QFile::link("../" + links[i + 1], dir().path() + '/' + links[i]));

    QStringList files;
    collectFiles(dir().path(), files, true, defaultFilter);
    QCOMPARE(files, underRoot(dir().path(), expected));
}

// Only the searched folder has its backslashes turned into slashes: below it, a folder
// whose name holds one (Linux allows it) is walked under its own name.
void TestCollectFiles::backslashInFolderName()
{
    QVERIFY(makeTree(dir().path(), { "a\\b/f", "a/b/g" }));
    if (!QDir(dir().path()).entryList().contains("a\\b"))
        QSKIP("this file system takes a backslash for a separator");

    QStringList files;
    collectFiles(dir().path(), files, true, defaultFilter);
    QCOMPARE(files, underRoot(dir().path(), { "a/b/g", "a\\b/f" }));
}

QTEST_MAIN(TestCollectFiles)
#include "tst_collectfiles.moc"
