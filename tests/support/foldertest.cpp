#include "support/foldertest.h"

#include <QTest>

// Qt Test runs these around every test function of the derived test objects as well.
void FolderTest::init()
{
    folder.emplace();
    QVERIFY2(folder->isValid(), qPrintable(folder->errorString()));
    setUp();
}

void FolderTest::cleanup()
{
    tearDown();
    folder.reset();
}
