#include "search/batchedlog.h"
#include "search/report.h"
#include "support/logdescription.h"

#include <QAbstractTextDocumentLayout>
#include <QBrush>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

// Entries of the search report and HTML the report never writes but a log may receive.
static const char *const htmlEntries[]
    = { "Fichiers list\xC3\xA9s :", "a&amp;b", "&lt;x&gt; &quot;q&quot;", "a&nbsp;&nbsp;b",
          "<span style=\"white-space:pre-wrap\">a  b\tc </span>", " lead and trail ",
          "<i>x</i> <u>y</u>", "<b><i>x</i></b>z", "<br>", "", "x<br />y", "&unknown;", "a & b",
          "<p>para</p>", "<div align=\"center\">centred</div>", "<font color=\"#ff0000\">r</font>",
          "un<b>finished", "<", "caf\xC3\xA9 \xF0\x9D\x84\x9E", "\xEE\x80\x80 private use",
          "&#57344;", "<table><tr><td>t</td></tr></table>", "two  blanks", "tab\there" };

static const char *const plainEntries[]
    = { "", "plain line", "<b>not bold</b> &amp;", "\ttabbed ", "caf\xC3\xA9", "ends in CR\r",
          "two\nblocks", "\xE2\x80\xA8separator", "para\xE2\x80\xA9graph" };

// The entries the search writes for one hit and one file list.
static QList<QPair<bool, QString>> reportEntries()
{
    QList<QPair<bool, QString>> entries;
    entries.append({ true, QStringLiteral("Fichiers list\u00e9s :") });
    const QStringList paths = { QStringLiteral("/tmp/a.txt"), QStringLiteral("/tmp/x <y> & z.txt"),
        QStringLiteral("/tmp/two  blanks/\"q\".log") };
    for (const QString &path : paths)
        entries.append({ true, htmlPath(path) });
    for (const QString &path : paths) {
        for (int line = 0; line < 3; ++line) {
            entries.append({ true, fileHeader(path) });
            entries.append({ true, lineHeader(line) });
            entries.append({ false, QStringLiteral("before <b>%1</b>").arg(line) });
            entries.append({ false, QString() });
            entries.append({ false, QStringLiteral("after \u00e9 \U0001D11E") });
        }
    }
    return entries;
}

static QList<QPair<bool, QString>> randomEntries(quint32 seed, int count)
{
    QRandomGenerator random(seed);
    QList<QPair<bool, QString>> entries;
    for (int i = 0; i < count; ++i) {
        if (random.bounded(2)) {
            const int which = random.bounded(int(std::size(htmlEntries)));
            entries.append({ true, QString::fromUtf8(htmlEntries[which]) });
        } else {
            const int which = random.bounded(int(std::size(plainEntries)));
            entries.append({ false, QString::fromUtf8(plainEntries[which]) });
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
        for (const auto &entry : reportEntries())
            entry.first ? edit.appendHtml(entry.second) : edit.appendPlainText(entry.second);
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
    const QList<QPair<bool, QString>> entries
        = seed ? randomEntries(seed, 300) : reportEntries() + reportEntries();

    QPlainTextEdit direct, batched;
    prepare(direct, View(view), earlierOutput);
    prepare(batched, View(view), earlierOutput);
    const int directScrolledAt = direct.verticalScrollBar()->value();
    const int scrolledAt = batched.verticalScrollBar()->value();
    for (const auto &entry : entries)
        entry.first ? direct.appendHtml(entry.second) : direct.appendPlainText(entry.second);
    {
        BatchedLog log(&batched);
        for (const auto &entry : entries)
            entry.first ? log.appendHtml(entry.second) : log.appendPlainText(entry.second);
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
        log.appendHtml(lineHeader(i));
        log.appendPlainText(QString(i % 7 ? 10 : 300, QLatin1Char('w'))
                                .replace(QLatin1Char('w'), QLatin1String("w ")));
    }
    log.appendPlainText(QStringLiteral("the very last line"));
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
        log.appendHtml(QStringLiteral("<b>a</b>"));
        log.appendPlainText(QStringLiteral("b"));
        QCOMPARE(edit.document()->isEmpty(), true);
    }
    QCOMPARE(edit.toPlainText(), QStringLiteral("a\nb"));
}

QTEST_MAIN(TestBatchedLog)
#include "tst_batchedlog.moc"
