#include "search/openfile.h"

#include <QFileInfo>

OpenResult openRegularFile(QFile &file)
{
    // Folders and devices are left alone; a missing file goes on to fail to open.
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return OpenResult::NotRegular;
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? OpenResult::Opened
                                                                  : OpenResult::Failed;
}
