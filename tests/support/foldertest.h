#ifndef FOLDERTEST_H
#define FOLDERTEST_H

#include <QObject>
#include <QTemporaryDir>

#include <optional>

// A test object whose test functions each work in a temporary folder of their own, made
// empty before the function and removed after it, with all it holds.
class FolderTest : public QObject
{
    Q_OBJECT

protected:
    // The running test function's folder.
    const QTemporaryDir &dir() const { return *folder; }
    // What a test object sets up around each function beyond the folder: run once the
    // folder is made, and before it goes.
    virtual void setUp() { }
    virtual void tearDown() { }

private slots:
    void init();
    void cleanup();

private:
    std::optional<QTemporaryDir> folder;
};

#endif // FOLDERTEST_H
