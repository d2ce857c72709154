#include "support/dialogwatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextDocumentFragment>

// The box's text as it is on screen: a label that takes the text as rich text shows what
// the markup renders to, not the characters that were handed to it.
static QString shownText(const QMessageBox *box)
{
    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label)
        return box->text();
    const Qt::TextFormat format = label->textFormat();
    const bool rich
        = format == Qt::RichText || (format == Qt::AutoText && Qt::mightBeRichText(label->text()));
    return rich ? QTextDocumentFragment::fromHtml(label->text()).toPlainText() : label->text();
}

DialogWatcher::DialogWatcher(QObject *parent)
    : QObject(parent)
{
    // Polling is the simplest way to reach a dialog that a static Qt call opens and
    // runs in its own event loop; the timer fires inside that loop.
    timer.setInterval(5);
    connect(&timer, &QTimer::timeout, this, &DialogWatcher::poll);
    timer.start();
}

void DialogWatcher::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        SeenMessageBox seen;
        seen.title = box->windowTitle();
        seen.text = shownText(box);
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                  : QMessageBox::NoButton;
        seen.hadParent = box->parentWidget() != nullptr;
        messageBoxes.append(seen);
        const QList<QAbstractButton *> buttons = box->buttons();
        if (!buttons.isEmpty())
            buttons.first()->click();
        else
            box->reject();
        return;
    }

    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        SeenFileDialog seen;
        seen.caption = dialog->windowTitle();
        seen.startFolder = dialog->directory().absolutePath();
        seen.options = dialog->options();
        seen.fileMode = dialog->fileMode();
        seen.hadParent = dialog->parentWidget() != nullptr;
        fileDialogs.append(seen);
        const QString answer = folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
        if (answer.isEmpty()) {
            dialog->reject();
        } else {
            // With nothing typed, a folder dialog answers the folder it shows.
            dialog->setDirectory(answer);
            static_cast<QDialog *>(dialog)->accept();
        }
    }
}

bool DialogWatcher::waitForMessageBoxes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return messageBoxes.size() >= count; }, timeoutMs);
}

QString describe(const SeenMessageBox &box)
{
    static const char *const icons[] = { "none", "information", "warning", "critical", "question" };
    const int index = int(box.icon);
    return QStringLiteral("[%1] %2: %3")
        .arg(QLatin1String(index >= 0 && index < 5 ? icons[index] : "?"), box.title, box.text);
}

QStringList seenBoxes(const DialogWatcher &watcher)
{
    QStringList lines;
    for (const SeenMessageBox &box : watcher.messageBoxes) {
        QString line = describe(box);
        if (box.buttons != QMessageBox::Ok || box.defaultButton != QMessageBox::Ok || box.hadParent)
            line += QStringLiteral(" {buttons 0x%1, default 0x%2, parent %3}")
                        .arg(int(box.buttons), 0, 16)
                        .arg(int(box.defaultButton), 0, 16)
                        .arg(box.hadParent);
        lines.append(line);
    }
    return lines;
}
