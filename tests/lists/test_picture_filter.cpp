#include "lists/picture_filter.h"

#include <QTest>

Q_DECLARE_METATYPE(PictureFilter)
Q_DECLARE_METATYPE(PictureFilter::Verdict)

namespace {

using Verdict = PictureFilter::Verdict;

PictureRow picture(const QString& size, const QString& width, const QString& height, const QString& type = "JPG")
{
    PictureRow row;
    row.address = QStringLiteral("http://h/gallery/p?id=1");
    row.fileName = QStringLiteral("Logo.png");
    row.type = type;
    row.size = size;
    row.width = width;
    row.height = height;
    return row;
}

} // namespace

class TestPictureFilter : public QObject {
    Q_OBJECT
private slots:
    void judge_data();
    void judge();
};

void TestPictureFilter::judge_data()
{
    QTest::addColumn<PictureFilter>("filter");
    QTest::addColumn<PictureRow>("row");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<bool>("empty");

    const PictureRow unmeasured = picture("", "", "");
    const PictureRow measured = picture("1,234.568", "1000", "80");
    const auto pattern = [](const char* text) { return QRegularExpression(text); };
    QTest::newRow("no condition, no figures") << PictureFilter{} << unmeasured << Verdict::Pass << true;
    QTest::newRow("invalid patterns") << PictureFilter{.match = pattern("("), .exclude = pattern("[")} << measured
                                      << Verdict::Pass << true;
    QTest::newRow("type in other letter case") << PictureFilter{.types = {"png", "jpg"}} << measured << Verdict::Pass
                                               << false;
    QTest::newRow("type not listed") << PictureFilter{.types = {"png"}} << measured << Verdict::Fails << false;
    QTest::newRow("type not listed, width unknown") << PictureFilter{.minWidth = 10, .types = {"png"}} << unmeasured
                                                    << Verdict::Fails << false;
    QTest::newRow("width 1000 against 200") << PictureFilter{.minWidth = 200} << measured << Verdict::Pass << false;
    QTest::newRow("height equal to the minimum") << PictureFilter{.minHeight = 80} << measured << Verdict::Pass
                                                 << false;
    QTest::newRow("height below the minimum") << PictureFilter{.minHeight = 81} << measured << Verdict::Fails << false;
    QTest::newRow("width unknown") << PictureFilter{.minWidth = 1} << picture("1.000", "", "80")
                                   << Verdict::DimensionsUnknown << false;
    QTest::newRow("width written as 0") << PictureFilter{.minWidth = 1} << picture("", "0", "0")
                                        << Verdict::DimensionsUnknown << false;
    QTest::newRow("height unknown, width too small") << PictureFilter{.minWidth = 2000, .minHeight = 1}
                                                     << picture("", "1000", "") << Verdict::Fails << false;
    QTest::newRow("size with thousands separator") << PictureFilter{.minSizeKb = 1000, .maxSizeKb = 1300} << measured
                                                   << Verdict::Pass << false;
    QTest::newRow("size above the maximum") << PictureFilter{.maxSizeKb = 1234} << measured << Verdict::Fails << false;
    QTest::newRow("size unknown, maximum only") << PictureFilter{.maxSizeKb = 1e9} << unmeasured << Verdict::Fails
                                                << false;
    QTest::newRow("match on the address") << PictureFilter{.match = pattern("/gallery/")} << unmeasured
                                          << Verdict::Pass << false;
    QTest::newRow("match on the file name only") << PictureFilter{.match = pattern("Logo")} << unmeasured
                                                 << Verdict::Fails << false;
    QTest::newRow("exclude on the address") << PictureFilter{.exclude = pattern("id=\\d")} << unmeasured
                                            << Verdict::Fails << false;
    QTest::newRow("text in the file name, other case") << PictureFilter{.text = "LOGO."} << unmeasured
                                                       << Verdict::Pass << false;
    QTest::newRow("text in the address, other case") << PictureFilter{.text = "GALLERY"} << unmeasured
                                                     << Verdict::Pass << false;
    QTest::newRow("text is not a pattern") << PictureFilter{.text = "p.id"} << unmeasured << Verdict::Fails << false;
}

void TestPictureFilter::judge()
{
    QFETCH(PictureFilter, filter);
    QFETCH(PictureRow, row);
    QFETCH(Verdict, verdict);
    QFETCH(bool, empty);
    QCOMPARE(filter.judge(row), verdict);
    QCOMPARE(filter.isEmpty(), empty);
}

QTEST_GUILESS_MAIN(TestPictureFilter)
#include "test_picture_filter.moc"
