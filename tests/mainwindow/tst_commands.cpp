#include "mainwindow/mainwindow.h"
#include "support/dialogwatcher.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void chooseFolderShowsItInStatusBar();
    void cancelledDialogEmptiesFolder();
    void clearLog();
    void quitActionQuitsEventLoop();

private:
    QString statusText() const { return window->findChild<QStatusBar *>("statusbar")->currentMessage(); }
    void clickSelectDir() { QTest::mouseClick(window->findChild<QPushButton *>("pbSelectDir"), Qt::LeftButton); }

    MainWindow *window = nullptr;
};

void TestCommands::init()
{
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void TestCommands::cleanup()
{
    delete window;
    window = nullptr;
}

void TestCommands::chooseFolderShowsItInStatusBar()
{
    QTemporaryDir first, second;
    QVERIFY2(first.isValid(), qPrintable(first.errorString()));
    QVERIFY2(second.isValid(), qPrintable(second.errorString()));

    DialogWatcher watcher;
    watcher.answerFolders({ first.path(), second.path(), second.path() });
    clickSelectDir();
    QCOMPARE(watcher.fileDialogs.size(), 1);
    QCOMPARE(statusText(), "Dossier de recherche : " + first.path());

    // The dialog as the user sees it: fixed caption, no parent, folders only, opened at
    // the program's own folder even after a folder has been chosen.
    clickSelectDir();
    clickSelectDir();
    QCOMPARE(watcher.fileDialogs.size(), 3);
    for (const SeenFileDialog &dialog : watcher.fileDialogs) {
        QCOMPARE(dialog.caption, QString("Sélectionnez le dossier"));
        QVERIFY(!dialog.hadParent);
        QCOMPARE(dialog.startFolder, QCoreApplication::applicationDirPath());
        QCOMPARE(dialog.options, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
        QCOMPARE(dialog.fileMode, QFileDialog::Directory);
    }
    // Choosing the same folder twice shows the same message again.
    QCOMPARE(statusText(), "Dossier de recherche : " + second.path());
    QVERIFY(watcher.messageBoxes.isEmpty());
}

void TestCommands::cancelledDialogEmptiesFolder()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    DialogWatcher watcher;
    watcher.answerFolders({ dir.path(), QString() });
    clickSelectDir();
    QCOMPARE(statusText(), "Dossier de recherche : " + dir.path());
    clickSelectDir();
    QCOMPARE(statusText(), QString("Dossier de recherche : "));

    // The search now refuses to start: no folder is chosen any more.
    window->findChild<QLineEdit *>("leSearch")->setText("x");
    QTest::mouseClick(window->findChild<QPushButton *>("pbSearch"), Qt::LeftButton);
    QVERIFY(watcher.waitForMessageBoxes(1));
    QCOMPARE(watcher.messageBoxes.first().text,
             QString("Vous devez choisir un dossier dans lequel rechercher le texte."));
}

void TestCommands::clearLog()
{
    auto *log = window->findChild<QPlainTextEdit *>("plainTextEdit");
    auto *clear = window->findChild<QPushButton *>("pbClearLog");
    window->findChild<QStatusBar *>("statusbar")->showMessage("kept");

    QTest::mouseClick(clear, Qt::LeftButton); // empty log: nothing happens
    QVERIFY(log->toPlainText().isEmpty());

    log->appendHtml("<b>Fichiers listés :</b>");
    log->appendPlainText("line");
    QTest::mouseClick(clear, Qt::LeftButton);
    QVERIFY(log->toPlainText().isEmpty());
    QCOMPARE(log->document()->blockCount(), 1);
    QCOMPARE(statusText(), QString("kept"));
    QCOMPARE(window->findChild<QLineEdit *>("leFilterFiles")->text(), QString("*.*;*;*.;.*"));
}

void TestCommands::quitActionQuitsEventLoop()
{
    // Trigger the action from inside a running loop; the loop must end with 0.
    QTimer::singleShot(0, window->findChild<QAction *>("actionQuitter"), &QAction::trigger);
    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(aboutToQuit.size(), 1);
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
