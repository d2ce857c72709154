#ifndef DIALOGWATCHER_H
#define DIALOGWATCHER_H

#include <QFileDialog>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// What the user saw in a message box.
struct SeenMessageBox
{
    QString title;
    QString text; // as shown: rendered when the box takes it as rich text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    bool hadParent = false;
};

// What the user saw in a file dialog.
struct SeenFileDialog
{
    QString caption;
    QString startFolder;
    QFileDialog::Options options;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool hadParent = false;
};

// Watches for application-modal message boxes and file dialogs while a test drives the
// window. Each one is recorded as the user would see it and then closed: message boxes
// with their first button (Ok here), file dialogs either accepted on a folder given in
// advance or cancelled. Create it before the action that opens the dialogs; the action
// returns once the nested event loops of the dialogs have ended.
class DialogWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DialogWatcher(QObject *parent = nullptr);

    // The folders that the next file dialogs answer, in order; an empty entry, or no
    // entry left, cancels the dialog.
    void answerFolders(const QStringList &folders) { folderAnswers = folders; }

    // Waits (running the event loop) until count message boxes have been seen.
    bool waitForMessageBoxes(int count, int timeoutMs = 10000);

    QList<SeenMessageBox> messageBoxes;
    QList<SeenFileDialog> fileDialogs;

private:
    void poll();

    QTimer timer;
    QStringList folderAnswers;
};

// One-line description of a box for failure messages: "[warning] Erreur: text".
QString describe(const SeenMessageBox &box);

// The boxes the user saw, one "[icon] title: text" line each. A box that had a parent or
// another button than Ok gets that noted on its line. Asked for no default button, the
// static QMessageBox calls make their accept button the default: Ok is expected there.
QStringList seenBoxes(const DialogWatcher &watcher);

#endif // DIALOGWATCHER_H
