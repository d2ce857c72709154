#include "search/walk/folderwalk.h"

#include <algorithm>

FolderWalk::FolderWalk(FolderListing &listing, const QString &filter, bool recurse)
    : listing(listing)
    , filter(filter)
    , recurse(recurse)
{ }

// Indices of the entries that pass, in QDir's order: std::sort over the names lowered by
// QString::toLower and compared code unit by code unit. Names that differ only in case
// compare equal there and keep no defined order; sorting the same entries, in the order
// the system gave them, with the same algorithm puts them where QDir puts them.
template <class Pass>
static std::vector<int> sortedLikeQDir(const std::vector<FolderEntry> &entries, Pass pass)
{
    std::vector<int> kept;
    for (int i = 0; i < int(entries.size()); ++i) {
        if (pass(entries[size_t(i)]))
            kept.push_back(i);
    }
    if (kept.size() < 2)
        return kept;
    struct Item
    {
        QString lowered;
        int index;
    };
    std::vector<Item> items;
    items.reserve(kept.size());
    for (const int i : kept)
        items.push_back({ entries[size_t(i)].name.toLower(), i });
    std::sort(items.begin(), items.end(),
        [](const Item &a, const Item &b) { return a.lowered.compare(b.lowered) < 0; });
    for (size_t i = 0; i < items.size(); ++i)
        kept[i] = items[i].index;
    return kept;
}

// What QDir takes for a sub-folder (a folder, or a link to a FIFO, socket or device, which
// gives nothing when entered) and for a file (a file, or a link to one of those), without
// its system entries: FIFOs, sockets, devices and broken links.
static bool listedAsFolder(const FolderEntry &entry)
{
    return entry.kind == EntryKind::Folder || (entry.link && entry.kind == EntryKind::Other);
}

static bool listedAsFile(const FolderEntry &entry)
{
    return entry.kind == EntryKind::File || (entry.link && entry.kind == EntryKind::Other);
}

void FolderWalk::collect(const QString &folder, QStringList &files)
{
    folders.clear();
    byIdentity.clear();
    onPath.clear();
    lowest.clear();
    open.clear();
    isOpen.clear();
    cyclicGroup.clear();

    if (!recurse) {
        const FolderContents contents = listing.read(folder);
        for (const int i : sortedLikeQDir(contents.entries, [this](const FolderEntry &entry) {
                 return listedAsFile(entry) && filter.matches(entry.name);
             }))
            files.append(folder + contents.entries[size_t(i)].name);
        return;
    }

    const int root = enter(folder, FileIdentity(), false);
    listedWay.assign(folders.size(), 0);
    ways = 0;
    int way = 0;
    if (cyclicGroup[size_t(folders[size_t(root)].group)]) {
        way = ++ways;
        listedWay[size_t(root)] = way;
    }
    list(root, folder, files, way);
}

// The folder already read under that identity, nothing when it is new. A folder on the
// current path is a link back into the walk: it closes a cycle, and is kept as an edge of
// the graph, except through a shell shortcut, below which nothing is listed anyway.
std::optional<int> FolderWalk::reuse(const FileIdentity &identity, bool throughShortcut)
{
    const auto onPathNow = onPath.constFind(identity);
    if (onPathNow != onPath.constEnd())
        return throughShortcut ? -1 : *onPathNow;
    const auto found = byIdentity.constFind({ identity, throughShortcut });
    if (found != byIdentity.constEnd())
        return *found;
    return std::nullopt;
}

// Reads the folder at path unless a folder of that identity was read already, and then
// the folders below it, depth first in QDir's order. Returns its index in folders.
int FolderWalk::enter(const QString &path, FileIdentity known, bool throughShortcut)
{
    if (!known.valid)
        known = listing.identify(path);
    if (known.valid) {
        if (const auto seen = reuse(known, throughShortcut))
            return *seen;
    }
    FolderContents contents = listing.read(path);
    // Where reading gives the folder's identity too, that one counts: the folder may have
    // been replaced since it was identified.
    const FileIdentity actual = contents.identity.valid ? contents.identity : known;
    if (actual != known) {
        if (const auto seen = reuse(actual, throughShortcut))
            return *seen;
    }

    const int index = int(folders.size());
    folders.emplace_back();
    lowest.push_back(index);
    open.push_back(index);
    isOpen.push_back(true);
    std::vector<FileIdentity> identities;
    for (const FileIdentity &identity : { known, actual }) {
        if (identity.valid && !onPath.contains(identity)) {
            byIdentity.insert({ identity, throughShortcut }, index);
            onPath.insert(identity, index);
            identities.push_back(identity);
        }
    }

    const std::vector<FolderEntry> &entries = contents.entries;
    for (const int i : sortedLikeQDir(entries, [this](const FolderEntry &entry) {
             return listedAsFile(entry) && filter.matches(entry.name);
         }))
        folders[size_t(index)].files.append(entries[size_t(i)].name);

    // Below a folder reached through a shell shortcut, the file system finds nothing: the
    // shortcut is no folder to it. QDir lists nothing there either.
    bool selfLink = false;
    for (const int i : sortedLikeQDir(entries, listedAsFolder)) {
        const FolderEntry &entry = entries[size_t(i)];
        int child = -1;
        if (entry.kind == EntryKind::Folder && !throughShortcut)
            child = enter(path + entry.name + QLatin1Char('/'), entry.target, entry.shortcut);
        // A folder still open reaches back to this one or above: same group, perhaps.
        if (child >= 0 && isOpen[size_t(child)])
            lowest[size_t(index)] = std::min(lowest[size_t(index)], lowest[size_t(child)]);
        selfLink = selfLink || child == index;
        Folder &folder = folders[size_t(index)];
        folder.subFolders.append(entry.name);
        folder.children.push_back(child);
    }

    for (const FileIdentity &identity : identities)
        onPath.remove(identity);
    if (lowest[size_t(index)] == index) {
        const bool single = open.back() == index;
        cyclicGroup.push_back(!single || selfLink);
        closeGroup(index);
    }
    return index;
}

// The folders reached from first that reach it again form its group; they are the ones
// opened since it.
void FolderWalk::closeGroup(int first)
{
    const int group = int(cyclicGroup.size()) - 1;
    int folder;
    do {
        folder = open.back();
        open.pop_back();
        isOpen[size_t(folder)] = false;
        folders[size_t(folder)].group = group;
    } while (folder != first);
}

// Lists the folder's files under path, sub-folders first. way names the way into the
// folder's group when that group holds a cycle (0 otherwise): within it, a folder already
// listed from that way is not listed again. A step into another group is a new way in.
void FolderWalk::list(int index, const QString &path, QStringList &files, int way)
{
    const Folder &folder = folders[size_t(index)];
    for (size_t i = 0; i < folder.children.size(); ++i) {
        const int child = folder.children[i];
        if (child < 0)
            continue;
        const int group = folders[size_t(child)].group;
        int childWay = 0;
        if (group == folder.group) {
            if (listedWay[size_t(child)] == way)
                continue;
            childWay = way;
        } else if (cyclicGroup[size_t(group)]) {
            childWay = ++ways;
        }
        if (childWay)
            listedWay[size_t(child)] = childWay;
        list(child, path + folder.subFolders[int(i)] + QLatin1Char('/'), files, childWay);
    }
    for (const QString &name : folder.files)
        files.append(path + name);
}
