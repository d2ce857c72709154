#ifndef COMPARE_H
#define COMPARE_H

#include <QString>

#include <string>

// Runs each tool on each chosen scenario over the corpora in data, the tools taking turns
// round after round, and prints medians of time, processor time and peak memory, and each
// Morl run's ratios to the reference tools. self is this benchmark program, which
// measures Morl in child processes of its own.
int compare(const char *self, const std::string &data, int repetitions, const QString &tools,
    const QString &scenarioNames);

#endif // COMPARE_H
