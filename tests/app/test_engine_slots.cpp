#include "app/engines/engine_slots.h"

#include <QTest>

class TestEngineSlots : public QObject {
    Q_OBJECT

private slots:
    void chromiumSlotsFitTheMemory_data()
    {
        constexpr qint64 mib = 1024 * 1024;
        QTest::addColumn<int>("asked");
        QTest::addColumn<qint64>("available"); // -1: unknown
        QTest::addColumn<int>("allowed");
        QTest::newRow("the window's three, memory to spare") << 3 << 16'384 * mib << 3;
        QTest::newRow("many asked, memory to spare") << 64 << 16'384 * mib << 8;
        QTest::newRow("memory for two") << 8 << 600 * mib << 2;
        QTest::newRow("memory for none still loads one") << 3 << 100 * mib << 1;
        QTest::newRow("memory unknown") << 64 << qint64(-1) << 8;
    }
    void chromiumSlotsFitTheMemory()
    {
        QFETCH(int, asked);
        QFETCH(qint64, available);
        QFETCH(int, allowed);
        QCOMPARE(chromiumSlotsAllowed(asked, available < 0 ? std::nullopt : std::optional<qint64>(available)), allowed);
    }

    void machineSaysWhatIsAvailable()
    {
        // This program runs on Linux, whose kernel has said MemAvailable since 3.14.
        const std::optional<qint64> available = availableMemoryBytes();
        QVERIFY(available);
        QVERIFY(*available > 0);
    }
};

QTEST_GUILESS_MAIN(TestEngineSlots)
#include "test_engine_slots.moc"
