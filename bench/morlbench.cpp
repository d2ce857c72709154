// Morl's search against GNU grep and ripgrep, each run in a child process of its own so
// that its peak memory can be read when it ends (through GNU time).
//
//   morl_bench generate-log <file> [lines] [hits]
//   morl_bench generate-line <file> [bytes]
//   morl_bench measure <mode> <folder> <text> <case: 0 ignored, 1 respected>
//   morl_bench compare <data folder> [repetitions] [tools] [scenarios]
//   morl_bench scan <folder> <text> <case>   (the fast scan alone, no window, no log)
//
// Modes of measure, all in a shown main window (offscreen): "window" clicks the window's
// search button; "fast" and "literal" run the same steps as the window's search from
// here, with the fast scan and the batched log, or with the reference scan and direct
// appends to the log.

#include "corpora.h"
#include "search/literalscan.h"
#include "mainwindow/batchedlog.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/plainlog.h"
#include "search/collectfiles.h"
#include "search/scanfile.h"
#include "search/searchrun.h"
#include "support/dialogwatcher.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

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
    if (!run.completed)
        qWarning("cannot open %s", qPrintable(run.failedPath));
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

    QElapsedTimer timer;
    timer.start();
    const double cpuStart = processorSeconds();
    if (mode == QLatin1String("window")) {
        DialogWatcher watcher; // closes an unreadable-file box, should one come
        child<QPushButton>(&window, "pbSearch")->click();
    } else {
        searchFromHere(window,
            child<QStatusBar>(&window, "statusbar")
                ->currentMessage()
                .mid(int(std::strlen("Dossier de recherche : "))),
            options, mode == QLatin1String("fast"));
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    const QString status = child<QStatusBar>(&window, "statusbar")->currentMessage();
    std::printf("seconds=%.3f cpu=%.3f blocks=%d done=%d\n", seconds, processorSeconds() - cpuStart,
        child<QPlainTextEdit>(&window, "plainTextEdit")->document()->blockCount(),
        status.startsWith(QLatin1String("Dossier de recherche : ")) ? 1 : 0);
    return 0;
}

struct Run
{
    double seconds = 0;
    double cpuSeconds = 0;
    double peakMiB = 0;
    bool ok = false;
};

// Runs a program with its output into a file, through GNU time: a child made by this
// process would count this process's memory in its peak until it runs the program, so
// the program is started from time's small process instead, and time reports its peak
// memory and processor time.
Run spawn(const std::vector<std::string> &args, const char *outputPath, bool parseSeconds)
{
    const std::string statsPath = std::string(outputPath) + ".time";
    std::vector<std::string> command = { "/usr/bin/time", "-f", "%e %U %S %M %x", "-o", statsPath };
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (const std::string &arg : command)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Run run;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    waitpid(pid, &status, 0);
    FILE *stats = std::fopen(statsPath.c_str(), "r");
    double user = 0, system = 0, peakKiB = 0;
    int exitCode = -1;
    // time writes a line of its own first when the program fails; the figures come last.
    char line[512];
    while (stats && std::fgets(line, sizeof line, stats))
        std::sscanf(line, "%lf %lf %lf %lf %d", &run.seconds, &user, &system, &peakKiB, &exitCode);
    if (stats)
        std::fclose(stats);
    run.cpuSeconds = user + system;
    run.peakMiB = peakKiB / 1024.0;
    // grep ends with 1 when it finds nothing, which is not a failure here.
    run.ok = WIFEXITED(status) && exitCode >= 0 && exitCode <= 1;
    if (parseSeconds) {
        // The window's own times, from the click to the end of the run.
        FILE *in = std::fopen(outputPath, "r");
        double seconds = -1, cpu = -1;
        if (!in || std::fscanf(in, "seconds=%lf cpu=%lf", &seconds, &cpu) != 2)
            run.ok = false;
        if (in)
            std::fclose(in);
        run.seconds = seconds;
        run.cpuSeconds = cpu;
    }
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Scenario
{
    const char *name;
    std::string folder;
    std::string text;
    bool caseRespected;
};

int compare(const char *self, const std::string &data, int repetitions, const QString &tools,
    const QString &scenarioNames)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    const std::string tree = data + "/linux-source-6.1";
    const std::vector<Scenario> scenarios = {
        { "empty", data + "/empty", "x", false },
        { "a", tree, "PM_RESUME", false },
        { "b", tree, "PM_RESUME", true },
        { "c2", tree + "/fs", "return", false },
        { "d", data + "/log", marker, true },
        { "e", data + "/line", marker, true },
    };
    const std::string out = data + "/bench-output.txt";
    const QStringList toolList = tools.split(QLatin1Char(','));
    std::printf("%d repetitions, medians; times in seconds, peak memory in MiB\n", repetitions);
    std::printf("%-6s %-8s %9s %9s %9s\n", "", "tool", "time", "cpu", "peak");
    for (const Scenario &scenario : scenarios) {
        if (!scenarioNames.split(QLatin1Char(',')).contains(QLatin1String(scenario.name))
            && std::strcmp(scenario.name, "empty") != 0)
            continue;
        std::vector<std::pair<QString, std::pair<double, double>>> results;
        for (const QString &tool : toolList) {
            std::vector<std::string> args;
            const bool morl = tool == QLatin1String("window") || tool == QLatin1String("fast")
                || tool == QLatin1String("literal");
            if (morl) {
                args = { self, "measure", tool.toStdString(), scenario.folder, scenario.text,
                    scenario.caseRespected ? "1" : "0" };
            } else if (tool == QLatin1String("grep")) {
                args = { "grep", "-rnF", "-B1", "-A1" };
                if (!scenario.caseRespected)
                    args.push_back("-i");
                args.insert(args.end(), { "--", scenario.text, scenario.folder });
            } else if (tool == QLatin1String("rg")) {
                args = { "rg", "-j1", "-nF", "-B1", "-A1", "--no-ignore", "--hidden",
                    "--no-config" };
                if (!scenario.caseRespected)
                    args.push_back("-i");
                args.insert(args.end(), { "--", scenario.text, scenario.folder });
            } else {
                continue;
            }
            std::vector<double> times, cpus, peaks;
            bool ok = true;
            for (int i = 0; i < repetitions; ++i) {
                const Run run = spawn(args, out.c_str(), morl);
                ok = ok && run.ok;
                times.push_back(run.seconds);
                cpus.push_back(run.cpuSeconds);
                peaks.push_back(run.peakMiB);
            }
            const double time = median(times), cpu = median(cpus), peak = median(peaks);
            results.push_back({ tool, { time, cpu } });
            std::printf("%-6s %-8s %9.3f %9.3f %9.1f%s\n", scenario.name, qPrintable(tool), time,
                cpu, peak, ok ? "" : "  (failed)");
            std::fflush(stdout);
        }
        // Ratios of each Morl run to the command-line tools, in time and in processor time.
        const std::pair<double, double> *grep = nullptr, *rg = nullptr;
        for (const auto &result : results) {
            if (result.first == QLatin1String("grep"))
                grep = &result.second;
            if (result.first == QLatin1String("rg"))
                rg = &result.second;
        }
        for (const auto &result : results) {
            if (result.first == QLatin1String("grep") || result.first == QLatin1String("rg"))
                continue;
            std::printf("%-6s %-8s", scenario.name, qPrintable(result.first));
            if (grep && grep->first > 0)
                std::printf(" %6.2fx grep (cpu %.2fx)", result.second.first / grep->first,
                    result.second.second / grep->second);
            if (rg && rg->first > 0)
                std::printf(" %6.2fx rg -j1 (cpu %.2fx)", result.second.first / rg->first,
                    result.second.second / rg->second);
            std::printf("\n");
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "generate-log") == 0)
        return generateLog(
            argv[2], argc > 3 ? std::atoll(argv[3]) : 10000000, argc > 4 ? std::atoi(argv[4]) : 20);
    if (argc >= 3 && std::strcmp(argv[1], "generate-line") == 0)
        return generateLine(argv[2], argc > 3 ? std::atoll(argv[3]) : 200000000);
    if (argc == 5 && std::strcmp(argv[1], "scan") == 0)
        return scanOnly(argv);
    if (argc == 6 && std::strcmp(argv[1], "measure") == 0)
        return measure(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], "compare") == 0)
        return compare(QFileInfo(QStringLiteral("/proc/self/exe"))
                           .canonicalFilePath()
                           .toLocal8Bit()
                           .constData(),
            argv[2], argc > 3 ? std::atoi(argv[3]) : 3,
            QString::fromLocal8Bit(argc > 4 ? argv[4] : "fast,window,literal,grep,rg"),
            QString::fromLocal8Bit(argc > 5 ? argv[5] : "a,b,c2,d"));
    std::fprintf(stderr,
        "usage: %s generate-log <file> [lines] [hits]\n"
        "       %s generate-line <file> [bytes]\n"
        "       %s measure <window|fast|literal> <folder> <text> <0|1>\n"
        "       %s compare <data folder> [repetitions] [tools] [scenarios]\n",
        argv[0], argv[0], argv[0], argv[0]);
    return 2;
}
