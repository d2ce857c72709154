#ifndef HELPERTEST_H
#define HELPERTEST_H

#include "helpers/helpers.h"
#include "support/dialogwatcher.h"
#include "support/filefixture.h"
#include "support/filetree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

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

// Data rows naming each of the three writing operations, in column "operation".
inline void writeOperationRows()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("writeLines") << "writeLines";
    QTest::newRow("createTextFile") << "createTextFile";
    QTest::newRow("replaceInFile") << "replaceInFile";
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
