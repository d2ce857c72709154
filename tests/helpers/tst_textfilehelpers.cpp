#include "helpers/helpers.h"
#include "helpertest.h"
#include "support/foldertest.h"
#include "support/specialfiles.h"

#include <QRegularExpression>
#include <QTest>

// The user nobody and its group on Debian; root may switch to them whether or not they are
// named on this system.
static const uint nobody = 65534;

// Puts what a data row's content column names at path: "<missing>" leaves nothing there,
// "<folder>" makes a folder of that name, anything else is the file's bytes.
static bool placeTarget(const QString &path, const QByteArray &content)
{
    if (content == "<folder>")
        return QDir().mkdir(path);
    return content == "<missing>" || writeFile(path, content);
}

// Data rows of the marker and open-failure tables, in column order.
static void markerRow(const char *name, const QString &start, const QString &end,
    const QString &text, const QString &after)
{
    QTest::newRow(name) << start << end << text << after;
}

static void extractRow(const char *name, const QString &start, const QString &end,
    const QString &text, const QStringList &pieces, const QString &left)
{
    QTest::newRow(name) << start << end << text << pieces << left;
}

static void openFailureRow(const char *name, const QString &operation, const QString &file)
{
    QTest::newRow(name) << operation << file;
}

class TestTextFileHelpers : public FolderTest
{
    Q_OBJECT

private slots:
    void newUuidText();
    void replaceBetween_data();
    void replaceBetween();
    void extractBetween_data();
    void extractBetween();
    void fileExists_data();
    void fileExists();
    void fileContainsAny_data();
    void fileContainsAny();
    void writeLinesAndCreateTextFile_data();
    void writeLinesAndCreateTextFile();
    void writeOpenFailure_data();
    void writeOpenFailure();
    void replaceInFile_data();
    void replaceInFile();
    void replaceInFileRefuses_data();
    void replaceInFileRefuses();
    void failedWriteKeepsOldContent_data();
    void failedWriteKeepsOldContent();
    void saveKeepsModeAndLinks();
    void fifoIsWrittenNotReplaced();
    void deviceWriteFailureReported_data();
    void deviceWriteFailureReported();
    void lockedFolderWritesDirectly();
    void specialFilesNeverWait_data();
    void specialFilesNeverWait();
};

void TestTextFileHelpers::newUuidText()
{
    const QString first = ::newUuidText();
    const QRegularExpression shape(
        "^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$");
    QVERIFY2(shape.match(first).hasMatch(), qPrintable(first));
    QVERIFY(first != ::newUuidText());
}

void TestTextFileHelpers::replaceBetween_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after"); // empty: refused, text unchanged

    markerRow("one pair", "{{", "}}", "a{{old}}z", "a{{new}}z");
    markerRow("first pair only", "[", "]", "[x][y]", "[new][y]");
    markerRow("end ends where start begins", "<", ">", "a><c", "a><new><c");
    markerRow("empty stretch", "<", ">", "<>", "<new>");
    markerRow("end marker in other case", "<a>", "</A>", "<a>x</a>", "");
    markerRow("start missing", "<", ">", "a>b", "");
    markerRow("end missing", "<", ">", "a<b", "");
    markerRow("end closes before start", "<", ">", "a>b><c", "");
    // The box shows the markers as typed, not as bold text.
    markerRow("markers that look like markup", "<b>", "</b>", "x<i>y</i>", "");
}

void TestTextFileHelpers::replaceBetween()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, text);
    QFETCH(QString, after);

    DialogWatcher watcher;
    QString changed = text;
    QCOMPARE(::replaceBetween(start, end, "new", changed), !after.isEmpty());
    QCOMPARE(changed, after.isEmpty() ? text : after);
    const QStringList boxes = after.isEmpty()
        ? QStringList { "[warning] Erreur: Impossible de trouver " + start + " ou " + end
              + " dans la chaine " + text }
        : QStringList();
    QCOMPARE(seenBoxes(watcher), boxes);
}

void TestTextFileHelpers::extractBetween_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QString>("left");

    extractRow("two pieces", "[", "]", "x[a]y[b]z", { "a", "b" }, "]z");
    extractRow("no start marker", "[", "]", "x]y", {}, "x]y");
    extractRow("adjacent markers", "[", "]", "[]", { "" }, "]");
    extractRow("unclosed start after a piece", "[", "]", "[a][b", { "a" }, "][b");
    extractRow("end marker only before start", "[", "]", "]x[y", {}, "]x[y");
    extractRow("same marker, last one unclosed", "|", "|", "|a|b", { "a" }, "|b");
    extractRow("empty start marker", "", "]", "a]b]", { "a" }, "]b]");
    extractRow("both markers empty", "", "", "abc", {}, "abc");
    extractRow("multi-character markers", "<<", ">>", "<<a>b>><<c>>", { "a>b", "c" }, ">>");
}

void TestTextFileHelpers::extractBetween()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, text);
    QFETCH(QStringList, pieces);
    QFETCH(QString, left);

    DialogWatcher watcher;
    QCOMPARE(::extractBetween(text, start, end), pieces);
    QCOMPARE(text, left);
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestTextFileHelpers::fileExists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("result");

    QTest::newRow("file") << "file.txt" << true;
    QTest::newRow("folder") << "folder" << true;
    QTest::newRow("missing") << "absent.txt" << false;
}

void TestTextFileHelpers::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, result);

    QVERIFY(writeFile(dir().filePath("file.txt"), "x"));
    QVERIFY(QDir(dir().path()).mkdir("folder"));
    const QString path = dir().filePath(name);
    DialogWatcher watcher;

    QCOMPARE(::fileExists(path), result);
    const QStringList boxes = result
        ? QStringList()
        : QStringList { "[critical] Erreur: Impossible d'ouvrir le fichier " + path };
    QCOMPARE(seenBoxes(watcher), boxes);
}

void TestTextFileHelpers::fileContainsAny_data()
{
    QTest::addColumn<QByteArray>("content"); // "<missing>" and "<folder>" make no file
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("boxes"); // %1 stands for the path

    const QStringList none;
    QTest::newRow("key on a later line")
        << QByteArray("un\ndeux\ntrois") << QStringList { "x", "ro" } << true << none;
    QTest::newRow("no key matches")
        << QByteArray("un\ndeux\n") << QStringList { "trois" } << false << none;
    QTest::newRow("empty key list") << QByteArray("un\n") << QStringList() << false << none;
    QTest::newRow("empty key, one empty line")
        << QByteArray("\n") << QStringList { "" } << true << none;
    QTest::newRow("empty key, empty file") << QByteArray() << QStringList { "" } << false << none;
    QTest::newRow("key with a leading blank")
        << QByteArray(" \tcle\n") << QStringList { " cle" } << false << none;
    QTest::newRow("letter case matters")
        << QByteArray("Clé\n") << QStringList { "clé" } << false << none;
    QTest::newRow("CR LF line ends")
        << QByteArray("un\r\ndeux\r\n") << QStringList { "deux" } << true << none;
    QTest::newRow("not UTF-8, still read")
        << QByteArray("caf\xe9 ok\n") << QStringList { "ok" } << true << none;
    QTest::newRow("lone CR joins text")
        << QByteArray("pm_\rresume\n") << QStringList { "pm_resume" } << true << none;
    QTest::newRow("Windows-1252 letter")
        << QByteArray("Le caf\xe9 est chaud\n") << QStringList { "café" } << true << none;
    QTest::newRow("Windows-1252 quotes and euro sign")
        << QByteArray("a\nun \x93mot\x94 \x80 5\n") << QStringList { "“mot” €" } << true << none;
    QTest::newRow("Windows-1252 line without line end")
        << QByteArray("a\ncaf\xe9") << QStringList { "café" } << true << none;
    QTest::newRow("damaged UTF-8 line stays UTF-8")
        << QByteArray("\xc3\xa9t\xe9\n") << QStringList { "été" } << false << none;
    QTest::newRow("binary line stays UTF-8")
        << QByteArray("caf\xe9\0\n", 6) << QStringList { "café" } << false << none;
    QTest::newRow("UTF-16 with byte-order mark") << QByteArray::fromHex("fffe630061006600e9000a00")
                                                 << QStringList { "café" } << true << none;
    QTest::newRow("missing file") << QByteArray("<missing>") << QStringList { "x" } << false
                                  << QStringList {
                                         "[critical] Erreur: Impossible d'ouvrir le fichier %1",
                                         "[warning] Fichier non trouvé: Le fichier %1 n'existe pas."
                                     };
    QTest::newRow("folder, unreadable as a file")
        << QByteArray("<folder>") << QStringList { "x" } << false
        << QStringList { "[critical] Fichier illisible: impossible d'ouvrir le fichier %1." };
}

void TestTextFileHelpers::fileContainsAny()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, keys);
    QFETCH(bool, result);
    QFETCH(QStringList, boxes);

    const QString path = dir().filePath("file.txt");
    boxes.replaceInStrings("%1", path);
    QVERIFY(placeTarget(path, content));
    DialogWatcher watcher;

    QCOMPARE(::fileContainsAny(keys, path), result);
    QCOMPARE(seenBoxes(watcher), boxes);
}

void TestTextFileHelpers::writeLinesAndCreateTextFile_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("input"); // the lines, or the text as one entry
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("lines") << "writeLines" << QStringList { "un", "", "deux" }
                           << QByteArray("un\n\ndeux\n");
    QTest::newRow("no lines") << "writeLines" << QStringList() << QByteArray();
    QTest::newRow("UTF-8, no byte-order mark")
        << "writeLines" << QStringList { "é" } << QByteArray("\xc3\xa9\n");
    QTest::newRow("text") << "createTextFile" << QStringList { "un\ndeux" }
                          << QByteArray("un\ndeux\n");
    QTest::newRow("empty text") << "createTextFile" << QStringList { "" } << QByteArray("\n");
}

void TestTextFileHelpers::writeLinesAndCreateTextFile()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, input);
    QFETCH(QByteArray, content);

    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "a longer previous content\n"));
    DialogWatcher watcher;

    QVERIFY(operation == "writeLines" ? ::writeLines(path, input)
                                      : ::createTextFile(path, input.value(0)));
    QCOMPARE(readBytes(path), asWritten(content));
    QCOMPARE(folderEntries(dir().path()), QStringList { "file.txt" });
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestTextFileHelpers::writeOpenFailure_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("name");

    openFailureRow("writeLines, missing folder", "writeLines", "absent/file.txt");
    openFailureRow("writeLines, onto a folder", "writeLines", "folder");
    openFailureRow("createTextFile, missing folder", "createTextFile", "absent/file.txt");
    openFailureRow("createTextFile, onto a folder", "createTextFile", "folder");
}

void TestTextFileHelpers::writeOpenFailure()
{
    QFETCH(QString, operation);
    QFETCH(QString, name);

    QVERIFY(QDir(dir().path()).mkdir("folder"));
    const QString path = dir().filePath(name);
    DialogWatcher watcher;

    QVERIFY(!writeWith(operation, path, "x"));
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox(operation, path) });
    QCOMPARE(folderEntries(dir().path()), QStringList { "folder" });
}

void TestTextFileHelpers::replaceInFile_data()
{
    QTest::addColumn<QStringList>("searchTexts");
    QTest::addColumn<QStringList>("replacements");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("pairs apply in turn") << QStringList { "a", "b" } << QStringList { "b", "c" }
                                         << QByteArray("ab\nxa\n") << QByteArray("cc\nxc\n");
    QTest::newRow("case and blanks kept") << QStringList { "ab" } << QStringList { "X" }
                                          << QByteArray(" Ab ab \n") << QByteArray(" Ab X \n");
    QTest::newRow("last line gets a line end")
        << QStringList { "z" } << QStringList { "y" } << QByteArray("un\ndeux")
        << QByteArray("un\ndeux\n");
    QTest::newRow("byte-order mark kept")
        << QStringList { "u" } << QStringList { "U" } << QByteArray("\xef\xbb\xbfun\n")
        << QByteArray("\xef\xbb\xbfUn\n");
    QTest::newRow("Windows-1252 lines stay Windows-1252")
        << QStringList { "chaud", "mot" } << QStringList { "froid", "terme" }
        << QByteArray("Le caf\xe9 est chaud\r\nun \x93mot\x94 \x80 5\r\n")
        << QByteArray("Le caf\xe9 est froid\nun \x93terme\x94 \x80 5\n");
    QTest::newRow("Windows-1252 text replaced")
        << QStringList { "café" } << QStringList { "thé" } << QByteArray("un caf\xe9\n")
        << QByteArray("un th\xe9\n");
    QTest::newRow("Windows-1252 after a byte-order mark")
        << QStringList { "a" } << QStringList { "b" } << QByteArray("\xef\xbb\xbf\xe9 a\n")
        << QByteArray("\xef\xbb\xbf\xe9 b\n");
    QTest::newRow("character outside Windows-1252: the line in UTF-8")
        << QStringList { "caf" } << QStringList { "ł" } << QByteArray("caf\xe9\n")
        << QByteArray("\xc5\x82\xc3\xa9\n");
    QTest::newRow("bytes that would read back as UTF-8: the line in UTF-8")
        << QStringList { "x" } << QStringList { "Ã©" } << QByteArray("x\xe9\n")
        << QByteArray("\xc3\x83\xc2\xa9\xc3\xa9\n");
    QTest::newRow("lines left alone keep their bytes")
        << QStringList { "z" } << QStringList { "Z" }
        << QByteArray("caf\xe9\n\xc3\xa9t\xc3\xa9 z\n\xef\xbb\xbfx\n")
        << QByteArray("caf\xe9\n\xc3\xa9t\xc3\xa9 Z\n\xef\xbb\xbfx\n");
    QTest::newRow("encoded surrogate, read as Windows-1252")
        << QStringList { "a" } << QStringList { "b" } << QByteArray("a\xed\xa0\x80\n")
        << QByteArray("b\xed\xa0\x80\n");
    QTest::newRow("CR LF becomes LF") << QStringList { "a" } << QStringList { "b" }
                                      << QByteArray("a\r\nc\r\n") << QByteArray("b\nc\n");
    QTest::newRow("extra replacements ignored") << QStringList { "a" } << QStringList { "b", "c" }
                                                << QByteArray("aa\n") << QByteArray("bb\n");
    QTest::newRow("UTF-8 text") << QStringList { "é" } << QStringList { "e" }
                                << QByteArray("caf\xc3\xa9\n") << QByteArray("cafe\n");
    QTest::newRow("empty file") << QStringList { "a" } << QStringList { "b" } << QByteArray()
                                << QByteArray();
}

void TestTextFileHelpers::replaceInFile()
{
    QFETCH(QStringList, searchTexts);
    QFETCH(QStringList, replacements);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, before));
    DialogWatcher watcher;

    QVERIFY(::replaceInFile(searchTexts, replacements, path));
    QCOMPARE(readBytes(path), asWritten(after));
    QCOMPARE(seenBoxes(watcher), QStringList());
}

void TestTextFileHelpers::replaceInFileRefuses_data()
{
    QTest::addColumn<QStringList>("replacements");
    QTest::addColumn<QByteArray>("content"); // "<missing>" and "<folder>" make no file
    QTest::addColumn<QString>("box"); // %1 stands for the path

    const QString invalid = "[critical] Erreur: Fichier non modifié, texte UTF-8 invalide dans %1";
    QTest::newRow("fewer replacements than search texts")
        << QStringList { "x" } << QByteArray("a b\n")
        << "[critical] Erreur: Remplacements incomplets, fichier non modifié %1";
    QTest::newRow("UTF-16 with byte-order mark")
        << QStringList { "x", "y" } << QByteArray::fromHex("fffe61000a00") << invalid;
    QTest::newRow("damaged UTF-8 line")
        << QStringList { "x", "y" } << QByteArray("a\n\xc3\xa9 a\xe9\n") << invalid;
    QTest::newRow("binary content")
        << QStringList { "x", "y" } << QByteArray("a\x01\xe9\n") << invalid;
    QTest::newRow("UTF-8 sequence cut at the end")
        << QStringList { "x", "y" } << QByteArray("a\n\xc3\xa9 \xe2\x82") << invalid;
    QTest::newRow("missing file") << QStringList { "x", "y" } << QByteArray("<missing>")
                                  << "[critical] Erreur: Impossible d'ouvrir le fichier %1";
    QTest::newRow("folder") << QStringList { "x", "y" } << QByteArray("<folder>")
                            << "[critical] Erreur: Impossible d'ouvrir le fichier %1";
}

void TestTextFileHelpers::replaceInFileRefuses()
{
    QFETCH(QStringList, replacements);
    QFETCH(QByteArray, content);
    QFETCH(QString, box);

    const QString path = dir().filePath("file.txt");
    QVERIFY(placeTarget(path, content));
    DialogWatcher watcher;

    QVERIFY(!::replaceInFile({ "a", "b" }, replacements, path));
    QCOMPARE(seenBoxes(watcher), QStringList { box.arg(path) });
    if (content == "<missing>")
        QVERIFY(!QFileInfo::exists(path));
    else if (content != "<folder>")
        QCOMPARE(readBytes(path), content);
}

void TestTextFileHelpers::failedWriteKeepsOldContent_data()
{
    writeOperationRows();
}

void TestTextFileHelpers::failedWriteKeepsOldContent()
{
    QFETCH(QString, operation);
    if (!systemFixtures().isEmpty())
        QSKIP(qPrintable(systemFixtures()));

    const QString path = dir().filePath("file.txt");
    QVERIFY(writeFile(path, "ancien\n"));
    DialogWatcher watcher;

    bool written = true;
    {
        // The open succeeds; the writes fail part way, past 1 KiB.
        FileSizeLimit limit(1024);
        QVERIFY(limit.isSet());
        written = writeWith(operation, path, QString(8192, QLatin1Char('x')));
    }
    QVERIFY(!written);
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox(operation, path) });
    QCOMPARE(readBytes(path), QByteArray("ancien\n"));
    QCOMPARE(folderEntries(dir().path()), QStringList { "file.txt" });
}

void TestTextFileHelpers::saveKeepsModeAndLinks()
{
    if (!systemFixtures().isEmpty())
        QSKIP(qPrintable(systemFixtures()));
    const QString target = dir().filePath("target.txt");
    const QString link = dir().filePath("link.txt");
    QVERIFY(writeFile(target, "ancien\n"));
    QVERIFY(setMode(target, 0640));
    QVERIFY(QFile::link(target, link));

    QVERIFY(::writeLines(link, { "nouveau" }));

    // The link still leads to the rewritten file, which keeps its mode.
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(readBytes(target), QByteArray("nouveau\n"));
    QCOMPARE(fileIdentity(target).mode, 0640u);
}

void TestTextFileHelpers::fifoIsWrittenNotReplaced()
{
    if (!systemFixtures().isEmpty())
        QSKIP(qPrintable(systemFixtures()));
    const QString fifo = dir().filePath("fifo");
    QVERIFY(makeFifo(fifo));
    // A reader that does not block lets the write side open at once.
    FifoReader reader(fifo);
    QVERIFY(reader.isOpen());

    QVERIFY(::writeLines(fifo, { "un", "deux" }));
    QCOMPARE(reader.readAvailable(), QByteArray("un\ndeux\n"));
    QCOMPARE(fileType(fifo), QString("fifo"));
}

void TestTextFileHelpers::deviceWriteFailureReported_data()
{
    // Not replaceInFile: reading the device would never end.
    QTest::addColumn<QString>("operation");
    QTest::newRow("writeLines") << "writeLines";
    QTest::newRow("createTextFile") << "createTextFile";
}

void TestTextFileHelpers::deviceWriteFailureReported()
{
    QFETCH(QString, operation);

    // A private device where every write fails for lack of space. Were it replaced by
    // mistake, only this copy would be lost.
    const QString path = dir().filePath("full");
    const QString unavailable = makeFullDevice(path);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    DialogWatcher watcher;

    QVERIFY(!writeWith(operation, path, "x"));
    QCOMPARE(seenBoxes(watcher), QStringList { writeBox(operation, path) });
    QCOMPARE(fileType(path), QString("character device"));
}

void TestTextFileHelpers::lockedFolderWritesDirectly()
{
    // As user nobody, in a folder that only root may change: no temporary file can be
    // created beside the target, which nobody may still write in place.
    if (!systemFixtures().isEmpty())
        QSKIP(qPrintable(systemFixtures()));
    if (!isAdministrator())
        QSKIP("needs root, to give the file to user nobody");
    const QString file = dir().filePath("file.txt");
    QVERIFY(writeFile(file, "ancien\n"));
    QVERIFY(setMode(dir().path(), 0755));
    QVERIFY(setOwner(file, nobody, nobody));

    const ChildResult result
        = runAsUser(nobody, nobody, {}, [&file] { return ::writeLines(file, { "nouveau" }); });
    QVERIFY2(result != ChildResult::Stopped, "the child was stopped (a box was shown?)");
    if (result == ChildResult::Unavailable)
        QSKIP("cannot switch to user nobody here");
    QCOMPARE(int(result), int(ChildResult::True));
    QCOMPARE(readBytes(file), QByteArray("nouveau\n"));
}

void TestTextFileHelpers::specialFilesNeverWait_data()
{
    QTest::addColumn<QString>("operation"); // a writing operation, or fileContainsAny
    QTest::addColumn<QString>("special"); // "fifo": nobody at its other end; "device"
    QTest::addColumn<QString>("box"); // %1 stands for the path

    const QString unreadable = "[critical] Fichier illisible: impossible d'ouvrir le fichier %1.";
    const QString unopened = "[critical] Erreur: Impossible d'ouvrir le fichier %1";
    QTest::newRow("fileContainsAny, FIFO") << "fileContainsAny"
                                           << "fifo" << unreadable;
    QTest::newRow("fileContainsAny, device") << "fileContainsAny"
                                             << "device" << unreadable;
    QTest::newRow("replaceInFile, FIFO") << "replaceInFile"
                                         << "fifo" << unopened;
    QTest::newRow("replaceInFile, device") << "replaceInFile"
                                           << "device" << unopened;
    QTest::newRow("createTextFile, FIFO") << "createTextFile"
                                          << "fifo" << writeBox("createTextFile", "%1");
    QTest::newRow("writeLines, FIFO") << "writeLines"
                                      << "fifo" << writeBox("writeLines", "%1");
}

void TestTextFileHelpers::specialFilesNeverWait()
{
    // Only a regular file is read, and a FIFO that nobody reads is not waited for: each
    // operation fails at once with its own box, and the FIFO stays.
    QFETCH(QString, operation);
    QFETCH(QString, special);
    QFETCH(QString, box);

    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QString path = harmlessDevice();
    if (special == "fifo") {
        path = dir.filePath("fifo");
        if (!makeFifo(path))
            QSKIP(qPrintable(systemFixtures()));
    }
    if (path.isEmpty())
        QSKIP(qPrintable(systemFixtures()));
    DialogWatcher watcher;

    // Were the operation to wait on the FIFO after all, the rescue frees it after a while
    // and the test fails instead of hanging.
    FifoRescue rescue(path, 3000);
    const bool result = operation == "fileContainsAny" ? ::fileContainsAny({ "x" }, path)
                                                       : writeWith(operation, path, "nouveau");
    QVERIFY2(!rescue.finish(), "the operation waited on the FIFO");
    QVERIFY(!result);
    QCOMPARE(seenBoxes(watcher), QStringList { box.arg(path) });
    if (special == "fifo")
        QCOMPARE(fileType(path), QString("fifo"));
}

QTEST_MAIN(TestTextFileHelpers)
#include "tst_textfilehelpers.moc"
