#include "search/fakelisting.h"

#include <algorithm>

static QStringList partsOf(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

static FileIdentity identityOf(int node)
{
    return { 1, quint64(node), true };
}

int FakeListing::child(int parent, const QString &name) const
{
    for (const int c : nodes[size_t(parent)].children) {
        if (nodes[size_t(c)].name == name)
            return c;
    }
    return -1;
}

int FakeListing::make(const QString &path, bool folder)
{
    const QStringList parts = partsOf(path);
    int at = 0;
    for (int i = 0; i < parts.size(); ++i) {
        int next = child(at, parts[i]);
        if (next < 0) {
            next = int(nodes.size());
            nodes.push_back(Node { parts[i], folder || i + 1 < parts.size(), QString(), {}, 0 });
            nodes[size_t(at)].children.push_back(next);
        }
        at = next;
    }
    return at;
}

void FakeListing::add(const QString &path)
{
    make(path, path.endsWith(QLatin1Char('/')));
}

void FakeListing::link(const QString &path, const QString &target)
{
    nodes[size_t(make(path, false))].linkTarget = target;
}

int FakeListing::resolve(const QString &path, int depth) const
{
    // A chain of links that never ends leads nowhere, as on a real system.
    if (depth > 40)
        return -1;
    int at = 0;
    for (const QString &part : partsOf(path)) {
        at = child(at, part);
        if (at < 0)
            return -1;
        if (!nodes[size_t(at)].linkTarget.isEmpty()) {
            at = resolve(nodes[size_t(at)].linkTarget, depth + 1);
            if (at < 0)
                return -1;
        }
    }
    return at;
}

FolderContents FakeListing::read(const QString &folder)
{
    FolderContents contents;
    const int at = resolve(folder);
    if (at < 0 || !nodes[size_t(at)].folder)
        return contents;
    ++nodes[size_t(at)].reads;
    if (identitiesInListing)
        contents.identity = identityOf(at);
    for (const int c : nodes[size_t(at)].children) {
        const Node &node = nodes[size_t(c)];
        FolderEntry entry;
        entry.name = node.name;
        int target = c;
        if (!node.linkTarget.isEmpty()) {
            entry.link = true;
            target = resolve(node.linkTarget);
        }
        if (target < 0) {
            entry.kind = EntryKind::Missing;
        } else {
            entry.kind = nodes[size_t(target)].folder ? EntryKind::Folder : EntryKind::File;
            if (entry.link || identitiesInListing)
                entry.target = identityOf(target);
        }
        contents.entries.push_back(entry);
    }
    return contents;
}

FileIdentity FakeListing::identify(const QString &folder)
{
    const int at = resolve(folder);
    if (at < 0 || !nodes[size_t(at)].folder)
        return {};
    return identityOf(at);
}

int FakeListing::reads(const QString &folder) const
{
    const int at = resolve(folder);
    return at < 0 ? 0 : nodes[size_t(at)].reads;
}

int FakeListing::mostReads() const
{
    int most = 0;
    for (const Node &node : nodes)
        most = std::max(most, node.reads);
    return most;
}
