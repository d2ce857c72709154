#ifndef DRIVELETTER_H
#define DRIVELETTER_H

#include <QString>

// A drive letter that stands for a folder while the object lives, as the subst command
// makes one on Windows, so that tests can search from a drive's root. Elsewhere there are
// no drive letters: root() is empty.
class DriveLetter
{
public:
    explicit DriveLetter(const QString &folder);
    ~DriveLetter();
    DriveLetter(const DriveLetter &) = delete;
    DriveLetter &operator=(const DriveLetter &) = delete;

    // The drive's root as Qt writes it ("Q:/"), or empty.
    QString root() const { return drive.isEmpty() ? QString() : drive + QLatin1Char('/'); }

private:
    QString drive; // "Q:"
    QString target;
};

#endif // DRIVELETTER_H
