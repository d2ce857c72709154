#include "search/run/searchphases.h"

static SearchPhases *currentRecord = nullptr;

void recordSearchPhases(SearchPhases *record)
{
    currentRecord = record;
}

SearchPhases *searchPhasesRecord()
{
    return currentRecord;
}

PhaseTimer::PhaseTimer(double SearchPhases::*phase)
    : record(currentRecord)
    , phase(phase)
{
    if (record)
        timer.start();
}

PhaseTimer::~PhaseTimer()
{
    if (record)
        record->*phase += timer.nsecsElapsed() / 1e9;
}

template <typename Write> void TimedLog::timed(Write write)
{
    QElapsedTimer timer;
    timer.start();
    write();
    record.*phase += timer.nsecsElapsed() / 1e9;
}

void TimedLog::fileListTitle()
{
    timed([this] { log.fileListTitle(); });
}

void TimedLog::listedFile(const QString &path)
{
    timed([&] { log.listedFile(path); });
}

void TimedLog::fileHeader(const QString &path)
{
    timed([&] { log.fileHeader(path); });
}

void TimedLog::lineHeader(qsizetype index)
{
    timed([&] { log.lineHeader(index); });
}

void TimedLog::contextLine(const QString &text)
{
    timed([&] { log.contextLine(text); });
}

void TimedLog::flush()
{
    timed([this] { log.flush(); });
}
