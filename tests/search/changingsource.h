#ifndef CHANGINGSOURCE_H
#define CHANGINGSOURCE_H

#include "search/scan/bytesource.h"

#include <QByteArray>

// A file that another program rewrites while it is scanned: reads give the bytes of
// `before` until the scan first goes back (seeks), and those of `after` from then on.
class ChangingSource : public ByteSource
{
public:
    ChangingSource(const QByteArray &before, const QByteArray &after);

    qint64 size() const override { return before.size(); }
    qint64 read(char *data, qint64 count) override;
    bool seek(qint64 offset) override;

    // Whether the scan went back, and so read changed bytes.
    bool changed() const { return seeks > 0; }

private:
    QByteArray before;
    QByteArray after;
    qint64 position = 0;
    int seeks = 0;
};

#endif // CHANGINGSOURCE_H
