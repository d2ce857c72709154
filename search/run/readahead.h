#ifndef READAHEAD_H
#define READAHEAD_H

#include "search/scan/scanfile.h"
#include "search/run/workerthread.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// How far a search reads ahead of its report. The files mostly wait for the disk (or, on
// Windows, for the antivirus's look at each open), so more workers than cores pay: many
// reads are in flight at once.
struct ReadAheadLimits
{
    // Threads that open and scan the files coming next; 0: every file on the run's thread.
    // The run starts with firstWorkers of them and adds more, up to workers, while they
    // spend most of their time waiting (for the disk): files already in memory keep the
    // processors busy with a few, and more would only take turns with the report's writer.
    int workers = 24;
    int firstWorkers = 4;
    // The most memory held ahead, in bytes: what the files being scanned may give and
    // the hits waiting for the report. A file bigger than what is left is scanned on the
    // run's thread.
    qint64 budget = 64 * 1024 * 1024;
    // Files are taken and handed back this many at a time, or once their bytes reach
    // handBackBytes: the hand-off costs more than a small file's scan.
    int batchFiles = 32;
    qint64 handBackBytes = 1024 * 1024;
};

// What a read-ahead did, for the tests.
struct ReadAheadCounts
{
    int workers = 0; // workers started
    qsizetype scannedHere = 0; // files left to the run's thread
    qint64 mostHeld = 0; // the most bytes held ahead at any time
};

// Worker threads that open and scan the files of a search in the list's order, ahead of
// the run, which takes each file's outcome in that order on its own thread and writes the
// report as if it had scanned the file itself. Every file is opened and scanned as the
// run's own scan would (only regular files, a lease waited for, a file that changes read
// as it is at each read). Destroying it stops the workers and waits for them; what they
// read beyond the file the run stopped at is dropped.
class ReadAhead
{
public:
    ReadAhead(const QStringList &files, const ScanOptions &options, const ScanLimits &scanLimits,
        const ReadAheadLimits &limits);
    ~ReadAhead();
    ReadAhead(const ReadAhead &) = delete;
    ReadAhead &operator=(const ReadAhead &) = delete;

    // Whether any worker started: without one, the run scans every file itself.
    bool running() const { return !threads.empty(); }

    // The next file of the list, which is path: its hits go into sink, in order. A file
    // the workers left to the run is scanned here with scanner.
    ScanStatus scanNext(const QString &path, HitSink &sink, FileScanner &scanner);

    ReadAheadCounts counts() const;

private:
    enum class Kind : unsigned char { Pending, Hits, NotRegular, CannotOpen, ScanHere };
    struct Outcome
    {
        Kind kind = Kind::Pending;
        qint64 held = 0;
        std::vector<ScanHit> hits;
    };
    class Collector;
    class Guarded;

    void work();
    void startWorkers(int count);
    Outcome readAhead(const QString &path, FileScanner &scanner);
    void deliver(qsizetype first, std::vector<Outcome> &batch);
    bool reserve(qint64 bytes);
    void release(qint64 bytes);

    const QStringList files;
    const ScanOptions options;
    const ScanLimits scanLimits;
    const ReadAheadLimits limits;

    std::mutex mutex;
    // Workers wait there for room in the budget; the run waits for the file it needs.
    std::condition_variable roomMade;
    std::condition_variable delivered;
    std::vector<Outcome> outcomes; // by index in the list
    qsizetype nextClaimed = 0;
    qsizetype nextTaken = 0;
    qsizetype awaited = -1;
    int waitingForRoom = 0;
    std::atomic<bool> stopping { false };
    // Set by a worker whose last batch mostly waited.
    std::atomic<bool> waiting { false };
    std::atomic<qint64> held { 0 };
    std::atomic<qint64> mostHeld { 0 };
    qsizetype scannedHere = 0;
    std::vector<std::unique_ptr<WorkerThread>> threads;
};

#endif // READAHEAD_H
