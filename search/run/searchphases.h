#ifndef SEARCHPHASES_H
#define SEARCHPHASES_H

#include "search/run/logsink.h"

#include <QElapsedTimer>

// Where the time of a search goes, for the benchmark: collecting the files, writing their
// list into the log, scanning them and writing the report of their hits. Wall-clock
// seconds. Nothing is measured unless a record is set, and measuring costs a little.
struct SearchPhases
{
    double collect = 0;
    double list = 0;
    double scan = 0;
    double report = 0;
};

// Makes the searches add their phases to record from now on; nullptr stops it.
void recordSearchPhases(SearchPhases *record);
SearchPhases *searchPhasesRecord();

// Adds the time from its making to its end to one phase of the record, if there is one.
class PhaseTimer
{
public:
    explicit PhaseTimer(double SearchPhases::*phase);
    ~PhaseTimer();
    PhaseTimer(const PhaseTimer &) = delete;
    PhaseTimer &operator=(const PhaseTimer &) = delete;

private:
    SearchPhases *record;
    double SearchPhases::*phase;
    QElapsedTimer timer;
};

// Passes every entry on to a log and adds the time spent there to one phase.
class TimedLog : public LogSink
{
public:
    TimedLog(LogSink &log, SearchPhases &record)
        : log(log)
        , record(record)
    { }

    // The phase that the time goes to from now on.
    void countAs(double SearchPhases::*phase) { this->phase = phase; }

    void fileListTitle() override;
    void listedFile(const QString &path) override;
    void fileHeader(const QString &path) override;
    void lineHeader(qsizetype index) override;
    void contextLine(const QString &text) override;
    void flush() override;

private:
    template <typename Write> void timed(Write write);

    LogSink &log;
    SearchPhases &record;
    double SearchPhases::*phase = &SearchPhases::report;
};

#endif // SEARCHPHASES_H
