#ifndef TESTDRIVE_H
#define TESTDRIVE_H

#include <QString>

// An empty drive for a test's files, so that a test can search from a drive's root. On
// Windows it is a free letter mapped to a temporary folder for the life of the object, as
// the subst command maps one; where the system does not follow such mappings (Wine), the
// drive named by MORL_TEST_DRIVE, which the test set-up maps to a folder of its own, is
// emptied and used. Elsewhere there are no drive letters: root() is empty.
class TestDrive
{
public:
    TestDrive();
    ~TestDrive();
    TestDrive(const TestDrive &) = delete;
    TestDrive &operator=(const TestDrive &) = delete;

    // The drive's root as Qt writes it ("Q:/"), or empty.
    QString root() const { return drive.isEmpty() ? QString() : drive + QLatin1Char('/'); }

private:
    QString drive; // "Q:"
    QString mappedTo; // the folder of a mapping made here
};

#endif // TESTDRIVE_H
