// The net engine against the table of snapshots that every engine meets.

#include "engine_snapshot_table.h"
#include "net_test_support.h"

class TestNetEngineShared : public QObject {
    Q_OBJECT

private:
    NetFixture f;
    EngineSnapshotProbe probe{*f.browser, f.site, 30'000};

private slots:
    void initTestCase() { QVERIFY(f.site.listen()); }

    void snapshot_data() { addEngineSnapshotRows(); }
    void snapshot() { probe.checkRow(); }
};

QTEST_GUILESS_MAIN(TestNetEngineShared)
#include "test_net_engine_shared.moc"
