// The log's ceiling: the room that the limits of the process leave to the log, and what
// fits in it.
#include "search/run/logceiling.h"
#include "search/run/processmemory.h"

#include <QTest>

class TestLogCeiling : public QObject
{
    Q_OBJECT

private slots:
    void roomFromLimits_data();
    void roomFromLimits();
    void longLinesLaidOutOneAtATime();
    void charactersStayFarBelowIntRange();
    void thisProcessHasLimits();
};

static constexpr qint64 MiB = 1 << 20;

void TestLogCeiling::roomFromLimits_data()
{
    QTest::addColumn<qint64>("reservedLimit");
    QTest::addColumn<qint64>("reservedUsed");
    QTest::addColumn<qint64>("residentLimit");
    QTest::addColumn<qint64>("residentUsed");
    QTest::addColumn<qint64>("blockRoom"); // empty blocks that fit

    const qint64 reservedBlock = LogCeiling::reservedCosts.block;
    const qint64 residentBlock = LogCeiling::residentCosts.block;
    QTest::newRow("half the physical memory, less what is used")
        << qint64(-1) << qint64(-1) << 64 * MiB << 12 * MiB << 20 * MiB / residentBlock;
    QTest::newRow("an address-space limit below it")
        << 40 * MiB << 16 * MiB << 64 * MiB << 12 * MiB << 4 * MiB / reservedBlock;
    QTest::newRow("a process that already uses more than half")
        << qint64(-1) << qint64(-1) << 64 * MiB << 40 * MiB << qint64(0);
    QTest::newRow("a limit whose use is unknown does not count")
        << 40 * MiB << qint64(-1) << 64 * MiB << 12 * MiB << 20 * MiB / residentBlock;
}

// The log takes half of each limit less what the process uses of it, each at its cost.
void TestLogCeiling::roomFromLimits()
{
    QFETCH(qint64, reservedLimit);
    QFETCH(qint64, reservedUsed);
    QFETCH(qint64, residentLimit);
    QFETCH(qint64, residentUsed);
    QFETCH(qint64, blockRoom);

    ProcessMemory memory;
    memory.reserved = { reservedLimit, reservedUsed };
    memory.resident = { residentLimit, residentUsed };
    LogCeiling ceiling = LogCeiling::forLog(0, memory);
    qint64 admitted = 0;
    while (admitted <= blockRoom && ceiling.admit(1, 0))
        ++admitted;
    QCOMPARE(admitted, blockRoom);
    // Once full, it stays full: a smaller entry does not slip in after a refused one.
    QVERIFY(!ceiling.admit(1, 0));
}

// A long line is laid out whole when it comes into view, one at a time: the room keeps
// the layout of the longest line once, not that of every long line.
void TestLogCeiling::longLinesLaidOutOneAtATime()
{
    const qsizetype line = 100'000;
    const qint64 layout = line * LogCeiling::layoutCost;
    const qint64 text = line * LogCeiling::residentCosts.character;
    ProcessMemory memory;
    memory.resident = { 2 * (layout + 3 * text), 0 };
    LogCeiling ceiling = LogCeiling::forLog(0, memory);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(ceiling.admit(0, line, line), qPrintable(QString::number(i)));
    QVERIFY(!ceiling.admit(0, line, line));
    // Full, it lets the scan hold no more of a file's bytes either.
    QVERIFY(!ceiling.mayHold(1));
}

// Whatever the memory, the document's int positions must hold the log.
void TestLogCeiling::charactersStayFarBelowIntRange()
{
    LogCeiling empty = LogCeiling::forLog(0, ProcessMemory());
    QVERIFY(!empty.admit(1, LogCeiling::characterLimit + 1));
    QVERIFY(empty.admit(1, LogCeiling::characterLimit / 2));
    QVERIFY(empty.admit(1, LogCeiling::characterLimit / 2 - 1));
    QVERIFY(!empty.admit(1, 2));
    QVERIFY(LogCeiling::characterLimit < (qint64(1) << 31) / 2 + 1);

    // What the log holds already counts.
    LogCeiling used = LogCeiling::forLog(LogCeiling::characterLimit - 10, ProcessMemory());
    QVERIFY(!used.admit(1, 11));
    QVERIFY(used.admit(1, 10));
}

// The machine's limits, as the system tells them: there is always physical memory, and the
// process uses some of it.
void TestLogCeiling::thisProcessHasLimits()
{
    const ProcessMemory memory = processMemory();
    QVERIFY(memory.resident.limit > 0);
    QVERIFY(memory.resident.used > 0);
    QVERIFY(memory.resident.used < memory.resident.limit);
    if (memory.reserved.limit > 0)
        QVERIFY(memory.reserved.used > 0);
}

QTEST_MAIN(TestLogCeiling)
#include "tst_logceiling.moc"
