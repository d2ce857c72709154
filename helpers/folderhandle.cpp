#include "helpers/folderhandle.h"

#include <QFile>

#include <utility>

// The test's hook; the helpers themselves never set one.
static std::function<void(const QString &path)> &enteringHook()
{
    static std::function<void(const QString &path)> hook;
    return hook;
}

void FolderHandle::setEnteringHook(std::function<void(const QString &path)> hook)
{
    enteringHook() = std::move(hook);
}

void FolderHandle::entering(const QString &path)
{
    if (enteringHook())
        enteringHook()(path);
}

FolderHandle::FolderHandle(FolderHandle &&other) noexcept
{
    *this = std::move(other);
}

FolderHandle &FolderHandle::operator=(FolderHandle &&other) noexcept
{
    std::swap(handle, other.handle);
    std::swap(parent, other.parent);
    std::swap(name, other.name);
    std::swap(folderPath, other.folderPath);
    std::swap(identity, other.identity);
    return *this;
}

bool writeNewCopy(
    QIODevice &input, const QString &destination, QFileDevice::Permissions permissions)
{
    // A file already there keeps its content, whatever it is (a link among them).
    QFile output(destination);
    if (!output.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    bool copied = true;
    for (;;) {
        const qint64 got = input.read(buffer.data(), buffer.size());
        if (got == 0)
            break;
        if (got < 0 || output.write(buffer.constData(), got) != got) {
            copied = false;
            break;
        }
    }
    output.close();
    copied = copied && output.error() == QFileDevice::NoError;
    if (!copied) {
        output.remove();
        return false;
    }
    return output.setPermissions(permissions);
}
