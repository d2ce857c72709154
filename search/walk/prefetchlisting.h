#ifndef PREFETCHLISTING_H
#define PREFETCHLISTING_H

#include "search/walk/folderlisting.h"
#include "search/run/workerthread.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

// A listing that reads folders ahead of the walk: each folder read (by the walk or ahead
// of it) has its sub-folders read by workers, the first ones first, as the walk will want
// them, so that many folders are read at once on a cold disk. What the walk is given is
// what the listing underneath gives for the same path; only when it was read changes.
// The listing underneath must allow reads from several threads at once.
class PrefetchListing final : public FolderListing
{
public:
    static constexpr int defaultWorkers = 8;

    // mostAhead bounds the folders read or queued ahead and not yet asked for.
    PrefetchListing(FolderListing &inner, int workers = defaultWorkers, int mostAhead = 2048);
    ~PrefetchListing() override;
    PrefetchListing(const PrefetchListing &) = delete;
    PrefetchListing &operator=(const PrefetchListing &) = delete;

    FolderContents read(const QString &folder) override;
    FileIdentity identify(const QString &folder) override;

    // How many workers started, and how many folders the walk found read ahead.
    int workers() const { return int(threads.size()); }
    int readAheadHits() const { return hits; }

private:
    enum class State { Queued, Reading, Done };
    struct Ahead
    {
        State state = State::Queued;
        FolderContents contents;
    };

    void work();
    // The folder ahead, taken from the queue or waited for; false when nobody read it.
    bool takeAhead(const QString &folder, std::unique_lock<std::mutex> &lock, bool keep,
        FolderContents &contents);
    // Queues the sub-folders of a folder just read, under the lock.
    void queueBelow(const QString &folder, const FolderContents &contents);

    FolderListing &inner;
    const int mostAhead;
    std::mutex mutex;
    std::condition_variable queued;
    std::condition_variable done;
    QHash<QString, Ahead> ahead;
    // The folders to read next, the next one last.
    std::vector<QString> queue;
    // Folders already read under one path: below another path to them, nothing is queued.
    QSet<FileIdentity> seen;
    // Folders reached through a shell shortcut, below which the walk reads nothing.
    QSet<QString> shortcuts;
    bool stopping = false;
    int hits = 0;
    std::vector<std::unique_ptr<WorkerThread>> threads;
};

#endif // PREFETCHLISTING_H
