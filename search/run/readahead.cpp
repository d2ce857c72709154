#include "search/run/readahead.h"

#include "search/scan/scansource.h"

#include <algorithm>
#include <chrono>

// What a hit costs while it waits for the report: its lines and the bookkeeping around them.
static qint64 heldBy(const ScanHit &hit)
{
    qint64 bytes = qint64(sizeof(ScanHit)) + 32;
    for (const QString &line : hit.lines)
        bytes += 2 * qint64(line.size()) + 32;
    return bytes;
}

// Keeps the hits of one file while its bytes are reserved in the budget, and takes more
// where the hits need it; when the budget has no more, the file is given up and left to
// the run.
class ReadAhead::Collector : public HitSink
{
public:
    Collector(ReadAhead &owner, qint64 reserved)
        : owner(owner)
        , reserved(reserved)
    { }

    void hit(const ScanHit &hit) override
    {
        if (abandoned)
            return;
        const qint64 bytes = heldBy(hit);
        if (used + bytes > reserved) {
            const qint64 more = used + bytes - reserved;
            if (!owner.reserve(more)) {
                abandoned = true;
                hits.clear();
                return;
            }
            reserved += more;
        }
        used += bytes;
        hits.push_back(hit);
    }

    ReadAhead &owner;
    qint64 reserved;
    qint64 used = 0;
    bool abandoned = false;
    std::vector<ScanHit> hits;
};

// The file as the scan reads it, which ends early once the run no longer needs it.
class ReadAhead::Guarded : public ByteSource
{
public:
    Guarded(ByteSource &source, const std::atomic<bool> &stopping, const Collector &collector)
        : source(source)
        , stopping(stopping)
        , collector(collector)
    { }

    qint64 size() const override { return source.size(); }
    qint64 read(char *data, qint64 count) override
    {
        if (collector.abandoned || stopping.load(std::memory_order_relaxed))
            return 0;
        return source.read(data, count);
    }
    bool seek(qint64 offset) override { return source.seek(offset); }

private:
    ByteSource &source;
    const std::atomic<bool> &stopping;
    const Collector &collector;
};

ReadAhead::ReadAhead(const QStringList &files, const ScanOptions &options,
    const ScanLimits &scanLimits, const ReadAheadLimits &limits)
    : files(files)
    , options(options)
    , scanLimits(scanLimits)
    , limits(limits)
{
    if (limits.workers <= 0 || files.isEmpty())
        return;
    outcomes.resize(size_t(files.size()));
    startWorkers(std::max(1, std::min(limits.firstWorkers, limits.workers)));
}

// Starts up to count more workers, no more than there are batches of files: a worker the
// system refuses is one fewer.
void ReadAhead::startWorkers(int count)
{
    const qsizetype batches = (files.size() + std::max(1, limits.batchFiles) - 1)
        / std::max(1, limits.batchFiles);
    const int most = int(std::min<qsizetype>(limits.workers, batches));
    for (int i = 0; i < count && int(threads.size()) < most; ++i) {
        auto thread = std::make_unique<WorkerThread>();
        if (!thread->start([this] { work(); }))
            break;
        threads.push_back(std::move(thread));
    }
}

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    roomMade.notify_all();
    for (const auto &thread : threads)
        thread->join();
}

ReadAheadCounts ReadAhead::counts() const
{
    return { int(threads.size()), scannedHere, mostHeld.load() };
}

bool ReadAhead::reserve(qint64 bytes)
{
    qint64 now = held.load();
    do {
        if (now + bytes > limits.budget)
            return false;
    } while (!held.compare_exchange_weak(now, now + bytes));
    qint64 most = mostHeld.load();
    while (now + bytes > most && !mostHeld.compare_exchange_weak(most, now + bytes)) { }
    return true;
}

void ReadAhead::release(qint64 bytes)
{
    held -= bytes;
}

// Takes the next files of the list a batch at a time, while the budget has room, and
// hands their outcomes back in pieces.
void ReadAhead::work()
{
    FileScanner scanner(options, scanLimits);
    const qsizetype count = files.size();
    const qsizetype batch = std::max(1, limits.batchFiles);
    for (;;) {
        qsizetype first = 0;
        qsizetype end = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            // Half the budget free, or nothing held at all: a budget smaller than one file
            // must not keep the run waiting for a file nobody takes.
            const auto ready = [this, count] {
                return stopping || nextClaimed >= count || held.load() <= limits.budget / 2;
            };
            if (!ready()) {
                ++waitingForRoom;
                roomMade.wait(lock, ready);
                --waitingForRoom;
            }
            if (stopping || nextClaimed >= count)
                return;
            first = nextClaimed;
            end = std::min(count, first + batch);
            nextClaimed = end;
        }
        const auto wallStart = std::chrono::steady_clock::now();
        const long long processorStart = threadProcessorTime();
        std::vector<Outcome> outcomes;
        outcomes.reserve(size_t(end - first));
        qsizetype from = first;
        qint64 bytes = 0;
        for (qsizetype i = first; i < end; ++i) {
            if (stopping.load(std::memory_order_relaxed))
                return;
            outcomes.push_back(readAhead(files.at(i), scanner));
            bytes += outcomes.back().held;
            if (bytes >= limits.handBackBytes && i + 1 < end) {
                deliver(from, outcomes);
                from = i + 1;
                bytes = 0;
            }
        }
        deliver(from, outcomes);
        // A batch that took more than twice its processor time mostly waited.
        const long long wall = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now() - wallStart)
                                   .count();
        if (2 * (threadProcessorTime() - processorStart) < wall)
            waiting = true;
    }
}

// Opens and scans one file as the run would: the budget holds its size while it is
// scanned, and then what its hits take.
ReadAhead::Outcome ReadAhead::readAhead(const QString &path, FileScanner &scanner)
{
    Outcome outcome;
    ScanSource source;
    switch (source.open(path, true)) {
    case OpenResult::Opened:
        break;
    case OpenResult::NotRegular:
        outcome.kind = Kind::NotRegular;
        return outcome;
    case OpenResult::Failed:
        outcome.kind = Kind::CannotOpen;
        return outcome;
    }
    const qint64 size = std::max<qint64>(0, source.size());
    if (!reserve(size)) {
        outcome.kind = Kind::ScanHere;
        return outcome;
    }
    Collector collector(*this, size);
    Guarded guarded(source, stopping, collector);
    scanner.scan(guarded, collector);
    if (collector.abandoned) {
        release(collector.reserved);
        outcome.kind = Kind::ScanHere;
        return outcome;
    }
    release(collector.reserved - collector.used);
    outcome.kind = Kind::Hits;
    outcome.held = collector.used;
    outcome.hits = std::move(collector.hits);
    return outcome;
}

void ReadAhead::deliver(qsizetype first, std::vector<Outcome> &batch)
{
    const qsizetype end = first + qsizetype(batch.size());
    bool wake = false;
    bool wakeWorkers = false;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        for (size_t i = 0; i < batch.size(); ++i)
            outcomes[size_t(first) + i] = std::move(batch[i]);
        wake = awaited >= first && awaited < end;
        // A worker may wait for room that this one's scans have made since.
        wakeWorkers = waitingForRoom > 0 && held.load() <= limits.budget / 2;
    }
    batch.clear();
    if (wake)
        delivered.notify_one();
    if (wakeWorkers)
        roomMade.notify_all();
}

ScanStatus ReadAhead::scanNext(const QString &path, HitSink &sink, FileScanner &scanner)
{
    if (!running())
        return scanner.scan(path, sink, true);
    // Workers that wait for the disk: twice as many, so that more reads are in flight.
    if (waiting.exchange(false) && int(threads.size()) < limits.workers)
        startWorkers(int(threads.size()));
    Q_ASSERT(nextTaken < files.size() && files.at(nextTaken) == path);
    const size_t index = size_t(nextTaken++);
    Outcome outcome;
    bool wakeWorkers = false;
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (outcomes[index].kind == Kind::Pending) {
            awaited = qsizetype(index);
            delivered.wait(lock, [this, index] { return outcomes[index].kind != Kind::Pending; });
            awaited = -1;
        }
        outcome = std::move(outcomes[index]);
        release(outcome.held);
        wakeWorkers = waitingForRoom > 0 && held.load() <= limits.budget / 2;
    }
    if (wakeWorkers)
        roomMade.notify_all();

    switch (outcome.kind) {
    case Kind::Hits:
        for (const ScanHit &hit : outcome.hits)
            sink.hit(hit);
        return ScanStatus::Scanned;
    case Kind::NotRegular:
        return ScanStatus::NotRegular;
    case Kind::CannotOpen:
        return ScanStatus::CannotOpen;
    case Kind::ScanHere:
    case Kind::Pending:
        break;
    }
    ++scannedHere;
    return scanner.scan(path, sink, true);
}
