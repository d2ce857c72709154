// What the window shows around a search: the progress bar, the scrolling of the log, the
// status message, the about window's place.
#include "about/fenapropos.h"
#include "search/run/logceiling.h"
#include "support/dialogwatcher.h"
#include "support/filetree.h"
#include "support/foldertest.h"
#include "support/unreadablefile.h"
#include "support/windowdriver.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

// Records, at every move of the bar, its value and how many blocks the log held then.
struct BarRecord
{
    int value;
    int logBlocks;
};

class TestSearchWindow : public FolderTest
{
    Q_OBJECT

private slots:
    void barStandsAtUnreadableFile_data();
    void barStandsAtUnreadableFile();
    void barFullOnlyWithWholeReport();
    void fullLogStopsRun_data();
    void fullLogStopsRun();
    void bigReportWrittenAsRunGoes();
    void logFollowsEachNewReport();
    void longLinesBreakAnywhere_data();
    void longLinesBreakAnywhere();
    void statusMessageSurvivesMenus();
    void aboutWindowCentred();

private:
    void setUp() override { QVERIFY(driver.open()); }
    void tearDown() override { driver.close(); }
    QPlainTextEdit *log() const { return driver.log(); }

    WindowDriver driver;
};

void TestSearchWindow::barStandsAtUnreadableFile_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("unreadable"); // 1-based place in the list
    QTest::addColumn<QString>("markup"); // added to that file's name

    QTest::newRow("3 files, the second") << 3 << 2 << QString();
    QTest::newRow("3 files, the second, named like markup") << 3 << 2 << "<b>x&amp;";
    QTest::newRow("3 files, the last") << 3 << 3 << QString();
    QTest::newRow("2000 files, the first") << 2000 << 1 << QString();
    QTest::newRow("2500 files, the 1235th") << 2500 << 1235 << QString();
}

// The run stops at the k-th file: the box names it and the bar is left standing at k.
void TestSearchWindow::barStandsAtUnreadableFile()
{
    if (readsEverything()) {
        QByteArray output;
        const QString row = QStringLiteral("barStandsAtUnreadableFile:")
            + QString::fromUtf8(QTest::currentDataTag());
        QVERIFY2(runUnprivileged(row, &output), output.constData());
        return;
    }
    QFETCH(int, files);
    QFETCH(int, unreadable);
    QFETCH(QString, markup);

    QVERIFY(writeNumberedFiles(dir().path(), files, "no hit here\n"));
    // The box shows the name as it is, markup or not.
    const QString path = numberedFile(dir().path(), unreadable, markup);
    if (!markup.isEmpty() && !QFile::rename(numberedFile(dir().path(), unreadable), path)) {
        QVERIFY2(QDir::separator() == QLatin1Char('\\'), "the file could not be renamed");
        QSKIP("Windows refuses '<' and '>' in file names");
    }
    UnreadableFile locked(path);
    QVERIFY2(locked.isUnreadable(), "the file can still be read");

    QVERIFY(driver.chooseFolder(dir().path()));
    DialogWatcher watcher;
    driver.search(QStringLiteral("x"));

    QCOMPARE(watcher.messageBoxes.size(), 1);
    QCOMPARE(watcher.messageBoxes.first().text,
        QStringLiteral("impossible d'ouvrir le fichier ") + path + QStringLiteral("."));
    const QProgressBar *bar = driver.progressBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->maximum(), files);
    QCOMPARE(bar->value(), unreadable);
}

// One line of about `bytes` bytes of words, the text in its middle.
static QByteArray longLine(qsizetype bytes, const QByteArray &text)
{
    QByteArray line;
    line.reserve(bytes + text.size() + 1);
    while (line.size() < bytes / 2)
        line += "mot ";
    line += text;
    while (line.size() < bytes)
        line += " mot";
    return line + '\n';
}

void TestSearchWindow::fullLogStopsRun_data()
{
    QTest::addColumn<QByteArrayList>("contents"); // of the files f0001.txt, f0002.txt...
    QTest::addColumn<qint64>("room"); // what the log may take, in bytes
    QTest::addColumn<int>("stopFile"); // 1-based; 0 where the list itself does not fit
    QTest::addColumn<bool>("hitsBefore"); // whether hits of that file are in the log

    QByteArray few, many;
    for (int i = 0; i < 20; ++i)
        few += "soleil " + QByteArray::number(i) + '\n';
    for (int i = 0; i < 20000; ++i)
        many += "un soleil " + QByteArray::number(i) + '\n';
    QTest::newRow("in the list of files")
        << QByteArrayList(300, "no hit here\n") << qint64(60000) << 0 << false;
    QTest::newRow("in the middle of a file's hits")
        << QByteArrayList { few, many, few } << qint64(1 << 20) << 2 << true;
    // The scan would have to hold more of the file than the memory can spare.
    QTest::newRow("at a long line too big to hold")
        << QByteArrayList { few, "avant\n" + longLine(2 << 20, "soleil") + "après\n", few }
        << qint64(1 << 20) << 2 << false;
    // The line can be read, but not shown: its layout alone would take more than the room.
    QTest::newRow("at a long line too big to show")
        << QByteArrayList { few, "avant\n" + longLine(1 << 20, "soleil") + "après\n", few }
        << qint64(16 << 20) << 2 << false;
}

// Where the log cannot hold the rest of the report, the run stops as it does at an
// unreadable file: the log is the whole report cut after the last hit that fits whole (or
// the last path of the list that fits), a box names the file, the bar stays where the run
// stopped and the status bar is not updated.
void TestSearchWindow::fullLogStopsRun()
{
    QFETCH(QByteArrayList, contents);
    QFETCH(qint64, room);
    QFETCH(int, stopFile);
    QFETCH(bool, hitsBefore);

    for (int i = 0; i < contents.size(); ++i)
        QVERIFY(writeFile(numberedFile(dir().path(), i + 1), contents.at(i)));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setContext(1, 1);
    {
        // The whole report, as the memory of the machine allows.
        DialogWatcher watcher;
        driver.search(QStringLiteral("soleil"));
        QCOMPARE(seenBoxes(watcher), QStringList());
    }
    const QStringList whole = driver.logBlocks();
    const int listEnd = 1 + int(contents.size());
    QVERIFY(whole.size() > listEnd || stopFile == 0);
    driver.clickClearLog();
    driver.showStatus(QStringLiteral("avant la recherche"));

    setLogRoomForTests(room);
    DialogWatcher watcher;
    driver.search(QStringLiteral("soleil"));
    setLogRoomForTests(-1);

    const QStringList cut = driver.logBlocks();
    QVERIFY2(cut.size() > 1 && cut.size() < whole.size(),
        qPrintable(QStringLiteral("%1 of %2 blocks").arg(cut.size()).arg(whole.size())));
    QCOMPARE(cut, whole.mid(0, cut.size()));
    if (stopFile == 0) {
        // The title and the paths that fit: the box names the next one.
        QVERIFY(cut.size() < listEnd);
        stopFile = int(cut.size());
    } else {
        // The whole list, then whole hits: what comes next in the whole report is a hit's
        // file header, of the file named in the box.
        QVERIFY(cut.size() > listEnd);
        QString shown = numberedFile(dir().path(), stopFile);
        shown.replace(QLatin1Char('/'), QLatin1Char('\\'));
        QVERIFY2(whole.at(cut.size()).endsWith(QStringLiteral("Fichier : ") + shown),
            qPrintable(whole.at(cut.size()).left(200)));
        QCOMPARE(cut.filter(shown).isEmpty(), !hitsBefore);
    }
    QCOMPARE(seenBoxes(watcher),
        QStringList(QStringLiteral("[warning] Journal plein: Le journal ne peut pas contenir la "
                                   "suite du rapport : la recherche s'arrête au fichier ")
            + numberedFile(dir().path(), stopFile) + QStringLiteral(".")));
    const QProgressBar *bar = driver.progressBar();
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->maximum(), int(contents.size()));
    // Stopped in the list, the run scanned nothing: the bar is still empty.
    QCOMPARE(bar->value(), cut.size() < listEnd ? bar->minimum() - 1 : stopFile);
    QCOMPARE(driver.status(), QStringLiteral("avant la recherche"));
}

// The bar reaches its end only once everything the run found is in the log.
void TestSearchWindow::barFullOnlyWithWholeReport()
{
    QByteArray content;
    for (int i = 0; i < 50; ++i)
        content += "a line with the word soleil in it\n";
    QVERIFY(writeNumberedFiles(dir().path(), 40, content));
    QVERIFY(driver.chooseFolder(dir().path()));

    QList<BarRecord> records;
    QProgressBar *bar = driver.progressBar();
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        records.append({ value, log()->document()->blockCount() });
    });
    driver.search(QStringLiteral("soleil"));

    const int finalBlocks = log()->document()->blockCount();
    QVERIFY(finalBlocks > 40 * 50 * 3);
    QVERIFY(!records.isEmpty());
    for (const BarRecord &record : std::as_const(records)) {
        if (record.value == bar->maximum())
            QCOMPARE(record.logBlocks, finalBlocks);
    }
    QCOMPARE(records.constLast().value, 40);
}

// A report of many MiB reaches the log in pieces while the files are still being read:
// the log already holds hits of the first files when the bar is halfway.
void TestSearchWindow::bigReportWrittenAsRunGoes()
{
    QByteArray content;
    for (int i = 0; i < 2000; ++i)
        content += "soleil " + QByteArray::number(i) + " and some more words on the line\n";
    const int files = 100; // about 8 MiB of report
    QVERIFY(writeNumberedFiles(dir().path(), files, content));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setContext(0, 0);

    // An empty log's first block takes the list's header.
    const int listBlocks = 1 + files;
    int valueAtHalf = -1;
    int blocksAtHalf = -1;
    QProgressBar *bar = driver.progressBar();
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        if (valueAtHalf < 0 && value >= files / 2 && value < files) {
            valueAtHalf = value;
            blocksAtHalf = log()->document()->blockCount();
        }
    });
    driver.search(QStringLiteral("soleil"));

    const int finalBlocks = log()->document()->blockCount();
    QCOMPARE(finalBlocks, listBlocks + files * 2000 * 3);
    // Writing the report of one file takes far longer than the steps of the bar.
    QVERIFY2(valueAtHalf >= 0, "the bar went from the first half to the end in one step");
    QVERIFY2(blocksAtHalf > listBlocks + (valueAtHalf / 2) * 2000 * 3,
        qPrintable(QStringLiteral("%1 blocks in the log at file %2, %3 at the end")
                       .arg(blocksAtHalf)
                       .arg(valueAtHalf)
                       .arg(finalBlocks)));
}

void TestSearchWindow::longLinesBreakAnywhere_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("anywhere");

    const QString word = QStringLiteral("soleil");
    QTest::newRow("ordinary line") << word + QStringLiteral(" and more") << false;
    QTest::newRow("long line of words") << word + QString(' ' + word).repeated(4000) << false;
    QTest::newRow("long run without a blank") << word + QString(20000, 'x') << true;
    QTest::newRow("long run behind no-break spaces")
        << word + QString("\u00A0x").repeated(10000) << true;
}

// A line with a long run without blanks would take minutes to lay out between words: the
// log then breaks its lines anywhere, until it is emptied. The text stays whole.
void TestSearchWindow::longLinesBreakAnywhere()
{
    QFETCH(QString, line);
    QFETCH(bool, anywhere);
    const QTextOption::WrapMode usual = log()->wordWrapMode();
    QVERIFY(writeFile(dir().filePath("a.txt"), "before\n" + line.toUtf8() + "\nafter\n"));
    QVERIFY(driver.chooseFolder(dir().path()));
    driver.setContext(1, 1);
    driver.search(QStringLiteral("soleil"));

    QCOMPARE(log()->document()->findBlockByNumber(5).text(), line);
    QCOMPARE(log()->wordWrapMode(), anywhere ? QTextOption::WrapAnywhere : usual);
    driver.widget<QPushButton>("pbClearLog")->click();
    QCOMPARE(log()->wordWrapMode(), usual);
}

// With the end of the log in view, each search leaves the end of its report in view.
void TestSearchWindow::logFollowsEachNewReport()
{
    QByteArray content;
    for (int i = 0; i < 300; ++i)
        content += "line " + QByteArray::number(i) + (i % 3 ? " soleil\n" : " lune\n");
    QVERIFY(writeNumberedFiles(dir().path(), 3, content));
    QVERIFY(driver.chooseFolder(dir().path()));

    for (int run = 1; run <= 3; ++run) {
        driver.search(run == 2 ? QStringLiteral("lune") : QStringLiteral("soleil"));
        QTest::qWait(20);
        QTextCursor end(log()->document());
        end.movePosition(QTextCursor::End);
        const QRect last = log()->cursorRect(end);
        const QScrollBar *scroll = log()->verticalScrollBar();
        QVERIFY2(scroll->maximum() > 0, "the log does not fill its view");
        QVERIFY2(last.top() >= 0 && last.bottom() <= log()->viewport()->height(),
            qPrintable(QStringLiteral("search %1: last line at %2..%3, view %4, scroll %5 of %6")
                           .arg(run)
                           .arg(last.top())
                           .arg(last.bottom())
                           .arg(log()->viewport()->height())
                           .arg(scroll->value())
                           .arg(scroll->maximum())));
        QCOMPARE(scroll->value(), scroll->maximum());
    }
}

// Pointing at the menus and their entries, which carry no status tip, leaves the name of
// the search folder in the status bar.
void TestSearchWindow::statusMessageSurvivesMenus()
{
    QVERIFY(driver.chooseFolder(dir().path()));
    const QString expected = folderStatus(dir().path());

    QMenuBar *menus = driver.window()->menuBar();
    for (QAction *menuAction : menus->actions()) {
        QTest::mouseMove(menus, menus->actionGeometry(menuAction).center());
        QTest::qWait(10);
        QCOMPARE(driver.status(), expected);
        // The entries of each menu, as the pointer passes over them.
        for (QAction *entry : menuAction->menu()->actions()) {
            entry->showStatusText(menus);
            QCOMPARE(driver.status(), expected);
        }
    }
    QTest::mouseMove(driver.widget<QPushButton>("pbSearch"));
    QCOMPARE(driver.status(), expected);

    // A tip with something to say is still shown.
    QStatusTipEvent tip(QStringLiteral("une aide"));
    QCoreApplication::sendEvent(driver.window(), &tip);
    QCOMPARE(driver.status(), QStringLiteral("une aide"));
}

void TestSearchWindow::aboutWindowCentred()
{
    driver.window()->setGeometry(60, 40, 900, 640);
    QTest::qWait(20);
    driver.trigger("action_propos_de_morl");
    const QList<FenAPropos *> abouts = driver.window()->findChildren<FenAPropos *>();
    QCOMPARE(abouts.size(), 1);
    FenAPropos *about = abouts.first();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    const QPoint offset
        = about->frameGeometry().center() - driver.window()->frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
        qPrintable(
            QStringLiteral("about window off centre by %1,%2").arg(offset.x()).arg(offset.y())));
    // Still the window of its own size, modal to the main window.
    QCOMPARE(about->size(), about->sizeHint());
    QCOMPARE(about->windowModality(), Qt::WindowModal);
    about->close();
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
