// The parser's arena: blocks that never overlap, stay aligned and survive until the reset,
// across parses of different sizes.

#include "platform/html/parse_arena.h"

#include <QTest>

#include <cstdint>
#include <cstring>
#include <vector>

class TestParseArena : public QObject {
    Q_OBJECT

private slots:
    void blocksKeepTheirBytes_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("small ones") << QList<int>{1, 3, 16, 17, 40, 7, 0};
        QTest::newRow("past the first block") << QList<int>{100'000, 200'000, 5, 300'000};
        QTest::newRow("one larger than any block before") << QList<int>{10, 3 << 20, 10};
    }
    void blocksKeepTheirBytes()
    {
        QFETCH(QList<int>, sizes);
        ParseArena arena;
        // Two rounds: the second fills memory kept from the first.
        for (int round = 0; round < 2; ++round) {
            std::vector<std::pair<unsigned char*, int>> blocks;
            for (int i = 0; i < 60; ++i) {
                const int size = sizes.at(i % sizes.size());
                auto* block = static_cast<unsigned char*>(arena.allocate(size_t(size)));
                QVERIFY(block);
                QCOMPARE(reinterpret_cast<std::uintptr_t>(block) % alignof(std::max_align_t), 0u);
                std::memset(block, i & 0xff, size_t(size));
                blocks.emplace_back(block, size);
            }
            // A block that overlapped a later one would have lost its bytes.
            for (size_t i = 0; i < blocks.size(); ++i) {
                const auto [block, size] = blocks[i];
                for (int at : {0, size / 2, size - 1}) {
                    if (size > 0)
                        QCOMPARE(int(block[at]), int(i & 0xff));
                }
            }
            arena.reset();
        }
    }
};

QTEST_GUILESS_MAIN(TestParseArena)
#include "test_parse_arena.moc"
