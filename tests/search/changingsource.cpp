#include "search/changingsource.h"

#include <algorithm>
#include <cstring>

ChangingSource::ChangingSource(const QByteArray &before, const QByteArray &after)
    : before(before)
    , after(after)
{ }

qint64 ChangingSource::read(char *data, qint64 count)
{
    const QByteArray &bytes = seeks > 0 ? after : before;
    const qint64 got = std::clamp<qint64>(bytes.size() - position, 0, count);
    std::memcpy(data, bytes.constData() + position, size_t(got));
    position += got;
    return got;
}

bool ChangingSource::seek(qint64 offset)
{
    ++seeks;
    position = offset;
    return offset >= 0;
}
