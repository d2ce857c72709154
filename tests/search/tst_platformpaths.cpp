// Paths as each platform makes them: a search from a drive's root, names that differ only
// in case, paths longer than Windows' old limit of 260 characters, and CR LF lines.
#include "search/walk/collectfiles.h"
#include "search/scan/scansource.h"
#include "support/specialfiles.h"
#include "support/dialogwatcher.h"
#include "support/filetree.h"
#include "support/foldertest.h"
#include "support/testdrive.h"
#include "support/windowdriver.h"

#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

class TestPlatformPaths : public FolderTest
{
    Q_OBJECT

private slots:
    void driveRoot_data();
    void driveRoot();
    void namesDifferingInCase();
    void longPaths();
    void crLfLines();
    void devicesAreNotRead_data();
    void devicesAreNotRead();
    void fileNamedLikeADevice();

private:
    QString searchLog(const QString &folder, const QString &text);
};

// The log of a search made through the window as a user makes it.
QString TestPlatformPaths::searchLog(const QString &folder, const QString &text)
{
    WindowDriver driver;
    if (!driver.open())
        return QStringLiteral("<window not shown>");
    DialogWatcher watcher;
    watcher.answerFolders({ folder });
    driver.clickSelectDir();
    driver.setRecursive(true);
    driver.setContext(0, 0);
    driver.search(text);
    if (!watcher.messageBoxes.isEmpty())
        return describe(watcher.messageBoxes.first());
    return driver.logText();
}

void TestPlatformPaths::driveRoot_data()
{
    QTest::addColumn<bool>("backslash");
    QTest::newRow("Q:/") << false;
    QTest::newRow("Q:\\\\") << true;
}

// A folder chosen at a drive's root: one slash between the drive and the names, and
// backslashes in the file headers whichever way the folder was written.
void TestPlatformPaths::driveRoot()
{
    QFETCH(bool, backslash);
    TestDrive drive;
    if (drive.root().isEmpty())
        QSKIP("this system has no drive letters");
    const QString slashed = drive.root();
    QVERIFY(makeTree(slashed.chopped(1), { "sub/", "a.txt" }));
    QVERIFY(writeFile(slashed + "sub/b.txt", "un soleil\n"));

    QString root = slashed;
    if (backslash)
        root.replace('/', '\\');
    QStringList files;
    collectFiles(root, files, true, "*");
    QCOMPARE(files, QStringList({ slashed + "sub/b.txt", slashed + "a.txt" }));

    const QString log = searchLog(root, "soleil");
    QString header = slashed + "sub/b.txt";
    header.replace('/', '\\');
    QVERIFY2(log.contains("Fichier : " + header + "\n"), qPrintable(log));
}

// Where the file system ignores case (Windows), a second name that differs only in case
// is the same file: it is listed once. Elsewhere they are two files.
void TestPlatformPaths::namesDifferingInCase()
{
    QVERIFY(writeFile(dir().path() + "/note.txt", "premier soleil\n"));
    QVERIFY(writeFile(dir().path() + "/NOTE.txt", "second soleil\n"));
    const bool sameFile = QFileInfo(dir().path() + "/note.txt").size()
            == QFileInfo(dir().path() + "/NOTE.txt").size()
        && QDir(dir().path()).entryList(QDir::Files).size() == 1;

    QStringList files;
    collectFiles(dir().path(), files, false, "*.txt");
    const QString log = searchLog(dir().path(), "soleil");
    if (sameFile) {
        QCOMPARE(files.size(), 1);
        QCOMPARE(log.count("Fichier : "), 1);
        QVERIFY2(log.contains("second soleil") && !log.contains("premier soleil"), qPrintable(log));
    } else {
        QCOMPARE(files, QStringList({ dir().path() + "/note.txt", dir().path() + "/NOTE.txt" }));
        QCOMPARE(log.count("Fichier : "), 2);
    }
}

// Folders nested until the paths run well past 260 characters are walked and read.
void TestPlatformPaths::longPaths()
{
    QString folder = dir().path();
    const QString level = QString(40, 'd');
    for (int i = 0; i < 8; ++i)
        folder += '/' + level + QString::number(i);
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + "/loin.txt";
    QVERIFY2(file.size() > 330, qPrintable(QString::number(file.size())));
    QVERIFY(writeFile(file, "rien\nle soleil est loin\n"));

    QStringList files;
    collectFiles(dir().path(), files, true, "*");
    QCOMPARE(files, QStringList { file });
    const QString log = searchLog(dir().path(), "soleil");
    QString header = file;
    header.replace('/', '\\');
    QVERIFY2(
        log.contains("Fichier : " + header + "\nLigne 2\nle soleil est loin"), qPrintable(log));
}

// Files with CR LF line ends, the usual kind on Windows: lines without their CR, counted
// as the lines the user sees.
void TestPlatformPaths::crLfLines()
{
    QVERIFY(writeFile(dir().path() + "/dos.txt", "un\r\n  deux soleil  \r\n\r\ntrois soleil\r\n"));
    const QString log = searchLog(dir().path(), "soleil");
    QString header = dir().path() + "/dos.txt";
    header.replace('/', '\\');
    QVERIFY2(log.endsWith("Fichier : " + header + "\nLigne 2\ndeux soleil\n\nFichier : " + header
                 + "\nLigne 4\ntrois soleil"),
        qPrintable(log));
    QVERIFY(!log.contains('\r'));
}

void TestPlatformPaths::devicesAreNotRead_data()
{
    QTest::addColumn<QString>("path");

    // Windows answers a device name in any folder, and its own name for it.
    if (QSysInfo::productType() == QLatin1String("windows")) {
        QTest::newRow("NUL by its plain name") << "NUL";
        QTest::newRow("NUL through \\\\.\\") << "\\\\.\\NUL";
    } else {
        QTest::newRow("null device") << "/dev/null";
    }
}

void TestPlatformPaths::devicesAreNotRead()
{
    // A device is left unread, whichever name leads to it.
    QFETCH(QString, path);
    ScanSource source;
    QCOMPARE(int(source.open(path)), int(OpenResult::NotRegular));
}

void TestPlatformPaths::fileNamedLikeADevice()
{
    // A file that a tool writing "\\?\" paths named like a device is that file, not the
    // device: it is read and its hits found.
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.filePath("nul.txt");
    if (!writeFileNamedLikeADevice(path, "le soleil\n"))
        QSKIP("cannot make a file named like a device here");
    const auto removeAtEnd = qScopeGuard([&path] { removeFileNamedLikeADevice(path); });

    ScanSource source;
    QCOMPARE(int(source.open(path)), int(OpenResult::Opened));
    QCOMPARE(source.size(), qint64(10));
    char bytes[16] = {};
    QCOMPARE(source.read(bytes, sizeof bytes), qint64(10));
    QCOMPARE(QByteArray(bytes, 10), QByteArray("le soleil\n"));
    const QString log = searchLog(dir.path(), "soleil");
    QVERIFY2(log.contains("Ligne 1\nle soleil"), qPrintable(log));
}

QTEST_MAIN(TestPlatformPaths)
#include "tst_platformpaths.moc"
