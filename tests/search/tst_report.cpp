#include "mainwindow/loghtml.h"
#include "search/run/logsink.h"
#include "search/run/report.h"
#include "search/scan/scanfile.h"
#include "support/filetree.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

// Records the entries as the log widget receives them: "html: ..." or "text: ...".
class RecordingLog : public LogSink
{
public:
    void fileListTitle() override { entries.append("html: " + fileListTitleHtml()); }
    void listedFile(const QString &path) override { entries.append("html: " + htmlPath(path)); }
    void fileHeader(const QString &path) override
    {
        entries.append("html: " + fileHeaderHtml(path));
    }
    void lineHeader(qsizetype index) override { entries.append("html: " + lineHeaderHtml(index)); }
    void contextLine(const QString &text) override { entries.append("text: " + text); }
    QStringList entries;
};

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void pathsShowAsOnDisk_data();
    void pathsShowAsOnDisk();
    void workedExample();
};

void TestReport::pathsShowAsOnDisk_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("plain") << "/data/notes/a.txt";
    QTest::newRow("tags and entities") << "/data/<i>x</i>&amp;/a<br>b.txt";
    QTest::newRow("quotes") << R"(/data/"q" 'r'/a.txt)";
    QTest::newRow("runs of blanks") << "/data/two  blanks/a   b.txt";
    QTest::newRow("leading and trailing blanks") << "  lead/trail  ";
    QTest::newRow("tab") << "/data/a\tb.txt";
    QTest::newRow("line break") << "/data/a\nb.txt";
}

void TestReport::pathsShowAsOnDisk()
{
    QFETCH(QString, path);

    // The list entry and the file header, appended like the search does, must read back
    // as the real path, with the header still blue and its path bold.
    QPlainTextEdit log;
    log.appendHtml(htmlPath(path));
    log.appendHtml(fileHeaderHtml(path));
    QString shown = path;
    shown.replace('/', '\\');
    QCOMPARE(log.toPlainText(), path + "\n\nFichier : " + shown);
    QCOMPARE(log.document()->blockCount(), 2);

    const QTextBlock entry = log.document()->firstBlock();
    for (auto it = entry.begin(); !it.atEnd(); ++it) {
        QCOMPARE(it.fragment().charFormat().fontWeight(), int(QFont::Normal));
        QVERIFY(!it.fragment().charFormat().fontItalic());
    }
    // The header's path: every piece after "Fichier : " bold and blue.
    const QTextBlock header = entry.next();
    QString boldText;
    for (auto it = header.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        if (format.fontWeight() != QFont::Bold)
            continue;
        QCOMPARE(format.foreground().color(), QColor("royalblue"));
        boldText += it.fragment().text();
    }
    QCOMPARE(boldText.replace(QChar::LineSeparator, '\n'), shown);
}

void TestReport::workedExample()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    const QString path = dir.path() + "/notes/list.txt";
    QVERIFY(writeFile(path, "alpha\n  beta x\ngamma x\ndelta\n"));

    RecordingLog log;
    writeFileList(log, { path });
    ScanOptions options;
    options.text = "x";
    ReportSink report(log, path);
    QCOMPARE(scanFile(path, options, report), ScanStatus::Scanned);

    QString shown = path;
    shown.replace('/', '\\');
    const QString header
        = R"(html: <br /><font color="royalblue">Fichier : <b>)" + shown + "</b></font>";
    const QStringList expected {
        "html: Fichiers listés :",
        "html: " + path,
        header,
        R"(html: <font color="royalblue">Ligne <b>2</b></font>)",
        "text: alpha",
        "text: beta x",
        "text: gamma x",
        header,
        R"(html: <font color="royalblue">Ligne <b>3</b></font>)",
        "text: beta x",
        "text: gamma x",
        "text: delta",
    };
    QCOMPARE(log.entries, expected);
    // Line numbers are not cut at 32 bits.
    QCOMPARE(lineHeaderHtml(qsizetype(1) << 32),
        R"(<font color="royalblue">Ligne <b>4294967297</b></font>)");
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
