#ifndef SYMLINKS_H
#define SYMLINKS_H

#include <QString>

// Why QFile::link cannot make the symbolic links a test needs here, or empty when it can.
// On Windows it makes shell shortcuts (.lnk files), which the file system does not follow.
QString symbolicLinksMissing();

#endif // SYMLINKS_H
