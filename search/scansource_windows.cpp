#include "search/scansource.h"

#include <QFile>
#include <QFileInfo>

struct ScanSource::Handle
{
    QFile file;
};

ScanSource::ScanSource()
    : handle(std::make_unique<Handle>())
{ }

ScanSource::~ScanSource() = default;

OpenResult ScanSource::open(const QString &path)
{
    // Folders and devices are left alone; a missing file goes on to fail to open.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return OpenResult::NotRegular;
    handle->file.setFileName(path);
    if (!handle->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return OpenResult::Failed;
    openedSize = handle->file.size();
    return OpenResult::Opened;
}

qint64 ScanSource::read(char *data, qint64 count)
{
    return handle->file.read(data, count);
}

bool ScanSource::seek(qint64 offset)
{
    return handle->file.seek(offset);
}
