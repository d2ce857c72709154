#include "mainwindow/batchedlog.h"
#include "mainwindow/plainlog.h"
#include "support/logdescription.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBrush>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

// One entry of the report in the log writer's words.
struct Entry
{
    enum Kind { Title, Listed, FileHeader, LineHeader, Context } kind;
    QString text;
    qsizetype index = 0;
};
using Entries = QList<Entry>;

static void write(LogSink &log, const Entries &entries)
{
    for (const Entry &entry : entries) {
        switch (entry.kind) {
        case Entry::Title:
            log.fileListTitle();
            break;
        case Entry::Listed:
            log.listedFile(entry.text);
            break;
        case Entry::FileHeader:
            log.fileHeader(entry.text);
            break;
        case Entry::LineHeader:
            log.lineHeader(entry.index);
            break;
        case Entry::Context:
            log.contextLine(entry.text);
            break;
        }
    }
}

// Paths and lines that the log must show as they are: markup, entities, blanks of every
// kind, line breaks, the private-use character that the writer's markup parsing uses.
static const char *const oddPaths[] = { "/tmp/a.txt", "a&amp;b", "<x> \"q\"",
    "a\xC2\xA0\xC2\xA0"
    "b",
    "/two  blanks/a\tb ", " lead and trail ", "<i>x</i> <u>y</u>", "<br>", "", "x\ny", "&unknown;",
    "a & b", "<p>para</p>", "caf\xC3\xA9 \xF0\x9D\x84\x9E", "\xEE\x80\x80 private use", "&#57344;",
    "\xEE\x80\x80", "C:\\win\\path", "cr\r", "tab\there" };

static const char *const oddLines[]
    = { "", "plain line", "<b>not bold</b> &amp;", "\ttabbed ", "caf\xC3\xA9", "ends in CR\r",
          "two\nblocks", "\xE2\x80\xA8separator", "para\xE2\x80\xA9graph", "\xEE\x80\x80" };

// The entries the search writes for one file list and three hits in each of its files.
static Entries reportEntries()
{
    Entries entries { { Entry::Title, QString() } };
    const QStringList paths = { QStringLiteral("/tmp/a.txt"), QStringLiteral("/tmp/x <y> & z.txt"),
        QStringLiteral("/tmp/two  blanks/\"q\".log") };
    for (const QString &path : paths)
        entries.append({ Entry::Listed, path });
    for (const QString &path : paths) {
        for (int line = 0; line < 3; ++line) {
            entries.append({ Entry::FileHeader, path });
            entries.append({ Entry::LineHeader, QString(), line });
            entries.append({ Entry::Context, QStringLiteral("before <b>%1</b>").arg(line) });
            entries.append({ Entry::Context, QString() });
            entries.append({ Entry::Context, QStringLiteral("after \u00e9 \U0001D11E") });
        }
    }
    return entries;
}

static Entries randomEntries(quint32 seed, int count)
{
    QRandomGenerator random(seed);
    Entries entries;
    for (int i = 0; i < count; ++i) {
        const QString path = QString::fromUtf8(oddPaths[random.bounded(int(std::size(oddPaths)))]);
        switch (random.bounded(5)) {
        case 0:
            entries.append({ Entry::Title, QString() });
            break;
        case 1:
            entries.append({ Entry::Listed, path });
            break;
        case 2:
            entries.append({ Entry::FileHeader, path });
            break;
        case 3:
            entries.append({ Entry::LineHeader, QString(), random.bounded(1 << 20) });
            break;
        default:
            entries.append({ Entry::Context,
                QString::fromUtf8(oddLines[random.bounded(int(std::size(oddLines)))]) });
            break;
        }
    }
    return entries;
}

class TestBatchedLog : public QObject
{
    Q_OBJECT

private slots:
    void sameLog_data();
    void sameLog();
    void followsBottomOfLongLog();
    void flushedOnDestruction();
    void scrollBarAsBefore_data();
    void scrollBarAsBefore();
};

enum class View { Hidden, AtBottom, ScrolledUp, CursorInHeader, Selection };

void TestBatchedLog::sameLog_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("earlierOutput");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("report, hidden log") << int(View::Hidden) << false << 0u;
    QTest::newRow("report, visible at the bottom") << int(View::AtBottom) << false << 0u;
    QTest::newRow("report after an earlier search") << int(View::AtBottom) << true << 0u;
    QTest::newRow("report, scrolled up") << int(View::ScrolledUp) << true << 0u;
    QTest::newRow("report, cursor put in a header") << int(View::CursorInHeader) << true << 0u;
    QTest::newRow("report, text selected") << int(View::Selection) << true << 0u;
    for (quint32 seed = 1; seed <= 6; ++seed) {
        QTest::addRow("odd entries %u, at the bottom", seed) << int(View::AtBottom) << true << seed;
        QTest::addRow("odd entries %u, cursor in a header", seed)
            << int(View::CursorInHeader) << true << seed;
    }
    QTest::newRow("odd entries from an empty log") << int(View::AtBottom) << false << 7u;
}

static void prepare(QPlainTextEdit &edit, View view, bool earlierOutput)
{
    edit.setReadOnly(true);
    edit.resize(420, 260);
    if (view != View::Hidden) {
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
    }
    if (earlierOutput) {
        PlainLog plain(&edit);
        write(plain, reportEntries());
    }
    QTextCursor cursor = edit.textCursor();
    switch (view) {
    case View::ScrolledUp:
        edit.verticalScrollBar()->setValue(2);
        break;
    case View::CursorInHeader:
        // As after a click on a line header: the cursor stands in bold blue text.
        cursor = edit.document()->find(QStringLiteral("Ligne 2"));
        QVERIFY(!cursor.isNull());
        cursor.clearSelection();
        QVERIFY(cursor.charFormat().fontWeight() == QFont::Bold);
        edit.setTextCursor(cursor);
        break;
    case View::Selection:
        cursor.setPosition(3);
        cursor.setPosition(12, QTextCursor::KeepAnchor);
        edit.setTextCursor(cursor);
        break;
    default:
        break;
    }
}

void TestBatchedLog::sameLog()
{
    QFETCH(int, view);
    QFETCH(bool, earlierOutput);
    QFETCH(quint32, seed);
    const Entries entries = seed ? randomEntries(seed, 300) : reportEntries() + reportEntries();

    QPlainTextEdit direct, batched;
    prepare(direct, View(view), earlierOutput);
    prepare(batched, View(view), earlierOutput);
    const int directScrolledAt = direct.verticalScrollBar()->value();
    const int scrolledAt = batched.verticalScrollBar()->value();
    PlainLog plain(&direct);
    write(plain, entries);
    {
        BatchedLog log(&batched);
        write(log, entries);
        log.flush();
    }

    const QStringList expected = describeLog(direct);
    const QStringList actual = describeLog(batched);
    for (qsizetype i = 0; i < std::min(expected.size(), actual.size()); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
    QCOMPARE(actual.size(), expected.size());
    QVERIFY(!batched.document()->isUndoAvailable());

    const QScrollBar *bar = batched.verticalScrollBar();
    const QScrollBar *directBar = direct.verticalScrollBar();
    if (directBar->value() == directBar->maximum() && View(view) != View::Hidden) {
        QCOMPARE(bar->value(), bar->maximum());
    } else {
        QCOMPARE(directBar->value(), directScrolledAt);
        QCOMPARE(bar->value(), scrolledAt);
    }
}

// Wrapped lines at the end of a long log are laid out, so that the view shows the last
// line after the batch as after direct appends.
void TestBatchedLog::followsBottomOfLongLog()
{
    QPlainTextEdit edit;
    edit.setReadOnly(true);
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    BatchedLog log(&edit);
    for (int i = 0; i < 3000; ++i) {
        log.lineHeader(i);
        log.contextLine(QString(i % 7 ? 10 : 300, QLatin1Char('w'))
                            .replace(QLatin1Char('w'), QLatin1String("w ")));
    }
    log.contextLine(QStringLiteral("the very last line"));
    log.flush();
    QCOMPARE(edit.document()->blockCount(), 6001);
    QTextCursor end(edit.document());
    end.movePosition(QTextCursor::End);
    const QRect last = edit.cursorRect(end);
    QVERIFY2(last.top() >= 0 && last.bottom() <= edit.viewport()->height(),
        qPrintable(QStringLiteral("last line at %1..%2 in a view of %3")
                       .arg(last.top())
                       .arg(last.bottom())
                       .arg(edit.viewport()->height())));
    QCOMPARE(edit.verticalScrollBar()->value(), edit.verticalScrollBar()->maximum());
}

void TestBatchedLog::flushedOnDestruction()
{
    QPlainTextEdit edit;
    {
        BatchedLog log(&edit);
        log.listedFile(QStringLiteral("a"));
        log.contextLine(QStringLiteral("b"));
        QCOMPARE(edit.document()->isEmpty(), true);
    }
    QCOMPARE(edit.toPlainText(), QStringLiteral("a\nb"));
}

void TestBatchedLog::scrollBarAsBefore_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("barShown");
    QTest::newRow("short report") << 3 << false;
    QTest::newRow("long report") << 2000 << true;
}

// The writer shows the scroll bar of an empty log while it writes; afterwards the bar is
// there only when the log needs it, as before.
void TestBatchedLog::scrollBarAsBefore()
{
    QFETCH(int, entries);
    QFETCH(bool, barShown);
    QPlainTextEdit edit;
    edit.resize(420, 260);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    {
        BatchedLog log(&edit);
        for (int i = 0; i < entries; ++i)
            log.contextLine(QStringLiteral("line %1").arg(i));
    }
    QApplication::processEvents();
    QCOMPARE(edit.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    QCOMPARE(edit.verticalScrollBar()->isVisible(), barShown);
    QCOMPARE(edit.document()->blockCount(), entries);
}

QTEST_MAIN(TestBatchedLog)
#include "tst_batchedlog.moc"
