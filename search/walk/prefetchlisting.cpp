#include "search/walk/prefetchlisting.h"

#include <algorithm>

PrefetchListing::PrefetchListing(FolderListing &inner, int workers, int mostAhead)
    : inner(inner)
    , mostAhead(mostAhead)
{
    for (int i = 0; i < workers; ++i) {
        auto thread = std::make_unique<WorkerThread>();
        if (!thread->start([this] { work(); }))
            break;
        threads.push_back(std::move(thread));
    }
}

PrefetchListing::~PrefetchListing()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    queued.notify_all();
    for (const auto &thread : threads)
        thread->join();
}

void PrefetchListing::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        queued.wait(lock, [this] { return stopping || !queue.empty(); });
        if (stopping)
            return;
        const QString folder = queue.back();
        queue.pop_back();
        const auto found = ahead.find(folder);
        // The walk may have claimed it meanwhile.
        if (found == ahead.end() || found->state != State::Queued)
            continue;
        found->state = State::Reading;
        lock.unlock();
        FolderContents contents = inner.read(folder);
        lock.lock();
        queueBelow(folder, contents);
        Ahead &entry = ahead[folder];
        entry.contents = std::move(contents);
        entry.state = State::Done;
        done.notify_all();
    }
}

// The sub-folders the walk will enter, in the order it enters them (QDir's: names lowered,
// compared code unit by code unit), queued so that the first is read first.
void PrefetchListing::queueBelow(const QString &folder, const FolderContents &contents)
{
    if (threads.empty() || shortcuts.contains(folder))
        return;
    if (contents.identity.valid) {
        if (seen.contains(contents.identity))
            return;
        seen.insert(contents.identity);
    }
    struct Item
    {
        QString lowered;
        const FolderEntry *entry;
    };
    std::vector<Item> below;
    for (const FolderEntry &entry : contents.entries) {
        if (entry.kind != EntryKind::Folder)
            continue;
        if (entry.link && entry.target.valid && seen.contains(entry.target))
            continue;
        below.push_back({ entry.name.toLower(), &entry });
    }
    std::stable_sort(below.begin(), below.end(),
        [](const Item &a, const Item &b) { return a.lowered.compare(b.lowered) > 0; });
    bool added = false;
    for (const Item &item : below) {
        if (ahead.size() >= mostAhead)
            break;
        const QString path = folder + item.entry->name + QLatin1Char('/');
        if (item.entry->shortcut) {
            // Read as the walk reads it, but nothing below it.
            shortcuts.insert(path);
            continue;
        }
        if (ahead.contains(path))
            continue;
        ahead.insert(path, Ahead());
        queue.push_back(path);
        added = true;
    }
    if (added)
        queued.notify_all();
}

bool PrefetchListing::takeAhead(const QString &folder, std::unique_lock<std::mutex> &lock,
    bool keep, FolderContents &contents)
{
    auto found = ahead.find(folder);
    if (found == ahead.end())
        return false;
    if (found->state == State::Queued) {
        // Needed now: read here, and no worker takes it.
        ahead.erase(found);
        return false;
    }
    if (found->state == State::Reading) {
        done.wait(lock, [this, &folder] {
            const auto entry = ahead.constFind(folder);
            return entry == ahead.constEnd() || entry->state == State::Done;
        });
        found = ahead.find(folder);
        if (found == ahead.end())
            return false;
    }
    ++hits;
    contents = found->contents;
    if (!keep)
        ahead.erase(found);
    return true;
}

FolderContents PrefetchListing::read(const QString &folder)
{
    FolderContents contents;
    std::unique_lock<std::mutex> lock(mutex);
    if (takeAhead(folder, lock, false, contents))
        return contents;
    lock.unlock();
    contents = inner.read(folder);
    lock.lock();
    queueBelow(folder, contents);
    return contents;
}

// The walk asks for a folder's identity just before it reads the folder: where a worker
// read it, the identity came with it; where it is still queued, it is read here, now, and
// kept for the read that follows.
FileIdentity PrefetchListing::identify(const QString &folder)
{
    FolderContents contents;
    std::unique_lock<std::mutex> lock(mutex);
    const auto found = ahead.constFind(folder);
    if (found != ahead.constEnd() && found->state == State::Queued) {
        ahead[folder].state = State::Reading;
        lock.unlock();
        contents = inner.read(folder);
        lock.lock();
        queueBelow(folder, contents);
        Ahead &entry = ahead[folder];
        entry.contents = contents;
        entry.state = State::Done;
        done.notify_all();
    } else if (!takeAhead(folder, lock, true, contents)) {
        lock.unlock();
        return inner.identify(folder);
    }
    lock.unlock();
    return contents.identity.valid ? contents.identity : inner.identify(folder);
}
