#include "helpers/helpers.h"

#include "helpers/messagebox.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <QUtf8StringView>
#include <QUuid>

static const QIODevice::OpenMode readMode = QIODevice::ReadOnly | QIODevice::Text;
static const QIODevice::OpenMode writeMode = QIODevice::WriteOnly | QIODevice::Text;

// Writes through a text stream onto path and says whether every byte got there.
// A regular file (or a new one) is saved through a temporary file renamed over it, so a
// failed write leaves its old content; where the folder forbids the temporary file, Qt
// writes directly. Anything else that exists (a device, a FIFO) is written directly and
// never replaced.
template <typename WriteText> static bool saveText(const QString &path, WriteText writeText)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        QFile file(path);
        if (!file.open(writeMode))
            return false;
        QTextStream out(&file);
        writeText(out);
        out.flush();
        const bool written = out.status() == QTextStream::Ok && file.flush();
        file.close();
        return written && file.error() == QFileDevice::NoError;
    }

    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(writeMode))
        return false;
    QTextStream out(&file);
    writeText(out);
    out.flush();
    // Without a commit, the temporary file is dropped and the target stays as it was.
    if (out.status() != QTextStream::Ok)
        return false;
    return file.commit();
}

QString newUuidText()
{
    // "{8-4-4-4-12}" without its braces.
    QString text = QUuid::createUuid().toString(QUuid::WithBraces);
    text.remove(0, 1);
    text.truncate(text.length() - 1);
    return text;
}

bool replaceBetween(
    const QString &startMarker, const QString &endMarker, const QString &newContent, QString &text)
{
    // Both markers are searched from the start of the text. An end marker that closes
    // before the start marker opens leaves no stretch to replace: refused like a
    // missing marker.
    const qsizetype start = text.indexOf(startMarker, 0, Qt::CaseSensitive);
    const qsizetype end = text.indexOf(endMarker, 0, Qt::CaseSensitive);
    if (start < 0 || end < 0 || end + endMarker.length() < start) {
        warningBox(QStringLiteral("Erreur"),
            QStringLiteral("Impossible de trouver ") + startMarker + QStringLiteral(" ou ")
                + endMarker + QStringLiteral(" dans la chaine ") + text);
        return false;
    }

    text.replace(start, end + endMarker.length() - start, startMarker + newContent + endMarker);
    return true;
}

QStringList extractBetween(QString &text, const QString &startMarker, const QString &endMarker)
{
    QStringList pieces;
    while (text.contains(startMarker, Qt::CaseSensitive)
        && text.contains(endMarker, Qt::CaseSensitive)) {
        const qsizetype pieceStart
            = text.indexOf(startMarker, 0, Qt::CaseSensitive) + startMarker.length();
        const qsizetype pieceEnd = text.indexOf(endMarker, pieceStart, Qt::CaseSensitive);
        // Stop on a start marker that nothing closes, or on a step that would take
        // nothing off the text (empty markers): the loop must always end.
        if (pieceEnd <= 0)
            break;
        pieces.append(text.mid(pieceStart, pieceEnd - pieceStart));
        // The text now begins with the end marker just found.
        text.remove(0, pieceEnd);
    }
    return pieces;
}

bool fileExists(const QString &path)
{
    if (!QFile::exists(path)) {
        criticalBox(
            QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le fichier ") + path);
        return false;
    }
    return true;
}

bool fileContainsAny(const QStringList &keys, const QString &path)
{
    if (!fileExists(path)) {
        warningBox(QStringLiteral("Fichier non trouvé"),
            QStringLiteral("Le fichier ") + path + QStringLiteral(" n'existe pas."));
        return false;
    }

    QFile file(path);
    if (!file.open(readMode)) {
        criticalBox(QStringLiteral("Fichier illisible"),
            QStringLiteral("impossible d'ouvrir le fichier ") + path + QStringLiteral("."));
        return false;
    }

    // Read only as far as the first line that holds a key.
    QTextStream in(&file);
    bool found = false;
    while (!in.atEnd() && !found) {
        const QString line = in.readLine().trimmed();
        for (const QString &key : keys) {
            if (line.contains(key, Qt::CaseSensitive))
                found = true;
        }
    }
    file.close();
    return found;
}

bool writeLines(const QString &path, const QStringList &lines)
{
    const bool written = saveText(path, [&lines](QTextStream &out) {
        for (const QString &line : lines)
            out << line << '\n';
    });
    if (!written)
        criticalBox(QStringLiteral("Erreur"),
            QStringLiteral("Modification non prise en compte, vérifier l'accès au fichier ")
                + path);
    return written;
}

bool replaceInFile(
    const QStringList &searchTexts, const QStringList &replacements, const QString &path)
{
    // Refuse before reading when some search text has no replacement.
    if (replacements.size() < searchTexts.size()) {
        criticalBox(QStringLiteral("Erreur"),
            QStringLiteral("Remplacements incomplets, fichier non modifié ") + path);
        return false;
    }

    QFile file(path);
    if (!file.open(readMode)) {
        criticalBox(
            QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le fichier ") + path);
        return false;
    }
    const QByteArray content = file.readAll();
    file.close();

    // Writing back a file that is not UTF-8 would alter the bytes that were not replaced.
    if (!QUtf8StringView(content).isValidUtf8()) {
        criticalBox(QStringLiteral("Erreur"),
            QStringLiteral("Fichier non modifié, texte UTF-8 invalide dans ") + path);
        return false;
    }

    // Each pair works on the line as the previous pairs left it; lines are not stripped.
    QTextStream in(content);
    QStringList lines;
    while (!in.atEnd()) {
        QString line = in.readLine();
        for (qsizetype i = 0; i < searchTexts.size(); ++i) {
            if (line.contains(searchTexts.at(i), Qt::CaseSensitive))
                line.replace(searchTexts.at(i), replacements.at(i), Qt::CaseSensitive);
        }
        lines.append(line);
    }

    return writeLines(path, lines);
}

bool createTextFile(const QString &path, const QString &text)
{
    const bool written = saveText(path, [&text](QTextStream &out) { out << text << Qt::endl; });
    if (!written)
        warningBox(QStringLiteral("Erreur"),
            QStringLiteral("le fichier ") + path + QStringLiteral(" ne peut être crée"));
    return written;
}
