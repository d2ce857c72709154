// Fuzzes replaceBetween and extractBetween. The input is cut at its first three NUL bytes
// into start marker, end marker, new content and text (UTF-8; invalid bytes decode to
// U+FFFD). Both operations must end, stay clean under the sanitizers and keep their
// invariants; any broken invariant aborts.
//
// replaceBetween refuses with a modal warning box. So that refusals are fuzzed too and
// nothing blocks, a QApplication runs on the offscreen platform, and before each call a
// zero-interval single-shot timer is queued that closes the active modal box, noting its
// text. When no box opened, the queued call is delivered right after and finds nothing.
// Whether a call will refuse is worked out beforehand with QString::indexOf, both to
// check the result and to skip most refusals, whose box is slow.

#include "helpers/helpers.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdint>
#include <cstdlib>

static QApplication *application = nullptr;

// Fontconfig keeps the fonts that a box's text first needs in caches LeakSanitizer cannot
// see; those are not leaks of the code under test.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

// The offscreen platform notes this for every box shown: keep it out of the fuzz log.
static QtMessageHandler defaultHandler = nullptr;

static void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message != QLatin1String("This plugin does not support propagateSizeHints()"))
        defaultHandler(type, context, message);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    defaultHandler = qInstallMessageHandler(quietHandler);
    static int argc = 1;
    static char name[] = "fuzz_markers";
    static char *argv[] = { name, nullptr };
    application = new QApplication(argc, argv);
    return 0;
}

static void check(bool condition)
{
    if (!condition)
        std::abort();
}

// The texts of the boxes that were closed during one call.
static QStringList closedBoxes;

static void armBoxCloser()
{
    QTimer::singleShot(0, application, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            closedBoxes.append(box->text());
            box->done(QMessageBox::Ok);
        }
    });
}

static void fuzzReplaceBetween(
    const QString &start, const QString &end, const QString &content, const QString &text)
{
    const qsizetype s = text.indexOf(start);
    const qsizetype e = text.indexOf(end);
    const bool refused = s < 0 || e < 0 || e + end.size() < s;
    // A box costs milliseconds: check one refusal in sixteen, chosen by the input so
    // that a run stays reproducible, and spend the time on the rest.
    if (refused && qHash(text + start + end) % 16 != 0)
        return;

    closedBoxes.clear();
    armBoxCloser();
    QString changed = text;
    const bool replaced = replaceBetween(start, end, content, changed);
    QCoreApplication::sendPostedEvents(application, QEvent::MetaCall);

    check(replaced == !refused);
    if (refused) {
        check(changed == text);
        check(closedBoxes
            == QStringList(QStringLiteral("Impossible de trouver ") + start + QStringLiteral(" ou ")
                + end + QStringLiteral(" dans la chaine ") + text));
        return;
    }
    // Only the stretch from the first start marker through the first end marker changes.
    check(closedBoxes.isEmpty());
    check(changed == text.left(s) + start + content + end + text.mid(e + end.size()));
}

static void fuzzExtractBetween(const QString &start, const QString &end, const QString &text)
{
    QString left = text;
    const QStringList pieces = extractBetween(left, start, end);

    // The text is only consumed from its front; what stays begins with the last end marker.
    check(text.endsWith(left));
    check(pieces.isEmpty() ? left == text : left.startsWith(end));

    // Each piece lies between a start and an end marker of the original text, in order,
    // and holds no end marker of its own.
    qsizetype from = 0;
    for (const QString &piece : pieces) {
        const qsizetype at = text.indexOf(start + piece + end, from);
        check(at >= 0);
        check(end.isEmpty() || !piece.contains(end));
        from = at + start.size() + piece.size();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QList<QByteArray> fields
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))
              .split('\0');
    while (fields.size() > 4)
        fields[3] += '\0' + fields.takeAt(4);
    while (fields.size() < 4)
        fields.append(QByteArray());
    const QString start = QString::fromUtf8(fields[0]);
    const QString end = QString::fromUtf8(fields[1]);
    const QString content = QString::fromUtf8(fields[2]);
    const QString text = QString::fromUtf8(fields[3]);

    fuzzReplaceBetween(start, end, content, text);
    fuzzExtractBetween(start, end, text);
    return 0;
}
