// The walk against the file collection as QDir made it, never going into a folder on its own
// path, on generated trees where that rule and the walk's agree: without cycles, and with
// cycles that only links to an ancestor or to the folder itself make, which no other path
// leads into. Both must give the same list, entry for entry, on this platform's file system.
#include "search/walk/collectfiles.h"
#include "search/qdirwalk.h"
#include "support/filetree.h"
#include "support/specialfiles.h"
#include "support/symlinks.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class TestWalkAgainstQDir : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sameList_data();
    void sameList();

private:
    QTemporaryDir dir;
};

static const int treeCount = 8;

// Names the file systems here take, as users make them: hidden ones, names that differ
// only in case (one file where case is ignored), dots and blanks at either end, non-ASCII
// letters, brackets and a ";" that a filter cannot hold.
static const QStringList folderNames { "sub", "Sub2", ".cache", "été 2024", "a.b", "zeta", "dot.",
    " lead", "日本", "B" };
static const QStringList fileNames { "a.txt", "A.TXT", "b.log", ".hidden", "noext", "x.",
    "two.dots.", " lead.txt", "Mixed Case.Txt", "ümlaut.txt", "日本語.md", "[x].txt", "a]b",
    "c;d.txt", "e.TXT", "Zz", "trail .log", "ab", "b" };

// Cycles beside the rest of the tree, in folders that no other link leads into: a link to
// the searched folder, one to a folder's own parent two levels down, one to the folder
// itself. One of them must not change how the rest of the tree is listed.
template <class Link>
static bool addUnrelatedCycles(const QString &root, quint32 seed, Link link)
{
    if (seed % 3 == 0)
        return true;
    const QStringList folders { "/cycle/up", "/deep/a/b", "/x11" };
    for (const QString &folder : folders) {
        if (!QDir().mkpath(root + folder) || !writeFile(root + folder + "/in cycle.txt", "c"))
            return false;
    }
    return link(root, root + "/cycle/up/top") && link(root + "/deep/a", root + "/deep/a/b/back")
        && (seed % 3 == 1 || link(root + "/x11", root + "/x11/X11"));
}

// One tree: folders and files drawn from the names above, a folder "links"
// beside them whose links lead into the rest (so no link leads back above itself), links
// to files and broken links everywhere, and FIFOs with links to them where the system has
// them.
static bool makeGeneratedTree(const QString &root, quint32 seed)
{
    QRandomGenerator random(seed);
    const auto pick = [&random](const QStringList &names) {
        return names[int(random.bounded(quint32(names.size())))];
    };
    QStringList folders { root };
    for (int i = 0; i < 10; ++i) {
        const QString parent = folders[int(random.bounded(quint32(folders.size())))];
        if (parent.count('/') - root.count('/') >= 3)
            continue;
        const QString folder = parent + '/' + pick(folderNames);
        if (!QDir().mkpath(folder))
            return false;
        if (!folders.contains(folder))
            folders << folder;
    }
    QStringList files;
    for (const QString &folder : folders) {
        const int count = int(random.bounded(6u));
        for (int i = 0; i < count; ++i) {
            const QString file = folder + '/' + pick(fileNames);
            // Where case is ignored a second name may be the same file: write it once.
            if (!QFileInfo::exists(file) && !writeFile(file, file.toUtf8()))
                return false;
            if (!files.contains(file))
                files << file;
        }
    }

    // Many names equal but for case in one folder: QDir's sort leaves their order to the
    // sorting algorithm once there are more than a few.
    if (seed % 2 == 0) {
        for (int i = 0; i < 60; ++i) {
            const QString name = QStringLiteral("case%1").arg(int(random.bounded(8u)));
            const QString variant = random.bounded(2u) ? name.toUpper() : name;
            const QString path = root + "/cases/" + variant + QString(i % 3, '.');
            if (!QFileInfo::exists(path) && !(i % 4 ? writeFile(path, "x") : QDir().mkpath(path)))
                return false;
        }
    }

    const QString links = root + "/links";
    if (!QDir().mkpath(links))
        return false;
    // Where QFile::link makes shell shortcuts, one to a missing target may not be made:
    // those links are then left out, while symbolic links must all be made.
    const bool symbolic = symbolicLinksMissing().isEmpty();
    const auto link = [symbolic](const QString &target, const QString &path) {
        return QFileInfo::exists(path) || QFile::link(target, path) || !symbolic;
    };
    // Half of them named as Windows names shell shortcuts, which Qt follows there.
    for (int i = 0; i < 4; ++i) {
        const QString target = folders[int(random.bounded(quint32(folders.size())))];
        const QString name = "/to " + QFileInfo(target).fileName() + (i % 2 ? ".lnk" : "");
        if (target != root && !link(target, links + name))
            return false;
    }
    for (int i = 0; i < 3 && !files.isEmpty(); ++i) {
        const QString target = files[int(random.bounded(quint32(files.size())))];
        const QString at = folders[int(random.bounded(quint32(folders.size())))];
        if (!link(target, at + "/link " + QString::number(i) + (i % 2 ? ".lnk" : ".txt")))
            return false;
    }
    if (!link(root + "/nowhere", links + "/broken.txt")
        || !link(root + "/nowhere", links + "/broken.lnk")
        || !link(root + "/nowhere/", root + "/broken folder"))
        return false;
    if (makeFifo(root + "/fifo.txt") && !link(root + "/fifo.txt", links + "/to fifo.txt"))
        return false;
    return addUnrelatedCycles(root, seed, link);
}

void TestWalkAgainstQDir::initTestCase()
{
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    for (int tree = 0; tree < treeCount; ++tree) {
        QVERIFY2(makeGeneratedTree(dir.filePath(QString::number(tree)), quint32(1000 + tree)),
            qPrintable(QString::number(tree)));
    }
}

void TestWalkAgainstQDir::sameList_data()
{
    QTest::addColumn<int>("tree");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("recurse");

    // Every pattern that matches all names, a single "*" among others, "?" and sets,
    // malformed sets, empty patterns, blanks kept at the start, case ignored.
    const QStringList filters { "*.*;*;*.;.*", "*", "**", "*.txt", "*.TXT;*.md", "?.txt", "[a-c]*",
        "[!a]*", "*[", "", ";", " *.txt", "*.txt; *.log", "*.;x*", ".*", "*e*", "a*;*;b" };
    for (int tree = 0; tree < treeCount; ++tree) {
        for (const QString &filter : filters) {
            for (const bool recurse : { true, false }) {
                QTest::addRow("tree %d, filter \"%s\"%s", tree, qPrintable(filter),
                    recurse ? ", sub-folders" : "")
                    << tree << filter << recurse;
            }
        }
    }
}

void TestWalkAgainstQDir::sameList()
{
    QFETCH(int, tree);
    QFETCH(QString, filter);
    QFETCH(bool, recurse);

    const QString root = dir.filePath(QString::number(tree));
    QStringList expected;
    qdirCollectFiles(root, expected, recurse, filter);
    QStringList files;
    collectFiles(root, files, recurse, filter);
    QCOMPARE(files, expected);
}

QTEST_MAIN(TestWalkAgainstQDir)
#include "tst_walkagainstqdir.moc"
