#ifndef SYSTEMPATH_H
#define SYSTEMPATH_H

#include <QString>

#include <string>

// Windows only. The path as the system takes it without reading anything into it:
// absolute, and behind "\\?\", so that a file named "nul.txt" or "com1" is that file, never
// the device. A path already in the system's own spelling ("\\?\...", "\\.\NUL") is left
// as it is.
std::wstring systemPath(const QString &path);

#endif // SYSTEMPATH_H
