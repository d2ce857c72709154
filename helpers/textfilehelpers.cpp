#include "helpers/helpers.h"

#include "helpers/filesave.h"
#include "helpers/messagebox.h"
#include "search/scan/linedecoding.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QStringConverter>
#include <QStringDecoder>
#include <QTextStream>
#include <QUtf8StringView>
#include <QUuid>

static const QIODevice::OpenMode readMode = QIODevice::ReadOnly | QIODevice::Text;

// The text as the file will hold it: UTF-8, each "\n" the platform's line end. It is
// made in full before the file is touched, whichever way the file is then written.
template <typename WriteText> static QByteArray textBytes(WriteText writeText)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly | QIODevice::Text);
    QTextStream out(&buffer);
    writeText(out);
    out.flush();
    return buffer.data();
}

static const QByteArray utf8Mark("\xEF\xBB\xBF");

// Whether the file's first bytes are a UTF-16 or UTF-32 byte-order mark: such a file is
// decoded whole, as the toolkit's stream decodes it.
static bool hasWideMark(const QByteArray &head)
{
    const auto encoding = QStringConverter::encodingForData(head);
    return encoding && *encoding != QStringConverter::Utf8;
}

// One line of a file without a wide byte-order mark, its line feed and carriage returns
// gone, in the encoding its bytes call for. A byte-order mark inside the file stays a
// character.
static QString decodeLine(const QByteArray &bytes, LineEncoding encoding)
{
    if (encoding == LineEncoding::Windows1252)
        return decodeWindows1252(bytes.constData(), bytes.size());
    QStringDecoder decoder(QStringConverter::Utf8,
        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// Writes the bytes onto path and says whether every one of them got there. The save
// goes to the file that path's links lead to and leaves the links as they are.
static bool saveBytes(const QString &path, const QByteArray &bytes)
{
    const QString target = linkedFile(path);
    if (target.isEmpty())
        return false;

    // Something else than a regular file (a device, a FIFO) is written as it is, never
    // replaced; a folder refuses the open.
    const QFileInfo info(target);
    if (info.exists() && !info.isFile())
        return writeToSpecialFile(target, bytes);
    // Every name of a file with several must see the new content: only the file itself
    // can be written then.
    if (info.exists() && hasOtherNames(target))
        return writeInPlace(target, bytes);

    switch (replaceFile(target, bytes, info.exists())) {
    case Replacement::Saved:
        return true;
    case Replacement::Failed:
        return false;
    case Replacement::NotPossible:
        break;
    }
    return writeInPlace(target, bytes);
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

    // Only a regular file is read: a FIFO would wait for a writer, a device may never end.
    QFile file(path);
    if (!openRegularFile(file, readMode)) {
        criticalBox(QStringLiteral("Fichier illisible"),
            QStringLiteral("impossible d'ouvrir le fichier ") + path + QStringLiteral("."));
        return false;
    }

    // Read only as far as the first line that holds a key.
    bool found = false;
    const auto test = [&keys, &found](const QString &line) {
        const QString trimmed = line.trimmed();
        for (const QString &key : keys) {
            if (trimmed.contains(key, Qt::CaseSensitive))
                found = true;
        }
    };
    if (hasWideMark(file.peek(4))) {
        QTextStream in(&file);
        while (!in.atEnd() && !found)
            test(in.readLine());
    } else {
        // Every carriage return goes, as the search removes them.
        if (file.peek(3) == utf8Mark)
            file.skip(3);
        while (!file.atEnd() && !found) {
            QByteArray line = file.readLine();
            if (line.endsWith('\n'))
                line.chop(1);
            line.replace('\r', QByteArray());
            test(decodeLine(line, lineEncoding(line)));
        }
    }
    file.close();
    return found;
}

// Saves the lines' bytes, telling the user when that fails.
static bool saveLines(const QString &path, const QByteArray &bytes)
{
    const bool written = saveBytes(path, bytes);
    if (!written)
        criticalBox(QStringLiteral("Erreur"),
            QStringLiteral("Modification non prise en compte, vérifier l'accès au fichier ")
                + path);
    return written;
}

bool writeLines(const QString &path, const QStringList &lines)
{
    return saveLines(path, textBytes([&lines](QTextStream &out) {
        for (const QString &line : lines)
            out << line << '\n';
    }));
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

    // Only a regular file is read and written back: see fileContainsAny.
    QFile file(path);
    if (!openRegularFile(file, readMode)) {
        criticalBox(
            QStringLiteral("Erreur"), QStringLiteral("Impossible d'ouvrir le fichier ") + path);
        return false;
    }
    // Every carriage return goes, as the search removes them.
    QByteArray content = file.readAll();
    file.close();
    content.replace('\r', QByteArray());
    const auto refuse = [&path] {
        criticalBox(QStringLiteral("Erreur"),
            QStringLiteral("Fichier non modifié, texte UTF-8 invalide dans ") + path);
        return false;
    };
    if (hasWideMark(content.left(4)))
        return refuse();
    const bool marked = content.startsWith(utf8Mark);
    if (marked)
        content.remove(0, 3);

    // Each pair works on the line as the previous pairs left it; lines are not stripped.
    // Everything is read before anything is written, so that a refusal leaves the file.
    QBuffer out;
    out.open(QIODevice::WriteOnly | QIODevice::Text);
    if (marked)
        out.write(utf8Mark);
    for (qsizetype start = 0; start < content.size();) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const QByteArray bytes = content.mid(start, end - start);
        start = end + 1;
        // A UTF-8 line with bytes that are not UTF-8 could not be written back as it was.
        const LineEncoding encoding = lineEncoding(bytes);
        if (encoding == LineEncoding::Utf8 && !QUtf8StringView(bytes).isValidUtf8())
            return refuse();
        QString line = decodeLine(bytes, encoding);
        bool changed = false;
        for (qsizetype i = 0; i < searchTexts.size(); ++i) {
            if (line.contains(searchTexts.at(i), Qt::CaseSensitive)) {
                line.replace(searchTexts.at(i), replacements.at(i), Qt::CaseSensitive);
                changed = true;
            }
        }
        // A line left alone keeps its bytes. A changed Windows-1252 line stays so when
        // every character has a byte there and the bytes read back as the same line (an
        // ASCII line is the same in UTF-8).
        QByteArray written = bytes;
        if (changed) {
            if (encoding != LineEncoding::Windows1252 || !encodeWindows1252(line, &written)
                || lineEncoding(written) != LineEncoding::Windows1252)
                written = line.toUtf8();
        }
        out.write(written);
        out.write("\n");
    }
    out.close();
    return saveLines(path, out.data());
}

bool createTextFile(const QString &path, const QString &text)
{
    const bool written
        = saveBytes(path, textBytes([&text](QTextStream &out) { out << text << Qt::endl; }));
    if (!written)
        warningBox(QStringLiteral("Erreur"),
            QStringLiteral("le fichier ") + path + QStringLiteral(" ne peut être crée"));
    return written;
}
