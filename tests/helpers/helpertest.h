#ifndef HELPERTEST_H
#define HELPERTEST_H

#include "helpers/helpers.h"
#include "support/dialogwatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

// The boxes the user saw, one "[icon] title: text" line each. A box that had a parent or
// another button than Ok gets that noted on its line. Asked for no default button, the
// static QMessageBox calls make their accept button the default: Ok is expected there.
inline QStringList seenBoxes(const DialogWatcher &watcher)
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

// Writes a file, creating the folders above it.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The bytes of a text that a helper writes with "\n" line ends: each becomes the
// platform's line end, which Qt's text mode writes (CR LF on Windows).
inline QByteArray asWritten(QByteArray text)
{
    static const QByteArray lineEnd = [] {
        QTemporaryDir dir;
        QFile probe(dir.filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Text))
            return QByteArray("<no probe>");
        probe.write("\n");
        probe.close();
        return readBytes(probe.fileName());
    }();
    return text.replace("\n", lineEnd);
}

// Makes a folder the current working folder for the life of the object.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString &path)
        : previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(previous); }

private:
    QString previous;
};

// Runs one of the three writing operations on path with text: writeLines with one line,
// createTextFile, or replaceInFile turning the word "ancien" into text.
inline bool writeWith(const QString &operation, const QString &path, const QString &text)
{
    if (operation == "writeLines")
        return writeLines(path, { text });
    if (operation == "createTextFile")
        return createTextFile(path, text);
    return replaceInFile({ "ancien" }, { text }, path);
}

// The box each writing operation shows when the file cannot be written.
inline QString writeBox(const QString &operation, const QString &path)
{
    if (operation == "createTextFile")
        return "[warning] Erreur: le fichier " + path + " ne peut être crée";
    return "[critical] Erreur: Modification non prise en compte, vérifier l'accès au fichier "
        + path;
}

#endif // HELPERTEST_H
