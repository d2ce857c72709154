#include "support/symlinks.h"

QString symbolicLinksMissing()
{
    return QString();
}
