#include "extract/picture_rows.h"
#include "extract/pictures_awaiting_type.h"
#include "lists/picture_table.h"
#include "platform/type_probe.h"

#include <QTest>

namespace {

// Answers only when the test says so.
class FakeProbe : public TypeProbe {
public:
    QHash<QString, QString> known;
    QStringList asked;

    std::optional<QString> knownType(const QString& address) const override
    {
        const auto type = known.constFind(address);
        return type == known.constEnd() ? std::nullopt : std::optional<QString>(*type);
    }
    void ask(const QString& address) override { asked.append(address); }
    bool isBusy() const override { return false; }
    void answer(const QString& address, const QString& type) { emit answered(address, type); }
};

CandidateList candidates(const QStringList& addresses)
{
    CandidateList list;
    for (const QString& address : addresses)
        list.append(address, QString(), QStringLiteral("title of ") + address, QStringLiteral("http://h.com/"));
    return list;
}

QStringList rows(const PictureTable& pictures)
{
    QStringList out;
    for (int i = 0; i < pictures.size(); ++i)
        out.append(pictures.row(i).address + QLatin1Char('|') + pictures.row(i).type);
    return out;
}

} // namespace

class TestPicturesAwaitingType : public QObject {
    Q_OBJECT

private slots:
    void typeTest_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("known");  // "-": the probe knows nothing yet
        QTest::addColumn<QString>("answer"); // what the server says when asked
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("type");   // of the row; empty: no row

        QTest::newRow("picture extension") << "http://h.com/a.png" << "-" << "" << false << "png";
        QTest::newRow("new picture extension") << "http://h.com/a.avif" << "-" << "" << false << "avif";
        QTest::newRow("picture extension, server says html") << "http://h.com/a.jpg" << "text/html" << "" << false << "jpg";
        QTest::newRow("script extension, loaded as a picture") << "http://h.com/show.php?id=1" << "image/jpeg" << "" << false << "jpeg";
        QTest::newRow("script extension, type unknown") << "http://h.com/show.php?id=2" << "-" << "image/jpeg" << false << "";
        QTest::newRow("page extension") << "http://h.com/p.htm" << "-" << "image/png" << false << "";
        QTest::newRow("no extension, a picture") << "http://h.com/photo/12" << "-" << "image/png" << true << "png";
        QTest::newRow("no extension, svg") << "https://h.com/logo?v=2" << "-" << "image/svg+xml; charset=utf-8" << true << "svg";
        QTest::newRow("no extension, a page") << "http://h.com/about" << "-" << "text/html" << true << "";
        QTest::newRow("no extension, no answer") << "http://h.com/gone" << "-" << "" << true << "";
        QTest::newRow("no extension, type known") << "http://h.com/img/7" << "image/jpeg" << "" << false << "jpeg";
        QTest::newRow("no extension, known not a picture") << "http://h.com/x" << "text/css" << "image/png" << false << "";
        QTest::newRow("not a web address") << "ftp://h.com/pic" << "-" << "image/png" << false << "";
    }
    void typeTest()
    {
        QFETCH(QString, address);
        QFETCH(QString, known);
        QFETCH(QString, answer);
        QFETCH(bool, asked);
        QFETCH(QString, type);
        FakeProbe probe;
        if (known != QLatin1String("-"))
            probe.known.insert(address, known);
        PictureTable pictures;
        PicturesAwaitingType awaiting(probe, pictures);
        addPictureRows(candidateRows(candidates({address}), QString()), pictures, {}, &awaiting);
        QCOMPARE(probe.asked, asked ? QStringList{address} : QStringList{});
        QCOMPARE(awaiting.isWaiting(), asked);
        if (asked)
            probe.answer(address, answer);
        QVERIFY(!awaiting.isWaiting());
        QCOMPARE(rows(pictures), type.isEmpty() ? QStringList{} : QStringList{address + '|' + type});
    }

    void withoutProbeNoRowForAddressWithoutType()
    {
        PictureTable pictures;
        addPictureRows(candidateRows(candidates({"http://h.com/photo/12", "http://h.com/a.gif"}), QString()), pictures, {});
        QCOMPARE(rows(pictures), QStringList{"http://h.com/a.gif|gif"});
    }

    void rowsArriveWithTheirAnswers()
    {
        FakeProbe probe;
        PictureTable pictures;
        PicturesAwaitingType awaiting(probe, pictures);
        addPictureRows(candidateRows(candidates({"http://h.com/p/1", "http://h.com/p/2", "http://h.com/p/1",
                                                 "http://h.com/a.gif"}),
                                     QStringLiteral("Page")),
                       pictures, {true, true}, &awaiting);
        // Asked once per address; rows of known types are not held up.
        QCOMPARE(probe.asked, (QStringList{"http://h.com/p/1", "http://h.com/p/2"}));
        QCOMPARE(rows(pictures), QStringList{"http://h.com/a.gif|gif"});
        probe.answer(QStringLiteral("http://h.com/p/2"), QStringLiteral("image/gif"));
        probe.answer(QStringLiteral("http://h.com/unasked"), QStringLiteral("image/gif"));
        QVERIFY(awaiting.isWaiting());
        probe.answer(QStringLiteral("http://h.com/p/1"), QStringLiteral("image/webp"));
        QVERIFY(!awaiting.isWaiting());
        QCOMPARE(rows(pictures), (QStringList{"http://h.com/a.gif|gif", "http://h.com/p/2|gif", "http://h.com/p/1|webp"}));
        // The first candidate of an address decides its row.
        QCOMPARE(pictures.row(2).title, QStringLiteral("title of http://h.com/p/1"));
        QCOMPARE(pictures.row(2).fileName, QStringLiteral("1"));
        // A second answer for the same address changes nothing.
        probe.answer(QStringLiteral("http://h.com/p/1"), QStringLiteral("image/png"));
        QCOMPARE(pictures.size(), 3);
    }

    // A row whose type the probe already knows goes in where the page has it, between the
    // rows named by their extensions, and a repeat of an address adds nothing.
    void knownTypesKeepThePageOrder()
    {
        FakeProbe probe;
        probe.known.insert(QStringLiteral("http://h.com/p/2"), QStringLiteral("image/png"));
        PictureTable pictures;
        PicturesAwaitingType awaiting(probe, pictures);
        addPictureRows(candidateRows(candidates({"http://h.com/a.gif", "http://h.com/p/2", "http://h.com/b.jpg",
                                                 "http://h.com/a.gif", "http://h.com/p/2"}),
                                     QString()),
                       pictures, {}, &awaiting);
        QCOMPARE(rows(pictures), (QStringList{"http://h.com/a.gif|gif", "http://h.com/p/2|png", "http://h.com/b.jpg|jpg"}));
        QVERIFY(probe.asked.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPicturesAwaitingType)
#include "test_pictures_awaiting_type.moc"
