#ifndef UNREADABLEFILE_H
#define UNREADABLEFILE_H

#include <QByteArray>
#include <QString>

// Makes an existing file impossible to open for reading, for the life of the object, the
// way the platform does it to a user: on Windows another process holds it open without
// sharing; elsewhere it loses its read permission, which stops everyone but the
// administrator. isUnreadable() says whether a probe open now fails.
class UnreadableFile
{
public:
    explicit UnreadableFile(const QString &path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile &) = delete;
    UnreadableFile &operator=(const UnreadableFile &) = delete;

    bool isUnreadable() const;

private:
    QString path;
    void *handle = nullptr;
};

// True when this process reads every file whatever its permissions (root on Unix): a test
// that needs an unreadable file then runs itself again through runUnprivileged.
bool readsEverything();

// Runs one test function of this test program again as an unprivileged user, and says
// whether it passed; output receives what it printed.
bool runUnprivileged(const QString &function, QByteArray *output);

#endif // UNREADABLEFILE_H
