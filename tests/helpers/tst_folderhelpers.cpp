#include "helpers/folderhandle.h"
#include "helpers/helpers.h"
#include "helpertest.h"
#include "support/foldertest.h"
#include "support/specialfiles.h"
#include "support/symlinks.h"

#include <QTest>
#include <QTimer>

class TestFolderHelpers : public FolderTest
{
    Q_OBJECT

private slots:
    void removeFolder_data();
    void removeFolder();
    void removeFolderOnLink_data();
    void removeFolderOnLink();
    void folderExists_data();
    void folderExists();
    void copyFolderTree();
    void copyFolderKeepsExistingFiles();
    void copyFolderDestinations_data();
    void copyFolderDestinations();
    void copyFolderLinkedFolders();
    void copyFolderRefusesEmptyPaths();
    void copyFolderDispatchesEventsOncePerFolder();
    void copyFolderIntoItself_data();
    void copyFolderIntoItself();
    void copyFolderSkipsSpecialFiles_data();
    void copyFolderSkipsSpecialFiles();
    void removeFolderLinkSpellings_data();
    void removeFolderLinkSpellings();
    void junctionsAreLinks_data();
    void junctionsAreLinks();
    void removeFolderTreeWithLinks_data();
    void removeFolderTreeWithLinks();
    void copyFolderOrderIgnoresCase();
    void copyFolderKeepsPermissions_data();
    void copyFolderKeepsPermissions();
    void folderSwappedDuringTheWalk_data();
    void folderSwappedDuringTheWalk();
};

void TestFolderHelpers::removeFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("left");

    // The working folder is the temporary folder, which holds keep.txt and tree/.
    const QStringList all { "keep.txt", "tree/", "tree/.hidden/", "tree/.hidden/a.txt" };
    QTest::newRow("empty path refused") << QString() << false << all;
    QTest::newRow("missing folder counts as removed") << "absent" << true << all;
    QTest::newRow("tree with hidden entries") << "tree" << true << QStringList { "keep.txt" };
}

void TestFolderHelpers::removeFolder()
{
    QFETCH(QString, path);
    QFETCH(bool, result);
    QFETCH(QStringList, left);

    QVERIFY(writeFile(dir().filePath("keep.txt"), "k"));
    QVERIFY(writeFile(dir().filePath("tree/.hidden/a.txt"), "a"));
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    QCOMPARE(::removeFolder(path), result);
    QCOMPARE(treeBelow(dir().path()), left);
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::removeFolderOnLink_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("left");

    // The working folder holds target/ (with a file), link to it and a dangling link.
    const QStringList target { "target/", "target/a.txt" };
    QTest::newRow("link to a folder") << "link" << (QStringList { "dangling@" } + target);
    QTest::newRow("link with a final separator")
        << "link/" << (QStringList { "dangling@" } + target);
    QTest::newRow("dangling link") << "dangling" << (QStringList { "link@" } + target);
}

void TestFolderHelpers::removeFolderOnLink()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(QString, path);
    QFETCH(QStringList, left);

    QVERIFY(writeFile(dir().filePath("target/a.txt"), "a"));
    QVERIFY(QFile::link("target", dir().filePath("link")));
    QVERIFY(QFile::link("absent", dir().filePath("dangling")));
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    // Only the link goes; what it leads to stays whole.
    QVERIFY(::removeFolder(path));
    QCOMPARE(treeBelow(dir().path()), left);
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::folderExists_data()
{
    QTest::addColumn<QString>("path"); // relative to the working folder
    QTest::addColumn<bool>("result");

    QTest::newRow("existing folder") << "folder" << true;
    QTest::newRow("missing folder") << "absent" << false;
    QTest::newRow("file, not folder") << "file.txt" << false;
    QTest::newRow("empty path is the working folder") << QString() << true;
    QTest::newRow("missing, name like markup") << "a<b>c</b>&amp;" << false;
}

void TestFolderHelpers::folderExists()
{
    QFETCH(QString, path);
    QFETCH(bool, result);

    QVERIFY(QDir(dir().path()).mkdir("folder"));
    QVERIFY(writeFile(dir().filePath("file.txt"), "f"));
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    QCOMPARE(::folderExists(path), result);
    const QStringList boxes = result
        ? QStringList()
        : QStringList { "[critical] Erreur: Impossible d'ouvrir le dossier " + path };
    QCOMPARE(seenBoxes(watcher), boxes);
}

void TestFolderHelpers::copyFolderTree()
{
    const QString source = dir().filePath("src");
    QVERIFY(writeFile(source + "/a.txt", "a"));
    QVERIFY(writeFile(source + "/.hidden", "h"));
    QVERIFY(writeFile(source + "/sub/b.txt", "b"));
    QVERIFY(writeFile(source + "/.hid/deeper/c.txt", "c"));
    // File links, where there are any, arrive as plain copies of their targets; dangling
    // links are not listed.
    const bool links = symbolicLinksMissing().isEmpty();
    if (links) {
        QVERIFY(QFile::link(source + "/a.txt", source + "/filelink.txt"));
        QVERIFY(QFile::link(source + "/absent", source + "/dangling.txt"));
    }

    ::copyFolder(source, dir().filePath("dst"));

    QStringList expected
        = { ".hid/", ".hid/deeper/", ".hid/deeper/c.txt", ".hidden", "a.txt", "sub/", "sub/b.txt" };
    if (links)
        expected.insert(5, "filelink.txt");
    QCOMPARE(treeBelow(dir().filePath("dst")), expected);
    if (links)
        QCOMPARE(readBytes(dir().filePath("dst/filelink.txt")), QByteArray("a"));
    QCOMPARE(readBytes(dir().filePath("dst/.hid/deeper/c.txt")), QByteArray("c"));
}

void TestFolderHelpers::copyFolderKeepsExistingFiles()
{
    QVERIFY(writeFile(dir().filePath("src/a.txt"), "new a"));
    QVERIFY(writeFile(dir().filePath("src/b.txt"), "new b"));
    QVERIFY(writeFile(dir().filePath("dst/a.txt"), "old a"));

    ::copyFolder(dir().filePath("src"), dir().filePath("dst"));

    QCOMPARE(readBytes(dir().filePath("dst/a.txt")), QByteArray("old a"));
    QCOMPARE(readBytes(dir().filePath("dst/b.txt")), QByteArray("new b"));
}

void TestFolderHelpers::copyFolderDestinations_data()
{
    QTest::addColumn<QString>("destination"); // "<work>" stands for the working folder
    QTest::addColumn<bool>("sourceExists");
    QTest::addColumn<QStringList>("work"); // what the working folder holds afterwards

    const QStringList copied { "dir/", "out/", "out/a.txt", "out/sub/", "out/sub/b.txt" };
    QTest::newRow("absolute") << "<work>/out" << true << copied;
    QTest::newRow("relative") << "out" << true << copied;
    QTest::newRow("relative below a folder")
        << "dir/out" << true
        << QStringList { "dir/", "dir/out/", "dir/out/a.txt", "dir/out/sub/", "dir/out/sub/b.txt" };
    QTest::newRow("missing source") << "<work>/out" << false << QStringList { "dir/", "out/" };
    QTest::newRow("missing parent") << "<work>/no/out" << true << QStringList { "dir/" };
    QTest::newRow("relative, missing parent") << "no/out" << true << QStringList { "dir/" };
}

void TestFolderHelpers::copyFolderDestinations()
{
    QFETCH(QString, destination);
    QFETCH(bool, sourceExists);
    QFETCH(QStringList, work);

    if (sourceExists) {
        QVERIFY(writeFile(dir().filePath("src/a.txt"), "a"));
        QVERIFY(writeFile(dir().filePath("src/sub/b.txt"), "b"));
    }
    QVERIFY(QDir(dir().path()).mkpath("work/dir"));
    const QString workPath = dir().filePath("work");
    WorkingFolder working(workPath);
    DialogWatcher watcher;

    ::copyFolder(dir().filePath("src"), destination.replace("<work>", workPath));

    QCOMPARE(treeBelow(workPath), work);
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::copyFolderRefusesEmptyPaths()
{
    const QString unique = "morl-" + QFileInfo(dir().path()).fileName() + ".txt";
    QVERIFY(writeFile(dir().filePath("src/" + unique), "a"));
    QVERIFY(QDir(dir().path()).mkpath("work"));
    WorkingFolder working(dir().filePath("work"));
    DialogWatcher watcher;

    // An empty destination must not send the files to the root folder.
    ::copyFolder(dir().filePath("src"), QString());
    QVERIFY(!QFile::exists("/" + unique));
    // An empty source copies nothing either (not the working folder, not the root).
    ::copyFolder(QString(), dir().filePath("dst"));
    QVERIFY(!QFileInfo::exists(dir().filePath("dst")));
    QCOMPARE(treeBelow(dir().filePath("work")), QStringList());
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::copyFolderLinkedFolders()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    const QString source = dir().filePath("src");
    QVERIFY(writeFile(source + "/sub/b.txt", "b"));
    QVERIFY(writeFile(dir().filePath("other/x.txt"), "x"));
    QVERIFY(QFile::link(source, source + "/up")); // back up the tree
    QVERIFY(QFile::link(dir().filePath("other"), source + "/outside"));
    QVERIFY(QFile::link("sub", source + "/relative")); // relative target

    ::copyFolder(source, dir().filePath("dst"));

    // Links are recreated towards the same (absolute) targets and never descended into.
    QCOMPARE(treeBelow(dir().filePath("dst")),
        QStringList({ "outside@", "relative@", "sub/", "sub/b.txt", "up@" }));
    QCOMPARE(QFileInfo(dir().filePath("dst/up")).symLinkTarget(), source);
    QCOMPARE(QFileInfo(dir().filePath("dst/outside")).symLinkTarget(), dir().filePath("other"));
    QCOMPARE(QFileInfo(dir().filePath("dst/relative")).symLinkTarget(), source + "/sub");
}

void TestFolderHelpers::copyFolderDispatchesEventsOncePerFolder()
{
    QVERIFY(writeFile(dir().filePath("src/a.txt"), "a"));
    QVERIFY(writeFile(dir().filePath("src/sub/b.txt"), "b"));
    QVERIFY(QDir(dir().path()).mkpath("src/sub/deeper"));
    QVERIFY(QDir(dir().path()).mkpath("src/z"));
    const QString destination = dir().filePath("dst");

    // A zero timer fires once per event dispatch; each firing notes what the copy has
    // made so far.
    QList<QStringList> seen;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, this, [&] { seen.append(treeBelow(destination)); });
    ticker.start();

    ::copyFolder(dir().filePath("src"), destination);
    ticker.stop();

    // One dispatch per folder, after the folder is made and before its files are copied;
    // all files of a folder are copied before its sub-folders are entered.
    const QList<QStringList> expected {
        {},
        { "a.txt", "sub/" },
        { "a.txt", "sub/", "sub/b.txt", "sub/deeper/" },
        { "a.txt", "sub/", "sub/b.txt", "sub/deeper/", "z/" },
    };
    QCOMPARE(seen, expected);
}

void TestFolderHelpers::copyFolderIntoItself_data()
{
    QTest::addColumn<QString>("destination"); // inside src
    QTest::addColumn<QStringList>("tree"); // what src holds afterwards

    // src holds a.txt and sub/b.txt to begin with.
    QTest::newRow("new sub-folder") << "inner"
                                    << QStringList { "a.txt", "inner/", "inner/a.txt", "inner/sub/",
                                           "inner/sub/b.txt", "sub/", "sub/b.txt" };
    QTest::newRow("existing sub-folder")
        << "sub" << QStringList { "a.txt", "sub/", "sub/a.txt", "sub/b.txt" };
    QTest::newRow("two levels down")
        << "sub/copy"
        << QStringList { "a.txt", "sub/", "sub/b.txt", "sub/copy/", "sub/copy/a.txt",
               "sub/copy/sub/", "sub/copy/sub/b.txt" };
    QTest::newRow("the source itself") << "." << QStringList { "a.txt", "sub/", "sub/b.txt" };
}

void TestFolderHelpers::copyFolderIntoItself()
{
    QFETCH(QString, destination);
    QFETCH(QStringList, tree);

    const QString source = dir().filePath("src");
    QVERIFY(writeFile(source + "/a.txt", "a"));
    QVERIFY(writeFile(source + "/sub/b.txt", "b"));

    // The source as it was when the copy began: never the copy inside it.
    ::copyFolder(source, source + "/" + destination);
    QCOMPARE(treeBelow(source), tree);
}

void TestFolderHelpers::copyFolderSkipsSpecialFiles_data()
{
    QTest::addColumn<QString>("special"); // "fifo" or "device"
    QTest::addColumn<bool>("throughLink");

    QTest::newRow("link to a FIFO") << "fifo" << true;
    QTest::newRow("link to a device") << "device" << true;
    QTest::newRow("FIFO") << "fifo" << false;
}

void TestFolderHelpers::copyFolderSkipsSpecialFiles()
{
    QFETCH(QString, special);
    QFETCH(bool, throughLink);

    const QString source = dir().filePath("src");
    QVERIFY(writeFile(source + "/a.txt", "a"));
    QString target = dir().filePath("fifo");
    if (special == "device")
        target = harmlessDevice();
    else if (!makeFifo(target))
        QSKIP(qPrintable(systemFixtures()));
    if (target.isEmpty())
        QSKIP(qPrintable(systemFixtures()));
    QVERIFY(throughLink ? QFile::link(target, source + "/special")
                        : QFile::rename(target, source + "/special"));

    // Opening a FIFO would wait for a writer for good; a device would be copied as a
    // stream: neither is opened.
    ::copyFolder(source, dir().filePath("dst"));
    QCOMPARE(treeBelow(dir().filePath("dst")).join(","), QString("a.txt"));
}

void TestFolderHelpers::removeFolderLinkSpellings_data()
{
    QTest::addColumn<QString>("path"); // %1 stands for the temporary folder

    QTest::newRow("final /.") << "link/.";
    QTest::newRow("final /./") << "link/./";
    QTest::newRow("repeated separators and /.") << "link//.//";
    QTest::newRow("./ in front, /. twice behind") << "./link/./.";
    QTest::newRow("absolute, /./ inside") << "%1/./link/.";
    QTest::newRow("absolute, repeated separators inside") << "%1//link";
}

void TestFolderHelpers::removeFolderLinkSpellings()
{
    // However the path spells the link, the link goes and its target stays whole. Without
    // this, "link/." was read through the link and emptied the target.
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(QString, path);

    QVERIFY(writeFile(dir().filePath("target/a.txt"), "a"));
    QVERIFY(QFile::link("target", dir().filePath("link")));
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    QVERIFY(::removeFolder(path.arg(dir().path())));
    QCOMPARE(treeBelow(dir().path()), QStringList({ "target/", "target/a.txt" }));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::junctionsAreLinks_data()
{
    QTest::addColumn<QString>("operation"); // "removeFolder" on path, or "copyFolder" of src/
    QTest::addColumn<QString>("path");

    QTest::newRow("removeFolder, junction") << "removeFolder"
                                            << "src/junction";
    QTest::newRow("removeFolder, junction/.") << "removeFolder"
                                              << "src/junction/.";
    QTest::newRow("removeFolder, tree holding a junction") << "removeFolder"
                                                           << "src";
    QTest::newRow("copyFolder, junction in the tree") << "copyFolder"
                                                      << "src";
}

void TestFolderHelpers::junctionsAreLinks()
{
    // A junction is a link to a folder: removed itself, copied as a link, never gone into.
    QFETCH(QString, operation);
    QFETCH(QString, path);

    QVERIFY(writeFile(dir().filePath("target/a.txt"), "a"));
    QVERIFY(writeFile(dir().filePath("src/b.txt"), "b"));
    const QString unavailable
        = makeJunction(dir().filePath("src/junction"), dir().filePath("target"));
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    if (operation == "removeFolder") {
        QVERIFY(::removeFolder(path));
        QVERIFY(!QFileInfo::exists(dir().filePath("src/junction")));
        QCOMPARE(QFileInfo::exists(dir().filePath("src")), path != "src");
    } else {
        ::copyFolder(path, "dst");
        QVERIFY(!QFileInfo(dir().filePath("dst/junction")).isDir());
        QVERIFY(!treeBelow(dir().filePath("dst")).contains("junction/a.txt"));
        QVERIFY(treeBelow(dir().filePath("dst")).contains("b.txt"));
    }
    QCOMPARE(readBytes(dir().filePath("target/a.txt")), QByteArray("a"));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFolderHelpers::removeFolderTreeWithLinks_data()
{
    QTest::addColumn<QString>("inside"); // where in tree the entry lies
    // What it is: "folder link", "file link", "link up", "dangling link" or "fifo".
    QTest::addColumn<QString>("entry");

    QTest::newRow("link to a folder outside") << "a/b"
                                              << "folder link";
    QTest::newRow("link to a file outside") << "a"
                                            << "file link";
    QTest::newRow("link back up the tree") << "a/b"
                                           << "link up";
    QTest::newRow("dangling link") << "a"
                                   << "dangling link";
    QTest::newRow("FIFO") << "a/b"
                          << "fifo";
}

void TestFolderHelpers::removeFolderTreeWithLinks()
{
    // Whatever a removed tree holds goes itself; what a link inside leads to stays whole.
    QFETCH(QString, inside);
    QFETCH(QString, entry);
    if (entry != "fifo" && !symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));

    const QString tree = dir().filePath("tree");
    QVERIFY(makeTree(tree, { "top.txt", inside + "/", inside + "/x.txt" }));
    QVERIFY(makeTree(dir().filePath("outside"), { "keep.txt", "deeper/keep.txt" }));
    const QString name = tree + "/" + inside + "/entry";
    if (entry == "folder link")
        QVERIFY(QFile::link(dir().filePath("outside"), name));
    else if (entry == "file link")
        QVERIFY(QFile::link(dir().filePath("outside/keep.txt"), name));
    else if (entry == "link up")
        QVERIFY(QFile::link("..", name));
    else if (entry == "dangling link")
        QVERIFY(QFile::link(dir().filePath("absent"), name));
    else if (!makeFifo(name))
        QSKIP(qPrintable(systemFixtures()));

    QVERIFY(::removeFolder(tree));
    QCOMPARE(treeBelow(dir().path()),
        QStringList(
            { "outside/", "outside/deeper/", "outside/deeper/keep.txt", "outside/keep.txt" }));
}

void TestFolderHelpers::copyFolderOrderIgnoresCase()
{
    // Folders are copied one after the other by name, ignoring case, as a QDir lists them.
    QVERIFY(makeTree(dir().filePath("src"), { "B/b.txt", "a/a.txt", "C/c.txt" }));
    const QString destination = dir().filePath("dst");
    QList<QStringList> seen;
    QTimer ticker;
    ticker.setInterval(0);
    connect(&ticker, &QTimer::timeout, this, [&] { seen.append(treeBelow(destination)); });
    ticker.start();

    ::copyFolder(dir().filePath("src"), destination);
    ticker.stop();

    const QList<QStringList> expected {
        {},
        { "a/" },
        { "B/", "a/", "a/a.txt" },
        { "B/", "B/b.txt", "C/", "a/", "a/a.txt" },
    };
    QCOMPARE(seen, expected);
}

void TestFolderHelpers::copyFolderKeepsPermissions_data()
{
    QTest::addColumn<QFile::Permissions>("permissions");

    const QFile::Permissions read = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup;
    QTest::newRow("read-only") << read;
    QTest::newRow("executable, for the owner only")
        << (read | QFile::WriteOwner | QFile::WriteUser | QFile::ExeOwner | QFile::ExeUser);
}

void TestFolderHelpers::copyFolderKeepsPermissions()
{
    // The copy of each file gets the permissions that QFile::copy gives it.
    QFETCH(QFile::Permissions, permissions);
    const QString file = dir().filePath("src/sub/tool");
    QVERIFY(writeFile(file, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(file, permissions));
    QVERIFY(QFile::copy(file, dir().filePath("reference")));
    const QFile::Permissions expected = QFile::permissions(dir().filePath("reference"));

    ::copyFolder(dir().filePath("src"), dir().filePath("dst"));

    QCOMPARE(readBytes(dir().filePath("dst/sub/tool")), QByteArray("#!/bin/sh\n"));
    QCOMPARE(QFile::permissions(dir().filePath("dst/sub/tool")), expected);
    // Removed all the same, read-only or not.
    QVERIFY(::removeFolder(dir().filePath("dst")));
    QVERIFY(!QFileInfo::exists(dir().filePath("dst")));
}

// Lets the walk call back just before it goes into a sub-folder, for as long as it lives.
class EnteringHook
{
public:
    explicit EnteringHook(std::function<void(const QString &path)> hook)
    {
        FolderHandle::setEnteringHook(std::move(hook));
    }
    ~EnteringHook() { FolderHandle::setEnteringHook(nullptr); }
};

void TestFolderHelpers::folderSwappedDuringTheWalk_data()
{
    QTest::addColumn<QString>("operation"); // removeFolder of tree, or copyFolder of tree to dst
    QTest::addColumn<QString>("at"); // the sub-folder of tree about to be gone into
    QTest::addColumn<QString>("swapped"); // the folder of tree that another program moves away
    // What it puts there: a "link" to victim, victim itself ("folder"), or "nothing".
    QTest::addColumn<QString>("by");
    QTest::addColumn<bool>("removed"); // removeFolder's result
    // What is left afterwards: in the temporary folder for removeFolder, in dst for copyFolder.
    QTest::addColumn<QStringList>("left");

    // tree holds a.txt, sub/b.txt and sub/deeper/c.txt; victim, beside it, holds keep1.txt
    // and deeper/keep2.txt. The folder moved away lands at moved/.
    const QStringList victim { "victim/", "victim/deeper/", "victim/deeper/keep2.txt",
        "victim/keep1.txt" };
    const QStringList movedSub { "moved/", "moved/b.txt", "moved/deeper/", "moved/deeper/c.txt" };
    QTest::newRow("removeFolder, sub-folder becomes a link") << "removeFolder"
                                                             << "sub"
                                                             << "sub"
                                                             << "link" << true << movedSub + victim;
    QTest::newRow("removeFolder, deeper sub-folder becomes a link")
        << "removeFolder"
        << "sub/deeper"
        << "sub/deeper"
        << "link" << true << QStringList { "moved/", "moved/c.txt" } + victim;
    // The folder that was opened is emptied wherever it went, never what the path leads to.
    QTest::newRow("removeFolder, parent becomes a link as its sub-folder is entered")
        << "removeFolder"
        << "sub/deeper"
        << "sub"
        << "link" << false << QStringList { "moved/", "tree/", "tree/sub@" } + victim;
    QTest::newRow("removeFolder, sub-folder becomes another folder") << "removeFolder"
                                                                     << "sub"
                                                                     << "sub"
                                                                     << "folder" << false
                                                                     << movedSub
            + QStringList { "tree/", "tree/sub/", "tree/sub/deeper/", "tree/sub/deeper/keep2.txt",
                  "tree/sub/keep1.txt" };
    QTest::newRow("removeFolder, sub-folder moved away") << "removeFolder"
                                                         << "sub"
                                                         << "sub"
                                                         << "nothing" << true << movedSub + victim;
    QTest::newRow("copyFolder, sub-folder becomes a link")
        << "copyFolder"
        << "sub"
        << "sub"
        << "link" << true << QStringList { "a.txt", "sub@" };
    QTest::newRow("copyFolder, parent becomes a link as its sub-folder is entered")
        << "copyFolder"
        << "sub/deeper"
        << "sub"
        << "link" << true
        << QStringList { "a.txt", "sub/", "sub/b.txt", "sub/deeper/", "sub/deeper/c.txt" };
    QTest::newRow("copyFolder, sub-folder becomes another folder")
        << "copyFolder"
        << "sub"
        << "sub"
        << "folder" << true << QStringList { "a.txt" };
    QTest::newRow("copyFolder, sub-folder moved away")
        << "copyFolder"
        << "sub"
        << "sub"
        << "nothing" << true << QStringList { "a.txt" };
}

void TestFolderHelpers::folderSwappedDuringTheWalk()
{
    // Another program replaces a folder of the tree between the listing of its parent and
    // the descent: the helpers must neither remove nor copy anything outside the tree.
    QFETCH(QString, operation);
    QFETCH(QString, at);
    QFETCH(QString, swapped);
    QFETCH(QString, by);
    QFETCH(bool, removed);
    QFETCH(QStringList, left);

    const QString tree = dir().filePath("tree");
    QVERIFY(makeTree(tree, { "a.txt", "sub/b.txt", "sub/deeper/c.txt" }));
    QVERIFY(makeTree(dir().filePath("victim"), { "keep1.txt", "deeper/keep2.txt" }));
    // The link is made beforehand and only moved into place at that moment.
    const QString replacement
        = by == "nothing" ? QString() : dir().filePath(by == "link" ? "link" : "victim");
    if (by == "link") {
        if (!symbolicLinksMissing().isEmpty())
            QSKIP(qPrintable(symbolicLinksMissing()));
        QVERIFY(QFile::link(dir().filePath("victim"), replacement));
    }
    left.sort();

    bool swappedIn = false;
    EnteringHook hook([&](const QString &path) {
        if (swappedIn || path != tree + "/" + at)
            return;
        swappedIn = QFile::rename(tree + "/" + swapped, dir().filePath("moved"))
            && (replacement.isEmpty() || QFile::rename(replacement, tree + "/" + swapped));
    });
    WorkingFolder working(dir().path());
    DialogWatcher watcher;

    bool result = removed;
    if (operation == "removeFolder")
        result = ::removeFolder(tree);
    else
        ::copyFolder(tree, dir().filePath("dst"));

    QVERIFY(swappedIn);
    QCOMPARE(treeBelow(operation == "removeFolder" ? dir().path() : dir().filePath("dst")), left);
    QCOMPARE(result, removed);
    // A link found in the tree is copied as a link to the same place.
    if (left.contains("sub@"))
        QCOMPARE(QFileInfo(dir().filePath("dst/sub")).symLinkTarget(), dir().filePath("victim"));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

QTEST_MAIN(TestFolderHelpers)
#include "tst_folderhelpers.moc"
