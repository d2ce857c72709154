// The real limit: a search whose report needs several times the memory that the system lets
// the process have ends with the full-log box and a log that holds what fit, not with the
// process killed and the log lost.
#include "support/dialogwatcher.h"
#include "support/filetree.h"
#include "support/windowdriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

// Set in the child process to the folder it searches.
static const char childFolder[] = "MORL_TEST_LIMITED_FOLDER";

// The sanitizers reserve terabytes of address space for their own bookkeeping.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
static constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
static constexpr bool sanitized = true;
#else
static constexpr bool sanitized = false;
#endif
#else
static constexpr bool sanitized = false;
#endif

class TestMemoryLimit : public QObject
{
    Q_OBJECT

private slots:
    void searchEndsWithBoxUnderLimit();
    void searchUnderLimit();
};

#ifdef Q_OS_LINUX
// This process's address space, which is what RLIMIT_AS limits.
static qint64 addressSpace()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(0).toLongLong() * 4096;
}
#endif

// The search runs in a child process whose address space may grow 1 GiB beyond what this
// test program has once started; the file's report would take over 10 GB.
void TestMemoryLimit::searchEndsWithBoxUnderLimit()
{
#ifndef Q_OS_LINUX
    QSKIP("the address-space limit is Linux's");
#else
    if (sanitized)
        QSKIP("the sanitizers reserve more address space than any limit a test can set");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // 4 million hits, each written with its two neighbours: 20 million blocks.
    QByteArray content;
    content.reserve(40'000'000);
    for (int i = 0; i < 4'000'000; ++i)
        content += "le soleil\n";
    QVERIFY(writeFile(dir.filePath(QStringLiteral("soleil.txt")), content));
    content.clear();
    content.squeeze();

    const qint64 started = addressSpace();
    QVERIFY(started > 0);
    const rlim_t limit = rlim_t(started + (qint64(1) << 30));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childFolder), dir.path());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setChildProcessModifier([limit] {
        const rlimit addressLimit { limit, limit };
        if (::setrlimit(RLIMIT_AS, &addressLimit) != 0)
            ::_exit(125);
    });
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("searchUnderLimit") });
    QVERIFY(child.waitForFinished(600000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
    QVERIFY2(child.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : TestMemoryLimit::searchUnderLimit()"), output.constData());
#endif
}

// The child's part, run only by searchEndsWithBoxUnderLimit.
void TestMemoryLimit::searchUnderLimit()
{
    const QString folder = qEnvironmentVariable(childFolder);
    if (folder.isEmpty())
        QSKIP("the child process's part of searchEndsWithBoxUnderLimit");
    WindowDriver driver;
    QVERIFY(driver.open());
    QVERIFY(driver.chooseFolder(folder));
    driver.setContext(1, 1);
    DialogWatcher watcher;
    driver.search(QStringLiteral("soleil"));
    const QString path = QDir(folder).filePath(QStringLiteral("soleil.txt"));
    QCOMPARE(seenBoxes(watcher),
        QStringList(QStringLiteral("[warning] Journal plein: Le journal ne peut pas contenir la "
                                   "suite du rapport : la recherche s'arrête au fichier ")
            + path + QStringLiteral(".")));
    // The log holds the list and many whole hits: header, header, then the hit line with
    // its neighbours.
    const QStringList blocks = driver.logBlocks();
    QVERIFY2(blocks.size() > 100000, qPrintable(QString::number(blocks.size())));
    QCOMPARE(blocks.constLast(), QStringLiteral("le soleil"));
    QVERIFY(blocks.at(blocks.size() - 4).startsWith(QStringLiteral("Ligne ")));
    QCOMPARE(driver.progressBar()->value(), 1);
}

QTEST_MAIN(TestMemoryLimit)
#include "tst_memorylimit.moc"
