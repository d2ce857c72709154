// The walk's decisions on made-up file systems: links and junctions that Wine cannot make,
// cycles, a junction to a drive's root, and how often each folder is read.
#include "search/fakelisting.h"
#include "search/walk/folderwalk.h"
#include "search/siblinglinks.h"

#include <QTest>

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void links_data();
    void links();
    void siblingLinks_data();
    void siblingLinks();
};

static const QString everything = QStringLiteral("*.*;*;*.;.*");

// Runs the walk over the tree, with plain sub-folders' identities given in the listing and
// asked for apart; both must give one list.
static QStringList walk(const QStringList &tree, const QStringList &links, const QString &searched,
    int *mostReads = nullptr)
{
    QStringList result;
    for (const bool identitiesInListing : { true, false }) {
        FakeListing listing(identitiesInListing);
        for (const QString &path : tree)
            listing.add(path);
        for (int i = 0; i + 1 < links.size(); i += 2)
            listing.link(links[i], links[i + 1]);
        QStringList files;
        FolderWalk(listing, everything, true).collect(searched, files);
        if (identitiesInListing)
            result = files;
        else if (files != result)
            return { QStringLiteral("<listings with and without identities differ>") };
        if (mostReads)
            *mostReads = std::max(*mostReads, listing.mostReads());
    }
    return result;
}

void TestFolderWalk::links_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("searched");
    QTest::addColumn<QStringList>("expected");

    const QStringList loopTree { "r/a/f", "r/g" };
    QTest::newRow("junction loop to the parent")
        << loopTree << QStringList { "r/a/loop", "r" } << "r/" << QStringList { "r/a/f", "r/g" };
    // Above the searched folder the walk comes down again, but not into the searched one.
    QTest::newRow("junction loop above the searched folder")
        << loopTree << QStringList { "r/a/loop", "r" } << "r/a/"
        << QStringList { "r/a/loop/g", "r/a/f" };

    const QStringList driveTree { "Q:/data/f", "Q:/data/sub/g", "Q:/top" };
    QTest::newRow("junction to the drive's root, searched from the root")
        << driveTree << QStringList { "Q:/data/j", "Q:" } << "Q:/"
        << QStringList { "Q:/data/sub/g", "Q:/data/f", "Q:/top" };
    QTest::newRow("junction to the drive's root, searched below")
        << driveTree << QStringList { "Q:/data/j", "Q:" } << "Q:/data/"
        << QStringList { "Q:/data/j/top", "Q:/data/sub/g", "Q:/data/f" };

    // Without a cycle, a folder reached by two paths is listed under both.
    QTest::newRow("two links to one folder keep both copies")
        << QStringList { "r/a/f", "r/b/", "r/shared/x" }
        << QStringList { "r/a/s1", "r/shared", "r/b/s2", "r/shared" } << "r/"
        << QStringList { "r/a/s1/x", "r/a/f", "r/b/s2/x", "r/shared/x" };
    QTest::newRow("link to a folder met before its own parent")
        << QStringList { "r/z/deep/x" } << QStringList { "r/a/l", "r/z/deep" } << "r/"
        << QStringList { "r/a/l/x", "r/z/deep/x" };
    // A cycle lists its own folders once per way into it, and nothing else changes: a
    // folder reached by two paths outside it is still listed under both.
    QTest::newRow("cycle reached three ways lists its folders under each")
        << QStringList { "r/a/f", "r/b/", "r/s/x" }
        << QStringList { "r/a/l", "r/s", "r/b/l", "r/s", "r/s/back", "r/a" } << "r/"
        << QStringList { "r/a/l/x", "r/a/f", "r/b/l/back/f", "r/b/l/x", "r/s/back/f", "r/s/x" };
    QTest::newRow("unrelated link to the searched folder keeps a second path")
        << QStringList { "t/a/f", "t/c/g" } << QStringList { "t/b", "t/a", "t/c/up", "t" } << "t/"
        << QStringList { "t/a/f", "t/b/f", "t/c/g" };
    QTest::newRow("unrelated link to itself keeps a second path")
        << QStringList { "t/a/f", "t/x/g" } << QStringList { "t/b", "t/a", "t/x/x11", "t/x" }
        << "t/" << QStringList { "t/a/f", "t/b/f", "t/x/g" };
    // Within a group, a second path to a folder of it is not listed again.
    QTest::newRow("second path into a group listed once")
        << QStringList { "r/c/g", "r/d/" } << QStringList { "r/c/up", "r", "r/d/l", "r/c" } << "r/"
        << QStringList { "r/c/g" };
    QTest::newRow("broken link left out, link to a file kept")
        << QStringList { "r/f", "r/sub/" } << QStringList { "r/dead", "r/none", "r/sub/lf", "r/f" }
        << "r/" << QStringList { "r/sub/lf", "r/f" };
}

void TestFolderWalk::links()
{
    QFETCH(QStringList, tree);
    QFETCH(QStringList, links);
    QFETCH(QString, searched);
    QFETCH(QStringList, expected);

    int mostReads = 0;
    QCOMPARE(walk(tree, links, searched, &mostReads), expected);
    QCOMPARE(mostReads, 1);
}

void TestFolderWalk::siblingLinks_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("3 siblings") << 3
                                << QStringList { "r/s0/s1/s2/f", "r/s0/s1/f", "r/s0/f",
                                       "r/s1/s0/s2/f", "r/s1/s0/f", "r/s1/f", "r/s2/s0/s1/f",
                                       "r/s2/s0/f", "r/s2/f" };
    for (const int n : { 7, 8, 9 }) {
        QStringList expected;
        for (const QString &file : siblingWalk(n))
            expected << "r/" + file;
        QTest::addRow("%d siblings", n) << n << expected;
    }
}

// Where the paths through the links number in the hundreds of thousands, each folder is
// read once, and listed once per sibling the walk comes in by.
void TestFolderWalk::siblingLinks()
{
    QFETCH(int, n);
    QFETCH(QStringList, expected);

    QStringList tree { "r/" };
    for (const QString &file : siblingFiles(n))
        tree << "r/" + file;
    QStringList links;
    for (const QString &path : ::siblingLinks(n))
        links << "r/" + path;

    int mostReads = 0;
    QCOMPARE(walk(tree, links, "r/", &mostReads), expected);
    QCOMPARE(mostReads, 1);
}

QTEST_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
