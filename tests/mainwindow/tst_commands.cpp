#include "support/dialogwatcher.h"
#include "support/foldertest.h"
#include "support/windowdriver.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestCommands : public FolderTest
{
    Q_OBJECT

private slots:
    void chooseFolderShowsItInStatusBar();
    void cancelledDialogEmptiesFolder();
    void clearLog();
    void quitActionQuitsEventLoop();

private:
    void setUp() override { QVERIFY(driver.open()); }
    void tearDown() override { driver.close(); }

    WindowDriver driver;
};

void TestCommands::chooseFolderShowsItInStatusBar()
{
    QTemporaryDir first, second;
    QVERIFY2(first.isValid(), qPrintable(first.errorString()));
    QVERIFY2(second.isValid(), qPrintable(second.errorString()));

    DialogWatcher watcher;
    watcher.answerFolders({ first.path(), second.path(), second.path() });
    driver.clickSelectDir();
    QCOMPARE(watcher.fileDialogs.size(), 1);
    QCOMPARE(driver.status(), folderStatus(first.path()));

    // The dialog as the user sees it: fixed caption, no parent, folders only, opened at
    // the program's own folder even after a folder has been chosen.
    driver.clickSelectDir();
    driver.clickSelectDir();
    QCOMPARE(watcher.fileDialogs.size(), 3);
    for (const SeenFileDialog &dialog : watcher.fileDialogs) {
        QCOMPARE(dialog.caption, QString("Sélectionnez le dossier"));
        QVERIFY(!dialog.hadParent);
        QCOMPARE(dialog.startFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(dialog.options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        QCOMPARE(dialog.fileMode, QFileDialog::Directory);
    }
    // Choosing the same folder twice shows the same message again.
    QCOMPARE(driver.status(), folderStatus(second.path()));
    QVERIFY(watcher.messageBoxes.isEmpty());
}

void TestCommands::cancelledDialogEmptiesFolder()
{
    DialogWatcher watcher;
    watcher.answerFolders({ dir().path(), QString() });
    driver.clickSelectDir();
    QCOMPARE(driver.status(), folderStatus(dir().path()));
    driver.clickSelectDir();
    QCOMPARE(driver.status(), QString("Dossier de recherche : "));

    // The search now refuses to start: no folder is chosen any more.
    driver.search("x");
    QVERIFY(watcher.waitForMessageBoxes(1));
    QCOMPARE(watcher.messageBoxes.first().text,
        QString("Vous devez choisir un dossier dans lequel rechercher le texte."));
}

void TestCommands::clearLog()
{
    QPlainTextEdit *log = driver.log();
    driver.showStatus("kept");

    driver.clickClearLog(); // empty log: nothing happens
    QVERIFY(log->toPlainText().isEmpty());

    log->appendHtml("<b>Fichiers listés :</b>");
    log->appendPlainText("line");
    driver.clickClearLog();
    QVERIFY(log->toPlainText().isEmpty());
    QCOMPARE(log->document()->blockCount(), 1);
    QCOMPARE(driver.status(), QString("kept"));
    QCOMPARE(driver.widget<QLineEdit>("leFilterFiles")->text(), QString("*.*;*;*.;.*"));
}

void TestCommands::quitActionQuitsEventLoop()
{
    // Trigger the action from inside a running loop; the loop must end with 0.
    QTimer::singleShot(0, driver.widget<QAction>("actionQuitter"), &QAction::trigger);
    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(aboutToQuit.size(), 1);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
