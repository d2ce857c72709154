// Morl's search against GNU grep and ripgrep, each run in a child process of its own so
// that its peak memory can be read when it ends (through GNU time).
//
//   morl_bench generate-log <file> [lines] [hits]
//   morl_bench generate-line <file> [bytes] [1: the marker once, in the middle]
//   morl_bench measure <mode> <folder> <text> <case: 0 ignored, 1 respected>
//   morl_bench compare <data folder> [repetitions] [tools] [scenarios]
//   morl_bench scan <folder> <text> <case>   (the fast scan alone, no window, no log)
//   morl_bench log-cost <hits> <line length> <context lines>
//       (what the log's document costs: heap and address space after that many hits)
//
// Modes of measure, all in a shown main window (offscreen): "window" clicks the window's
// search button; "phases" does the same and also prints where the time went (measuring
// costs a little); "floor" clicks too, then writes the same log into a bare log widget the
// fastest way the widget offers and gives the time of the search with that log instead
// (the collection and scan as measured in the click); "fast" and "literal" run the same
// steps as the window's search from here, with the fast scan and the batched log, or with
// the reference scan and direct appends to the log. Each time includes what the event
// loop does right after the search (layout, painting).

#include "compare.h"
#include "corpora.h"
#include "mainwindow/batchedlog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/plainlog.h"
#include "search/walk/collectfiles.h"
#include "search/literalscan.h"
#include "search/scan/scanfile.h"
#include "search/run/searchphases.h"
#include "search/run/searchrun.h"
#include "support/dialogwatcher.h"
#include "widgetfloor.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <malloc.h>
#include <unistd.h>

namespace {

double processorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

template <typename T> T *child(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

// The window's search from here, with the scan and the log chosen here: the same run as
// the window's (runSearch), the bar and the status set as the window sets them.
void searchFromHere(
    MainWindow &window, const QString &folder, const ScanOptions &options, bool fast)
{
    auto *edit = child<QPlainTextEdit>(&window, "plainTextEdit");
    auto *progress = child<QProgressBar>(&window, "progressBar");
    BatchedLog batched(edit);
    PlainLog direct(edit);
    LogSink &log = fast ? static_cast<LogSink &>(batched) : direct;

    // Where the time goes, on the error output, in processor time too, which other work
    // on the machine does not inflate.
    QElapsedTimer phase;
    phase.start();
    const double cpuStart = processorSeconds();
    QStringList files;
    collectFiles(folder, files, true, QStringLiteral("*.*;*;*.;.*"));
    const qint64 collected = phase.nsecsElapsed();
    const double cpuCollected = processorSeconds();
    progress->show();
    window.centralWidget()->layout()->activate();
    progress->setRange(0, int(files.size()));
    progress->reset();
    const auto setBar = [progress](qsizetype done) { progress->setValue(int(done)); };
    const SearchRun run = fast ? runSearch(files, options, log, setBar)
                               : runSearch(files, literalScan(options), log, setBar);
    if (!run.completed())
        qWarning("stopped at %s", qPrintable(run.stopPath));
    std::fprintf(stderr, "collect %.3f s (cpu %.3f), list, scan and report %.3f s (cpu %.3f)\n",
        collected / 1e9, cpuCollected - cpuStart, (phase.nsecsElapsed() - collected) / 1e9,
        processorSeconds() - cpuCollected);
    progress->hide();
    child<QStatusBar>(&window, "statusbar")
        ->showMessage(QStringLiteral("Dossier de recherche : ") + folder, 0);
}

// The scan alone, without a window or a log: what the search costs beyond the report.
int scanOnly(char **argv)
{
    class NullSink : public HitSink
    {
    public:
        void hit(const ScanHit &) override { ++hits; }
        qsizetype hits = 0;
    } sink;
    ScanOptions options;
    options.text = QString::fromLocal8Bit(argv[3]);
    options.caseSensitivity
        = std::strcmp(argv[4], "1") == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    QStringList files;
    QElapsedTimer timer;
    timer.start();
    collectFiles(QString::fromLocal8Bit(argv[2]), files, true, QStringLiteral("*.*;*;*.;.*"));
    const qint64 collected = timer.nsecsElapsed();
    FileScanner scanner(options);
    for (const QString &path : std::as_const(files))
        scanner.scan(path, sink);
    std::printf("collect %.3f s, scan %.3f s, %lld files, %lld hits\n", collected / 1e9,
        (timer.nsecsElapsed() - collected) / 1e9, (long long)files.size(), (long long)sink.hits);
    return 0;
}

// Lets the event loop do what the search left to it, as it would after a click.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

// The peak resident memory since the last reset (Linux keeps it in VmHWM).
qint64 peakResident()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

qint64 statmBytes(int field)
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(field).toLongLong() * sysconf(_SC_PAGE_SIZE);
}

// The costs that the log's ceiling counts: the window's log (a shown QPlainTextEdit,
// written by the batched writer as a search writes it) gets `hits` hits of `context`
// lines of `length` characters each; the heap that malloc has handed out, the address
// space and the resident memory are compared before and after, the event loop having
// laid out and painted what is in view.
int logCost(int argc, char **argv)
{
    QApplication app(argc, argv);
    const long long hits = std::atoll(argv[2]);
    const qsizetype length = std::atoll(argv[3]);
    const int context = std::atoi(argv[4]);
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    auto *edit = child<QPlainTextEdit>(&window, "plainTextEdit");
    settle();
    // Words of six letters, as in text: a line without blanks would be laid out another way.
    QString line(length, QLatin1Char('e'));
    for (qsizetype i = 6; i < length; i += 7)
        line[i] = QLatin1Char(' ');
    const struct mallinfo2 before = mallinfo2();
    resetPeakResident();
    const qint64 sizeBefore = statmBytes(0), residentBefore = statmBytes(1);
    const qint64 peakBefore = peakResident();
    const int blocksBefore = edit->document()->blockCount();
    const int charactersBefore = edit->document()->characterCount();
    {
        BatchedLog log(edit);
        for (long long i = 0; i < hits; ++i) {
            log.fileHeader(QStringLiteral("/some/folder/file.c"));
            log.lineHeader(i);
            for (int j = 0; j < context; ++j)
                log.contextLine(line);
        }
    }
    line = QString();
    settle();
    const struct mallinfo2 after = mallinfo2();
    const double heap
        = double(after.uordblks + after.hblkhd) - double(before.uordblks + before.hblkhd);
    const double blocks = edit->document()->blockCount() - blocksBefore;
    const double characters = edit->document()->characterCount() - charactersBefore;
    std::printf("blocks=%.0f characters=%.0f heap=%.0f address-space=%lld resident=%lld "
                "peak=%lld\nper block: %.1f bytes of heap; per character: %.2f\n",
        blocks, characters, heap, (long long)(statmBytes(0) - sizeBefore),
        (long long)(statmBytes(1) - residentBefore), (long long)(peakResident() - peakBefore),
        heap / blocks, heap / characters);
    return 0;
}

struct FloorRun
{
    double seconds = 0;
    double cpuSeconds = 0;
    bool same = false;
};

// The window's report written at the floor into a bare log of the same size and font.
FloorRun measureFloor(const QPlainTextEdit *edit)
{
    const LogCopy copy = copyLog(edit->document());
    QPlainTextEdit bare;
    bare.setFont(edit->font());
    bare.resize(edit->size());
    bare.show();
    settle();
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processorSeconds();
    writeAtFloor(&bare, copy);
    settle();
    FloorRun run { timer.nsecsElapsed() / 1e9, processorSeconds() - cpuStart, false };
    run.same = sameDocument(bare.document(), edit->document());
    return run;
}

int measure(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    ScanOptions options;
    options.text = QString::fromLocal8Bit(argv[4]);
    options.caseSensitivity
        = std::strcmp(argv[5], "1") == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    options.before = options.after = 1;

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    child<QLineEdit>(&window, "leSearch")->setText(options.text);
    child<QCheckBox>(&window, "cbSensible")
        ->setChecked(options.caseSensitivity == Qt::CaseSensitive);
    child<QCheckBox>(&window, "cbSubDirsSearch")->setChecked(true);
    child<QSpinBox>(&window, "sbBefore")->setValue(1);
    child<QSpinBox>(&window, "sbAfter")->setValue(1);
    {
        DialogWatcher watcher;
        watcher.answerFolders({ folder });
        child<QPushButton>(&window, "pbSelectDir")->click();
    }
    QApplication::processEvents();

    // The search and what follows it in the event loop (the log's layout, the painting).
    const bool clicked = mode == QLatin1String("window") || mode == QLatin1String("phases")
        || mode == QLatin1String("floor");
    SearchPhases phases;
    if (mode != QLatin1String("window"))
        recordSearchPhases(&phases);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processorSeconds();
    QString stopped; // the title of the box that stopped the run, if one did
    if (clicked) {
        DialogWatcher watcher; // closes an unreadable-file or full-log box, should one come
        child<QPushButton>(&window, "pbSearch")->click();
        if (!watcher.messageBoxes.isEmpty())
            stopped = watcher.messageBoxes.first().title;
    } else {
        searchFromHere(window,
            child<QStatusBar>(&window, "statusbar")
                ->currentMessage()
                .mid(int(std::strlen("Dossier de recherche : "))),
            options, mode == QLatin1String("fast"));
    }
    settle();
    double seconds = timer.nsecsElapsed() / 1e9;
    double cpu = processorSeconds() - cpuStart;
    auto *edit = child<QPlainTextEdit>(&window, "plainTextEdit");
    if (mode == QLatin1String("floor")) {
        // The same collection and scan, with the same document written at the floor.
        const FloorRun floor = measureFloor(edit);
        if (!floor.same) {
            std::fprintf(stderr, "the floor's document differs from the window's\n");
            return 3;
        }
        seconds = phases.collect + phases.scan + floor.seconds;
        cpu = phases.collect + phases.scan + floor.cpuSeconds;
    }
    const QString status = child<QStatusBar>(&window, "statusbar")->currentMessage();
    std::printf("seconds=%.3f cpu=%.3f blocks=%d characters=%d done=%d%s%s\n", seconds, cpu,
        edit->document()->blockCount(), edit->document()->characterCount(),
        status.startsWith(QLatin1String("Dossier de recherche : ")) ? 1 : 0,
        stopped.isEmpty() ? "" : " stopped=", qPrintable(stopped));
    if (mode == QLatin1String("phases"))
        std::printf("collect=%.3f list=%.3f scan=%.3f report=%.3f events=%.3f\n", phases.collect,
            phases.list, phases.scan, phases.report,
            seconds - phases.collect - phases.list - phases.scan - phases.report);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "generate-log") == 0)
        return generateLog(
            argv[2], argc > 3 ? std::atoll(argv[3]) : 10000000, argc > 4 ? std::atoi(argv[4]) : 20);
    if (argc >= 3 && std::strcmp(argv[1], "generate-line") == 0)
        return generateLine(argv[2], argc > 3 ? std::atoll(argv[3]) : 200000000,
            argc > 4 && std::strcmp(argv[4], "1") == 0);
    if (argc == 5 && std::strcmp(argv[1], "scan") == 0)
        return scanOnly(argv);
    if (argc == 5 && std::strcmp(argv[1], "log-cost") == 0)
        return logCost(argc, argv);
    if (argc == 6 && std::strcmp(argv[1], "measure") == 0)
        return measure(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "compare") == 0)
        return compare(QFileInfo(QStringLiteral("/proc/self/exe"))
                           .canonicalFilePath()
                           .toLocal8Bit()
                           .constData(),
            argv[2], argc > 3 ? std::atoi(argv[3]) : 3,
            QString::fromLocal8Bit(argc > 4 ? argv[4] : "fast,window,floor,literal,grep,rg"),
            QString::fromLocal8Bit(argc > 5 ? argv[5] : "a,b,c2,d"));
    std::fprintf(stderr,
        "usage: %s generate-log <file> [lines] [hits]\n"
        "       %s generate-line <file> [bytes] [0|1]\n"
        "       %s measure <window|phases|floor|fast|literal> <folder> <text> <0|1>\n"
        "       %s compare <data folder> [repetitions] [tools] [scenarios]\n",
        argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
