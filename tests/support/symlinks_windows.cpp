#include "support/symlinks.h"

QString symbolicLinksMissing()
{
    return QStringLiteral("QFile::link makes shell shortcuts on Windows, which the file "
                          "system does not follow");
}
