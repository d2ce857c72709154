#include "compare.h"

#include "corpora.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

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
    // The programs' chatter (Qt's notes about the offscreen display) is kept out of the table.
    const std::string errorsPath = std::string(outputPath) + ".err";
    posix_spawn_file_actions_addopen(
        &actions, 2, errorsPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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

} // namespace

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
        { "f", tree + "/fs", "e", false },
        { "g", data + "/hitline", marker, true },
        // A text outside ASCII, which may also be in Windows-1252 lines, beside an ASCII
        // text of the same length.
        { "h", tree, "\xC3\xA9t\xC3\xA9", false },
        { "h2", tree, "ete", false },
        { "i", data + "/log", "\xC3\xA9t\xC3\xA9", false },
        { "i2", data + "/log", "ete", false },
    };
    const std::string out = data + "/bench-output.txt";
    const QStringList toolList = tools.split(QLatin1Char(','));
    std::printf("%d rounds, each tool once per round; medians; times in seconds, peak memory "
                "in MiB; ratios are medians of the rounds' ratios\n",
        repetitions);
    std::printf("%-6s %-8s %9s %9s %9s\n", "", "tool", "time", "cpu", "peak");
    const auto isMorl = [](const QString &tool) {
        return tool == QLatin1String("window") || tool == QLatin1String("fast")
            || tool == QLatin1String("literal") || tool == QLatin1String("floor");
    };
    for (const Scenario &scenario : scenarios) {
        if (!scenarioNames.split(QLatin1Char(',')).contains(QLatin1String(scenario.name))
            && std::strcmp(scenario.name, "empty") != 0)
            continue;
        std::vector<std::pair<QString, std::vector<std::string>>> commands;
        for (const QString &tool : toolList) {
            std::vector<std::string> args;
            if (isMorl(tool)) {
                args = { self, "measure", tool.toStdString(), scenario.folder, scenario.text,
                    scenario.caseRespected ? "1" : "0" };
            } else if (tool == QLatin1String("grep")) {
                args = { "grep", "-rnF", "-B1", "-A1" };
            } else if (tool == QLatin1String("rg")) {
                // One thread, and the files that Morl reads: ignore files, hidden files,
                // links and binary files all taken.
                args = { "rg", "-j1", "-L", "-a", "-nF", "-B1", "-A1", "--no-ignore", "--hidden",
                    "--no-config" };
            } else {
                continue;
            }
            if (!isMorl(tool)) {
                if (!scenario.caseRespected)
                    args.push_back("-i");
                args.insert(args.end(), { "--", scenario.text, scenario.folder });
            }
            commands.push_back({ tool, args });
        }
        // The tools take turns, so that a slower spell of the machine falls on all of them.
        std::vector<std::vector<Run>> runs(commands.size());
        for (int round = 0; round < repetitions; ++round) {
            for (size_t i = 0; i < commands.size(); ++i)
                runs[i].push_back(
                    spawn(commands[i].second, out.c_str(), isMorl(commands[i].first)));
        }
        for (size_t i = 0; i < commands.size(); ++i) {
            std::vector<double> times, cpus, peaks;
            bool ok = true;
            for (const Run &run : runs[i]) {
                ok = ok && run.ok;
                times.push_back(run.seconds);
                cpus.push_back(run.cpuSeconds);
                peaks.push_back(run.peakMiB);
            }
            std::printf("%-6s %-8s %9.3f %9.3f %9.1f%s\n", scenario.name,
                qPrintable(commands[i].first), median(times), median(cpus), median(peaks),
                ok ? "" : "  (failed)");
        }
        // Each Morl run against each reference: command-line tools and the widget's floor.
        // The empty search only shows what starting costs: ratios of nothing say nothing.
        for (size_t i = 0; std::strcmp(scenario.name, "empty") != 0 && i < commands.size(); ++i) {
            const QString &tool = commands[i].first;
            if (!isMorl(tool) || tool == QLatin1String("floor"))
                continue;
            std::printf("%-6s %-8s", scenario.name, qPrintable(tool));
            for (size_t j = 0; j < commands.size(); ++j) {
                const QString &reference = commands[j].first;
                if (isMorl(reference) && reference != QLatin1String("floor"))
                    continue;
                std::vector<double> time, cpu;
                for (int round = 0; round < repetitions; ++round) {
                    const Run &a = runs[i][size_t(round)], &b = runs[j][size_t(round)];
                    if (b.seconds > 0)
                        time.push_back(a.seconds / b.seconds);
                    if (b.cpuSeconds > 0)
                        cpu.push_back(a.cpuSeconds / b.cpuSeconds);
                }
                std::printf(" %6.2fx %s (cpu %.2fx)", median(time),
                    reference == QLatin1String("rg") ? "rg -j1" : qPrintable(reference),
                    median(cpu));
            }
            std::printf("\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
