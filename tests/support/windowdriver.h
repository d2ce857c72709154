#ifndef WINDOWDRIVER_H
#define WINDOWDRIVER_H

#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>

// Drives the program's main window the way a user does, through its widgets found by object
// name: the folder button and its dialog, the search fields, the buttons, the log and the
// status bar. Message boxes are left to a DialogWatcher that the test makes around the action
// that opens them.
class WindowDriver
{
public:
    // A new window in place of the current one, not yet shown.
    void create() { main.reset(new MainWindow); }
    // Shows the window and waits until it is on screen.
    bool show();
    // A new window, on screen.
    bool open()
    {
        create();
        return show();
    }
    void close() { main.reset(); }

    MainWindow *window() const { return main.get(); }
    // The window's object of that name and class, or null.
    template <class T> T *widget(const char *name) const
    {
        return main->findChild<T *>(QString::fromLatin1(name));
    }

    // Clicks the folder button: the dialog goes to the DialogWatcher of the caller.
    void clickSelectDir() { click("pbSelectDir"); }
    // Chooses the folder through its dialog; true when one dialog was seen and the status
    // bar names the folder.
    bool chooseFolder(const QString &folder);

    // The text, its case and the lines shown before and after each hit.
    void setSearch(const QString &text, bool sensitive, int before, int after);
    void setContext(int before, int after);
    void setRecursive(bool recursive);
    void setFilter(const QString &filter);

    void clickSearch() { click("pbSearch"); }
    // Types the text and clicks Rechercher.
    void search(const QString &text);
    void clickClearLog() { click("pbClearLog"); }
    // Triggers the menu entry of that name.
    void trigger(const char *action) { widget<QAction>(action)->trigger(); }

    QPlainTextEdit *log() const { return widget<QPlainTextEdit>("plainTextEdit"); }
    QString logText() const { return log()->toPlainText(); }
    // The text of each of the log's blocks, in order.
    QStringList logBlocks() const;
    QProgressBar *progressBar() const { return widget<QProgressBar>("progressBar"); }
    QString status() const { return widget<QStatusBar>("statusbar")->currentMessage(); }
    void showStatus(const QString &message)
    {
        widget<QStatusBar>("statusbar")->showMessage(message);
    }

private:
    void click(const char *button)
    {
        QTest::mouseClick(widget<QPushButton>(button), Qt::LeftButton);
    }

    std::unique_ptr<MainWindow> main;
};

// The status bar's message once the folder is chosen.
QString folderStatus(const QString &folder);

#endif // WINDOWDRIVER_H
