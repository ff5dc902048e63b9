// The net engine's picture probe against the loopback site: a picture's size and dimensions
// from as few of its bytes as tell them, whatever the server does.

#include "formats/picture_header.h"
#include "platform/http/curl_session.h"
#include "platform/http/net_picture_probe.h"
#include "site/hostile_site.h"
#include "site/test_site.h"

#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int kNone = -1;
constexpr int kIdleMs = 1000;
constexpr int kTotalMs = 2000;

int figure(const std::optional<int>& value)
{
    return value.value_or(kNone);
}

} // namespace

class TestNetPictureProbe : public QObject {
    Q_OBJECT

private:
    TestSite site;
    CurlSession session;

    std::unique_ptr<NetPictureProbe> shortProbe()
    {
        auto probe = std::make_unique<NetPictureProbe>(&session);
        probe->setDeadlines(kIdleMs, kTotalMs);
        return probe;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(site.listen());
        site.addHostileRoutes();
    }

    void measures_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("byteSize"); // kNone: none
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("probes");
        QTest::addColumn<qint64>("maxBytesRead");

        const qint64 picture = kProbePictureBytes;
        const int w = kProbeWidth;
        const int h = kProbeHeight;
        const qint64 range = NetPictureProbe::kFirstRangeBytes;
        const qint64 none = kNone;
        QTest::newRow("range honoured") << "/hostile/probe/ranged.png" << picture << w << h << 1 << range;
        QTest::newRow("range ignored") << "/hostile/probe/whole.png" << picture << w << h << 1 << range;
        QTest::newRow("not found") << "/hostile/probe/missing.png" << none << kNone << kNone << 1 << qint64(0);
        QTest::newRow("HTML served as image/png") << "/hostile/probe/html.png" << none << kNone << kNone << 1 << range;
        QTest::newRow("trickling body") << "/hostile/probe/trickle.jpg" << qint64(16'000) << kNone << kNone << 1
                                        << qint64(1000);
        QTest::newRow("silence after the first bytes") << "/hostile/probe/stalled.jpg" << qint64(33) << kNone << kNone
                                                       << 1 << qint64(16);
        QTest::newRow("JPEG with a 60 KiB EXIF block") << "/hostile/probe/exif.jpg" << picture << w << h << 1 << range;
        QTest::newRow("JPEG frame header past the first range") << "/hostile/probe/deep.jpg" << picture << w << h << 2
                                                                << 2 * range;
        QTest::newRow("JPEG frame header past every bound") << "/hostile/probe/deeper.jpg" << none << kNone << kNone
                                                            << 2 << kPictureHeaderMaxBytes;
    }
    void measures()
    {
        QFETCH(QString, path);
        QFETCH(qint64, byteSize);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, probes);
        QFETCH(qint64, maxBytesRead);

        const auto probe = shortProbe();
        QSignalSpy measured(probe.get(), &PictureProbe::measured);
        const QString address = site.url(path);
        probe->measure(address);
        QVERIFY(measured.wait(10'000));
        QCOMPARE(measured.at(0).at(0).toString(), address);
        const auto measure = measured.at(0).at(1).value<PictureMeasure>();
        QCOMPARE(measure.byteSize.value_or(kNone), byteSize);
        QCOMPARE(figure(measure.width), width);
        QCOMPARE(figure(measure.height), height);
        QCOMPARE(probe->probesMade(), probes);
        QVERIFY2(probe->bytesRead() <= maxBytesRead, qPrintable(QString::number(probe->bytesRead())));
        QVERIFY(!probe->isBusy());
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
    }

    // Asked again, during the probe or after it, even after a failure: no second request.
    void eachAddressOnce()
    {
        const auto probe = shortProbe();
        QSignalSpy measured(probe.get(), &PictureProbe::measured);
        const QString address = site.url(QStringLiteral("/hostile/probe/gone.png"));
        probe->measure(address);
        probe->measure(address);
        QVERIFY(measured.wait(10'000));
        probe->measure(address);
        QTest::qWait(100);
        QCOMPARE(measured.size(), 1);
        QCOMPARE(probe->probesMade(), 1);
        QCOMPARE(site.hits(QStringLiteral("/hostile/probe/gone.png")), 1);
    }

    void fewAtOnce()
    {
        const auto probe = shortProbe();
        QSignalSpy measured(probe.get(), &PictureProbe::measured);
        const int addresses = 2 * NetPictureProbe::kProbesAtOnce;
        TestRoute trickle = htmlRoute("GIF8", 200, "image/gif");
        trickle.fault = TestRoute::Fault::Trickle;
        for (int i = 0; i < addresses; ++i) {
            const QString path = QStringLiteral("/hostile/probe/many.gif?n=%1").arg(i);
            site.setRoute(path, trickle);
            probe->measure(site.url(path));
        }
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), NetPictureProbe::kProbesAtOnce, 5000);
        QCOMPARE(probe->probesMade(), NetPictureProbe::kProbesAtOnce);
        QVERIFY(probe->isBusy());
        QTRY_COMPARE_WITH_TIMEOUT(measured.size(), addresses, 10'000);
        QCOMPARE(probe->probesMade(), addresses);
        QVERIFY(!probe->isBusy());
    }

    void deletedProbeEndsItsTransfers()
    {
        auto probe = shortProbe();
        probe->setDeadlines(60'000, 60'000);
        probe->measure(site.url(QStringLiteral("/hostile/probe/trickle.jpg")));
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 1, 5000);
        probe.reset();
        QTRY_COMPARE_WITH_TIMEOUT(site.openStreams(), 0, 5000);
    }
};

QTEST_GUILESS_MAIN(TestNetPictureProbe)
#include "test_net_picture_probe.moc"
