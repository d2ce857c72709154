#include "helpertest.h"
#include "support/foldertest.h"
#include "support/symlinks.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// Another user and groups for the files and the children here; none needs to exist.
static const uint nobody = 65534;
static const uint writer = 12345;
static const uint sharedGroup = 23456;

// Owner, group, mode and extended attributes as one readable line.
static QString identityText(const FileIdentity &identity)
{
    if (!identity.valid)
        return QStringLiteral("<no file>");
    QString text = QStringLiteral("owner %1 group %2 mode %3")
                       .arg(identity.owner)
                       .arg(identity.group)
                       .arg(identity.mode, 4, 8, QLatin1Char('0'));
    for (auto it = identity.attributes.cbegin(); it != identity.attributes.cend(); ++it)
        text += QLatin1Char(' ') + QString::fromLatin1(it.key()) + QLatin1Char('=')
            + QString::fromLatin1(it.value().toHex());
    return text;
}

// The file as a save leaves it, to compare with the same taken before: its content, identity
// and inode, and what its folder holds.
static QStringList fileState(const QString &path)
{
    const FileIdentity identity = fileIdentity(path);
    return { QString::fromUtf8(readBytes(path)), identityText(identity),
        QString::number(identity.inode),
        folderEntries(QFileInfo(path).path()).join(QLatin1Char(',')) };
}

// The state of a file rewritten in place with "nouveau": the same file, the new content.
static QStringList rewrittenInPlace(QStringList before)
{
    before.first() = QStringLiteral("nouveau\n");
    return before;
}

class TestFileSaves : public FolderTest
{
    Q_OBJECT

private slots:
    void administratorKeepsIdentity_data();
    void administratorKeepsIdentity();
    void groupMemberKeepsOwner();
    void hardLinkedFileUpdatedInPlace_data();
    void hardLinkedFileUpdatedInPlace();
    void inPlaceFullDiskKeepsOldContent();
    void endlessLinksAreOpenFailures_data();
    void endlessLinksAreOpenFailures();
    void linksLeadToTheirFile_data();
    void linksLeadToTheirFile();
    void stickyFolderFileOfAnotherUser_data();
    void stickyFolderFileOfAnotherUser();
    void fileMountedOverItself();
    void heldFileKeepsContent_data();
    void heldFileKeepsContent();
    void sparseFileOnFullDisk();
    void flagsKept_data();
    void flagsKept();
    void unseenAttributesKept();
    void hardLinksShareTheSave_data();
    void hardLinksShareTheSave();
    void replacementKeepsFileTraits_data();
    void replacementKeepsFileTraits();
};

void TestFileSaves::administratorKeepsIdentity_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<uint>("group");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<QByteArray>("attribute"); // "acl" for an access-control list
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("another user's file, set-group-id")
        << "writeLines" << sharedGroup << 02775u << QByteArray() << QByteArray();
    QTest::newRow("set-user-id, set-group-id and sticky")
        << "createTextFile" << nobody << 07755u << QByteArray() << QByteArray();
    QTest::newRow("user attribute") << "replaceInFile" << sharedGroup << 0640u
                                    << QByteArray("user.morl.note") << QByteArray("gardé");
    QTest::newRow("access-control list")
        << "writeLines" << sharedGroup << 0640u << QByteArray("acl") << QByteArray();
}

void TestFileSaves::administratorKeepsIdentity()
{
    QFETCH(QString, operation);
    QFETCH(uint, group);
    QFETCH(uint, mode);
    QFETCH(QByteArray, attribute);
    QFETCH(QByteArray, value);
    if (!isAdministrator())
        QSKIP("needs an administrator, who may give files away");

    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    QVERIFY(setOwner(path, nobody, group));
    QVERIFY(setMode(path, mode));
    if (attribute == "acl")
        QVERIFY(setAttribute(path, accessListName(), accessListFor(writer)));
    else if (!attribute.isEmpty())
        QVERIFY(setAttribute(path, attribute, value));
    const FileIdentity before = fileIdentity(path);
    QVERIFY(before.valid);
    DialogWatcher watcher;

    QVERIFY(writeWith(operation, path, "nouveau"));
    QCOMPARE(readBytes(path), QByteArray("nouveau\n"));
    QCOMPARE(identityText(fileIdentity(path)), identityText(before));
    QCOMPARE(folderEntries(dir().path()), QStringList { "file.txt" });
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::groupMemberKeepsOwner()
{
    // A member of the file's group may write it but not give a new file to its owner:
    // the save writes the file itself. The folder lets anyone make a temporary file.
    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (!setOwner(path, nobody, sharedGroup))
        QSKIP("cannot give files away here");
    QVERIFY(setMode(dir().path(), 0777));
    QVERIFY(setMode(path, 02664));
    QVERIFY(setAttribute(path, "user.morl.note", "gardé"));
    const QStringList before = fileState(path);
    QCOMPARE(before.last(), QString("file.txt"));

    const ChildResult result = runAsUser(
        writer, writer, { sharedGroup }, [&path] { return ::writeLines(path, { "nouveau" }); });
    if (result == ChildResult::Unavailable)
        QSKIP("cannot run a child as another user here");
    QCOMPARE(int(result), int(ChildResult::True));
    QCOMPARE(fileState(path), rewrittenInPlace(before));
}

void TestFileSaves::hardLinkedFileUpdatedInPlace_data()
{
    writeOperationRows();
}

void TestFileSaves::hardLinkedFileUpdatedInPlace()
{
    QFETCH(QString, operation);

    const QString path = dir().filePath("a.txt");
    QVERIFY(writeFile(path, "ancien, plus long que le nouveau\n"));
    if (!makeHardLink(path, dir().filePath("b.txt")))
        QSKIP(qPrintable(systemFixtures()));
    const FileIdentity before = fileIdentity(path);
    DialogWatcher watcher;

    QVERIFY(writeWith(operation, path, "nouveau"));
    const QByteArray after = "nouveau, plus long que le nouveau\n";
    const QByteArray expected = operation == "replaceInFile" ? after : "nouveau\n";
    QCOMPARE(readBytes(path), expected);
    QCOMPARE(readBytes(dir().filePath("b.txt")), expected);
    QCOMPARE(fileIdentity(path).inode, before.inode);
    QCOMPARE(fileIdentity(path).links, 2u);
    QCOMPARE(folderEntries(dir().path()), QStringList({ "a.txt", "b.txt" }));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::inPlaceFullDiskKeepsOldContent()
{
    // Written in place (it has two names), the file must fail before anything of it is
    // overwritten: the space for the new content is taken first.
    const QString path = dir().filePath("a.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (!makeHardLink(path, dir().filePath("b.txt")))
        QSKIP(qPrintable(systemFixtures()));
    DialogWatcher watcher;

    bool written = true;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.isSet());
        written = ::writeLines(path, { QString(8192, QLatin1Char('x')) });
    }
    QVERIFY(!written);
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox("writeLines", path) });
    QCOMPARE(readBytes(path), QByteArray("ancien\n"));
    QCOMPARE(readBytes(dir().filePath("b.txt")), QByteArray("ancien\n"));
}

void TestFileSaves::endlessLinksAreOpenFailures_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("chain"); // 0: a link to itself, 2: two links in a loop, else a chain

    QTest::newRow("writeLines, link to itself") << "writeLines" << 0;
    QTest::newRow("createTextFile, link to itself") << "createTextFile" << 0;
    QTest::newRow("writeLines, two links in a loop") << "writeLines" << 2;
    QTest::newRow("createTextFile, 41 links to a file") << "createTextFile" << 41;
}

void TestFileSaves::endlessLinksAreOpenFailures()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(QString, operation);
    QFETCH(int, chain);

    const QString path = dir().filePath("link0");
    if (chain == 0) {
        QVERIFY(QFile::link("link0", path));
    } else if (chain == 2) {
        QVERIFY(QFile::link("link1", path));
        QVERIFY(QFile::link("link0", dir().filePath("link1")));
    } else {
        // More links than the system follows in one path, ending at a real file.
        for (int i = 0; i < chain; ++i)
            QVERIFY(QFile::link(
                QString("link%1").arg(i + 1), dir().filePath(QString("link%1").arg(i))));
        QVERIFY(writeFile(dir().filePath(QString("link%1").arg(chain)), "ancien\n"));
    }
    const QStringList before = folderEntries(dir().path());
    DialogWatcher watcher;

    QVERIFY(!writeWith(operation, path, "nouveau"));
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox(operation, path) });
    QCOMPARE(folderEntries(dir().path()), before);
    if (chain > 2)
        QCOMPARE(readBytes(dir().filePath(QString("link%1").arg(chain))), QByteArray("ancien\n"));
}

void TestFileSaves::linksLeadToTheirFile_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("chain of three links to a file") << true;
    QTest::newRow("chain to a missing file, which is made") << false;
}

void TestFileSaves::linksLeadToTheirFile()
{
    if (!symbolicLinksMissing().isEmpty())
        QSKIP(qPrintable(symbolicLinksMissing()));
    QFETCH(bool, targetExists);

    QVERIFY(QDir(dir().path()).mkdir("sub"));
    if (targetExists)
        QVERIFY(writeFile(dir().filePath("sub/target.txt"), "ancien, plus long\n"));
    // Relative targets count from each link's own folder.
    QVERIFY(QFile::link("sub/middle", dir().filePath("first")));
    QVERIFY(QFile::link("last", dir().filePath("sub/middle")));
    QVERIFY(QFile::link("target.txt", dir().filePath("sub/last")));
    DialogWatcher watcher;

    QVERIFY(::writeLines(dir().filePath("first"), { "nouveau" }));
    QCOMPARE(readBytes(dir().filePath("sub/target.txt")), QByteArray("nouveau\n"));
    QCOMPARE(folderEntries(dir().path()),
        QStringList({ "first -> " + dir().filePath("sub/middle"), "sub" }));
    QCOMPARE(folderEntries(dir().filePath("sub")),
        QStringList({ "last -> " + dir().filePath("sub/target.txt"),
            "middle -> " + dir().filePath("sub/last"), "target.txt" }));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::stickyFolderFileOfAnotherUser_data()
{
    writeOperationRows();
}

void TestFileSaves::stickyFolderFileOfAnotherUser()
{
    // As in /tmp: everyone may make files in the folder, only owners may replace theirs,
    // and this file lets everyone write it.
    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (!setOwner(path, nobody, nobody))
        QSKIP("cannot give files away here");
    QVERIFY(setMode(path, 0666));
    QVERIFY(setMode(dir().path(), 01777));
    const QStringList before = fileState(path);
    QCOMPARE(before.last(), QString("file.txt"));

    QFETCH(QString, operation);
    const ChildResult result = runAsUser(
        writer, writer, {}, [&operation, &path] { return writeWith(operation, path, "nouveau"); });
    if (result == ChildResult::Unavailable)
        QSKIP("cannot run a child as another user here");
    QCOMPARE(int(result), int(ChildResult::True));
    QCOMPARE(fileState(path), rewrittenInPlace(before));
}

void TestFileSaves::fileMountedOverItself()
{
    // Nothing can be renamed over a mount point: the system answers EBUSY.
    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien, plus long\n"));
    if (!mountOverItself(path))
        QSKIP("cannot mount here");
    DialogWatcher watcher;

    const bool written = ::writeLines(path, { "nouveau" });
    const QByteArray content = readBytes(path);
    const QStringList left = folderEntries(dir().path());
    QVERIFY(unmount(path));
    QVERIFY(written);
    QCOMPARE(content, QByteArray("nouveau\n"));
    QCOMPARE(readBytes(path), QByteArray("nouveau\n"));
    QCOMPARE(left, QStringList { "file.txt" });
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::heldFileKeepsContent_data()
{
    writeOperationRows();
}

void TestFileSaves::heldFileKeepsContent()
{
    // Neither replaced nor written: the box, and the file as it was.
    QFETCH(QString, operation);

    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    bool written = true;
    DialogWatcher watcher;
    {
        HeldFile held(path);
        if (!held.isHeld())
            QSKIP("cannot hold a file against changes here");
        written = writeWith(operation, path, "nouveau");
    }
    QVERIFY(!written);
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox(operation, path) });
    QCOMPARE(readBytes(path), QByteArray("ancien\n"));
    QCOMPARE(folderEntries(dir().path()), QStringList { "file.txt" });
}

void TestFileSaves::sparseFileOnFullDisk()
{
    // A sparse file shorter in the new content still needs blocks for its holes: on a full
    // disk the save must fail before the first byte of the old content is overwritten.
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString unavailable = mountSmallFileSystem(dir.path(), 1024 * 1024);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    // The file system goes with the test, whichever way the test ends.
    const auto unmountAtEnd = qScopeGuard([&dir] { unmount(dir.path()); });
    const QString path = dir.filePath("a.txt");
    QFile sparse(path);
    QVERIFY(sparse.open(QIODevice::WriteOnly));
    QCOMPARE(sparse.write("ancien\n"), qint64(7));
    QVERIFY(sparse.resize(800 * 1000));
    sparse.close();
    QVERIFY(makeHardLink(path, dir.filePath("b.txt")));
    QVERIFY(fillFileSystem(dir.filePath("filler")));
    DialogWatcher watcher;

    QVERIFY(!::writeLines(path, { QString(700 * 1000, QLatin1Char('x')) }));
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox("writeLines", path) });
    QCOMPARE(readBytes(path).left(7), QByteArray("ancien\n"));
    QCOMPARE(QFileInfo(path).size(), qint64(800 * 1000));
}

void TestFileSaves::flagsKept_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("flags"); // as chattr names them
    QTest::addColumn<bool>("tmpfs"); // on a tmpfs of its own, else in the temporary folder

    QTest::newRow("no dump, writeLines") << "writeLines"
                                         << "d" << false;
    QTest::newRow("no dump and no access time, replaceInFile") << "replaceInFile"
                                                               << "dA" << false;
    QTest::newRow("no dump on a tmpfs, createTextFile") << "createTextFile"
                                                        << "d" << true;
}

void TestFileSaves::flagsKept()
{
    // The flags that chattr sets go with the file: the new file gets them.
    QFETCH(QString, operation);
    QFETCH(QString, flags);
    QFETCH(bool, tmpfs);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    if (tmpfs) {
        const QString unavailable = mountSmallFileSystem(dir.path(), 1024 * 1024);
        if (!unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
    }
    const auto unmountAtEnd = qScopeGuard([&dir, tmpfs] {
        if (tmpfs)
            unmount(dir.path());
    });
    const QString path = dir.filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (!addFileFlags(path, flags) || fileFlags(path) != flags)
        QSKIP("the file system here keeps no such flags");
    DialogWatcher watcher;

    QVERIFY(writeWith(operation, path, "nouveau"));
    QCOMPARE(fileFlags(path), flags);
    QCOMPARE(readBytes(path), QByteArray("nouveau\n"));
    QCOMPARE(folderEntries(dir.path()), QStringList { "file.txt" });
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::unseenAttributesKept()
{
    // Attributes of the trusted namespace are listed to administrators only: another user
    // cannot give them to a new file, so the save writes the file itself.
    if (!isAdministrator())
        QSKIP("needs an administrator, to set a trusted attribute and switch users");
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (!setAttribute(path, "trusted.morl.note", "gardé"))
        QSKIP("the file system here has no trusted attributes");
    QVERIFY(setOwner(path, nobody, nobody));
    QVERIFY(setMode(path, 0644));
    QVERIFY(setMode(dir.path(), 0777));
    const FileIdentity before = fileIdentity(path);

    const ChildResult result
        = runAsUser(nobody, nobody, {}, [&path] { return ::writeLines(path, { "nouveau" }); });
    if (result == ChildResult::Unavailable)
        QSKIP("cannot run a child as another user here");
    QCOMPARE(int(result), int(ChildResult::True));
    QCOMPARE(readBytes(path), QByteArray("nouveau\n"));
    QCOMPARE(identityText(fileIdentity(path)), identityText(before));
    QCOMPARE(fileIdentity(path).inode, before.inode);
    QCOMPARE(folderEntries(dir.path()), QStringList { "file.txt" });
}

void TestFileSaves::hardLinksShareTheSave_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name"); // the name saved; the file has h1 and h2

    QTest::newRow("writeLines on the first name") << "writeLines"
                                                  << "h1";
    QTest::newRow("replaceInFile on the second name") << "replaceInFile"
                                                      << "h2";
}

void TestFileSaves::hardLinksShareTheSave()
{
    // A file with two names stays one file: both names read the new content. On Windows
    // (NTFS, and Wine), a replacement would leave the other name with the old content.
    QFETCH(QString, operation);
    QFETCH(QString, name);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString first = dir.filePath("h1");
    const QString second = dir.filePath("h2");
    QVERIFY(writeFile(first, "ancien\n"));
    if (!linkSecondName(first, second))
        QSKIP("no hard links on this file system");
    DialogWatcher watcher;

    QVERIFY(writeWith(operation, dir.filePath(name), "nouveau"));
    QCOMPARE(readBytes(first), asWritten("nouveau\n"));
    QCOMPARE(readBytes(second), asWritten("nouveau\n"));
    QVERIFY(sameFile(first, second));
    QCOMPARE(folderEntries(dir.path()), QStringList({ "h1", "h2" }));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestFileSaves::replacementKeepsFileTraits_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("traits"); // as addFileTraits names them
    QTest::addColumn<bool>("wineJudges"); // false: Wine's ReplaceFileW does not keep it

    QTest::newRow("hidden and system, writeLines")
        << "writeLines" << QStringList { "hidden", "system" } << false;
    QTest::newRow("named stream, replaceInFile")
        << "replaceInFile" << QStringList { "stream" } << false;
    QTest::newRow("creation time, createTextFile")
        << "createTextFile" << QStringList { "old creation time" } << false;
    QTest::newRow("access rules of its own, writeLines")
        << "writeLines" << QStringList { "private access" } << false;
}

void TestFileSaves::replacementKeepsFileTraits()
{
    // What Windows keeps with a file goes with it through a save: the new file never gets
    // the folder's access rules instead of the file's own, nor loses its attributes,
    // streams or creation time.
    QFETCH(QString, operation);
    QFETCH(QStringList, traits);
    QFETCH(bool, wineJudges);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    if (fileTraits(path).isNull())
        QSKIP("no Windows file traits on this system");
    if (!wineJudges && !wineVersion().isEmpty())
        QSKIP(qPrintable(wineVersion() + " implements ReplaceFileW only in part: for Windows"));
    QVERIFY(addFileTraits(path, traits));
    const QString before = fileTraits(path);
    DialogWatcher watcher;

    QVERIFY(writeWith(operation, path, "nouveau"));
    QCOMPARE(readBytes(path), asWritten("nouveau\n"));
    QCOMPARE(fileTraits(path), before);
    QCOMPARE(folderEntries(dir.path()), QStringList { "file.txt" });
    QCOMPARE(seenBoxes(watcher), QStringList());
}

QTEST_MAIN(TestFileSaves)
#include "tst_filesaves.moc"
